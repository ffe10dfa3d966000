#pragma once

#include "Converter.h"
#include "PrintJobWatch.h"
#include "Spooler.h"
#include "Status.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

class Prompter;

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

// The login name of the current user, as CUPS and the printer backend name it.
QString CurrentUserName();

// The user's full name from the account (its first comma-separated part), or the
// login name when the account gives none: the default author of a PDF.
QString CurrentUserFullName();

// Puts the saved default printer back and reads it back: only a default that reads
// as saved counts as restored, and only then is the record in workFolder removed. A
// failure is shown, since it changes the user's whole session, and returned.
Status RestoreDefaultPrinter(Spooler& spooler, Prompter& prompter, const SavedPrinter& saved,
                             const QString& workFolder);

// Saves the user's default printer and makes "Pellucor" the default, so that the
// document prints there and not on the user's own printer. The saved default is
// written to the record in workFolder first, so that a run that ends abruptly
// leaves it to be put back (FinishUnconfirmedRestore); a record that is there
// already holds the user's default from an earlier restore that did not succeed,
// and that is the default saved. A failure is shown and leaves the default as it
// was; its message names sourcePath.
Result<SavedPrinter> ClaimPostScriptPrinter(Spooler& spooler, Prompter& prompter,
                                            const QString& sourcePath, const QString& workFolder);

// The saved default of the record in workFolder; nullopt when there is none.
std::optional<SavedPrinter> RecordedDefaultPrinter(const QString& workFolder);

// At the start of a program, holding the conversion lock (so that no run of this
// user is under way), and when a run is abandoned: a record left in workFolder means
// that the default printer was switched to "Pellucor" and never confirmed back. It
// is set back and confirmed, and the record removed. Fails, keeping the record for
// the next try, when the default cannot be confirmed.
Status FinishUnconfirmedRestore(Spooler& spooler, const QString& workFolder);

// Makes the work folder ready and removes the previous document's PostScript, so
// that a print that fails leaves nothing for the PDF step. A failure is shown; its
// message names sourcePath.
Status PrepareSpoolFile(const QString& workFolder, Prompter& prompter, const QString& sourcePath);

// After a converter's print call: the converter's fixed waits (fixedWaits times
// 500 ms through the pacing), then the wait for the job's record.
Status AwaitPrintedJob(ConverterServices& services, int fixedWaits,
                       const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs);

// The last step of every converter: the PDF step when the job's PostScript is in
// place (it restores the default printer itself), otherwise the saved default
// printer restored and notPrinted returned as it is.
ConverterResult FinishConversion(bool printed, ConverterResult notPrinted,
                                 const ConversionTarget& target, const QString& sourcePath,
                                 const SavedPrinter& saved, ConverterServices& services);
