#include "shell/MainWindow.h"

#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/RadioGroup.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "temperature/TempExpert.h"

#include <QCheckBox>
#include <QScopeGuard>
#include <QSlider>
#include <QTableWidget>
#include <algorithm>
#include <variant>
#include <vector>

namespace {

const QString OptionsFile = QStringLiteral("Database/Options.ini");
const QString ExcludeFile = QStringLiteral("Database/Exclude.txt");

// The restore asks questions, and "Exit Velmora" works inside them: such an exit must not write
// over the stored files what is not restored yet.
bool Restoring = false;
// The exclude table shows the stored list (or there was none): false from the start of the restore
// until the list is loaded, so a restore cut short by an error keeps the stored list too.
bool ExcludeListRestored = true;

// [Task Update] "Refresh *500msec": written from TaskCheckSpeed, read into it with SpeedTaskBar's
// position as the default, then shown by the bar.
struct CheckSpeed {};
// A text for the file's human reader, never read back.
struct Note {
    QString text;
};

// Where a key's value lives.
using Holder = std::variant<QCheckBox*, QSlider*, TRadioGroup*, bool*, CheckSpeed, Note>;

struct Key {
    QString name;
    Holder holder;
};

enum class ReadWhen { Present, BoxTicked };

struct Section {
    QString name;
    // The section is written only while this box is ticked; nullptr: always.
    const QCheckBox* saveBox;
    // Read when the section is present, or when its save box is ticked at that moment (after
    // [Task Save] was read).
    ReadWhen read;
    std::vector<Key> keys;
};

template <typename... Visitors> struct Overloaded : Visitors... {
    using Visitors::operator()...;
};

// The sections in the order they are written and read.
std::vector<Section> Sections()
{
    const TVelmoraMemExpert* mem = VelmoraMemExpert;
    const TVelmoraTempExpert* temp = VelmoraTempExpert;
    const TVelmoraTaskExpert* task = VelmoraTaskExpert;
    const TVelmoraTaskAction* notification = VelmoraTaskAction;
    const Note states{QStringLiteral("0 always, 1 ask, 2 never")};
    return {
        {QStringLiteral("Memory"),
         nullptr,
         ReadWhen::Present,
         {{QStringLiteral("Keep Log Error"), mem->LogErrorKeepGroup},
          {QStringLiteral("Safety MB"), mem->SafetyMemoryBar}}},
        {QStringLiteral("Temperature Save"),
         temp->TempSaveDataOpt,
         ReadWhen::Present,
         {{QStringLiteral("Save Expert Options"), temp->TempSaveDataOpt},
          {QStringLiteral("Save Update Options"), temp->TempSaveUpdateOpt},
          {QStringLiteral("Save Auto Start Options"), temp->TempSaveAutoStartOpt}}},
        {QStringLiteral("Temperature Update"),
         temp->TempSaveUpdateOpt,
         ReadWhen::Present,
         {{QStringLiteral("Refresh *500msec"), temp->SpeedTempBar},
          {QStringLiteral("Overheat temperature"), temp->MaxTempBar}}},
        {QStringLiteral("Temperature Auto Start"),
         temp->TempSaveAutoStartOpt,
         ReadWhen::Present,
         {{QStringLiteral("Enabled"), temp->AutoRunEnableGroup}}},
        {QStringLiteral("Task Save"),
         task->TaskSaveDataOpt,
         ReadWhen::Present,
         {{QStringLiteral("Save Expert Options"), task->TaskSaveDataOpt},
          {QStringLiteral("Save Update Options"), task->TaskSaveUpdateOpt},
          {QStringLiteral("Save AUTO START Options"), task->TaskSaveAutoStartOpt},
          {QStringLiteral("Save AUTO STOP Options"), task->TaskSaveAutoStopOpt},
          {QStringLiteral("Save Management Options"), task->TaskSaveManagementOpt},
          {QStringLiteral("Save Notification Options"), task->TaskSaveNotificationOpt}}},
        {QStringLiteral("Task Update"),
         task->TaskSaveUpdateOpt,
         ReadWhen::Present,
         {{QStringLiteral("Refresh *500msec"), CheckSpeed{}},
          {QStringLiteral("Remember by application"), task->RememberByApp},
          {QStringLiteral("Check for new tasks"), task->CheckForNew},
          {QStringLiteral("Display desktop tasks"), task->ShowDesktopTasks},
          {QStringLiteral("Strict Security"), task->StrictSecurity}}},
        {QStringLiteral("Task Management"),
         task->TaskSaveManagementOpt,
         ReadWhen::Present,
         {{QStringLiteral("Manager Started"), &VelmoraTask->ManagerStarted}}},
        {QStringLiteral("Task Notification"),
         task->TaskSaveNotificationOpt,
         ReadWhen::BoxTicked,
         {{QStringLiteral("Repeat for unknown"), notification->UnknownRepeat},
          {QStringLiteral("Repeat for positive"), notification->PositiveRepeat},
          {QStringLiteral("Repeat for negative"), notification->NegativeRepeat}}},
        {QStringLiteral("Task AUTO START"),
         task->TaskSaveAutoStartOpt,
         ReadWhen::BoxTicked,
         {{QStringLiteral("States"), states},
          {QStringLiteral("Enabled"), task->AutoStartEnableGroup},
          {QStringLiteral("Load Database"), task->AutoStartLoadGroup},
          {QStringLiteral("Allow Unknown"), task->AutoStartAllowGroup}}},
        {QStringLiteral("Task AUTO STOP"),
         task->TaskSaveAutoStopOpt,
         ReadWhen::BoxTicked,
         {{QStringLiteral("States"), states},
          {QStringLiteral("Enabled"), task->AutoStopEnableGroup},
          {QStringLiteral("Save Database"), task->AutoStopSaveGroup},
          {QStringLiteral("Clear Database"), task->AutoStopClearGroup}}},
    };
}

void Write(TIniFile& settings, const QString& section, const Key& key)
{
    std::visit(Overloaded{
                   [&](QCheckBox* box) { settings.WriteBool(section, key.name, box->isChecked()); },
                   [&](QSlider* bar) { settings.WriteInteger(section, key.name, bar->value()); },
                   [&](TRadioGroup* group) { settings.WriteInteger(section, key.name, group->ItemIndex()); },
                   [&](bool* flag) { settings.WriteBool(section, key.name, *flag); },
                   [&](CheckSpeed) { settings.WriteInteger(section, key.name, TaskCheckSpeed); },
                   [&](const Note& note) { settings.WriteString(section, key.name, note.text); },
               },
               key.holder);
}

// Each control is its own default, so a missing or unreadable value leaves it as it is; the control
// holds the value to its range and runs its handler only on a real change.
void Read(const TIniFile& settings, const QString& section, const Key& key)
{
    std::visit(
        Overloaded{
            [&](QCheckBox* box) { box->setChecked(settings.ReadBool(section, key.name, box->isChecked())); },
            [&](QSlider* bar) { bar->setValue(settings.ReadInteger(section, key.name, bar->value())); },
            [&](TRadioGroup* group) {
                group->SetItemIndex(settings.ReadInteger(section, key.name, group->ItemIndex()));
            },
            [&](bool* flag) { *flag = settings.ReadBool(section, key.name, *flag); },
            [&](CheckSpeed) {
                QSlider* bar = VelmoraTaskExpert->SpeedTaskBar;
                TaskCheckSpeed = settings.ReadInteger(section, key.name, bar->value());
                bar->setValue(TaskCheckSpeed);
            },
            [](const Note&) {},
        },
        key.holder);
}

// The exclude table's one column, top row first; an empty cell is an empty line.
QStringList ExcludeRows()
{
    const QTableWidget* table = VelmoraTaskExpert->ExcludeTable;
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* cell = table->item(row, 0);
        rows.append(cell != nullptr ? cell->text() : QString());
    }
    return rows;
}

