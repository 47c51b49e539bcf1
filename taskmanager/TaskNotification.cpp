#include "taskmanager/TaskNotification.h"

#include "platform/Application.h"
#include "platform/ErrorGuard.h"
#include "platform/WindowViewable.h"
#include "taskmanager/TaskLibrary.h"
#include "taskmanager/TaskWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

TVelmoraTaskAction* VelmoraTaskAction = nullptr;
bool NotificationAdvanced = false;
bool RepeatAgain = false;

namespace {

QCheckBox* RepeatBoxFor(int trust)
{
    if (trust == 0)
        return VelmoraTaskAction->UnknownRepeat;
    return trust > 0 ? VelmoraTaskAction->PositiveRepeat : VelmoraTaskAction->NegativeRepeat;
}

// Where the notified task is after the dialog's wait: found by its name and window, at its old
// place first; -1 once it is gone.
int FindNotifiedTask(int index, const QString& name, TWindowHandle handle)
{
    auto same = [&](const TTask& task) { return task.Name == name && task.Handle == handle; };
    if (index >= 0 && index < Tasks.size() && same(Tasks[index]))
        return index;
    const auto found = std::find_if(Tasks.cbegin(), Tasks.cend(), same);
    return found != Tasks.cend() ? static_cast<int>(found - Tasks.cbegin()) : -1;
}

// What the dialog's wait holds suspended: for trust -2 the notified task's window, for -3 its parent
// application.
struct TNoticeHold {
    int trust = 0;
    TWindowHandle handle = 0;
    int processId = 0;
    QString name;
    int index = -1;
    // The user's own suspension of the task as last seen: the record may go during the wait.
    bool userSuspended = false;
    // Every process the wait stopped: the window may go before the answer.
    QList<int> stopped;
};
std::optional<TNoticeHold> hold;

// Follows the notified task through the list; true when a Resume was given to it since the last look.
bool FollowHeldTask()
{
    hold->index = FindNotifiedTask(hold->index, hold->name, hold->handle);
    if (hold->index == -1)
        return false;
    const bool suspended = Tasks[hold->index].Suspended;
    const bool resumed = hold->userSuspended && !suspended;
    hold->userSuspended = suspended;
    return resumed;
}

void ResumeStopsAtExit() noexcept
{
    try {
        EndNoticeSuspension();
    } catch (...) {
    }
}

// Qt ends the program with exit() when its display connection breaks, inside any wait: the stops are
// undone on that road too. Registered once a stop went through, so that it runs before the task
// library's own state, made by then, is torn down.
void ResumeStopsAtAbruptEnd()
{
    static const bool registered = std::atexit(ResumeStopsAtExit) == 0;
    static_cast<void>(registered);
}

// Turns of the wait's 100 ms that a shown dialog may be off the screen.
constexpr int UnseenTurnsLimit = 10;
int openRounds = 0;

// A window the user minimised is mapped again as an icon, unless its state is cleared.
void ClearMinimised(TVelmoraTaskAction* dialog)
{
    dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
}

// Puts the notice on screen. A dialog still up from the round's last notice stays up, its controls
// set as a fresh show sets them: a window manager may lose a dialog hidden and shown again at once.
void ShowNotice(TVelmoraTaskAction* dialog)
{
    ClearMinimised(dialog);
    if (dialog->isVisible()) {
        dialog->FormHide(dialog);
        dialog->FormShow(dialog);
    } else {
        dialog->setVisible(true);
    }
    dialog->raise();
    dialog->activateWindow();
    dialog->NoticeShown();
}

// Shows the dialog and waits until it is answered, handling events as they come. A task of trust -2
// (-3: its parent application) is held suspended meanwhile, renewed at each turn until a Resume is
// given to the task. Returns false when the program ended during the wait: the libraries are gone
// then.
bool WaitForAnswer(int index, const QString& name, int trust, TWindowHandle handle, int processId)
{
    TVelmoraTaskAction* dialog = VelmoraTaskAction;
    hold = TNoticeHold{trust, handle, processId, name, index, Tasks[index].Suspended, {}};
    bool resumed = false;
    const Application::ProgramWait open;
    dialog->Answered = false;
    ShowNotice(dialog);
    const auto answered = [dialog] { return Application::Terminated() || dialog->Answered; };
    int unseenTurns = 0;
    while (!answered()) {
        // Looked up at each turn: the user's commands may change the list.
        resumed = FollowHeldTask() || resumed;
        if (!resumed && trust == -2)
            SuspendTaskWindow(handle, processId, hold->stopped);
        else if (!resumed && trust == -3)
            SuspendTaskFamily(handle, processId, hold->stopped);
        if (!hold->stopped.isEmpty())
            ResumeStopsAtAbruptEnd();
        // A window manager may still keep the dialog off the screen. Minimised, it is brought back as a
        // normal window; let go, it is hidden after a second unseen and shown again at the next turn,
        // an event-loop round later. Its text is not on the screen meanwhile.
        if (!dialog->isVisible()) {
            ShowNotice(dialog);
        } else if (WindowViewable(*dialog)) {
            unseenTurns = 0;
        } else {
            dialog->NoticeShown();
            if (dialog->isMinimized()) {
                ClearMinimised(dialog);
                dialog->activateWindow();
            } else if (++unseenTurns == UnseenTurnsLimit) {
                unseenTurns = 0;
                dialog->setVisible(false);
            }
        }
        Application::WaitForMessages(100, answered);
    }
    if (Application::Terminated()) {
        hold.reset();
        return false;
    }
    EndNoticeSuspension();
    return true;
}

} // namespace

