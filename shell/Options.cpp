#include "shell/MainWindow.h"

#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/RadioGroup.h"
#include "temperature/TempExpert.h"

#include <QCheckBox>
#include <QSlider>
#include <variant>
#include <vector>

namespace {

const QString OptionsFile = QStringLiteral("Database/Options.ini");

// Where a key's value lives.
using Holder = std::variant<QCheckBox*, QSlider*, TRadioGroup*>;

struct Key {
    QString name;
    Holder holder;
};

struct Section {
    QString name;
    // The section is written only while this box is ticked; nullptr: always.
    const QCheckBox* saveBox;
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
    return {
        {QStringLiteral("Memory"),
         nullptr,
         {{QStringLiteral("Keep Log Error"), mem->LogErrorKeepGroup},
          {QStringLiteral("Safety MB"), mem->SafetyMemoryBar}}},
        {QStringLiteral("Temperature Save"),
         temp->TempSaveDataOpt,
         {{QStringLiteral("Save Expert Options"), temp->TempSaveDataOpt},
          {QStringLiteral("Save Update Options"), temp->TempSaveUpdateOpt},
          {QStringLiteral("Save Auto Start Options"), temp->TempSaveAutoStartOpt}}},
        {QStringLiteral("Temperature Update"),
         temp->TempSaveUpdateOpt,
         {{QStringLiteral("Refresh *500msec"), temp->SpeedTempBar},
          {QStringLiteral("Overheat temperature"), temp->MaxTempBar}}},
        {QStringLiteral("Temperature Auto Start"),
         temp->TempSaveAutoStartOpt,
         {{QStringLiteral("Enabled"), temp->AutoRunEnableGroup}}},
    };
}

void Write(TIniFile& settings, const QString& section, const Key& key)
{
    std::visit(Overloaded{
                   [&](QCheckBox* box) { settings.WriteBool(section, key.name, box->isChecked()); },
                   [&](QSlider* bar) { settings.WriteInteger(section, key.name, bar->value()); },
                   [&](TRadioGroup* group) { settings.WriteInteger(section, key.name, group->ItemIndex()); },
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
        },
        key.holder);
}

} // namespace

void SaveOptions()
{
    if (VelmoraMemExpert->LogErrorKeepGroup->ItemIndex() == 1)
        VelmoraMemExpert->SilentClearLogFile();
    CreateFolders();
    // A new file: it holds only what the save boxes allow now, and replaces the old one whole.
    TIniFile settings(OptionsFile, TIniOpen::New);
    for (const Section& section : Sections()) {
        if (section.saveBox != nullptr && !section.saveBox->isChecked())
            continue;
        for (const Key& key : section.keys)
            Write(settings, section.name, key);
    }
    settings.UpdateFile();
    UnloadLibraries();
}

void RestoreOptions()
{
    if (FileExists(OptionsFile)) {
        const TIniFile settings(OptionsFile);
        for (const Section& section : Sections()) {
            if (!settings.SectionExists(section.name))
                continue;
            for (const Key& key : section.keys)
                Read(settings, section.name, key);
        }
    }
}
