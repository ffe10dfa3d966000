#include "CHeaderCtrlEx.h"

#include "CMemDC.h"
#include "GdiFont.h"
#include "SkinBitmap.h"

#include <QPainter>

CHeaderCtrlEx::CHeaderCtrlEx(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    LoadSkinBitmap(headerBitmap, QStringLiteral("./image/list_hearder.bmp"));
    setSectionsClickable(false);
    setSectionsMovable(false);
    setStretchLastSection(false);
    setHighlightSections(false);
}

void CHeaderCtrlEx::paintEvent(QPaintEvent*)
{
    // Without its picture the header shows neither picture nor texts.
    if (headerBitmap.isNull() || headerBitmap.width() < 3)
        return;
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    CMemDC dc(client, &painter);
    const int w = headerBitmap.width();
    const int h = headerBitmap.height();
    StretchCopy(dc, client, headerBitmap, QRect(2, 0, w - 2, h));

    const QFont font = CreateGdiFont(QStringLiteral("system"), 12, 5, 400);
    QRect last;
    for (int i = 0; i < count(); ++i) {
        if (isSectionHidden(i))
            continue;
        QRect r(sectionViewportPosition(i), 0, sectionSize(i), client.height());
        last = r;
        if (i != 0)
            StretchCopy(dc, QRect(r.left(), r.top(), 2, r.height()), headerBitmap,
                        QRect(0, 0, 2, h));
        dc.setFont(font);
        dc.setPen(Qt::black);
        r.adjust(2, 2, -2, -2);
        const QString text =
            model() != nullptr
                ? model()->headerData(i, orientation(), Qt::DisplayRole).toString().left(254)
                : QString();
        const QString shown = dc.fontMetrics().elidedText(text, Qt::ElideRight, r.width());
        dc.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, shown);
    }
    if (!last.isNull())
        StretchCopy(dc, QRect(last.left() + last.width() + 1, last.top(), 2, last.height()),
                    headerBitmap, QRect(0, 0, 2, h));
}
