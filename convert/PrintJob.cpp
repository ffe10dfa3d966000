#include "PrintJob.h"

#include "PrintContract.h"
#include "Prompter.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Polls after CUPS called the job completed before its missing record counts.
constexpr int CompletedPollsAllowed = 10;

Status removeIfPresent(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return Status::failure(QStringLiteral("%1 cannot be removed: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                               errno);
    return {};
}

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
    const Status record = removeIfPresent(PostScriptJobRecord(workFolder));
    if (!record.ok())
        return record;
    return removeIfPresent(PostScriptSpoolFile(workFolder));
}

Status WaitForPrintedJob(const QString& workFolder, const QString& userName,
                         const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs)
{
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
                return Status::failure(
                    QStringLiteral("no print job reached the printer \"%1\" within %2 seconds")
                        .arg(PostScriptPrinterName, seconds(PrintJobStartLimit)));
            }
        }
        if (elapsed >= PrintJobTimeLimit)
            return Status::failure(
                QStringLiteral("the printer \"%1\" did not finish the job within %2 seconds")
                    .arg(PostScriptPrinterName, seconds(PrintJobTimeLimit)));
        jobs.sleep(PrintJobPollInterval);
    }
}

QString CurrentUserName()
{
    if (const passwd* entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

void RestoreDefaultPrinter(Spooler& spooler, Prompter& prompter, const SavedPrinter& saved)
{
    const Status restored = spooler.setDefaultPrinter(saved);
    if (!restored.ok())
        prompter.showMessage(
            QStringLiteral("The default printer could not be set back to \"%1\": %2")
                .arg(saved.value_or(QStringLiteral("none")), restored.message()));
}

Result<SavedPrinter> ClaimPostScriptPrinter(Spooler& spooler, Prompter& prompter,
                                            const QString& sourcePath)
{
    const Result<SavedPrinter> saved = spooler.defaultPrinter();
    if (!saved.ok()) {
        const QString failure =
            QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                .arg(sourcePath, saved.status().message());
        prompter.showMessage(failure);
        return Status::failure(failure);
    }
    const Status selected = spooler.setDefaultPrinter(PostScriptPrinterName);
    if (!selected.ok()) {
        const QString failure =
            QStringLiteral("The printer \"%1\" could not be made the default printer, so %2 was "
                           "not printed: %3")
                .arg(PostScriptPrinterName, sourcePath, selected.message());
        prompter.showMessage(failure);
        RestoreDefaultPrinter(spooler, prompter, saved.value());
        return Status::failure(failure);
    }
    return saved;
}

Status PrepareSpoolFile(const QString& workFolder, Prompter& prompter, const QString& sourcePath)
{
    Status ready = PrepareWorkFolder(workFolder);
    if (ready.ok()) {
        if (const Status cleared = ClearSpoolFile(workFolder); !cleared.ok())
            ready = Status::failure(
                QStringLiteral("The previous print could not be removed, so %1 was not printed: %2")
                    .arg(sourcePath, cleared.message()));
    }
    if (!ready.ok())
        prompter.showMessage(ready.message());
    return ready;
}

Status AwaitPrintedJob(ConverterServices& services, int fixedWaits,
                       const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs)
{
    for (int i = 0; i < fixedWaits; ++i)
        services.pacing.wait(500ms);
    return WaitForPrintedJob(services.workFolder, CurrentUserName(), baseline, jobs);
}

ConverterResult FinishConversion(bool printed, ConverterResult notPrinted,
                                 const ConversionTarget& target, const QString& sourcePath,
                                 const SavedPrinter& saved, ConverterServices& services)
{
    if (!printed) {
        RestoreDefaultPrinter(services.spooler, services.prompter, saved);
        return notPrinted;
    }
    PdfStepServices step = services.pdfStep();
    return ConvertPostScriptToPdf(sourcePath, target.destinationFolder, target.settings, saved,
                                  step);
}
