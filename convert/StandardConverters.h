#pragma once

#include "ConversionWorker.h"

class PicturePrinter;
class PrintJobWatch;

// The dispatch table of the program: the spreadsheet, word-processor, presentation
// and picture converters. pictures and jobs must outlive the table.
ConverterTable StandardConverters(PicturePrinter& pictures, PrintJobWatch& jobs);

// The lock file that keeps two runs of the same user (the windows and the command
// line, say) from sharing the spool file at once.
QString ConversionLockFile(const QString& workFolder);
