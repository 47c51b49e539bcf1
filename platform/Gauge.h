#pragma once

#include <QColor>
#include <QWidget>

// A horizontal bar gauge from MinValue to MaxValue that shows its percentage as text. Progress is
// held to the range.
class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    void SetProgress(int progress);
    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    void SetRange(int minValue, int maxValue);
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color);
    // Progress as a whole percentage of the range.
    int PercentDone() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
    int minValue_ = 0;
    int maxValue_ = 100;
    QColor foreColor_ = Qt::black;
};
