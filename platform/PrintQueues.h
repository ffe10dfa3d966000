#pragma once

#include "Status.h"

#include <QString>

// The print queues as the word processor server needs them: whether a printer
// exists, and how many of the current user's jobs on it have not ended yet.
class PrintQueues
{
public:
    virtual ~PrintQueues() = default;
    virtual Result<bool> exists(const QString& printer) = 0;
    virtual Result<int> unfinishedJobs(const QString& printer) = 0;
};

// PrintQueues over libcups.
class CupsPrintQueues final : public PrintQueues
{
public:
    Result<bool> exists(const QString& printer) override;
    Result<int> unfinishedJobs(const QString& printer) override;
};
