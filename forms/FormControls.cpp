#include "forms/FormControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtMath>

QPushButton* Button(QWidget* owner, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(name);
    return button;
}

QLabel* Label(QWidget* owner, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, owner);
    label->setObjectName(name);
    return label;
}

QTableWidget* Grid(QWidget* owner, const QString& name, int rows, int columns)
{
    auto* grid = new QTableWidget(rows, columns, owner);
    grid->setObjectName(name);
    grid->setTabKeyNavigation(false);
    return grid;
}

QPlainTextEdit* Description(QWidget* owner, const QString& name, const QStringList& lines)
{
    auto* text = new QPlainTextEdit(lines.join(QLatin1Char('\n')), owner);
    text->setObjectName(name);
    text->setReadOnly(true);
    text->setEnabled(false);
    // Room for every line: a window grows rather than scroll a fixed text.
    const int margins = 2 * (text->frameWidth() + qCeil(text->document()->documentMargin()));
    text->setMinimumHeight(static_cast<int>(lines.size()) * text->fontMetrics().lineSpacing() + margins);
    return text;
}

QCheckBox* CheckBox(QWidget* owner, const QString& name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption, owner);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

void FixSize(QWidget* window, QSize size)
{
    // Every page's caption stays in view: the window grows rather than scroll its tabs.
    for (QTabWidget* pages : window->findChildren<QTabWidget*>())
        pages->setUsesScrollButtons(false);
    window->setFixedSize(size.expandedTo(window->layout()->totalMinimumSize()));
}
