#pragma once

#include "Converter.h"

#include <QString>

#include <chrono>
#include <optional>

// A print job as CUPS reports it.
struct PrintJobState
{
    int id = 0;             // 0: the user has no job on that printer
    bool ended = false;     // completed, cancelled or aborted
    bool completed = false; // ended and printed
};

// How a converter follows its job from the spreadsheet server through CUPS to the
// printer backend: the jobs CUPS holds, and the clock of the wait for the job
// record. Tests give a clock that never sleeps.
class PrintJobWatch
{
public:
    virtual ~PrintJobWatch() = default;
    // The newest job of the current user on printer; nullopt when CUPS cannot be asked.
    virtual std::optional<PrintJobState> newestJob(const QString& printer) = 0;
    virtual std::chrono::steady_clock::time_point now() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// PrintJobWatch over libcups and the real clock.
class CupsPrintJobWatch final : public PrintJobWatch
{
public:
    std::optional<PrintJobState> newestJob(const QString& printer) override;
    std::chrono::steady_clock::time_point now() override;
    void sleep(std::chrono::milliseconds duration) override;
};

// How long the printer may take to finish a job, after the fixed wait; and how long
// a job may take to appear in CUPS at all after the server printed.
inline constexpr std::chrono::milliseconds PrintJobTimeLimit = std::chrono::minutes(3);
inline constexpr std::chrono::milliseconds PrintJobStartLimit = std::chrono::seconds(15);
inline constexpr std::chrono::milliseconds PrintJobPollInterval = std::chrono::milliseconds(200);

// The record the printer backend writes beside the spool file once a job's
// PostScript is in place: "job-id=<n>\nuser=<name>\ntitle=<title>\n".
struct PrintJobRecord
{
    int jobId = 0;
    QString user;
    QString title;
};

// nullopt for anything but exactly those three lines.
std::optional<PrintJobRecord> ParsePrintJobRecord(const QByteArray& bytes);

// Removes the spool file and its job record, so that only the coming job can
// leave PostScript for the PDF step. A missing file is fine.
Status ClearSpoolFile(const QString& workFolder);

// Waits until the printer backend has recorded a job of userName newer than
// baseline (any job when baseline is nullopt) and its spool file is there. Fails
// when the job is cancelled, when no job reaches CUPS, or when PrintJobTimeLimit
// passes.
Status WaitForPrintedJob(const QString& workFolder, const QString& userName,
                         const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs);

// The login name of the current user, as CUPS and the printer backend name it.
QString CurrentUserName();

// Prints one workbook through the spreadsheet server "Excel.Application" to the
// printer "Pellucor" and turns the PostScript into the PDF for sourcePath in the
// target's destination folder. Shows its failures as it meets them (a print that
// failed is only reported in the result, as the worker tells the user); the
// default printer is what it was before, whatever happened, and the server has
// been told to quit and released.
ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath, ConverterServices& services);

// The same with the given job watch in place of CUPS and the real clock.
ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath, ConverterServices& services,
                             PrintJobWatch& jobs);
