#include "DataExchange.h"

#include "CDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>

void DDX_Control(CDataExchange* pDX, int id, QWidget& control)
{
    pDX->m_pDlgWnd->AttachControl(id, &control);
}

void DDX_Text(CDataExchange* pDX, int id, QString& value)
{
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    else
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(id);
    else
        pDX->m_pDlgWnd->CheckDlgButton(id, value);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    const QList<QWidget*> group = pDX->m_pDlgWnd->RadioGroup(id);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (qsizetype i = 0; i < group.size(); ++i)
            if (auto* b = qobject_cast<QAbstractButton*>(group[i]); b != nullptr && b->isChecked())
                value = static_cast<int>(i);
        return;
    }
    for (qsizetype i = 0; i < group.size(); ++i) {
        auto* b = qobject_cast<QAbstractButton*>(group[i]);
        if (b == nullptr)
            continue;
        QButtonGroup* exclusive = b->group();
        const bool wasExclusive = exclusive != nullptr && exclusive->exclusive();
        if (wasExclusive)
            exclusive->setExclusive(false);
        b->setChecked(i == value);
        if (wasExclusive)
            exclusive->setExclusive(true);
    }
}
