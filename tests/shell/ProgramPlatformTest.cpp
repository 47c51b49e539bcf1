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

// `display`: nullptr for DISPLAY.
bool ShowsWindow(const char* display, pid_t pid)
{
    xcb_connection_t* c = xcb_connect(display, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    const bool shown = atom != nullptr && ShowsWindow(c, root, atom->atom, pid);
    std::free(atom);
    xcb_disconnect(c);
    return shown;
}

// A run of the real program on an X server of its own, in a folder of its own, with the task
// library: its task manager starts at once, checks every 500 ms, trusts its own main window and knows
// "Frozen" as Distrusted, so that a notice about that one holds it stopped.
class HeldRun {
public:
    HeldRun()
    {
        const QDir dir(folder.path());
        dir.mkpath(QStringLiteral("Libraries"));
        QFile::copy(QStringLiteral(BREVANT_PATH), dir.filePath(QStringLiteral("Libraries/Brevant.so")));
        dir.mkpath(QStringLiteral("Database"));
        QFile database(dir.filePath(QStringLiteral("Database/TaskDatabase.xml")));
        if (database.open(QIODevice::WriteOnly))
            database.write(
                "<DataBase><Task No=\"1\"><Information Name=\"Frozen\" Trust=\"-2\" Status=\"\"/></Task>"
                "<Task No=\"2\"><Information Name=\"Velmora\" Trust=\"4\" Status=\"\"/></Task></DataBase>");
        QFile options(dir.filePath(QStringLiteral("Database/Options.ini")));
        if (options.open(QIODevice::WriteOnly))
            options.write("[Task Update]\nRefresh *500msec=1\n[Task Management]\nManager Started=1\n"
                          "[Task AUTO START]\nEnabled=0\nLoad Database=0\nAllow Unknown=2\n");
        int number[2];
        if (::pipe(number) != 0)
            return;
        server = ::fork();
        if (server == 0) {
            ::dup2(number[1], 3);
            // It tries the numbers in use first, and says so.
            static_cast<void>(::freopen("/dev/null", "w", stderr));
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(number[1]);
        char digits[16] = {};
        if (::read(number[0], digits, sizeof digits - 1) > 0)
            display = ":" + QByteArray(digits).trimmed();
        ::close(number[0]);
    }

    ~HeldRun()
    {
        frozen.reset();
        if (velmora > 0 && ::waitpid(velmora, nullptr, WNOHANG) == 0) {
            ::kill(velmora, SIGKILL);
            ::waitpid(velmora, nullptr, 0);
        }
        EndDisplay();
    }

    // Starts a program titled "Frozen", then Velmora, whose first check finds it running: a saved
    // task seen for the first time changed its name. Returns when that program is held stopped.
    void StartAndHold()
    {
        ASSERT_FALSE(display.isEmpty());
        const QByteArray outer = qgetenv("DISPLAY");
        ::setenv("DISPLAY", display.constData(), 1);
        frozen = std::make_unique<WindowProcess>(std::vector<std::string>{"--title", "Frozen"});
        ::setenv("DISPLAY", outer.constData(), 1);
        velmora = ::fork();
        if (velmora == 0) {
            ::unsetenv("QT_QPA_PLATFORM");
            ::setenv("DISPLAY", display.constData(), 1);
            if (::chdir(folder.path().toLocal8Bit().constData()) == 0)
                ::execl(VELMORA_PATH, VELMORA_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_TRUE(
            WaitUntil([this] { return ProcessState(frozen->Pid()) == 'T'; }, std::chrono::seconds(10)))
            << "the notice does not hold Frozen";
    }

    // Exit status as waitpid gives it, or -1 while the program still runs after 10 s.
    int WaitForEnd() const
    {
        int status = -1;
        return WaitUntil([&] { return ::waitpid(velmora, &status, WNOHANG) == velmora; },
                         std::chrono::seconds(10))
                   ? status
                   : -1;
    }

    void EndDisplay()
    {
        if (server > 0) {
            ::kill(server, SIGKILL);
            ::waitpid(server, nullptr, 0);
            server = -1;
        }
    }

    QByteArray Read(const QString& name) const
    {
        QFile file(QDir(folder.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    QByteArray display;
    pid_t server = -1;
    pid_t velmora = -1;
    std::unique_ptr<WindowProcess> frozen;
};

} // namespace

// A logout, `kill` or Ctrl+C while a notice holds its program stopped: the program ends as by its
// close box, the held program runs again and the settings are written. When the X server goes
// instead, Qt ends the program at once, and the held program is let go first (it then ends too, its
// own connection gone).
TEST(ProgramPlatform, AnEndBySignalOrByTheDisplaysLossLetsTheHeldProgramGo)
{
    // On a server of its own: a compositor's adds nothing.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        GTEST_SKIP();
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, 0}) {
        SCOPED_TRACE(signal != 0 ? strsignal(signal) : "display gone");
        HeldRun run;
        ASSERT_NO_FATAL_FAILURE(run.StartAndHold());
        if (signal != 0)
            ::kill(run.velmora, signal);
        else
            run.EndDisplay();
        const int status = run.WaitForEnd();
        EXPECT_NE(status, -1);
        EXPECT_NE(ProcessState(run.frozen->Pid()), 'T');
        if (signal == 0)
            continue;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_TRUE(run.Read(QStringLiteral("Database/Options.ini")).contains("[Memory]"));
        EXPECT_TRUE(run.Read(QStringLiteral("Database/TaskDatabase.xml")).contains("<Description"));
    }
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
    const bool shown =
        WaitUntil([velmora] { return ShowsWindow(nullptr, velmora); }, std::chrono::seconds(10));
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
