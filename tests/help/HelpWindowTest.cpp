#include "help/HelpWindow.h"
#include "platform/Application.h"
#include "platform/Autostart.h"
#include "platform/Download.h"
#include "platform/Shell.h"
#include "platform/VelmoraError.h"
#include "tests/help/LoopbackServer.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <array>
#include <elf.h>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

namespace {

QStringList Log;

// A program or library file of this machine's kind, as far as the updater looks.
QByteArray Program(const QByteArray& text)
{
    return QByteArray(ELFMAG, SELFMAG) + char(ELFCLASS64) + text;
}

void RecordExit()
{
    Log.append(QStringLiteral("exit"));
    Application::Terminate();
}

// The help window alone in a fresh working folder, with an update location, an autostart folder
// and a program of its own; ending the program and starting one are only logged.
class HelpWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        Log.clear();
        Application::ResetTerminated();
        ExitProgramHandler = RecordExit;
        SetStartProgramHandler([](const QString& path) {
            Log.append(QStringLiteral("start ") + path);
            return true;
        });
        Application::SetExeName(folder.Path() + QStringLiteral("/old velmora"));
        folder.Write(QStringLiteral("old velmora"), "old program");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qputenv("VELMORA_UPDATE_LOCATION", QUrl::fromLocalFile(site.path() + QLatin1Char('/')).toEncoded());
        help.show();
    }

    void TearDown() override
    {
        ExitProgramHandler = nullptr;
        SetStartProgramHandler({});
        SetDownloadLimits({});
        Application::SetExeName({});
        qunsetenv("VELMORA_UPDATE_LOCATION");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Puts the files on the update location, the version text first.
    void Offer(const QByteArray& versionText) const
    {
        const std::pair<const char*, QByteArray> files[] = {{"VersionName.txt", versionText},
                                                            {"Velmora.exec", Program("new program")},
                                                            {"borlndmm.dll", Program("memory manager")},
                                                            {"Quillon.so", Program("memory library")},
                                                            {"Brevant.so", Program("task library")},
                                                            {"Sorrelin.so", Program("temperature library")}};
        for (const auto& [name, content] : files) {
            QFile file(QDir(site.path()).filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
    }

    QString Entry() const { return config.path() + QStringLiteral("/autostart/Velmora 1.0.desktop"); }

    WorkingFolder folder;
    QTemporaryDir site;
    QTemporaryDir config;
    MessageBoxRecorder boxes;
    TVelmoraHelp help;
};

TEST_F(HelpWindowTest, RunAtStartUpFollowsTheAutostartEntry)
{
    const QString caption = QStringLiteral("Run Velmora on windows startup: ");
    help.RegistryButton->click();
    EXPECT_EQ(help.RegistryButton->text(), caption + QStringLiteral("Enabled"));
    QFile entry(Entry());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=\"" + QFile::encodeName(folder.Path()) + "/old velmora\"\n"));
    EXPECT_TRUE(text.contains("\nPath=" + QFile::encodeName(folder.Path()) + "\n"));
    entry.close();

    help.RegistryButton->click();
    EXPECT_EQ(help.RegistryButton->text(), caption + QStringLiteral("Disabled"));
    EXPECT_FALSE(QFile::exists(Entry()));

    // Changes made outside show on the next showing.
    WriteAutostartEntry(QStringLiteral("Velmora 1.0"), QStringLiteral("/elsewhere"));
    help.hide();
    help.show();
    EXPECT_EQ(help.RegistryButton->text(), caption + QStringLiteral("Enabled"));
    QFile::remove(Entry());
    help.hide();
    help.show();
    EXPECT_EQ(help.RegistryButton->text(), caption + QStringLiteral("Disabled"));

    // A file where the folder should be.
    QDir(config.path()).rmdir(QStringLiteral("autostart"));
    QFile blocker(config.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    help.RegistryButton->click();
    EXPECT_EQ(help.RegistryButton->text(), caption + QStringLiteral("Error"));
    EXPECT_EQ(boxes.Count(), 0);
}

TEST(AutostartExecArgument, QuotesWhatTheEntryFormatReserves)
{
    EXPECT_EQ(AutostartExecArgument(QStringLiteral("/a b/$x\"`%\\y")),
              QStringLiteral("\"/a b/\\$x\\\"\\`%%\\\\y\""));
}

TEST_F(HelpWindowTest, RestartEndsTheProgramThenStartsItAgainUnlessTheSaveFails)
{
    help.RestartButton->click();
    EXPECT_EQ(Log, QStringList({QStringLiteral("exit"), QStringLiteral("start ") + Application::ExeName()}));

    Log.clear();
    Application::ResetTerminated();
    ExitProgramHandler = [] {
        throw EVelmoraError(QStringLiteral("Unable to write to Database/Options.ini"));
    };
    help.RestartButton->click();
    EXPECT_TRUE(Log.isEmpty());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Velmora"));
}

// Without a version text, or with one that would not be a plain file name, the update stops.
class NotUpdatedTest : public HelpWindowTest,
                       public testing::WithParamInterface<std::optional<QByteArray>> {};

TEST_P(NotUpdatedTest, ShowsTheBoxAndChangesNothing)
{
    if (GetParam())
        Offer(*GetParam() + "\n");
    folder.Write(QStringLiteral("Version.new"), "left from before");
    help.UpdateButton->click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Not updated"));
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("Could not connect to Tembrel` site."));
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Warning);
    EXPECT_EQ(boxes.Calls()[0].owner, &help);
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList(
                  {QStringLiteral("Database"), QStringLiteral("Libraries"), QStringLiteral("old velmora")}));
    EXPECT_TRUE(QDir(QStringLiteral("Libraries")).isEmpty());
    EXPECT_TRUE(help.UpdateButton->isEnabled());
    EXPECT_EQ(help.UpdateButton->text(), QStringLiteral("Update Velmora"));
    EXPECT_TRUE(help.UpdateAppBox->isVisible());
}

