#include "MessageBoxRecorder.h"

MessageBoxRecorder::MessageBoxRecorder()
{
    SetMessageBoxAnswerer([this](const MessageBoxCall& call) {
        calls_.append(call);
        if (WhileOpen)
            WhileOpen(call);
        if (!answers_.empty()) {
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return call.buttons == TMsgButtons::YesNo ? IDNO : IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxAnswerer({});
}
