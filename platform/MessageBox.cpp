#include "platform/MessageBox.h"

#include "platform/Application.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

MessageBoxAnswerer& Answerer()
{
    static MessageBoxAnswerer answerer;
    return answerer;
}

QMessageBox::Icon ToQtIcon(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageBoxDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    return shown;
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    Answerer() = std::move(answerer);
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, TMsgButtons buttons,
               TMsgIcon icon)
{
    const Application::ProgramWait open;
    if (Answerer()) {
        // Copied first: an answerer may replace itself while it answers.
        const MessageBoxAnswerer answerer = Answerer();
        return answerer(MessageBoxCall{owner, text, caption, buttons, icon});
    }
    // Owned by its window, which may go while the box waits (a monitor window frees itself when
    // hidden): the box is then gone too.
    QPointer<QMessageBox> box =
        new QMessageBox(ToQtIcon(icon), caption, MessageBoxDisplayText(text), QMessageBox::NoButton, owner);
    box->setStandardButtons(buttons == TMsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                          : QMessageBox::Ok);
    // Modal to its owner only: the icon, the ticks and the other windows go on while it is open.
    // exec() would make it application-modal.
    box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
    QEventLoop wait;
    QObject::connect(box, &QMessageBox::finished, &wait, &QEventLoop::quit);
    QObject::connect(box, &QObject::destroyed, &wait, &QEventLoop::quit);
    box->show();
    // The program's end ends this wait too (and one that starts after it at once); the box then
    // counts as answered with its safe button.
    wait.exec(QEventLoop::DialogExec);
    const bool yes = box != nullptr && box->clickedButton() == box->button(QMessageBox::Yes);
    delete box;
    if (buttons == TMsgButtons::YesNo)
        return yes ? IDYES : IDNO;
    return IDOK;
}
