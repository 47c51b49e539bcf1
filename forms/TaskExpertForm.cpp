#include "taskmanager/TaskExpert.h"

#include "forms/FormControls.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

void TVelmoraTaskExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskExpert"));
    setWindowTitle(QStringLiteral("Velmora Task Manager - Expert Options"));

    SpeedTaskLabel = Label(this, "SpeedTaskLabel", QStringLiteral("Check tasks: Every 1500 ms"));
    SpeedTaskBar = new QSlider(Qt::Horizontal, this);
    SpeedTaskBar->setObjectName(QStringLiteral("SpeedTaskBar"));
    SpeedTaskBar->setRange(0, 10);
    SpeedTaskBar->setValue(3);

    ShowDesktopTasks = new QCheckBox(QStringLiteral("Display desktop tasks"), this);
    ShowDesktopTasks->setObjectName(QStringLiteral("ShowDesktopTasks"));
    ShowDesktopTasks->setChecked(true);

    ExcludeTable = new QTableWidget(1, 1, this);
    ExcludeTable->setObjectName(QStringLiteral("ExcludeTable"));
    ExcludeTable->horizontalHeader()->setVisible(false);
    ExcludeTable->verticalHeader()->setVisible(false);
    ExcludeTable->horizontalHeader()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SpeedTaskLabel);
    layout->addWidget(SpeedTaskBar);
    layout->addWidget(ShowDesktopTasks);
    layout->addWidget(ExcludeTable, 1);
}
