#include "taskmanager/TaskResult.h"

#include "forms/FormControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* ComboBox(QWidget* owner, const QString& name, const QString& text)
{
    auto* box = new QComboBox(owner);
    box->setObjectName(name);
    box->setPlaceholderText(text);
    box->setEnabled(false);
    return box;
}

} // namespace

void TVelmoraTaskResult::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskResult"));
    setWindowTitle(QStringLiteral("Velmora Statement"));
    // A dialog border without border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    ChooseVariable = new QComboBox(this);
    ChooseVariable->setObjectName(QStringLiteral("ChooseVariable"));
    ChooseVariable->setEditable(true);
    ChooseVariable->setInsertPolicy(QComboBox::NoInsert);
    ChooseOperation = ComboBox(this, QStringLiteral("ChooseOperation"), QStringLiteral("Choose Operation"));
    ChooseValue = ComboBox(this, QStringLiteral("ChooseValue"), QStringLiteral("Choose Value"));
    CustValue = new QLineEdit(this);
    CustValue->setObjectName(QStringLiteral("CustValue"));
    CustValue->setVisible(false);
    OkButton = Button(this, QStringLiteral("OkButton"), QStringLiteral("OK"));
    OkButton->setDefault(true);

    // A box's name for screen readers is its changing text: the label beside it says what it holds.
    auto* layout = new QGridLayout(this);
    const struct {
        const char* name;
        const char* caption;
        QComboBox* box;
    } rows[] = {{"VariableLabel", "Variable", ChooseVariable},
                {"OperationLabel", "Operation", ChooseOperation},
                {"ValueLabel", "Value", ChooseValue}};
    for (int row = 0; row < 3; ++row) {
        QLabel* label = Label(this, QString::fromUtf8(rows[row].name), QString::fromUtf8(rows[row].caption));
        label->setBuddy(rows[row].box);
        layout->addWidget(label, row, 0);
        layout->addWidget(rows[row].box, row, 1);
    }
    CustValue->setAccessibleName(QStringLiteral("Custom Value"));
    layout->addWidget(CustValue, 3, 1);
    layout->addWidget(OkButton, 4, 0, 1, 2);
    layout->setRowStretch(5, 1);

    resize(340, 200);
}
