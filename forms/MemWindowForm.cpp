#include "memory/MemWindow.h"

#include "forms/FormControls.h"
#include "platform/Gauge.h"
#include "platform/Image.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

TGauge* Gauge(QWidget* owner, const char* name, const QColor& foreColor)
{
    auto* gauge = new TGauge(owner);
    gauge->setObjectName(QLatin1String(name));
    gauge->SetRange(0, 100);
    gauge->SetProgress(0);
    gauge->SetForeColor(foreColor);
    return gauge;
}

} // namespace

void TVelmoraMem::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraMem"));
    setWindowTitle(QStringLiteral("Velmora Memory Manager"));
    // Close and maximize boxes only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    FreeMemoryLabel = Label(this, "FreeMemoryLabel", QStringLiteral("Free Memory"));
    FreeMemoryGauge = Gauge(this, "FreeMemoryGauge", QColor(0, 255, 0));
    UsedMemoryLabel = Label(this, "UsedMemoryLabel", QStringLiteral("Used Memory"));
    UsedMemoryGauge = Gauge(this, "UsedMemoryGauge", QColor(0, 0, 255));
    ExtraStatisticsLabel = Label(this, "ExtraStatisticsLabel", QStringLiteral("Other Memory Statistics"));
    VirtualMemoryLabel = Label(this, "VirtualMemoryLabel", QStringLiteral("Used Virtual Memory"));
    VirtualMemoryGauge = Gauge(this, "VirtualMemoryGauge", QColor(128, 128, 128));
    PageMemoryLabel = Label(this, "PageMemoryLabel", QStringLiteral("Used Page File"));
    PageMemoryGauge = Gauge(this, "PageMemoryGauge", QColor(128, 128, 128));
    // The label above each gauge names it for screen readers, with the figures it shows.
    FreeMemoryLabel->setBuddy(FreeMemoryGauge);
    UsedMemoryLabel->setBuddy(UsedMemoryGauge);
    VirtualMemoryLabel->setBuddy(VirtualMemoryGauge);
    PageMemoryLabel->setBuddy(PageMemoryGauge);
    for (QWidget* extra : std::initializer_list<QWidget*>{
             ExtraStatisticsLabel, VirtualMemoryLabel, VirtualMemoryGauge, PageMemoryLabel, PageMemoryGauge})
        extra->setVisible(false);

    MemoryGraph = new TImage(this);
    MemoryGraph->setObjectName(QStringLiteral("MemoryGraph"));
    MemoryGraph->setMinimumSize(240, 120);
    MemoryGraph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    // Created in screen order, which Tab follows.
    AutoMemoryLabel = Label(this, "AutoMemoryLabel", QStringLiteral("Auto Optimize Memory: Disabled"));
    AutoMemoryBar = new QSlider(Qt::Horizontal, this);
    AutoMemoryBar->setObjectName(QStringLiteral("AutoMemoryBar"));
    AutoMemoryBar->setRange(0, 360);
    AutoMemoryBar->setValue(0);
    AutoMemoryLabel->setBuddy(AutoMemoryBar); // names the bar for screen readers

    OptimizeMemory = Button(this, "OptimizeMemory", QStringLiteral("Optimize Memory"));
    AdvancedMemory = Button(this, "AdvancedMemory", QStringLiteral("More"));
    MemoryExpert = Button(this, "MemoryExpert", QStringLiteral("Expert Options"));
    HideMemory = Button(this, "HideMemory", QStringLiteral("Close Memory Management"));

    auto* layout = new QVBoxLayout(this);
    for (QWidget* control : std::initializer_list<QWidget*>{
             FreeMemoryLabel, FreeMemoryGauge, UsedMemoryLabel, UsedMemoryGauge, ExtraStatisticsLabel,
             VirtualMemoryLabel, VirtualMemoryGauge, PageMemoryLabel, PageMemoryGauge})
        layout->addWidget(control);
    layout->addWidget(MemoryGraph, 1);
    layout->addWidget(AutoMemoryLabel);
    layout->addWidget(AutoMemoryBar);
    auto* buttons = new QGridLayout;
    buttons->addWidget(OptimizeMemory, 0, 0);
    buttons->addWidget(AdvancedMemory, 0, 1);
    buttons->addWidget(MemoryExpert, 1, 0);
    buttons->addWidget(HideMemory, 1, 1);
    layout->addLayout(buttons);

    resize(440, 520);
}
