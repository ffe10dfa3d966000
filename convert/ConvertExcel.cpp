#include "ConvertExcel.h"

#include "AutomationRegistry.h"
#include "ExcelApplication.h"
#include "OutputNaming.h"
#include "PrintContract.h"
#include "Prompter.h"
#include "Spooler.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// The design's fixed wait after PrintOut: four times 500 ms.
constexpr int PrintWaits = 4;
constexpr auto PrintWaitStep = 500ms;
// Polls after CUPS called the job completed before its missing record counts.
constexpr int CompletedPollsAllowed = 10;

QList<Variant> printOutArguments(const QString& workFolder)
{
    return {Variant::missing(),                                   // From
            Variant::missing(),                                   // To: all pages
            Variant::fromI4(1),                                   // Copies
            Variant::fromI2(0),                                   // Preview: none
            Variant::missing(),                                   // ActivePrinter: the default
            Variant::missing(),                                   // PrintToFile: an ordinary job
            Variant::missing(),                                   // Collate
            Variant::fromString(PostScriptSpoolFile(workFolder))}; // PrToFileName
}

Status removeIfPresent(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return Status::failure(QStringLiteral("%1 cannot be removed: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                               errno);
    return {};
}

bool isFreshSpoolFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

QString seconds(std::chrono::milliseconds duration)
{
    return QString::number(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
}

// Steps 8 and 9 of every way out once the server runs: quit, then release the
// references in the order they were taken back.
struct ServerReferences
{
    std::shared_ptr<Dispatch> application;
    std::shared_ptr<Dispatch> workbooks;
    std::shared_ptr<Dispatch> workbook;

    void quitAndRelease()
    {
        if (application)
            application->Invoke(ExcelMember::Quit, DispatchKind::Method, {});
        workbook.reset();
        workbooks.reset();
        application.reset();
    }
};

// The object a call gave, or nullptr with the reason in failure. The result is
// consumed, so that the caller's reference is the only one left.
std::shared_ptr<Dispatch> objectFrom(Result<Variant> result, QString& failure)
{
    if (!result.ok()) {
        failure = result.status().message();
        return nullptr;
    }
    std::shared_ptr<Dispatch> object = result.value().toDispatch();
    if (!object)
        failure = QStringLiteral("the spreadsheet server gave %1 where an object was expected").arg(result.value().describe());
    return object;
}

void restorePrinter(ConverterServices& services, const SavedPrinter& saved)
{
    const Status restored = services.spooler.setDefaultPrinter(saved);
    if (!restored.ok())
        services.prompter.showMessage(QStringLiteral("The default printer could not be set back to \"%1\": %2")
                                          .arg(saved.value_or(QStringLiteral("none")), restored.message()));
}

} // namespace

std::optional<PrintJobState> CupsPrintJobWatch::newestJob(const QString& printer)
{
    cups_job_t* jobs = nullptr;
    const QByteArray name = printer.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 1, CUPS_WHICHJOBS_ALL);
    if (count < 0)
        return std::nullopt;
    PrintJobState newest;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id <= newest.id)
            continue;
        newest.id = jobs[i].id;
        newest.ended = jobs[i].state >= IPP_JSTATE_CANCELED;
        newest.completed = jobs[i].state == IPP_JSTATE_COMPLETED;
    }
    cupsFreeJobs(count, jobs);
    return newest;
}

std::chrono::steady_clock::time_point CupsPrintJobWatch::now()
{
    return std::chrono::steady_clock::now();
}

void CupsPrintJobWatch::sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