QString TrustDescription(int level)
{
    switch (level) {
    case 0:
        return QStringLiteral("Unknown - The user will be notified whenever the task is running");
    case 1:
        return QStringLiteral(
            "Briefly Run Before - The user will be notified only when the task changes status or name");
    case 2:
        return QStringLiteral("Run Before - The user will be notified only when the task changes status");
    case 3:
        return QStringLiteral("Safe - The user will be notified only when the task starts running");
    case 4:
        return QStringLiteral("Trusted - The task will be allowed to run, without notifying the user");
    case -1:
        return QStringLiteral("Suspicious - The user will be notified when the task changes status");
    case -2:
        return QStringLiteral(
            "Distrusted - The user will be notified when the task changes status, the task will "
            "be suspended until action is taken");
    case -3:
        return QStringLiteral(
            "Potentially Dangerous - The user will be notified when the task changes status, the "
            "task`s parrent application will be suspended until action is taken if it is not "
            "the desktop");
    case -4:
        return QStringLiteral("Dangerous - The task will be killed immediately, without notifying the user");
    default:
        return QString();
    }
}

void EndNoticeSuspension()
{
    if (!hold)
        return;
    FollowHeldTask();
    const TNoticeHold ended = *std::exchange(hold, std::nullopt);
    // What the user holds suspended stays stopped: the notified task's process, and any of a family
    // that another task holds.
    const auto held = [&ended](int id) {
        return (ended.userSuspended && id == ended.processId) ||
               std::any_of(Tasks.cbegin(), Tasks.cend(),
                           [id](const TTask& task) { return task.StoppedProcesses.contains(id); });
    };
    for (const int id : ended.stopped)
        if (!held(id))
            ProcessResume(id);
}

NoticeRound::NoticeRound()
{
    ++openRounds;
}

NoticeRound::~NoticeRound()
{
    if (--openRounds == 0 && VelmoraTaskAction != nullptr)
        VelmoraTaskAction->setVisible(false);
}

bool NoticeAsksUser(int trust)
{
    return trust != -4 &&
           !(VelmoraTaskAction->TimeRepeatBar->value() > 0 && RepeatBoxFor(trust)->isChecked());
}

