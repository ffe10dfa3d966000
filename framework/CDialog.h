#pragma once

#include "DialogTemplate.h"
#include "WindowMessages.h"

#include <QBrush>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QHash>
#include <QList>

#include <optional>

class CDataExchange;
class QTimer;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int BN_CLICKED = 0;
constexpr int STN_CLICKED = 0;
constexpr UINT SC_CLOSE = 0xF060;

// Which colours a control asks for, as the control-colour hook sees it.
enum class CtlColor
{
    Dlg,
    Static,
    Edit,
    Button,
    ListBox
};

// What the hook may set for the control: text colour, background colour (opaque mode),
// transparent mode and a font. Untouched fields keep the control's own.
struct CtlColorDC
{
    std::optional<QColor> textColor;
    std::optional<QColor> backgroundColor;
    bool transparent = false;
    std::optional<QFont> font;
};

// The brush the hook returns: the default colours, a solid colour, or the null brush
// (the control paints no background and the parent's picture shows through).
struct CtlColorBrush
{
    enum class Kind
    {
        Default,
        Solid,
        Null
    };
    Kind kind = Kind::Default;
    QColor color;

    static CtlColorBrush Default() { return {}; }
    static CtlColorBrush Solid(const QColor& c) { return {Kind::Solid, c}; }
    static CtlColorBrush Null() { return {Kind::Null, {}}; }
};

// A dialog built from its template under res/: controls at their pixel rectangles,
// found by identifier; data exchange; modal and modeless (child) use; commands,
// timers and window messages by number.
class CDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CDialog(int templateId, QWidget* parentWindow = nullptr);
    ~CDialog() override;

    // Builds the window, runs OnInitDialog and the event loop; returns the value given
    // to EndDialog (IDOK, IDCANCEL), or -1 when the template cannot be built.
    int DoModal();
    // Builds the dialog as a child window of `parent` and runs OnInitDialog.
    bool Create(QWidget* parent);
    void EndDialog(int result);

    bool UpdateData(bool saveAndValidate = true);

    const DialogTemplate& Template() const { return m_template; }
    QRect MapDialogRect(const QRect& dialogUnits) const
    {
        return m_template.mapDialogRect(dialogUnits);
    }

    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    void CheckDlgButton(int id, int check);
    int IsDlgButtonChecked(int id) const;
    // The radio buttons of the group that starts at `firstId`, in template order.
    QList<QWidget*> RadioGroup(int firstId) const;

    // Starts (or restarts) timer `id`; OnTimer(id) then runs on this dialog's thread
    // every `milliseconds`. Both may be called from any thread.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;

    // Puts `control` in the place of the template's control `id` (its rectangle,
    // text, state, stacking and tab position) the first time; later calls do nothing.
    void AttachControl(int id, QWidget* control);

    // Asks the control-colour hook again for the dialog and every control.
    void ApplyControlColors();
    // Widens one-line labels whose text does not fit their rectangle.
    void FitLabels();

    // Delivers a command as a click of control `id` would.
    void SendCommand(int id, int notifyCode = BN_CLICKED) { OnCommand(id, notifyCode); }

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();
    // Runs for mouse presses, key presses and posted window messages meant for this
    // dialog or any window inside it, before they are handled. True swallows them.
    virtual bool PreTranslateMessage(MSG* pMsg);
    virtual void OnTimer(int id);
    // Commands from the controls; IDOK and IDCANCEL go to OnOK and OnCancel.
    virtual void OnCommand(int id, int notifyCode);
    virtual void OnSysCommand(UINT command);
    virtual CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind);
    // The dialog's own window messages (sent or posted to it).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

public:
    void accept() override;
    void reject() override;

private:
    friend class PreTranslateFilter;
    bool build();
    void teardown();
    void initialise();
    QWidget* createControl(const ControlTemplate& c);
    void wireControl(int id, QWidget* control);
    void applyColors(QWidget* control, CtlColor kind);
    int controlIdOf(const QWidget* w) const;

    int m_templateId;
    DialogTemplate m_template;
    bool m_built = false;
    QHash<int, QWidget*> m_controls;
    QHash<QWidget*, int> m_ids;
    QList<QWidget*> m_attached;
    QHash<int, QTimer*> m_timers;
    int m_defaultId = -1;
};
