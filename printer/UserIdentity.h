#pragma once

#include "PlainStatus.h"

#include <optional>
#include <string>
#include <sys/types.h>

// The account a job belongs to, and the switch to it. The backend runs as root
// (CUPS starts a backend that only its owner can execute with root's identity) and
// gives that up for good before it touches the user's files.
struct Account
{
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

std::optional<Account> findAccount(const std::string& name);

// Takes on the account's identity permanently: supplementary groups, then real,
// effective and saved group and user ids. Afterwards checks that the old identity
// cannot be regained. When any of it fails the process must not go on with the job.
PlainStatus becomeAccount(const Account& account);
