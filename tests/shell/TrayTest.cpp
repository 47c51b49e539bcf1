#include "help/HelpWindow.h"
#include "platform/Application.h"
#include "platform/NotifyIcon.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QProcess>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

void WaitForTheNotificationArea()
{
    QDeadlineTimer deadline(10000);
    while (!TNotifyIcon::Available() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(TNotifyIcon::Available()) << "no notification area on this display";
}

// The icon's own window, once the notification area shows it.
QWidget* IconWindow()
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qstrcmp(window->metaObject()->className(), "QSystemTrayIconSys") == 0 && window->isVisible())
                return window;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return nullptr;
}

// On a real X display with a notification area: the icon appears, "Move to tray" hides the main
// window and the icon brings it back.
TEST(TrayTest, MoveToTrayHidesTheWindowAndTheIconBringsItBack)
{
    WaitForTheNotificationArea();
    WorkingFolder folder;
    MessageBoxRecorder boxes;
    Application::ResetTerminated();
    CreateProgramWindows();
    VelmoraMain->show();
    EXPECT_TRUE(VelmoraMain->NotifyIcon()->Shown());

    VelmoraMain->ToTrayButtonClick(nullptr);
    EXPECT_FALSE(VelmoraMain->isVisible());
    EXPECT_FALSE(VelmoraMain->TrayShow->isChecked());
    VelmoraMain->TrayIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(VelmoraMain->isVisible());
    EXPECT_TRUE(VelmoraMain->TrayShow->isChecked());

    VelmoraMain->ExitButtonClick(nullptr);
    EXPECT_FALSE(VelmoraMain->NotifyIcon()->Shown());
    DestroyProgramWindows();
    ExitProgramHandler = nullptr;
}

// "Exit Velmora" as the desktop delivers it: a right click on the icon opens the menu from the
// icon's own event, the user picks the item, and the program ends with status 0, the icon gone.
TEST(TrayTest, ExitFromTheIconsMenuEndsTheProgramWithStatusZero)
{
    WaitForTheNotificationArea();
    WorkingFolder folder;
    MessageBoxRecorder boxes;
    Application::ResetTerminated();
    CreateProgramWindows();
    VelmoraMain->move(300, 300); // clear of the panel, so the click lands on the icon
    VelmoraMain->show();
    QWidget* icon = IconWindow();
    ASSERT_NE(icon, nullptr);

    QTimer user;
    user.callOnTimeout([&] {
        if (!VelmoraMain->TrayMenu->isVisible())
            return;
        user.stop();
        VelmoraMain->TrayMenu->setActiveAction(VelmoraMain->TrayExit);
        QTest::keyClick(VelmoraMain->TrayMenu, Qt::Key_Return);
    });
    user.start(20);
    QTimer fault; // only a fault waits this long
    fault.callOnTimeout([] { QCoreApplication::exit(3); });
    fault.start(10000);
    QProcess::startDetached(QStringLiteral("xdotool"),
                            {QStringLiteral("mousemove"), QStringLiteral("--window"),
                             QString::number(icon->winId()), QStringLiteral("4"), QStringLiteral("4"),
                             QStringLiteral("click"), QStringLiteral("3")});
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(Application::Terminated());
    EXPECT_FALSE(VelmoraMain->NotifyIcon()->Shown());
    DestroyProgramWindows();
    ExitProgramHandler = nullptr;
}

} // namespace
