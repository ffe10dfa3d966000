#include "PrintJob.h"

#include "PrintContract.h"
#include "Prompter.h"
#include "RunRegistry.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
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

void RemoveWorkFiles(const QString& workFolder)
{
    ClearSpoolFile(workFolder);
    removeIfPresent(PdfmarksFile(workFolder));
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

QString CurrentUserName()
{
    if (const passwd* entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

QString CurrentUserFullName()
{
    if (const passwd* entry = ::getpwuid(::getuid())) {
        const QString full =
            QString::fromLocal8Bit(entry->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
        return full.isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : full;
    }
    return CurrentUserName();
}

std::optional<SavedPrinter> RecordedDefaultPrinter(const QString& workFolder)
{
    QFile record(DefaultPrinterRecord(workFolder));
    if (!record.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = record.read(4096);
    if (text.isEmpty())
        return SavedPrinter();
    return SavedPrinter(QString::fromUtf8(text.endsWith('\n') ? text.chopped(1) : text));
}

namespace {

// Switching the default printer and putting it back never overlap, so that a run
// abandoned from another thread cannot have its restore undone by a switch still
// under way.
std::recursive_mutex& switchMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

Status writeRecord(const QString& workFolder, const SavedPrinter& saved)
{
    const QString path = DefaultPrinterRecord(workFolder);
    const QString temporary = path + QStringLiteral(".new");
    removeIfPresent(temporary);
    const QByteArray name = QFile::encodeName(temporary);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(QString::fromLocal8Bit(std::strerror(errno)), errno);
    const QByteArray text = saved ? saved->toUtf8() + '\n' : QByteArray();
    const bool written =
        ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    const int err = errno;
    if (::fsync(fd) != 0 || ::close(fd) != 0 || !written ||
        ::rename(name.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(name.constData());
        return Status::failure(QString::fromLocal8Bit(std::strerror(written ? errno : err)), errno);
    }
    return {};
}

QString printerText(const SavedPrinter& printer)
{
    return printer ? QStringLiteral("\"%1\"").arg(*printer) : QStringLiteral("no default printer");
}

// Sets saved and reads it back; the record goes only when both worked.
Status restoreAndConfirm(Spooler& spooler, const SavedPrinter& saved, const QString& workFolder)
{
    if (const Status set = spooler.setDefaultPrinter(saved); !set.ok())
        return set;
    const Result<SavedPrinter> now = spooler.defaultPrinter();
    if (!now.ok())
        return Status::failure(
            QStringLiteral("it could not be read back: %1").arg(now.status().message()));
    if (now.value() != saved)
        return Status::failure(
            QStringLiteral("it reads %1 afterwards").arg(printerText(now.value())));
    removeIfPresent(DefaultPrinterRecord(workFolder));
    return {};
}

} // namespace

Status RestoreDefaultPrinter(Spooler& spooler, Prompter& prompter, const SavedPrinter& saved,
                             const QString& workFolder)
{
    std::unique_lock lock(switchMutex());
    const Status restored = restoreAndConfirm(spooler, saved, workFolder);
    if (restored.ok())
        return restored;
    const QString failure =
        QStringLiteral(
            "The default printer could not be set back to %1: %2. It will be set back the next "
            "time "
            "Tabloria or tabloria-convert starts; until then your documents print to \"%3\".")
            .arg(printerText(saved), restored.message(), PostScriptPrinterName);
    lock.unlock();
    prompter.showMessage(failure);
    return Status::failure(failure, restored.code());
}

Status FinishUnconfirmedRestore(Spooler& spooler, const QString& workFolder)
{
    std::lock_guard lock(switchMutex());
    const std::optional<SavedPrinter> recorded = RecordedDefaultPrinter(workFolder);
    if (!recorded)
        return {};
    const Status restored = restoreAndConfirm(spooler, *recorded, workFolder);
    if (!restored.ok())
        return Status::failure(
            QStringLiteral("The default printer was left on \"%1\" by a conversion that ended "
                           "abruptly, and it "
                           "could not be set back to %2: %3")
                .arg(PostScriptPrinterName, printerText(*recorded), restored.message()),
            restored.code());
    return {};
}

Result<SavedPrinter> ClaimPostScriptPrinter(Spooler& spooler, Prompter& prompter,
                                            const QString& sourcePath, const QString& workFolder)
{
    std::unique_lock lock(switchMutex(), std::defer_lock);
    const auto refuse = [&](const QString& failure) -> Result<SavedPrinter> {
        if (lock.owns_lock())
            lock.unlock();
        prompter.showMessage(failure);
        return Status::failure(failure);
    };
    if (const Status ready = spooler.checkPrinter(PostScriptPrinterName); !ready.ok())
        return refuse(QStringLiteral("%1 (%2 was not printed)").arg(ready.message(), sourcePath));

    lock.lock();
    if (RunRegistry::abandoned())
        return Status::failure(QStringLiteral("the run was interrupted"));
    SavedPrinter saved;
    if (const std::optional<SavedPrinter> recorded = RecordedDefaultPrinter(workFolder)) {
        saved = *recorded;
    } else {
        const Result<SavedPrinter> current = spooler.defaultPrinter();
        if (!current.ok())
            return refuse(
                QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                    .arg(sourcePath, current.status().message()));
        saved = current.value();
        if (const Status prepared = PrepareWorkFolder(workFolder); !prepared.ok())
            return refuse(prepared.message());
        if (const Status noted = writeRecord(workFolder, saved); !noted.ok())
            return refuse(
                QStringLiteral(
                    "The default printer could not be noted in %1 (%2), so %3 was not printed")
                    .arg(DefaultPrinterRecord(workFolder), noted.message(), sourcePath));
    }
    const Status selected = spooler.setDefaultPrinter(PostScriptPrinterName);
    if (!selected.ok()) {
        const Result<SavedPrinter> failure = refuse(
            QStringLiteral("The printer \"%1\" could not be made the default printer, so %2 was "
                           "not printed: %3")
                .arg(PostScriptPrinterName, sourcePath, selected.message()));
        RestoreDefaultPrinter(spooler, prompter, saved, workFolder);
        return failure;
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
        RemoveWorkFiles(services.workFolder);
        if (const Status restored = RestoreDefaultPrinter(services.spooler, services.prompter,
                                                          saved, services.workFolder);
            !restored.ok())
            notPrinted.failure += QStringLiteral("; ") + restored.message();
        return notPrinted;
    }
    PdfStepServices step = services.pdfStep();
    return ConvertPostScriptToPdf(sourcePath, target.destinationFolder, target.settings, saved,
                                  step);
}
