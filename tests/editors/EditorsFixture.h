#pragma once

#include "tests/support/MessageBoxRecorder.h"

#include <QString>
#include <gtest/gtest.h>

// The three rule editors over a task list of the test's own. The statement dialog is answered by
// a scheduled choice, made once the dialog's own loop runs.
class EditorsFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Item indexes, -1 for no choice (the operation's preset stays); `custom` is typed into the
    // custom value's box when not null; without `ok` the dialog is left with Esc.
    struct Statement {
        Statement(int variable, int operation = -1, int value = -1, QString custom = {}, bool ok = true)
            : variable(variable)
            , operation(operation)
            , value(value)
            , custom(std::move(custom))
            , ok(ok)
        {
        }
        int variable;
        int operation;
        int value;
        QString custom;
        bool ok;
    };
    // The next statement dialog gets these choices.
    static void Choose(const Statement& statement);
    // Adds or changes the relation on `row` of the code editor's conditions or actions.
    static void Condition(int row, const Statement& statement);
    static void Action(int row, const Statement& statement);
    // A task with this name and handle.
    static void AddTask(const QString& name, unsigned handle);

    MessageBoxRecorder boxes;
};

// Items of the statement dialog's lists.
enum VariableItem { RunningItem = 2, SetTrustItem = 5, NameString = 10, MemoryItem = 13 };
enum ValueItem { LastResultValue = 0, PreviousValue = 1, CustomValue = 2 };
