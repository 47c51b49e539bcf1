#include "taskmanager/TaskResult.h"

#include "platform/Application.h"
#include "platform/ErrorGuard.h"
#include "tasks/TaskClasses.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <span>

TVelmoraTaskResult* VelmoraTaskResult = nullptr;
QString ChosenType;
QString ChosenVariable;
QString ChosenOperation;
QString ChosenValue;

namespace {

struct TChoice {
    const char* item;
    const char* text; // the Variable, Comparative or Value that the item stands for
};

// The variable list's items, each with the Variable and the Type it chooses.
struct TVariableChoice {
    const char* item;
    const char* variable;
    const char* type;
};

const char* const ActionType = "!!!Execute Action!!!";
const char* const LastResult = "!!!Last Calculation Result!!!";

const TVariableChoice VariableChoices[] = {
    {"Nothing", "Nothing", ActionType},
    {"Notification    (Perform, = string message)", "Notification", ActionType},
    {"Running         (Peform, = False kills the task)", "Running", ActionType},
    {"Suspended    (Perfrom, = True or False)", "Suspended", ActionType},
    {"SetName       (Perform, = New name)", "SetName", ActionType},
    {"SetTrust        (Pefrorm, = New trust)", "SetTrust", ActionType},
    {"SetStatus      (Perform, = new status)", "SetStatus", ActionType},
    {"Last Calculation Result (String)", LastResult, "String"},
    {"Last Calculation Result (Integer)", LastResult, "Integer"},
    {"Last Calculation Result (Boolean)", LastResult, "Boolean"},
    {"Name    (String)", "Name", "String"},
    {"Name    (Integer)", "Name", "Integer"},
    {"Status   (String)", "Status", "String"},
    {"Memory(Integer)", "Memory", "Integer"},
    {"Trust     (Integer)", "Trust", "Integer"},
    {"Parrent (String)", "Parrent", "String"},
    {"Class     (String)", "Class", "String"},
    {"Executable(String)", "Executable", "String"},
    {"Handle  (Integer)", "Handle", "Integer"},
    {"Responding (Boolean, True or False)", "Responding", "Boolean"},
};

const TChoice IntegerOperations[] = {
    {"variable == value", "=="}, {"variable != value", "!="}, {"variable < value", "<"},
    {"variable > value", ">"},   {"variable <= value", "<="}, {"variable >= value", ">="},
    {"variable + value", "+"},   {"variable - value", "-"},   {"value - variable", "~"},
    {"variable * value", "*"},   {"variable / value", "/"},   {"value / variable", "\\"},
};
const TChoice StringOperations[] = {
    {"variable == value", "=="},
    {"variable != value", "!="},
    {"merge variable, value", "/"},
    {"merge value, variable", "\\"},
};
const TChoice BooleanOperations[] = {
    {"variable == value", "=="},
    {"variable != value", "!="},
    {"variable and value", "+"},
    {"variable or value", "-"},
};
const TChoice ActionOperations[] = {{"variable = varameter", "="}};

const TChoice ValueChoices[] = {
    {"Last Calculation Result", LastResult},
    {"Previous Value of Variable", "!!!Previous Variable Value!!!"},
    {"Custom Value", ""},
};
constexpr int CustomValueIndex = 2;

// The operations offered for a type, compared exactly; empty for any other type.
std::span<const TChoice> OperationsOf(const QString& type)
{
    if (type == QLatin1String("Integer"))
        return IntegerOperations;
    if (type == QLatin1String("String"))
        return StringOperations;
    if (type == QLatin1String("Boolean"))
        return BooleanOperations;
    if (type == QLatin1String(ActionType))
        return ActionOperations;
    return {};
}

QStringList Items(std::span<const TChoice> choices)
{
    QStringList items;
    for (const TChoice& choice : choices)
        items << QString::fromUtf8(choice.item);
    return items;
}

} // namespace

