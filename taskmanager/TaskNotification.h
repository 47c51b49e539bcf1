#pragma once

#include "platform/Form.h"

#include <chrono>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

// The notification dialog: tells the user about one task's notice and takes the answer, which
// becomes the task's new trust and its requests. Its repeat window answers later notices alike
// without asking.
class TVelmoraTaskAction : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskAction(QWidget* parent = nullptr);

    // The answer to the current notice: 1 allow, 3 safe, 0 do nothing, -1 kill, -2 suspicious,
    // -3 suspend, -4 dangerous (given without the dialog).
    int actionToDo = 0;
    // The answer that the repeat window gives.
    int TimerActionToDo = 0;
    // The trust chosen on the custom trust bar; 0: automatic.
    int CustomTrustVal = 0;
    // The current notice has its answer; the dialog stays up until its round of notices ends.
    bool Answered = false;
    // An answer counts only from a press that begins once the notice's current text has been on the
    // screen this long: keys typed for another window, or the second click of a double click on the
    // last notice, answer nothing.
    static constexpr std::chrono::milliseconds AnswerDelay{500};

    QLabel* DescriptionName = nullptr;
    QLabel* DescriptionChange = nullptr;
    QLabel* DescriptionStatus = nullptr;
    QLabel* DescriptionTrust = nullptr;
    QLabel* CustomTrustLabel = nullptr;
    QSlider* CustomTrustBar = nullptr;
    QLabel* TimeRepeatLabel = nullptr;
    // The repeat window in ticks of 500 ms, 0 to 240.
    QSlider* TimeRepeatBar = nullptr;
    QCheckBox* UnknownRepeat = nullptr;
    QCheckBox* PositiveRepeat = nullptr;
    QCheckBox* NegativeRepeat = nullptr;
    QPushButton* StopTimerButton = nullptr;
    QPushButton* AdvancedNotification = nullptr;
    QPushButton* IgnoreNotification = nullptr;
    QPushButton* AllowToRun = nullptr;
    QPushButton* NothingNotification = nullptr;
    QPushButton* KillToRun = nullptr;
    QPushButton* SuspiciousRun = nullptr;
    QPushButton* SuspendRun = nullptr;

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormHide(QObject* Sender);
    void IgnoreNotificationClick(QObject* Sender);
    void AllowToRunClick(QObject* Sender);
    void NothingNotificationClick(QObject* Sender);
    void KillToRunClick(QObject* Sender);
    void SuspiciousRunClick(QObject* Sender);
    void SuspendRunClick(QObject* Sender);
    void AdvancedNotificationClick(QObject* Sender);
    void StopTimerButtonClick(QObject* Sender);
    void TimeRepeatBarChange(QObject* Sender);
    void CustomTrustBarChange(QObject* Sender);

    // The notice's text is new on the screen (shown, shown again, changed in place, or not seen yet):
    // the answer delay starts again, and the focus leaves the answer buttons.
    void NoticeShown();

protected:
    // Esc answers "Do Nothing", as a window manager's close request does.
    void keyPressEvent(QKeyEvent* event) override;
    // Holds back the input that begins before the answer delay has passed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void Answer(int code);
    // The repeat window's label, bar and boxes.
    void EnableRepeatControls(bool enabled);
    bool AnswerOpen() const;

    std::chrono::steady_clock::time_point answersFrom_;
    // When the press that the input at hand belongs to began.
    std::chrono::steady_clock::time_point pressBegan_;
};

extern TVelmoraTaskAction* VelmoraTaskAction;

// The dialog shows its advanced controls.
extern bool NotificationAdvanced;
// NotifyUser gave a repeated answer: the task tick runs its loop once more.
extern bool RepeatAgain;

// The fixed text of a trust level; empty for a level outside -4..4.
QString TrustDescription(int level);

// Resumes every process the open dialog's wait stopped (the task's, or its parent application's
// family), whether its window is still there or not, except what the user holds suspended: the
// task's own process while the task is suspended, and any process a task holds stopped. The wait
// calls it when answered; the program's end calls it before the task library goes.
void EndNoticeSuspension();

// The notices of a round share the dialog: it stays up from one notice to the next and is hidden
// when the outermost round ends. The request pass is a round, and so is a tick's run of passes.
class NoticeRound {
public:
    NoticeRound();
    ~NoticeRound();
    NoticeRound(const NoticeRound&) = delete;
    NoticeRound& operator=(const NoticeRound&) = delete;
};

// True when a notice for a task of this trust waits for the user's answer: the task is not
// dangerous and no running repeat window answers it.
bool NoticeAsksUser(int trust);

// Shows the pending notice of Tasks[index] (already in DescriptionChange) and waits for the answer,
// or answers it at once (trust -4, or a running repeat window), and returns the new trust, -4..4.
// The answer's requests are set on the notified task. The user's commands run during the wait and
// may change Tasks: `index` follows the notified task and is -1 once it is gone, when nothing is
// set. An exit during the wait ends it at once. The caller holds a NoticeRound, whose end hides the
// dialog.
int NotifyUser(int& index);
