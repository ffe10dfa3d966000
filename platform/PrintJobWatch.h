#pragma once

#include <QString>

#include <chrono>
#include <optional>

// A print job as CUPS reports it.
struct PrintJobState
{
    int id = 0;             // 0: the user has no job on that printer
    bool ended = false;     // completed, cancelled or aborted
    bool completed = false; // ended and printed
};

// How a converter follows its job from the spreadsheet server through CUPS to the
// printer backend: the jobs CUPS holds, and the clock of the wait for the job
// record. Tests give a clock that never sleeps.
class PrintJobWatch
{
public:
    virtual ~PrintJobWatch() = default;
    // The newest job of the current user on printer; nullopt when CUPS cannot be asked.
    virtual std::optional<PrintJobState> newestJob(const QString& printer) = 0;
    // Cancels a job of the current user; a job that has ended already is left alone.
    virtual void cancelJob(const QString& printer, int id)
    {
        (void)printer;
        (void)id;
    }
    virtual std::chrono::steady_clock::time_point now() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// PrintJobWatch over libcups and the real clock.
class CupsPrintJobWatch final : public PrintJobWatch
{
public:
    std::optional<PrintJobState> newestJob(const QString& printer) override;
    void cancelJob(const QString& printer, int id) override;
    std::chrono::steady_clock::time_point now() override;
    void sleep(std::chrono::milliseconds duration) override;
};
