// The printer set-up scripts run for real. The cases that change nothing run
// anywhere; running the set-up itself needs root and the printer already set up,
// and then only puts back what is there.

#include "PosixProcessRunner.h"
#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString InstalledBackend = QStringLiteral("/usr/lib/cups/backend/pellucor");

CommandOutput runScript(const QString& script, const QString& path = {})
{
    PosixProcessRunner runner;
    ProcessRequest request;
    request.arguments = {QStringLiteral("/bin/sh"), script};
    if (!path.isEmpty())
        request.environment = {{QStringLiteral("PATH"), path}};
    request.timeout = std::chrono::seconds(120);
    const ProcessOutcome outcome = runner.RunAndWait(request);
    return {outcome.started() && !outcome.timedOut ? outcome.exitCode : -1,
            QString::fromUtf8(outcome.output)};
}

TEST(PrinterScriptsTest, SayClearlyWhenCupsIsMissing)
{
    // A PATH with the ordinary tools and none of CUPS.
    ScratchFolder scratch;
    const QString tools = scratch.file(QStringLiteral("tools"));
    ASSERT_TRUE(QDir().mkpath(tools));
    for (const char* tool :
         {"basename", "dirname", "id", "grep", "cmp", "stat", "install", "mv", "cat"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(tool));
        ASSERT_FALSE(found.isEmpty()) << tool;
        ASSERT_TRUE(QFile::link(found, tools + QLatin1Char('/') + QLatin1String(tool)));
    }
    for (const char* script : {"PrinterXP.bat", "PrinterVista.bat"}) {
        const CommandOutput out =
            runScript(programFolder() + QLatin1Char('/') + QLatin1String(script), tools);
        EXPECT_EQ(out.exitCode, 1) << script << out.output.toStdString();
        EXPECT_TRUE(out.output.contains(QStringLiteral("CUPS is missing")))
            << out.output.toStdString();
        EXPECT_TRUE(out.output.contains(QStringLiteral("install the Debian packages cups")))
            << out.output.toStdString();
    }
}

TEST(PrinterScriptsTest, RefuseToRunWithoutRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the script as another user";
    const CommandOutput out =
        runTool({QStringLiteral("setsid"), QStringLiteral("-w"), QStringLiteral("runuser"),
                 QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                 QStringLiteral("/bin/sh"), programFolder() + QStringLiteral("/PrinterXP.bat")});
    EXPECT_EQ(out.exitCode, 1) << out.output.toStdString();
    EXPECT_TRUE(out.output.contains(QStringLiteral("only root can set up the printer")))
        << out.output.toStdString();
}

TEST(PrinterScriptsTest, RunningTheSetUpAgainIsHarmless)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "setting up the printer needs root";
    ASSERT_TRUE(QFile::exists(InstalledBackend))
        << "the printer is not set up; run scripts/setup-printer.sh";
    // The scripts beside the backend that is installed now, so that nothing changes.
    ScratchFolder scratch;
    for (const char* script : {"PrinterXP.bat", "PrinterVista.bat"})
        ASSERT_TRUE(QFile::copy(programFolder() + QLatin1Char('/') + QLatin1String(script),
                                scratch.file(QLatin1String(script))));
    ASSERT_TRUE(QFile::copy(InstalledBackend, scratch.file(QStringLiteral("pellucor"))));

    for (const char* script : {"PrinterXP.bat", "PrinterVista.bat"}) {
        const CommandOutput out = runScript(scratch.file(QLatin1String(script)));
        EXPECT_EQ(out.exitCode, 0) << script << out.output.toStdString();
        EXPECT_TRUE(out.output.contains(
            QStringLiteral("backend /usr/lib/cups/backend/pellucor is up to date")))
            << out.output.toStdString();
        EXPECT_TRUE(out.output.contains(QStringLiteral("updated the queue Pellucor")))
            << out.output.toStdString();
    }
    const CommandOutput device =
        runTool({QStringLiteral("lpstat"), QStringLiteral("-v"), QStringLiteral("Pellucor")});
    EXPECT_EQ(device.output.trimmed(), QStringLiteral("device for Pellucor: pellucor:/"));
}

} // namespace
