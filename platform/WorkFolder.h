#pragma once

#include "PlainStatus.h"

#include <string>
#include <sys/types.h>

// The private per-user folder that holds the spool file "tmp.ps", its job record
// and the pdfmarks file. The program and the printer backend compute it from the
// uid alone, so that they agree without talking to each other.
//
// This header and its source use plain C++ and POSIX only: the printer backend
// links them without Qt.
namespace WorkFolder {

// The folder for uid: /run/user/<uid>/tabloria when /run/user/<uid> is a real
// folder owned by uid, otherwise /tmp/tabloria-<uid>. runtimeRoot replaces
// "/run/user" and tmpRoot replaces "/tmp" (tests only).
std::string pathFor(uid_t uid, const std::string& runtimeRoot = "/run/user",
                    const std::string& tmpRoot = "/tmp");

// Creates the folder with mode 0700 when it is missing, then checks it: a real
// folder (not a link), owned by uid, with no group or other permissions. Must be
// called as uid (it creates the folder with the caller's identity). A failure says
// why the folder cannot be used and what to do about it.
PlainStatus ensure(uid_t uid, const std::string& folder);

// Checks an existing folder the same way, creating nothing.
PlainStatus check(uid_t uid, const std::string& folder);

inline constexpr const char* SpoolFileName = "tmp.ps";
inline constexpr const char* JobRecordName = "tmp.ps.job";
inline constexpr const char* PdfmarksFileName = "pdfmarks";

} // namespace WorkFolder
