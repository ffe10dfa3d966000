#pragma once

#include "ProcessRunner.h"
#include "Status.h"

#include <chrono>
#include <memory>
#include <optional>

#include <sys/types.h>

// A program that runs beside ours until we end it, such as the office that serves a
// whole conversion run. It gets /dev/null for its input and output and a process
// group of its own. The kernel kills it when the thread that started it ends, so
// that it never outlives the run that needs it, not even a crash or Ctrl-C of ours.
// Only our own child is ever waited for and reaped.
class BackgroundProcess
{
public:
    // Starts request.arguments with request.environment; the working directory and
    // time limit of the request are not used.
    static Result<std::unique_ptr<BackgroundProcess>> start(const ProcessRequest& request);

    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    pid_t pid() const { return m_pid; }

    // Whether the program still runs. Once it has ended it is reaped and its exit
    // code (or the signal that ended it, as 128 + signal) is kept.
    bool running();
    std::optional<int> exitStatus() const { return m_exitStatus; }

    // Asks the program's group to end (SIGTERM), waits up to grace for the program,
    // then kills the group and reaps the program. Does nothing once it has ended.
    void end(std::chrono::milliseconds grace);

private:
    explicit BackgroundProcess(pid_t pid) : m_pid(pid) {}
    void keep(int status);

    pid_t m_pid = 0;
    std::optional<int> m_exitStatus;
};
