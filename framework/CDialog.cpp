#include "CDialog.h"

#include "DataExchange.h"
#include "GdiFont.h"
#include "Resources.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

// Hands mouse presses, key presses and posted messages to the pre-translation of every
// dialog from the receiving window up to the top, before the receiver sees them.
class PreTranslateFilter final : public QObject
{
public:
    static void ensureInstalled()
    {
        static PreTranslateFilter* filter = nullptr;
        if (filter == nullptr && qApp != nullptr) {
            filter = new PreTranslateFilter(qApp);
            qApp->installEventFilter(filter);
        }
    }

    static bool walk(QObject* target, MSG& msg)
    {
        for (QObject* o = target; o != nullptr; o = o->parent()) {
            if (auto* dialog = qobject_cast<CDialog*>(o)) {
                if (dialog->PreTranslateMessage(&msg))
                    return true;
            }
            if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow() &&
                qobject_cast<CDialog*>(o) == nullptr)
                break;
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            const QPoint local = me->position().toPoint();
            // The press travels up to the parents when a child ignores it; only the
            // first receiver (the deepest window under the cursor) counts.
            if (me->button() != Qt::LeftButton || widget->childAt(local) != nullptr)
                return false;
            MSG msg{watched, WM_LBUTTONDOWN, 1,
                    static_cast<LPARAM>((local.y() << 16) | (local.x() & 0xFFFF)),
                    me->globalPosition().toPoint()};
            return walk(watched, msg);
        }
        if (e->type() == QEvent::KeyPress && widget == QApplication::focusWidget()) {
            auto* ke = static_cast<QKeyEvent*>(e);
            MSG msg{watched, WM_KEYDOWN, static_cast<WPARAM>(ke->key()), 0, {}};
            return walk(watched, msg);
        }
        return false;
    }

private:
    using QObject::QObject;
};

namespace {

const char* kControlId = "controlId";
const char* kWindowClass = "windowClass";
const char* kNotify = "notifyClicks";

QString windowClassOf(const ControlTemplate& c)
{
    if (c.className == QLatin1String("button"))
        return QStringLiteral("Button");
    if (c.className == QLatin1String("static"))
        return QStringLiteral("Static");
    if (c.className == QLatin1String("edit"))
        return QStringLiteral("Edit");
    if (c.className == QLatin1String("listbox"))
        return QStringLiteral("ListBox");
    if (c.className == QLatin1String("combobox"))
        return QStringLiteral("ComboBox");
    if (c.className == QLatin1String("listview"))
        return QStringLiteral("SysListView32");
    if (c.className == QLatin1String("tabcontrol"))
        return QStringLiteral("SysTabControl32");
    return c.className;
}

bool isRadio(const ControlTemplate& c)
{
    return c.className == QLatin1String("button") && c.has(QStringLiteral("radio"));
}

CtlColor colorKindOf(const QWidget* w)
{
    if (qobject_cast<const QLineEdit*>(w) != nullptr) {
        const auto* edit = static_cast<const QLineEdit*>(w);
        return edit->isEnabled() && !edit->isReadOnly() ? CtlColor::Edit : CtlColor::Static;
    }
    if (qobject_cast<const QPlainTextEdit*>(w) != nullptr)
        return w->isEnabled() ? CtlColor::Edit : CtlColor::Static;
    if (qobject_cast<const QPushButton*>(w) != nullptr)
        return CtlColor::Button;
    if (qobject_cast<const QComboBox*>(w) != nullptr ||
        qobject_cast<const QListWidget*>(w) != nullptr)
        return CtlColor::ListBox;
    return CtlColor::Static;
}

} // namespace

CDialog::CDialog(int templateId, QWidget* parentWindow)
    : QDialog(parentWindow), m_templateId(templateId)
{
    PreTranslateFilter::ensureInstalled();
}

CDialog::~CDialog() = default;

