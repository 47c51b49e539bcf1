#include "TaskFixture.h"

#include "platform/Application.h"
#include "platform/EnumWindows.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <dlfcn.h>
#include <vector>

namespace {

template <typename Function> Function Find(void* library, const char* name)
{
    auto function = reinterpret_cast<Function>(dlsym(library, name));
    EXPECT_NE(function, nullptr) << name;
    return function;
}

} // namespace

void TaskFixture::SetUp()
{
    Application::ResetTerminated();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_BREVANT), QStringLiteral("Libraries/Brevant.so")));
    SetWaitHandler([this](int) { Waited(); });
    CreateProgramWindows();
    ASSERT_NE(TaskLibraryHandle, nullptr);
    // The tests decide when a tick runs.
    VelmoraMain->TaskTimer->SetEnabled(false);
    VelmoraMain->MemoryTimer->SetEnabled(false);
    VelmoraMain->TemperatureTimer->SetEnabled(false);
    VelmoraMain->FirstRunTimer->SetEnabled(false);
    // A reference of the test's own: the call log stays readable after the program unloads it.
    library_ = dlopen(QDir::current().absoluteFilePath(QStringLiteral("Libraries/Brevant.so")).toLocal8Bit(),
                      RTLD_NOW | RTLD_LOCAL);
    ASSERT_EQ(library_, TaskLibraryHandle);
    Find<void (*)()>(library_, "FakeReset")();
    auto windows = Find<int32_t (*)(BrevantWindow*, int32_t)>(library_, "FakeWindows");
    SetWindowSource([windows] {
        std::vector<uint32_t> ids(4096);
        ids.resize(static_cast<size_t>(windows(ids.data(), static_cast<int32_t>(ids.size()))));
        return ids;
    });
}

void TaskFixture::TearDown()
{
    if (!Application::Terminated() && VelmoraMain != nullptr)
        UnloadLibraries();
    DestroyProgramWindows();
    if (library_ != nullptr)
        dlclose(library_);
    SetWaitHandler({});
    SetSleepHandler({});
    SetWindowSource({});
    EXPECT_TRUE(answers_.empty()) << "the dialog was not shown as often as the test answers it";
}

void TaskFixture::OpenWindow(TWindowHandle id, const char* title)
{
    Find<void (*)(BrevantWindow, const char*)>(library_, "FakeOpenWindow")(id, title);
}

void TaskFixture::CloseWindow(TWindowHandle id)
{
    Find<void (*)(BrevantWindow)>(library_, "FakeCloseWindow")(id);
}

void TaskFixture::SetText(TWindowHandle id, const char* what, const char* text)
{
    Find<void (*)(BrevantWindow, const char*, const char*)>(library_, "FakeSetText")(id, what, text);
}

void TaskFixture::SetFacts(TWindowHandle id, int pid, uint64_t memory, bool responding)
{
    Find<void (*)(BrevantWindow, int32_t, uint64_t, bool)>(library_, "FakeSetFacts")(id, pid, memory,
                                                                                     responding);
}

void TaskFixture::SetFamily(TWindowHandle id, std::initializer_list<int32_t> pids)
{
    Find<void (*)(BrevantWindow, const int32_t*, int32_t)>(library_, "FakeSetFamily")(
        id, pids.begin(), static_cast<int32_t>(pids.size()));
}

QStringList TaskFixture::TakeCalls()
{
    const QStringList calls = QString::fromUtf8(Find<const char* (*)()>(library_, "FakeCalls")())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    Find<void (*)()>(library_, "FakeClearCalls")();
    return calls;
}

void TaskFixture::StartManager()
{
    VelmoraTask->ManagerStarted = true;
}

void TaskFixture::Tick()
{
    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
}

void TaskFixture::AnswerWith(QPushButton* button, int turns)
{
    answers_.push_back({button, turns});
}

void TaskFixture::Waited()
{
    ++waits;
    if (WhileWaiting)
        WhileWaiting(waits);
    if (VelmoraTaskAction == nullptr || !VelmoraTaskAction->isVisible() || VelmoraTaskAction->Answered)
        return;
    ++turnsShown_;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected notice: " << VelmoraTaskAction->DescriptionChange->text().toStdString();
        VelmoraTaskAction->NothingNotification->click();
        turnsShown_ = 0;
        return;
    }
    if (turnsShown_ < answers_.front().turns)
        return;
    QPushButton* button = answers_.front().button;
    answers_.pop_front();
    turnsShown_ = 0;
    shownNotices.append(VelmoraTaskAction->DescriptionChange->text());
    button->click();
}
