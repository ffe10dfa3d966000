// tabloria-convert: the conversion engine on the command line.
#include "AutomationRegistry.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "CupsSpooler.h"
#include "InstanceLock.h"
#include "Pacing.h"
#include "PosixProcessRunner.h"
#include "PrintContract.h"
#include "PrintJobWatch.h"
#include "ProgramFolder.h"
#include "QtPicturePrinter.h"
#include "StandardConverters.h"
#include "StandardServers.h"
#include "Terminal.h"
#include "TerminalPage.h"
#include "UnoOffice.h"

#include <QGuiApplication>

#include <cerrno>
#include <cstdio>

namespace {

// Qt's offscreen platform complains about a missing runtime folder, which is of
// no concern to a program that shows no window.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    std::fputs((qFormatLogMessage(type, context, message) + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

} // namespace

int main(int argc, char** argv)
{
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
    Result<InstanceLock> lock = InstanceLock::acquire(ConversionLockFile(work), InstanceLock::Mode::TryOnce);
    if (!lock.ok() && lock.status().code() == EWOULDBLOCK) {
        terminal.printMessage(QStringLiteral("tabloria-convert: waiting for another conversion of yours to finish..."));
        lock = InstanceLock::acquire(ConversionLockFile(work), InstanceLock::Mode::Wait);
    }
    if (!lock.ok()) {
        terminal.printMessage(QStringLiteral("tabloria-convert: ") + lock.status().message());
        return 1;
    }

    PosixProcessRunner processes;
    CupsSpooler spooler;
    TerminalPrompter prompter(terminal);
    ImmediatePacing pacing;
    // One office for the whole run; it ends with the program.
    UnoOffice office(StandardOfficeOptions());
    AutomationRegistry automation;
    RegisterStandardServers(automation, office, spooler);
    QtPicturePrinter pictures;
    CupsPrintJobWatch jobs;
    const ConverterTable converters = StandardConverters(pictures, jobs);
    ConverterServices services{processes, spooler, prompter, pacing, automation, work, programFolder()};
    return RunCommandLine(parsed.options, converters, services, terminal, prompter);
}