bool CDialog::build()
{
    if (m_built)
        teardown();
    const std::optional<DialogTemplate> loaded = LoadDialogTemplate(m_templateId);
    if (!loaded)
        return false;
    m_template = *loaded;
    const DialogTemplate& t = m_template;

    if (t.has(QStringLiteral("child"))) {
        setWindowFlags(Qt::Widget);
    } else {
        Qt::WindowFlags flags = t.has(QStringLiteral("appwindow")) ? Qt::Window : Qt::Dialog;
        if (!t.has(QStringLiteral("caption"))) {
            flags |= Qt::FramelessWindowHint;
        } else {
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (t.has(QStringLiteral("sysmenu")))
                flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        }
        setWindowFlags(flags);
    }
    setFont(DialogFont(t.font, t.pointSize));
    setWindowTitle(t.caption);
    resize(t.mapDialogSize(t.size));

    QButtonGroup* radioGroup = nullptr;
    QList<QWidget*> created;
    for (const ControlTemplate& c : t.controls) {
        QWidget* w = createControl(c);
        if (isRadio(c)) {
            if (radioGroup == nullptr || c.has(QStringLiteral("group")))
                radioGroup = new QButtonGroup(this);
            radioGroup->addButton(static_cast<QRadioButton*>(w));
        } else if (c.has(QStringLiteral("group"))) {
            radioGroup = nullptr;
        }
        created.append(w);
    }
    // The first control of a template lies on top of the later ones; group boxes
    // only frame the controls inside them and lie below everything.
    for (QWidget* w : created)
        w->lower();
    for (QWidget* w : created)
        if (qobject_cast<QGroupBox*>(w) != nullptr)
            w->lower();
    m_built = true;
    return true;
}

void CDialog::teardown()
{
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it)
        if (!m_attached.contains(it.value()))
            delete it.value();
    for (QObject* child : children())
        if (qobject_cast<QButtonGroup*>(child) != nullptr)
            delete child;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->property(kControlId).isValid() && !m_attached.contains(w))
            delete w;
    m_controls.clear();
    m_ids.clear();
    m_attached.clear();
    m_defaultId = -1;
    m_built = false;
}

QWidget* CDialog::createControl(const ControlTemplate& c)
{
    QWidget* w = nullptr;
    QRect geometry = m_template.mapDialogRect(c.rect);
    const bool border = c.has(QStringLiteral("border")) || c.has(QStringLiteral("clientedge")) ||
                        c.has(QStringLiteral("staticedge"));

    if (c.className == QLatin1String("button")) {
        if (c.has(QStringLiteral("checkbox"))) {
            w = new QCheckBox(c.text, this);
        } else if (c.has(QStringLiteral("radio"))) {
            auto* radio = new QRadioButton(c.text, this);
            radio->setAutoExclusive(false);
            w = radio;
        } else if (c.has(QStringLiteral("groupbox"))) {
            w = new QGroupBox(c.text, this);
        } else {
            auto* button = new QPushButton(c.text, this);
            button->setAutoDefault(false);
            if (c.has(QStringLiteral("default")))
                m_defaultId = c.id;
            w = button;
        }
    } else if (c.className == QLatin1String("static")) {
        if (c.bitmap != 0) {
            auto* picture = new QLabel(this);
            const QImage image = LoadResBitmap(c.bitmap);
            picture->setPixmap(QPixmap::fromImage(image));
            if (!image.isNull())
                geometry.setSize(image.size());
            w = picture;
        } else if (c.has(QStringLiteral("frame"))) {
            auto* frame = new QFrame(this);
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            frame->setLineWidth(1);
            w = frame;
        } else {
            auto* label = new QLabel(c.text, this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            label->setTextFormat(Qt::PlainText);
            if (c.has(QStringLiteral("notify")))
                label->setProperty(kNotify, true);
            w = label;
        }
    } else if (c.className == QLatin1String("edit")) {
        if (c.has(QStringLiteral("multiline"))) {
            auto* edit = new QPlainTextEdit(c.text, this);
            edit->setLineWrapMode(c.has(QStringLiteral("autohscroll"))
                                      ? QPlainTextEdit::NoWrap
                                      : QPlainTextEdit::WidgetWidth);
            edit->setVerticalScrollBarPolicy(
                c.has(QStringLiteral("vscroll")) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            if (!border)
                edit->setFrameStyle(QFrame::NoFrame);
            w = edit;
        } else {
            auto* edit = new QLineEdit(c.text, this);
            if (c.has(QStringLiteral("password")))
                edit->setEchoMode(QLineEdit::Password);
            edit->setFrame(border);
            w = edit;
        }
    } else if (c.className == QLatin1String("listview")) {
        auto* list = new QTreeWidget(this);
        list->setRootIsDecorated(false);
        w = list;
    } else if (c.className == QLatin1String("listbox")) {
        auto* list = new QListWidget(this);
        list->setSortingEnabled(c.has(QStringLiteral("sorted")));
        w = list;
    } else if (c.className == QLatin1String("combobox")) {
        auto* combo = new QComboBox(this);
        combo->setEditable(!c.has(QStringLiteral("dropdownlist")));
        combo->setProperty("sorted", c.has(QStringLiteral("sorted")));
        // The template's height is the dropped-down list; the closed box keeps its own.
        geometry.setHeight(combo->sizeHint().height());
        w = combo;
    } else if (c.className == QLatin1String("tabcontrol")) {
        w = new QTabBar(this);
    } else {
        w = new QWidget(this);
    }

    w->setGeometry(geometry);
    w->setProperty(kControlId, c.id);
    w->setProperty(kWindowClass, windowClassOf(c));
    if (c.has(QStringLiteral("disabled")))
        w->setEnabled(false);
    if (c.has(QStringLiteral("hidden")))
        w->hide();
    if (!c.has(QStringLiteral("tabstop")) && (w->focusPolicy() & Qt::TabFocus))
        w->setFocusPolicy(Qt::ClickFocus);
    if (c.id != -1) {
        w->setObjectName(QString::number(c.id));
        m_controls.insert(c.id, w);
        m_ids.insert(w, c.id);
    }
    wireControl(c.id, w);
    return w;
}

void CDialog::wireControl(int id, QWidget* control)
{
    control->installEventFilter(this);
    if (id == -1)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id, BN_CLICKED); });
}

