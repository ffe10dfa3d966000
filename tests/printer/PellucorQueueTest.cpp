// The printer "Pellucor" as users meet it: real jobs through the real CUPS queue
// and the installed backend. Needs the queue set up (scripts/setup-printer.sh);
// the cases with other users need root, which creates two system users for them.

#include "WorkFolder.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QString InstalledBackend = QStringLiteral("/usr/lib/cups/backend/pellucor");

QString workFolderOf(uid_t uid)
{
    return QString::fromStdString(WorkFolder::pathFor(uid));
}

struct Submitted
{
    long id = 0; // 0: refused
    QString output;
};

// Sends a file with lp, as `user` when one is given. Without a controlling
// terminal, so that a refused authentication ends lp instead of asking for a
// password.
Submitted submit(const QString& user, const QString& file, const QString& title,
                 const QStringList& extra = {})
{
    QStringList command{QStringLiteral("setsid"), QStringLiteral("-w")};
    if (!user.isEmpty())
        command << QStringLiteral("runuser") << QStringLiteral("-u") << user
                << QStringLiteral("--");
    command << QStringLiteral("lp") << QStringLiteral("-d") << QStringLiteral("Pellucor")
            << QStringLiteral("-t") << title << extra << file;
    const CommandOutput out = runTool(command);
    const auto match =
        QRegularExpression(QStringLiteral("request id is Pellucor-(\\d+)")).match(out.output);
    return {out.exitCode == 0 && match.hasMatch() ? match.captured(1).toLong() : 0, out.output};
}

std::string recordOf(long id, const QString& user, const QString& title)
{
    return QStringLiteral("job-id=%1\nuser=%2\ntitle=%3\n").arg(id).arg(user, title).toStdString();
}

std::string recordIn(const QString& folder)
{
    return readFile(folder + QStringLiteral("/tmp.ps.job")).toStdString();
}

// Waits until the folder's job record names the job, which means its PostScript
// is in place.
bool waitForRecord(const QString& folder, long id, std::chrono::seconds limit = 90s)
{
    const QByteArray prefix = "job-id=" + QByteArray::number(id) + "\n";
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (readFile(folder + QStringLiteral("/tmp.ps.job")).startsWith(prefix))
            return true;
        QThread::msleep(100);
    }
    return false;
}

// Waits until CUPS has finished with the job, whatever became of it.
bool waitUntilDone(long id, std::chrono::seconds limit = 90s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    const QString name = QStringLiteral("Pellucor-%1 ").arg(id);
    while (std::chrono::steady_clock::now() < end) {
        const CommandOutput out =
            runTool({QStringLiteral("lpstat"), QStringLiteral("-o"), QStringLiteral("Pellucor")});
        if (!out.output.contains(name))
            return true;
        QThread::msleep(100);
    }
    return false;
}

struct FileFacts
{
    bool exists = false;
    bool link = false;
    uid_t owner = 0;
    mode_t mode = 0;
};

FileFacts factsOf(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, S_ISLNK(st.st_mode), st.st_uid, st.st_mode & 07777};
}

class PellucorQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const CommandOutput device =
            runTool({QStringLiteral("lpstat"), QStringLiteral("-v"), QStringLiteral("Pellucor")});
        ASSERT_TRUE(device.output.contains(QStringLiteral("pellucor:/")))
            << "the printer Pellucor is not set up; run scripts/setup-printer.sh as root: "
            << device.output.toStdString();
        // The job's data must be readable by the test users too.
        ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0711), 0);
        input = scratch.file(QStringLiteral("job.ps"));
        writeFile(input, samplePostScript(QStringLiteral("Pellucor check")));
        ASSERT_EQ(::chmod(QFile::encodeName(input).constData(), 0644), 0);
    }

    ScratchFolder scratch;
    QString input;
};

TEST_F(PellucorQueueTest, QueueIsSetUpAsTheProgramNeeds)
{
    const QString query = scratch.file(QStringLiteral("attributes.test"));
    writeFile(query, "{\n OPERATION Get-Printer-Attributes\n GROUP operation-attributes-tag\n"
                     " ATTR charset attributes-charset utf-8\n"
                     " ATTR naturalLanguage attributes-natural-language en\n"
                     " ATTR uri printer-uri $uri\n"
                     " ATTR keyword requested-attributes "
                     "device-uri,printer-is-shared,printer-error-policy,printer-op-policy,printer-"
                     "make-and-model\n"
                     " STATUS successful-ok\n}\n");
    const CommandOutput attributes =
        runTool({QStringLiteral("ipptool"), QStringLiteral("-tv"),
                 QStringLiteral("ipp://localhost/printers/Pellucor"), query});
    ASSERT_EQ(attributes.exitCode, 0) << attributes.output.toStdString();
    for (const char* expected :
         {"device-uri (uri) = pellucor:/", "printer-is-shared (boolean) = false",
          "printer-error-policy (nameWithoutLanguage) = abort-job",
          "printer-op-policy (nameWithoutLanguage) = authenticated",
          "printer-make-and-model (textWithoutLanguage) = Generic PostScript Printer"})
        EXPECT_TRUE(attributes.output.contains(QLatin1String(expected))) << expected;

    const CommandOutput options =
        runTool({QStringLiteral("lpoptions"), QStringLiteral("-p"), QStringLiteral("Pellucor")});
    EXPECT_TRUE(options.output.contains(QStringLiteral("pdftops-renderer=pdftocairo")))
        << options.output.toStdString();

    // CUPS runs the backend as root only when nobody else may execute it.
    const FileFacts backend = factsOf(InstalledBackend);
    EXPECT_TRUE(backend.exists && !backend.link);
    EXPECT_EQ(backend.owner, 0u);
    EXPECT_EQ(backend.mode, 0700u);
}

