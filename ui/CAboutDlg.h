#pragma once

#include "CAlphaButton.h"
#include "CDialog.h"

#include <QImage>

// The about box: a banner over a pale gradient, the product and version, a link to
// the home page (hand cursor), a legal notice and the OK button.
class CAboutDlg final : public CDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* owner = nullptr);

    const QImage& banner() const { return m_banner; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCommand(int id, int notifyCode) override;
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_banner;
    QRect m_client;
    CAlphaButton m_ok;
};
