#pragma once

#include <QHeaderView>
#include <QImage>

// The file list's column header, painted from "./image/list_hearder.bmp": its first
// two columns are the divider, the rest the background, stretched over the header.
// The picture is read once, when the header is made.
class CHeaderCtrlEx : public QHeaderView
{
    Q_OBJECT

public:
    explicit CHeaderCtrlEx(QWidget* parent = nullptr);

    QImage headerBitmap;

protected:
    void paintEvent(QPaintEvent* e) override;
};
