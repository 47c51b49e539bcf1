#include "taskmanager/TaskWindow.h"

#include "forms/FormControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

void TVelmoraTask::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTask"));
    setWindowTitle(QStringLiteral("Velmora Task Manager"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(840, 450);

    EnableTaskManager =
        Button(this, "EnableTaskManager", QStringLiteral("Task Manager Stopped (click to start)"));
    QFont bold = EnableTaskManager->font();
    bold.setBold(true);
    EnableTaskManager->setFont(bold);
    AdvancedTask = Button(this, "AdvancedTask", QStringLiteral("More"));
    DatabaseExpert = Button(this, "DatabaseExpert", QStringLiteral("Expert Options"));
    HideTaskManager = Button(this, "HideTaskManager", QStringLiteral("Close Task Management"));

    TaskList = Grid(this, QStringLiteral("TaskList"), 1, 6);
    TaskList->setAccessibleName(QStringLiteral("Tasks"));
    TaskList->setHorizontalHeaderLabels({QStringLiteral("TASK NAME"), QStringLiteral("PARRENT APPLICATION"),
                                         QStringLiteral("STATUS"), QStringLiteral("TRUST"),
                                         QStringLiteral("WINDOW CLASS"), QStringLiteral("EXECUTABLE")});
    TaskList->verticalHeader()->setVisible(false);
    TaskList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    TaskList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TaskList->setSelectionMode(QAbstractItemView::ContiguousSelection);
    TaskList->setSelectionBehavior(QAbstractItemView::SelectRows);
    TaskList->setShowGrid(true);
    TaskList->setWordWrap(false);
    QHeaderView* header = TaskList->horizontalHeader();
    header->setDefaultSectionSize(130);
    header->setStretchLastSection(true);
    // Columns grow to their captions, and the status column to the longest status a task shows.
    for (int column = 0; column < TaskList->columnCount(); ++column)
        header->resizeSection(column,
                              std::max(header->defaultSectionSize(), header->sectionSizeHint(column)));
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, TaskList) + 1;
    header->resizeSection(
        2, std::max(header->sectionSize(2),
                    TaskList->fontMetrics().horizontalAdvance(QStringLiteral("Not Responding (Suspended)")) +
                        2 * textMargin + 1));
    // The header row selects nothing and opens no menu.
    TaskList->horizontalHeader()->setSectionsClickable(false);

    DescriptionName = Label(this, "DescriptionName", QStringLiteral("No Task Selected"));
    QFont title = DescriptionName->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    DescriptionName->setFont(title);
    DescriptionParrent = Label(
        this, "DescriptionParrent",
        QStringLiteral("Click on the appropriate row above, in order to view or edit the perspective task."));
    DescriptionStatus = Label(this, "DescriptionStatus", QString());
    DescriptionTrust = Label(this, "DescriptionTrust",
                             QStringLiteral("Pressing the \"Script\" button now, will generate a global "
                                            "Script that will run for every task."));
    CustomTrustLabel = Label(this, "CustomTrustLabel", QString());
    CustomTrustBar = new QSlider(Qt::Horizontal, this);
    CustomTrustBar->setObjectName(QStringLiteral("CustomTrustBar"));
    CustomTrustBar->setRange(-4, 4);
    CustomTrustBar->setValue(0);
    CustomTrustLabel->setBuddy(CustomTrustBar); // names the bar for screen readers
    ShowNewTrust(QString());
    CustomTrustButton = Button(this, "CustomTrustButton", QStringLiteral("Apply new trust"));
    MonitorButton = Button(this, "MonitorButton", QStringLiteral("Create Monitor"));
    TaskScriptButton = Button(this, "TaskScriptButton", QStringLiteral("Scripting"));
    DatabaseRemove = Button(this, "DatabaseRemove", QStringLiteral("Remove"));
    ActionTaskResume = Button(this, "ActionTaskResume", QStringLiteral("Resume"));
    ActionTaskSuspend = Button(this, "ActionTaskSuspend", QStringLiteral("Suspend"));
    ActionTaskKill = Button(this, "ActionTaskKill", QStringLiteral("Kill"));
    for (QWidget* hidden : {static_cast<QWidget*>(CustomTrustLabel), static_cast<QWidget*>(CustomTrustBar),
                            static_cast<QWidget*>(CustomTrustButton), static_cast<QWidget*>(MonitorButton),
                            static_cast<QWidget*>(TaskScriptButton), static_cast<QWidget*>(DatabaseRemove),
                            static_cast<QWidget*>(ActionTaskResume), static_cast<QWidget*>(ActionTaskSuspend),
                            static_cast<QWidget*>(ActionTaskKill)})
        hidden->setVisible(false);

    NowRunning = new QListWidget(this);
    NowRunning->setObjectName(QStringLiteral("NowRunning"));
    NowRunning->setSortingEnabled(false);
    NowRunning->setVisible(false);

    TaskMenu = new QMenu(this);
    TaskMenu->setObjectName(QStringLiteral("TaskMenu"));
    const auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto subMenu = [](QMenu* menu, const char* name, const char* caption) {
        QMenu* sub = menu->addMenu(QString::fromLatin1(caption));
        sub->setObjectName(QString::fromLatin1(name));
        return sub;
    };
    CancelMenu = item(TaskMenu, "CancelMenu", "Nothing");
    TrustMenu = subMenu(TaskMenu, "TrustMenu", "Change Trust");
    Trust0Menu = item(TrustMenu, "Trust0Menu", "Unknown Trust");
    TrustPosMenu = subMenu(TrustMenu, "TrustPosMenu", "Positive Trusts");
    Trust1Menu = item(TrustPosMenu, "Trust1Menu", "1: Briefly Run Before");
    Trust2Menu = item(TrustPosMenu, "Trust2Menu", "2: Run Before");
    Trust3Menu = item(TrustPosMenu, "Trust3Menu", "3: Safe");
    Trust4Menu = item(TrustPosMenu, "Trust4Menu", "4: Trusted");
    TrustNegMenu = subMenu(TrustMenu, "TrustNegMenu", "Negative Trusts");
    Trust_1Menu = item(TrustNegMenu, "Trust_1Menu", "-1: Suspicious");
    Trust_2Menu = item(TrustNegMenu, "Trust_2Menu", "-2: Distrusted");
    Trust_3Menu = item(TrustNegMenu, "Trust_3Menu", "-3: Potentially Dangerous");
    Trust_4Menu = item(TrustNegMenu, "Trust_4Menu", "-4: Dangerous");
    ResumeMenu = item(TaskMenu, "ResumeMenu", "Resume Task");
    ResumeMenu->setEnabled(false);
    SuspendMenu = item(TaskMenu, "SuspendMenu", "Suspend Task");
    KillMenu = item(TaskMenu, "KillMenu", "Kill Task");
    RemoveMenu = item(TaskMenu, "RemoveMenu", "Remove Task");

    auto* commands = new QHBoxLayout;
    commands->addWidget(EnableTaskManager, 1);
    commands->addWidget(AdvancedTask);
    commands->addWidget(DatabaseExpert);
    commands->addWidget(HideTaskManager);

    auto* panel = new QGridLayout;
    panel->addWidget(DescriptionName, 0, 0, 1, 4);
    panel->addWidget(DescriptionParrent, 1, 0, 1, 4);
    panel->addWidget(DescriptionStatus, 2, 0, 1, 4);
    panel->addWidget(DescriptionTrust, 3, 0, 1, 4);
    panel->addWidget(CustomTrustLabel, 4, 0, 1, 2);
    panel->addWidget(CustomTrustBar, 4, 2);
    panel->addWidget(CustomTrustButton, 4, 3);
    // The trust texts are long: the label takes the room, the bar a fixed width.
    panel->setColumnStretch(0, 1);
    CustomTrustBar->setFixedWidth(160);
    auto* actions = new QHBoxLayout;
    actions->addWidget(MonitorButton);
    actions->addWidget(TaskScriptButton);
    actions->addWidget(DatabaseRemove);
    actions->addStretch(1);
    // Resume and Suspend share one place: at most one of them is shown.
    actions->addWidget(ActionTaskResume);
    actions->addWidget(ActionTaskSuspend);
    actions->addWidget(ActionTaskKill);
    panel->addLayout(actions, 5, 0, 1, 4);

    // The task's texts are long: they wrap and the grid gives up the height.
    for (QLabel* text :
         {DescriptionName, DescriptionParrent, DescriptionStatus, DescriptionTrust, CustomTrustLabel})
        text->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addWidget(TaskList, 1);
    layout->addLayout(panel);

    // Wide enough for every column.
    int columns = 0;
    for (int column = 0; column < TaskList->columnCount(); ++column)
        columns += header->sectionSize(column);
    const QMargins margins = layout->contentsMargins();
    resize(std::max(840, columns + 2 * TaskList->frameWidth() +
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, TaskList) +
                             margins.left() + margins.right()),
           450);
}
