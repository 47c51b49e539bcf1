#include "temperature/TempExpert.h"

#include "platform/ErrorGuard.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

TVelmoraTempExpert* VelmoraTempExpert = nullptr;

TVelmoraTempExpert::TVelmoraTempExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(HideExpertOptions, &QPushButton::clicked, this,
                   [this] { HideExpertOptionsClick(HideExpertOptions); });
    GuardedConnect(MaxTempBar, &QSlider::valueChanged, this, [this] { MaxTempBarChange(MaxTempBar); });
}

void TVelmoraTempExpert::HideExpertOptionsClick(QObject*)
{
    setVisible(false);
}

void TVelmoraTempExpert::MaxTempBarChange(QObject*)
{
    MaxTempLabel->setText(QStringLiteral("Maximum Temperature: ") + QString::number(MaxTempBar->value()) +
                          QStringLiteral(" degrees"));
}
