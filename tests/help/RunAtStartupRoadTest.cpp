#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Runs a helper program to its end: its output, or nothing when it fails.
QByteArray Helper(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput().trimmed();
}

// A zombie counts as ended: nobody may be left to reap it.
bool Running(const QByteArray& pid)
{
    QFile stat(QStringLiteral("/proc/") + QString::fromLatin1(pid) + QStringLiteral("/stat"));
    return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
}

// The program's folder, as it ships: the executable with the libraries beside it, and settings.
void Install(const QString& folder)
{
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Libraries")));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Database")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM), folder + QStringLiteral("/velmora")));
    const QDir libraries(QStringLiteral(VELMORA_LIBRARIES));
    for (const QString& library : libraries.entryList({QStringLiteral("*.so")}, QDir::Files))
        ASSERT_TRUE(
            QFile::copy(libraries.filePath(library), folder + QStringLiteral("/Libraries/") + library));
    QFile settings(folder + QStringLiteral("/Database/Options.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Memory]\r\nSafety MB=7\r\n");
}

// Run at start-up as a session runs it: the desktop's launcher starts the entry from another folder,
// and the program finds its libraries and settings beside itself and keeps its data there.
TEST(RunAtStartupRoad, TheEntryStartsAWorkingProgramFromAnotherFolder)
{
    QTemporaryDir root;
    const QString folder = root.path() + QStringLiteral("/programs \"$HOME\" \\ 'x'");
    const QString home = root.path() + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkpath(home));
    Install(folder);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + QStringLiteral("/config")));
    WriteAutostartEntry(QStringLiteral("Velmora 1.0"), folder + QStringLiteral("/velmora"));
    qunsetenv("XDG_CONFIG_HOME");
    // The program outlives the launcher: no pipe of the test's may close under it.
    QProcess launcher;
    launcher.setProcessChannelMode(QProcess::ForwardedChannels);
    launcher.setWorkingDirectory(home);
    launcher.start(
        QStringLiteral("gio"),
        {QStringLiteral("launch"), root.path() + QStringLiteral("/config/autostart/Velmora 1.0.desktop")});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    ASSERT_EQ(launcher.exitCode(), 0);

    const QByteArray window =
        Helper(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--name"), QStringLiteral("^Velmora$")})
            .split('\n')
            .value(0);
    const QByteArray pid =
        Helper(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), QString::fromLatin1(window)});
    ASSERT_TRUE(Running(pid));
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(QString::fromLatin1(pid))).symLinkTarget(),
              folder);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(QString::fromLatin1(pid)));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    for (const char* library : {"Quillon.so", "Brevant.so", "Sorrelin.so"})
        EXPECT_TRUE(mapped.contains(QFile::encodeName(folder) + "/Libraries/" + library)) << library;

    // Closing the main window saves what was restored, beside the program.
    Helper(QStringLiteral("wmctrl"),
           {QStringLiteral("-i"), QStringLiteral("-c"), QString::fromLatin1(window)});
    const bool ended = QTest::qWaitFor([&] { return !Running(pid); }, 60000);
    if (!ended)
        kill(pid.toInt(), SIGKILL);
    ASSERT_TRUE(ended);
    QFile settings(folder + QStringLiteral("/Database/Options.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("Safety MB=7\r\n"));
    EXPECT_TRUE(QDir(home).isEmpty());
}

} // namespace
