#pragma once

#include "Dispatch.h"
#include "LibreOffice.h"
#include "Office.h"

#include <memory>

class AutomationRegistry;
class Spooler;

inline const QString ExcelProgId = QStringLiteral("Excel.Application");

// The member ids of the spreadsheet server that this program uses.
namespace ExcelMember {
inline constexpr DispId Visible = 0x22E;   // Application, property
inline constexpr DispId Workbooks = 0x23C; // Application, property get
inline constexpr DispId Add = 0xB5;        // Workbooks, method (Template)
inline constexpr DispId PrintOut = 0x6EC;  // Workbook, method (From, To, Copies, Preview,
                                          // ActivePrinter, PrintToFile, Collate, PrToFileName)
inline constexpr DispId Quit = 0x12E; // Application, method
} // namespace ExcelMember

// The spreadsheet server over LibreOffice Calc.
//
// Workbooks.Add(Template) loads the file in the office of the run, hidden and
// read-only, as a workbook (by its content: the zip container of .xlsx or the
// compound file of .xls, always through Calc's import filter so that nothing else
// can open it as text): the new unsaved workbook; the call fails when the file does
// not load. PrintOut prints all sheets of it as one job on ActivePrinter, or, when
// that is left out, on the printer that is the user's default at the moment of the
// call. Quit closes the workbooks of the server; the office stays for the run.
//
// Only what the converters pass is accepted: a print range, more than one copy, a
// preview or printing to a file are refused with E_NOTIMPL rather than ignored.
std::shared_ptr<Dispatch> CreateExcelApplication(Office& office, Spooler& spooler);

// The office options with the Calc settings the spreadsheet server needs added.
LibreOfficeOptions ExcelLibreOfficeOptions(LibreOfficeOptions options = {});

// Registers the server as "Excel.Application". Creating it fails when LibreOffice is
// not installed. office and spooler must outlive the registry's use.
void RegisterExcelApplication(AutomationRegistry& registry, Office& office, Spooler& spooler);
