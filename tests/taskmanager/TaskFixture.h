#pragma once

#include "tasks/TaskClasses.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

class QPushButton;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// The program's windows over the scripted task library (tests/fakes/FakeBrevant.cpp), bound through
// the program's own binding code, in a working folder of their own. The library's windows are the
// windows the program enumerates. The notification dialog's wait costs no real time: each turn's
// wait counts, runs `WhileWaiting` and then gives the next scripted answer.
class TaskFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens (or retitles) a window of the library: running, owned by process `id` of "fakeapp".
    void OpenWindow(TWindowHandle id, const char* title);
    void CloseWindow(TWindowHandle id);
    // `what`: "status", "parent", "class" or "windowstatus".
    void SetText(TWindowHandle id, const char* what, const char* text);
    void SetFacts(TWindowHandle id, int pid, uint64_t memory, bool responding);
    // The processes a stop of the window's family reaches.
    void SetFamily(TWindowHandle id, std::initializer_list<int32_t> pids);
    // The calls that acted on processes since the last look ("HandleKill 7"), oldest first.
    QStringList TakeCalls();

    // Starts the manager as its start command does, without the command.
    void StartManager();
    // One task tick, as the timer runs it.
    void Tick();
    // The next dialog is answered with `button` once it has waited `turns` turns.
    void AnswerWith(QPushButton* button, int turns = 1);
    // The notices the dialog showed, in order.
    QStringList shownNotices;

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    int waits = 0;
    std::function<void(int wait)> WhileWaiting;

private:
    struct Answer {
        QPushButton* button;
        int turns;
    };
    void Waited();

    std::deque<Answer> answers_;
    int turnsShown_ = 0;
    void* library_ = nullptr;
};
