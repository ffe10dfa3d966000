#pragma once

#include <QString>

class CDialog;
class QWidget;

// One direction of dialog data exchange: from the controls into the members
// (saveAndValidate true) or from the members into the controls.
class CDataExchange
{
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate)
    {
    }

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds the member control to the template's control `id` (see CDialog::AttachControl).
void DDX_Control(CDataExchange* pDX, int id, QWidget& control);
// Text of an edit, static or button. A multi-line edit's line breaks are CR LF in the member.
void DDX_Text(CDataExchange* pDX, int id, QString& value);
// Check box: 0 unchecked, 1 checked.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Radio group starting at `id`: index of the checked button, -1 when none.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
