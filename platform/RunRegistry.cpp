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

// Registers value in the set member of the registry, or undoes it at once when the
// run was abandoned already.
template <typename T, typename Undo>
void registerOrUndo(std::set<T> Registry::*set, const T& value, Undo undo)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (!r.abandoned) {
        (r.*set).insert(value);
        return;
    }
    lock.unlock();
    undo(std::set<T>{value});
}

template <typename T> void unregister(std::set<T> Registry::*set, const T& value)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    (r.*set).erase(value);
}

} // namespace

void RunRegistry::addProcessGroup(pid_t group)
{
    registerOrUndo(&Registry::groups, group, endGroups);
}

void RunRegistry::removeProcessGroup(pid_t group)
{
    unregister(&Registry::groups, group);
}

void RunRegistry::addFile(const QString& path)
{
    registerOrUndo(&Registry::files, path, removeFiles);
}

void RunRegistry::removeFile(const QString& path)
{
    unregister(&Registry::files, path);
}

void RunRegistry::addFolder(const QString& path)
{
    registerOrUndo(&Registry::folders, path, removeFolders);
}

void RunRegistry::removeFolder(const QString& path)
{
    unregister(&Registry::folders, path);
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
