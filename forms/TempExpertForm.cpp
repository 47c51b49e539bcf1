#include "temperature/TempExpert.h"

#include "forms/FormControls.h"
#include "platform/RadioGroup.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QWidget* TabSheet(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* sheet = new QWidget(pages);
    sheet->setObjectName(QLatin1String(name));
    pages->addTab(sheet, caption);
    return sheet;
}

QSlider* TrackBar(QWidget* owner, const char* name, int minimum, int maximum, int position)
{
    auto* bar = new QSlider(Qt::Horizontal, owner);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

QCheckBox* CheckBox(QWidget* owner, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, owner);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    return box;
}

} // namespace

void TVelmoraTempExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTempExpert"));
    setWindowTitle(QStringLiteral("Velmora Temp Monitor - Expert Options"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    ExpertOptionsTab = new QTabWidget(this);
    ExpertOptionsTab->setObjectName(QStringLiteral("ExpertOptionsTab"));

    TempUpdate = TabSheet(ExpertOptionsTab, "TempUpdate", QStringLiteral("Temperature Update"));
    SpeedTempLabel = new QLabel(QStringLiteral("Check temperatures: Every 1500 ms"), TempUpdate);
    SpeedTempLabel->setObjectName(QStringLiteral("SpeedTempLabel"));
    SpeedTempBar = TrackBar(TempUpdate, "SpeedTempBar", 0, 10, 3);
    MaxTempLabel = new QLabel(QStringLiteral("Maximum Temperature: 90 degrees"), TempUpdate);
    MaxTempLabel->setObjectName(QStringLiteral("MaxTempLabel"));
    MaxTempLabel->setVisible(false);
    MaxTempBar = TrackBar(TempUpdate, "MaxTempBar", 20, 260, 90);
    MaxTempBar->setVisible(false);
    SpeedTempLabel->setBuddy(SpeedTempBar); // names the bar for screen readers
    MaxTempLabel->setBuddy(MaxTempBar);     // names the bar for screen readers
    TempUpdateDescription = Description(TempUpdate, "TempUpdateDescription",
                                        {QStringLiteral("These options are basically here for the user"),
                                         QStringLiteral("to decide the interval between temperature "),
                                         QStringLiteral("checks, as well as which temperature values"),
                                         QStringLiteral("will be considered as overheating.")});
    auto* updateLayout = new QVBoxLayout(TempUpdate);
    updateLayout->addWidget(SpeedTempLabel);
    updateLayout->addWidget(SpeedTempBar);
    updateLayout->addWidget(MaxTempLabel);
    updateLayout->addWidget(MaxTempBar);
    updateLayout->addWidget(TempUpdateDescription);

    AutoStart = TabSheet(ExpertOptionsTab, "AutoStart", QStringLiteral("On Monitor Start"));
    AutoRunEnableGroup =
        new TRadioGroup(QStringLiteral("CoreTemp"),
                        {QStringLiteral("Automatically run"), QStringLiteral("Ask before running"),
                         QStringLiteral("Do not check run")},
                        AutoStart);
    AutoRunEnableGroup->setObjectName(QStringLiteral("AutoRunEnableGroup"));
    AutoRunEnableGroup->SetItemIndex(1);
    CoreTempDescription = Description(AutoStart, "CoreTempDescription",
                                      {QStringLiteral("Core Temp is a third program that retrieves "),
                                       QStringLiteral("the information about computer temperature "),
                                       QStringLiteral("which in turn is being used by Velmora. Here, "),
                                       QStringLiteral("you choose to make the Temperature Monitor "),
                                       QStringLiteral("check if that program is already running when "),
                                       QStringLiteral("it is started and, if it does, to perform the "),
                                       QStringLiteral("appropriate thing.")});
    auto* autoStartLayout = new QVBoxLayout(AutoStart);
    autoStartLayout->addWidget(AutoRunEnableGroup);
    autoStartLayout->addWidget(CoreTempDescription);

    LoadOptions = TabSheet(ExpertOptionsTab, "LoadOptions", QStringLiteral("Save"));
    TempSaveDataOpt = CheckBox(LoadOptions, "TempSaveDataOpt", QStringLiteral("Save the Save options"));
    TempSaveUpdateOpt =
        CheckBox(LoadOptions, "TempSaveUpdateOpt", QStringLiteral("Save temperature update options"));
    TempSaveAutoStartOpt =
        CheckBox(LoadOptions, "TempSaveAutoStartOpt", QStringLiteral("Save On Monitor Start options"));
    auto* saveLayout = new QVBoxLayout(LoadOptions);
    saveLayout->addWidget(TempSaveDataOpt);
    saveLayout->addWidget(TempSaveUpdateOpt);
    saveLayout->addWidget(TempSaveAutoStartOpt);
    saveLayout->addStretch();

    ExpertOptionsTab->setCurrentIndex(0);

    HideExpertOptions = new QPushButton(QStringLiteral("Close Expert Options"), this);
    HideExpertOptions->setObjectName(QStringLiteral("HideExpertOptions"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ExpertOptionsTab);
    layout->addWidget(HideExpertOptions);
    FixSize(this, QSize(440, 360));
}
