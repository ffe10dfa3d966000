#include "PosixProcessRunner.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

// Whether a process of the group still runs. A member that left our child ends as
// a zombie of another parent; it has ended.
bool groupRuns(pid_t group)
{
    for (const QString& entry :
         QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toInt() == group && fields[0] != "Z")
            return true;
    }
    return false;
}

// The kill is sent without waiting; give the kernel a moment to carry it out.
bool groupEnds(pid_t group)
{
    for (int i = 0; i < 100; ++i) {
        if (!groupRuns(group))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

ProcessOutcome run(QStringList args,
                   std::optional<std::chrono::milliseconds> timeout = std::nullopt)
{
    PosixProcessRunner runner;
    ProcessRequest request;
    request.arguments = std::move(args);
    request.timeout = timeout;
    return runner.RunAndWait(request);
}

TEST(PosixProcessRunnerTest, MissingProgramIsNotStarted)
{
    for (const QString& program :
         {QStringLiteral("/nonexistent/gs"), QStringLiteral("no-such-program-tabloria")}) {
        const ProcessOutcome o = run({program});
        EXPECT_FALSE(o.started());
        EXPECT_TRUE(o.error.contains(QStringLiteral("No such file"))) << o.error.toStdString();
    }
}

TEST(PosixProcessRunnerTest, ReportsExitCodeOutputAndArgumentsVerbatim)
{
    const ProcessOutcome o =
        run({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
             QStringLiteral("printf '%s|' \"$@\"; echo err >&2; exit 3"), QStringLiteral("sh"),
             QStringLiteral("a b"), QStringLiteral("\"q\""), QStringLiteral("$(x)")});
    EXPECT_TRUE(o.started());
    EXPECT_EQ(o.exitCode, 3);
    EXPECT_FALSE(o.succeeded());
    EXPECT_EQ(o.output, "a b|\"q\"|$(x)|err\n");
    EXPECT_EQ(o.describeFailure(), QStringLiteral("ended with exit code 3"));
}

TEST(PosixProcessRunnerTest, KilledChildIsReported)
{
    const ProcessOutcome o =
        run({QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("kill -9 $$")});
    EXPECT_EQ(o.signal, SIGKILL);
    EXPECT_FALSE(o.succeeded());
}

TEST(PosixProcessRunnerTest, TimeLimitEndsTheWholeGroup)
{
    const auto start = std::chrono::steady_clock::now();
    const ProcessOutcome o = run({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                  QStringLiteral("sleep 30 & sleep 30; echo never")},
                                 std::chrono::milliseconds(300));
    EXPECT_TRUE(o.timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(groupEnds(o.pid)) << "a member of the group survived";
}

TEST(PosixProcessRunnerTest, EnvironmentChangesApplyToTheChildOnly)
{
    qputenv("TABLORIA_TEST_GONE", "present");
    PosixProcessRunner runner;
    ProcessRequest request;
    request.arguments = {
        QStringLiteral("/bin/sh"), QStringLiteral("-c"),
        QStringLiteral("echo \"${TABLORIA_TEST_GONE-unset}:$TABLORIA_TEST_SET\"; pwd")};
    request.environment = {{QStringLiteral("TABLORIA_TEST_GONE"), std::nullopt},
                           {QStringLiteral("TABLORIA_TEST_SET"), QStringLiteral("v a l")}};
    request.workingDirectory = QStringLiteral("/tmp");
    EXPECT_EQ(runner.RunAndWait(request).output, "unset:v a l\n/tmp\n");
    EXPECT_EQ(qgetenv("TABLORIA_TEST_GONE"), "present");
}

// Only the child is waited for: neither a daemon that holds its output nor a helper
// that a double fork took out of the child's family costs time; what stayed in the
// child's group is killed.
TEST(PosixProcessRunnerTest, OnlyTheChildIsWaitedFor)
{
    const struct
    {
        const char* script;
        std::chrono::milliseconds limit;
    } rows[] = {
        {"sleep 20 & echo started", std::chrono::seconds(10)},
        {"(sleep 3 >/dev/null 2>&1 &); exit 0", std::chrono::milliseconds(1500)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        const auto start = std::chrono::steady_clock::now();
        PosixProcessRunner runner;
        ProcessRequest request;
        request.arguments = {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                             QString::fromUtf8(row.script)};
        request.endGroupOnExit = true;
        const ProcessOutcome o = runner.RunAndWait(request);
        EXPECT_TRUE(o.succeeded());
        EXPECT_LT(std::chrono::steady_clock::now() - start, row.limit);
        EXPECT_TRUE(groupEnds(o.pid));
    }
}

} // namespace
