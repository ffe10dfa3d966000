#include "CConvertDlg.h"

#include "CAdvanceDlg.h"
#include "DataExchange.h"
#include "GdiFont.h"
#include "MessageBoxes.h"
#include "Shell.h"
#include "StandardConverters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QThread>

#include <cerrno>

namespace {

constexpr int IDC_HEADING = 1074;
constexpr int IDC_FILE_LIST = 1009;
constexpr int IDC_ADD = 1011;
constexpr int IDC_REMOVE = 1013;
constexpr int IDC_REMOVE_ALL = 1015;
constexpr int IDC_DESTINATION = 1021;
constexpr int IDC_BROWSE = 1022;
constexpr int IDC_CONVERT = 1023;
constexpr int IDC_STATUS = 1034;
constexpr int IDC_SHOW_OPTIONS = 1002;
constexpr int IDC_PROGRESS = 1048;

constexpr int StatusTimer = 1;
constexpr int FinishTimer = 2;

const QColor PageColor(224, 234, 246);

QString FolderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString BusyText()
{
    return QStringLiteral("Working now,Hold for a moment!");
}

CConvertDlg::CConvertDlg(const ConverterTable& converters, ConverterServices& services)
    : CDialog(130), m_converters(converters), m_services(services), m_finish(this)
{
}

CConvertDlg::~CConvertDlg()
{
    // The windows refuse to close during a run; should the page still go while a
    // worker runs, it waits for the worker, which uses the page to the end.
    WaitForRun();
}

void CConvertDlg::WaitForRun()
{
    if (!m_worker.joinable())
        return;
    while (!m_workerDone.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    m_worker.join();
    m_runLock.reset();
}

void CConvertDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_FILE_LIST, m_list);
    DDX_Control(pDX, IDC_ADD, m_add);
    DDX_Control(pDX, IDC_REMOVE, m_remove);
    DDX_Control(pDX, IDC_REMOVE_ALL, m_removeAll);
    DDX_Text(pDX, IDC_DESTINATION, destinationFolder);
}

bool CConvertDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_add.LoadStrip(QStringLiteral("./image/ButtonAddFile.bmp")) &&
        m_remove.LoadStrip(QStringLiteral("./image/ButtonRemoveFile.bmp")) &&
        m_removeAll.LoadStrip(QStringLiteral("./image/ButtonRemoveAll.bmp"))) {
        for (CAlphaButton* b : {&m_add, &m_remove, &m_removeAll})
            b->resize(129, 28);
    }
    m_list.acceptedExtensions = {QStringLiteral("xls"), QStringLiteral("xlsx")};
    m_list.InsertColumn(0, QStringLiteral("Path"), 300);
    m_list.InsertColumn(1, QStringLiteral("Size"), 80);
    m_list.InsertColumn(2, QStringLiteral("Type"), 80);
    m_list.notifyWindow = this;
    m_list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list.setSelectionBehavior(QAbstractItemView::SelectRows);
    SetDlgItemText(IDC_HEADING, QStringLiteral("Convert Excel to PDF"));
    return true;
}

CtlColorBrush CConvertDlg::OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind)
{
    const int id = control->property("controlId").toInt();
    if (id == IDC_HEADING) {
        dc.font = CreateGdiFont(QStringLiteral("system"), 14, 0, 700);
        dc.textColor = QColor(Qt::black);
        dc.transparent = true;
        return CtlColorBrush::Null();
    }
    if (kind == CtlColor::Dlg)
        return CtlColorBrush::Solid(PageColor);
    if (kind == CtlColor::Static && id != IDC_SHOW_OPTIONS && control != &m_list &&
        control != &m_progress) {
        dc.transparent = true;
        return CtlColorBrush::Null();
    }
    return CtlColorBrush::Default();
}

void CConvertDlg::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    for (CAlphaButton* b : {&m_add, &m_remove, &m_removeAll})
        b->DrawButton(dc, 0, b->geometry(), false);
}

bool CConvertDlg::RefuseWhileBusy()
{
    if (!IsBusy())
        return false;
    ShowMessageBox(BusyText());
    return true;
}

void CConvertDlg::OnCommand(int id, int notifyCode)
{
    switch (id) {
    case IDC_ADD:
        OnAddFiles();
        return;
    case IDC_REMOVE:
        OnRemove();
        return;
    case IDC_REMOVE_ALL:
        OnRemoveAll();
        return;
    case IDC_BROWSE:
        OnBrowse();
        return;
    case IDC_CONVERT:
        Convert();
        return;
    case IDC_SHOW_OPTIONS:
        return; // the box lies outside the shown part of the page
    default:
        CDialog::OnCommand(id, notifyCode);
    }
}

