// tabloria-convert: the conversion engine on the command line.
#include "AutomationRegistry.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "ConversionLock.h"
#include "CupsSpooler.h"
#include "InstanceLock.h"
#include "Interruption.h"
#include "Pacing.h"
#include "PosixProcessRunner.h"
#include "PrintContract.h"
#include "PrintJobWatch.h"
#include "ProgramFolder.h"
#include "QtPicturePrinter.h"
#include "RunRegistry.h"
#include "RunShutdown.h"
#include "StandardConverters.h"
#include "StandardServers.h"
#include "Terminal.h"
#include "TerminalPage.h"
#include "UnoOffice.h"

#include <QGuiApplication>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Qt's offscreen platform complains about a missing runtime folder, which is of
// no concern to a program that shows no window.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    std::fputs((qFormatLogMessage(type, context, message) + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

// The run as the interruption sees it from its own thread.
struct RunState
{
    QString workFolder;               // written before running is set
    std::atomic<bool> running{false}; // the lock is held and a run may be under way
    CommandLineProgress progress;
};

RunState runState;

// Ctrl-C, SIGTERM, SIGHUP: everything the run started is ended and removed, the
// default printer put back, one line says how far the run came, and the exit status
// is 128 + the signal, as a shell expects of a program ended by it.
[[noreturn]] void interrupted(int signal)
{
    StandardTerminal::silence();
    // Counted now: the run's thread goes on for a moment and would count the file it
    // was on as done once its programs are ended.
    const int done = runState.progress.done.load();
    RestoreTerminalEcho();
    QString restore;
    if (runState.running.load()) {
        CupsSpooler spooler;
        CupsPrintJobWatch jobs;
        if (const Status abandoned = AbandonRun(runState.workFolder, spooler, jobs);
            !abandoned.ok())
            restore = abandoned.message();
    }
    QByteArray line =
        QStringLiteral("%1tabloria-convert: interrupted (%2); %3 of %4 files were done\n")
            .arg(::isatty(STDERR_FILENO) == 1 ? QStringLiteral("\r\033[K") : QString(),
                 QString::fromLocal8Bit(::strsignal(signal)))
            .arg(done)
            .arg(runState.progress.files.load())
            .toLocal8Bit();
    if (!restore.isEmpty())
        line += (QStringLiteral("tabloria-convert: ") + restore + QLatin1Char('\n')).toLocal8Bit();
    (void)!::write(STDERR_FILENO, line.constData(), static_cast<size_t>(line.size()));
    std::fflush(stdout);
    ::_exit(128 + signal);
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread starts: they all inherit the blocked signals.
    // The office and Ghostscript leave their scratch files in $TMPDIR: a folder of
    // the run's own, removed at the end whatever happens.
    struct TemporaryFolder
    {
        QString path = UseRunTemporaryFolder();
        ~TemporaryFolder() { RemoveRunTemporaryFolder(path); }
    } const temporary;
    const InterruptionWatch interruptions(interrupted);
    qInstallMessageHandler(quietHandler);
    // The pictures are printed through Qt's printing, which needs a platform but no
    // display: the command line never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tabloria-convert"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TABLORIA_VERSION));

    StandardTerminal terminal;
    const ParsedCommandLine parsed = ParseCommandLine(QGuiApplication::arguments().mid(1));
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
        terminal.printLine(parsed.text.trimmed());
        return 0;
    case ParsedCommandLine::Action::ShowVersion:
        terminal.printLine(QStringLiteral("tabloria-convert " TABLORIA_VERSION));
        return 0;
    case ParsedCommandLine::Action::UsageError:
        terminal.printMessage(QStringLiteral("tabloria-convert: ") + parsed.text);
        terminal.printMessage(QStringLiteral("Try 'tabloria-convert --help' for more information."));
        return 2;
    case ParsedCommandLine::Action::Convert:
        break;
    }

    const QString work = UserWorkFolder();
    if (const Status ready = PrepareWorkFolder(work); !ready.ok()) {
        terminal.printMessage(QStringLiteral("tabloria-convert: ") + ready.message());
        return 1;
    }
    runState.progress.files = static_cast<int>(parsed.options.files.size());
    const Result<InstanceLock> lock = AcquireConversionLock(ConversionLockFile(work), terminal);
    if (!lock.ok()) {
        terminal.printMessage(QStringLiteral("tabloria-convert: ") + lock.status().message());
        return 1;
    }
    runState.workFolder = work;
    runState.running = true;

    CupsSpooler spooler;
    // A run of this user that ended abruptly may have left the default printer on
    // "Pellucor"; with the lock held, no run of ours is under way.
    if (const Status recovered = RecoverAfterAbruptEndLocked(work, spooler); !recovered.ok()) {
        terminal.printMessage(QStringLiteral("tabloria-convert: ") + recovered.message());
        return 1;
    }

    PosixProcessRunner processes;
    TerminalPrompter prompter(terminal);
    ImmediatePacing pacing;
    // One office for the whole run; it ends with the program.
    UnoOffice office(StandardOfficeOptions());
    AutomationRegistry automation;
    RegisterStandardServers(automation, office, spooler);
    QtPicturePrinter pictures;
    CupsPrintJobWatch jobs;
    const ConverterTable converters = StandardConverters(pictures, jobs);
    ConverterServices services{processes,  spooler, prompter,       pacing,
                               automation, work,    programFolder()};
    const int status = RunCommandLine(parsed.options, converters, services, terminal, prompter, &runState.progress);
    // An interrupted run ends on the thread that handles the interruption, with its
    // own exit status; this one only waits for it.
    while (RunRegistry::abandoned())
        ::pause();
    return status;
}
