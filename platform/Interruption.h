#pragma once

#include <functional>

// SIGINT, SIGTERM and SIGHUP, taken out of the hands of every thread and handled on
// a thread of their own. Construct it first thing in main, before any thread is
// started, so that all of them inherit the blocked signals. onSignal runs on that
// thread for the first signal that arrives and is expected to end the process
// (_exit with 128 + the signal); a further signal while it runs is ignored.
class InterruptionWatch
{
public:
    explicit InterruptionWatch(std::function<void(int signal)> onSignal);
    InterruptionWatch(const InterruptionWatch&) = delete;
    InterruptionWatch& operator=(const InterruptionWatch&) = delete;
};
