#include "BackendJob.h"

#include <charconv>

std::optional<BackendJob> parseBackendArguments(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 5 && arguments.size() != 6)
        return std::nullopt;
    BackendJob job;
    const std::string& id = arguments[0];
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), job.id);
    if (error != std::errc() || end != id.data() + id.size() || job.id <= 0)
        return std::nullopt;
    job.user = arguments[1];
    job.title = arguments[2];
    if (arguments.size() == 6)
        job.file = arguments[5];
    return job;
}

std::string formatJobRecord(const BackendJob& job)
{
    std::string title = job.title;
    for (char& c : title) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return "job-id=" + std::to_string(job.id) + "\nuser=" + job.user + "\ntitle=" + title + "\n";
}
