#include "platform/Form.h"

#include "platform/ErrorGuard.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <algorithm>

namespace {

QPointer<TForm> MainForm;

} // namespace

TForm::TForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    if (MainForm == nullptr)
        MainForm = this;
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (OnShow)
        Guarded(OnShow);
    KeepOnScreen();
}

void TForm::KeepOnScreen()
{
    // The window manager holds a maximised or full-screen window to the screen itself.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : MainForm.data();
    if (owner == nullptr)
        owner = this;
    QScreen* screen = owner->screen() != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    // The frame the window manager adds is known once a window has been shown; before that the
    // owner's stands in for it.
    const QWidget* framed = frameGeometry() != geometry() || owner == this ? this : owner;
    const QMargins frame(framed->geometry().left() - framed->frameGeometry().left(),
                         framed->geometry().top() - framed->frameGeometry().top(),
                         framed->frameGeometry().right() - framed->geometry().right(),
                         framed->frameGeometry().bottom() - framed->geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    if (width() > room.width() || height() > room.height()) {
        const QSize fitted = size().boundedTo(room);
        setMinimumSize(minimumSize().boundedTo(fitted));
        resize(fitted);
    }
    QRect outer = geometry().marginsAdded(frame);
    // Placed once, over its owner (the main form over the screen's middle); then kept where it is.
    if (!testAttribute(Qt::WA_Moved))
        outer.moveCenter(owner == this ? area.center() : owner->frameGeometry().center());
    outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()));
    outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    move(outer.topLeft());
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
