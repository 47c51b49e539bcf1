#include "platform/Gauge.h"

#include <QPainter>
#include <algorithm>

TGauge::TGauge(QWidget* parent)
    : QWidget(parent)
{
    setMinimumHeight(18);
}

void TGauge::SetProgress(int progress)
{
    progress = std::clamp(progress, minValue_, maxValue_);
    if (progress == progress_)
        return;
    progress_ = progress;
    update();
}

void TGauge::SetRange(int minValue, int maxValue)
{
    minValue_ = minValue;
    maxValue_ = std::max(minValue, maxValue);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    update();
}

void TGauge::SetForeColor(const QColor& color)
{
    if (color == foreColor_)
        return;
    foreColor_ = color;
    update();
}

int TGauge::PercentDone() const
{
    const long long span = static_cast<long long>(maxValue_) - minValue_;
    if (span == 0)
        return 0;
    return static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100 / span);
}

QSize TGauge::sizeHint() const
{
    return {200, 20};
}

void TGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), Qt::white);
    const int filled = static_cast<int>(static_cast<long long>(frame.width()) * PercentDone() / 100);
    const QRect fill(frame.left(), frame.top(), filled, frame.height());
    painter.fillRect(fill, foreColor_);
    painter.setPen(Qt::black);
    painter.drawRect(frame);

    // Black on the white part; over the fill a colour that stands out from it (white on blue or
    // red, black on lime or yellow).
    const QString text = QStringLiteral("%1%").arg(PercentDone());
    const double luminance =
        0.299 * foreColor_.red() + 0.587 * foreColor_.green() + 0.114 * foreColor_.blue();
    painter.setClipRegion(QRegion(rect()).subtracted(fill));
    painter.drawText(rect(), Qt::AlignCenter, text);
    painter.setClipRect(fill);
    painter.setPen(luminance < 128 ? Qt::white : Qt::black);
    painter.drawText(rect(), Qt::AlignCenter, text);
}
