#include "PosixProcessRunner.h"

#include "BackgroundProcess.h"
#include "RunRegistry.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr qsizetype OutputKept = 64 * 1024;

std::vector<std::string> buildEnvironment(const ProcessRequest& request)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry(*e);
        const auto eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : request.environment) {
        const std::string key = name.toStdString();
        if (value)
            vars[key] = value->toStdString();
        else
            vars.erase(key);
    }
    std::vector<std::string> out;
    out.reserve(vars.size());
    for (const auto& [name, value] : vars)
        out.push_back(name + "=" + value);
    return out;
}

// The argument and environment vectors of a child, in the form exec takes.
struct ChildVectors
{
    explicit ChildVectors(const ProcessRequest& request) : env(buildEnvironment(request))
    {
        for (const QString& a : request.arguments)
            args.push_back(QFile::encodeName(a).toStdString());
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
    }

    std::vector<std::string> args;
    std::vector<std::string> env;
    std::vector<char*> argv;
    std::vector<char*> envp;
};

void appendOutput(QByteArray& output, const char* data, qsizetype size)
{
    output.append(data, size);
    if (output.size() > OutputKept)
        output.remove(0, output.size() - OutputKept);
}

// Whether child has ended, without reaping it: until it is reaped its number
// cannot name another process group, so its own group can still be killed safely.
bool hasExited(pid_t child)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid == child;
}

int reap(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Ends the group of a child that is still running: asks it to end, gives our own
// child up to two seconds, then kills the whole group and reaps the child. Only the
// child is waited for; a member that left it may linger as a zombie of another
// parent, which must not cost time here.
int endRunningGroup(pid_t child)
{
    ::kill(-child, SIGTERM);
    for (int i = 0; i < 40 && !hasExited(child); ++i)
        ::usleep(50 * 1000);
    ::kill(-child, SIGKILL);
    return reap(child);
}

} // namespace

QString ProcessOutcome::describeFailure() const
{
    if (!started())
        return error;
    if (timedOut)
        return QStringLiteral("did not finish in time and was stopped");
    if (signal != 0)
        return QStringLiteral("was ended by signal %1 (%2)")
            .arg(signal)
            .arg(QString::fromLocal8Bit(::strsignal(signal)));
    return QStringLiteral("ended with exit code %1").arg(exitCode);
}

