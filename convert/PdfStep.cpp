#include "PdfStep.h"

#include "Ghostscript.h"
#include "OutputNaming.h"
#include "Pdfmarks.h"
#include "PrintContract.h"
#include "PrintJob.h"
#include "ProcessRunner.h"
#include "Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

PdfStepResult runGhostscript(const QString& sourcePath, const QString& destinationFolder,
                             const ConversionSettings& settings, PdfStepServices& services)
{
    PdfStepResult result;
    // An absolute path: Ghostscript would read an output name that starts with '|'
    // as a command to pipe into.
    const QString folder = QDir(destinationFolder).absolutePath();
    result.outputPath = OutputPath(folder, sourcePath);

    const Status folderStatus = PrepareWorkFolder(services.workFolder);
    if (!folderStatus.ok()) {
        result.failure = folderStatus.message();
        services.prompter.showMessage(result.failure);
        return result;
    }

    const QString pdfmarks = PdfmarksFile(services.workFolder);
    const Status written = writePdfmarks(pdfmarks, PdfmarksBytes(settings));
    if (!written.ok()) {
        result.failure = QStringLiteral("The file %1 could not be written (%2), so no PDF was made. "
                                        "Check that the folder is yours and not full, then try again.")
                             .arg(pdfmarks, written.message());
        services.prompter.showMessage(result.failure);
        return result;
    }

    const Result<QString> temporary = createTemporaryOutput(folder);
    if (!temporary.ok()) {
        result.failure = temporary.status().message();
        return result;
    }

    GhostscriptCommandOptions options;
    options.facts = LocateGhostscript(services.programFolder, services.processes);
    const GhostscriptCommand command = BuildGhostscriptCommand(settings, temporary.value(),
                                                               PostScriptSpoolFile(services.workFolder), pdfmarks,
                                                               options);
    ProcessRequest request;
    request.arguments = command.arguments();
    const ProcessOutcome outcome = services.processes.RunAndWait(request);

    const QByteArray tempName = QFile::encodeName(temporary.value());
    if (!outcome.succeeded()) {
        ::unlink(tempName.constData());
        result.failure = outcome.started()
                             ? QStringLiteral("Ghostscript %1: %2").arg(outcome.describeFailure(), lastLines(outcome.output, 3))
                             : QStringLiteral("Ghostscript could not be started (%1). Install the ghostscript package.")
                                   .arg(outcome.describeFailure());
        return result;
    }
    if (QFileInfo(temporary.value()).size() == 0) {
        ::unlink(tempName.constData());
        result.failure = QStringLiteral("Ghostscript wrote no pages: the printed document was empty");
        return result;
    }
    if (::rename(tempName.constData(), QFile::encodeName(result.outputPath).constData()) != 0) {
        result.failure = QStringLiteral("the PDF could not be saved as %1: %2").arg(result.outputPath, errnoText());
        ::unlink(tempName.constData());
        return result;
    }
    result.written = true;
    return result;
}

} // namespace

PdfStepResult ConvertPostScriptToPdf(const QString& sourcePath, const QString& destinationFolder,
                                     const ConversionSettings& settings, const SavedPrinter& savedDefaultPrinter,
                                     PdfStepServices& services)
{
    PdfStepResult result = runGhostscript(sourcePath, destinationFolder, settings, services);
    RestoreDefaultPrinter(services.spooler, services.prompter, savedDefaultPrinter);
    return result;
}
