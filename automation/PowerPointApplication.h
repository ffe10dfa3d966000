#pragma once

#include "Dispatch.h"
#include "Office.h"

#include <memory>

class AutomationRegistry;
class Spooler;

inline const QString PowerPointProgId = QStringLiteral("PowerPoint.Application");

// The member ids of the presentation server that this program uses.
namespace PowerPointMember {
inline constexpr DispId Visible = 2030;            // Application, property
inline constexpr DispId Presentations = 2001;      // Application, property get
inline constexpr DispId ActivePresentation = 2005; // Application, property get
inline constexpr DispId Quit = 2021;               // Application, method
inline constexpr DispId Open = 2004;     // Presentations, method (FileName, ReadOnly, Untitled,
                                         // WithWindow)
inline constexpr DispId PrintOut = 2034; // Presentation, method (From, To, PrintToFile, Copies,
                                         // Collate)
} // namespace PowerPointMember

// The presentation server over LibreOffice Impress.
//
// Presentations.Open(FileName, ReadOnly, Untitled, WithWindow) loads the file
// through Impress's import filter for its content (the zip container of .pptx or
// the compound file of .ppt; anything else is refused before LibreOffice sees it)
// hidden and read-only, and the document becomes ActivePresentation; the call fails when the
// file does not load as a presentation. The file is never written back.
//
// Presentation.PrintOut(From, To, PrintToFile, Copies, Collate) prints every slide
// once, as one job on the printer that is the user's default at the moment of the
// call, named explicitly, and returns when the job has been handed to CUPS. With
// PrintToFile the job still goes to that printer: the printer is the one that
// writes the file (the PostScript printer writes every job into its user's spool
// file). Quit closes the presentations of the server; the office stays for the run.
//
// Flags and numbers are VT_I4 (the suites' tri-state: -1 true, 0 false); VT_I2 and
// VT_BOOL are read as well. Only what the converters pass is accepted: a slide
// range or more than one copy are refused with E_NOTIMPL rather than ignored.
std::shared_ptr<Dispatch> CreatePowerPointApplication(Office& office, Spooler& spooler);

// Registers the server as "PowerPoint.Application". Creating it fails when
// LibreOffice is not installed (naming Impress's package). office and spooler must
// outlive the registry's use.
void RegisterPowerPointApplication(AutomationRegistry& registry, Office& office, Spooler& spooler);
