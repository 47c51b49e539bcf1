#pragma once

#include <QWidget>
#include <functional>

// A window of the system. OnShow and OnHide run when the program shows or hides it, not when the
// window manager minimises or restores it; OnClose runs when the user closes it and may refuse.
// Each runs inside the error guard. Every show keeps the window inside the available area of the
// screen that holds its owner, or the main form (the first form created) for a window without one.
class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);

    std::function<void()> OnShow;
    std::function<void()> OnHide;
    // Sets its argument to false to keep the window open.
    std::function<void(bool& close)> OnClose;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void KeepOnScreen();
};
