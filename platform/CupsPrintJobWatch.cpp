#include "PrintJobWatch.h"

#include <cups/cups.h>

#include <QByteArray>

#include <thread>

std::optional<PrintJobState> CupsPrintJobWatch::newestJob(const QString& printer)
{
    cups_job_t* jobs = nullptr;
    const QByteArray name = printer.toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 1, CUPS_WHICHJOBS_ALL);
    if (count < 0)
        return std::nullopt;
    PrintJobState newest;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id <= newest.id)
            continue;
        newest.id = jobs[i].id;
        newest.ended = jobs[i].state >= IPP_JSTATE_CANCELED;
        newest.completed = jobs[i].state == IPP_JSTATE_COMPLETED;
    }
    cupsFreeJobs(count, jobs);
    return newest;
}

void CupsPrintJobWatch::cancelJob(const QString& printer, int id)
{
    cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), id, 0);
}

std::chrono::steady_clock::time_point CupsPrintJobWatch::now()
{
    return std::chrono::steady_clock::now();
}

void CupsPrintJobWatch::sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}