int NotifyUser(int& index)
{
    TVelmoraTaskAction* dialog = VelmoraTaskAction;
    // Taken now: the task list may change while the dialog waits.
    const QString name = Tasks[index].Name;
    const TWindowHandle handle = Tasks[index].Handle;
    const int processId = Tasks[index].ProcessId;
    int trust = Tasks[index].Trust;

    dialog->DescriptionName->setText(name);
    dialog->DescriptionStatus->setText(QStringLiteral("Current Status: ") +
                                       StatusString(name, handle, NowRunningItems()));
    dialog->DescriptionTrust->setText(QStringLiteral("Current Trust: ") + TrustDescription(trust));
    dialog->CustomTrustLabel->setText(QStringLiteral("New Trust: Automatic"));
    dialog->CustomTrustVal = 0;
    dialog->CustomTrustBar->setValue(0);
    dialog->actionToDo = 0;

    if (trust == -4) {
        dialog->actionToDo = -4;
    } else if (!NoticeAsksUser(trust)) {
        dialog->actionToDo = dialog->TimerActionToDo;
        RepeatAgain = true;
    } else {
        const bool answered = WaitForAnswer(index, name, trust, handle, processId);
        index = answered ? FindNotifiedTask(index, name, handle) : -1;
        if (index == -1)
            return trust;
    }

    TTask& task = Tasks[index];
    switch (dialog->actionToDo) {
    case 1:
        trust += 1;
        break;
    case 3:
        trust += 3;
        break;
    case -1:
    case -4:
        trust -= 1;
        task.KillRequested = true;
        break;
    case -3:
        trust -= 1;
        task.SuspendRequested = true;
        break;
    default:
        break;
    }
    if (dialog->CustomTrustVal != 0)
        trust = dialog->CustomTrustVal;
    return std::clamp(trust, -4, 4);
}

TVelmoraTaskAction::TVelmoraTaskAction(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    const std::pair<QPushButton*, void (TVelmoraTaskAction::*)(QObject*)> buttons[] = {
        {IgnoreNotification, &TVelmoraTaskAction::IgnoreNotificationClick},
        {AllowToRun, &TVelmoraTaskAction::AllowToRunClick},
        {NothingNotification, &TVelmoraTaskAction::NothingNotificationClick},
        {KillToRun, &TVelmoraTaskAction::KillToRunClick},
        {SuspiciousRun, &TVelmoraTaskAction::SuspiciousRunClick},
        {SuspendRun, &TVelmoraTaskAction::SuspendRunClick},
        {AdvancedNotification, &TVelmoraTaskAction::AdvancedNotificationClick},
        {StopTimerButton, &TVelmoraTaskAction::StopTimerButtonClick}};
    for (const auto& [button, handler] : buttons)
        GuardedConnect(button, &QPushButton::clicked, this,
                       [this, button, handler] { (this->*handler)(button); });
    GuardedConnect(TimeRepeatBar, &QSlider::valueChanged, this,
                   [this] { TimeRepeatBarChange(TimeRepeatBar); });
    GuardedConnect(CustomTrustBar, &QSlider::valueChanged, this,
                   [this] { CustomTrustBarChange(CustomTrustBar); });
    OnShow = [this] { FormShow(this); };
    OnHide = [this] { FormHide(this); };
    // A window manager's close request is no way around the answer.
    OnClose = [this](bool& close) {
        close = false;
        if (AnswerOpen())
            NothingNotificationClick(this);
    };
    installEventFilter(this);
    for (QPushButton* answer :
         {IgnoreNotification, AllowToRun, NothingNotification, KillToRun, SuspiciousRun, SuspendRun})
        answer->installEventFilter(this);
    Guarded([this] { FormCreate(this); });
}

void TVelmoraTaskAction::FormCreate(QObject*)
{
    actionToDo = 0;
    CustomTrustVal = 0;
    NotificationAdvanced = false;
    setFixedHeight(220);
}

void TVelmoraTaskAction::FormShow(QObject*)
{
    if (TimeRepeatBar->value() > 0) {
        EnableRepeatControls(false);
        StopTimerButton->setEnabled(true);
    }
    TimeRepeatLabel->setVisible(TimeRepeatLabel->isEnabled() || NotificationAdvanced);
    TimeRepeatBar->setVisible(TimeRepeatBar->isEnabled() || NotificationAdvanced);
}

void TVelmoraTaskAction::FormHide(QObject*)
{
    EnableRepeatControls(true);
    StopTimerButton->setEnabled(false);
}

void TVelmoraTaskAction::EnableRepeatControls(bool enabled)
{
    for (QWidget* repeat : {static_cast<QWidget*>(TimeRepeatLabel), static_cast<QWidget*>(TimeRepeatBar),
                            static_cast<QWidget*>(UnknownRepeat), static_cast<QWidget*>(PositiveRepeat),
                            static_cast<QWidget*>(NegativeRepeat)})
        repeat->setEnabled(enabled);
}

