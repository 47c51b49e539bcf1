#pragma once

#include "tests/support/MessageBoxRecorder.h"

#include <QString>
#include <gtest/gtest.h>

// The three rule editors over a task list of the test's own.
class EditorsFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A task with this name and handle.
    static void AddTask(const QString& name, unsigned handle);

    MessageBoxRecorder boxes;
};

// The next statement dialog gets these choices, made once its own loop runs: item indexes, -1 for
// no choice (the operation's preset stays); `custom` is typed into the custom value's box when not
// null; without `ok` the dialog is left with Esc.
void Choose(int variable, int operation = -1, int value = -1, const QString& custom = {}, bool ok = true);
// The same for the relation on `row` of the open code editor's conditions or actions.
void Condition(int row, int variable, int operation = -1, int value = -1, const QString& custom = {},
               bool ok = true);
void Action(int row, int variable, int operation = -1, int value = -1, const QString& custom = {});

// Items of the statement dialog's lists.
enum VariableItem { RunningItem = 2, SetTrustItem = 5, NameString = 10, MemoryItem = 13 };
enum OperationItem { IsEqual = 0, IsAbove = 3 };
enum ValueItem { LastResultValue = 0, PreviousValue = 1, CustomValue = 2 };
