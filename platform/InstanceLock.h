#pragma once

#include "Status.h"

#include <QString>

#include <sys/types.h>

#include <chrono>

// A lock file held with flock for the life of the object. The kernel drops the lock
// when the process ends, so a crash leaves no stale lock behind. The holder writes
// its process id into the file, so that one who waits can say for whom.
class InstanceLock
{
public:
    enum class Mode
    {
        TryOnce,
        Wait
    };

    // Opens (creating it with mode 0600, never through a link) and locks `path`.
    // With TryOnce a lock held elsewhere fails at once with code EWOULDBLOCK.
    static Result<InstanceLock> acquire(const QString& path, Mode mode);
    // As acquire, waiting up to limit for a lock held elsewhere; then fails with
    // code EWOULDBLOCK.
    static Result<InstanceLock> acquireWithin(const QString& path, std::chrono::milliseconds limit);

    // The process that holds the lock at path, as it noted itself in the file; 0 when
    // none did.
    static pid_t holder(const QString& path);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

private:
    explicit InstanceLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};
