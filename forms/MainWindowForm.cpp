#include "shell/MainWindow.h"

#include "platform/Timer.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace {

QPushButton* PictureButton(QWidget* owner, const char* name, const QString& caption,
                           QStyle::StandardPixmap picture)
{
    auto* button = new QPushButton(owner->style()->standardIcon(picture), caption, owner);
    button->setObjectName(QLatin1String(name));
    return button;
}

QAction* MenuItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

} // namespace

void TVelmoraMain::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraMain"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    Background = new QLabel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setAlignment(Qt::AlignCenter);
    Background->setScaledContents(false);

    MemoryButton = PictureButton(this, "MemoryButton", QStringLiteral("Memory"), QStyle::SP_DriveHDIcon);
    MemoryBar = new QProgressBar(this);
    MemoryBar->setObjectName(QStringLiteral("MemoryBar"));
    MemoryBar->setRange(0, 100);
    MemoryBar->setValue(0);
    MemoryBar->setTextVisible(false);
    // Named after the button above it, whose caption tells the same memory in figures.
    MemoryBar->setAccessibleName(QStringLiteral("Memory"));
    // A smooth lime bar. Its background is a pale lime rather than lime itself, or the position could
    // not be seen at all.
    MemoryBar->setStyleSheet(
        QStringLiteral("QProgressBar { background-color: #d8ffd8; border: 1px solid gray; }"
                       "QProgressBar::chunk { background-color: #00ff00; }"));
    // Created in screen order, which Tab follows.
    TaskButton = PictureButton(this, "TaskButton", QStringLiteral("Task Manager (disabled)"),
                               QStyle::SP_FileDialogDetailedView);
    TemperatureButton =
        PictureButton(this, "TemperatureButton", QStringLiteral("Temperature"), QStyle::SP_ComputerIcon);
    ToTrayButton =
        PictureButton(this, "ToTrayButton", QStringLiteral("Move to tray"), QStyle::SP_TitleBarMinButton);
    // The form's "Help && About" shows a single ampersand.
    HelpButton =
        PictureButton(this, "HelpButton", QStringLiteral("Help && About"), QStyle::SP_DialogHelpButton);
    ExitButton =
        PictureButton(this, "ExitButton", QStringLiteral("Exit Velmora"), QStyle::SP_DialogCloseButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Background, 0, 0, 6, 3);
    layout->addWidget(MemoryButton, 0, 0, 1, 3);
    layout->addWidget(MemoryBar, 1, 0, 1, 3);
    layout->addWidget(TaskButton, 2, 0, 1, 3);
    layout->addWidget(TemperatureButton, 3, 0, 1, 3);
    layout->addWidget(ToTrayButton, 4, 0);
    layout->addWidget(HelpButton, 4, 1);
    layout->addWidget(ExitButton, 4, 2);
    MemoryBar->setFixedHeight(14);

    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    TrayServices = TrayMenu->addMenu(QStringLiteral("Services"));
    TrayServices->setObjectName(QStringLiteral("TrayServices"));
    TrayTask = MenuItem(TrayServices, "TrayTask", QStringLiteral("Task Manager"));
    TrayMem = MenuItem(TrayServices, "TrayMem", QStringLiteral("Memory Manager"));
    TrayTemp = MenuItem(TrayServices, "TrayTemp", QStringLiteral("Temperature Monitor"));
    TrayWindows = TrayMenu->addMenu(QStringLiteral("Windows"));
    TrayWindows->setObjectName(QStringLiteral("TrayWindows"));
    TrayTaskWin = MenuItem(TrayWindows, "TrayTaskWin", QStringLiteral("Task Manager"));
    TrayMemWin = MenuItem(TrayWindows, "TrayMemWin", QStringLiteral("Memory Manager"));
    TrayTempWin = MenuItem(TrayWindows, "TrayTempWin", QStringLiteral("Temperature Monitor"));
    TrayHideAllWin = MenuItem(TrayWindows, "TrayHideAllWin", QStringLiteral("Hide All"));
    TrayShow = MenuItem(TrayMenu, "TrayShow", QStringLiteral("Velmora visible"));
    TrayExit = MenuItem(TrayMenu, "TrayExit", QStringLiteral("Exit Velmora"));
    for (QAction* item : {TrayTaskWin, TrayMemWin, TrayTempWin, TrayShow})
        item->setCheckable(true);
    TrayShow->setChecked(true);

    MemoryTimer = new TTimer(this, 1000, false);
    TaskTimer = new TTimer(this, 500, false);
    TemperatureTimer = new TTimer(this, 500, false);
    // Armed by the program start once every window exists.
    FirstRunTimer = new TTimer(this, 1, false);

    // Small and fixed, but wide enough for the longest caption the ticks write: seven-digit
    // megabyte figures (up to 9.5 TB) with the longest schedule.
    MemoryButton->setText(QStringLiteral("Memory: 9999999 mB / 9999999 mB used(Optimized every 360 min)"));
    const QMargins margins = layout->contentsMargins();
    const int width = MemoryButton->sizeHint().width() + margins.left() + margins.right();
    MemoryButton->setText(QStringLiteral("Memory"));
    setFixedSize(std::max(420, width), 160);
}
