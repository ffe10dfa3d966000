#pragma once

#include "Converter.h"
#include "ConverterSteps.h"

#include <QString>

// Prints one workbook through the spreadsheet server "Excel.Application" to the
// printer "Pellucor" and turns the PostScript into the PDF for sourcePath in the
// target's destination folder. Shows its failures as it meets them (a print that
// failed is only reported in the result, as the worker tells the user); the
// default printer is what it was before, whatever happened, and the server has
// been told to quit and released.
ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services);

// The same with the given job watch in place of CUPS and the real clock.
ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services, PrintJobWatch& jobs);
