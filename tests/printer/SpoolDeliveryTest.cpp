#include "SpoolDelivery.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>

#include <cups/backend.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string s(const QString& q)
{
    return QFile::encodeName(q).toStdString();
}

// The backend's logic run as the current user against a scratch work folder: the
// accounts, the identity switch and the folder's place are fakes.
class SpoolDeliveryTest : public ::testing::Test
{
protected:
    SpoolDeliveryTest() : folder(scratch.file(QStringLiteral("work")))
    {
        services.findAccount = [](const std::string& name) -> std::optional<Account> {
            if (name != "alice")
                return std::nullopt;
            return Account{name, ::getuid(), ::getgid()};
        };
        services.becomeAccount = [this](const Account& account) {
            became.push_back(account.name);
            return identityFailure ? PlainStatus::failure(*identityFailure) : PlainStatus();
        };
        services.workFolderFor = [this](uid_t) { return s(folder); };
    }

    // Delivers a job whose data is the given bytes.
    DeliveryOutcome deliver(const QByteArray& data, const std::string& user = "alice", long id = 7,
                            const std::string& title = "Sales 2009")
    {
        const QString input = scratch.file(QStringLiteral("input"));
        writeFile(input, data);
        const int fd = ::open(s(input).c_str(), O_RDONLY);
        BackendJob job;
        job.id = id;
        job.user = user;
        job.title = title;
        const DeliveryOutcome outcome = deliverJob(job, fd, services);
        ::close(fd);
        return outcome;
    }

    QStringList entries() const
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString spoolFile() const { return folder + QStringLiteral("/tmp.ps"); }
    QString record() const { return folder + QStringLiteral("/tmp.ps.job"); }

    ScratchFolder scratch;
    QString folder;
    DeliveryServices services;
    std::vector<std::string> became;
    std::optional<std::string> identityFailure;
};

TEST_F(SpoolDeliveryTest, WritesTheSpoolFileThenItsRecord)
{
    const QByteArray postScript = samplePostScript();
    const DeliveryOutcome outcome = deliver(postScript, "alice", 7, "Sales\n2009");
    ASSERT_EQ(outcome.exitCode, CUPS_BACKEND_OK) << outcome.message;
    EXPECT_EQ(became, std::vector<std::string>{"alice"});
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("tmp.ps"), QStringLiteral("tmp.ps.job")}));
    EXPECT_EQ(readFile(spoolFile()), postScript);
    EXPECT_EQ(readFile(record()), QByteArray("job-id=7\nuser=alice\ntitle=Sales 2009\n"));
    for (const QString& file : {folder, spoolFile(), record()}) {
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(s(file).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, S_ISDIR(st.st_mode) ? 0700u : 0600u) << file.toStdString();
    }

    // The next job replaces both.
    ASSERT_EQ(deliver("%!PS second", "alice", 8, "Next").exitCode, CUPS_BACKEND_OK);
    EXPECT_EQ(readFile(spoolFile()), QByteArray("%!PS second"));
    EXPECT_EQ(readFile(record()), QByteArray("job-id=8\nuser=alice\ntitle=Next\n"));
    EXPECT_EQ(entries().size(), 2);
}

TEST_F(SpoolDeliveryTest, RefusedJobsLeaveThePreviousJobAlone)
{
    ASSERT_EQ(deliver("%!PS previous", "alice", 3).exitCode, CUPS_BACKEND_OK);

    EXPECT_EQ(deliver("%!PS", "mallory").exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_EQ(deliver("").exitCode, CUPS_BACKEND_CANCEL);
    identityFailure = "setresuid: Operation not permitted";
    const DeliveryOutcome refused = deliver("%!PS");
    EXPECT_EQ(refused.exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_NE(refused.message.find("setresuid"), std::string::npos) << refused.message;

    EXPECT_EQ(readFile(spoolFile()), QByteArray("%!PS previous"));
    EXPECT_EQ(readFile(record()), QByteArray("job-id=3\nuser=alice\ntitle=Sales 2009\n"));
    EXPECT_EQ(entries().size(), 2) << entries().join(u' ').toStdString();
}

TEST_F(SpoolDeliveryTest, LinksAreReplacedNeverFollowed)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString victim = scratch.file(QStringLiteral("victim"));
    writeFile(victim, "untouched");
    ASSERT_TRUE(QFile::link(victim, spoolFile()));
    ASSERT_TRUE(QFile::link(victim, record()));

    ASSERT_EQ(deliver("%!PS job").exitCode, CUPS_BACKEND_OK);
    EXPECT_EQ(readFile(victim), QByteArray("untouched"));
    EXPECT_FALSE(QFileInfo(spoolFile()).isSymLink());
    EXPECT_FALSE(QFileInfo(record()).isSymLink());
    EXPECT_EQ(readFile(spoolFile()), QByteArray("%!PS job"));
}

TEST_F(SpoolDeliveryTest, RefusesAWorkFolderThatIsNotPrivate)
{
    const QString elsewhere = scratch.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    QFile::setPermissions(elsewhere, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A link in place of the folder.
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    EXPECT_EQ(deliver("%!PS").exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_TRUE(QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // A real folder that others can enter.
    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(s(folder).c_str(), 0755), 0);
    const DeliveryOutcome open = deliver("%!PS");
    EXPECT_EQ(open.exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_NE(open.message.find("other users"), std::string::npos) << open.message;
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(SpoolDeliveryTest, FailuresLeaveNoTemporaryFile)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The job's data cannot be read (a folder is no stream).
    BackendJob job;
    job.id = 1;
    job.user = "alice";
    const int unreadable = ::open(s(scratch.path()).c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_EQ(deliverJob(job, unreadable, services).exitCode, CUPS_BACKEND_CANCEL);
    ::close(unreadable);
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();

    // "tmp.ps" cannot be replaced.
    ASSERT_TRUE(QDir().mkpath(spoolFile()));
    EXPECT_EQ(deliver("%!PS").exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("tmp.ps")});
    ASSERT_TRUE(QDir(spoolFile()).removeRecursively());

    // The record cannot be written: the spool file goes too, nothing waits for it.
    ASSERT_TRUE(QDir().mkpath(record()));
    EXPECT_EQ(deliver("%!PS").exitCode, CUPS_BACKEND_CANCEL);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("tmp.ps.job")});
}

} // namespace
