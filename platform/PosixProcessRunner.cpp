#include "PosixProcessRunner.h"

#include "RunRegistry.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
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

void appendOutput(QByteArray& output, const char* data, qsizetype size)
{
    output.append(data, size);
    if (output.size() > OutputKept)
        output.remove(0, output.size() - OutputKept);
}

void endGroup(pid_t group)
{
    ::kill(-group, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        if (::kill(-group, 0) != 0)
            return;
        ::usleep(50 * 1000);
    }
    ::kill(-group, SIGKILL);
}

} // namespace

QString ProcessOutcome::describeFailure() const
{
    if (!started())
        return error;
    if (timedOut)
        return QStringLiteral("did not finish in time and was stopped");
    if (signal != 0)
        return QStringLiteral("was ended by signal %1 (%2)").arg(signal).arg(QString::fromLocal8Bit(::strsignal(signal)));
    return QStringLiteral("ended with exit code %1").arg(exitCode);
}

ProcessOutcome PosixProcessRunner::RunAndWait(const ProcessRequest& request)
{
    ProcessOutcome outcome;
    if (request.arguments.isEmpty()) {
        outcome.error = QStringLiteral("no program was named");
        return outcome;
    }

    std::vector<std::string> args;
    for (const QString& a : request.arguments)
        args.push_back(QFile::encodeName(a).toStdString());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> env = buildEnvironment(request);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.error = QStringLiteral("cannot create a pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
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
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

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
    const int rc = searchPath ? ::posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), envp.data())
                              : ::posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(pipeFds[1]);

    if (rc != 0) {
        ::close(pipeFds[0]);
        outcome.error = QStringLiteral("%1 could not be started: %2")
                            .arg(request.arguments.first(), QString::fromLocal8Bit(std::strerror(rc)));
        return outcome;
    }
    outcome.pid = pid;
    // The child leads a process group of its own: an interruption of the run ends
    // the group, with whatever the program started in it.
    RunRegistry::addProcessGroup(pid);

    using Clock = std::chrono::steady_clock;
    const auto deadline = request.timeout ? std::optional(Clock::now() + *request.timeout) : std::nullopt;
    int status = 0;
    bool exited = false;
    bool pipeOpen = true;
    std::optional<Clock::time_point> drainUntil;
    char buffer[8192];

    for (;;) {
        if (!exited) {
            const pid_t w = ::waitpid(pid, &status, WNOHANG);
            if (w == pid) {
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
            endGroup(pid);
            ::waitpid(pid, &status, 0);
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

    if (request.endGroupOnExit)
        endGroup(pid);
    RunRegistry::removeProcessGroup(pid);

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
