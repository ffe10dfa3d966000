#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include <sys/types.h>

// One program to start: an argument vector that no shell ever sees.
struct ProcessRequest
{
    QStringList arguments; // arguments[0] is the program; without a '/' it is looked up in PATH
    QString workingDirectory; // empty: the caller's
    // Changes to the caller's environment: a value sets the variable, nullopt removes it.
    std::vector<std::pair<QString, std::optional<QString>>> environment;
    // Empty: wait as long as it takes. Otherwise the process group is ended when the
    // time is up. Only the program itself is waited for, never the rest of its group.
    std::optional<std::chrono::milliseconds> timeout;
    // Kill whatever the program left running in its process group once it has exited
    // (without waiting for it: what left the program is not ours to reap).
    bool endGroupOnExit = false;
};

struct ProcessOutcome
{
    pid_t pid = 0;          // 0 when the program could not be started
    bool timedOut = false;
    int exitCode = -1;      // valid when the program exited by itself
    int signal = 0;         // the signal that ended it, or 0
    QByteArray output;      // standard output and error together, the last 64 KiB
    QString error;          // why it could not be started, when pid == 0

    bool started() const { return pid != 0; }
    bool succeeded() const { return started() && !timedOut && signal == 0 && exitCode == 0; }
    // A short account of a failure for messages: "exit code 1", "killed by signal 9", ...
    QString describeFailure() const;
};

// Starts a program and waits for it to end: the seam through which the engine
// starts every outside program.
class ProcessRunner
{
public:
    virtual ~ProcessRunner() = default;
    virtual ProcessOutcome RunAndWait(const ProcessRequest& request) = 0;
};
