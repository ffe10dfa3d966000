#include "CAboutDlg.h"

#include "DataExchange.h"
#include "ProgramFolder.h"
#include "Shell.h"
#include "SkinBitmap.h"

#include <QLabel>
#include <QPainter>

namespace {

constexpr int IDC_VERSION = 1080;
constexpr int IDC_LINK = 1057;
constexpr int IDC_WARNING = 1079;
constexpr int IDC_OK = 1078;

} // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : CDialog(100, owner)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_OK, m_ok);
}

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    resize(395, 270);
    // The banner comes from the program's own folder, wherever the program was
    // started from; the rest of the skin is read from the current folder.
    LoadSkinBitmap(m_banner, programFolder() + QStringLiteral("/image/AboutTop.bmp"));
    m_client = rect();
    if (m_ok.LoadStrip(QStringLiteral("./image/RegisterButtonOK.bmp")))
        m_ok.setGeometry(250, m_client.top() + 207, 78, 20);
    setWindowTitle(QStringLiteral("About Tabloria 5.0"));
    SetDlgItemText(IDC_VERSION, QStringLiteral("Tabloria Version 5.0"));
    if (QWidget* link = GetDlgItem(IDC_LINK)) {
        QFont underlined = link->font();
        underlined.setUnderline(true);
        link->setFont(underlined);
        link->setCursor(Qt::PointingHandCursor);
        link->setToolTip(HomePageUrl().toString());
    }
    return true;
}

void CAboutDlg::OnCommand(int id, int notifyCode)
{
    if (id == IDC_LINK) {
        CurrentShell().open(HomePageUrl());
        return;
    }
    if (id == IDC_OK) {
        EndDialog(IDOK);
        return;
    }
    CDialog::OnCommand(id, notifyCode);
}

CtlColorBrush CAboutDlg::OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind)
{
    const int id = control->property("controlId").toInt();
    if (id == IDC_LINK)
        dc.textColor = QColor(8, 68, 170);
    else if (id == IDC_WARNING)
        dc.textColor = QColor(87, 132, 174);
    else if (kind == CtlColor::Static && control != this)
        dc.textColor = QColor(Qt::black);
    else
        return CtlColorBrush::Default();
    dc.transparent = true;
    return CtlColorBrush::Null();
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    const QRect client = rect();
    // Without a banner picture the band shows the dialog's own background.
    if (!m_banner.isNull())
        StretchCopy(dc, QRect(client.left(), client.top(), client.width(), 42), m_banner,
                    m_banner.rect());
    FillVerticalGradient(
        dc, QRect(client.left(), client.top() + 42, client.width(), client.height() - 42));
    // The button blends its picture over what lies under it, so it is drawn last.
    if (m_ok.isVisible())
        m_ok.DrawButton(dc, 0, m_ok.geometry(), false);
}
