#pragma once

#include "Dispatch.h"
#include "Office.h"
#include "PrintQueues.h"

#include <memory>

class AutomationRegistry;
class Spooler;

inline const QString WordProgId = QStringLiteral("Word.Application");

// The member ids of the word processor server that this program uses.
namespace WordMember {
inline constexpr DispId Visible = 23;                  // Application, property
inline constexpr DispId ActivePrinter = 66;            // Application, property
inline constexpr DispId Documents = 6;                 // Application, property get
inline constexpr DispId BackgroundPrintingStatus = 86; // Application, property get
inline constexpr DispId Quit = 1105;    // Application, method (SaveChanges, OriginalFormat,
                                        // RouteDocument)
inline constexpr DispId Open = 15;      // Documents, method (twelve arguments, below)
inline constexpr DispId PrintOut = 444; // Document, method (eighteen arguments, below)
} // namespace WordMember

// The open formats of Documents.Open that the server reads.
namespace WordOpenFormat {
inline constexpr qint32 Auto = 0; // by the file's content
inline constexpr qint32 Rtf = 3;
inline constexpr qint32 Text = 4;    // plain text, read as UTF-8
inline constexpr qint32 WebPage = 7; // HTML
inline constexpr qint32 Xml = 8;     // a word processor document in one XML file
} // namespace WordOpenFormat

// The word processor server over LibreOffice Writer.
//
// Documents.Open(FileName, ConfirmConversions, ReadOnly, AddToRecentFiles,
// PasswordDocument, PasswordTemplate, Revert, WritePasswordDocument,
// WritePasswordTemplate, Format, Encoding, Visible) loads the file through the
// Writer import filter of its open format, hidden and read-only; the call fails
// when the file does not load as a text document. The format Auto chooses the
// filter by the file's first bytes (a Word container, a compound file, RTF) and
// refuses anything else rather than letting LibreOffice guess, which can hang on
// unknown data. The document is never written back.
//
// ActivePrinter is the user's default printer when the server starts; setting it
// to a printer that CUPS does not know fails. Document.PrintOut prints the whole
// document once, as one job on ActivePrinter, and returns when the job has been
// handed to CUPS. With PrintToFile the job still goes to ActivePrinter: the printer
// is the one that writes OutputFileName (the PostScript printer writes every job
// into its user's spool file). BackgroundPrintingStatus is the number of the user's
// jobs on ActivePrinter that CUPS has not finished. Quit closes the documents of the
// server; the office stays for the run.
//
// Only what the converters pass is accepted: passwords, print ranges, more than one
// copy or saving at Quit are refused with E_NOTIMPL rather than ignored.
std::shared_ptr<Dispatch> CreateWordApplication(Office& office, Spooler& spooler,
                                                PrintQueues& queues);

// Registers the server as "Word.Application", over CUPS. Creating it fails when
// LibreOffice is not installed (naming Writer's package). office and spooler must
// outlive the registry's use.
void RegisterWordApplication(AutomationRegistry& registry, Office& office, Spooler& spooler);
