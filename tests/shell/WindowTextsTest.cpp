#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
#include "platform/Gauge.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskScript.h"
#include "taskmanager/TaskWindow.h"
#include "temperature/TempExpert.h"
#include "temperature/TempWindow.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

// The room a control's text needs, measured as its style draws it; empty for a control without text.
QSize Need(QWidget* control)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->minimumSizeHint();
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return QSize(group->minimumSizeHint().width(), 0);
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (button == nullptr || button->text().isEmpty())
        return {};
    // Text and icon inside the frame or beside the mark.
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QStyle::SubElement room =
        qobject_cast<QPushButton*>(button) != nullptr    ? QStyle::SE_PushButtonContents
        : qobject_cast<QRadioButton*>(button) != nullptr ? QStyle::SE_RadioButtonContents
                                                         : QStyle::SE_CheckBoxContents;
    const QRect inside = button->style()->subElementRect(room, &option, button);
    const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    const int icon = option.icon.isNull() ? 0 : option.iconSize.width() + 4;
    return QSize(text.width() + icon + button->width() - inside.width(),
                 text.height() + button->height() - inside.height());
}

// Every text of the window's shown controls that its control cannot show whole.
std::string CutTexts(QWidget* window)
{
    QStringList cut;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible())
            continue;
        const QString name =
            window->objectName() + QLatin1Char('.') + control->objectName() + QLatin1Char(' ');
        const QSize need = Need(control);
        if (need.width() > control->width() || need.height() > control->height())
            cut.append(name + control->property("text").toString() + control->property("title").toString());
        if (auto* fixed = qobject_cast<QPlainTextEdit*>(control);
            fixed != nullptr && fixed->isReadOnly() && fixed->verticalScrollBar()->maximum() > 0)
            cut.append(name + fixed->toPlainText());
        if (auto* header = qobject_cast<QHeaderView*>(control))
            for (int section = 0; section < header->count(); ++section)
                if (header->sectionSize(section) < header->sectionSizeHint(section))
                    cut.append(name + header->model()->headerData(section, Qt::Horizontal).toString());
        if (auto* tabs = qobject_cast<QTabBar*>(control))
            for (int tab = 0; tab < tabs->count(); ++tab)
                if (!tabs->rect().contains(tabs->tabRect(tab)))
                    cut.append(name + tabs->tabText(tab));
    }
    return cut.join(QLatin1Char('\n')).toStdString();
}

// Every shown control that a screen reader finds without a name: whatever takes the focus (itself,
// not through another), and the gauges and bars that show a figure. A fixed text is read whole.
std::string Unnamed(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool met = ((control->focusPolicy() & Qt::TabFocus) != 0 && control->focusProxy() == nullptr) ||
                         qobject_cast<TGauge*>(control) || qobject_cast<QProgressBar*>(control);
        auto* text = qobject_cast<QPlainTextEdit*>(control);
        const bool fixed = text != nullptr && !text->isEnabled() && !text->toPlainText().isEmpty();
        if (met && !fixed && control->isVisible() &&
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
            unnamed.append(window->objectName() + QLatin1Char('.') + control->objectName() +
                           QLatin1Char(' ') + control->metaObject()->className());
    }
    return unnamed.join(QLatin1Char('\n')).toStdString();
}

// Each step of the window's Tab chain that goes back on the screen (up, or left along a row).
QStringList TabStepsBack(QWidget* window)
{
    std::vector<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisibleTo(window) && w->isEnabled())
            chain.push_back(w);
    const auto place = [window](QWidget* w) { return QRect(w->mapTo(window, QPoint()), w->size()); };
    QStringList back;
    for (size_t i = 0; i < chain.size(); ++i) {
        QWidget* next = chain[(i + 1) % chain.size()];
        const QRect from = place(chain[i]);
        const QRect to = place(next);
        const bool row = from.top() <= to.center().y() && to.center().y() <= from.bottom();
        if (row ? to.left() < from.left() : to.center().y() < from.center().y())
            back.append(chain[i]->objectName() + QStringLiteral(" -> ") + next->objectName());
    }
    return back;
}

// Shows the window and each of its pages, as the user would look at them: every text whole, every
// control named, and Tab going down the screen and along each row, back to the top only from the last
// control.
void ExpectWhole(QWidget* window)
{
    window->show();
    QApplication::processEvents();
    auto* pages = window->findChild<QTabWidget*>();
    for (int page = 0; page < (pages != nullptr ? pages->count() : 1); ++page) {
        if (pages != nullptr) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
        }
        EXPECT_EQ(CutTexts(window), "") << "page " << page;
        EXPECT_EQ(Unnamed(window), "") << "page " << page;
        EXPECT_LE(TabStepsBack(window).size(), 1) << TabStepsBack(window).join(", ").toStdString();
    }
    window->hide();
}

