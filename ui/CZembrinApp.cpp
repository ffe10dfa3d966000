#include "CZembrinApp.h"

#include "CZembrinDlg.h"
#include "InstanceLock.h"
#include "MessageBoxes.h"
#include "PrintContract.h"
#include "StandardEngine.h"

#include <QApplication>
#include <QSessionManager>

#include "RunShutdown.h"

#include <QMetaObject>

#include <atomic>
#include <cerrno>
#include <optional>

#include <unistd.h>

namespace {

// The running main window, for the signal thread.
std::atomic<CZembrinDlg*> g_mainWindow{nullptr};
std::atomic<StandardEngine*> g_engine{nullptr};

} // namespace

QString CZembrinApp::InstanceLockFile(const QString& workFolder)
{
    return workFolder + QStringLiteral("/Tabloria");
}

int CZembrinApp::InitInstance()
{
    // The lock lasts as long as the process: the kernel drops it when the program
    // ends, however it ends. Without a usable work folder the program still runs,
    // only without the guard against a second copy.
    std::optional<InstanceLock> instance;
    const QString work = UserWorkFolder();
    if (PrepareWorkFolder(work).ok()) {
        Result<InstanceLock> lock =
            InstanceLock::acquire(InstanceLockFile(work), InstanceLock::Mode::TryOnce);
        if (!lock.ok() && lock.status().code() == EWOULDBLOCK)
            return 0;
        if (lock.ok())
            instance.emplace(std::move(lock).value());
    }

    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));

    StandardEngine engine;
    // A run that ended abruptly (a crash, a power cut) may have left the user's
    // default printer on "Pellucor": put it back before anything else.
    if (const Status recovered = RecoverAfterAbruptEnd(work, engine.spooler()); !recovered.ok())
        ShowMessageBox(recovered.message());

    CZembrinDlg dialog(engine.converters(), engine.services());
    dialog.convertPage().SetRunEndHook([&engine] { engine.EndRun(); });
    g_engine = &engine;
    g_mainWindow = &dialog;
    // A logout during a run would end the program under the worker: ask the session
    // to wait while a conversion runs.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &dialog,
                     [&dialog](QSessionManager& manager) {
                         if (dialog.convertPage().IsBusy() && manager.allowsInteraction()) {
                             ShowMessageBox(QStringLiteral("Working now,Hold for a moment!"));
                             manager.cancel();
                         }
                     });
    dialog.DoModal();
    g_mainWindow = nullptr;
    g_engine = nullptr;
    return 0;
}

void CZembrinApp::SessionEnds(int signal)
{
    CZembrinDlg* window = g_mainWindow.load();
    StandardEngine* engine = g_engine.load();
    if (window != nullptr && engine != nullptr && window->convertPage().IsBusy()) {
        // The worker may be blocked in a program that is about to be ended: it is not
        // waited for, the process ends here.
        (void)AbandonRun(engine->services().workFolder, engine->spooler(), engine->jobs());
        ::_exit(128 + signal);
    }
    if (window != nullptr)
        // Every open box and dialog goes with the main window.
        QMetaObject::invokeMethod(
            window,
            [window] {
                window->done(IDCANCEL);
                QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
    else
        ::_exit(128 + signal);
}
