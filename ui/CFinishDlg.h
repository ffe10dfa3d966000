#pragma once

#include "CDialog.h"

#include <QStringList>

class QListWidget;

// The dialog that closes a run: the PDFs the run made, sorted by name, with the
// first selected; Open File opens one, Open Folder shows it in its folder, Close
// empties the list for the next run.
class CFinishDlg final : public CDialog
{
    Q_OBJECT

public:
    explicit CFinishDlg(QWidget* owner = nullptr);

    QString finishFolder;    // the run's destination folder, ending with "/"
    QStringList resultNames; // PDF names without folder, in conversion order

    // The names as the list shows them (sorted); for tests and the screenshot tool.
    QStringList ShownNames() const;
    int SelectedIndex() const;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCommand(int id, int notifyCode) override;
    void OnCancel() override;

private:
    void OnOpenFile();
    void OnOpenFolder();
    QListWidget* List() const;
};
