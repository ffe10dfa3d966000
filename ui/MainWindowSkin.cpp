#include "MainWindowSkin.h"

#include "SkinBitmap.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void copy(QPainter& dc, const QRect& target, const QImage& picture, const QRect& source)
{
    if (target.isEmpty() || source.isEmpty())
        return;
    dc.drawImage(target.topLeft(), picture, QRect(source.topLeft(), target.size()));
}

// A page-frame edge: the picture's rows but the last 7 at the top, the first two
// rows repeated below them, and the last 7 rows ending at the span's bottom.
void frameEdge(QPainter& dc, const QRect& span, const QImage& picture)
{
    if (picture.isNull())
        return;
    const int h = picture.height();
    const int w = span.width();
    const int head = std::max(0, std::min(h - 7, span.height()));
    copy(dc, QRect(span.left(), span.top(), w, head), picture, QRect(0, 0, w, head));
    for (int y = span.top() + head; y < span.bottom() + 1; y += 2) {
        const int rows = std::min(2, span.bottom() + 1 - y);
        copy(dc, QRect(span.left(), y, w, rows), picture, QRect(0, 0, w, rows));
    }
    const int tail = std::min(7, h);
    copy(dc, QRect(span.left(), span.bottom() + 1 - tail, w, tail), picture,
         QRect(0, h - tail, w, tail));
}

} // namespace

void ThreeSliceFill(QPainter& dc, const QRect& target, const QImage& picture,
                    Qt::Orientation direction, int startLength, int endLength)
{
    if (picture.isNull() || target.isEmpty())
        return;
    const bool across = direction == Qt::Horizontal;
    const int length = across ? target.width() : target.height();
    const int pictureLength = across ? picture.width() : picture.height();
    auto piece = [&](int offset, int size, int from) {
        if (size <= 0)
            return;
        if (across)
            copy(dc, QRect(target.left() + offset, target.top(), size, target.height()), picture,
                 QRect(from, 0, size, target.height()));
        else
            copy(dc, QRect(target.left(), target.top() + offset, target.width(), size), picture,
                 QRect(0, from, target.width(), size));
    };
    if (startLength > pictureLength)
        return;
    piece(0, std::min(startLength, length), 0);
    const int sliceFrom = std::min(startLength, pictureLength - 2);
    for (int offset = startLength; offset < length; offset += 2)
        piece(offset, std::min(2, length - offset), sliceFrom);
    const int tail = std::min(endLength, pictureLength);
    piece(length - tail, tail, pictureLength - tail);
}

void MainWindowSkin::Load()
{
    const auto load = [](QImage& target, const char* name) {
        LoadSkinBitmap(target, QStringLiteral("./image/") + QLatin1String(name));
    };
    load(top, "Top.bmp");
    load(left, "Left.bmp");
    load(right, "Right.bmp");
    load(bottom, "Bottom.bmp");
    load(toolbar, "ButtonBK.bmp");
    load(separator, "ButtonLine.bmp");
    load(status, "Status.bmp");
    load(frameLeft, "InsideDlgLeftBorder.bmp");
    load(frameRight, "InsideDlgRightBorder.bmp");
    load(frameBottom, "InsideDlgBottomBorder.bmp");
}

void MainWindowSkin::Paint(QPainter& dc, const QRect& client) const
{
    const int L = client.left();
    const int T = client.top();
    const int R = client.left() + client.width();
    const int B = client.top() + client.height();

    ThreeSliceFill(dc, QRect(QPoint(L, T + 53), QPoint(L + 9 - 1, B - 1)), left, Qt::Vertical, 1,
                   9);
    ThreeSliceFill(dc, QRect(QPoint(R - 9, T + 53), QPoint(R - 1, B - 1)), right, Qt::Vertical, 1,
                   9);
    StretchCopy(dc, QRect(L, T, R - L, 53), top, top.rect());
    ThreeSliceFill(dc, QRect(L + 9, B - 9, R - L - 18, 9), bottom, Qt::Horizontal, 0, 0);
    ThreeSliceFill(dc, QRect(L + 9, T + 53, R - L - 18, 50), toolbar, Qt::Horizontal, 0, 0);
    for (int i = 0; i < 5; ++i)
        StretchCopy(dc, MainWindowLayout::Separator(client, i), separator, separator.rect());
    StretchCopy(dc, QRect(L + 12, B - 95, R - L - 24, 84), status, status.rect());

    frameEdge(dc, QRect(L + 9, T + 138, 8, 186), frameLeft);
    frameEdge(dc, QRect(R - 18, T + 138, 9, 186), frameRight);
    if (!frameBottom.isNull()) {
        const QRect band(L + 17, T + 319, R - 18 - (L + 17), 5);
        const int whole = std::min(frameBottom.width(), band.width());
        copy(dc, QRect(band.left(), band.top(), whole, 5), frameBottom, QRect(0, 0, whole, 5));
        for (int x = band.left() + whole; x < band.left() + band.width(); x += 2) {
            const int columns = std::min(2, band.left() + band.width() - x);
            copy(dc, QRect(x, band.top(), columns, 5), frameBottom, QRect(0, 0, columns, 5));
        }
    }
}

