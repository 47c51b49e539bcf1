// The program itself as a desktop starts it: under a Wayland session (the session's variables set,
// no platform chosen) it shows its main window on the X display; a display it cannot reach ends it
// with one line; and an end by a signal or by the display's loss leaves no program held stopped.
#include "tests/components/brevant/BrevantSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// A viewable window anywhere on the display that claims `pid`.
bool ShowsWindow(xcb_connection_t* c, xcb_window_t window, xcb_atom_t pidAtom, pid_t pid)
{
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    auto* property =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    const bool owned =
        property != nullptr && xcb_get_property_value_length(property) == 4 &&
        *static_cast<const uint32_t*>(xcb_get_property_value(property)) == static_cast<uint32_t>(pid);
    std::free(property);
    if (viewable && owned)
        return true;
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    bool found = false;
    for (int i = 0; tree != nullptr && i < xcb_query_tree_children_length(tree) && !found; ++i)
        found = ShowsWindow(c, xcb_query_tree_children(tree)[i], pidAtom, pid);
    std::free(tree);
    return found;
}

bool ShowsWindow(pid_t pid)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    const bool shown = atom != nullptr && ShowsWindow(c, root, atom->atom, pid);
    std::free(atom);
    xcb_disconnect(c);
    return shown;
}

// Exit status as waitpid gives it, or -1 while the process still runs after `timeout`.
int WaitForEnd(pid_t pid, std::chrono::milliseconds timeout)
{
    int status = -1;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout))
        return -1;
    return status;
}

// A run of the real program in a folder of its own, with the task library, whose task manager starts
// at once, checks every 500 ms, trusts its own main window and knows "Frozen" as Distrusted: a notice
// about that one holds it stopped.
class HeldRun {
public:
    HeldRun()
    {
        const QDir dir(folder.path());
        dir.mkpath(QStringLiteral("Libraries"));
        dir.mkpath(QStringLiteral("Database"));
        QFile::copy(QStringLiteral(BREVANT_PATH), dir.filePath(QStringLiteral("Libraries/Brevant.so")));
        Write(QStringLiteral("Database/TaskDatabase.xml"),
              "<DataBase><Task No=\"1\"><Information Name=\"Frozen\" Trust=\"-2\" "
              "Status=\"\"/></Task><Task No=\"2\"><Information Name=\"Velmora\" Trust=\"4\" "
              "Status=\"\"/></Task></DataBase>");
        Write(QStringLiteral("Database/Options.ini"), "[Task Update]\r\nRefresh *500msec=1\r\n"
                                                      "[Task Management]\r\nManager Started=1\r\n"
                                                      "[Task AUTO START]\r\nEnabled=0\r\nLoad Database=0\r\n"
                                                      "Allow Unknown=2\r\n");
    }

    ~HeldRun()
    {
        frozen.reset();
        if (velmora > 0 && ::waitpid(velmora, nullptr, WNOHANG) == 0) {
            ::kill(velmora, SIGKILL);
            ::waitpid(velmora, nullptr, 0);
        }
    }