// One row per line; one empty row for no lines.
void SetExcludeRows(const QStringList& lines)
{
    QTableWidget* table = VelmoraTaskExpert->ExcludeTable;
    table->setRowCount(std::max<int>(1, lines.size()));
    for (int row = 0; row < table->rowCount(); ++row)
        table->setItem(row, 0, new QTableWidgetItem(row < lines.size() ? lines[row] : QString()));
}

} // namespace

void SaveOptions()
{
    if (VelmoraMemExpert->LogErrorKeepGroup->ItemIndex() == 1)
        VelmoraMemExpert->SilentClearLogFile();
    CreateFolders();
    for (const QString& file : {OptionsFile, ExcludeFile, TaskDatabaseFile})
        RemoveStaleTemporaries(file);
    // Both files are new: each holds only what the save boxes allow now and replaces the old one
    // whole, so a save cut short leaves the last complete files.
    if (!Restoring) {
        TIniFile settings(OptionsFile, TIniOpen::New);
        for (const Section& section : Sections()) {
            if (section.saveBox != nullptr && !section.saveBox->isChecked())
                continue;
            for (const Key& key : section.keys)
                Write(settings, section.name, key);
        }
        settings.UpdateFile();
    }
    const TVelmoraTaskExpert* task = VelmoraTaskExpert;
    if (ExcludeListRestored) {
        if (task->TaskSaveExcludeOpt->isChecked())
            WriteTextLines(ExcludeFile, ExcludeRows());
        else
            DeleteFile(ExcludeFile);
    }
    if (TaskLibraryHandle != nullptr && task->TaskSaveDataOpt->isChecked())
        VelmoraTask->DataTaskSave(TaskDatabaseFile);
    UnloadLibraries();
}

void RestoreOptions()
{
    Restoring = true;
    ExcludeListRestored = false;
    const auto restored = qScopeGuard([] { Restoring = false; });
    if (FileExists(OptionsFile)) {
        const TIniFile settings(OptionsFile);
        for (const Section& section : Sections()) {
            const bool read = section.read == ReadWhen::Present ? settings.SectionExists(section.name)
                                                                : section.saveBox->isChecked();
            if (!read)
                continue;
            for (const Key& key : section.keys)
                Read(settings, section.name, key);
        }
    }
    // The task manager window's creation cleared the flag: only the file can have set it.
    if (VelmoraTask->ManagerStarted) {
        VelmoraTask->ManagerStarted = false;
        VelmoraTask->EnableTaskManagerClick(nullptr);
    }
    if (FileExists(ExcludeFile))
        SetExcludeRows(ReadTextLines(ExcludeFile));
    ExcludeListRestored = true;
}
