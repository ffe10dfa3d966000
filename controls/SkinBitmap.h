#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>

class QPainter;

// Reads the BMP file at `path` (relative paths against the current directory, so
// "./image/Top.bmp" is the skin beside the program when it was started from its own
// folder) into `target`. True when a picture was read; otherwise false and `target`
// keeps what it held. Nothing is shown or logged: the caller decides what a missing
// picture means.
bool LoadSkinBitmap(QImage& target, const QString& path);

// The pale-blue gradient behind the about box: one row per pixel, starting one step
// below RGB(248,252,255) and reaching about RGB(219,236,254) on the last row. The
// steps are accumulated in single precision, row by row. Nothing for an empty rectangle.
void FillVerticalGradient(QPainter& dc, const QRect& rect);

// Magenta, the colour key of the tab strip's faces and icons.
constexpr QRgb SkinColorKey = 0xFFFF00FF;

// Copies `source` from `sourceRect` onto `target` (stretched to `targetRect` without
// smoothing), leaving out every pixel of the key colour.
void DrawColorKeyed(QPainter& dc, const QRect& targetRect, const QImage& source,
                    const QRect& sourceRect, QRgb key = SkinColorKey);

// Plain stretched copy without smoothing (the skin's ordinary copy).
void StretchCopy(QPainter& dc, const QRect& targetRect, const QImage& source,
                 const QRect& sourceRect);
