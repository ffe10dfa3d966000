#include "RunShutdown.h"

#include "InstanceLock.h"
#include "PrintContract.h"
#include "PrintJob.h"
#include "PrintJobWatch.h"
#include "RunRegistry.h"
#include "Spooler.h"
#include "StandardConverters.h"

#include <QFile>

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
