#include "help/HelpWindow.h"

#include "forms/FormControls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QCheckBox* Box(QWidget* owner, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, owner);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

void TVelmoraHelp::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraHelp"));
    setWindowTitle(QStringLiteral("Velmora Help"));
    setMinimumSize(400, 200);

    CompanyWebButton = Button(this, "CompanyWebButton", QStringLiteral("Tembrel online"));
    ProductWebButton = Button(this, "ProductWebButton", QStringLiteral("Velmora online                   "));
    RestartButton = Button(this, "RestartButton", QStringLiteral("Restart Velmora"));
    RegistryButton =
        Button(this, "RegistryButton", QStringLiteral("Run Velmora on windows startup: Disabled"));
    UpdateButton = Button(this, "UpdateButton", QStringLiteral("Update Velmora"));
    UpdateMemBox = Box(this, "UpdateMemBox", QStringLiteral("Download Memory dll"));
    UpdateTaskBox = Box(this, "UpdateTaskBox", QStringLiteral("Download Task dll"));
    UpdateTempBox = Box(this, "UpdateTempBox", QStringLiteral("Download Temperature dll"));
    UpdateAppBox =
        Box(this, "UpdateAppBox", QStringLiteral("Download Executable even if it is the same version"));

    auto* layout = new QVBoxLayout(this);
    auto* web = new QHBoxLayout;
    web->addWidget(CompanyWebButton);
    web->addWidget(ProductWebButton);
    layout->addLayout(web);
    layout->addWidget(RestartButton);
    layout->addWidget(RegistryButton);
    layout->addWidget(UpdateButton);
    auto* libraries = new QHBoxLayout;
    libraries->addWidget(UpdateMemBox);
    libraries->addWidget(UpdateTaskBox);
    libraries->addWidget(UpdateTempBox);
    layout->addLayout(libraries);
    layout->addWidget(UpdateAppBox);
    layout->addStretch();
}
