#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

// A control that shows a picture drawn by the program, at its top left corner.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// A history graph as the monitors draw it, without smoothing: white inside a blue frame, `top` and
// `bottom` written near the left edge, and one blue line through a point per entry of `heights`,
// spread evenly from the left edge to the right; a height h lies h pixels above the bottom edge.
QImage HistoryGraph(QSize size, const QString& top, const QString& bottom,
                    const std::vector<int64_t>& heights);
