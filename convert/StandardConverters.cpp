#include "StandardConverters.h"

#include "ConvertExcel.h"
#include "ConvertImage.h"

ConverterTable StandardConverters(PicturePrinter& pictures, PrintJobWatch& jobs)
{
    ConverterTable table;
    table.excel = [&jobs](const ConversionTarget& t, const QString& s, ConverterServices& services) {
        return ConvertExcel(t, s, services, jobs);
    };
    table.image = [&pictures, &jobs](const ConversionTarget& t, const QString& s, ConverterServices& services) {
        return ConvertImage(t, s, services, pictures, jobs);
    };
    return table;
}

QString ConversionLockFile(const QString& workFolder)
{
    return workFolder + QStringLiteral("/conversion.lock");
}