namespace {

// A line as the skin's drawing rules have it: the start point in, the end point out.
void line(QPainter& dc, int x0, int y0, int x1, int y1)
{
    if (x0 == x1 && y0 == y1)
        return;
    const int dx = x1 > x0 ? -1 : (x1 < x0 ? 1 : 0);
    const int dy = y1 > y0 ? -1 : (y1 < y0 ? 1 : 0);
    dc.drawLine(x0, y0, x1 + dx, y1 + dy);
}

// A rounded rectangle whose outline lies inside left..right-1, top..bottom-1.
void roundRect(QPainter& dc, int left, int top, int right, int bottom)
{
    dc.drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), 2.5, 2.5);
}

} // namespace

void PaintDestinationPanel(QPainter& dc, const QRect& client)
{
    const int L = client.left();
    const int R = client.left() + client.width();
    const int B = client.top() + client.height();
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, false);
    dc.setBrush(Qt::NoBrush);
    dc.setPen(QColor(99, 142, 201));
    line(dc, L + 12, B - 175, R - 12, B - 175);
    line(dc, L + 12, B - 175, L + 12, B - 100);
    dc.setPen(Qt::white);
    line(dc, L + 12, B - 100, R - 12, B - 100);
    line(dc, R - 12, B - 175, R - 12, B - 99);
    dc.setPen(QColor(166, 198, 235));
    dc.setBrush(QColor(240, 245, 252));
    roundRect(dc, L + 23, B - 174, L + 174, B - 148);
    line(dc, L + 23, B - 174, L + 23, B - 171);
    line(dc, L + 173, B - 174, L + 173, B - 171);
    dc.setPen(QColor(240, 245, 252));
    for (int y = B - 174; y <= B - 172; ++y)
        line(dc, L + 24, y, L + 173, y);
    dc.setPen(QColor(211, 228, 250));
    dc.setBrush(QColor(211, 228, 250));
    roundRect(dc, L + 20, B - 145, R - 20, B - 108);
    dc.restore();
}

QRegion RoundedWindowRegion(const QRect& client)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(client), 4.5, 4.5);
    return QRegion(path.toFillPolygon().toPolygon());
}

namespace MainWindowLayout {

QRect TitleBand(const QRect& c)
{
    return {c.left(), c.top(), c.width(), 53};
}
QRect MinimiseButton(const QRect& c)
{
    return {c.left() + c.width() - 76, c.top() + 2, 26, 17};
}
QRect CloseButton(const QRect& c)
{
    return {c.left() + c.width() - 50, c.top() + 2, 42, 17};
}
QRect Separator(const QRect& c, int index)
{
    return {c.left() + 139 + 120 * index, c.top() + 53, 2, 50};
}
QRect HomeButton(const QRect& c)
{
    return {c.left() + 153, c.top() + 59, 92, 36};
}
QRect InfoButton(const QRect& c)
{
    return {c.left() + 393, c.top() + 59, 92, 39};
}
QRect HelpButton(const QRect& c)
{
    return {c.left() + 512, c.top() + 59, 94, 39};
}
QRect TabStrip(const QRect& c)
{
    return {c.left() + 9, c.top() + 103, c.width() - 18, 35};
}
QRect PageArea(const QRect& c)
{
    return {c.left() + 17, c.top() + 138, c.width() - 35, 181};
}

} // namespace MainWindowLayout
