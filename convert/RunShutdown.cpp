#include "RunShutdown.h"

#include "InstanceLock.h"
#include "PrintContract.h"
#include "PrintJob.h"
#include "PrintJobWatch.h"
#include "RunRegistry.h"
#include "Spooler.h"
#include "StandardConverters.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

Status RecoverAfterAbruptEndLocked(const QString& workFolder, Spooler& spooler)
{
    return FinishUnconfirmedRestore(spooler, workFolder);
}

Status RecoverAfterAbruptEnd(const QString& workFolder, Spooler& spooler)
{
    if (!RecordedDefaultPrinter(workFolder))
        return {};
    const Result<InstanceLock> lock =
        InstanceLock::acquire(ConversionLockFile(workFolder), InstanceLock::Mode::TryOnce);
    if (!lock.ok())
        return {};
    return FinishUnconfirmedRestore(spooler, workFolder);
}

Status AbandonRun(const QString& workFolder, Spooler& spooler, PrintJobWatch& jobs)
{
    RunRegistry::abandon();
    const std::optional<PrintJobState> job = jobs.newestJob(PostScriptPrinterName);
    if (job && job->id > 0 && !job->ended)
        jobs.cancelJob(PostScriptPrinterName, job->id);
    RemoveWorkFiles(workFolder);
    ::unlink(QFile::encodeName(GhostscriptArgumentFile(workFolder)).constData());
    return FinishUnconfirmedRestore(spooler, workFolder);
}

QString UseRunTemporaryFolder()
{
    const QByteArray base =
        qEnvironmentVariableIsEmpty("TMPDIR") ? QByteArray("/tmp") : qgetenv("TMPDIR");
    QByteArray pattern = base + "/tabloria-run-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    const QString folder = QFile::decodeName(pattern);
    RunRegistry::addFolder(folder);
    qputenv("TMPDIR", pattern);
    return folder;
}

void RemoveRunTemporaryFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    RunRegistry::removeFolder(folder);
    QDir(folder).removeRecursively();
}
