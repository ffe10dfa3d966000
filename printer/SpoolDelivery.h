#pragma once

#include "BackendJob.h"
#include "UserIdentity.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

// Puts one job's PostScript into its user's work folder: "tmp.ps", then the job
// record "tmp.ps.job". Each file is written under a fresh temporary name that is
// created exclusively and without following links, and then renamed over the old
// one, so a reader sees the previous file or the complete new one and nothing in
// between. The record is written only after "tmp.ps" is complete and the previous
// record is removed before "tmp.ps" is replaced: a record always describes the
// "tmp.ps" beside it.
//
// A job that cannot be delivered (unknown user, empty stream, any error) is
// cancelled and leaves no file of its own: the previous job's files stay as they
// were, except that a failure while replacing them leaves no record (a spool file
// without a record is never taken for a new job's output).

struct DeliveryServices
{
    std::function<std::optional<Account>(const std::string& name)> findAccount;
    std::function<PlainStatus(const Account&)> becomeAccount;
    std::function<std::string(uid_t)> workFolderFor;
};

// The real services: the password database, the permanent identity switch and
// the work folder of the program.
DeliveryServices systemDeliveryServices();

struct DeliveryOutcome
{
    int exitCode = 0;    // a CUPS backend status
    std::string message; // for the CUPS log, when the job was not delivered
};

// inputFd is the job's data, already opened (before the identity switch, as the
// spool files of CUPS are not readable by the user).
DeliveryOutcome deliverJob(const BackendJob& job, int inputFd, const DeliveryServices& services);

// Removes the temporary file in progress, for a signal handler that ends the
// backend while a file is being written. Async-signal-safe.
void removeFileInProgress();