ProcessOutcome PosixProcessRunner::RunAndWait(const ProcessRequest& request)
{
    ProcessOutcome outcome;
    if (request.arguments.isEmpty()) {
        outcome.error = QStringLiteral("no program was named");
        return outcome;
    }

    ChildVectors child(request);
    std::vector<std::string>& args = child.args;
    std::vector<char*>& argv = child.argv;
    std::vector<char*>& envp = child.envp;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.error = QStringLiteral("cannot create a pipe: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return outcome;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::string cwd;
    if (!request.workingDirectory.isEmpty()) {
        cwd = QFile::encodeName(request.workingDirectory).toStdString();
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    }

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                        POSIX_SPAWN_SETSIGMASK);

    if (RunRegistry::abandoned()) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        outcome.error = QStringLiteral("the run was interrupted");
        return outcome;
    }
    pid_t pid = 0;
    const bool searchPath = args[0].find('/') == std::string::npos;
    const int rc = searchPath
                       ? ::posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), envp.data())
                       : ::posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(pipeFds[1]);

    if (rc != 0) {
        ::close(pipeFds[0]);
        outcome.error =
            QStringLiteral("%1 could not be started: %2")
                .arg(request.arguments.first(), QString::fromLocal8Bit(std::strerror(rc)));
        return outcome;
    }
    outcome.pid = pid;
    // The child leads a process group of its own: an interruption of the run ends
    // the group, with whatever the program started in it.
    RunRegistry::addProcessGroup(pid);

    using Clock = std::chrono::steady_clock;
    const auto deadline =
        request.timeout ? std::optional(Clock::now() + *request.timeout) : std::nullopt;
    int status = 0;
    bool exited = false;
    bool pipeOpen = true;
    std::optional<Clock::time_point> drainUntil;
    char buffer[8192];

    for (;;) {
        if (!exited) {
            if (hasExited(pid)) {
                exited = true;
                // Something the program started may hold the pipe open; read what is
                // there for a moment, then stop listening.
                drainUntil = Clock::now() + std::chrono::milliseconds(200);
            }
        }
        if (exited && (!pipeOpen || Clock::now() >= *drainUntil))
            break;
        if (!exited && deadline && Clock::now() >= *deadline) {
            outcome.timedOut = true;
            status = endRunningGroup(pid);
            exited = true;
            break;
        }
        if (!pipeOpen) {
            ::usleep(20 * 1000);
            continue;
        }
        pollfd pfd{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&pfd, 1, 50);
        if (ready > 0) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0)
                appendOutput(outcome.output, buffer, n);
            else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                pipeOpen = false;
        }
    }
    ::close(pipeFds[0]);

    if (!outcome.timedOut) {
        // What the child left in its group is killed without waiting, then the child
        // is reaped. The group leaves the run's registry before its number can be
        // given to another.
        if (request.endGroupOnExit)
            ::kill(-pid, SIGKILL);
        RunRegistry::removeProcessGroup(pid);
        status = reap(pid);
    } else {
        RunRegistry::removeProcessGroup(pid);
    }

    if (!outcome.timedOut) {
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            outcome.signal = WTERMSIG(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    return outcome;
}

Result<std::unique_ptr<BackgroundProcess>> BackgroundProcess::start(const ProcessRequest& request)
{
    if (request.arguments.isEmpty())
        return Status::failure(QStringLiteral("no program was named"));
    // Everything the child needs is made before the fork: between fork and exec only
    // async-signal-safe calls are allowed in a program with threads.
    QString program = request.arguments.first();
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
        return Status::failure(
            QStringLiteral("%1 could not be started: %2")
                .arg(request.arguments.first(), QString::fromLocal8Bit(std::strerror(ENOENT))),
            ENOENT);
    const std::string path = QFile::encodeName(program).toStdString();
    ChildVectors child(request);
    std::vector<char*>& argv = child.argv;
    std::vector<char*>& envp = child.envp;

    // The child reports a failed exec through this pipe, which closes on success.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return Status::failure(QStringLiteral("cannot create a pipe: %1")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno))),
                               errno);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return Status::failure(
            QStringLiteral("%1 could not be started: %2")
                .arg(request.arguments.first(), QString::fromLocal8Bit(std::strerror(err))),
            err);
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        // Nothing else of ours goes with it: a pipe it held open would keep whoever
        // reads the other end waiting for as long as the office runs.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(path.c_str(), argv.data(), envp.data());
        const int err = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(report[1]);
    int err = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof err)) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return Status::failure(
            QStringLiteral("%1 could not be started: %2")
                .arg(request.arguments.first(), QString::fromLocal8Bit(std::strerror(err))),
            err);
    }
    return std::unique_ptr<BackgroundProcess>(new BackgroundProcess(pid));
}

BackgroundProcess::~BackgroundProcess()
{
    end(std::chrono::milliseconds(0));
}

void BackgroundProcess::keep(int status)
{
    if (WIFEXITED(status))
        m_exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m_exitStatus = 128 + WTERMSIG(status);
    else
        m_exitStatus = -1;
}

bool BackgroundProcess::running()
{
    if (m_exitStatus)
        return false;
    if (!hasExited(m_pid))
        return true;
    ::kill(-m_pid, SIGKILL); // what it left in its group
    keep(reap(m_pid));
    return false;
}

void BackgroundProcess::end(std::chrono::milliseconds grace)
{
    if (!running())
        return;
    if (grace.count() > 0) {
        ::kill(-m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + grace;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!running())
                return;
            ::usleep(20 * 1000);
        }
    }
    ::kill(-m_pid, SIGKILL);
    keep(reap(m_pid));
}
