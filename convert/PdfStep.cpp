#include "PdfStep.h"

#include "Ghostscript.h"
#include "OutputNaming.h"
#include "Pdfmarks.h"
#include "PrintContract.h"
#include "PrintJob.h"
#include "ProcessRunner.h"
#include "Prompter.h"
#include "RunRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Below this much free room a failed Ghostscript run is put down to a full disk.
constexpr qint64 NearlyFullBytes = 1024 * 1024;

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

Status writePdfmarks(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(errnoText(), errno);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            return Status::failure(QString::fromLocal8Bit(std::strerror(err)), err);
        }
        done += n;
    }
    if (::close(fd) != 0)
        return Status::failure(errnoText(), errno);
    return {};
}

// The permissions a new file gets from this process: 0666 less the umask, which
// Linux reports in /proc/self/status (reading it with umask() would change it).
mode_t newFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(0666 & ~std::strtoul(line.mid(6).trimmed().constData(), nullptr, 8));
        }
    }
    return 0644;
}

// An empty file of our own in the destination folder for Ghostscript to write.
Result<QString> createTemporaryOutput(const QString& folder)
{
    QByteArray pattern = QFile::encodeName(WithTrailingSlash(folder)) + ".tabloria-XXXXXX.pdf";
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return Status::failure(QStringLiteral("the folder %1 cannot be written: %2").arg(folder, errnoText()), errno);
    ::fchmod(fd, newFileMode());
    ::close(fd);
    return QFile::decodeName(pattern);
}

QString lastLines(const QByteArray& output, int count)
{
    QStringList lines = QString::fromLocal8Bit(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    return lines.join(QStringLiteral(" / ")).trimmed();
}

// Writes the security arguments to a file only the user can read, for Ghostscript's
// "@file": on the command line every local user could read them.
Result<QString> writeArgumentFile(const QString& workFolder, const QByteArray& text)
{
    const QString path = GhostscriptArgumentFile(workFolder);
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(errnoText(), errno);
    RunRegistry::addFile(path);
    const bool written =
        ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    const int err = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(name.constData());
        RunRegistry::removeFile(path);
        return Status::failure(QString::fromLocal8Bit(std::strerror(written ? errno : err)), errno);
    }
    return path;
}

void removeRegistered(const QString& path)
{
    ::unlink(QFile::encodeName(path).constData());
    RunRegistry::removeFile(path);
}

// Free bytes for this user in folder; -1 when it cannot be told.
qint64 freeSpace(const QString& folder)
{
    struct statvfs fs
    {
    };
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return -1;
    return static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
}

bool endsLikeAPdf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    file.seek(std::max<qint64>(0, file.size() - 1024));
    return file.readAll().contains("%%EOF");
}

// What Ghostscript made: the temporary file that becomes the PDF once the default
// printer is back, or the failure.
struct GhostscriptRun
{
    QString temporary;
    PdfStepResult result;
};

