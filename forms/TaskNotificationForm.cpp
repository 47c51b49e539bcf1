#include "taskmanager/TaskNotification.h"

#include "forms/FormControls.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

QSlider* TrackBar(QWidget* owner, const QString& name, int low, int high, int position)
{
    auto* bar = new QSlider(Qt::Horizontal, owner);
    bar->setObjectName(name);
    bar->setRange(low, high);
    bar->setValue(position);
    return bar;
}

// Holds the dialog at its own size unless its texts need more, which change with every notice: it
// grows before it is shown and whenever its controls ask for more room.
class GrowToTexts : public QObject {
public:
    GrowToTexts(QWidget* dialog, QSize least)
        : QObject(dialog)
        , least_(least)
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) {
            auto* dialog = static_cast<QWidget*>(watched);
            const QLayout* layout = dialog->layout();
            const int width = std::max(least_.width(), layout->totalMinimumSize().width());
            dialog->setFixedSize(width, std::max(least_.height(), layout->totalHeightForWidth(width)));
        }
        return false;
    }

private:
    QSize least_;
};

} // namespace

void TVelmoraTaskAction::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskAction"));
    setWindowTitle(QStringLiteral("Velmora Task Notification"));
    // A fixed frame without a close box: the dialog is left by answering.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    DescriptionName = Label(this, "DescriptionName", QStringLiteral("No Task Selected"));
    QFont bold = DescriptionName->font();
    bold.setBold(true);
    DescriptionName->setFont(bold);
    DescriptionChange = Label(this, "DescriptionChange", QStringLiteral("Description"));
    DescriptionStatus = Label(this, "DescriptionStatus", QStringLiteral("Status"));
    DescriptionTrust = Label(this, "DescriptionTrust", QStringLiteral("New Status"));
    // The controls are created in screen order, which Tab follows.
    IgnoreNotification = Button(this, "IgnoreNotification", QStringLiteral("Allow"));
    AllowToRun = Button(this, "AllowToRun", QStringLiteral("Safe"));
    NothingNotification = Button(this, "NothingNotification", QStringLiteral("Do Nothing"));
    KillToRun = Button(this, "KillToRun", QStringLiteral("Kill"));
    SuspiciousRun = Button(this, "SuspiciousRun", QStringLiteral("Suspicious"));
    SuspendRun = Button(this, "SuspendRun", QStringLiteral("Suspend"));
    AdvancedNotification = Button(this, "AdvancedNotification", QStringLiteral(">>"));
    TimeRepeatLabel = Label(this, "TimeRepeatLabel", QStringLiteral("Repeat: Disabled"));
    TimeRepeatBar = TrackBar(this, QStringLiteral("TimeRepeatBar"), 0, 240, 1);
    StopTimerButton = Button(this, "StopTimerButton", QStringLiteral("Stop Repeat"));
    StopTimerButton->setEnabled(false);
    CustomTrustLabel = Label(this, "CustomTrustLabel", QStringLiteral("Automatic"));
    CustomTrustBar = TrackBar(this, QStringLiteral("CustomTrustBar"), -4, 4, 0);
    CustomTrustLabel->setBuddy(CustomTrustBar); // names the bar for screen readers
    TimeRepeatLabel->setBuddy(TimeRepeatBar);   // names the bar for screen readers
    UnknownRepeat =
        CheckBox(this, QStringLiteral("UnknownRepeat"), QStringLiteral("Repeat for unknown Trusts"), true);
    PositiveRepeat =
        CheckBox(this, QStringLiteral("PositiveRepeat"), QStringLiteral("Repeat for positive Trusts"), false);
    NegativeRepeat =
        CheckBox(this, QStringLiteral("NegativeRepeat"), QStringLiteral("Repeat for negative Trusts"), false);
    for (QWidget* advanced : {static_cast<QWidget*>(CustomTrustLabel), static_cast<QWidget*>(CustomTrustBar),
                              static_cast<QWidget*>(UnknownRepeat), static_cast<QWidget*>(PositiveRepeat),
                              static_cast<QWidget*>(NegativeRepeat), static_cast<QWidget*>(StopTimerButton)})
        advanced->setVisible(false);

    auto* layout = new QGridLayout(this);
    layout->setVerticalSpacing(2);
    layout->addWidget(DescriptionName, 0, 0, 1, 4);
    layout->addWidget(DescriptionChange, 1, 0, 1, 4);
    layout->addWidget(DescriptionStatus, 2, 0, 1, 4);
    layout->addWidget(DescriptionTrust, 3, 0, 1, 4);
    auto* answers = new QHBoxLayout;
    for (QPushButton* answer : {IgnoreNotification, AllowToRun, NothingNotification, KillToRun, SuspiciousRun,
                                SuspendRun, AdvancedNotification})
        answers->addWidget(answer);
    layout->addLayout(answers, 4, 0, 1, 4);
    layout->addWidget(TimeRepeatLabel, 5, 0);
    layout->addWidget(TimeRepeatBar, 5, 1, 1, 2);
    layout->addWidget(StopTimerButton, 5, 3);
    layout->addWidget(CustomTrustLabel, 6, 0);
    layout->addWidget(CustomTrustBar, 6, 1, 1, 2);
    auto* repeats = new QHBoxLayout;
    repeats->addWidget(UnknownRepeat);
    repeats->addWidget(PositiveRepeat);
    repeats->addWidget(NegativeRepeat);
    layout->addLayout(repeats, 7, 0, 1, 4);
    // Height to spare stays below the controls.
    layout->setRowStretch(8, 1);
    for (QLabel* text :
         {DescriptionName, DescriptionChange, DescriptionStatus, DescriptionTrust, CustomTrustLabel})
        text->setWordWrap(true);
    new GrowToTexts(this, QSize(640, 220));
}
