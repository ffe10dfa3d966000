#pragma once

#include "ConversionSettings.h"
#include "PdfStep.h"

#include <QString>

#include <chrono>

class AutomationRegistry;
class ProcessRunner;
class Prompter;
class Spooler;

// The fixed waits of a run (100 ms before it starts, 500 ms after each file, the
// 2 s after an Excel print, ...). The windows wait for real; tests and the command
// line wait for nothing and rely on the real completion of each print job instead.
class Pacing
{
public:
    virtual ~Pacing() = default;
    virtual void wait(std::chrono::milliseconds duration) = 0;
};

// Everything a converter reaches in the world.
struct ConverterServices
{
    ProcessRunner& processes;
    Spooler& spooler;
    Prompter& prompter;
    Pacing& pacing;
    AutomationRegistry& automation;
    QString workFolder;    // the user's work folder (spool file, job record, pdfmarks)
    QString programFolder; // the folder of the running program

    PdfStepServices pdfStep() { return {processes, spooler, prompter, workFolder, programFolder}; }
};

// What a converter is asked to do for one source file: the destination folder and
// the settings captured when the run started.
struct ConversionTarget
{
    QString destinationFolder;
    ConversionSettings settings;
};

// Every converter has this shape. It shows its own failures as it meets them and
// returns what the PDF step did; a converter that gave up before the PDF step
// returns a result with written == false and the reason.
using ConverterResult = PdfStepResult;
