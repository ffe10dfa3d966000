// The default printer switched to "Pellucor" for a file, and put back so that a
// restore is never taken on trust: read back, recorded until confirmed, finished at
// the next start, and put back when a run is abandoned.
#include "PrintJob.h"

#include "Fakes.h"
#include "PrintContract.h"
#include "RunRegistry.h"
#include "RunShutdown.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PrinterRestoreTest : public testing::Test
{
protected:
    PrinterRestoreTest()
    {
        work = scratch.file(QStringLiteral("work"));
        spooler.current = QStringLiteral("Office");
    }
    ~PrinterRestoreTest() override { RunRegistry::resetForTesting(); }

    Result<SavedPrinter> claim()
    {
        return ClaimPostScriptPrinter(spooler, prompter, QStringLiteral("/d/a.xlsx"), work);
    }
    Status restore(const SavedPrinter& saved)
    {
        return RestoreDefaultPrinter(spooler, prompter, saved, work);
    }

    ScratchFolder scratch;
    QString work;
    FakeSpooler spooler;
    FakePrompter prompter;
};

TEST_F(PrinterRestoreTest, TheSavedDefaultIsRecordedUntilItIsConfirmedBack)
{
    const Result<SavedPrinter> saved = claim();
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.value(), SavedPrinter(QStringLiteral("Office")));
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Pellucor")));
    EXPECT_EQ(readFile(DefaultPrinterRecord(work)), "Office\n");
    EXPECT_EQ(
        QFile::permissions(DefaultPrinterRecord(work)) & (QFile::ReadOther | QFile::ReadGroup), 0);

    EXPECT_TRUE(restore(saved.value()).ok());
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
    EXPECT_FALSE(QFile::exists(DefaultPrinterRecord(work)));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // No default printer at all is saved and confirmed as such.
    spooler.current = std::nullopt;
    ASSERT_TRUE(claim().ok());
    EXPECT_EQ(readFile(DefaultPrinterRecord(work)), "");
    EXPECT_TRUE(restore(std::nullopt).ok());
    EXPECT_EQ(spooler.current, SavedPrinter());
    EXPECT_FALSE(QFile::exists(DefaultPrinterRecord(work)));
}

// The print service went away while Ghostscript ran: setting the default "works"
// but changes nothing. The read-back tells, the record stays, the next file saves
// the user's default from the record and not "Pellucor", and the next start of a
// program puts it back.
TEST_F(PrinterRestoreTest, ARestoreThatDidNotTakeIsReportedAndFinishedLater)
{
    ASSERT_TRUE(claim().ok());
    spooler.ignoreSet = true;
    const Status restored = restore(QStringLiteral("Office"));
    EXPECT_FALSE(restored.ok());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown.first().text, restored.message());
    EXPECT_TRUE(restored.message().contains(QStringLiteral("\"Office\"")))
        << restored.message().toStdString();
    EXPECT_TRUE(restored.message().contains(QStringLiteral("\"Pellucor\"")));
    EXPECT_EQ(readFile(DefaultPrinterRecord(work)), "Office\n");

    spooler.ignoreSet = false;
    const Result<SavedPrinter> again = claim();
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value(), SavedPrinter(QStringLiteral("Office")));

    spooler.failSet = true;
    const Status failed = RecoverAfterAbruptEnd(work, spooler);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message().contains(QStringLiteral("the spooler is not running")))
        << failed.message().toStdString();
    EXPECT_TRUE(QFile::exists(DefaultPrinterRecord(work)));

    spooler.failSet = false;
    EXPECT_TRUE(RecoverAfterAbruptEnd(work, spooler).ok());
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
    EXPECT_FALSE(QFile::exists(DefaultPrinterRecord(work)));
    EXPECT_TRUE(RecoverAfterAbruptEnd(work, spooler).ok()) << "nothing to do without a record";
}

TEST_F(PrinterRestoreTest, APrinterThatCannotPrintNowIsNotSwitchedTo)
{
    spooler.printerState = Status::failure(
        QStringLiteral("The printer \"Pellucor\" is paused: run cupsenable Pellucor"));
    const Result<SavedPrinter> saved = claim();
    EXPECT_FALSE(saved.ok());
    EXPECT_TRUE(saved.status().message().startsWith(spooler.printerState.message()));
    EXPECT_TRUE(saved.status().message().contains(QStringLiteral("/d/a.xlsx")));
    EXPECT_TRUE(spooler.setCalls.isEmpty());
    EXPECT_FALSE(QFile::exists(DefaultPrinterRecord(work)));
}

// An abandoned run: its process groups end, its files go, its print job is
// cancelled, the default printer comes back, and what the run's thread starts or
// makes afterwards is undone at once.
TEST_F(PrinterRestoreTest, AbandoningARunLeavesNothingBehind)
{
    ASSERT_TRUE(claim().ok());
    QDir().mkpath(work);
    for (const char* name : {"tmp.ps", "tmp.ps.job", "pdfmarks", "ghostscript.args"})
        writeFile(work + QLatin1Char('/') + QLatin1String(name), "x");
    const QString temporary = scratch.file(QStringLiteral(".tabloria-abc123.pdf"));
    writeFile(temporary, "half");
    RunRegistry::addFile(temporary);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setpgid(0, 0);
        ::pause();
        ::_exit(0);
    }
    ::setpgid(child, child);
    RunRegistry::addProcessGroup(child);

    FakeJobWatch jobs;
    jobs.jobsAt.insert({std::chrono::milliseconds(0), PrintJobState{41, false, false}});
    EXPECT_TRUE(AbandonRun(work, spooler, jobs).ok());

    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(jobs.cancelled, std::vector<int>{41});
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));

    writeFile(temporary, "late");
    RunRegistry::addFile(temporary);
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_FALSE(claim().ok()) << "no switch after the run was abandoned";
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

} // namespace
