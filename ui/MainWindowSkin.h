#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

class QPainter;

// The frame of the main window, drawn from the skin files of ./image: every figure is
// relative to the window's client rectangle (0, 0, 774, 500 at the fixed size).
struct MainWindowSkin
{
    QImage top, left, right, bottom, toolbar, separator, status;
    QImage frameLeft, frameRight, frameBottom;

    // Loads each piece on its own; a piece that cannot be read is left empty.
    void Load();
    // Everything but the buttons and the controls, in the window's painting order.
    void Paint(QPainter& dc, const QRect& client) const;
};

// The destination panel's rules and the two bands behind its label and its edit.
void PaintDestinationPanel(QPainter& dc, const QRect& client);

// The window's shape: a rounded rectangle with 9 x 9 corner ellipses.
QRegion RoundedWindowRegion(const QRect& client);

// The positions of the window's elements.
namespace MainWindowLayout {
QRect TitleBand(const QRect& client);
QRect MinimiseButton(const QRect& client);
QRect CloseButton(const QRect& client);
QRect Separator(const QRect& client, int index); // 0 .. 4
QRect HomeButton(const QRect& client);
QRect InfoButton(const QRect& client);
QRect HelpButton(const QRect& client);
QRect TabStrip(const QRect& client);
QRect PageArea(const QRect& client);
} // namespace MainWindowLayout

// Fills `target` along one direction: the first `startLength` columns (rows) of the
// picture at the start, 2-pixel slices from there towards the end, and the last
// `endLength` columns (rows) flush with the far end. Plain copies, never stretched.
void ThreeSliceFill(QPainter& dc, const QRect& target, const QImage& picture,
                    Qt::Orientation direction, int startLength, int endLength);
