#include "PrintJob.h"

#include "PrintContract.h"

#include <QFile>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

// Polls after CUPS called the job completed before its missing record counts.
constexpr int CompletedPollsAllowed = 10;

bool isFreshSpoolFile(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_size > 0;
}

QString seconds(std::chrono::milliseconds duration)
{
    return QString::number(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
}

} // namespace

std::optional<PrintJobRecord> ParsePrintJobRecord(const QByteArray& bytes)
{
    if (!bytes.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    if (lines.size() != 3 || !lines[0].startsWith("job-id=") || !lines[1].startsWith("user=") ||
        !lines[2].startsWith("title="))
        return std::nullopt;
    const QByteArray id = lines[0].mid(7);
    bool ok = false;
    PrintJobRecord record;
    record.jobId = id.toInt(&ok);
    if (!ok || record.jobId <= 0 || id.startsWith('+') || id.startsWith('0'))
        return std::nullopt;
    record.user = QString::fromUtf8(lines[1].mid(5));
    record.title = QString::fromUtf8(lines[2].mid(6));
    if (record.user.isEmpty())
        return std::nullopt;
    return record;
}

Status ClearSpoolFile(const QString& workFolder)
{
    // The record first: without the PostScript a record must not stand alone.
    const Status record = RemoveWorkFile(PostScriptJobRecord(workFolder));
    if (!record.ok())
        return record;
    return RemoveWorkFile(PostScriptSpoolFile(workFolder));
}

void RemoveWorkFiles(const QString& workFolder)
{
    // Quietly, as promised: the files live in the user's private folder, and the next
    // print clears the spool file again before it prints.
    (void)ClearSpoolFile(workFolder);
    (void)RemoveWorkFile(PdfmarksFile(workFolder));
}

Status WaitForPrintedJob(const QString& workFolder, const QString& userName,
                         const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs)
{
    // A job given up on is cancelled: left queued, it would overwrite the spool file
    // later, behind the user's back.
    const auto giveUp = [&](Status failure) {
        if (baseline) {
            const std::optional<PrintJobState> job = jobs.newestJob(PostScriptPrinterName);
            if (job && job->id > baseline->id && !job->ended)
                jobs.cancelJob(PostScriptPrinterName, job->id);
        }
        return failure;
    };
    const auto start = jobs.now();
    int completedPolls = 0;
    for (;;) {
        QFile recordFile(PostScriptJobRecord(workFolder));
        if (recordFile.open(QIODevice::ReadOnly)) {
            const std::optional<PrintJobRecord> record = ParsePrintJobRecord(recordFile.read(4096));
            if (record && record->user == userName && (!baseline || record->jobId > baseline->id)) {
                if (!isFreshSpoolFile(PostScriptSpoolFile(workFolder)))
                    return Status::failure(
                        QStringLiteral("the printer finished job %1 but left no PostScript in %2")
                            .arg(record->jobId)
                            .arg(PostScriptSpoolFile(workFolder)));
                return {};
            }
        }

        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(jobs.now() - start);
        if (baseline) {
            const std::optional<PrintJobState> job = jobs.newestJob(PostScriptPrinterName);
            if (job && job->id > baseline->id) {
                if (job->ended && !job->completed)
                    return Status::failure(QStringLiteral("the printer \"%1\" cancelled job %2")
                                               .arg(PostScriptPrinterName)
                                               .arg(job->id));
                if (job->completed && ++completedPolls > CompletedPollsAllowed)
                    return Status::failure(
                        QStringLiteral("the printer \"%1\" finished job %2 without recording it")
                            .arg(PostScriptPrinterName)
                            .arg(job->id));
            } else if (job && elapsed >= PrintJobStartLimit) {
                return giveUp(Status::failure(
                    QStringLiteral("no print job reached the printer \"%1\" within %2 seconds")
                        .arg(PostScriptPrinterName, seconds(PrintJobStartLimit))));
            }
        }
        if (elapsed >= PrintJobTimeLimit)
            return giveUp(Status::failure(
                QStringLiteral("the printer \"%1\" did not finish the job within %2 seconds")
                    .arg(PostScriptPrinterName, seconds(PrintJobTimeLimit))));
        jobs.sleep(PrintJobPollInterval);
    }
}