TEST_F(PellucorQueueTest, AJobLandsInTheSendersSpoolFile)
{
    const passwd* me = ::getpwuid(::getuid());
    ASSERT_NE(me, nullptr);
    const QString folder = workFolderOf(::getuid());

    // CUPS itself turns a title with control characters into "Untitled"; the
    // backend's own handling of line breaks is a unit test.
    const QString title = QStringLiteral("Quarterly report \u2013 Q1");
    const Submitted job = submit({}, input, title);
    ASSERT_NE(job.id, 0) << job.output.toStdString();
    ASSERT_TRUE(waitForRecord(folder, job.id)) << "no record for job " << job.id;

    EXPECT_EQ(recordIn(folder), recordOf(job.id, QString::fromLocal8Bit(me->pw_name), title));
    const QByteArray postScript = readFile(folder + QStringLiteral("/tmp.ps"));
    EXPECT_TRUE(postScript.startsWith("%!PS"));
    EXPECT_TRUE(postScript.contains("(Tabloria sample page) show"));
    for (const QString& name : {QStringLiteral("tmp.ps"), QStringLiteral("tmp.ps.job")}) {
        const FileFacts facts = factsOf(folder + QLatin1Char('/') + name);
        EXPECT_EQ(facts.owner, ::getuid()) << name.toStdString();
        EXPECT_EQ(facts.mode, 0600u) << name.toStdString();
    }
}

// Two system users of our own, removed afterwards.
class PellucorUsersTest : public PellucorQueueTest
{
protected:
    static constexpr const char* First = "tabloria-ta";
    static constexpr const char* Second = "tabloria-tb";

    static void SetUpTestSuite()
    {
        if (::geteuid() != 0)
            return;
        for (const char* name : {First, Second}) {
            removeUser(name);
            for (int attempt = 0; attempt < 10; ++attempt) {
                const CommandOutput added =
                    runTool({QStringLiteral("useradd"), QStringLiteral("--system"),
                             QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                             QStringLiteral("/usr/sbin/nologin"), QLatin1String(name)});
                if (added.exitCode == 0)
                    break;
                QThread::msleep(500); // another program holds the password file's lock
            }
        }
    }

    static void TearDownTestSuite()
    {
        if (::geteuid() != 0)
            return;
        removeUser(First);
        removeUser(Second);
    }

    static void removeUser(const char* name)
    {
        if (const passwd* account = ::getpwnam(name)) {
            QDir(workFolderOf(account->pw_uid)).removeRecursively();
            QFile::remove(workFolderOf(account->pw_uid));
            for (int attempt = 0; attempt < 10; ++attempt) {
                if (runTool({QStringLiteral("userdel"), QLatin1String(name)}).exitCode == 0)
                    break;
                QThread::msleep(500);
            }
        }
    }

    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "creating test users needs root";
        PellucorQueueTest::SetUp();
        for (const char* name : {First, Second}) {
            const passwd* account = ::getpwnam(name);
            ASSERT_NE(account, nullptr) << "could not create the user " << name;
            uids.push_back(account->pw_uid);
            folders.push_back(workFolderOf(account->pw_uid));
            QDir(folders.back()).removeRecursively();
            QFile::remove(folders.back());
        }
    }

    std::vector<uid_t> uids;
    QStringList folders;
};

TEST_F(PellucorUsersTest, AnotherUsersJobIsTheirsAndPrivate)
{
    const Submitted job = submit(QLatin1String(First), input, QStringLiteral("Sales 2009"));
    ASSERT_NE(job.id, 0) << job.output.toStdString();
    ASSERT_TRUE(waitForRecord(folders[0], job.id));
    EXPECT_EQ(recordIn(folders[0]),
              recordOf(job.id, QLatin1String(First), QStringLiteral("Sales 2009")));
    EXPECT_TRUE(
        readFile(folders[0] + QStringLiteral("/tmp.ps")).contains("(Tabloria sample page) show"));
    const FileFacts folder = factsOf(folders[0]);
    EXPECT_EQ(folder.owner, uids[0]);
    EXPECT_EQ(folder.mode, 0700u);
    for (const QString& name : {QStringLiteral("tmp.ps"), QStringLiteral("tmp.ps.job")}) {
        const FileFacts facts = factsOf(folders[0] + QLatin1Char('/') + name);
        EXPECT_EQ(facts.owner, uids[0]) << name.toStdString();
        EXPECT_EQ(facts.mode, 0600u) << name.toStdString();
    }
    // Nothing of it reached the other user or root.
    EXPECT_FALSE(factsOf(folders[1]).exists);
}

