#include "help/HelpWindow.h"

#include "platform/Application.h"
#include "platform/Autostart.h"
#include "platform/Download.h"
#include "platform/ErrorGuard.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "shell/MainWindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <elf.h>

TVelmoraHelp* VelmoraHelp = nullptr;
void (*ExitProgramHandler)() = nullptr;

namespace {

const QString OwnVersion = QStringLiteral("1.0");
const QString RunValueName = QStringLiteral("Velmora 1.0");
const QString CompanyWebPage = QStringLiteral("https://www.tembrel.com/");
const QString ProductWebPage = QStringLiteral("https://www.tembrel.com/velmora/");
const QString DefaultUpdateLocation = QStringLiteral("https://www.tembrel.com/velmora/update/");
const QString VersionFile = QStringLiteral("Version.new");
const QString RegistryCaption = QStringLiteral("Run Velmora on windows startup: ");
// How a program or library of this machine's kind begins: anything else (a server's error page, an
// empty answer) is no update.
const QByteArray ProgramStart =
    QByteArray(ELFMAG, SELFMAG) + char(sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32);

// Tests point the updater at a folder of their own.
QString UpdateLocation()
{
    const QString location = qEnvironmentVariable("VELMORA_UPDATE_LOCATION");
    return location.isEmpty() ? DefaultUpdateLocation : location;
}

// The version text comes from the network and becomes part of a file name; a "<" shows a page
// that a server sent in its place.
bool UsableVersion(const QString& version)
{
    if (version.size() > 64 || version == QStringLiteral(".") || version == QStringLiteral(".."))
        return false;
    return std::none_of(version.begin(), version.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('<') ||
               c.category() == QChar::Other_Control;
    });
}

bool SameFile(const QString& one, const QString& other)
{
    return QFileInfo(one).canonicalFilePath() == QFileInfo(other).canonicalFilePath();
}

} // namespace

void CreateFolders()
{
    if (!DirectoryExists(QStringLiteral("Libraries")))
        CreateDir(QStringLiteral("Libraries"));
    if (!DirectoryExists(QStringLiteral("Database")))
        CreateDir(QStringLiteral("Database"));
}

void WriteRunValue(const QString& name, const QString& data)
{
    WriteAutostartEntry(name, data);
}

void DeleteRunValue(const QString& name)
{
    DeleteAutostartEntry(name);
}

void EnableRunAtStartup()
{
    WriteRunValue(RunValueName, Application::ExeName());
}

void DisableRunAtStartup()
{
    DeleteRunValue(RunValueName);
}

bool RunAtStartupEnabled()
{
    return AutostartEntryExists(RunValueName);
}

void MoveRunAtStartup(const QString& replaced)
{
    if (AutostartEntryStarts(RunValueName, replaced))
        EnableRunAtStartup();
}

TVelmoraHelp::TVelmoraHelp(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(CompanyWebButton, &QPushButton::clicked, this,
                   [this] { CompanyWebButtonClick(CompanyWebButton); });
    GuardedConnect(ProductWebButton, &QPushButton::clicked, this,
                   [this] { ProductWebButtonClick(ProductWebButton); });
    GuardedConnect(RestartButton, &QPushButton::clicked, this, [this] { RestartButtonClick(RestartButton); });
    GuardedConnect(RegistryButton, &QPushButton::clicked, this,
                   [this] { RegistryButtonClick(RegistryButton); });
    GuardedConnect(UpdateButton, &QPushButton::clicked, this, [this] { UpdateButtonClick(UpdateButton); });
    OnShow = [this] { FormShow(this); };
}

void TVelmoraHelp::FormShow(QObject*)
{
    RegistryButton->setText(RegistryCaption +
                            (RunAtStartupEnabled() ? QStringLiteral("Enabled") : QStringLiteral("Disabled")));
}

void TVelmoraHelp::RegistryButtonClick(QObject*)
{
    RegistryButton->setText(RegistryCaption);
    try {
        if (RunAtStartupEnabled()) {
            DisableRunAtStartup();
            RegistryButton->setText(RegistryCaption + QStringLiteral("Disabled"));
        } else {
            EnableRunAtStartup();
            RegistryButton->setText(RegistryCaption + QStringLiteral("Enabled"));
        }
    } catch (const EVelmoraError&) {
        RegistryButton->setText(RegistryCaption + QStringLiteral("Error"));
    }
}

void TVelmoraHelp::CompanyWebButtonClick(QObject*)
{
    ShellExecute(CompanyWebPage);
}

void TVelmoraHelp::ProductWebButtonClick(QObject*)
{
    ShellExecute(ProductWebPage);
}

void TVelmoraHelp::RestartButtonClick(QObject*)
{
    Restart();
}

void TVelmoraHelp::Restart()
{
    const QString program = Application::ExeName();
    ExitProgramHandler();
    // A save that failed keeps this program running; then no second one may start.
    if (Application::Terminated())
        StartProgram(program);
}