void TVelmoraTaskAction::Answer(int code)
{
    actionToDo = code;
    // A running repeat window keeps its answer.
    if (TimeRepeatBar->isEnabled())
        TimerActionToDo = code;
    Answered = true;
}

void TVelmoraTaskAction::IgnoreNotificationClick(QObject*)
{
    Answer(1);
}

void TVelmoraTaskAction::AllowToRunClick(QObject*)
{
    Answer(3);
}

void TVelmoraTaskAction::NothingNotificationClick(QObject*)
{
    Answer(0);
}

void TVelmoraTaskAction::KillToRunClick(QObject*)
{
    Answer(-1);
}

void TVelmoraTaskAction::SuspiciousRunClick(QObject*)
{
    Answer(-2);
}

void TVelmoraTaskAction::SuspendRunClick(QObject*)
{
    Answer(-3);
}

void TVelmoraTaskAction::AdvancedNotificationClick(QObject*)
{
    NotificationAdvanced = !NotificationAdvanced;
    AdvancedNotification->setText(NotificationAdvanced ? QStringLiteral("<<") : QStringLiteral(">>"));
    for (QWidget* advanced : {static_cast<QWidget*>(CustomTrustLabel), static_cast<QWidget*>(CustomTrustBar),
                              static_cast<QWidget*>(UnknownRepeat), static_cast<QWidget*>(PositiveRepeat),
                              static_cast<QWidget*>(NegativeRepeat), static_cast<QWidget*>(StopTimerButton)})
        advanced->setVisible(NotificationAdvanced);
    TimeRepeatLabel->setVisible(TimeRepeatLabel->isEnabled() || NotificationAdvanced);
    TimeRepeatBar->setVisible(TimeRepeatBar->isEnabled() || NotificationAdvanced);
    setFixedHeight(220);
}

void TVelmoraTaskAction::StopTimerButtonClick(QObject*)
{
    EnableRepeatControls(true);
    StopTimerButton->setEnabled(false);
    TimeRepeatLabel->setText(QStringLiteral("Repeat Choice: Disabled"));
    TimeRepeatBar->setValue(0);
}

void TVelmoraTaskAction::TimeRepeatBarChange(QObject*)
{
    const int position = TimeRepeatBar->value();
    TimeRepeatLabel->setText(
        QStringLiteral("Repeat: ") +
        (position < 1 ? QStringLiteral("Disabled")
                      : QStringLiteral("%1 sec").arg(static_cast<int>(std::nearbyint(position / 2.0)))));
}

void TVelmoraTaskAction::CustomTrustBarChange(QObject*)
{
    CustomTrustVal = CustomTrustBar->value();
    CustomTrustLabel->setText(CustomTrustVal == 0 ? QStringLiteral("Automatic")
                                                  : TrustDescription(CustomTrustVal));
}

void TVelmoraTaskAction::NoticeShown()
{
    answersFrom_ = std::chrono::steady_clock::now() + AnswerDelay;
    // Qt would give a dialog shown again the button of the last answer.
    setFocus(Qt::OtherFocusReason);
}

bool TVelmoraTaskAction::AnswerOpen() const
{
    return std::chrono::steady_clock::now() >= answersFrom_;
}

bool TVelmoraTaskAction::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Also when the user brings the dialog back from an icon.
    if (type == QEvent::Show && watched == this) {
        NoticeShown();
        return false;
    }
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                       (type == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat());
    const bool input =
        press || type == QEvent::KeyPress || type == QEvent::KeyRelease ||
        type == QEvent::MouseButtonRelease ||
        (type == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton);
    if (press)
        pressBegan_ = std::chrono::steady_clock::now();
    if (!input || pressBegan_ >= answersFrom_)
        return false;
    // A button held down since before the text changed is let go without a click, and a click that
    // comes too soon leaves the focus where it was not: on no answer.
    if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
        button->setDown(false);
        if (press)
            setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void TVelmoraTaskAction::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Guarded([this] { NothingNotificationClick(this); });
        return;
    }
    TForm::keyPressEvent(event);
}
