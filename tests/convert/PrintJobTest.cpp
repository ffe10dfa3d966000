// The job record that the printer backend leaves next to the spool file, and the
// wait for this user's new job that reads it.
#include "PrintJob.h"
#include "UserAccount.h"

#include "Fakes.h"
#include "PrintContract.h"
#include "TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class PrintJobTest : public testing::Test
{
public:
    PrintJobTest() { work = scratch.file(QStringLiteral("work")); }

    // The backend's side of a finished job: the spool file, then its record.
    void printerFinishes(int job, const QByteArray& postScript = "%!PS new workbook")
    {
        jobs.jobsAt.insert({jobs.elapsed, {job, true, true}});
        writeFile(PostScriptSpoolFile(work), postScript);
        writeFile(PostScriptJobRecord(work), PrintJobRecordText(job, CurrentUserName()));
    }

    ScratchFolder scratch;
    QString work;
    FakeJobWatch jobs;
};

// The wait for the printer after the fixed wait, on a clock of its own.
TEST_F(PrintJobTest, WaitsForThisUsersNewJob)
{
    using Setup = std::function<void(PrintJobTest&)>;
    const struct
    {
        const char* name;
        Setup setup;
        bool ok;
        std::chrono::milliseconds until; // when the wait ends
        const char* reason;
    } rows[] = {
        {"record arrives after a slow job",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({0ms, {8, false, false}});
             t.jobs.actions.insert({90s, [&t] { t.printerFinishes(8); }});
         },
         true, 90s, ""},
        {"an older job's record is not ours",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({0ms, {8, false, false}});
             t.jobs.actions.insert({1s, [&t] { t.printerFinishes(6, "old"); }});
             t.jobs.actions.insert({3s, [&t] { t.printerFinishes(8); }});
         },
         true, 3s, ""},
        {"another user's record is not ours",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({0ms, {8, false, false}});
             t.jobs.actions.insert({1s, [&t] {
                                        writeFile(PostScriptJobRecord(t.work),
                                                  PrintJobRecordText(9, QStringLiteral("mallory")));
                                    }});
         },
         false, PrintJobTimeLimit, "did not finish"},
        {"cancelled job",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({2s, {8, true, false}});
         },
         false, 2s, "cancelled job 8"},
        {"no job at all", [](PrintJobTest&) {}, false, PrintJobStartLimit, "no print job reached"},
        {"job done without a record",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({1s, {8, true, true}});
         },
         false, 1s + 10 * PrintJobPollInterval, "without recording it"},
        {"CUPS cannot be asked: the record alone decides",
         [](PrintJobTest& t) {
             t.jobs.unreachable = true;
             t.jobs.actions.insert({4s, [&t] { t.printerFinishes(1); }});
         },
         true, 4s, ""},
        {"record without PostScript",
         [](PrintJobTest& t) {
             t.jobs.jobsAt.insert({0ms, {8, false, false}});
             t.jobs.actions.insert({1s, [&t] {
                                        writeFile(PostScriptJobRecord(t.work),
                                                  PrintJobRecordText(8, CurrentUserName()));
                                    }});
         },
         false, 1s, "left no PostScript"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        jobs = FakeJobWatch();
        QDir(work).removeRecursively();
        ASSERT_TRUE(PrepareWorkFolder(work).ok());
        row.setup(*this);
        const std::optional<PrintJobState> baseline =
            jobs.unreachable ? std::nullopt : std::optional(PrintJobState{7, true, true});
        const Status status = WaitForPrintedJob(work, CurrentUserName(), baseline, jobs);
        EXPECT_EQ(status.ok(), row.ok) << status.message().toStdString();
        EXPECT_TRUE(status.message().contains(QString::fromLatin1(row.reason)))
            << status.message().toStdString();
        EXPECT_LE(jobs.elapsed, row.until + PrintJobPollInterval);
        EXPECT_GE(jobs.elapsed, row.until);
    }
}

TEST(PrintJobRecord, OnlyTheExactThreeLinesAreARecord)
{
    const auto parsed = ParsePrintJobRecord("job-id=42\nuser=anna\ntitle=Sales (2009).xlsx\n");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->jobId, 42);
    EXPECT_EQ(parsed->user, QStringLiteral("anna"));
    EXPECT_EQ(parsed->title, QStringLiteral("Sales (2009).xlsx"));
    EXPECT_TRUE(ParsePrintJobRecord("job-id=1\nuser=anna\ntitle=\n"));
    for (const char* bad :
         {"", "job-id=42\nuser=anna\ntitle=x", "job-id=42\nuser=anna\n",
          "job-id=x\nuser=a\ntitle=t\n", "job-id=0\nuser=a\ntitle=t\n",
          "job-id=-3\nuser=a\ntitle=t\n", "job-id=\nuser=a\ntitle=t\n",
          "job-id=4\nuser=\ntitle=t\n", "user=a\njob-id=4\ntitle=t\n",
          "job-id=4\nuser=a\ntitle=t\nextra=1\n", "job-id=4\nuser=a\ntitle=t\n\n"})
        EXPECT_FALSE(ParsePrintJobRecord(bad)) << bad;
}

} // namespace
