#include "CZembrinDlg.h"

#include "CAboutDlg.h"
#include "DataExchange.h"
#include "GdiFont.h"
#include "MessageBoxes.h"
#include "Resources.h"
#include "Shell.h"
#include "SkinBitmap.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QWindow>

namespace {

constexpr int IDC_DESTINATION = 1021;
constexpr int IDC_BROWSE = 1022;
constexpr int IDC_CONVERT = 1023;
constexpr int IDC_HELP = 1030;
constexpr int IDC_INFO = 1035;
constexpr int IDC_HOME = 1052;
constexpr int IDC_STATUS = 1055;
constexpr int IDC_PROGRESS = 1058;
constexpr int IDC_CLOSE = 1061;
constexpr int IDC_MINIMISE = 1062;
constexpr int IDC_TAB = 1064;
constexpr int IDC_OWNER_PASSWORD = 1029;

constexpr UINT SC_MINIMIZE = 0xF020;

const QColor WindowColor(191, 219, 255);

bool isBoldLabel(int id)
{
    return id == 1065 || id == 1066 || id == 1067 || id == IDC_STATUS;
}

} // namespace

CZembrinDlg::CZembrinDlg(const ConverterTable& converters, ConverterServices& services)
    : CDialog(102), m_icon(LoadResIcon(IDR_MAINFRAME)), m_convert(converters, services)
{
}

void CZembrinDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_MINIMISE, m_minimise);
    DDX_Control(pDX, IDC_CLOSE, m_close);
    DDX_Control(pDX, IDC_HOME, m_home);
    DDX_Control(pDX, IDC_INFO, m_info);
    DDX_Control(pDX, IDC_HELP, m_help);
    DDX_Control(pDX, IDC_TAB, m_tab);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_CONVERT, m_convertButton);
    DDX_Control(pDX, IDC_BROWSE, m_browse);
    DDX_Text(pDX, IDC_DESTINATION, m_destinationFolder);
}

bool CZembrinDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    resize(774, 500);
    setMinimumSize(774, 500);
    setWindowTitle(QStringLiteral("Tabloria"));

    m_systemMenu = new QMenu(this);
    m_systemMenu->addAction(QStringLiteral("Mi&nimize"), this,
                            [this] { OnSysCommand(SC_MINIMIZE); });
    m_systemMenu->addAction(QStringLiteral("&Close\tAlt+F4"), this,
                            [this] { OnSysCommand(SC_CLOSE); });
    const QString about = LoadResString(IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        m_systemMenu->addSeparator();
        m_systemMenu->addAction(about, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
    setWindowIcon(m_icon);
    // Alt+Space opens the window's menu wherever the focus is, as a system menu would.
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this, [this] { ShowSystemMenu(); });

    m_client = rect();
    setMask(RoundedWindowRegion(m_client));
    SetUpTabStrip();

    if (m_minimise.LoadStrip(QStringLiteral("./image/ButtonMin.bmp")) &&
        m_close.LoadStrip(QStringLiteral("./image/ButtonClose.bmp"))) {
        m_minimise.setGeometry(MainWindowLayout::MinimiseButton(m_client));
        m_close.setGeometry(MainWindowLayout::CloseButton(m_client));
    }
    if (m_home.LoadStrip(QStringLiteral("./image/ButtonHome.bmp")) &&
        m_info.LoadStrip(QStringLiteral("./image/ButtonInfo.bmp")) &&
        m_help.LoadStrip(QStringLiteral("./image/ButtonHelp.bmp"))) {
        m_home.setGeometry(MainWindowLayout::HomeButton(m_client));
        m_info.setGeometry(MainWindowLayout::InfoButton(m_client));
        m_help.setGeometry(MainWindowLayout::HelpButton(m_client));
    }
    if (m_convertButton.LoadStrip(QStringLiteral("./image/ButtonConvert.bmp")))
        m_convertButton.resize(130, 39);
    if (m_browse.LoadStrip(QStringLiteral("./image/ButtonBrowse.bmp")))
        m_browse.resize(80, 23);

    m_skin.Load();
    LoadSkinBitmap(m_progress.backgroundBitmap, QStringLiteral("./image/ProgressBK.bmp"));
    LoadSkinBitmap(m_progress.barBitmap, QStringLiteral("./image/Progress.bmp"));

    m_tab.SetItemSize(QSize(10, 30));

    m_convert.Create(this);
    m_options.Create(this);
    m_convert.SetMainWindow(this);
    m_convert.SetOptions(&m_options);
    const QRect pages = MainWindowLayout::PageArea(m_client);
    m_convert.setGeometry(pages);
    m_options.setGeometry(pages);
    m_convert.show();
    m_options.hide();
    return true;
}

void CZembrinDlg::SetUpTabStrip()
{
    m_tab.iconCount = 7;
    LoadSkinBitmap(m_tab.iconStrip, QStringLiteral("./image/XPTabApp.bmp"));
    if (!LoadSkinBitmap(m_tab.tabFace, QStringLiteral("./image/tab_button.bmp")) ||
        !LoadSkinBitmap(m_tab.stripBackground, QStringLiteral("./image/top_background.bmp")))
        return;
    m_tab.InsertItem(0, QStringLiteral("File(s) List"));
    m_tab.InsertItem(1, QStringLiteral("Advanced Options"));
    m_tab.SetMinTabWidth(160);
    m_tab.setGeometry(MainWindowLayout::TabStrip(m_client));
}

void CZembrinDlg::ShowTab(int index)
{
    m_currentTab = index;
    m_convert.setVisible(index == 0);
    m_options.setVisible(index == 1);
}

