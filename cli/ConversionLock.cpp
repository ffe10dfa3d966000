#include "ConversionLock.h"

#include "Terminal.h"

#include <cerrno>
#include <thread>

using namespace std::chrono_literals;

Result<InstanceLock>
AcquireConversionLock(const QString& path, Terminal& terminal,
                      const std::function<void(std::chrono::milliseconds)>& sleep)
{
    constexpr auto Pause = 200ms;
    Result<InstanceLock> lock = InstanceLock::acquire(path, InstanceLock::Mode::TryOnce);
    if (lock.ok() || lock.status().code() != EWOULDBLOCK)
        return lock;

    const pid_t holder = InstanceLock::holder(path);
    const QString who =
        holder > 0 ? QStringLiteral("process %1").arg(holder) : QStringLiteral("another process");
    terminal.printMessage(
        QStringLiteral("tabloria-convert: another conversion of yours (%1) is running; waiting for "
                       "it to finish (Ctrl-C stops waiting)")
            .arg(who));
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (sleep)
            sleep(Pause);
        else
            std::this_thread::sleep_for(Pause);
        lock = InstanceLock::acquire(path, InstanceLock::Mode::TryOnce);
        if (lock.ok() || lock.status().code() != EWOULDBLOCK)
            break;
        const auto waited = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::steady_clock::now() - start);
        terminal.showProgress(
            QStringLiteral("waiting for %1 ... %2 s").arg(who).arg(waited.count()));
    }
    return lock;
}
