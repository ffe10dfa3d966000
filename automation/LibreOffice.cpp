#include "LibreOffice.h"

#include "ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// An exclusive flock on a file beside the profile, held while LibreOffice runs.
class ProfileLock
{
public:
    ProfileLock(const QString& path, std::chrono::milliseconds limit)
    {
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_status = Status::failure(
                QStringLiteral("the LibreOffice lock %1 cannot be opened: %2").arg(path, errnoText(errno)), errno);
            return;
        }
        const auto deadline = Clock::now() + limit;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                m_status = Status::failure(
                    QStringLiteral("the LibreOffice lock %1 cannot be taken: %2").arg(path, errnoText(errno)), errno);
                return;
            }
            if (Clock::now() >= deadline) {
                m_status = Status::failure(
                    QStringLiteral("another conversion kept LibreOffice busy for too long (lock %1)").arg(path));
                return;
            }
            QThread::msleep(100);
        }
        m_locked = true;
    }
    ~ProfileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // drops the lock
    }
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    const Status& status() const { return m_status; }

private:
    int m_fd = -1;
    bool m_locked = false;
    Status m_status;
};

QList<pid_t> processesWithArgument(const QByteArray& argument)
{
    QList<pid_t> found;
    const uid_t me = ::getuid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric || pid == ::getpid())
            continue;
        struct stat st {};
        if (::stat(QFile::encodeName(QStringLiteral("/proc/") + entry).constData(), &st) != 0 || st.st_uid != me)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        if (cmdline.readAll().split('\0').contains(argument))
            found.append(static_cast<pid_t>(pid));
    }
    return found;
}

bool hasEnded(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // The state follows the command name in parentheses; a zombie has ended.
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line.at(close + 2) == 'Z';
}

QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString settingItem(const ProfileSetting& setting)
{
    return QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\" oor:op=\"fuse\"><value>%3</value></prop></item>")
        .arg(xmlEscaped(setting.path), xmlEscaped(setting.name), xmlEscaped(setting.value));
}

const QString RegistryHeader = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n");
const QString RegistryEnd = QStringLiteral("</oor:items>");

QString lastErrorLine(const QByteArray& output)
{
    const QStringList lines = QString::fromLocal8Bit(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (it->startsWith(QStringLiteral("Error")))
            return it->trimmed();
    return {};
}

} // namespace

LibreOfficeRunner::LibreOfficeRunner(ProcessRunner& processes, LibreOfficeOptions options)
    : m_processes(processes), m_options(std::move(options))
{
    if (m_options.profileFolder.isEmpty())
        m_options.profileFolder = DefaultProfileFolder();
    m_options.profileFolder = QDir::cleanPath(QDir(m_options.profileFolder).absolutePath());
}

QString LibreOfficeRunner::DefaultProfileFolder()
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/tabloria/lo-profile");
}

QString LibreOfficeRunner::profileUrl() const
{
    return QUrl::fromLocalFile(m_options.profileFolder).toString(QUrl::FullyEncoded);
}

Status LibreOfficeRunner::prepare()
{
    const QString program = m_options.program.contains(QLatin1Char('/'))
                                ? (QFileInfo(m_options.program).isExecutable() ? m_options.program : QString())
                                : QStandardPaths::findExecutable(m_options.program);
    if (program.isEmpty())
        return Status::failure(QStringLiteral("LibreOffice (%1) is not installed. Install the %2 package.")
                                   .arg(m_options.program, m_options.package));
    const QString parent = QFileInfo(m_options.profileFolder).absolutePath();
    if (!QDir().mkpath(parent))
        return Status::failure(QStringLiteral("the folder %1 cannot be created").arg(parent));
    const ProfileLock lock(m_options.profileFolder + QStringLiteral(".lock"), m_options.lockLimit);
    if (!lock.status().ok())
        return lock.status();
    return endInstances();
}

Status LibreOfficeRunner::endInstances()
{
    const QByteArray argument = QFile::encodeName(QStringLiteral("-env:UserInstallation=") + profileUrl());
    const QList<pid_t> found = processesWithArgument(argument);
    for (const pid_t pid : found)
        ::kill(pid, SIGKILL); // also ends a stopped instance, which nothing else would
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (const pid_t pid : found) {
        while (!hasEnded(pid)) {
            if (Clock::now() >= deadline)
                return Status::failure(QStringLiteral("LibreOffice (process %1) on the profile %2 could not be ended")
                                           .arg(pid)
                                           .arg(m_options.profileFolder));
            QThread::msleep(20);
        }
    }
    return {};
}

