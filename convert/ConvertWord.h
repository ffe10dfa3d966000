#pragma once

#include "Converter.h"
#include "ConverterSteps.h"

#include <QString>

#include <optional>

// The open format that the word processor is told to use for a source path, by the
// text after its last dot (the whole path when it has none), compared exactly:
// doc, docx, dot detect (0), htm, tml, html are web pages (7), xml is XML (8), txt
// plain text (4), rtf rich text (3). nullopt: the converter does not take the file.
std::optional<qint32> WordOpenFormatFor(const QString& sourcePath);

// Prints one document through the word processor server "Word.Application" to the
// printer "Pellucor" (the server's active printer; the default printer is left as
// it is) and turns the PostScript into the PDF for sourcePath in the target's
// destination folder. A file of any other extension is refused with a message and
// nothing is started. Every failure of the server is shown and ends the file; the
// default printer is what it was before, whatever happened, and a server that ran
// has been told to quit and released.
ConverterResult ConvertWord(const ConversionTarget& target, const QString& sourcePath,
                            ConverterServices& services);

// The same with the given job watch in place of CUPS and the real clock.
ConverterResult ConvertWord(const ConversionTarget& target, const QString& sourcePath,
                            ConverterServices& services, PrintJobWatch& jobs);

// The longest the word processor's background printing is waited for, and the
// shortest time between two of its polls when the pacing does not wait (the
// command line), so that CUPS is not asked in a busy loop.
inline constexpr std::chrono::milliseconds BackgroundPrintingLimit = PrintJobTimeLimit;
inline constexpr std::chrono::milliseconds BackgroundPrintingMinimumPoll = PrintJobPollInterval;
