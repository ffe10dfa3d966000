#pragma once

#include <QImage>
#include <QPushButton>

#include <array>

// The push button of the skinned windows. Its look is one skin file: five equal frames
// side by side (normal, hover, pressed, disabled, and an alpha mask whose blue channel
// is the opacity of the other four). The frames are blended over a copy of the
// parent's picture under the button, which the parent hands over by calling DrawButton
// from its own paint. The button draws no caption and no focus rectangle.
class CAlphaButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CAlphaButton(QWidget* parent = nullptr);

    // Loads the strip; false when the file cannot be read (the button then stays blank).
    bool LoadStrip(const QString& path);

    // Draws frame k (0 normal, 1 hover, 2 pressed, 3 disabled; a disabled button always
    // shows 3). backgroundMode false: the owner's paint, `target` paints the parent and
    // `rect` is the button's rectangle in the parent; the parent's pixels under the
    // button are kept and the frame is drawn there. backgroundMode true: the button's own
    // paint, the frame composed on the kept pixels. Nothing while hidden or unloaded.
    virtual void DrawButton(QPainter& target, int k, const QRect& rect, bool backgroundMode);

    // One frame's size (strip width / 5 x strip height); empty before LoadStrip.
    QSize FrameSize() const { return cachedBackground.size(); }
    // Frame k premultiplied with the mask, once the frames are built.
    const QImage& Frame(int k) const { return frames.at(static_cast<size_t>(k)); }

    int hover = 0;
    int tracking = 0;
    QImage cachedBackground;
    QImage strip;
    std::array<QImage, 5> frames;
    int framesReady = 0;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void buildFrames();
    void captureBackground(QPainter& target, const QRect& rect);
    void startTracking();
};
