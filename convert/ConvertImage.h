#pragma once

#include "Converter.h"
#include "ConverterSteps.h"

class PicturePrinter;

// Prints one picture ("jpg", "bmp", "png", "gif") on one page of the printer
// "Pellucor", 3 x its pixel size in printer pixels at the top-left corner, and turns
// the PostScript into the PDF for sourcePath. A picture that cannot be decoded, or
// a print that cannot be made, is shown and gives no PDF; the default printer is
// what it was before, whatever happened.
ConverterResult ConvertImage(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services, PicturePrinter& printer,
                             PrintJobWatch& jobs);