bool CDialog::eventFilter(QObject* watched, QEvent* e)
{
    if (watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (e->type() == QEvent::EnabledChange && m_ids.contains(w))
            applyColors(w, colorKindOf(w));
        if (e->type() == QEvent::MouseButtonRelease && w->property(kNotify).toBool() &&
            w->rect().contains(static_cast<QMouseEvent*>(e)->position().toPoint()))
            OnCommand(controlIdOf(w), STN_CLICKED);
    }
    return QDialog::eventFilter(watched, e);
}

int CDialog::controlIdOf(const QWidget* w) const
{
    return m_ids.value(const_cast<QWidget*>(w), -1);
}

void CDialog::AttachControl(int id, QWidget* control)
{
    if (m_attached.contains(control))
        return;
    QWidget* placeholder = m_controls.value(id);
    if (placeholder == nullptr)
        return;
    control->setParent(this);
    control->setGeometry(placeholder->geometry());
    control->setFont(placeholder->font());
    control->setEnabled(placeholder->isEnabled());
    control->setFocusPolicy(placeholder->focusPolicy());
    control->setObjectName(placeholder->objectName());
    control->setProperty(kControlId, id);
    control->setProperty(kWindowClass, placeholder->property(kWindowClass));
    control->setProperty(kNotify, placeholder->property(kNotify));
    if (auto* from = qobject_cast<QAbstractButton*>(placeholder))
        if (auto* to = qobject_cast<QAbstractButton*>(control))
            to->setText(from->text());
    if (auto* from = qobject_cast<QLabel*>(placeholder))
        if (auto* to = qobject_cast<QLabel*>(control))
            to->setText(from->text());
    control->stackUnder(placeholder);
    QWidget::setTabOrder(placeholder, control);
    control->setVisible(!placeholder->isHidden());

    m_ids.remove(placeholder);
    delete placeholder;
    m_controls.insert(id, control);
    m_ids.insert(control, id);
    m_attached.append(control);
    wireControl(id, control);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    return m_controls.value(id);
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
}

QString CDialog::GetDlgItemText(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        return plain->toPlainText().replace(QLatin1String("\n"), QLatin1String("\r\n"));
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

void CDialog::CheckDlgButton(int id, int check)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        button->setChecked(check != 0);
}

int CDialog::IsDlgButtonChecked(int id) const
{
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button != nullptr && button->isChecked() ? 1 : 0;
}

QList<QWidget*> CDialog::RadioGroup(int firstId) const
{
    QList<QWidget*> group;
    bool inGroup = false;
    for (const ControlTemplate& c : m_template.controls) {
        if (!inGroup) {
            inGroup = c.id == firstId && isRadio(c);
            if (!inGroup)
                continue;
        } else if (!isRadio(c) || c.has(QStringLiteral("group"))) {
            break;
        }
        if (QWidget* w = GetDlgItem(c.id))
            group.append(w);
    }
    return group;
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    if (!m_built)
        return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

void CDialog::initialise()
{
    OnInitDialog();
    ApplyControlColors();
    FitLabels();
}

void CDialog::FitLabels()
{
    // The templates measure their texts in the narrow faces they were drawn with; a
    // one-line label, check box or radio button whose text is wider in the desktop's
    // face grows to the right rather than wrap or cut its text.
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->property(kControlId).isValid())
            continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            const QFontMetrics metrics(label->font());
            const int needed = metrics.horizontalAdvance(label->text()) + 2;
            if (needed > label->width() && label->height() < 2 * metrics.lineSpacing()) {
                label->setWordWrap(false);
                label->resize(needed, label->height());
            }
        } else if (qobject_cast<QCheckBox*>(w) != nullptr ||
                   qobject_cast<QRadioButton*>(w) != nullptr) {
            const int needed = w->sizeHint().width();
            if (!static_cast<QAbstractButton*>(w)->text().isEmpty() && needed > w->width())
                w->resize(needed, w->height());
        }
    }
}

