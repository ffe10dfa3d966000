#include "CMemDC.h"

CMemDC::CMemDC(const QRect& rect, QPainter* target) : m_target(target), m_rect(rect)
{
    if (rect.isEmpty() || target == nullptr)
        return;
    m_bitmap = QImage(rect.size(), QImage::Format_ARGB32_Premultiplied);
    m_bitmap.fill(Qt::transparent);
    begin(&m_bitmap);
}

CMemDC::~CMemDC()
{
    if (!isActive())
        return;
    end();
    m_target->save();
    m_target->setCompositionMode(QPainter::CompositionMode_Source);
    m_target->drawImage(m_rect.topLeft(), m_bitmap);
    m_target->restore();
}
