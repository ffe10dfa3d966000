#include "CommandLineRun.h"

#include "Terminal.h"
#include "TerminalPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

int RunCommandLine(const CommandLineOptions& options, const ConverterTable& converters, ConverterServices& services,
                   Terminal& terminal, TerminalPrompter& prompter)
{
    const QString folder =
        QDir::cleanPath(QDir::current().absoluteFilePath(options.outputFolder.isEmpty() ? QStringLiteral(".")
                                                                                         : options.outputFolder));
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir()) {
        terminal.printMessage(QStringLiteral("tabloria-convert: the output folder %1 does not exist; create it or "
                                             "choose another with -o")
                                  .arg(folder));
        return 1;
    }
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        terminal.printMessage(QStringLiteral("tabloria-convert: no permission to write into the output folder %1; "
                                             "choose another with -o")
                                  .arg(folder));
        return 1;
    }

    QStringList sources;
    int unusable = 0;
    for (const QString& file : options.files) {
        const QFileInfo info(QDir::current().absoluteFilePath(file));
        QString problem;
        if (!info.exists())
            problem = QStringLiteral("the file does not exist");
        else if (info.isDir())
            problem = QStringLiteral("this is a folder, not a file");
        else if (!info.isReadable())
            problem = QStringLiteral("no permission to read the file");
        if (!problem.isEmpty()) {
            terminal.printLine(QStringLiteral("failed: %1: %2").arg(file, problem));
            ++unusable;
            continue;
        }
        sources << QDir::cleanPath(info.absoluteFilePath());
    }

    TerminalPage page(options, sources, folder, terminal, prompter);
    if (!sources.isEmpty()) {
        ConversionTarget target;
        target.settings = page.captureSettings();
        target.destinationFolder = folder;
        ConversionWorker(page, target, converters, services);
    }
    if (!options.quiet && options.files.size() > 1)
        terminal.printMessage(QStringLiteral("%1 converted, %2 failed%3")
                                  .arg(page.converted())
                                  .arg(page.failed() + unusable)
                                  .arg(page.kept() > 0 ? QStringLiteral(", %1 kept").arg(page.kept()) : QString()));
    return page.failed() + unusable > 0 ? 1 : 0;
}
