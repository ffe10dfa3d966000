// The CUPS backend of the printer "Pellucor": writes each job's PostScript into
// the work folder of the user who sent it, as that user.
//
// Installed with mode 0700 and owned by root, so that CUPS runs it as root; it
// opens the job's data first and then gives up root for good.

#include "BackendJob.h"
#include "SpoolDelivery.h"

#include <cups/backend.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

extern "C" void onTerminate(int)
{
    removeFileInProgress();
    ::_exit(CUPS_BACKEND_CANCEL);
}

} // namespace

int main(int argc, char** argv)
{
    ::umask(077);
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action
    {
    };
    action.sa_handler = onTerminate;
    ::sigaction(SIGTERM, &action, nullptr);

    if (argc == 1) {
        // Device discovery (lpinfo -v).
        std::puts("direct pellucor:/ \"Unknown\" \"Pellucor spool file\"");
        return CUPS_BACKEND_OK;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::optional<BackendJob> job = parseBackendArguments(arguments);
    if (!job) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }

    int input = STDIN_FILENO;
    if (job->file) {
        input = ::open(job->file->c_str(), O_RDONLY | O_CLOEXEC);
        if (input < 0) {
            std::fprintf(stderr, "ERROR: cannot open the job's file %s\n", job->file->c_str());
            return CUPS_BACKEND_CANCEL;
        }
    }

    const DeliveryOutcome outcome = deliverJob(*job, input, systemDeliveryServices());
    if (outcome.exitCode != CUPS_BACKEND_OK)
        std::fprintf(stderr, "ERROR: %s\n", outcome.message.c_str());
    return outcome.exitCode;
}