INSTANTIATE_TEST_SUITE_P(NoVersionOrAnUnsafeOne, NotUpdatedTest,
                         testing::Values(std::nullopt, QByteArray("../../bin/x"), QByteArray("1.1/x"),
                                         QByteArray("1\\1"), QByteArray("."), QByteArray(".."),
                                         QByteArray(65, '1'), QByteArray("1.1\x1b"),
                                         QByteArray("<!DOCTYPE html>"),
                                         QByteArray("1\0"
                                                    "1",
                                                    3)));

struct OfferedVersion {
    QByteArray versionText;
    bool sameVersionBox;
    QString program; // the executable expected, empty for none
};

class OfferedVersionTest : public HelpWindowTest, public testing::WithParamInterface<OfferedVersion> {};

TEST_P(OfferedVersionTest, FetchesTheExecutableWhenItDiffersOrIsAskedFor)
{
    Offer(GetParam().versionText + "\r\nsecond line\r\n");
    help.UpdateAppBox->setChecked(GetParam().sameVersionBox);
    help.UpdateButton->click();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_FALSE(folder.Exists(QStringLiteral("Version.new")));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Quillon.so.new")), Program("memory library"));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Brevant.so.new")), Program("task library"));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Sorrelin.so.new")), Program("temperature library"));
    EXPECT_EQ(folder.Read(QStringLiteral("borlndmm.dll")), Program("memory manager"));

    const QString program = GetParam().program;
    if (program.isEmpty()) {
        EXPECT_EQ(Log, QStringList(QStringLiteral("exit")));
        EXPECT_FALSE(folder.Exists(QStringLiteral("Version Downloaded.txt")));
        EXPECT_EQ(QDir().entryList({QStringLiteral("Velmora*")}), QStringList());
        return;
    }
    const QString path = folder.Path() + QLatin1Char('/') + program;
    EXPECT_EQ(Log, QStringList({QStringLiteral("exit"), QStringLiteral("start ") + path}));
    EXPECT_EQ(folder.Read(program), Program("new program"));
    EXPECT_TRUE(QFileInfo(path).isExecutable());
    EXPECT_EQ(folder.Read(QStringLiteral("Version Downloaded.txt")),
              QFile::encodeName(Application::ExeName()) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Versions, OfferedVersionTest,
                         testing::Values(OfferedVersion{"1.0", true, QStringLiteral("Velmora  1.0")},
                                         OfferedVersion{"1.0", false, {}},
                                         OfferedVersion{"1.1", false, QStringLiteral("Velmora 1.1")},
                                         OfferedVersion{"", false, QStringLiteral("Velmora ")},
                                         OfferedVersion{"1.0 ", false, QStringLiteral("Velmora 1.0 ")}));

