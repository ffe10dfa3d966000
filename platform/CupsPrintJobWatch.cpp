// The jobs and queues of CUPS as the converters and the word processor server ask
// for them: one way of listing the current user's jobs serves both.
#include "PrintJobWatch.h"
#include "PrintQueues.h"

#include <cups/cups.h>

#include <QByteArray>

#include <thread>

namespace {

// The current user's jobs on printer, handed to visit; the number of jobs, or -1
// when CUPS cannot be asked.
template <typename Visit> int userJobs(const QString& printer, int which, Visit visit)
{
    cups_job_t* jobs = nullptr;
    const QByteArray name = printer.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 1, which);
    if (count < 0)
        return count;
    for (int i = 0; i < count; ++i)
        visit(jobs[i]);
    cupsFreeJobs(count, jobs);
    return count;
}

} // namespace

std::optional<PrintJobState> CupsPrintJobWatch::newestJob(const QString& printer)
{
    PrintJobState newest;
    const int count = userJobs(printer, CUPS_WHICHJOBS_ALL, [&newest](const cups_job_t& job) {
        if (job.id <= newest.id)
            return;
        newest.id = job.id;
        newest.ended = job.state >= IPP_JSTATE_CANCELED;
        newest.completed = job.state == IPP_JSTATE_COMPLETED;
    });
    if (count < 0)
        return std::nullopt;
    return newest;
}

std::chrono::steady_clock::time_point CupsPrintJobWatch::now()
{
    return std::chrono::steady_clock::now();
}

void CupsPrintJobWatch::sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

Result<bool> CupsPrintQueues::exists(const QString& printer)
{
    const QByteArray name = printer.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest) {
        if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
            cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
            return Status::failure(QStringLiteral("CUPS cannot be asked for the printer \"%1\": %2")
                                       .arg(printer, QString::fromUtf8(cupsLastErrorString())));
        return false;
    }
    cupsFreeDests(1, dest);
    return true;
}

Result<int> CupsPrintQueues::unfinishedJobs(const QString& printer)
{
    const int count = userJobs(printer, CUPS_WHICHJOBS_ACTIVE, [](const cups_job_t&) {});
    if (count < 0)
        return Status::failure(QStringLiteral("CUPS cannot be asked for the jobs on \"%1\": %2")
                                   .arg(printer, QString::fromUtf8(cupsLastErrorString())));
    return count;
}