Status LibreOfficeRunner::writeProfileSettings()
{
    if (m_options.settings.empty())
        return {};
    const QString user = m_options.profileFolder + QStringLiteral("/user");
    if (!QDir().mkpath(user))
        return Status::failure(QStringLiteral("the LibreOffice profile %1 cannot be created").arg(user));
    const QString path = user + QStringLiteral("/registrymodifications.xcu");

    QString text;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(existing.readAll());
    if (!text.contains(RegistryEnd))
        text = RegistryHeader + RegistryEnd + QLatin1Char('\n');

    bool changed = false;
    for (const ProfileSetting& setting : m_options.settings) {
        const QString wanted = settingItem(setting);
        if (text.contains(wanted))
            continue;
        // Any other value LibreOffice wrote for this setting goes.
        const QRegularExpression other(QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\"[^\n]*?</item>\n?")
                                           .arg(QRegularExpression::escape(xmlEscaped(setting.path)),
                                                QRegularExpression::escape(xmlEscaped(setting.name))));
        text.remove(other);
        text.insert(text.lastIndexOf(RegistryEnd), wanted + QLatin1Char('\n'));
        changed = true;
    }
    if (!changed)
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return Status::failure(
            QStringLiteral("the LibreOffice settings %1 cannot be written: %2").arg(path, file.errorString()));
    return {};
}

ProcessRequest LibreOfficeRunner::requestFor(const QStringList& arguments) const
{
    ProcessRequest request;
    request.arguments = QStringList{m_options.program,
                                    QStringLiteral("-env:UserInstallation=") + profileUrl(),
                                    QStringLiteral("--headless"),
                                    QStringLiteral("--invisible"),
                                    QStringLiteral("--norestore"),
                                    QStringLiteral("--nologo"),
                                    QStringLiteral("--nodefault")}
                        + arguments;
    request.environment = {{QStringLiteral("PRINTER"), std::nullopt}, {QStringLiteral("LPDEST"), std::nullopt}};
    request.timeout = m_options.runLimit;
    request.endGroupOnExit = true;
    return request;
}

Status LibreOfficeRunner::run(const QStringList& arguments)
{
    const QString parent = QFileInfo(m_options.profileFolder).absolutePath();
    if (!QDir().mkpath(parent))
        return Status::failure(QStringLiteral("the folder %1 cannot be created").arg(parent));
    const ProfileLock lock(m_options.profileFolder + QStringLiteral(".lock"), m_options.lockLimit);
    if (!lock.status().ok())
        return lock.status();
    Status status = endInstances();
    if (status.ok())
        status = writeProfileSettings();
    if (!status.ok())
        return status;

    const ProcessOutcome outcome = m_processes.RunAndWait(requestFor(arguments));
    // The group is ended on exit; a process that left it would still hold the profile.
    const Status ended = endInstances();
    if (!outcome.started())
        return Status::failure(QStringLiteral("LibreOffice could not be started: %1").arg(outcome.error));
    if (!outcome.succeeded())
        return Status::failure(QStringLiteral("LibreOffice %1").arg(outcome.describeFailure()));
    const QString error = lastErrorLine(outcome.output);
    if (!error.isEmpty())
        return Status::failure(QStringLiteral("LibreOffice: %1").arg(error));
    return ended;
}

Result<QString> LibreOfficeRunner::convert(const QString& source, const QString& inputFilter, const QString& format,
                                           const QString& outputFolder)
{
    const QString folder = QDir(outputFolder).absolutePath();
    const QStringList before = QDir(folder).entryList(QDir::Files);
    const Status status = run({QStringLiteral("--infilter=") + inputFilter, QStringLiteral("--convert-to"), format,
                               QStringLiteral("--outdir"), folder, QFileInfo(source).absoluteFilePath()});
    if (!status.ok())
        return status;
    const QString suffix = QLatin1Char('.') + format;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (!before.contains(name) && name.endsWith(suffix))
            return folder + QLatin1Char('/') + name;
    return Status::failure(QStringLiteral("LibreOffice wrote no %1 file for %2").arg(format, source));
}

Status LibreOfficeRunner::print(const QString& document, const QString& inputFilter, const QString& printer)
{
    return run({QStringLiteral("--infilter=") + inputFilter, QStringLiteral("--pt"), printer,
                QFileInfo(document).absoluteFilePath()});
}
