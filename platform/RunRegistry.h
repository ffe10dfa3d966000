#pragma once

#include <QString>

#include <sys/types.h>

// What a conversion run has under way that an interruption must undo: the process
// groups it started and the temporary files it made. One registry per process,
// safe to use from any thread.
//
// Whatever starts a program or makes a temporary file registers it for as long as
// it lives. abandon() ends and removes all of it; anything registered afterwards is
// ended or removed at once, so that a run that goes on for a moment after an
// interruption leaves nothing behind either.
namespace RunRegistry {

void addProcessGroup(pid_t group);
void removeProcessGroup(pid_t group);
void addFile(const QString& path);
void removeFile(const QString& path);
// A folder of the run's own, removed with everything in it.
void addFolder(const QString& path);
void removeFolder(const QString& path);

// Ends every registered process group (SIGTERM, then SIGKILL to what is left after
// a short grace) and removes every registered file.
void abandon();

// Whether abandon() was called: starting a new program is pointless then.
bool abandoned();

// Forgets the abandonment (tests only).
void resetForTesting();

} // namespace RunRegistry
