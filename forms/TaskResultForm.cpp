#include "taskmanager/TaskResult.h"

#include "forms/FormControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

    auto* layout = new QVBoxLayout(this);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ChooseVariable, ChooseOperation, ChooseValue, CustValue, OkButton})
        layout->addWidget(control);
    layout->addStretch(1);

    resize(340, 200);
}