    // Starts the program and, once it checks, a program titled "Frozen"; returns when that program is
    // held stopped. Started after the first check saw the task inactive, its start is a change of
    // status.
    void StartAndHold()
    {
        velmora = ::fork();
        if (velmora == 0) {
            ::unsetenv("QT_QPA_PLATFORM");
            if (::chdir(folder.path().toLocal8Bit().constData()) == 0)
                ::execl(VELMORA_PATH, VELMORA_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_TRUE(WaitUntil([this] { return ShowsWindow(velmora); }, std::chrono::seconds(10)));
        std::this_thread::sleep_for(std::chrono::seconds(2));
        frozen = std::make_unique<WindowProcess>(std::vector<std::string>{"--title", "Frozen"});
        ASSERT_TRUE(
            WaitUntil([this] { return ProcessState(frozen->Pid()) == 'T'; }, std::chrono::seconds(10)))
            << "the notice does not hold Frozen";
    }

    QByteArray Read(const QString& name) const
    {
        QFile file(QDir(folder.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    pid_t velmora = -1;
    std::unique_ptr<WindowProcess> frozen;

private:
    void Write(const QString& name, const QByteArray& content) const
    {
        QFile file(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
};

} // namespace

// A logout, `kill` or Ctrl+C while a notice holds its program stopped: the program ends as by its
// close box, the held program runs again and the settings are written.
TEST(ProgramPlatform, AnEndBySignalResumesTheHeldProgramAndSavesTheSettings)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        HeldRun run;
        ASSERT_NO_FATAL_FAILURE(run.StartAndHold());
        ::kill(run.velmora, signal);
        const int status = WaitForEnd(run.velmora, std::chrono::seconds(10));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_NE(ProcessState(run.frozen->Pid()), 'T');
        EXPECT_TRUE(run.Read(QStringLiteral("Database/Options.ini")).contains("[Memory]"));
        EXPECT_TRUE(run.Read(QStringLiteral("Database/TaskDatabase.xml")).contains("<Description"));
    }
}

// An X server of the test's own, which it can take away; DISPLAY names it while it lives.
class OwnDisplay {
public:
    OwnDisplay()
    {
        int numberPipe[2];
        if (::pipe(numberPipe) != 0)
            return;
        server = ::fork();
        if (server == 0) {
            ::dup2(numberPipe[1], 3);
            // It tries the numbers in use first, and says so.
            static_cast<void>(::freopen("/dev/null", "w", stderr));
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(numberPipe[1]);
        char number[16] = {};
        if (::read(numberPipe[0], number, sizeof number - 1) > 0)
            ::setenv("DISPLAY", (":" + QByteArray(number).trimmed()).constData(), 1);
        ::close(numberPipe[0]);
    }

    ~OwnDisplay() { End(); }

    void End()
    {
        ::setenv("DISPLAY", previous.constData(), 1);
        if (server > 0) {
            ::kill(server, SIGKILL);
            ::waitpid(server, nullptr, 0);
            server = -1;
        }
    }

    const QByteArray previous = qgetenv("DISPLAY");
    pid_t server = -1;
};

// The X server goes while a notice holds its program stopped: the program ends, and the held one is
// let go first (it then ends too, its own connection gone).
TEST(ProgramPlatform, TheDisplaysLossLetsTheHeldProgramGo)
{
    OwnDisplay display;
    ASSERT_NE(qgetenv("DISPLAY"), display.previous);
    HeldRun run;
    ASSERT_NO_FATAL_FAILURE(run.StartAndHold());
    display.End();
    EXPECT_NE(WaitForEnd(run.velmora, std::chrono::seconds(10)), -1);
    EXPECT_NE(ProcessState(run.frozen->Pid()), 'T');
}

TEST(ProgramPlatform, RunsOnTheXDisplayUnderAWaylandSession)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const pid_t velmora = ::fork();
    if (velmora == 0) {
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv("XDG_SESSION_TYPE", "wayland", 1);
        // Under Xvfb there is no compositor: the session's address points nowhere.
        ::setenv("WAYLAND_DISPLAY", "velmora-no-compositor", 0);
        if (::chdir(folder.path().toLocal8Bit().constData()) == 0)
            ::execl(VELMORA_PATH, VELMORA_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(velmora, 0);
    const bool shown = WaitUntil([velmora] { return ShowsWindow(velmora); }, std::chrono::seconds(10));
    int status = 0;
    const bool running = ::waitpid(velmora, &status, WNOHANG) == 0;
    ::kill(velmora, SIGKILL);
    ::waitpid(velmora, &status, 0);
    EXPECT_TRUE(running) << "Velmora ended at start";
    EXPECT_TRUE(shown) << "Velmora's main window is not on the X display";
}

// No display named, or one that nothing answers: one line says so, and the program ends with 1.
TEST(ProgramPlatform, WithoutADisplayItSaysSoInOneLineAndEnds)
{
    const struct {
        const char* display;
        const char* wayland;
        std::string said;
    } cases[] = {
        {nullptr, nullptr, "Velmora needs an X display: DISPLAY is not set.\n"},
        {":4093", nullptr, "Velmora cannot open the display: DISPLAY=:4093.\n"},
        {":", nullptr, "Velmora cannot open the display: DISPLAY=:.\n"},
        {nullptr, "velmora-no-compositor",
         "Velmora cannot open the display: WAYLAND_DISPLAY=velmora-no-compositor.\n"},
    };
    for (const auto& each : cases) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromUtf8(name));
        if (each.display != nullptr)
            environment.insert(QStringLiteral("DISPLAY"), QString::fromUtf8(each.display));
        if (each.wayland != nullptr)
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromUtf8(each.wayland));
        QProcess velmora;
        velmora.setProcessEnvironment(environment);
        velmora.start(QStringLiteral(VELMORA_PATH), {});
        ASSERT_TRUE(velmora.waitForFinished(10000));
        EXPECT_EQ(velmora.exitStatus(), QProcess::NormalExit) << each.said;
        EXPECT_EQ(velmora.exitCode(), 1) << each.said;
        EXPECT_EQ(velmora.readAllStandardError().toStdString(), each.said);
    }
}
