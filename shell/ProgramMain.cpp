#include "shell/Velmora.h"

#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskScript.h"
#include "taskmanager/TaskWindow.h"
#include "temperature/TempExpert.h"
#include "temperature/TempWindow.h"

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <string_view>

namespace {

// The program's icon: a small gauge, drawn so that no image file has to ship beside the program.
QIcon ApplicationIcon()
{
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x20, 0x40, 0x80));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 60, 60, 12, 12);
    painter.setBrush(QColor(0x00, 0xff, 0x00));
    painter.drawRect(12, 38, 40, 12);
    painter.setPen(QPen(Qt::white, 5));
    painter.drawLine(16, 14, 32, 32);
    painter.drawLine(32, 32, 48, 14);
    return QIcon(picture);
}

// What the command line tells Qt, which reads it before the environment: a platform of its own, or
// the X display.
struct DisplayArguments {
    bool platform = false;
    QByteArray display;
};

DisplayArguments ReadDisplayArguments(int argc, char** argv)
{
    DisplayArguments given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform")
            given.platform = true;
        else if ((argument == "-display" || argument == "--display") && i + 1 < argc)
            given.display = argv[i + 1];
    }
    return given;
}

// Qt would print its advice to reinstall and abort: one line says what is wrong instead. True when
// the start may go on.
bool DisplayReachable(int argc, char** argv)
{
    const DisplayArguments given = ReadDisplayArguments(argc, argv);
    if (given.platform)
        return true;
    const QByteArray x = given.display.isEmpty() ? qgetenv("DISPLAY") : given.display;
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (x.isEmpty() && wayland.isEmpty()) {
        std::fputs("Velmora needs an X display: DISPLAY is not set.\n", stderr);
        return false;
    }
    if (Application::DisplayAnswers(x, wayland))
        return true;
    QByteArray named;
    if (!x.isEmpty())
        named = "DISPLAY=" + x;
    if (!wayland.isEmpty())
        named += (named.isEmpty() ? "" : ", ") + ("WAYLAND_DISPLAY=" + wayland);
    std::fprintf(stderr, "Velmora cannot open the display: %s.\n", named.constData());
    return false;
}

// A signal ends the program by its own road out: settings saved once, a notice's stops undone.
// Before the first-run step has read the settings, a save would put design values over them: the
// program then ends with nothing written.
void EndBySignal()
{
    if (ExitProgramHandler)
        ExitProgramHandler();
    else
        Application::Terminate();
}

} // namespace

void CreateProgramWindows()
{
    VelmoraMain = new TVelmoraMain;
    VelmoraMem = new TVelmoraMem;
    VelmoraTask = new TVelmoraTask;
    VelmoraTaskAction = new TVelmoraTaskAction;
    VelmoraTaskExpert = new TVelmoraTaskExpert;
    VelmoraTemp = new TVelmoraTemp;
    VelmoraTempExpert = new TVelmoraTempExpert;
    VelmoraMemExpert = new TVelmoraMemExpert;
    VelmoraHelp = new TVelmoraHelp;
    VelmoraTaskCode = new TVelmoraTaskCode;
    VelmoraTaskResult = new TVelmoraTaskResult;
    VelmoraTaskScript = new TVelmoraTaskScript;
    // Only now: a box shown while the windows are created turns the message loop, and the first-run
    // step needs every window.
    VelmoraMain->FirstRunTimer->SetEnabled(true);
}

void DestroyProgramWindows()
{
    // Last created, first gone; the main window goes last as the owner of the icon and timers.
    auto destroy = [](auto*& window) {
        delete window;
        window = nullptr;
    };
    destroy(VelmoraTaskScript);
    destroy(VelmoraTaskResult);
    destroy(VelmoraTaskCode);
    destroy(VelmoraHelp);
    destroy(VelmoraMemExpert);
    destroy(VelmoraTempExpert);
    destroy(VelmoraTemp);
    destroy(VelmoraTaskExpert);
    destroy(VelmoraTaskAction);
    destroy(VelmoraTask);
    destroy(VelmoraMem);
    destroy(VelmoraMain);
}

int ProgramMain(int argc, char** argv)
{
    // Velmora's windows are tasks and the task library's handles are X window ids: under a Wayland
    // session it runs through XWayland, where it sees the X11 programs, unless the user chose a
    // platform. On one without an X server it still starts, and the task manager says it sees
    // nothing.
    const bool chosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (!chosen) {
        if (!DisplayReachable(argc, argv))
            return 1;
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    }
    QApplication application(argc, argv);
    Application::EndDisplayCheck();
    // The programs Velmora starts choose their own.
    if (!chosen)
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Closing a monitor window while the main window is hidden must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    CreateProgramWindows();
    Application::OnEndSignal(EndBySignal);
    VelmoraMain->show();
    const int result = QApplication::exec();
    DestroyProgramWindows();
    return result;
}
