#include "SkinBitmap.h"

#include <QPainter>

bool LoadSkinBitmap(QImage& target, const QString& path)
{
    QImage loaded;
    if (!loaded.load(path, "BMP") || loaded.isNull())
        return false;
    target = loaded.convertToFormat(QImage::Format_RGB32);
    return true;
}

void FillVerticalGradient(QPainter& dc, const QRect& rect)
{
    const int h = rect.height();
    if (h <= 0 || rect.width() <= 0)
        return;
    const auto stepRed = static_cast<float>(-29.0 / h);
    const auto stepGreen = static_cast<float>(-16.0 / h);
    const auto stepBlue = static_cast<float>(-1.0 / h);
    float red = 248.0f;
    float green = 252.0f;
    float blue = 255.0f;
    for (int i = 0; i < h; ++i) {
        red += stepRed;
        green += stepGreen;
        blue += stepBlue;
        const QColor colour(static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue));
        dc.fillRect(QRect(rect.left(), rect.top() + i, rect.width(), 1), colour);
    }
}

void DrawColorKeyed(QPainter& dc, const QRect& targetRect, const QImage& source,
                    const QRect& sourceRect, QRgb key)
{
    if (source.isNull() || targetRect.isEmpty() || sourceRect.isEmpty())
        return;
    QImage piece = source.copy(sourceRect).convertToFormat(QImage::Format_ARGB32);
    const QRgb opaqueKey = key | 0xFF000000u;
    for (int y = 0; y < piece.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x)
            if ((line[x] | 0xFF000000u) == opaqueKey)
                line[x] = 0;
    }
    dc.drawImage(targetRect, piece);
}

void StretchCopy(QPainter& dc, const QRect& targetRect, const QImage& source,
                 const QRect& sourceRect)
{
    if (source.isNull() || targetRect.isEmpty() || sourceRect.isEmpty())
        return;
    dc.drawImage(targetRect, source, sourceRect);
}