void CConvertDlg::SetPageStatus(const QString& text)
{
    SetDlgItemText(IDC_STATUS, text);
    if (QWidget* status = GetDlgItem(IDC_STATUS))
        status->update();
}

void CConvertDlg::AddRow(const QString& path)
{
    const int row = m_list.AppendFile(path);
    if (row < 0)
        return;
    // A file that cannot be opened keeps its row with an empty size.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_list.SetItemText(row, 1, CListCtrlEx::SizeText(file.size()));
}

void CConvertDlg::OnAddFiles()
{
    if (RefuseWhileBusy())
        return;
    const QStringList chosen = CurrentShell().chooseFilesToOpen(
        window(),
        QStringLiteral("MS Office File(*.xls;*.xlsx) (*.xls *.xlsx);;All Filed (*.*) (*)"));
    if (!chosen.isEmpty()) {
        SetDlgItemText(IDC_DESTINATION, FolderOf(chosen.first()));
        UpdateData(true);
        for (const QString& path : chosen)
            AddRow(path);
    }
    ShowReady();
}

void CConvertDlg::ShowReady()
{
    m_progress.showBar = 0;
    m_progress.Invalidate();
    const QString ready = QStringLiteral("Ready");
    SetPageStatus(ready);
    SendMessageW(m_mainWindow, WM_SETSTATUSTEXT, 0, StringParam(ready));
    // The main window shows the destination that a run will use.
    SendMessageW(m_mainWindow, WM_SETSAVEFOLDER, 0, StringParam(destinationFolder));
}

void CConvertDlg::OnRemove()
{
    if (RefuseWhileBusy())
        return;
    if (m_list.GetItemCount() == 0) {
        ShowMessageBox(QStringLiteral("No File!"));
        return;
    }
    const QList<int> selected = m_list.GetSelectedRows();
    if (selected.isEmpty()) {
        ShowMessageBox(QStringLiteral("Please Select a Deteled File!"));
        return;
    }
    for (auto it = selected.crbegin(); it != selected.crend(); ++it)
        m_list.DeleteItem(*it);
}

void CConvertDlg::OnRemoveAll()
{
    if (RefuseWhileBusy())
        return;
    if (m_list.GetItemCount() == 0) {
        ShowMessageBox(QStringLiteral("No File!"));
        return;
    }
    m_list.DeleteAllItems();
}

void CConvertDlg::OnBrowse()
{
    if (RefuseWhileBusy())
        return;
    const QString folder = CurrentShell().chooseFolder(this);
    if (!folder.isEmpty())
        SetDlgItemText(IDC_DESTINATION, folder);
}

void CConvertDlg::Convert()
{
    UpdateData(true);
    if (RefuseWhileBusy())
        return;
    if (m_list.GetItemCount() == 0) {
        ShowMessageBox(QStringLiteral("No Word or Excel File"));
        return;
    }
    destinationFolder = GetDlgItemText(IDC_DESTINATION);
    if (destinationFolder.isEmpty() || !QFileInfo(destinationFolder).isDir()) {
        ShowMessageBox(QStringLiteral("Wrong Path cause wrong, Input a valid file path!"));
        return;
    }
    // One run per user at a time: the windows and the command line share the spool
    // file, so a run of the other program has to end first.
    Result<InstanceLock> lock = InstanceLock::acquire(ConversionLockFile(m_services.workFolder),
                                                      InstanceLock::Mode::TryOnce);
    if (!lock.ok()) {
        ShowMessageBox(
            lock.status().code() == EWOULDBLOCK
                ? QStringLiteral(
                      "Another conversion of yours is running (tabloria-convert, perhaps). "
                      "Convert again when it has finished.")
                : QStringLiteral("The conversion cannot start: %1").arg(lock.status().message()));
        return;
    }
    m_runLock.emplace(std::move(lock).value());

    SetPageStatus(QStringLiteral("Begin Convert"));
    const QString begin = QStringLiteral("Begin Convert");
    SendMessageW(m_mainWindow, WM_SETSTATUSTEXT, 0, StringParam(begin));
    m_list.converting = 1;
    SetTimer(StatusTimer, 500);

    m_workerDone = false;
    m_worker = StartConversionRun(*this, m_converters, m_services, [this] {
        if (m_runEndHook)
            m_runEndHook();
        m_workerDone = true;
        QMetaObject::invokeMethod(
            this, [this] { RunEnded(); }, Qt::QueuedConnection);
    });
}