TEST_F(PellucorUsersTest, NobodyCanSendAJobInAnotherUsersName)
{
    const Submitted own = submit(QLatin1String(First), input, QStringLiteral("own"));
    ASSERT_NE(own.id, 0) << own.output.toStdString();
    ASSERT_TRUE(waitForRecord(folders[0], own.id));
    const QByteArray spool = readFile(folders[0] + QStringLiteral("/tmp.ps"));

    const QString forged = scratch.file(QStringLiteral("forged.ps"));
    writeFile(
        forged,
        "%!PS\n/Helvetica findfont 12 scalefont setfont 72 72 moveto (planted) show showpage\n");
    ASSERT_EQ(::chmod(QFile::encodeName(forged).constData(), 0644), 0);
    const std::vector<std::pair<QString, QStringList>> attempts = {
        {QLatin1String(Second), {QStringLiteral("-U"), QLatin1String(First)}}, // another user
        {QString(), {QStringLiteral("-U"), QLatin1String(First)}},             // root
    };
    for (const auto& [sender, extra] : attempts) {
        const Submitted attempt = submit(sender, forged, QStringLiteral("forged"), extra);
        if (attempt.id != 0) {
            EXPECT_TRUE(waitUntilDone(attempt.id));
        }
    }
    // The queue runs its jobs in order: once a later job is in place, any forged
    // job has been handled too.
    const Submitted later = submit(QLatin1String(Second), input, QStringLiteral("later"));
    ASSERT_NE(later.id, 0) << later.output.toStdString();
    ASSERT_TRUE(waitForRecord(folders[1], later.id));

    EXPECT_EQ(recordIn(folders[0]), recordOf(own.id, QLatin1String(First), QStringLiteral("own")));
    EXPECT_EQ(readFile(folders[0] + QStringLiteral("/tmp.ps")), spool);
}

TEST_F(PellucorUsersTest, LinksInTheWayAreNotFollowed)
{
    // A file of the user's elsewhere, which a link at "tmp.ps" points at.
    const QString victim = scratch.file(QStringLiteral("victim"));
    writeFile(victim, "the user's own file");
    ASSERT_EQ(::chown(QFile::encodeName(victim).constData(), uids[0], static_cast<gid_t>(-1)), 0);
    ASSERT_TRUE(QDir().mkdir(folders[0]));
    ASSERT_EQ(::chmod(QFile::encodeName(folders[0]).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(folders[0]).constData(), uids[0], static_cast<gid_t>(-1)),
              0);
    ASSERT_TRUE(QFile::link(victim, folders[0] + QStringLiteral("/tmp.ps")));

    const Submitted job = submit(QLatin1String(First), input, QStringLiteral("over a link"));
    ASSERT_NE(job.id, 0) << job.output.toStdString();
    ASSERT_TRUE(waitForRecord(folders[0], job.id));
    EXPECT_EQ(readFile(victim), QByteArray("the user's own file"));
    EXPECT_FALSE(factsOf(folders[0] + QStringLiteral("/tmp.ps")).link);

    // A link in place of the other user's work folder, to a folder that would
    // otherwise be fit: the job is refused and writes nothing there.
    const QString elsewhere = scratch.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(elsewhere).constData(), uids[1], static_cast<gid_t>(-1)),
              0);
    ASSERT_TRUE(QFile::link(elsewhere, folders[1]));
    const Submitted refused = submit(QLatin1String(Second), input, QStringLiteral("into a link"));
    ASSERT_NE(refused.id, 0) << refused.output.toStdString();
    ASSERT_TRUE(waitUntilDone(refused.id));
    EXPECT_TRUE(QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                        QDir::NoDotAndDotDot));
    EXPECT_TRUE(factsOf(folders[1]).link);
}

// The installed backend started the way CUPS starts it, for inputs that CUPS
// itself never lets through (lp refuses an empty file).
TEST_F(PellucorUsersTest, RefusedJobsLeaveNoFile)
{
    struct Case
    {
        const char* what;
        QString user;
        QString data;
    };
    const QString empty = scratch.file(QStringLiteral("empty.ps"));
    writeFile(empty, {});
    const std::vector<Case> cases = {
        {"empty stream", QLatin1String(First), QStringLiteral("/dev/null")},
        {"empty file", QLatin1String(First), empty},
        {"unknown user", QStringLiteral("tabloria-nobody-here"), input},
    };
    for (const Case& c : cases) {
        QStringList command{InstalledBackend,        QStringLiteral("900001"), c.user,
                            QStringLiteral("title"), QStringLiteral("1"),      QString()};
        if (c.data != QStringLiteral("/dev/null"))
            command << c.data;
        const CommandOutput out = runTool(command);
        EXPECT_EQ(out.exitCode, 5) << c.what << ": " << out.output.toStdString(); // cancel this job
        EXPECT_TRUE(out.output.contains(QStringLiteral("ERROR:"))) << c.what;
        EXPECT_TRUE(
            QDir(folders[0])
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            << c.what;
    }
}

} // namespace
