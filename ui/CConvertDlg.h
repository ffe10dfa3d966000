#pragma once

#include "CAlphaButton.h"
#include "CBmpProgCtrl.h"
#include "CDialog.h"
#include "CFinishDlg.h"
#include "CListCtrlEx.h"
#include "ConversionWorker.h"
#include "InstanceLock.h"
#include "WorkerPage.h"

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

class CAdvanceDlg;

// The file list page: the list of workbooks with Add file(s), Remove and Remove All,
// the destination folder, the run state and the start of a run. It hosts the
// conversion worker: every call the worker makes runs on the user-interface thread
// while the worker waits, so the calls take effect in the worker's order.
class CConvertDlg final : public CDialog, public WorkerPage
{
    Q_OBJECT

public:
    CConvertDlg(const ConverterTable& converters, ConverterServices& services);
    ~CConvertDlg() override;

    // Set by the main window once both pages exist.
    void SetMainWindow(QObject* mainWindow) { m_mainWindow = mainWindow; }
    void SetOptions(CAdvanceDlg* options) { m_options = options; }
    // Runs on the worker's thread once a run has ended, before the page lets the
    // worker go: the owner of the run's office ends it there.
    void SetRunEndHook(std::function<void()> hook) { m_runEndHook = std::move(hook); }

    // The Convert command: its checks, then the start of a run.
    void Convert();
    bool IsBusy() const { return busy.load() != 0; }
    // Waits, handling window messages, until a running worker has ended.
    void WaitForRun();

    CListCtrlEx& fileList() { return m_list; }
    CFinishDlg& finishDialog() { return m_finish; }
    CBmpProgCtrl& progressBar() { return m_progress; }

    QString destinationFolder;
    std::atomic<int> busy{0};
    int dotCount = 0;

    // WorkerPage, called from the worker's thread.
    ConversionSettings captureSettings() override;
    QString destinationText() override;
    void setFinishFolder(const QString& folder) override;
    int rowCount() override;
    QString rowPath(int row) override;
    void deleteAllRows() override;
    void setBusy(bool value) override;
    void setConverting(bool converting) override;
    void setStatusText(const QString& text) override;
    void setProgress(int position, int range, bool showBar) override;
    void redrawPage() override;
    void sendStatusText(const QString& text) override;
    void sendProgress(int finished, int total) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    void appendResultName(const QString& name) override;
    bool askReplace(const QString& outputPath) override;
    void reportConverted(const QString& sourcePath, const QString& outputPath) override;
    void reportFailed(const QString& sourcePath, const QString& outputPath,
                      const QString& reason) override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool PreTranslateMessage(MSG* pMsg) override;
    void OnCommand(int id, int notifyCode) override;
    void OnTimer(int id) override;
    void OnOK() override {}
    void OnCancel() override {}
    CtlColorBrush OnCtlColor(CtlColorDC& dc, QWidget* control, CtlColor kind) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void OnAddFiles();
    void OnRemove();
    void OnRemoveAll();
    void OnBrowse();
    void SetPageStatus(const QString& text);
    // After files were added or dropped: no bar, "Ready", and the destination shown.
    void ShowReady();
    void AddRow(const QString& path);
    void RunEnded();
    bool RefuseWhileBusy();

    const ConverterTable& m_converters;
    ConverterServices& m_services;
    CBmpProgCtrl m_progress;
    CListCtrlEx m_list;
    CAdvanceDlg* m_options = nullptr;
    CFinishDlg m_finish;
    QObject* m_mainWindow = nullptr;
    CAlphaButton m_add;
    CAlphaButton m_remove;
    CAlphaButton m_removeAll;
    std::function<void()> m_runEndHook;
    std::thread m_worker;
    std::atomic<bool> m_workerDone{false};
    std::optional<InstanceLock> m_runLock;
};

// Texts the page shows.
QString BusyText();
