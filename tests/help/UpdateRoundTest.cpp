#include "help/HelpWindow.h"
#include "platform/Application.h"
#include "platform/Autostart.h"
#include "platform/Shell.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <elf.h>
#include <gtest/gtest.h>
#include <utility>

namespace {

// The captions the update button has been painted with.
class PaintedCaptions : public QObject {
public:
    explicit PaintedCaptions(QPushButton* button)
        : button_(button)
    {
        button->installEventFilter(this);
    }
    QStringList captions;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && (captions.isEmpty() || captions.last() != button_->text()))
            captions.append(button_->text());
        return false;
    }

private:
    QPushButton* button_;
};

void StartProgramAndRunFirstStep()
{
    CreateProgramWindows();
    VelmoraMain->show();
    QDeadlineTimer deadline(10000);
    while (VelmoraMain->FirstRunTimer != nullptr && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// An update staged by one run of the program and finished by the next.
TEST(UpdateRound, StagesEndsAndTheNextStartPutsEverythingInPlace)
{
    WorkingFolder folder;
    QTemporaryDir site;
    MessageBoxRecorder boxes;
    const auto offer = [&](const QString& name, const QByteArray& content) {
        QFile file(QDir(site.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    offer(QStringLiteral("VersionName.txt"), "1.1\n");
    const QByteArray program = QByteArray(ELFMAG, SELFMAG) + char(ELFCLASS64) + "new program";
    offer(QStringLiteral("Velmora.exec"), program);
    offer(QStringLiteral("borlndmm.dll"), QByteArray(ELFMAG, SELFMAG) + char(ELFCLASS64));
    for (const auto& [fake, name] :
         {std::pair(FAKE_MEMORY_LIBRARY, "Quillon.so"), std::pair(FAKE_TASK_LIBRARY, "Brevant.so"),
          std::pair(FAKE_TEMPERATURE_LIBRARY, "Sorrelin.so")})
        ASSERT_TRUE(
            QFile::copy(QString::fromUtf8(fake), QDir(site.path()).filePath(QString::fromUtf8(name))));
    qputenv("VELMORA_UPDATE_LOCATION", QUrl::fromLocalFile(site.path() + QLatin1Char('/')).toEncoded());
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    folder.Write(QStringLiteral("velmora"), "old program");
    Application::SetExeName(folder.Path() + QStringLiteral("/velmora"));
    folder.Write(MemoryLibraryFile, "an old memory library that does not load");
    QString started;
    SetStartProgramHandler([&](const QString& path) {
        started = path;
        return true;
    });

    Application::ResetTerminated();
    StartProgramAndRunFirstStep();
    EXPECT_FALSE(VelmoraMain->MemoryButton->isEnabled());
    VelmoraMain->HelpButton->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(VelmoraHelp));
    VelmoraHelp->RegistryButton->click();
    const PaintedCaptions painted(VelmoraHelp->UpdateButton);
    VelmoraHelp->UpdateButton->click();

    EXPECT_TRUE(Application::Terminated());
    EXPECT_EQ(started, folder.Path() + QStringLiteral("/Velmora 1.1"));
    EXPECT_EQ(folder.Read(QStringLiteral("Velmora 1.1")), program);
    // Each step showed before its download blocked the window.
    EXPECT_EQ(
        painted.captions,
        QStringList({QStringLiteral("Updating..."), QStringLiteral("Downloading Application..."),
                     QStringLiteral("Downloading borlndmm.dll..."),
                     QStringLiteral("Downlading Memory Dll..."), QStringLiteral("Downlading Task Dll..."),
                     QStringLiteral("Downlading Temperature Dll...")}));
    DestroyProgramWindows();

    // The next start, of the new program.
    Application::SetExeName(started);
    Application::ResetTerminated();
    ExitProgramHandler = nullptr;
    StartProgramAndRunFirstStep();
    EXPECT_FALSE(folder.Exists(QStringLiteral("velmora")));
    EXPECT_FALSE(folder.Exists(QStringLiteral("Version Downloaded.txt")));
    EXPECT_EQ(QDir(QStringLiteral("Libraries")).entryList(QDir::Files),
              QStringList({QStringLiteral("Brevant.so"), QStringLiteral("Quillon.so"),
                           QStringLiteral("Sorrelin.so")}));
    EXPECT_TRUE(VelmoraMain->MemoryButton->isEnabled());
    EXPECT_TRUE(VelmoraMain->TaskButton->isEnabled());
    EXPECT_TRUE(VelmoraMain->TemperatureButton->isEnabled());
    // Run at start-up goes with the program.
    EXPECT_TRUE(AutostartEntryStarts(QStringLiteral("Velmora 1.0"), started));
    EXPECT_EQ(boxes.Count(), 0);

    UnloadLibraries();
    DestroyProgramWindows();
    MemoryLibraryHandle = TaskLibraryHandle = TemperatureLibraryHandle = nullptr;
    ExitProgramHandler = nullptr;
    SetStartProgramHandler({});
    Application::SetExeName({});
    qunsetenv("VELMORA_UPDATE_LOCATION");
    qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
