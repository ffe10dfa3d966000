#include "CFinishDlg.h"

#include "MessageBoxes.h"
#include "Shell.h"

#include <QListWidget>

namespace {

constexpr int IDC_RESULT_LIST = 1039;
constexpr int IDC_OPEN_FILE = 1042;
constexpr int IDC_OPEN_FOLDER = 1046;
constexpr int IDC_HEADLINE = 1050;

} // namespace

CFinishDlg::CFinishDlg(QWidget* owner) : CDialog(136, owner)
{
}

void CFinishDlg::DoDataExchange(CDataExchange*)
{
}

QListWidget* CFinishDlg::List() const
{
    return qobject_cast<QListWidget*>(GetDlgItem(IDC_RESULT_LIST));
}

bool CFinishDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    setWindowTitle(QStringLiteral("Tabloria 5.0"));
    QListWidget* list = List();
    for (const QString& name : resultNames)
        list->addItem(name);
    SetDlgItemText(IDC_HEADLINE, QStringLiteral("Conversion Completes!"));
    list->setCurrentRow(0);
    if (QWidget* openFolder = GetDlgItem(IDC_OPEN_FOLDER))
        openFolder->setFocus();
    return true;
}

QStringList CFinishDlg::ShownNames() const
{
    QStringList names;
    if (const QListWidget* list = List())
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
    return names;
}

int CFinishDlg::SelectedIndex() const
{
    const QListWidget* list = List();
    if (list == nullptr)
        return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void CFinishDlg::OnCommand(int id, int notifyCode)
{
    if (id == IDC_OPEN_FILE)
        OnOpenFile();
    else if (id == IDC_OPEN_FOLDER)
        OnOpenFolder();
    else
        CDialog::OnCommand(id, notifyCode);
}

void CFinishDlg::OnOpenFile()
{
    const int index = SelectedIndex();
    if (index < 0) {
        ShowMessageBox(QStringLiteral("please choose one file !"), MessageButtons::Ok,
                       MessageIcon::Stop, QStringLiteral("ERROR"));
        return;
    }
    // Paths of any length: the folder and the name are joined as they are.
    CurrentShell().open(QUrl::fromLocalFile(finishFolder + List()->item(index)->text()));
}

void CFinishDlg::OnOpenFolder()
{
    QListWidget* list = List();
    if (list == nullptr || list->count() == 0)
        return;
    const int index = SelectedIndex() < 0 ? 0 : SelectedIndex();
    CurrentShell().showInFolder(finishFolder + list->item(index)->text());
}

void CFinishDlg::OnCancel()
{
    resultNames.clear();
    CDialog::OnCancel();
}