bool CZembrinDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_LBUTTONDOWN && m_tab.count() > 0) {
        const int hit = m_tab.HitTest(m_tab.mapFromGlobal(pMsg->pt));
        if (hit >= 0 && hit != m_currentTab)
            ShowTab(hit);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CZembrinDlg::mousePressEvent(QMouseEvent* e)
{
    // The title band is the window's caption: a press there moves the window.
    if (e->button() == Qt::LeftButton &&
        MainWindowLayout::TitleBand(m_client).contains(e->position().toPoint()) &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    CDialog::mousePressEvent(e);
}

void CZembrinDlg::keyPressEvent(QKeyEvent* e)
{
    // The help command of the program: F1 anywhere in the window opens the help page.
    if (e->key() == Qt::Key_F1) {
        CurrentShell().open(HelpFileUrl());
        return;
    }
    CDialog::keyPressEvent(e);
}

void CZembrinDlg::ShowSystemMenu()
{
    if (m_systemMenu != nullptr)
        m_systemMenu->popup(mapToGlobal(QPoint(0, 0)));
}

void CZembrinDlg::resizeEvent(QResizeEvent* e)
{
    CDialog::resizeEvent(e);
    m_client = rect();
    setMask(RoundedWindowRegion(m_client));
}

bool CZembrinDlg::RefuseWhileBusy()
{
    if (!m_convert.IsBusy())
        return false;
    ShowMessageBox(BusyText());
    return true;
}

void CZembrinDlg::OnOK()
{
    // Enter and Escape end the program only between runs: the worker uses the
    // windows until its run has ended.
    if (!RefuseWhileBusy())
        CDialog::OnOK();
}

void CZembrinDlg::OnCancel()
{
    if (!RefuseWhileBusy())
        CDialog::OnCancel();
}

void CZembrinDlg::OnSysCommand(UINT command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAbout();
        return;
    }
    if ((command & 0xFFF0) == SC_MINIMIZE) {
        showMinimized();
        return;
    }
    if ((command & 0xFFF0) == SC_CLOSE && RefuseWhileBusy())
        return;
    CDialog::OnSysCommand(command);
}

void CZembrinDlg::OnCommand(int id, int notifyCode)
{
    switch (id) {
    case IDC_INFO:
        ShowAbout();
        return;
    case IDC_HELP:
        CurrentShell().open(HelpFileUrl());
        return;
    case IDC_HOME:
        CurrentShell().open(HomePageUrl());
        return;
    case IDC_BROWSE:
        OnBrowse();
        return;
    case IDC_CONVERT:
        OnConvert();
        return;
    case IDC_MINIMISE:
        showMinimized();
        return;
    case IDC_CLOSE:
        OnCancel();
        return;
    default:
        CDialog::OnCommand(id, notifyCode);
    }
}

void CZembrinDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.DoModal();
}

void CZembrinDlg::OnBrowse()
{
    if (RefuseWhileBusy())
        return;
    const QString folder = CurrentShell().chooseFolder(this);
    if (!folder.isEmpty())
        SetDlgItemText(IDC_DESTINATION, folder + QLatin1Char('/'));
}

void CZembrinDlg::OnConvert()
{
    UpdateData(true);
    m_convert.destinationFolder = GetDlgItemText(IDC_DESTINATION);
    m_convert.UpdateData(false);

    CSecurityDlg& security = m_options.securityPage();
    security.UpdateData(true);
    if (security.ownerPasswordEnabled != 0 && security.ownerPassword.isEmpty()) {
        ShowMessageBox(QStringLiteral("Please Input OwnerPassword"));
        return;
    }
    if (security.userPasswordEnabled != 0) {
        if (security.userPassword.isEmpty()) {
            ShowMessageBox(QStringLiteral("Please Input UserPassword"));
            return;
        }
        if (security.ownerPassword.isEmpty()) {
            security.ownerPasswordEnabled = 1;
            if (QWidget* edit = security.GetDlgItem(IDC_OWNER_PASSWORD))
                edit->setEnabled(true);
            security.UpdateData(false);
            ShowMessageBox(QStringLiteral("Please Input OwnerPassword"));
            return;
        }
    }
    m_tab.setCurrentIndex(0);
    ShowTab(0);
    m_convert.Convert();
}

CtlColorBrush CZembrinDlg::OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind)
{
    if (kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(WindowColor);
    const int id = control->property("controlId").toInt();
    if (isBoldLabel(id))
        dc.font = CreateGdiFont(QStringLiteral("system"), 14, 0, 700);
    if (kind == CtlColor::Static && control != &m_tab && control != &m_progress) {
        dc.textColor = QColor(Qt::black);
        dc.transparent = true;
        return CtlColorBrush::Null();
    }
    return CtlColorBrush::Default();
}

LRESULT CZembrinDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETSTATUSTEXT:
        SetDlgItemText(IDC_STATUS, StringFromParam(lParam));
        if (QWidget* status = GetDlgItem(IDC_STATUS))
            status->update();
        return 0;
    case WM_SETPROGRESS:
        m_progress.position = static_cast<int>(wParam);
        m_progress.range = static_cast<int>(lParam);
        m_progress.showBar = 1;
        m_progress.Invalidate();
        return 0;
    case WM_SETSAVEFOLDER:
        m_progress.showBar = 0;
        m_progress.Invalidate();
        SetDlgItemText(IDC_DESTINATION, StringFromParam(lParam));
        return 0;
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}

void CZembrinDlg::paintEvent(QPaintEvent*)
{
    if (isMinimized())
        return;
    QPainter dc(this);
    m_skin.Paint(dc, m_client);
    for (CAlphaButton* b :
         {&m_minimise, &m_close, &m_home, &m_info, &m_help, &m_convertButton, &m_browse})
        b->DrawButton(dc, 0, b->geometry(), false);
    PaintDestinationPanel(dc, m_client);
}
