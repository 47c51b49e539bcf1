#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
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
#include "tasks/TaskClasses.h"
#include "temperature/TempExpert.h"
#include "temperature/TempWindow.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

QString NameOf(const QWidget* control)
{
    return control->window()->objectName() + QLatin1Char('.') + control->objectName() + QStringLiteral(" (") +
           QString::fromLatin1(control->metaObject()->className()) + QLatin1Char(')');
}

// Every text of the window's shown controls that its control cannot show whole.
QStringList CutTexts(QWidget* window)
{
    QStringList cut;
    const auto check = [&](const QWidget* control, const QString& text, QSize need) {
        if (need.width() > control->width() || need.height() > control->height())
            cut.append(NameOf(control) + QStringLiteral(" \"") + text + QStringLiteral("\" needs ") +
                       QString::number(need.width()) + QLatin1Char('x') + QString::number(need.height()) +
                       QStringLiteral(", has ") + QString::number(control->width()) + QLatin1Char('x') +
                       QString::number(control->height()));
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && !label->text().isEmpty()) {
            check(label, label->text(),
                  label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                    : label->minimumSizeHint());
        } else if (auto* button = qobject_cast<QAbstractButton*>(control);
                   button != nullptr && !button->text().isEmpty()) {
            // The text and icon must fit the room the style leaves inside the frame or beside the mark.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.icon = button->icon();
            option.iconSize = button->iconSize();
            const bool push = qobject_cast<QPushButton*>(button) != nullptr;
            const QStyle::SubElement room = push ? QStyle::SE_PushButtonContents
                                            : qobject_cast<QRadioButton*>(button) != nullptr
                                                ? QStyle::SE_RadioButtonContents
                                                : QStyle::SE_CheckBoxContents;
            const QRect inside = button->style()->subElementRect(room, &option, button);
            const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
            const int icon = option.icon.isNull() ? 0 : option.iconSize.width() + 4;
            check(button, button->text(),
                  QSize(text.width() + icon + button->width() - inside.width(),
                        text.height() + button->height() - inside.height()));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            check(group, group->title(), QSize(group->minimumSizeHint().width(), 0));
        } else if (auto* header = qobject_cast<QHeaderView*>(control)) {
            for (int section = 0; section < header->count(); ++section)
                if (header->sectionSize(section) < header->sectionSizeHint(section))
                    cut.append(NameOf(header) + QStringLiteral(" section ") + QString::number(section) +
                               QStringLiteral(" \"") +
                               header->model()->headerData(section, header->orientation()).toString() +
                               QLatin1Char('"'));
        } else if (auto* fixed = qobject_cast<QPlainTextEdit*>(control);
                   fixed != nullptr && fixed->isReadOnly()) {
            if (fixed->verticalScrollBar()->maximum() > 0 || fixed->horizontalScrollBar()->maximum() > 0)
                cut.append(NameOf(fixed) + QStringLiteral(" \"") + fixed->toPlainText() +
                           QStringLiteral("\" scrolls"));
        } else if (auto* tabs = qobject_cast<QTabBar*>(control)) {
            for (int tab = 0; tab < tabs->count(); ++tab)
                if (!tabs->rect().contains(tabs->tabRect(tab)))
                    cut.append(NameOf(tabs) + QStringLiteral(" tab \"") + tabs->tabText(tab) +
                               QLatin1Char('"'));
        }
    }
    return cut;
}

// The whole program at the desktop's font size and at a quarter more.
class WindowTextsTest : public testing::TestWithParam<double> {
protected:
    void SetUp() override
    {
        defaultFont_ = QApplication::font();
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

    // Shows the window as the program does and lists what it cuts, under `state`.
    void ExpectWhole(QWidget* window, const char* state)
    {
        window->show();
        QApplication::processEvents();
        if (auto* pages = window->findChild<QTabWidget*>()) {
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                QApplication::processEvents();
                EXPECT_EQ(CutTexts(window).join(QLatin1Char('\n')).toStdString(), "")
                    << state << ", page " << page;
            }
            pages->setCurrentIndex(0);
        } else {
            EXPECT_EQ(CutTexts(window).join(QLatin1Char('\n')).toStdString(), "") << state;
        }
        const QRect area = window->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(window->frameGeometry())) << state << " lies off the screen";
        window->hide();
    }

    WorkingFolder folder;
    MessageBoxRecorder boxes;

