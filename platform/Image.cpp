#include "platform/Image.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

TImage::TImage(QWidget* parent)
    : QWidget(parent)
{
}

void TImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

QImage HistoryGraph(QSize size, const QString& top, const QString& bottom,
                    const std::vector<int64_t>& heights)
{
    const QColor blue(0, 0, 255);
    const int width = size.width();
    const int height = size.height();
    QImage picture(size, QImage::Format_RGB32);
    QPainter canvas(&picture);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    QFont font = canvas.font();
    font.setStyleStrategy(QFont::NoAntialias);
    canvas.setFont(font);

    canvas.setPen(blue);
    canvas.setBrush(Qt::white);
    canvas.drawRect(0, 0, width - 1, height - 1);

    canvas.setPen(Qt::black);
    const auto textAt = [&canvas](int x, int y, const QString& text) {
        canvas.drawText(QRect(x, y, INT_MAX / 2, INT_MAX / 2),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    };
    textAt(20, 20, top);
    textAt(20, height - 35, bottom);

    std::vector<QPoint> points;
    points.reserve(heights.size());
    const double last = heights.size() > 1 ? static_cast<double>(heights.size() - 1) : 1;
    for (size_t i = 0; i < heights.size(); ++i) {
        const int x = static_cast<int>(std::nearbyint(width * (static_cast<double>(i) / last)));
        const double y =
            std::clamp(height - static_cast<double>(heights[i]), double{INT_MIN}, double{INT_MAX});
        points.emplace_back(x, static_cast<int>(y));
    }
    canvas.setPen(blue);
    canvas.drawPolyline(points.data(), static_cast<int>(points.size()));
    return picture;
}
