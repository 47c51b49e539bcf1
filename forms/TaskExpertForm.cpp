#include "taskmanager/TaskExpert.h"

#include "forms/FormControls.h"
#include "platform/RadioGroup.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Hands every keystroke of an in-place edit to the table at once, so that a check or a save never
// misses the text being typed.
class TypedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            auto* self = const_cast<TypedTextDelegate*>(this);
            connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
        }
        return editor;
    }

    // Tab and Shift+Tab end an edit and leave the grid, as they do when no cell is edited.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
        if (editor == nullptr || key == nullptr ||
            (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
            return QStyledItemDelegate::eventFilter(object, event);
        emit commitData(editor);
        emit closeEditor(editor);
        QKeyEvent leave(QEvent::KeyPress, key->key(), key->modifiers());
        QCoreApplication::sendEvent(parent(), &leave);
        return true;
    }
};

const QStringList AutoItems = {QStringLiteral("Automatically enabled"), QStringLiteral("Ask before enabling"),
                               QStringLiteral("Automatically disabled")};

TRadioGroup* AutoGroup(QWidget* page, const QString& name, const QString& caption, int index)
{
    auto* group = new TRadioGroup(caption, AutoItems, page);
    group->setObjectName(name);
    group->SetItemIndex(index);
    page->layout()->addWidget(group);
    return group;
}

QWidget* Page(QTabWidget* tabs, const QString& name, const QString& caption)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    new QVBoxLayout(page);
    tabs->addTab(page, caption);
    return page;
}

} // namespace

void TVelmoraTaskExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskExpert"));
    setWindowTitle(QStringLiteral("Velmora Task Manager - Expert Options"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    ExpertOptionsTab = new QTabWidget(this);
    ExpertOptionsTab->setObjectName(QStringLiteral("ExpertOptionsTab"));

    DataUpdate = Page(ExpertOptionsTab, QStringLiteral("DataUpdate"), QStringLiteral("Database Update"));
    SpeedTaskLabel = Label(DataUpdate, "SpeedTaskLabel", QStringLiteral("Check tasks: Every 1500 ms"));
    SpeedTaskBar = new QSlider(Qt::Horizontal, DataUpdate);
    SpeedTaskBar->setObjectName(QStringLiteral("SpeedTaskBar"));
    SpeedTaskBar->setRange(0, 10);
    SpeedTaskBar->setValue(3);
    SpeedTaskLabel->setBuddy(SpeedTaskBar); // names the bar for screen readers
    RememberByApp = CheckBox(DataUpdate, QStringLiteral("RememberByApp"),
                             QStringLiteral("Rememember by parent application"), false);
    CheckForNew =
        CheckBox(DataUpdate, QStringLiteral("CheckForNew"), QStringLiteral("Check for new tasks"), true);
    ShowDesktopTasks = CheckBox(DataUpdate, QStringLiteral("ShowDesktopTasks"),
                                QStringLiteral("Display desktop tasks"), true);
    StrictSecurity = CheckBox(DataUpdate, QStringLiteral("StrictSecurity"),
                              QStringLiteral("Extremely strict security"), false);
    DatabaseSave = Button(DataUpdate, "DatabaseSave", QStringLiteral("Save database now"));
    DatabaseClear = Button(DataUpdate, "DatabaseClear", QStringLiteral("Clear database now"));
    DatabaseLoad = Button(DataUpdate, "DatabaseLoad", QStringLiteral("Load database now"));
    for (QWidget* control : std::initializer_list<QWidget*>{SpeedTaskLabel, SpeedTaskBar, RememberByApp,
                                                            CheckForNew, ShowDesktopTasks, StrictSecurity,
                                                            DatabaseSave, DatabaseClear, DatabaseLoad})
        DataUpdate->layout()->addWidget(control);

    AutoStop = Page(ExpertOptionsTab, QStringLiteral("AutoStop"), QStringLiteral("AUTO STOP"));
    AutoStopEnableGroup =
        AutoGroup(AutoStop, QStringLiteral("AutoStopEnableGroup"), QStringLiteral("AUTO STOP:"), 0);
    AutoStopSaveGroup = AutoGroup(AutoStop, QStringLiteral("AutoStopSaveGroup"),
                                  QStringLiteral("Save database on AUTO STOP:"), 0);
    AutoStopClearGroup = AutoGroup(AutoStop, QStringLiteral("AutoStopClearGroup"),
                                   QStringLiteral("Clear database after AUTO STOP"), 1);

    AutoStart = Page(ExpertOptionsTab, QStringLiteral("AutoStart"), QStringLiteral("AUTO START"));
    AutoStartEnableGroup =
        AutoGroup(AutoStart, QStringLiteral("AutoStartEnableGroup"), QStringLiteral("AUTO START:"), 1);
    AutoStartLoadGroup = AutoGroup(AutoStart, QStringLiteral("AutoStartLoadGroup"),
                                   QStringLiteral("Load Database on AUTO START:"), 1);
    AutoStartAllowGroup = AutoGroup(AutoStart, QStringLiteral("AutoStartAllowGroup"),
                                    QStringLiteral("'Allow to run' for unknown on AUTO START"), 1);

    LoadOptions = Page(ExpertOptionsTab, QStringLiteral("LoadOptions"), QStringLiteral("Save"));
    const auto saveBox = [this](const char* name, const char* caption) {
        QCheckBox* box = CheckBox(LoadOptions, QString::fromLatin1(name), QString::fromLatin1(caption), true);
        LoadOptions->layout()->addWidget(box);
        return box;
    };
    TaskSaveDataOpt = saveBox("TaskSaveDataOpt", "Save the Save options");
    TaskSaveUpdateOpt = saveBox("TaskSaveUpdateOpt", "Save database update options");
    TaskSaveManagementOpt = saveBox("TaskSaveManagementOpt", "Save task manager running");
    TaskSaveNotificationOpt = saveBox("TaskSaveNotificationOpt", "Save task notification options");
    TaskSaveAutoStartOpt = saveBox("TaskSaveAutoStartOpt", "Save AUTO START options");
    TaskSaveAutoStopOpt = saveBox("TaskSaveAutoStopOpt", "Save AUTO STOP options");
    TaskSaveExcludeOpt = saveBox("TaskSaveExcludeOpt", "Save exclude options");

    Excludes = Page(ExpertOptionsTab, QStringLiteral("Excludes"), QStringLiteral("Exclude Filter"));
    ExcludeLabel = Label(Excludes, "ExcludeLabel", QStringLiteral("Exclude tasks whose names contain:"));
    ExcludeTable = Grid(Excludes, QStringLiteral("ExcludeTable"), 1, 1);
    // Screen readers name a grid by its own name only, never by a buddy label.
    ExcludeTable->setAccessibleName(ExcludeLabel->text());
    ExcludeTable->setItem(0, 0, new QTableWidgetItem);
    ExcludeTable->horizontalHeader()->hide();
    ExcludeTable->verticalHeader()->hide();
    ExcludeTable->horizontalHeader()->setStretchLastSection(true);
    ExcludeTable->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing into a cell edits it, as a double-click does.
    ExcludeTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    ExcludeTable->setItemDelegate(new TypedTextDelegate(ExcludeTable));
    ExcludeAdd = Button(Excludes, "ExcludeAdd", QStringLiteral("Add Row"));
    ExcludeRemove = Button(Excludes, "ExcludeRemove", QStringLiteral("Remove Row"));
    Excludes->layout()->addWidget(ExcludeLabel);
    Excludes->layout()->addWidget(ExcludeTable);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(ExcludeAdd);
    rowButtons->addWidget(ExcludeRemove);
    static_cast<QVBoxLayout*>(Excludes->layout())->addLayout(rowButtons);

    ExpertOptionsTab->setCurrentWidget(DataUpdate);
    HideExpertOptions = Button(this, "HideExpertOptions", QStringLiteral("Close Expert Options"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ExpertOptionsTab);
    layout->addWidget(HideExpertOptions);
    for (QWidget* page : {DataUpdate, AutoStop, AutoStart, LoadOptions})
        static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
    FixSize(this, QSize(560, 480));
}
