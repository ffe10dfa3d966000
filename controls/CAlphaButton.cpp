#include "CAlphaButton.h"

#include "CMemDC.h"
#include "SkinBitmap.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QTimer>

namespace {

// Set while a button renders its parent to take the pixels under it: the parent's
// paint then asks its buttons to draw, and they must not, or the capture would recurse.
thread_local int capturingBackground = 0;

} // namespace

CAlphaButton::CAlphaButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAutoDefault(false);
    setFlat(true);
}

bool CAlphaButton::LoadStrip(const QString& path)
{
    if (!LoadSkinBitmap(strip, path))
        return false;
    const int frameWidth = strip.width() / 5;
    cachedBackground = QImage(frameWidth, strip.height(), QImage::Format_ARGB32_Premultiplied);
    cachedBackground.fill(0);
    framesReady = 0;
    return true;
}

void CAlphaButton::buildFrames()
{
    const int w = cachedBackground.width();
    const int h = cachedBackground.height();
    const QImage source = strip.convertToFormat(QImage::Format_RGB32);
    for (int k = 0; k < 5; ++k)
        frames[static_cast<size_t>(k)] =
            source.copy(k * w, 0, w, h).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage& mask = frames[4];
    for (size_t k = 0; k < 4; ++k) {
        QImage& frame = frames[k];
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
            const auto* alphaLine = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = qBlue(alphaLine[x]);
                const auto f = static_cast<float>(a / 255.0);
                const QRgb p = line[x];
                line[x] = qRgba(static_cast<int>(static_cast<float>(qRed(p)) * f),
                                static_cast<int>(static_cast<float>(qGreen(p)) * f),
                                static_cast<int>(static_cast<float>(qBlue(p)) * f), a);
            }
        }
    }
    framesReady = 1;
}

void CAlphaButton::captureBackground(QPainter& target, const QRect& rect)
{
    // Painting a window goes into its backing store, a picture that can be read back.
    QPaintDevice* device =
        target.paintEngine() != nullptr ? target.paintEngine()->paintDevice() : target.device();
    if (device != nullptr && device->devType() == QInternal::Image) {
        const auto* picture = static_cast<const QImage*>(device);
        const QPoint origin = target.deviceTransform().map(rect.topLeft());
        cachedBackground = picture->copy(QRect(origin, cachedBackground.size()))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        return;
    }
    // Some paint engines cannot be read back: have the parent paint the area under
    // the button once more, into the cache.
    QWidget* owner = parentWidget();
    if (owner == nullptr)
        return;
    QImage captured(cachedBackground.size(), QImage::Format_ARGB32_Premultiplied);
    captured.fill(0);
    ++capturingBackground;
    owner->render(&captured, QPoint(), QRegion(QRect(rect.topLeft(), captured.size())),
                  QWidget::DrawWindowBackground);
    --capturingBackground;
    cachedBackground = captured;
}

void CAlphaButton::DrawButton(QPainter& target, int k, const QRect& rect, bool backgroundMode)
{
    if (capturingBackground > 0 || !isVisible())
        return;
    if (!isEnabled())
        k = 3;
    if (cachedBackground.isNull())
        return;
    k = std::clamp(k, 0, 3);
    if (!backgroundMode) {
        captureBackground(target, rect);
        if (!framesReady)
            buildFrames();
        target.save();
        target.setCompositionMode(QPainter::CompositionMode_SourceOver);
        target.drawImage(rect.topLeft(), frames[static_cast<size_t>(k)]);
        target.restore();
        return;
    }
    const QRect client = this->rect();
    CMemDC dc(client, &target);
    dc.setCompositionMode(QPainter::CompositionMode_Source);
    dc.drawImage(client.topLeft(), cachedBackground, QRect(QPoint(0, 0), client.size()));
    if (!framesReady)
        buildFrames();
    dc.setCompositionMode(QPainter::CompositionMode_SourceOver);
    dc.drawImage(client.topLeft(), frames[static_cast<size_t>(k)]);
}

void CAlphaButton::paintEvent(QPaintEvent*)
{
    int k = 0;
    if (hover == 1) {
        if (isDown())
            k = 2;
        else
            k = isEnabled() ? 1 : 3;
    } else if (!isEnabled()) {
        k = 3;
    }
    QPainter painter(this);
    DrawButton(painter, k, rect(), true);
}

void CAlphaButton::startTracking()
{
    if (tracking != 0)
        return;
    tracking = 1;
    // The hover report comes once the mouse has rested for a millisecond.
    QTimer::singleShot(1, this, [this] {
        if (tracking != 0) {
            hover = 1;
            update();
        }
    });
}

void CAlphaButton::mouseMoveEvent(QMouseEvent* e)
{
    startTracking();
    QPushButton::mouseMoveEvent(e);
}

void CAlphaButton::enterEvent(QEnterEvent* e)
{
    startTracking();
    QPushButton::enterEvent(e);
}

void CAlphaButton::leaveEvent(QEvent* e)
{
    hover = 0;
    tracking = 0;
    update();
    QPushButton::leaveEvent(e);
}

void CAlphaButton::mousePressEvent(QMouseEvent* e)
{
    hover = 1;
    update();
    QPushButton::mousePressEvent(e);
}

void CAlphaButton::mouseReleaseEvent(QMouseEvent* e)
{
    hover = 1;
    update();
    QPushButton::mouseReleaseEvent(e);
}
