#pragma once

#include "CDialog.h"

class QComboBox;

// The Advanced page: drop-down lists of the output choices. The lists themselves hold
// the values; a run reads the text of each list's current item.
class CAdvancedDlg final : public CDialog
{
    Q_OBJECT

public:
    CAdvancedDlg();

    QString documentCompression() const;
    QString imageCompression() const;
    QString jpegQuality() const;
    QString pdfVersion() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;

private:
    void Fill(int id, const QStringList& items);
    QString Selected(int id) const;
};
