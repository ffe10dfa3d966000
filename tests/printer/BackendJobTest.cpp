#include "BackendJob.h"

#include <gtest/gtest.h>

namespace {

TEST(BackendJobTest, ReadsTheArgumentsCupsPasses)
{
    const auto fromStdin = parseBackendArguments({"42", "alice", "Sales 2009", "1", "media=A4"});
    ASSERT_TRUE(fromStdin);
    EXPECT_EQ(fromStdin->id, 42);
    EXPECT_EQ(fromStdin->user, "alice");
    EXPECT_EQ(fromStdin->title, "Sales 2009");
    EXPECT_FALSE(fromStdin->file);

    const auto fromFile =
        parseBackendArguments({"7", "bob", "", "1", "", "/var/spool/cups/d00007-001"});
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->file, "/var/spool/cups/d00007-001");
}

TEST(BackendJobTest, RefusesWhatIsNotAJob)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"1", "alice", "t", "1"},
        {"1", "alice", "t", "1", "", "file", "extra"},
        {"0", "alice", "t", "1", ""},
        {"-3", "alice", "t", "1", ""},
        {"12x", "alice", "t", "1", ""},
        {"", "alice", "t", "1", ""},
        {"99999999999999999999999", "alice", "t", "1", ""},
    };
    for (const auto& arguments : cases)
        EXPECT_FALSE(parseBackendArguments(arguments))
            << (arguments.empty() ? "(none)" : arguments[0]);
}

TEST(BackendJobTest, RecordKeepsEveryFieldOnItsLine)
{
    BackendJob job;
    job.id = 314;
    job.user = "alice";
    job.title = "Q1\r\nreport\nfinal\r";
    EXPECT_EQ(formatJobRecord(job), "job-id=314\nuser=alice\ntitle=Q1  report final \n");
    job.title.clear();
    EXPECT_EQ(formatJobRecord(job), "job-id=314\nuser=alice\ntitle=\n");
}

} // namespace
