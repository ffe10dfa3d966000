#pragma once

#include <optional>
#include <string>
#include <vector>

// One print job as CUPS hands it to the backend:
//   pellucor job-id user title copies options [file]
// Without a file the job's data arrives on standard input.
struct BackendJob
{
    long id = 0;
    std::string user;
    std::string title;
    std::optional<std::string> file;
};

// Reads the backend's arguments (argv[1] onwards). Gives nothing when they do not
// describe a job: the wrong count, or a job id that is not a positive number.
std::optional<BackendJob> parseBackendArguments(const std::vector<std::string>& arguments);

// The job record written beside the spool file once the job's PostScript is in
// place, so that the program can tell its own job from any other:
//   job-id=<number>\nuser=<name>\ntitle=<title>\n
// Carriage returns and line feeds in the title become blanks, so every field
// stays on its own line.
std::string formatJobRecord(const BackendJob& job);
