#include "EditorsFixture.h"

#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskScript.h"
#include "tasks/TaskClasses.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

void EditorsFixture::SetUp()
{
    Tasks.clear();
    ClearTask(EveryTask);
    EveryTask.Name = EveryTaskName;
    EditedScript.clear();
    VelmoraTaskCode = new TVelmoraTaskCode;
    VelmoraTaskResult = new TVelmoraTaskResult;
    VelmoraTaskScript = new TVelmoraTaskScript;
}

void EditorsFixture::TearDown()
{
    delete VelmoraTaskScript;
    delete VelmoraTaskResult;
    delete VelmoraTaskCode;
    VelmoraTaskScript = nullptr;
    VelmoraTaskResult = nullptr;
    VelmoraTaskCode = nullptr;
}

void EditorsFixture::Choose(const Statement& statement)
{
    QTimer::singleShot(0, [statement] {
        TVelmoraTaskResult* dialog = VelmoraTaskResult;
        if (statement.variable >= 0)
            dialog->ChooseVariable->setCurrentIndex(statement.variable);
        if (statement.operation >= 0)
            dialog->ChooseOperation->setCurrentIndex(statement.operation);
        if (statement.value >= 0)
            dialog->ChooseValue->setCurrentIndex(statement.value);
        if (!statement.custom.isNull())
            dialog->CustValue->setText(statement.custom);
        if (statement.ok)
            dialog->OkButton->click();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
}

void EditorsFixture::Condition(int row, const Statement& statement)
{
    VelmoraTaskCode->Conditions->setCurrentCell(row, 0);
    Choose(statement);
    VelmoraTaskCode->AddCondition->click();
}

void EditorsFixture::Action(int row, const Statement& statement)
{
    VelmoraTaskCode->Actions->setCurrentCell(row, 0);
    Choose(statement);
    VelmoraTaskCode->AddAction->click();
}

void EditorsFixture::AddTask(const QString& name, unsigned handle)
{
    TTask task;
    ClearTask(task);
    task.Name = name;
    task.Handle = handle;
    Tasks.append(task);
}
