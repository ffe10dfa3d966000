#pragma once

#include "Dispatch.h"
#include "LibreOffice.h"

#include <memory>

class AutomationRegistry;
class ProcessRunner;
class Spooler;

inline const QString ExcelProgId = QStringLiteral("Excel.Application");

// The member ids of the spreadsheet server that this program uses.
namespace ExcelMember {
inline constexpr DispId Visible = 0x22E;   // Application, property
inline constexpr DispId Workbooks = 0x23C; // Application, property get
inline constexpr DispId Add = 0xB5;        // Workbooks, method (Template)
inline constexpr DispId PrintOut = 0x6EC;  // Workbook, method (From, To, Copies, Preview, ActivePrinter,
                                           // PrintToFile, Collate, PrToFileName)
inline constexpr DispId Quit = 0x12E;      // Application, method
} // namespace ExcelMember

// The spreadsheet server over LibreOffice Calc.
//
// Workbooks.Add(Template) loads the file as a workbook (by its content: the zip
// container of .xlsx or the compound file of .xls, always through Calc's import
// filter so that nothing else can open it as text) and keeps a copy of it, the new
// unsaved workbook; the call fails when the file does not load. PrintOut prints all
// sheets of that copy as one job on ActivePrinter, or, when that is left out, on
// the printer that is the user's default at the moment of the call. Quit ends
// every LibreOffice of the server and removes the copies.
//
// Only what the converters pass is accepted: a print range, more than one copy, a
// preview or printing to a file are refused with E_NOTIMPL rather than ignored.
std::shared_ptr<Dispatch> CreateExcelApplication(ProcessRunner& processes, Spooler& spooler,
                                                 LibreOfficeOptions options = {});

// The LibreOffice options of the spreadsheet server: options with the Calc settings
// it needs added.
LibreOfficeOptions ExcelLibreOfficeOptions(LibreOfficeOptions options = {});

// Registers the server as "Excel.Application". Creating it fails when LibreOffice
// cannot be started. processes and spooler must outlive the registry's use.
void RegisterExcelApplication(AutomationRegistry& registry, ProcessRunner& processes, Spooler& spooler,
                              LibreOfficeOptions options = {});
