#include "temperature/TempWindow.h"

#include "forms/FormControls.h"
#include "platform/Gauge.h"
#include "platform/Image.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSizePolicy>

namespace {

QLabel* KeptLabel(QWidget* owner, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, owner);
    label->setObjectName(name);
    // A core's line keeps its place while hidden, so the graph does not jump when cores come and go.
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    return label;
}

TGauge* Gauge(QWidget* owner, const QString& name)
{
    auto* gauge = new TGauge(owner);
    gauge->setObjectName(name);
    gauge->SetRange(0, 100);
    gauge->SetProgress(0);
    gauge->SetForeColor(QColor(255, 128, 0));
    QSizePolicy policy = gauge->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    gauge->setSizePolicy(policy);
    return gauge;
}

} // namespace

void TVelmoraTemp::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTemp"));
    setWindowTitle(QStringLiteral("Velmora Temperature Monitor"));
    setMinimumSize(830, 510);
    resize(830, 510);

    EnableTempMonitor =
        Button(this, "EnableTempMonitor", QStringLiteral("Temperature Monitor Stopped (click to start)"));
    AdvancedTemp = Button(this, "AdvancedTemp", QStringLiteral("More"));
    TemperatureExpert = Button(this, "TemperatureExpert", QStringLiteral("Expert Options"));
    HideTemperature = Button(this, "HideTemperature", QStringLiteral("Close Temperature Monitor"));

    TempLevelLabel = KeptLabel(this, QStringLiteral("TempLevelLabel"), QStringLiteral("Average Temperature"));
    TempLevelGauge = Gauge(this, QStringLiteral("TempLevelGauge"));
    TempLevelLabel->setBuddy(TempLevelGauge); // names the gauge for screen readers

    QLabel** const coreLabels[] = {&TempCore1Label, &TempCore2Label, &TempCore3Label, &TempCore4Label,
                                   &TempCore5Label, &TempCore6Label, &TempCore7Label, &TempCore8Label};
    TGauge** const coreBars[] = {&TempCore1Bar, &TempCore2Bar, &TempCore3Bar, &TempCore4Bar,
                                 &TempCore5Bar, &TempCore6Bar, &TempCore7Bar, &TempCore8Bar};
    for (int k = 0; k < 8; ++k) {
        *coreLabels[k] = KeptLabel(this, QStringLiteral("TempCore%1Label").arg(k + 1),
                                   QStringLiteral("Core %1 temperature").arg(k + 1));
        *coreBars[k] = Gauge(this, QStringLiteral("TempCore%1Bar").arg(k + 1));
        (*coreLabels[k])->setBuddy(*coreBars[k]);
        (*coreLabels[k])->setVisible(false);
        (*coreBars[k])->setVisible(false);
    }

    TempGraph = new TImage(this);
    TempGraph->setObjectName(QStringLiteral("TempGraph"));
    TempGraph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    // The readings on the left, the graph growing with the window on the right, the commands below.
    auto* layout = new QGridLayout(this);
    auto* readings = new QVBoxLayout;
    readings->setSpacing(2);
    readings->addWidget(TempLevelLabel);
    readings->addWidget(TempLevelGauge);
    readings->addSpacing(10);
    for (int k = 0; k < 8; ++k) {
        readings->addWidget(*coreLabels[k]);
        readings->addWidget(*coreBars[k]);
        readings->addSpacing(4);
    }
    readings->addStretch();
    auto* commands = new QHBoxLayout;
    commands->addWidget(EnableTempMonitor, 1);
    commands->addWidget(AdvancedTemp);
    commands->addWidget(TemperatureExpert);
    commands->addWidget(HideTemperature);
    layout->addLayout(readings, 0, 0);
    layout->addWidget(TempGraph, 0, 1);
    layout->addLayout(commands, 1, 0, 1, 2);
    layout->setColumnMinimumWidth(0, 340);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);
}
