#include "platform/Form.h"

#include "platform/ErrorGuard.h"

#include <QCloseEvent>

TForm::TForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && OnShow)
        Guarded(OnShow);
}

void TForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous() && OnHide)
        Guarded(OnHide);
}

void TForm::closeEvent(QCloseEvent* event)
{
    bool close = true;
    if (OnClose) {
        // An error inside the handler keeps the window open.
        bool finished = false;
        Guarded([&] {
            OnClose(close);
            finished = true;
        });
        close = close && finished;
    }
    if (close)
        event->accept();
    else
        event->ignore();
}
