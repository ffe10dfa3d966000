#pragma once

#include "CommandLine.h"
#include "ConversionWorker.h"

class Terminal;
class TerminalPrompter;

// Converts the files of the command line through the conversion worker, on the
// calling thread. Returns the exit status: 0 when no file failed, 1 when any did
// or the output folder cannot be used. A file that exists as a PDF already and is
// kept (no --overwrite, no yes on the terminal) is neither converted nor failed.
int RunCommandLine(const CommandLineOptions& options, const ConverterTable& converters, ConverterServices& services,
                   Terminal& terminal, TerminalPrompter& prompter);
