#include "platform/MessageBox.h"

#include <QMessageBox>

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
    if (Answerer()) {
        // Copied first: an answerer may replace itself while it answers.
        const MessageBoxAnswerer answerer = Answerer();
        return answerer(MessageBoxCall{owner, text, caption, buttons, icon});
    }
    QMessageBox box(ToQtIcon(icon), caption, MessageBoxDisplayText(text), QMessageBox::NoButton, owner);
    if (buttons == TMsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}