void TVelmoraHelp::ShowUpdateCaption(const QString& caption)
{
    UpdateButton->setText(caption);
    UpdateButton->repaint();
}

void TVelmoraHelp::ShowUpdateControls(bool shown)
{
    for (QCheckBox* box : {UpdateMemBox, UpdateTaskBox, UpdateTempBox, UpdateAppBox})
        box->setVisible(shown);
}

void TVelmoraHelp::UpdateButtonClick(QObject*)
{
    // An update waits for its downloads: inside another wait of the program (an open box), that box
    // would be answered only after every file was fetched.
    if (Application::InsideWait())
        return;
    UpdateButton->setEnabled(false);
    ShowUpdateControls(false);
    ShowUpdateCaption(QStringLiteral("Updating..."));
    // Also when the update fails with an error.
    struct Restore {
        TVelmoraHelp* help;
        ~Restore()
        {
            help->UpdateButton->setEnabled(true);
            help->ShowUpdateControls(true);
            help->UpdateButton->setText(QStringLiteral("Update Velmora"));
        }
    } restore{this};
    PerformUpdates();
}

void TVelmoraHelp::PerformUpdates()
{
    CreateFolders();
    DeleteFile(VersionFile);
    const QString location = UpdateLocation();
    // Ticks and commands go on while a file downloads; once one of them has ended the program, the
    // update fetches, says and starts nothing more, and takes back what it staged.
    const auto fetch = [&location](const QString& remote, const QString& file, const QByteArray& start) {
        return !Application::Terminated() && URLDownloadToFile(location + remote, file, start);
    };
    auto notUpdated = [this] {
        if (!Application::Terminated())
            MessageBox(this, QStringLiteral("Could not connect to Tembrel` site."),
                       QStringLiteral("Not updated"), TMsgButtons::OK, TMsgIcon::Warning);
    };
    if (!fetch(QStringLiteral("VersionName.txt"), VersionFile, {})) {
        notUpdated();
        return;
    }
    QString version = OwnVersion;
    if (FileExists(VersionFile)) {
        version = ReadFirstLine(VersionFile);
        DeleteFile(VersionFile);
    }
    if (!UsableVersion(version)) {
        notUpdated();
        return;
    }

    const QString running = Application::ExeName();
    // The downloaded executable's full path; empty when none was downloaded.
    QString program;
    // What this update has staged: an update that the program's end cuts short must leave neither a
    // new program without its libraries nor new libraries without their program.
    QStringList staged;
    if (version != OwnVersion || UpdateAppBox->isChecked()) {
        if (version == OwnVersion)
            version = QLatin1Char(' ') + version;
        ShowUpdateCaption(QStringLiteral("Downloading Application..."));
        const QString name = QStringLiteral("Velmora ") + version;
        if (fetch(QStringLiteral("Velmora.exec"), name, ProgramStart) && MakeExecutable(name))
            program = QFileInfo(name).absoluteFilePath();
        // Without its program an update changes nothing: new libraries need it.
        if (program.isEmpty()) {
            notUpdated();
            return;
        }
        // The running program's own file, once replaced, cannot be taken back.
        if (!SameFile(program, running))
            staged.append(program);
    }

    if (!FileExists(QStringLiteral("borlndmm.dll"))) {
        ShowUpdateCaption(QStringLiteral("Downloading borlndmm.dll..."));
        fetch(QStringLiteral("borlndmm.dll"), QStringLiteral("borlndmm.dll"), ProgramStart);
    }

    // The library files themselves stay: a loaded library can be deleted here, and an unticked box
    // or a failed download would then leave none for the next start.
    struct LibraryUpdate {
        QCheckBox* box;
        QString caption;
        QString remote;
        const QString& file;
    };
    const std::array<LibraryUpdate, 3> libraries{{
        {UpdateMemBox, QStringLiteral("Downlading Memory Dll..."), QStringLiteral("Quillon.so"),
         MemoryLibraryFile},
        {UpdateTaskBox, QStringLiteral("Downlading Task Dll..."), QStringLiteral("Brevant.so"),
         TaskLibraryFile},
        {UpdateTempBox, QStringLiteral("Downlading Temperature Dll..."), QStringLiteral("Sorrelin.so"),
         TemperatureLibraryFile},
    }};
    for (const LibraryUpdate& library : libraries) {
        if (!library.box->isChecked())
            continue;
        ShowUpdateCaption(library.caption);
        if (fetch(library.remote, library.file + QStringLiteral(".new"), ProgramStart))
            staged.append(library.file + QStringLiteral(".new"));
    }
    if (Application::Terminated()) {
        for (const QString& file : staged)
            DeleteFile(file);
        return;
    }

    // The next start deletes the executable named here: never the one it runs from, which a
    // download under the running program's own name has just replaced.
    if (!program.isEmpty() && !SameFile(program, running))
        WriteTextLines(QStringLiteral("Version Downloaded.txt"), {running});
    ExitProgramHandler();
    if (!program.isEmpty() && Application::Terminated())
        StartProgram(program);
}
