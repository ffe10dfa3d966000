#pragma once

#include <QPointer>
#include <QStringList>
#include <QTreeWidget>

#include <atomic>

class CHeaderCtrlEx;

// The list of source files (report view: path, size, type) with the painted header.
// Files dropped onto it from a file manager become rows when their extension is one
// of acceptedExtensions (exact letter case) and they are not listed yet; afterwards
// WM_FILESDROPPED is posted to notifyWindow. While converting is 1 drops are refused.
class CListCtrlEx : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CListCtrlEx(QWidget* parent = nullptr);

    int InsertColumn(int column, const QString& heading, int width);
    int GetItemCount() const { return topLevelItemCount(); }
    int InsertItem(int row, const QString& text);
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    void DeleteItem(int row);
    void DeleteAllItems() { clear(); }
    QList<int> GetSelectedRows() const;
    CHeaderCtrlEx* GetHeaderCtrl() const { return m_header; }

    // A row for path with its type (the text after the last dot), unless path is listed
    // already or its type is not one of acceptedExtensions (exact letter case); the
    // size is the caller's. Returns the new row, or -1 when none was added.
    int AppendFile(const QString& path);

    // The drop itself, for names in the order they were dropped.
    void OnDropFiles(const QStringList& names);

    // A size column text: whole kilobytes, rounded down ("0 KB", "1 KB", ...).
    static QString SizeText(qint64 bytes);

    QStringList acceptedExtensions;
    std::atomic<int> converting{0};
    QPointer<QObject> notifyWindow;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    CHeaderCtrlEx* m_header;
};