// The whole program at the desktop's font size and at a quarter more.
class WindowTextsTest : public testing::TestWithParam<double> {
protected:
    void SetUp() override
    {
        QFont font = defaultFont_;
        font.setPointSizeF(font.pointSizeF() * GetParam());
        QApplication::setFont(font);
        Application::ResetTerminated();
        CreateProgramWindows();
        for (TTimer* timer : {VelmoraMain->FirstRunTimer, VelmoraMain->TaskTimer, VelmoraMain->MemoryTimer,
                              VelmoraMain->TemperatureTimer})
            timer->SetEnabled(false);
    }

    void TearDown() override
    {
        DestroyProgramWindows();
        QApplication::setFont(defaultFont_);
    }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    const QFont defaultFont_ = QApplication::font();
};

TEST_P(WindowTextsTest, EveryWindowShowsItsTextsWholeAndTabFollowsTheScreen)
{
    // Every monitor's library is there, and no notice repeat runs.
    for (QPushButton* monitor :
         {VelmoraMain->MemoryButton, VelmoraMain->TaskButton, VelmoraMain->TemperatureButton})
        monitor->setEnabled(true);
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    // The longest captions the program writes.
    VelmoraMain->TaskButton->setText(QStringLiteral("Task Manager: Started, New tasks disabled"));
    VelmoraMain->TemperatureButton->setText(QStringLiteral("Temperature: Monitor Stopped"));
    ExpectWhole(VelmoraMain);
    TTask task;
    ClearTask(task);
    task.Name = QStringLiteral("Editor");
    task.Status = QStringLiteral("Not Responding");
    task.Suspended = true;
    task.Trust = -3;
    task.Code = {TCode{}};
    Tasks = {task};
    VelmoraTask->EnableTaskManager->setText(QStringLiteral("Task Manager Started (click to stop)"));
    VelmoraTask->updateTaskList();
    VelmoraTask->TaskList->setCurrentCell(0, 0);
    VelmoraTask->CustomTrustBar->setValue(-3);
    ExpectWhole(VelmoraTask);
    QTableWidget* grid = VelmoraTask->TaskList;
    for (int column : {2, 3})
        EXPECT_GE(grid->columnWidth(column), grid->sizeHintForIndex(grid->model()->index(0, column)).width());
    // A rule may set any status: every cell tells its whole text when pointed at.
    Tasks[0].Status = QStringLiteral("Waiting for the backup of the whole home folder");
    VelmoraTask->updateTaskList();
    for (int column = 0; column < grid->columnCount(); ++column)
        EXPECT_EQ(grid->item(0, column)->toolTip().toStdString(), grid->item(0, column)->text().toStdString())
            << column;
    VelmoraTask->AdvancedTask->click();
    ExpectWhole(VelmoraTask);
    Tasks.clear();
    VelmoraTask->updateTaskList();
    VelmoraTask->TaskDescription(-1);
    ExpectWhole(VelmoraTask);

    VelmoraTaskAction->DescriptionStatus->setText(QStringLiteral("Current Status: Not Responding"));
    VelmoraTaskAction->DescriptionTrust->setText(QStringLiteral("Current Trust: ") + TrustDescription(-3));
    ExpectWhole(VelmoraTaskAction);
    VelmoraTaskAction->AdvancedNotification->click();
    VelmoraTaskAction->CustomTrustBar->setValue(-3);
    ExpectWhole(VelmoraTaskAction);

    auto* monitor = new TVelmoraTaskResource; // frees itself when hidden
    for (QPushButton* more :
         {monitor->AdvancedMonitor, VelmoraMem->AdvancedMemory, VelmoraTemp->AdvancedTemp})
        more->click();
    for (QWidget* window : std::initializer_list<QWidget*>{
             VelmoraTaskExpert, VelmoraTaskScript, VelmoraTaskCode, VelmoraTaskResult, monitor, VelmoraMem,
             VelmoraMemExpert, VelmoraTemp, VelmoraTempExpert, VelmoraHelp})
        ExpectWhole(window);
}

INSTANTIATE_TEST_SUITE_P(FontSizes, WindowTextsTest, testing::Values(1.0, 1.25));

} // namespace
