#include "help/HelpWindow.h"
#include "platform/Application.h"
#include "platform/NotifyIcon.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

namespace {

// On a real X display with a notification area: the icon appears, "Move to tray" hides the main
// window and the icon brings it back.
TEST(TrayTest, MoveToTrayHidesTheWindowAndTheIconBringsItBack)
{
    QDeadlineTimer deadline(10000);
    while (!TNotifyIcon::Available() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(TNotifyIcon::Available()) << "no notification area on this display";

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

} // namespace
