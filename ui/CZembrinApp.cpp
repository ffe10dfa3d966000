#include "CZembrinApp.h"

#include "CZembrinDlg.h"
#include "InstanceLock.h"
#include "MessageBoxes.h"
#include "PrintContract.h"
#include "StandardEngine.h"

#include <QApplication>
#include <QSessionManager>

#include <cerrno>
#include <optional>

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
    CZembrinDlg dialog(engine.converters(), engine.services());
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
    return 0;
}
