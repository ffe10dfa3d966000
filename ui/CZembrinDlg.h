#pragma once

#include "CAdvanceDlg.h"
#include "CAlphaButton.h"
#include "CBmpProgCtrl.h"
#include "CConvertDlg.h"
#include "CDialog.h"
#include "CXPTabCtrl.h"
#include "MainWindowSkin.h"

#include <QIcon>

class QMenu;

// The main window: frameless, 774 x 500, drawn from the skin. It holds the title band
// with its own minimise and close buttons, the toolbar (Home, Info, Help), a strip of
// two tabs over the file list page and the options, the destination panel and the
// status panel with the progress bar and Convert. The page and the worker report to it
// with WM_SETSTATUSTEXT, WM_SETPROGRESS and WM_SETSAVEFOLDER.
class CZembrinDlg final : public CDialog
{
    Q_OBJECT

public:
    CZembrinDlg(const ConverterTable& converters, ConverterServices& services);

    CConvertDlg& convertPage() { return m_convert; }
    CAdvanceDlg& optionsPage() { return m_options; }
    CXPTabCtrl& tabStrip() { return m_tab; }
    CBmpProgCtrl& progressBar() { return m_progress; }
    int currentTab() const { return m_currentTab; }
    // The menu that Alt+Space opens.
    QMenu* SystemMenu() const { return m_systemMenu; }

    static constexpr UINT IDM_ABOUTBOX = 0x0010;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool PreTranslateMessage(MSG* pMsg) override;
    void OnCommand(int id, int notifyCode) override;
    void OnSysCommand(UINT command) override;
    void OnOK() override;
    void OnCancel() override;
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetUpTabStrip();
    void ShowTab(int index);
    void OnConvert();
    void OnBrowse();
    void ShowAbout();
    void ShowSystemMenu();
    bool RefuseWhileBusy();

    QIcon m_icon;
    MainWindowSkin m_skin;
    CConvertDlg m_convert;
    CAdvanceDlg m_options;
    CXPTabCtrl m_tab;
    QRect m_client;
    CAlphaButton m_minimise;
    CAlphaButton m_close;
    CAlphaButton m_home;
    CAlphaButton m_info;
    CAlphaButton m_help;
    CAlphaButton m_convertButton;
    CAlphaButton m_browse;
    int m_currentTab = 0;
    QString m_destinationFolder;
    CBmpProgCtrl m_progress;
    QMenu* m_systemMenu = nullptr;
};
