#pragma once

#include "CAdvancedDlg.h"
#include "CDescriptionDlg.h"
#include "CDialog.h"
#include "CSecurityDlg.h"
#include "CXPTabCtrl.h"
#include "ConversionSettings.h"

// The options container under the main window's "Advanced Options" tab: its own
// strip of three tabs over the Description, Security and Advanced pages, which it
// owns for the life of the main window.
class CAdvanceDlg final : public CDialog
{
    Q_OBJECT

public:
    CAdvanceDlg();

    CDescriptionDlg& descriptionPage() { return m_description; }
    CSecurityDlg& securityPage() { return m_security; }
    CAdvancedDlg& advancedPage() { return m_advanced; }
    int currentTab() const { return m_currentTab; }

    // The run start's copy of the options: each page exchanges data in (Advanced,
    // Security, Description, in this order) and the values are what the user sees.
    ConversionSettings CaptureSettings();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool PreTranslateMessage(MSG* pMsg) override;
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;
    void paintEvent(QPaintEvent* e) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    void ShowPage(int index);

    CXPTabCtrl m_tab;
    CDescriptionDlg m_description;
    CSecurityDlg m_security;
    CAdvancedDlg m_advanced;
    int m_currentTab = 0;
    QRect m_client;
};
