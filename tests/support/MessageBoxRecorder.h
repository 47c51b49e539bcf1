#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <deque>
#include <functional>

// Answers every message box while it lives: records each box and returns the scripted answers in
// order, then IDOK for an OK box and IDNO for a question. `WhileOpen` runs inside each box before
// it is answered, as the user's time in front of it.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Answer(int button) { answers_.push_back(button); }
    std::function<void(const MessageBoxCall&)> WhileOpen;

    const QList<MessageBoxCall>& Calls() const { return calls_; }
    int Count() const { return static_cast<int>(calls_.size()); }

private:
    QList<MessageBoxCall> calls_;
    std::deque<int> answers_;
};
