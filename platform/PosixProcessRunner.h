#pragma once

#include "ProcessRunner.h"

// ProcessRunner over posix_spawn. The child gets /dev/null as its input, a pipe
// for its output and a process group of its own, so that a time limit can end it
// together with anything it started.
class PosixProcessRunner final : public ProcessRunner
{
public:
    ProcessOutcome RunAndWait(const ProcessRequest& request) override;
};
