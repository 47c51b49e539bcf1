#include "taskmanager/TaskResWindow.h"

#include "forms/FormControls.h"
#include "platform/Image.h"
#include "platform/Timer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

void TVelmoraTaskResource::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskResource"));
    setWindowTitle(QStringLiteral("Velmora Task Manager"));
    // A close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    NameLabel = Label(this, QStringLiteral("NameLabel"), QStringLiteral("Name"));
    QFont bold = NameLabel->font();
    bold.setBold(true);
    NameLabel->setFont(bold);
    DescLabel = Label(this, QStringLiteral("DescLabel"), QStringLiteral("Description"));

    Graph = new TImage(this);
    Graph->setObjectName(QStringLiteral("Graph"));
    Graph->setMinimumWidth(120);
    Graph->setFixedHeight(441);
    Graph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    AdvancedMonitor = Button(this, QStringLiteral("AdvancedMonitor"), QStringLiteral("More"));
    SpeedTaskLabel = Label(this, QStringLiteral("SpeedTaskLabel"), QStringLiteral("Refresh: Every 1500 ms"));
    SpeedTaskLabel->setVisible(false);
    SpeedTaskBar = new QSlider(Qt::Horizontal, this);
    SpeedTaskBar->setObjectName(QStringLiteral("SpeedTaskBar"));
    SpeedTaskBar->setRange(500, 3500);
    SpeedTaskBar->setValue(1500);
    SpeedTaskLabel->setBuddy(SpeedTaskBar); // names the bar for screen readers
    SpeedTaskBar->setVisible(false);
    CloseMonitor = Button(this, QStringLiteral("CloseMonitor"), QStringLiteral("Close this monitor"));

    GraphTimer = new TTimer(this, 1500, false);
    GraphTimer->setObjectName(QStringLiteral("GraphTimer"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NameLabel);
    layout->addWidget(DescLabel);
    layout->addWidget(Graph);
    auto* refresh = new QHBoxLayout;
    refresh->addWidget(AdvancedMonitor);
    refresh->addWidget(SpeedTaskLabel);
    refresh->addWidget(SpeedTaskBar, 1);
    refresh->addWidget(CloseMonitor);
    layout->addLayout(refresh);

    resize(541, 540);
}
