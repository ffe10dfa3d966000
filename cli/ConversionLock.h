#pragma once

#include "InstanceLock.h"

#include <chrono>
#include <functional>

class Terminal;

// Takes the lock that keeps two conversions of the same user apart. When another
// run holds it, says once which process that is, then waits, showing the time
// waited on the terminal, for as long as it takes: the other run ends by itself, and
// an interruption (Ctrl-C) ends the wait. sleep is the pause between two tries.
Result<InstanceLock>
AcquireConversionLock(const QString& path, Terminal& terminal,
                      const std::function<void(std::chrono::milliseconds)>& sleep = nullptr);
