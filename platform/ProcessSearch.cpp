#include "ProcessSearch.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

bool ProcessHasEnded(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // The state follows the command name in parentheses.
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line.at(close + 2) == 'Z';
}

QList<pid_t> ProcessesWithArgument(const QByteArray& argument)
{
    QList<pid_t> found;
    const uid_t me = ::getuid();
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric || pid == ::getpid())
            continue;
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(QStringLiteral("/proc/") + entry).constData(), &st) != 0 ||
            st.st_uid != me)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        if (cmdline.readAll().split('\0').contains(argument))
            found.append(static_cast<pid_t>(pid));
    }
    return found;
}

Status EndProcessesWithArgument(const QByteArray& argument, std::chrono::milliseconds limit)
{
    const QList<pid_t> found = ProcessesWithArgument(argument);
    for (const pid_t pid : found)
        ::kill(pid, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (const pid_t pid : found) {
        while (!ProcessHasEnded(pid)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return Status::failure(QStringLiteral("process %1 (%2) could not be ended")
                                           .arg(pid)
                                           .arg(QString::fromLocal8Bit(argument)));
            ::usleep(20 * 1000);
        }
    }
    return {};
}
