#pragma once

#include "AutomationRegistry.h"
#include "ConversionWorker.h"
#include "CupsSpooler.h"
#include "FrameworkPrompter.h"
#include "Pacing.h"
#include "PosixProcessRunner.h"
#include "PrintJobWatch.h"
#include "QtPicturePrinter.h"
#include "UnoOffice.h"

// The real world behind a run of the windows: processes, the print service, the
// office of a run and its servers, message boxes and the fixed waits of the windows, with the
// standard converters over them. Lives as long as the main window.
class StandardEngine
{
public:
    StandardEngine();

    StandardEngine(const StandardEngine&) = delete;
    StandardEngine& operator=(const StandardEngine&) = delete;

    const ConverterTable& converters() const { return m_converters; }
    ConverterServices& services() { return m_services; }
    Spooler& spooler() { return m_spooler; }
    // Ends the office of the run that has just ended (its worker is done with it); the
    // next run starts a new one.
    void EndRun() { m_office.end(); }
    PrintJobWatch& jobs() { return m_jobs; }

private:
    PosixProcessRunner m_processes;
    CupsSpooler m_spooler;
    FrameworkPrompter m_prompter;
    SleepingPacing m_pacing;
    UnoOffice m_office;
    AutomationRegistry m_automation;
    QtPicturePrinter m_pictures;
    CupsPrintJobWatch m_jobs;
    ConverterTable m_converters;
    ConverterServices m_services;
};
