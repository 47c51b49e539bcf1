// The program started as a desktop starts it under a Wayland session (the session's variables set,
// no platform chosen) shows its main window on the X display.
#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
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

} // namespace

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
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    ASSERT_NE(atom, nullptr);
    bool shown = false;
    for (int wait = 0; wait < 200 && !shown; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        shown = ShowsWindow(c, root, atom->atom, velmora);
    }
    std::free(atom);
    xcb_disconnect(c);
    int status = 0;
    const bool running = ::waitpid(velmora, &status, WNOHANG) == 0;
    ::kill(velmora, SIGKILL);
    ::waitpid(velmora, &status, 0);
    EXPECT_TRUE(running) << "Velmora ended at start";
    EXPECT_TRUE(shown) << "Velmora's main window is not on the X display";
}

TEST(ProgramPlatform, WithoutADisplaySaysInOneLineThatItNeedsOneAndEnds)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromUtf8(name));
    QProcess velmora;
    velmora.setProcessEnvironment(environment);
    velmora.start(QStringLiteral(VELMORA_PATH), {});
    ASSERT_TRUE(velmora.waitForFinished(10000));
    EXPECT_EQ(velmora.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(velmora.exitCode(), 1);
    EXPECT_EQ(velmora.readAllStandardError().toStdString(),
              "Velmora needs an X display: DISPLAY is not set.\n");
}