std::optional<PrintJobRecord> ParsePrintJobRecord(const QByteArray& bytes)
{
    if (!bytes.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    if (lines.size() != 3 || !lines[0].startsWith("job-id=") || !lines[1].startsWith("user=")
        || !lines[2].startsWith("title="))
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
                    return Status::failure(QStringLiteral("the printer finished job %1 but left no PostScript in %2")
                                               .arg(record->jobId)
                                               .arg(PostScriptSpoolFile(workFolder)));
                return {};
            }
        }

        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(jobs.now() - start);
        if (baseline) {
            const std::optional<PrintJobState> job = jobs.newestJob(PostScriptPrinterName);
            if (job && job->id > baseline->id) {
                if (job->ended && !job->completed)
                    return Status::failure(QStringLiteral("the printer \"%1\" cancelled job %2")
                                               .arg(PostScriptPrinterName)
                                               .arg(job->id));
                if (job->completed && ++completedPolls > CompletedPollsAllowed)
                    return Status::failure(QStringLiteral("the printer \"%1\" finished job %2 without recording it")
                                               .arg(PostScriptPrinterName)
                                               .arg(job->id));
            } else if (job && elapsed >= PrintJobStartLimit) {
                return Status::failure(QStringLiteral("no print job reached the printer \"%1\" within %2 seconds")
                                           .arg(PostScriptPrinterName, seconds(PrintJobStartLimit)));
            }
        }
        if (elapsed >= PrintJobTimeLimit)
            return Status::failure(QStringLiteral("the printer \"%1\" did not finish the job within %2 seconds")
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

ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath, ConverterServices& services)
{
    CupsPrintJobWatch jobs;
    return ConvertExcel(target, sourcePath, services, jobs);
}

ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath, ConverterServices& services,
                             PrintJobWatch& jobs)
{
    ConverterResult result;
    result.outputPath = OutputPath(QDir(target.destinationFolder).absolutePath(), sourcePath);
    Prompter& prompter = services.prompter;

    if (!services.automation.CoInitialize().ok())
        prompter.showMessage(QStringLiteral("Failed to call Coinitialize()"));

    ServerReferences server;
    Result<std::shared_ptr<Dispatch>> created = services.automation.createObject(ExcelProgId);
    if (!created.ok()) {
        prompter.showMessage(QStringLiteral("无法启动Excel服务器!"));
        result.failure = QStringLiteral("the spreadsheet server could not be started: %1").arg(created.status().message());
        return result;
    }
    server.application = std::move(created).value();

    server.application->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut, {Variant::fromBool(false)});

    // Without the saved default it could not be put back, and without "Pellucor" as
    // the default the workbook would come out of the user's own printer.
    const Result<SavedPrinter> saved = services.spooler.defaultPrinter();
    if (!saved.ok()) {
        result.failure = QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                             .arg(sourcePath, saved.status().message());
        prompter.showMessage(result.failure);
        server.quitAndRelease();
        return result;
    }
    const Status selected = services.spooler.setDefaultPrinter(PostScriptPrinterName);
    if (!selected.ok()) {
        result.failure = QStringLiteral("The printer \"%1\" could not be made the default printer, so %2 was not "
                                        "printed: %3")
                             .arg(PostScriptPrinterName, sourcePath, selected.message());
        prompter.showMessage(result.failure);
        restorePrinter(services, saved.value());
        server.quitAndRelease();
        return result;
    }

    QString why;
    server.workbooks = objectFrom(server.application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {}), why);
    if (!server.workbooks) {
        result.failure = QStringLiteral("The spreadsheet server gave no list of workbooks, so %1 was not converted: %2")
                             .arg(sourcePath, why);
        prompter.showMessage(result.failure);
        server.quitAndRelease();
        restorePrinter(services, saved.value());
        return result;
    }

    bool printed = false;
    // The previous document's PostScript goes before anything is printed: a print
    // that fails must leave nothing for the PDF step.
    Status ready = PrepareWorkFolder(services.workFolder);
    if (ready.ok()) {
        if (const Status cleared = ClearSpoolFile(services.workFolder); !cleared.ok())
            ready = Status::failure(QStringLiteral("The previous print could not be removed, so %1 was not printed: %2")
                                        .arg(sourcePath, cleared.message()));
    }
    if (!ready.ok()) {
        result.failure = ready.message();
        prompter.showMessage(result.failure);
    } else {
        server.workbook = objectFrom(
            server.workbooks->Invoke(ExcelMember::Add, DispatchKind::Method, {Variant::fromString(sourcePath)}),
            result.failure);
        if (server.workbook) {
            const std::optional<PrintJobState> baseline = jobs.newestJob(PostScriptPrinterName);
            const Result<Variant> printOut = server.workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method,
                                                                     printOutArguments(services.workFolder));
            if (!printOut.ok()) {
                result.failure = printOut.status().message();
            } else {
                for (int i = 0; i < PrintWaits; ++i)
                    services.pacing.wait(PrintWaitStep);
                const Status finished = WaitForPrintedJob(services.workFolder, CurrentUserName(), baseline, jobs);
                printed = finished.ok();
                if (!printed)
                    result.failure = finished.message();
            }
        }
    }

    if (printed) {
        PdfStepServices step = services.pdfStep();
        result = ConvertPostScriptToPdf(sourcePath, target.destinationFolder, target.settings, saved.value(), step);
    } else {
        restorePrinter(services, saved.value());
    }

    server.quitAndRelease();
    return result;
}
