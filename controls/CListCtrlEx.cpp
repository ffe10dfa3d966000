#include "CListCtrlEx.h"

#include "CHeaderCtrlEx.h"
#include "MessageBoxes.h"
#include "WindowMessages.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData* data)
{
    QStringList names;
    if (data == nullptr)
        return names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            names.append(url.toLocalFile());
    return names;
}

} // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTreeWidget(parent), m_header(new CHeaderCtrlEx(this))
{
    setHeader(m_header);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setColumnCount(0);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

int CListCtrlEx::InsertColumn(int column, const QString& heading, int width)
{
    QStringList headings;
    for (int i = 0; i < columnCount(); ++i)
        headings.append(headerItem()->text(i));
    column = std::clamp(column, 0, static_cast<int>(headings.size()));
    headings.insert(column, heading);
    setColumnCount(static_cast<int>(headings.size()));
    setHeaderLabels(headings);
    setColumnWidth(column, width);
    return column;
}

int CListCtrlEx::InsertItem(int row, const QString& text)
{
    row = std::clamp(row, 0, GetItemCount());
    auto* item = new QTreeWidgetItem();
    item->setText(0, text);
    insertTopLevelItem(row, item);
    return row;
}

void CListCtrlEx::SetItemText(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

QString CListCtrlEx::GetItemText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CListCtrlEx::DeleteItem(int row)
{
    delete takeTopLevelItem(row);
}

QList<int> CListCtrlEx::GetSelectedRows() const
{
    QList<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            rows.append(i);
    return rows;
}

QString CListCtrlEx::SizeText(qint64 bytes)
{
    // The whole 64-bit size: a 5 GiB workbook is 5242880 KB, not its low 32 bits.
    return QStringLiteral("%1 KB").arg(bytes >> 10);
}

int CListCtrlEx::AppendFile(const QString& path)
{
    const int rows = GetItemCount();
    for (int i = 0; i < rows; ++i)
        if (GetItemText(i, 0) == path)
            return -1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? path.mid(dot + 1) : QString();
    if (!acceptedExtensions.contains(extension, Qt::CaseSensitive))
        return -1;
    InsertItem(rows, path);
    SetItemText(rows, 2, extension);
    return rows;
}

void CListCtrlEx::OnDropFiles(const QStringList& names)
{
    if (converting.load() != 0) {
        ShowMessageBox(QStringLiteral("Working now,Hold for a moment!"));
        return;
    }
    for (const QString& name : names) {
        const QFileInfo info(name);
        // A folder or a name without any dot ends the drop: later names are not looked at.
        if (info.isDir() || !name.contains(QLatin1Char('.')))
            return;
        const int row = AppendFile(name);
        if (row >= 0 && info.exists())
            SetItemText(row, 1, SizeText(info.size()));
    }
    PostMessage(notifyWindow, WM_FILESDROPPED, 0, 0);
}

void CListCtrlEx::dragEnterEvent(QDragEnterEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        e->ignore();
}

void CListCtrlEx::dragMoveEvent(QDragMoveEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        e->ignore();
}

void CListCtrlEx::dropEvent(QDropEvent* e)
{
    const QStringList names = localFiles(e->mimeData());
    if (names.isEmpty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    OnDropFiles(names);
}
