#pragma once

#include "Converter.h"
#include "DefaultPrinter.h"
#include "PrintJob.h"

// The steps every converter takes around its print.

// Makes the work folder ready and removes the previous document's PostScript, so
// that a print that fails leaves nothing for the PDF step. A failure is shown; its
// message names sourcePath.
Status PrepareSpoolFile(const QString& workFolder, Prompter& prompter, const QString& sourcePath);

// After a converter's print call: the converter's fixed waits (fixedWaits times
// 500 ms through the pacing), then the wait for the job's record.
Status AwaitPrintedJob(ConverterServices& services, int fixedWaits,
                       const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs);

// The last step of every converter: the PDF step when the job's PostScript is in
// place (it restores the default printer itself), otherwise the default printer
// restored and notPrinted returned as it is.
ConverterResult FinishConversion(bool printed, ConverterResult notPrinted,
                                 const ConversionTarget& target, const QString& sourcePath,
                                 DefaultPrinterClaim& printer, ConverterServices& services);
