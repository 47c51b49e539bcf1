#include "platform/ErrorGuard.h"

#include "platform/MessageBox.h"

#include <QApplication>

void ShowErrorBox(const QString& message)
{
    QString text = message;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    MessageBox(QApplication::activeWindow(), text, QStringLiteral("Velmora"), TMsgButtons::OK,
               TMsgIcon::Error);
}
