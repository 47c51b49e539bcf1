#include "memory/MemExpert.h"

#include "platform/ErrorGuard.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QUrl>

TVelmoraMemExpert* VelmoraMemExpert = nullptr;

const QString MemoryErrorLogFile = QStringLiteral("Database/MemoryError.txt");

TVelmoraMemExpert::TVelmoraMemExpert(QWidget* parent)
    : TForm(parent)
    , EraseFile(DeleteFile)
{
    BuildForm();
    GuardedConnect(LogClear, &QPushButton::clicked, this, [this] { LogClearClick(LogClear); });
    GuardedConnect(LogShow, &QPushButton::clicked, this, [this] { LogShowClick(LogShow); });
    GuardedConnect(SafetyMemoryBar, &QSlider::valueChanged, this,
                   [this] { SafetyMemoryBarChange(SafetyMemoryBar); });
    GuardedConnect(HideExpertOptions, &QPushButton::clicked, this,
                   [this] { HideExpertOptionsClick(HideExpertOptions); });
}

bool TVelmoraMemExpert::EraseLogFile()
{
    return EraseFile(MemoryErrorLogFile) && !FileExists(MemoryErrorLogFile);
}

void TVelmoraMemExpert::ShowDeleteError()
{
    MessageBox(this, QStringLiteral("Some error occured while deleting\n\rthe file: ") + MemoryErrorLogFile,
               QStringLiteral("Delete error"), TMsgButtons::OK, TMsgIcon::Error);
}

void TVelmoraMemExpert::ClearLogFile()
{
    if (!FileExists(MemoryErrorLogFile)) {
        MessageBox(this, QStringLiteral("It was impossible to locate the\n\rfile: ") + MemoryErrorLogFile,
                   QStringLiteral("File not found"), TMsgButtons::OK, TMsgIcon::Error);
        return;
    }
    if (EraseLogFile())
        MessageBox(this, QStringLiteral("Successfully deleted the file:\n\r") + MemoryErrorLogFile,
                   QStringLiteral("File deleted"), TMsgButtons::OK, TMsgIcon::Information);
    else
        ShowDeleteError();
}

void TVelmoraMemExpert::SilentClearLogFile()
{
    if (FileExists(MemoryErrorLogFile) && !EraseLogFile())
        ShowDeleteError();
}

void TVelmoraMemExpert::LogClearClick(QObject*)
{
    ClearLogFile();
}

void TVelmoraMemExpert::LogShowClick(QObject*)
{
    if (!FileExists(MemoryErrorLogFile))
        return;
    // As an address, so that the log goes to the desktop's text editor and is never run as a
    // program, whatever its permissions.
    ShellExecute(
        QUrl::fromLocalFile(QFileInfo(MemoryErrorLogFile).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

void TVelmoraMemExpert::SafetyMemoryBarChange(QObject*)
{
    const int megabytes = SafetyMemoryBar->value();
    SafetyMemoryLabel->setText(megabytes != 0 ? QStringLiteral("Safety Memory Space: %1 mb").arg(megabytes)
                                              : QStringLiteral("Safety Memory Space: None"));
}

void TVelmoraMemExpert::HideExpertOptionsClick(QObject*)
{
    setVisible(false);
}
