#include "Interruption.h"

#include <csignal>
#include <pthread.h>
#include <thread>

InterruptionWatch::InterruptionWatch(std::function<void(int signal)> onSignal)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // Detached: it lives until the process ends, which it may bring about itself.
    std::thread([set, onSignal = std::move(onSignal)]() {
        int signal = 0;
        while (sigwait(&set, &signal) != 0) {
        }
        onSignal(signal);
    }).detach();
}
