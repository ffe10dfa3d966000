#include "CDescriptionDlg.h"

#include "DataExchange.h"

CDescriptionDlg::CDescriptionDlg() : CDialog(135)
{
}

bool CDescriptionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    return true;
}

void CDescriptionDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, 1026, title);
    DDX_Text(pDX, 1032, subject);
    DDX_Text(pDX, 1044, author);
    DDX_Text(pDX, 1037, keywords);
}

CtlColorBrush CDescriptionDlg::OnCtlColor(CtlColorDC& dc, QWidget*, CtlColor kind)
{
    if (kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(Qt::white);
    if (kind == CtlColor::Static) {
        dc.transparent = true;
        return CtlColorBrush::Null();
    }
    return CtlColorBrush::Default();
}
