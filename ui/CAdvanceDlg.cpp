#include "CAdvanceDlg.h"

#include "DataExchange.h"
#include "SkinBitmap.h"

#include <QPainter>

namespace {

const QColor PageFrameColor(141, 178, 227);
const QColor ContainerColor(224, 234, 246);

} // namespace

CAdvanceDlg::CAdvanceDlg() : CDialog(160)
{
}

void CAdvanceDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, 1006, m_tab);
}

bool CAdvanceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_client = rect();
    const int L = m_client.left();
    const int T = m_client.top();

    m_tab.iconCount = 7;
    LoadSkinBitmap(m_tab.iconStrip, QStringLiteral("./image/XPTabApp.bmp"));
    if (LoadSkinBitmap(m_tab.tabFace, QStringLiteral("./image/tab_button1.bmp")) &&
        LoadSkinBitmap(m_tab.stripBackground, QStringLiteral("./image/top_background1.bmp"))) {
        m_tab.InsertItem(0, QStringLiteral("Description"));
        m_tab.InsertItem(1, QStringLiteral("Security"));
        m_tab.InsertItem(2, QStringLiteral("Advanced"));
        m_tab.SetMinTabWidth(100);
        for (int i = 0; i < m_tab.count(); ++i) {
            const QRect item = m_tab.GetItemRect(i);
            m_tab.SetItemSize(QSize(item.width() + 15, item.height() + 10));
        }
        m_tab.setGeometry(L + 7, T + 2, 725, 30);
    }

    const QRect pageArea(L + 8, T + 32, 724, 145);
    m_description.Create(this);
    m_description.setGeometry(pageArea);
    m_description.show();
    m_security.Create(this);
    m_security.setGeometry(pageArea);
    m_security.hide();
    m_advanced.Create(this);
    m_advanced.setGeometry(pageArea);
    m_advanced.hide();
    return true;
}

void CAdvanceDlg::ShowPage(int index)
{
    m_description.setVisible(index == 0);
    m_security.setVisible(index == 1);
    m_advanced.setVisible(index == 2);
}

bool CAdvanceDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_LBUTTONDOWN && m_tab.isVisible()) {
        const int hit = m_tab.HitTest(m_tab.mapFromGlobal(pMsg->pt));
        if (hit >= 0 && hit != m_currentTab && hit <= 2) {
            m_currentTab = hit;
            ShowPage(hit);
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CAdvanceDlg::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    dc.setPen(QPen(PageFrameColor, 1));
    const int L = m_client.left();
    const int T = m_client.top();
    // Lines include their start and leave out their end point.
    dc.drawLine(L + 6, T + 29, L + 6, T + 176);
    dc.drawLine(L + 6, T + 177, L + 731, T + 177);
    dc.drawLine(L + 732, T + 29, L + 732, T + 177);
}

CtlColorBrush CAdvanceDlg::OnCtlColor(CtlColorDC&, QWidget*, CtlColor kind)
{
    if (kind == CtlColor::Static || kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(ContainerColor);
    return CtlColorBrush::Default();
}

ConversionSettings CAdvanceDlg::CaptureSettings()
{
    ConversionSettings s;
    m_advanced.UpdateData(true);
    s.documentCompression = m_advanced.documentCompression();
    s.imageCompression = m_advanced.imageCompression();
    s.jpegQuality = m_advanced.jpegQuality();
    s.pdfVersion = m_advanced.pdfVersion();

    m_security.UpdateData(true);
    s.securityEnabled = m_security.securityEnabled;
    s.userPasswordEnabled = m_security.userPasswordEnabled;
    s.ownerPasswordEnabled = m_security.ownerPasswordEnabled;
    s.userPassword = m_security.userPassword;
    s.ownerPassword = m_security.ownerPassword;
    s.copyingBox = m_security.copyingBox;
    s.formFillingBox = m_security.formFillingBox;
    s.changingBox = m_security.changingBox;
    s.printingBox = m_security.printingBox;
    s.encryptionLevel = m_security.encryptionLevel;

    m_description.UpdateData(true);
    s.title = m_description.title;
    s.subject = m_description.subject;
    s.author = m_description.author;
    s.keywords = m_description.keywords;
    return s;
}
