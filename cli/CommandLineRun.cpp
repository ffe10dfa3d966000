#include "CommandLineRun.h"

#include "OutputNaming.h"
#include "Terminal.h"
#include "TerminalPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <unistd.h>

QList<QStringList> OutputClashes(const QStringList& given, const QStringList& sources,
                                 const QString& folder)
{
    QList<QStringList> clashes;
    QHash<QString, qsizetype> groupOf; // output path -> index in clashes, once it clashes
    QHash<QString, qsizetype> firstOf; // output path -> first source that makes it
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString output = OutputPath(folder, sources[i]);
        const auto first = firstOf.constFind(output);
        if (first == firstOf.constEnd()) {
            firstOf.insert(output, i);
            continue;
        }
        auto group = groupOf.find(output);
        if (group == groupOf.end()) {
            group = groupOf.insert(output, clashes.size());
            clashes.append(QStringList{given[*first]});
        }
        clashes[*group].append(given[i]);
    }
    return clashes;
}

int RunCommandLine(const CommandLineOptions& options, const ConverterTable& converters,
                   ConverterServices& services, Terminal& terminal, TerminalPrompter& prompter,
                   CommandLineProgress* progress)
{
    if (progress)
        progress->files = static_cast<int>(options.files.size());
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(
        options.outputFolder.isEmpty() ? QStringLiteral(".") : options.outputFolder));
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
    QStringList given; // the argument of each source, as typed
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
        given << file;
    }

    // Two inputs that make the same PDF would have one overwrite the other (or be
    // kept behind the PDF that the same run just made): refused before anything runs.
    const QList<QStringList> clashes = OutputClashes(given, sources, folder);
    if (!clashes.isEmpty()) {
        for (const QStringList& inputs : clashes)
            terminal.printMessage(
                QStringLiteral("tabloria-convert: these files would all become %1: %2")
                    .arg(OutputPath(folder, inputs.first()), inputs.join(QStringLiteral(", "))));
        terminal.printMessage(
            QStringLiteral("Convert them into different folders with -o, or rename them."));
        return 2;
    }

    TerminalPage page(options, sources, folder, terminal, prompter);
    if (progress) {
        progress->done = unusable;
        page.onRowDone([progress, unusable](int rows) { progress->done = unusable + rows; });
    }
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