TEST_F(HelpWindowTest, UntickedLibrariesAndAPresentMemoryManagerAreLeftAlone)
{
    Offer("1.0");
    folder.Write(QStringLiteral("borlndmm.dll"), "ours");
    folder.Write(QStringLiteral("Libraries/Brevant.so.new"), "staged before");
    folder.Write(QStringLiteral("Libraries/Sorrelin.so"), "loaded library");
    help.UpdateAppBox->setChecked(false);
    help.UpdateTaskBox->setChecked(false);
    help.UpdateTempBox->setChecked(false);
    help.UpdateButton->click();
    EXPECT_EQ(folder.Read(QStringLiteral("borlndmm.dll")), "ours");
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Brevant.so.new")), "staged before");
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Quillon.so.new")), Program("memory library"));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Sorrelin.so")), "loaded library");
    EXPECT_FALSE(folder.Exists(QStringLiteral("Libraries/Sorrelin.so.new")));
    EXPECT_EQ(Log, QStringList(QStringLiteral("exit")));
}

TEST_F(HelpWindowTest, AnUpdateUnderTheRunningProgramsOwnNameDoesNotDeleteItNextTime)
{
    Offer("1.1");
    Application::SetExeName(folder.Path() + QStringLiteral("/Velmora 1.1"));
    folder.Write(QStringLiteral("Velmora 1.1"), "running program");
    help.UpdateButton->click();
    EXPECT_EQ(folder.Read(QStringLiteral("Velmora 1.1")), Program("new program"));
    EXPECT_FALSE(folder.Exists(QStringLiteral("Version Downloaded.txt")));
    EXPECT_EQ(Log, QStringList({QStringLiteral("exit"), QStringLiteral("start ") + Application::ExeName()}));
}

// The update location on a server of the test's own, with limits that let a trickle fail in seconds.
class ServedUpdateTest : public HelpWindowTest {
protected:
    void SetUp() override
    {
        HelpWindowTest::SetUp();
        qputenv("VELMORA_UPDATE_LOCATION", server.Location().toUtf8());
        SetDownloadLimits({.protocols = QStringLiteral("http"), .stallSeconds = 1, .totalSeconds = 2});
        folder.Write(QStringLiteral("Libraries/Brevant.so.new"), "staged before");
    }

    void Serve(const QByteArray& path, const QByteArray& body,
               LoopbackServer::Mode mode = LoopbackServer::Mode::Whole)
    {
        server.Serve(path, {"200 OK", body, {}, mode});
    }

    LoopbackServer server;
};

class FailedProgramTest : public ServedUpdateTest,
                          public testing::WithParamInterface<LoopbackServer::Answer> {};

// An update whose program does not arrive whole says so and changes nothing: the program runs on.
TEST_P(FailedProgramTest, SaysNotUpdatedAndChangesNothing)
{
    Serve("/VersionName.txt", "1.1\n");
    server.Serve("/Velmora.exec", GetParam());
    Serve("/Brevant.so", Program("task library"));
    help.UpdateButton->click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Not updated"));
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Brevant.so.new")), "staged before");
    EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList(
                  {QStringLiteral("Database"), QStringLiteral("Libraries"), QStringLiteral("old velmora")}));
}

INSTANTIATE_TEST_SUITE_P(
    CutEmptyAPageMissingOrTrickling, FailedProgramTest,
    testing::Values(
        LoopbackServer::Answer{"200 OK", Program("cut off half way"), {}, LoopbackServer::Mode::Truncated},
        LoopbackServer::Answer{"200 OK", {}, {}, LoopbackServer::Mode::Whole},
        LoopbackServer::Answer{"200 OK", "<!DOCTYPE html><p>Not found", {}, LoopbackServer::Mode::Whole},
        LoopbackServer::Answer{"404 Not Found", Program("new program"), {}, LoopbackServer::Mode::Whole},
        LoopbackServer::Answer{"200 OK", Program("new program"), {}, LoopbackServer::Mode::Trickle}),
    [](const testing::TestParamInfo<LoopbackServer::Answer>& info) {
        return std::string(std::array{"Cut", "Empty", "Page", "Missing", "Trickling"}.at(info.index));
    });

