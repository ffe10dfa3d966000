#pragma once

#include "Converter.h"
#include "ConverterSteps.h"

#include <QString>

// Prints every slide of one presentation through the presentation server
// "PowerPoint.Application" on the printer "Pellucor", made the default printer for
// the length of the conversion, and turns the PostScript into the PDF for
// sourcePath in the target's destination folder. Every failure of the server is
// shown and ends the file; the default printer is what it was before, whatever
// happened, and a server that ran has been told to quit and released.
ConverterResult ConvertPowerPoint(const ConversionTarget& target, const QString& sourcePath,
                                  ConverterServices& services);

// The same with the given job watch in place of CUPS and the real clock.
ConverterResult ConvertPowerPoint(const ConversionTarget& target, const QString& sourcePath,
                                  ConverterServices& services, PrintJobWatch& jobs);