TVelmoraTaskResult::TVelmoraTaskResult(QWidget* parent)
    : QDialog(parent)
{
    BuildForm();
    for (const TVariableChoice& choice : VariableChoices)
        ChooseVariable->addItem(QString::fromUtf8(choice.item));
    ChooseValue->addItems(Items(ValueChoices));
    // Filling an empty box chooses its first item; the form shows none.
    ChooseVariable->setCurrentIndex(-1);
    ChooseVariable->setEditText(QStringLiteral("Choose Variable"));
    ChooseValue->setCurrentIndex(-1);
    // Typing runs the handler as choosing an item does.
    GuardedConnect(ChooseVariable, &QComboBox::editTextChanged, this,
                   [this] { ChooseVariableChange(ChooseVariable); });
    GuardedConnect(ChooseVariable, &QComboBox::currentIndexChanged, this,
                   [this] { ChooseVariableChange(ChooseVariable); });
    GuardedConnect(ChooseOperation, &QComboBox::currentIndexChanged, this,
                   [this] { ChooseOperationChange(ChooseOperation); });
    GuardedConnect(ChooseValue, &QComboBox::currentIndexChanged, this,
                   [this] { ChooseValueChange(ChooseValue); });
    GuardedConnect(CustValue, &QLineEdit::textChanged, this, [this] { CustValueChange(CustValue); });
    GuardedConnect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(OkButton); });
}

int TVelmoraTaskResult::exec()
{
    const Application::ProgramWait open;
    return QDialog::exec();
}

void TVelmoraTaskResult::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(this); });
}

void TVelmoraTaskResult::FormShow(QObject*)
{
    ChosenType.clear();
    ChosenVariable.clear();
    ChosenOperation.clear();
    ChosenValue.clear();
    ChooseOperation->setEnabled(false);
    ChooseValue->setEnabled(false);
    // Written from here, not chosen: no handler runs.
    const QSignalBlocker variable(ChooseVariable);
    const QSignalBlocker operation(ChooseOperation);
    const QSignalBlocker value(ChooseValue);
    const QSignalBlocker custom(CustValue);
    ChooseVariable->setCurrentIndex(-1);
    ChooseVariable->setEditText(QStringLiteral("Choose Variable"));
    ChooseOperation->setCurrentIndex(-1);
    ChooseValue->setCurrentIndex(-1);
    CustValue->clear();
    CustValue->setVisible(false);
}

void TVelmoraTaskResult::ChooseVariableChange(QObject*)
{
    // Typed text that is no item keeps the last choice.
    const int index = ChooseVariable->currentIndex();
    if (index >= 0 && ChooseVariable->currentText() == ChooseVariable->itemText(index)) {
        ChosenVariable = QString::fromUtf8(VariableChoices[index].variable);
        ChosenType = QString::fromUtf8(VariableChoices[index].type);
    }
    const std::span<const TChoice> operations = OperationsOf(ChosenType);
    if (!operations.empty()) {
        const QSignalBlocker blocker(ChooseOperation);
        ChooseOperation->clear();
        ChooseOperation->addItems(Items(operations));
        ChooseOperation->setCurrentIndex(0);
        ChosenOperation = QString::fromUtf8(operations.front().text);
    }
    ChooseOperation->setEnabled(true);
    ChooseValue->setEnabled(true);
}

void TVelmoraTaskResult::ChooseOperationChange(QObject*)
{
    ChosenOperation.clear();
    const std::span<const TChoice> operations = OperationsOf(ChosenType);
    const int index = ChooseOperation->currentIndex();
    if (index >= 0 && index < static_cast<int>(operations.size()))
        ChosenOperation = QString::fromUtf8(operations[index].text);
}

void TVelmoraTaskResult::ChooseValueChange(QObject*)
{
    CustValue->setVisible(false);
    const int index = ChooseValue->currentIndex();
    if (index == CustomValueIndex)
        CustValue->setVisible(true);
    else if (index >= 0 && index < CustomValueIndex)
        ChosenValue = QString::fromUtf8(ValueChoices[index].text);
}

void TVelmoraTaskResult::CustValueChange(QObject*)
{
    ChosenValue = CustValue->text();
}

void TVelmoraTaskResult::OkButtonClick(QObject*)
{
    // A custom value is what the edit box holds now, typed or not.
    if (ChooseValue->currentIndex() == CustomValueIndex)
        ChosenValue = CustValue->text();
    accept();
}
