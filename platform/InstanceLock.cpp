#include "InstanceLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

Result<InstanceLock> InstanceLock::acquire(const QString& path, Mode mode)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(QStringLiteral("The lock file %1 cannot be opened: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                               errno);
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | (mode == Mode::TryOnce ? LOCK_NB : 0));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        return Status::failure(
            QStringLiteral("The lock file %1 is held by another process").arg(path), err);
    }
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
    return InstanceLock(fd);
}

pid_t InstanceLock::holder(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const int pid = file.read(32).trimmed().toInt(&ok);
    return ok && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

Result<InstanceLock> InstanceLock::acquireWithin(const QString& path,
                                                 std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        Result<InstanceLock> lock = acquire(path, Mode::TryOnce);
        if (lock.ok() || lock.status().code() != EWOULDBLOCK ||
            std::chrono::steady_clock::now() >= deadline)
            return lock;
        ::usleep(100 * 1000);
    }
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1))
{
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
