#include "CBmpProgCtrl.h"

#include "SkinBitmap.h"

#include <QMetaObject>
#include <QPainter>

CBmpProgCtrl::CBmpProgCtrl(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBmpProgCtrl::Invalidate()
{
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

float CBmpProgCtrl::ratio() const
{
    const int done = position.load();
    const int total = range.load();
    // Owners keep 0 <= position <= range and range >= 1; anything else shows no bar
    // rather than a bar wider than the control.
    if (total <= 0 || done <= 0)
        return 0.0f;
    if (done >= total)
        return 1.0f;
    return static_cast<float>(static_cast<long double>(done) / static_cast<long double>(total));
}

int CBmpProgCtrl::FilledWidth(int width) const
{
    return static_cast<int>(static_cast<float>(width) * ratio());
}

void CBmpProgCtrl::paintEvent(QPaintEvent*)
{
    if (backgroundBitmap.isNull())
        return;
    QPainter dc(this);
    const int w = width();
    const int h = height();
    StretchCopy(dc, QRect(0, 0, w, h), backgroundBitmap, backgroundBitmap.rect());
    if (showBar.load() != 1 || barBitmap.isNull())
        return;
    const float r = ratio();
    const int sourceWidth = static_cast<int>(static_cast<float>(barBitmap.width()) * r);
    const int targetWidth = static_cast<int>(static_cast<float>(w) * r);
    StretchCopy(dc, QRect(0, 0, targetWidth, h), barBitmap,
                QRect(0, 0, sourceWidth, barBitmap.height()));
}
