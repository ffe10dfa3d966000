#pragma once

#include "PrintJobWatch.h"
#include "Status.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// How long the printer may take to finish a job, after the fixed wait; and how long
// a job may take to appear in CUPS at all after the server printed.
inline constexpr std::chrono::milliseconds PrintJobTimeLimit = std::chrono::minutes(3);
inline constexpr std::chrono::milliseconds PrintJobStartLimit = std::chrono::seconds(15);
inline constexpr std::chrono::milliseconds PrintJobPollInterval = std::chrono::milliseconds(50);

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

// Removes the spool file, its job record and the pdfmarks file, quietly: called
// when the PDF step is done with them, successful or not.
void RemoveWorkFiles(const QString& workFolder);

// Waits until the printer backend has recorded a job of userName newer than
// baseline (any job when baseline is nullopt) and its spool file is there. Fails
// when the job is cancelled, when no job reaches CUPS, or when PrintJobTimeLimit
// passes.
Status WaitForPrintedJob(const QString& workFolder, const QString& userName,
                         const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs);
