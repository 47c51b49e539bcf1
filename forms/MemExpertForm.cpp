#include "memory/MemExpert.h"

#include "forms/FormControls.h"
#include "platform/RadioGroup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

void TVelmoraMemExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraMemExpert"));
    setWindowTitle(QStringLiteral("Velmora Memory Manager - Expert Options"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    ExpertOptionsTab = new QTabWidget(this);
    ExpertOptionsTab->setObjectName(QStringLiteral("ExpertOptionsTab"));

    ErrorLogTab = new QWidget;
    ErrorLogTab->setObjectName(QStringLiteral("ErrorLogTab"));
    ErrorLogInfo =
        new QLabel(QStringLiteral("Error log file will be created in 'Database' folder."), ErrorLogTab);
    ErrorLogInfo->setObjectName(QStringLiteral("ErrorLogInfo"));
    LogErrorKeepGroup =
        new TRadioGroup(QStringLiteral("Log error options"),
                        {QStringLiteral("Save errors to log"), QStringLiteral("Delete log on exit"),
                         QStringLiteral("Ignore errors")},
                        ErrorLogTab);
    LogErrorKeepGroup->setObjectName(QStringLiteral("LogErrorKeepGroup"));
    LogErrorKeepGroup->SetItemIndex(1);
    LogClear = Button(ErrorLogTab, "LogClear", QStringLiteral("Delete error log"));
    LogShow = Button(ErrorLogTab, "LogShow", QStringLiteral("Show error log"));
    LogErrorDescription = Description(ErrorLogTab, "LogErrorDescription",
                                      {QStringLiteral("Because memory optimization tampers with "),
                                       QStringLiteral("such a delicate part of your computer, errors "),
                                       QStringLiteral("may sometimes occur."),
                                       QStringLiteral("Here, you can choose between various options "),
                                       QStringLiteral("about saving a description of those errors to a "),
                                       QStringLiteral("log file.")});
    auto* errorLog = new QVBoxLayout(ErrorLogTab);
    errorLog->addWidget(ErrorLogInfo);
    errorLog->addWidget(LogErrorKeepGroup);
    auto* logButtons = new QHBoxLayout;
    logButtons->addWidget(LogClear);
    logButtons->addWidget(LogShow);
    errorLog->addLayout(logButtons);
    errorLog->addWidget(LogErrorDescription);
    ExpertOptionsTab->addTab(ErrorLogTab, QStringLiteral("Error Log"));

    MemorySafetyTab = new QWidget;
    MemorySafetyTab->setObjectName(QStringLiteral("MemorySafetyTab"));
    SafetyMemoryLabel = new QLabel(QStringLiteral("Safety Memory Space: 1 mB"), MemorySafetyTab);
    SafetyMemoryLabel->setObjectName(QStringLiteral("SafetyMemoryLabel"));
    SafetyMemoryBar = new QSlider(Qt::Horizontal, MemorySafetyTab);
    SafetyMemoryBar->setObjectName(QStringLiteral("SafetyMemoryBar"));
    SafetyMemoryBar->setRange(0, 16);
    SafetyMemoryBar->setValue(1);
    SafetyMemoryLabel->setBuddy(SafetyMemoryBar); // names the bar for screen readers
    SafetyMemoryDescription =
        Description(MemorySafetyTab, "SafetyMemoryDescription",
                    {QStringLiteral("In order to optimize your memory, Velmora "),
                     QStringLiteral("performs a very quick operation of "),
                     QStringLiteral("consuming and then freeing all free space "),
                     QStringLiteral("available."), QStringLiteral("In order to allow small changes to your "),
                     QStringLiteral("memory during that time, without any chance "),
                     QStringLiteral("of error occuring, this option allows you to "),
                     QStringLiteral("choose a small amount of memory which will "),
                     QStringLiteral("not be accessed this way.")});
    auto* safety = new QVBoxLayout(MemorySafetyTab);
    safety->addWidget(SafetyMemoryLabel);
    safety->addWidget(SafetyMemoryBar);
    safety->addWidget(SafetyMemoryDescription);
    ExpertOptionsTab->addTab(MemorySafetyTab, QStringLiteral("Memory Safety"));
    ExpertOptionsTab->setCurrentWidget(ErrorLogTab);

    HideExpertOptions = Button(this, "HideExpertOptions", QStringLiteral("Close Expert Options"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ExpertOptionsTab);
    layout->addWidget(HideExpertOptions);
    FixSize(this, QSize(400, 400));
}
