#pragma once

#include "Status.h"

#include <QByteArray>
#include <QList>

#include <chrono>

#include <sys/types.h>

// The processes of the current user (other than this one) that have argument among
// their command-line arguments, exactly; read from /proc.
QList<pid_t> ProcessesWithArgument(const QByteArray& argument);

// Whether process pid has ended: it is gone, or a zombie that its parent has not
// reaped yet.
bool ProcessHasEnded(pid_t pid);

// Kills (SIGKILL, which also ends a stopped process) every process of the current
// user that has argument among its arguments, and waits up to limit until each has
// ended (a zombie has). Used for an office left behind on our private profile.
Status EndProcessesWithArgument(const QByteArray& argument, std::chrono::milliseconds limit);
