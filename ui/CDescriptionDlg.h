#pragma once

#include "CDialog.h"

// The Description page: the PDF's title, subject, author and keywords. The members
// take the edits' text only when the page exchanges data in (at Convert).
class CDescriptionDlg final : public CDialog
{
    Q_OBJECT

public:
    CDescriptionDlg();

    QString title;
    QString subject;
    QString author;
    QString keywords; // line breaks as CR LF

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Enter and Escape do nothing on the option pages.
    void OnOK() override {}
    void OnCancel() override {}
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;
};
