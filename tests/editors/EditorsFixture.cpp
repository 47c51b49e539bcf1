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

void Choose(int variable, int operation, int value, const QString& custom, bool ok)
{
    QTimer::singleShot(0, [=] {
        TVelmoraTaskResult* dialog = VelmoraTaskResult;
        if (variable >= 0)
            dialog->ChooseVariable->setCurrentIndex(variable);
        if (operation >= 0)
            dialog->ChooseOperation->setCurrentIndex(operation);
        if (value >= 0)
            dialog->ChooseValue->setCurrentIndex(value);
        if (!custom.isNull())
            dialog->CustValue->setText(custom);
        if (ok)
            dialog->OkButton->click();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
}

void Condition(int row, int variable, int operation, int value, const QString& custom, bool ok)
{
    VelmoraTaskCode->Conditions->setCurrentCell(row, 0);
    Choose(variable, operation, value, custom, ok);
    VelmoraTaskCode->AddCondition->click();
}

void Action(int row, int variable, int operation, int value, const QString& custom)
{
    VelmoraTaskCode->Actions->setCurrentCell(row, 0);
    Choose(variable, operation, value, custom);
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
