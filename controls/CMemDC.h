#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// An off-screen surface for one paint. Draw into the CMemDC with the target's client
// coordinates (every user passes a rectangle whose top-left corner is (0, 0)); the
// destructor copies the picture onto the target at the rectangle in one step, replacing
// what lay there. The surface starts transparent; users paint the whole rectangle.
class CMemDC : public QPainter
{
public:
    CMemDC(const QRect& rect, QPainter* target);
    ~CMemDC();

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

private:
    QImage m_bitmap;
    QPainter* m_target;
    QRect m_rect;
};
