#include "taskmanager/TaskCode.h"

#include "forms/FormControls.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

// Read-only, one header row of cells, two rows at start; the first row below the header is current.
QTableWidget* RelationGrid(QWidget* owner, const QString& name, int columns)
{
    QTableWidget* grid = Grid(owner, name, 2, columns);
    grid->setAccessibleName(name); // what screen readers call it: "Conditions" or "Actions"
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setCurrentCell(1, 0);
    return grid;
}

} // namespace

void TVelmoraTaskCode::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskCode"));
    setWindowTitle(QStringLiteral("Velmora Task Code"));
    // No border icons: "Finished Code" is the way out.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    // The controls that take focus are created in screen order, which Tab follows.
    Conditions = RelationGrid(this, QStringLiteral("Conditions"), 4);
    AddCondition = Button(this, QStringLiteral("AddCondition"), QStringLiteral("Add/Change Condition "));
    Actions = RelationGrid(this, QStringLiteral("Actions"), 5);
    AddAction = Button(this, QStringLiteral("AddAction"), QStringLiteral("Add/Change Action"));
    ApplyButton = Button(this, QStringLiteral("ApplyButton"), QStringLiteral("Finished Code"));
    LogErrorDescription = Description(
        this, QStringLiteral("LogErrorDescription"),
        {QStringLiteral("If all =, <, >, <=, >=, <> opperations in the conditions above are found "
                        "true, the actions bellow with Perform type will be performed.")});
    LogErrorDescription->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    LogErrorDescription->setMaximumHeight(LogErrorDescription->fontMetrics().lineSpacing() * 4);
    CodeDescription = Description(this, QStringLiteral("CodeDescription"), {});
    // Names for screen readers: what each text tells.
    LogErrorDescription->setAccessibleName(QStringLiteral("Conditions and actions"));
    CodeDescription->setAccessibleName(QStringLiteral("The following code is created"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(Conditions, 0, 0, 1, 2);
    layout->addWidget(AddCondition, 1, 0, 1, 2);
    layout->addWidget(LogErrorDescription, 2, 0, 1, 2);
    layout->addWidget(Actions, 3, 0, 1, 2);
    layout->addWidget(AddAction, 4, 0, 1, 2);
    layout->addWidget(CodeDescription, 5, 0);
    layout->addWidget(ApplyButton, 5, 1);
    layout->setRowStretch(0, 2);
    layout->setRowStretch(3, 2);

    resize(640, 600);
}
