#pragma once

#include "CDialog.h"

// The Security page: the master switch, the two password switches with their
// passwords, the four permission boxes and the encryption level. Its switches
// enable and check each other; the members follow the controls after every click
// on a switch and when Convert is pressed.
class CSecurityDlg final : public CDialog
{
    Q_OBJECT

public:
    CSecurityDlg();

    int securityEnabled = 0;
    int ownerPasswordEnabled = 0;
    int userPasswordEnabled = 0;
    int copyingBox = 0;
    int formFillingBox = 0;
    int changingBox = 0;
    int printingBox = 0;
    int encryptionLevel = 0;
    QString userPassword;
    QString ownerPassword;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCommand(int id, int notifyCode) override;
    void OnOK() override {}
    void OnCancel() override {}
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;

private:
    // Greys or enables everything below "Enable PDF Security"; both password
    // switches are cleared and their edits greyed, the typed passwords stay.
    void SwitchSecurity(bool enable);
    void EnableItem(int id, bool enable);
};
