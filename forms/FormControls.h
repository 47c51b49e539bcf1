#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSize;
class QTableWidget;
class QWidget;

// Controls as the windows' forms declare them: each carries its form name as its object name.
QPushButton* Button(QWidget* owner, const QString& name, const QString& caption);
QCheckBox* CheckBox(QWidget* owner, const QString& name, const QString& caption, bool checked);
QLabel* Label(QWidget* owner, const QString& name, const QString& caption);
// A grid of cells that Tab and Shift+Tab leave for the next control, as everywhere else in a window;
// the arrows move between its cells.
QTableWidget* Grid(QWidget* owner, const QString& name, int rows, int columns);
// Fixed text that can be neither edited nor focused; each entry is one line, blanks kept.
QPlainTextEdit* Description(QWidget* owner, const QString& name, const QStringList& lines);
// Fixes a window at `size`, or larger where its controls need more room to show their texts whole.
// Call it once the window's layout holds every control.
void FixSize(QWidget* window, QSize size);
