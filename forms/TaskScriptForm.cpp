#include "taskmanager/TaskScript.h"

#include "forms/FormControls.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

void TVelmoraTaskScript::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskScript"));
    setWindowTitle(QStringLiteral("Velmora Task Script"));
    // System menu, maximize and close boxes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    AddCode = Button(this, QStringLiteral("AddCode"), QStringLiteral("Add/Change Code Line"));
    RemoveCode = Button(this, QStringLiteral("RemoveCode"), QStringLiteral("Remove Code Line"));
    CodeList = new QListWidget(this);
    CodeList->setObjectName(QStringLiteral("CodeList"));
    CodeList->setAccessibleName(QStringLiteral("Code Lines"));
    CodeList->addItem(QStringLiteral("Add code"));
    ApplyTaskScript = Button(this, QStringLiteral("ApplyTaskScript"), QStringLiteral("Apply Task Script"));
    HideTaskScript = Button(this, QStringLiteral("HideTaskScript"), QStringLiteral("Cancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(AddCode, 0, 0);
    layout->addWidget(RemoveCode, 0, 1);
    layout->addWidget(CodeList, 1, 0, 1, 2);
    layout->addWidget(ApplyTaskScript, 2, 0);
    layout->addWidget(HideTaskScript, 2, 1);
    layout->setRowStretch(1, 1);

    resize(700, 420);
}