GhostscriptRun runGhostscript(const QString& sourcePath, const QString& destinationFolder,
                              const ConversionSettings& settings, PdfStepServices& services)
{
    GhostscriptRun run;
    PdfStepResult& result = run.result;
    // An absolute path: Ghostscript would read an output name that starts with '|'
    // as a command to pipe into.
    const QString folder = QDir(destinationFolder).absolutePath();
    result.outputPath = OutputPath(folder, sourcePath);

    const Status folderStatus = PrepareWorkFolder(services.workFolder);
    if (!folderStatus.ok()) {
        result.failure = folderStatus.message();
        services.prompter.showMessage(result.failure);
        return run;
    }

    const QString pdfmarks = PdfmarksFile(services.workFolder);
    const Status written = writePdfmarks(
        pdfmarks, PdfmarksBytes(WithDocumentDefaults(settings, sourcePath, CurrentUserFullName())));
    if (!written.ok()) {
        result.failure = QStringLiteral("The file %1 could not be written (%2), so no PDF was made. "
                                        "Check that the folder is yours and not full, then try again.")
                             .arg(pdfmarks, written.message());
        services.prompter.showMessage(result.failure);
        return run;
    }

    const Result<QString> temporary = createTemporaryOutput(folder);
    if (!temporary.ok()) {
        result.failure = temporary.status().message();
        return run;
    }
    RunRegistry::addFile(temporary.value());

    GhostscriptCommandOptions options;
    options.facts = LocateGhostscript(services.programFolder, services.processes);
    const GhostscriptCommand command = BuildGhostscriptCommand(settings, temporary.value(),
                                                               PostScriptSpoolFile(services.workFolder), pdfmarks,
                                                               options);
    ProcessRequest request;
    QString argumentFile;
    if (command.hasSecurityArguments()) {
        const Result<QString> file =
            writeArgumentFile(services.workFolder, command.securityArgumentFile());
        if (!file.ok()) {
            result.failure =
                QStringLiteral("The file %1 could not be written (%2), so no PDF was made.")
                    .arg(GhostscriptArgumentFile(services.workFolder), file.status().message());
            services.prompter.showMessage(result.failure);
            removeRegistered(temporary.value());
            return run;
        }
        argumentFile = file.value();
    }
    request.arguments = command.arguments(argumentFile);
    const ProcessOutcome outcome = services.processes.RunAndWait(request);
    if (!argumentFile.isEmpty())
        removeRegistered(argumentFile);

    // Ghostscript may report success although the disk filled up under it and the
    // file stops short: only a PDF that ends with its end-of-file marker counts.
    const bool complete = outcome.succeeded() && endsLikeAPdf(temporary.value());
    if (!complete) {
        // Measured before the half-written file goes, which frees its room again.
        const qint64 room = freeSpace(folder);
        const bool empty = outcome.succeeded() && QFileInfo(temporary.value()).size() == 0;
        removeRegistered(temporary.value());
        if (!outcome.started())
            result.failure = QStringLiteral("Ghostscript could not be started (%1). Install the ghostscript package.")
                                 .arg(outcome.describeFailure());
        else if (room >= 0 && room < NearlyFullBytes)
            result.failure = QStringLiteral("The destination folder %1 has no room left on its disk: free some "
                                            "space there or choose another folder, then try again.")
                                 .arg(folder);
        else if (empty)
            result.failure = QStringLiteral("Ghostscript wrote no pages: the printed document was empty");
        else if (outcome.succeeded())
            result.failure = QStringLiteral("Ghostscript wrote an incomplete PDF");
        else
            result.failure =
                QStringLiteral("Ghostscript %1: %2").arg(outcome.describeFailure(), lastLines(outcome.output, 3));
        return run;
    }
    run.temporary = temporary.value();
    return run;
}

} // namespace

PdfStepResult ConvertPostScriptToPdf(const QString& sourcePath, const QString& destinationFolder,
                                     const ConversionSettings& settings, const SavedPrinter& savedDefaultPrinter,
                                     PdfStepServices& services)
{
    GhostscriptRun run = runGhostscript(sourcePath, destinationFolder, settings, services);
    PdfStepResult& result = run.result;
    // The spool file holds the whole document in clear text, also when the PDF is
    // encrypted: nothing of it may outlive the step.
    RemoveWorkFiles(services.workFolder);
    const Status restored = RestoreDefaultPrinter(services.spooler, services.prompter,
                                                  savedDefaultPrinter, services.workFolder);
    if (run.temporary.isEmpty())
        return result;

    // A default printer that is not back fails the file: the user must learn of it
    // here and now, and an existing PDF of that name stays as it was.
    const QByteArray tempName = QFile::encodeName(run.temporary);
    if (!restored.ok()) {
        removeRegistered(run.temporary);
        result.failure = restored.message();
        return result;
    }
    if (::rename(tempName.constData(), QFile::encodeName(result.outputPath).constData()) != 0) {
        result.failure = QStringLiteral("the PDF could not be saved as %1: %2")
                             .arg(result.outputPath, errnoText());
        removeRegistered(run.temporary);
        return result;
    }
    RunRegistry::removeFile(run.temporary);
    result.written = true;
    return result;
}
