#pragma once

#include "CommandLine.h"
#include "ConversionWorker.h"

#include <atomic>

class Terminal;

// How far a run has come, for a report from another thread (an interruption).
struct CommandLineProgress
{
    std::atomic<int> files{0}; // the files of the command line
    std::atomic<int> done{0};  // those that are converted, failed or kept
};
class TerminalPrompter;

// The inputs (as given) that would make the same PDF in folder, one list per PDF
// in the order of the command line; sources are their absolute paths.
QList<QStringList> OutputClashes(const QStringList& given, const QStringList& sources,
                                 const QString& folder);

// Converts the files of the command line through the conversion worker, on the
// calling thread. Returns the exit status: 0 when no file failed, 1 when any did
// or the output folder cannot be used, 2 when two inputs would make the same PDF. A file that
// exists as a PDF already and is kept (no --overwrite, no yes on the terminal) is neither converted
// nor failed.
int RunCommandLine(const CommandLineOptions& options, const ConverterTable& converters,
                   ConverterServices& services, Terminal& terminal, TerminalPrompter& prompter,
                   CommandLineProgress* progress = nullptr);
