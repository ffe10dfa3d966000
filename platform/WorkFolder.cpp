#include "WorkFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WorkFolder {

namespace {

std::string describe(const std::string& folder, const std::string& what)
{
    return "The work folder " + folder + " " + what +
           ". Remove or fix it (it must be a folder of yours that only you can use) and try again.";
}

} // namespace

std::string pathFor(uid_t uid, const std::string& runtimeRoot, const std::string& tmpRoot)
{
    const std::string id = std::to_string(uid);
    const std::string runtime = runtimeRoot + "/" + id;
    struct stat st
    {
    };
    if (::lstat(runtime.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid)
        return runtime + "/tabloria";
    return tmpRoot + "/tabloria-" + id;
}

PlainStatus check(uid_t uid, const std::string& folder)
{
    struct stat st
    {
    };
    if (::lstat(folder.c_str(), &st) != 0)
        return PlainStatus::failure(
            describe(folder, std::string("cannot be read: ") + std::strerror(errno)));
    if (S_ISLNK(st.st_mode))
        return PlainStatus::failure(describe(folder, "is a symbolic link"));
    if (!S_ISDIR(st.st_mode))
        return PlainStatus::failure(describe(folder, "is not a folder"));
    if (st.st_uid != uid)
        return PlainStatus::failure(describe(folder, "belongs to another user"));
    if ((st.st_mode & 077) != 0)
        return PlainStatus::failure(describe(folder, "can be used by other users"));
    return {};
}

PlainStatus ensure(uid_t uid, const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return PlainStatus::failure(
            describe(folder, std::string("cannot be created: ") + std::strerror(errno)));
    return check(uid, folder);
}

} // namespace WorkFolder
