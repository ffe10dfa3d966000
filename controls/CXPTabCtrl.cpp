#include "CXPTabCtrl.h"

#include "CMemDC.h"
#include "GdiFont.h"
#include "SkinBitmap.h"

#include <QPainter>
#include <QWheelEvent>

CXPTabCtrl::CXPTabCtrl(QWidget* parent) : QTabBar(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    connect(this, &QTabBar::currentChanged, this, &CXPTabCtrl::selectionChanged);
}

int CXPTabCtrl::InsertItem(int index, const QString& text, const QVariant& itemData)
{
    const int at = insertTab(index, text);
    setTabData(at, itemData);
    return at;
}

void CXPTabCtrl::SetItemImage(int index, int image)
{
    if (index >= 0 && index < m_images.size()) {
        m_images[index] = image;
        update();
    }
}

int CXPTabCtrl::ItemImage(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images[index] : -1;
}

void CXPTabCtrl::SetMinTabWidth(int width)
{
    m_minTabWidth = width;
    setIconSize(iconSize()); // lays the items out again
}

void CXPTabCtrl::SetItemSize(const QSize& size)
{
    m_itemHeight = size.height();
    setIconSize(iconSize()); // lays the items out again
}

QSize CXPTabCtrl::tabSizeHint(int index) const
{
    const QFont font = CreateGdiFont(QStringLiteral("system"), 14, 0, 700);
    const int textWidth = QFontMetrics(font).horizontalAdvance(tabText(index)) + 12;
    const int height = m_itemHeight > 0 ? m_itemHeight : QFontMetrics(font).height() + 8;
    return {std::max(m_minTabWidth, textWidth), height};
}

void CXPTabCtrl::tabInserted(int index)
{
    m_images.insert(index, -1);
    QTabBar::tabInserted(index);
}

void CXPTabCtrl::tabRemoved(int index)
{
    if (index >= 0 && index < m_images.size())
        m_images.removeAt(index);
    QTabBar::tabRemoved(index);
}

void CXPTabCtrl::wheelEvent(QWheelEvent* e)
{
    // The wheel does not change tabs here.
    e->ignore();
}

void CXPTabCtrl::InvalidateTabArea(const QRect& area)
{
    update(area);
}

void CXPTabCtrl::selectionChanged(int current)
{
    lastSelection = m_shownSelection;
    m_shownSelection = current;
    if (lastSelection >= 0 && lastSelection != current) {
        InvalidateTabArea(tabRect(lastSelection).adjusted(0, 2, 0, 7));
        InvalidateTabArea(tabRect(current).adjusted(0, 2, 0, 7));
    }
}

void CXPTabCtrl::drawBackground(QPainter& dc, const QRect& client)
{
    const int g = stripBackground.width();
    if (stripBackground.isNull() || g < 3)
        return;
    const int h = client.height();
    const int sourceHeight = std::min(h, stripBackground.height());
    dc.drawImage(QPoint(client.left(), client.top()), stripBackground,
                 QRect(0, 0, g - 2, sourceHeight));
    if (g >= 9)
        for (int x = 7; x + 2 < client.width(); x += 2)
            dc.drawImage(QPoint(client.left() + x, client.top()), stripBackground,
                         QRect(7, 0, 2, sourceHeight));
    const int endWidth = std::min(10, g);
    dc.drawImage(QPoint(client.left() + client.width() - endWidth, client.top()), stripBackground,
                 QRect(g - endWidth, 0, endWidth, sourceHeight));
}

void CXPTabCtrl::drawTab(QPainter& dc, const QRect& client, int index, bool selected)
{
    const QRect r = tabRect(index);
    const QRect a(QPoint(r.left() + 4, client.top()), QPoint(r.right(), client.bottom()));
    const int half = tabFace.width() / 2;
    const int x0 = selected ? 0 : half;
    const int h = tabFace.height();
    if (!tabFace.isNull() && half > 6) {
        DrawColorKeyed(dc, QRect(a.left(), a.top(), 3, a.height()), tabFace, QRect(x0, 0, 3, h));
        StretchCopy(dc, QRect(a.left() + 3, a.top(), a.width() - 6, a.height()), tabFace,
                    QRect(x0 + 3, 0, half - 6, h));
        DrawColorKeyed(dc, QRect(a.left() + a.width() - 3, a.top(), 3, a.height()), tabFace,
                       QRect(x0 + half - 3, 0, 3, h));
    }

    QRect t = a;
    const int image = ItemImage(index);
    if (image >= 0) {
        if (iconCount > 0 && !iconStrip.isNull()) {
            const int w = iconStrip.width() / iconCount;
            DrawColorKeyed(dc, QRect(t.left() + 3, t.top() + 5, w, iconStrip.height()), iconStrip,
                           QRect(image * w, 0, w, iconStrip.height()));
        }
        t.setLeft(t.left() + 13);
        t.setRight(t.right() - 4);
    }
    const QString text = tabText(index).left(126);
    if (!text.isEmpty()) {
        t.setTop(t.top() + 10);
        t.setBottom(t.bottom() + 5);
        dc.save();
        dc.setFont(CreateGdiFont(QStringLiteral("system"), 14, 0, 700));
        dc.setPen(Qt::black);
        dc.drawText(t, Qt::AlignHCenter | Qt::AlignTop, text);
        dc.restore();
    }
}

void CXPTabCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect client = rect();
    CMemDC dc(client, &painter);
    drawBackground(dc, client);
    if (count() == 0)
        return;
    const int selected = currentIndex();
    for (int i = 0; i < count(); ++i)
        if (i != selected)
            drawTab(dc, client, i, false);
    if (selected >= 0)
        drawTab(dc, client, selected, true);
}