private:
    QFont defaultFont_;
};

TEST_P(WindowTextsTest, EveryWindowShowsItsTextsWhole)
{
    // The longest captions the ticks write.
    VelmoraMain->TaskButton->setText(QStringLiteral("Task Manager: Started, New tasks disabled"));
    VelmoraMain->TemperatureButton->setText(QStringLiteral("Temperature: Monitor Stopped"));
    ExpectWhole(VelmoraMain, "main window");

    // The longest trust and status texts, on the task window in both its states.
    TTask task;
    ClearTask(task);
    task.Name = QStringLiteral("Editor");
    task.Parrent = QStringLiteral("Desktop");
    task.Status = QStringLiteral("Not Responding");
    task.Suspended = true;
    task.Trust = -3;
    task.Code = {TCode{}};
    Tasks = {task};
    VelmoraTask->EnableTaskManager->setText(QStringLiteral("Task Manager Started (click to stop)"));
    VelmoraTask->updateTaskList();
    VelmoraTask->TaskList->setCurrentCell(0, 0);
    VelmoraTask->CustomTrustBar->setValue(-3);
    ExpectWhole(VelmoraTask, "task window");
    // The longest status and trust a task shows fit their columns.
    for (int column : {2, 3}) {
        const QModelIndex cell = VelmoraTask->TaskList->model()->index(0, column);
        EXPECT_GE(VelmoraTask->TaskList->columnWidth(column),
                  VelmoraTask->TaskList->sizeHintForIndex(cell).width())
            << cell.data().toString().toStdString();
    }
    // A rule may give any status: every cell tells its whole text when pointed at.
    Tasks[0].Status = QStringLiteral("Waiting for the backup of the whole home folder");
    VelmoraTask->updateTaskList();
    for (int column = 0; column < VelmoraTask->TaskList->columnCount(); ++column) {
        const QTableWidgetItem* cell = VelmoraTask->TaskList->item(0, column);
        EXPECT_EQ(cell->toolTip().toStdString(), cell->text().toStdString()) << "column " << column;
    }
    VelmoraTask->AdvancedTask->click();
    ExpectWhole(VelmoraTask, "task window with More");

    // The notification dialog as it asks about that task, then with its advanced controls.
    TVelmoraTaskAction* dialog = VelmoraTaskAction;
    dialog->DescriptionName->setText(task.Name);
    dialog->DescriptionChange->setText(QStringLiteral("TASK CHANGED STATUS"));
    dialog->DescriptionStatus->setText(QStringLiteral("Current Status: Not Responding"));
    dialog->DescriptionTrust->setText(QStringLiteral("Current Trust: ") + TrustDescription(-3));
    dialog->TimeRepeatBar->setValue(240);
    ExpectWhole(dialog, "notification dialog");
    dialog->AdvancedNotification->click();
    dialog->CustomTrustBar->setValue(-3);
    ExpectWhole(dialog, "notification dialog with advanced controls");

    ExpectWhole(VelmoraTaskExpert, "task expert options");
    ExpectWhole(VelmoraTaskScript, "script editor");
    ExpectWhole(VelmoraTaskCode, "code editor");
    ExpectWhole(VelmoraTaskResult, "statement dialog");
    // It frees itself when hidden.
    auto* monitor = new TVelmoraTaskResource;
    monitor->setObjectName(QStringLiteral("monitor"));
    monitor->AdvancedMonitor->click();
    ExpectWhole(monitor, "memory monitor with More");
    VelmoraMem->AdvancedMemory->click();
    ExpectWhole(VelmoraMem, "memory window with More");
    ExpectWhole(VelmoraMemExpert, "memory expert options");
    VelmoraTemp->AdvancedTemp->click();
    ExpectWhole(VelmoraTemp, "temperature window with More");
    ExpectWhole(VelmoraTempExpert, "temperature expert options");
    ExpectWhole(VelmoraHelp, "help window");
}

INSTANTIATE_TEST_SUITE_P(FontSizes, WindowTextsTest, testing::Values(1.0, 1.25));

} // namespace
