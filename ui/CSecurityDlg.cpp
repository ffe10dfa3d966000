#include "CSecurityDlg.h"

#include "DataExchange.h"

namespace {

constexpr int IDC_SECURITY = 1005;
constexpr int IDC_USER_SWITCH = 1007;
constexpr int IDC_OWNER_SWITCH = 1008;
constexpr int IDC_USER_PASSWORD = 1020;
constexpr int IDC_OWNER_PASSWORD = 1029;
constexpr int IDC_LOW = 1018;
constexpr int IDC_HIGH = 1019;
constexpr int PermissionBoxes[] = {1010, 1012, 1014, 1016};

} // namespace

CSecurityDlg::CSecurityDlg() : CDialog(133)
{
}

bool CSecurityDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckDlgButton(IDC_LOW, 1);
    CheckDlgButton(IDC_SECURITY, 0);
    SwitchSecurity(false);
    return true;
}

void CSecurityDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_SECURITY, securityEnabled);
    DDX_Check(pDX, IDC_USER_SWITCH, userPasswordEnabled);
    DDX_Check(pDX, IDC_OWNER_SWITCH, ownerPasswordEnabled);
    DDX_Check(pDX, 1010, copyingBox);
    DDX_Check(pDX, 1012, formFillingBox);
    DDX_Check(pDX, 1014, changingBox);
    DDX_Check(pDX, 1016, printingBox);
    DDX_Radio(pDX, IDC_LOW, encryptionLevel);
    DDX_Text(pDX, IDC_USER_PASSWORD, userPassword);
    DDX_Text(pDX, IDC_OWNER_PASSWORD, ownerPassword);
}

void CSecurityDlg::EnableItem(int id, bool enable)
{
    if (QWidget* w = GetDlgItem(id))
        w->setEnabled(enable);
}

void CSecurityDlg::SwitchSecurity(bool enable)
{
    EnableItem(IDC_OWNER_PASSWORD, false);
    CheckDlgButton(IDC_OWNER_SWITCH, 0);
    EnableItem(IDC_OWNER_SWITCH, enable);
    EnableItem(IDC_USER_PASSWORD, false);
    CheckDlgButton(IDC_USER_SWITCH, 0);
    EnableItem(IDC_USER_SWITCH, enable);
    for (int id : PermissionBoxes)
        EnableItem(id, enable);
    EnableItem(IDC_HIGH, enable);
    EnableItem(IDC_LOW, enable);
}

void CSecurityDlg::OnCommand(int id, int notifyCode)
{
    switch (id) {
    case IDC_SECURITY:
        SwitchSecurity(IsDlgButtonChecked(IDC_SECURITY) != 0);
        UpdateData(true);
        return;
    case IDC_USER_SWITCH: {
        const bool on = IsDlgButtonChecked(IDC_USER_SWITCH) != 0;
        EnableItem(IDC_USER_PASSWORD, on);
        CheckDlgButton(IDC_OWNER_SWITCH, on ? 1 : 0);
        EnableItem(IDC_OWNER_PASSWORD, on);
        UpdateData(true);
        return;
    }
    case IDC_OWNER_SWITCH:
        EnableItem(IDC_OWNER_PASSWORD, IsDlgButtonChecked(IDC_OWNER_SWITCH) != 0);
        UpdateData(true);
        return;
    default:
        CDialog::OnCommand(id, notifyCode);
    }
}

CtlColorBrush CSecurityDlg::OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind)
{
    if (kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(Qt::white);
    const QString windowClass = control->property("windowClass").toString().left(30);
    if (windowClass.contains(QLatin1String("Button"))) {
        dc.backgroundColor = QColor(Qt::white);
        return CtlColorBrush::Solid(Qt::white);
    }
    if (kind == CtlColor::Static && !windowClass.contains(QLatin1String("Edit")))
        dc.backgroundColor = QColor(Qt::white);
    return CtlColorBrush::Default();
}