// A library that is not one of this machine's kind is not staged; an earlier staged copy stays.
TEST_F(ServedUpdateTest, OnlyLibrariesOfThisMachinesKindAreStaged)
{
    Serve("/VersionName.txt", "1.0\n");
    Serve("/borlndmm.dll", QByteArray(ELFMAG, SELFMAG) + char(ELFCLASS32));
    Serve("/Quillon.so", Program("memory library"));
    Serve("/Brevant.so", "<!DOCTYPE html><p>Not found");
    Serve("/Sorrelin.so", {});
    help.UpdateAppBox->setChecked(false);
    help.UpdateButton->click();
    EXPECT_EQ(Log, QStringList(QStringLiteral("exit")));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Quillon.so.new")), Program("memory library"));
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Brevant.so.new")), "staged before");
    EXPECT_EQ(QDir(QStringLiteral("Libraries")).entryList(QDir::Files),
              QStringList({QStringLiteral("Brevant.so.new"), QStringLiteral("Quillon.so.new")}));
    EXPECT_FALSE(folder.Exists(QStringLiteral("borlndmm.dll")));
}

// No update starts inside another wait of the program. The program's ticks and commands run while a
// file downloads, though nothing that waits for the user opens then: an exit taken meanwhile aborts
// the download, and the update takes back what it staged, but not what was staged before.
TEST_F(ServedUpdateTest, AnExitDuringADownloadAbortsItAndTakesBackWhatTheUpdateStaged)
{
    Serve("/VersionName.txt", "1.1\n");
    Serve("/Velmora.exec", Program("new program"));
    Serve("/Quillon.so", Program("memory library"));
    const QByteArray task = Program(QByteArray(40, 't'));
    Serve("/Brevant.so", task, LoopbackServer::Mode::Trickle);
    SetDownloadLimits({.protocols = QStringLiteral("http")});
    boxes.WhileOpen = [this](const MessageBoxCall&) { help.UpdateButton->click(); };
    MessageBox(&help, QStringLiteral("open"), QStringLiteral("Velmora"), TMsgButtons::OK, TMsgIcon::None);
    boxes.WhileOpen = {};
    EXPECT_FALSE(folder.Exists(QStringLiteral("Database")));

    // True when the download was a wait of the program.
    const auto updateAndExitDuringTheTaskLibrary = [this] {
        bool waiting = false;
        QTimer exitLater;
        exitLater.callOnTimeout([&] {
            if (help.UpdateButton->text() == QStringLiteral("Downlading Task Dll...")) {
                exitLater.stop();
                waiting = Application::InsideWait();
                ExitProgramHandler();
            }
        });
        exitLater.start(10);
        help.UpdateButton->click();
        return waiting;
    };
    EXPECT_TRUE(updateAndExitDuringTheTaskLibrary());
    EXPECT_LT(server.Trickled(), task.size());
    EXPECT_EQ(Log, QStringList(QStringLiteral("exit")));
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(folder.Read(QStringLiteral("Libraries/Brevant.so.new")), "staged before");
    EXPECT_EQ(QDir(QStringLiteral("Libraries")).entryList(QDir::Files),
              QStringList(QStringLiteral("Brevant.so.new")));
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList(QStringLiteral("old velmora")));

    // The running program, replaced by a download under its own name, stays.
    Application::ResetTerminated();
    Application::SetExeName(folder.Path() + QStringLiteral("/Velmora 1.1"));
    folder.Write(QStringLiteral("Velmora 1.1"), "running program");
    updateAndExitDuringTheTaskLibrary();
    EXPECT_EQ(folder.Read(QStringLiteral("Velmora 1.1")), Program("new program"));
    EXPECT_FALSE(folder.Exists(QStringLiteral("Libraries/Quillon.so.new")));
}

} // namespace
