#include "MemoryFixture.h"

#include "platform/Application.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QTimerEvent>
#include <dlfcn.h>

namespace {

template <typename Function> void Find(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    ASSERT_NE(function, nullptr) << name;
}

} // namespace

void MemoryFixture::SetUp()
{
    Application::ResetTerminated();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_QUILLON), QStringLiteral("Libraries/Quillon.so")));
    SetSleepHandler([this](int) {
        ++sleeps;
        if (WhileWaiting)
            WhileWaiting(sleeps);
    });
    CreateProgramWindows();
    ASSERT_NE(MemoryLibraryHandle, nullptr);
    // The tests decide when the timer expires.
    VelmoraMain->MemoryTimer->SetEnabled(false);
    VelmoraMain->FirstRunTimer->SetEnabled(false);
    // A reference of the test's own: the call log stays readable after the program unloads it.
    library_ = dlopen(QDir::current().absoluteFilePath(QStringLiteral("Libraries/Quillon.so")).toLocal8Bit(),
                      RTLD_NOW | RTLD_LOCAL);
    ASSERT_EQ(library_, MemoryLibraryHandle);
    Find(library_, "FakeSetReadings", setReadings_);
    Find(library_, "FakeSetFreedByRun", setFreedByRun_);
    Find(library_, "FakeCalls", calls_);
    Find(library_, "FakeClearCalls", clearCalls_);
}

void MemoryFixture::TearDown()
{
    // Unloaded at the end of each test, so that the next test's copy is loaded afresh.
    if (!Application::Terminated() && VelmoraMain != nullptr)
        UnloadLibraries();
    DestroyProgramWindows();
    if (library_ != nullptr)
        dlclose(library_);
    SetSleepHandler({});
}

void MemoryFixture::SetReadings(int64_t freePhys, int64_t allPhys, int64_t freePag, int64_t allPag,
                                int64_t freeVirt, int64_t allVirt)
{
    setReadings_(freePhys, allPhys, freePag, allPag, freeVirt, allVirt);
}

void MemoryFixture::SetFreedByRun(int64_t bytes)
{
    setFreedByRun_(bytes);
}

QStringList MemoryFixture::TakeCalls()
{
    QStringList calls = QString::fromUtf8(calls_()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    clearCalls_();
    return calls;
}

void MemoryFixture::Tick()
{
    VelmoraMain->MemoryTimerTimer(VelmoraMain->MemoryTimer);
}

void MemoryFixture::ExpireMemoryTimer()
{
    auto* clock = VelmoraMain->MemoryTimer->findChild<QTimer*>();
    ASSERT_NE(clock, nullptr);
    QTimerEvent expiry(clock->timerId());
    QCoreApplication::sendEvent(clock, &expiry);
}
