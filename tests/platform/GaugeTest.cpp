#include "platform/Gauge.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Pixels inside the frame that are close to `colour`.
int PixelsLike(const QImage& image, QColor colour)
{
    int count = 0;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < image.width() - 2; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <
                60)
                ++count;
        }
    }
    return count;
}

// The percentage stays readable however far the fill has come: over a dark fill it is drawn light.
TEST(GaugeTest, ThePercentageStandsOutFromTheFillAndFromTheBackground)
{
    TGauge gauge;
    gauge.resize(200, 20);
    gauge.SetForeColor(Qt::blue);
    gauge.SetProgress(100);
    const QImage full = gauge.grab().toImage();
    EXPECT_GT(PixelsLike(full, Qt::white), 10);
    EXPECT_EQ(PixelsLike(full, Qt::black), 0);

    gauge.SetForeColor(QColor(0, 255, 0));
    const QImage lime = gauge.grab().toImage();
    EXPECT_GT(PixelsLike(lime, Qt::black), 10);

    gauge.SetProgress(0);
    const QImage empty = gauge.grab().toImage();
    EXPECT_GT(PixelsLike(empty, Qt::black), 5);
}

} // namespace