void CConvertDlg::RunEnded()
{
    if (m_worker.joinable() && m_workerDone.load()) {
        m_worker.join();
        m_runLock.reset();
    }
}

void CConvertDlg::OnTimer(int id)
{
    if (id == StatusTimer) {
        ++dotCount;
        QString text;
        if (dotCount == 7) {
            text = QStringLiteral("Begin Convert");
            dotCount = 0;
        } else {
            text = GetDlgItemText(IDC_STATUS) + QLatin1Char('.');
        }
        SetPageStatus(text);
        SendMessageW(m_mainWindow, WM_SETSTATUSTEXT, 0, StringParam(text));
    } else if (id == FinishTimer) {
        KillTimer(FinishTimer);
        m_finish.DoModal();
    }
}

bool CConvertDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_FILESDROPPED) {
        const QString folder =
            m_list.GetItemCount() > 0 ? FolderOf(m_list.GetItemText(0, 0)) : QString();
        SetDlgItemText(IDC_DESTINATION, folder);
        UpdateData(true);
        ShowReady();
    }
    return CDialog::PreTranslateMessage(pMsg);
}

// The worker's side. Each call runs on the user-interface thread while the worker waits.

ConversionSettings CConvertDlg::captureSettings()
{
    ConversionSettings settings;
    RunOnThreadOf(this, [&] {
        if (m_options != nullptr)
            settings = m_options->CaptureSettings();
    });
    return settings;
}

QString CConvertDlg::destinationText()
{
    QString text;
    RunOnThreadOf(this, [&] { text = GetDlgItemText(IDC_DESTINATION); });
    return text;
}

void CConvertDlg::setFinishFolder(const QString& folder)
{
    RunOnThreadOf(this, [&] { m_finish.finishFolder = folder; });
}

int CConvertDlg::rowCount()
{
    int rows = 0;
    RunOnThreadOf(this, [&] { rows = m_list.GetItemCount(); });
    return rows;
}

QString CConvertDlg::rowPath(int row)
{
    QString path;
    RunOnThreadOf(this, [&] { path = m_list.GetItemText(row, 0); });
    return path;
}

void CConvertDlg::deleteAllRows()
{
    RunOnThreadOf(this, [&] { m_list.DeleteAllItems(); });
}

void CConvertDlg::setBusy(bool value)
{
    busy = value ? 1 : 0;
}

void CConvertDlg::setConverting(bool converting)
{
    m_list.converting = converting ? 1 : 0;
}

void CConvertDlg::setStatusText(const QString& text)
{
    RunOnThreadOf(this, [&] { SetPageStatus(text); });
}

void CConvertDlg::setProgress(int position, int range, bool showBar)
{
    m_progress.position = position;
    m_progress.range = range;
    m_progress.showBar = showBar ? 1 : 0;
    m_progress.Invalidate();
}

void CConvertDlg::redrawPage()
{
    RunOnThreadOf(this, [&] { update(); });
}

void CConvertDlg::sendStatusText(const QString& text)
{
    SendMessageW(m_mainWindow, WM_SETSTATUSTEXT, 0, StringParam(text));
}

void CConvertDlg::sendProgress(int finished, int total)
{
    SendMessageW(m_mainWindow, WM_SETPROGRESS, static_cast<WPARAM>(finished), total);
}

void CConvertDlg::startTimer(int id, int periodMs)
{
    SetTimer(id, periodMs);
}

void CConvertDlg::stopTimer(int id)
{
    KillTimer(id);
}

void CConvertDlg::appendResultName(const QString& name)
{
    RunOnThreadOf(this, [&] { m_finish.resultNames.append(name); });
}

bool CConvertDlg::askReplace(const QString& outputPath)
{
    return ShowMessageBox(ReplaceQuestionText(outputPath), MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

void CConvertDlg::reportConverted(const QString&, const QString&)
{
}

void CConvertDlg::reportFailed(const QString&, const QString& outputPath, const QString&)
{
    // The converter has shown the reason already, where it met it.
    ShowMessageBox(ConvertFailedText(outputPath));
}
