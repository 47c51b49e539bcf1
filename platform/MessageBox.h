#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class TMsgButtons { OK, YesNo };
enum class TMsgIcon { None, Information, Warning, Error, Question };

// The button a box was closed with.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxCall {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    TMsgButtons buttons = TMsgButtons::OK;
    TMsgIcon icon = TMsgIcon::None;
};

// A box modal to its owner window (to nothing when `owner` is null); returns the button pressed,
// or the safe answer (IDNO, IDOK) when the program ends while it is open. The text keeps its "\n\r" line
// breaks as given; each is shown as one break.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, TMsgButtons buttons,
               TMsgIcon icon);

// Tests answer the boxes themselves: while an answerer is set, it gets every box instead of the
// screen. An empty function restores the real boxes.
using MessageBoxAnswerer = std::function<int(const MessageBoxCall&)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// The text as a box shows it.
QString MessageBoxDisplayText(const QString& text);
