#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QTabBar>

// The tab strip of the skinned windows, painted entirely from three pictures: the
// strip background, a tab face (left half the selected tab, right half the others,
// edges keyed with magenta) and an optional strip of equal icons. Items, hit tests and
// selection stay the tab bar's own; owners switch their pages themselves on a mouse
// press and are not told about selection changes.
class CXPTabCtrl : public QTabBar
{
    Q_OBJECT

public:
    explicit CXPTabCtrl(QWidget* parent = nullptr);

    // An item with text and item data and no icon; returns its index.
    int InsertItem(int index, const QString& text, const QVariant& itemData = {});
    // The icon of an item (index into iconStrip); negative: none.
    void SetItemImage(int index, int image);
    int ItemImage(int index) const;
    void SetMinTabWidth(int width);
    // Only the height applies: the tabs are as wide as their text, at least the minimum.
    void SetItemSize(const QSize& size);
    QRect GetItemRect(int index) const { return tabRect(index); }
    int HitTest(const QPoint& clientPos) const { return tabAt(clientPos); }

    QImage tabFace;
    QImage stripBackground;
    QImage iconStrip;
    int iconCount = 0;
    int lastSelection = -1;

protected:
    void paintEvent(QPaintEvent* e) override;
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void wheelEvent(QWheelEvent* e) override;
    // Invalidates one tab's area after a selection change.
    virtual void InvalidateTabArea(const QRect& area);

private:
    void drawBackground(QPainter& dc, const QRect& client);
    void drawTab(QPainter& dc, const QRect& client, int index, bool selected);
    void selectionChanged(int current);

    QList<int> m_images;
    int m_minTabWidth = 0;
    int m_itemHeight = 0;
    int m_shownSelection = -1;
};
