#pragma once

#include <QImage>
#include <QLabel>

#include <atomic>

// The progress bar of the skinned windows: the background picture stretched over the
// whole control and, over its left part, the proportional left part of the bar picture.
// Owners write the public fields and call Invalidate. The conversion worker writes
// position, range and showBar from its own thread, hence atomics.
class CBmpProgCtrl : public QLabel
{
    Q_OBJECT

public:
    explicit CBmpProgCtrl(QWidget* parent = nullptr);

    // Asks for a repaint; safe from any thread.
    void Invalidate();

    // Filled width for the current fields on a control `width` pixels wide.
    int FilledWidth(int width) const;

    QImage backgroundBitmap;
    QImage barBitmap;
    std::atomic<int> position{1};
    std::atomic<int> range{1};
    std::atomic<int> showBar{0};

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    float ratio() const;
};