int CDialog::DoModal()
{
    if (!build())
        return -1;
    const QPoint before = pos();
    initialise();
    if (!m_template.has(QStringLiteral("thickframe")))
        setFixedSize(size());
    // A dialog that its initialisation did not move opens centred over its owner.
    if (pos() == before)
        setAttribute(Qt::WA_Moved, false);
    return exec();
}

bool CDialog::Create(QWidget* parent)
{
    setParent(parent);
    if (!build())
        return false;
    setParent(parent, windowFlags());
    initialise();
    if (m_template.has(QStringLiteral("visible")))
        show();
    return true;
}

void CDialog::EndDialog(int result)
{
    done(result);
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::PreTranslateMessage(MSG*)
{
    return false;
}

void CDialog::OnTimer(int)
{
}

void CDialog::OnCommand(int id, int)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::OnSysCommand(UINT command)
{
    if ((command & 0xFFF0) == SC_CLOSE)
        OnCommand(IDCANCEL, BN_CLICKED);
}

CtlColorBrush CDialog::OnCtlColor(CtlColorDC&, QWidget*, CtlColor)
{
    return CtlColorBrush::Default();
}

LRESULT CDialog::WindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

void CDialog::SetTimer(int id, int milliseconds)
{
    RunOnThreadOf(this, [this, id, milliseconds] {
        QTimer*& timer = m_timers[id];
        if (timer == nullptr) {
            timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
        }
        timer->start(milliseconds);
    });
}

void CDialog::KillTimer(int id)
{
    RunOnThreadOf(this, [this, id] {
        if (QTimer* timer = m_timers.value(id))
            timer->stop();
    });
}

bool CDialog::IsTimerRunning(int id) const
{
    const QTimer* timer = m_timers.value(id);
    return timer != nullptr && timer->isActive();
}

void CDialog::ApplyControlColors()
{
    applyColors(this, CtlColor::Dlg);
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it)
        applyColors(it.value(), colorKindOf(it.value()));
}

void CDialog::applyColors(QWidget* control, CtlColor kind)
{
    CtlColorDC dc;
    const CtlColorBrush brush = OnCtlColor(dc, control, kind);
    QPalette palette = control->palette();
    const QPalette::ColorRole background = control->backgroundRole();
    switch (brush.kind) {
    case CtlColorBrush::Kind::Solid:
        palette.setColor(background, brush.color);
        control->setAutoFillBackground(true);
        break;
    case CtlColorBrush::Kind::Null:
        control->setAutoFillBackground(false);
        break;
    case CtlColorBrush::Kind::Default:
        break;
    }
    if (dc.backgroundColor && !dc.transparent && brush.kind != CtlColorBrush::Kind::Solid) {
        palette.setColor(background, *dc.backgroundColor);
        control->setAutoFillBackground(true);
    }
    if (dc.textColor) {
        palette.setColor(QPalette::WindowText, *dc.textColor);
        palette.setColor(QPalette::Text, *dc.textColor);
        palette.setColor(QPalette::ButtonText, *dc.textColor);
    }
    control->setPalette(palette);
    if (dc.font)
        control->setFont(*dc.font);
}

bool CDialog::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::eventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->posted) {
            MSG msg{this, message->message, message->wParam, message->lParam, QCursor::pos()};
            if (PreTranslateFilter::walk(this, msg))
                return true;
        }
        message->result = WindowProc(message->message, message->wParam, message->lParam);
        return true;
    }
    return QDialog::event(e);
}

void CDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if (e->key() == Qt::Key_Escape) {
            OnCommand(IDCANCEL, BN_CLICKED);
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            OnCommand(m_defaultId > 0 ? m_defaultId : IDOK, BN_CLICKED);
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void CDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    OnSysCommand(SC_CLOSE);
    if (!isVisible())
        e->accept();
}

void CDialog::accept()
{
    OnCommand(IDOK, BN_CLICKED);
}

void CDialog::reject()
{
    OnCommand(IDCANCEL, BN_CLICKED);
}
