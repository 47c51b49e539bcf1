#include "help/HelpWindow.h"

#include "platform/Files.h"

TVelmoraHelp* VelmoraHelp = nullptr;
void (*ExitProgramHandler)() = nullptr;

TVelmoraHelp::TVelmoraHelp(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}

void CreateFolders()
{
    if (!DirectoryExists(QStringLiteral("Libraries")))
        CreateDir(QStringLiteral("Libraries"));
    if (!DirectoryExists(QStringLiteral("Database")))
        CreateDir(QStringLiteral("Database"));
}
