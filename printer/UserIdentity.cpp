#include "UserIdentity.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::optional<Account> findAccount(const std::string& name)
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry
    {
    };
    struct passwd* found = nullptr;
    while (::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (found == nullptr)
        return std::nullopt;
    return Account{found->pw_name, found->pw_uid, found->pw_gid};
}

PlainStatus becomeAccount(const Account& account)
{
    const auto failed = [](const char* what) {
        return PlainStatus::failure(std::string(what) + ": " + std::strerror(errno));
    };
    const bool wasRoot = ::geteuid() == 0;
    if (wasRoot && ::initgroups(account.name.c_str(), account.gid) != 0)
        return failed("initgroups");
    if (::setresgid(account.gid, account.gid, account.gid) != 0)
        return failed("setresgid");
    if (::setresuid(account.uid, account.uid, account.uid) != 0)
        return failed("setresuid");

    uid_t ruid = 0, euid = 0, suid = 0;
    gid_t rgid = 0, egid = 0, sgid = 0;
    if (::getresuid(&ruid, &euid, &suid) != 0 || ::getresgid(&rgid, &egid, &sgid) != 0)
        return failed("getresuid");
    if (ruid != account.uid || euid != account.uid || suid != account.uid || rgid != account.gid ||
        egid != account.gid || sgid != account.gid)
        return PlainStatus::failure("the user and group ids did not all change");
    // Root stays root; anybody else must not be able to get root back.
    if (account.uid != 0 && (::setuid(0) == 0 || ::seteuid(0) == 0))
        return PlainStatus::failure("root could be regained after the switch");
    if (account.gid != 0 && (::setgid(0) == 0 || ::setegid(0) == 0))
        return PlainStatus::failure("the root group could be regained after the switch");
    return {};
}
