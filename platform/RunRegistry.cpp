#include "RunRegistry.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <mutex>
#include <set>
#include <unistd.h>

namespace {

struct Registry
{
    std::mutex mutex;
    std::set<pid_t> groups;
    std::set<QString> files;
    std::set<QString> folders;
    bool abandoned = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void endGroups(const std::set<pid_t>& groups)
{
    for (pid_t g : groups)
        ::kill(-g, SIGTERM);
    // Up to two seconds for them to go, then no more asking.
    for (int i = 0; i < 40; ++i) {
        bool alive = false;
        for (pid_t g : groups)
            alive = alive || ::kill(-g, 0) == 0;
        if (!alive)
            return;
        ::usleep(50 * 1000);
    }
    for (pid_t g : groups)
        ::kill(-g, SIGKILL);
}

void removeFiles(const std::set<QString>& files)
{
    for (const QString& f : files)
        ::unlink(QFile::encodeName(f).constData());
}

void removeFolders(const std::set<QString>& folders)
{
    for (const QString& f : folders)
        QDir(f).removeRecursively();
}

} // namespace

void RunRegistry::addProcessGroup(pid_t group)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (!r.abandoned) {
        r.groups.insert(group);
        return;
    }
    lock.unlock();
    endGroups({group});
}

void RunRegistry::removeProcessGroup(pid_t group)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.groups.erase(group);
}

void RunRegistry::addFile(const QString& path)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (!r.abandoned) {
        r.files.insert(path);
        return;
    }
    lock.unlock();
    removeFiles({path});
}

void RunRegistry::removeFile(const QString& path)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.files.erase(path);
}

void RunRegistry::addFolder(const QString& path)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (!r.abandoned) {
        r.folders.insert(path);
        return;
    }
    lock.unlock();
    removeFolders({path});
}

void RunRegistry::removeFolder(const QString& path)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.folders.erase(path);
}

void RunRegistry::abandon()
{
    Registry& r = registry();
    std::set<pid_t> groups;
    std::set<QString> files;
    std::set<QString> folders;
    {
        std::lock_guard lock(r.mutex);
        r.abandoned = true;
        groups.swap(r.groups);
        files.swap(r.files);
        folders.swap(r.folders);
    }
    endGroups(groups);
    // After the processes: Ghostscript would otherwise go on writing a file that
    // was just removed, or make it again.
    removeFiles(files);
    removeFolders(folders);
}

bool RunRegistry::abandoned()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.abandoned;
}

void RunRegistry::resetForTesting()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.abandoned = false;
    r.groups.clear();
    r.files.clear();
    r.folders.clear();
}
