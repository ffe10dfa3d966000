// The jobs and queues of CUPS as the converters and the word processor server ask
// for them: one way of listing the current user's jobs serves both.
#include "PrintJobWatch.h"
#include "PrintQueues.h"

#include <cups/cups.h>

#include <QByteArray>

#include <cstring>
#include <thread>

namespace {

// The current user's jobs on printer (which: "all" or "not-completed"), each handed
// to visit as its id and state; the number of jobs, or -1 when CUPS cannot be asked.
// Only the two attributes are asked for: CUPS keeps hundreds of ended jobs, and the
// full records of all of them would be sent at every poll.
template <typename Visit> int userJobs(const QString& printer, const char* which, Visit visit)
{
    const QByteArray name = printer.toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", name.constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, which);
    static const char* const attributes[] = {"job-id", "job-state"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  attributes);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        ippDelete(response);
        return -1;
    }
    int count = 0;
    int id = 0;
    int state = 0;
    for (ipp_attribute_t* attribute = ippFirstAttribute(response);;
         attribute = ippNextAttribute(response)) {
        // The jobs' groups are separated by an attribute without a group.
        if (!attribute || ippGetGroupTag(attribute) != IPP_TAG_JOB) {
            if (id > 0) {
                visit(id, state);
                ++count;
            }
            id = 0;
            state = 0;
            if (!attribute)
                break;
            continue;
        }
        const char* attributeName = ippGetName(attribute);
        if (!attributeName)
            continue;
        if (std::strcmp(attributeName, "job-id") == 0 &&
            ippGetValueTag(attribute) == IPP_TAG_INTEGER)
            id = ippGetInteger(attribute, 0);
        else if (std::strcmp(attributeName, "job-state") == 0 &&
                 ippGetValueTag(attribute) == IPP_TAG_ENUM)
            state = ippGetInteger(attribute, 0);
    }
    ippDelete(response);
    return count;
}

} // namespace

std::optional<PrintJobState> CupsPrintJobWatch::newestJob(const QString& printer)
{
    PrintJobState newest;
    const int count = userJobs(printer, "all", [&newest](int id, int state) {
        if (id <= newest.id)
            return;
        newest.id = id;
        newest.ended = state >= IPP_JSTATE_CANCELED;
        newest.completed = state == IPP_JSTATE_COMPLETED;
    });
    if (count < 0)
        return std::nullopt;
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
    const int count = userJobs(printer, "not-completed", [](int, int) {});
    if (count < 0)
        return Status::failure(QStringLiteral("CUPS cannot be asked for the jobs on \"%1\": %2")
                                   .arg(printer, QString::fromUtf8(cupsLastErrorString())));
    return count;
}
