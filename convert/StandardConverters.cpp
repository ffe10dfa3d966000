#include "StandardConverters.h"

#include "ConvertExcel.h"
#include "ConvertImage.h"
#include "ConvertPowerPoint.h"
#include "ConvertWord.h"

ConverterTable StandardConverters(PicturePrinter& pictures, PrintJobWatch& jobs)
{
    ConverterTable table;
    table.excel = [&jobs](const ConversionTarget& t, const QString& s,
                          ConverterServices& services) {
        return ConvertExcel(t, s, services, jobs);
    };
    table.powerPoint = [&jobs](const ConversionTarget& t, const QString& s,
                               ConverterServices& services) {
        return ConvertPowerPoint(t, s, services, jobs);
    };
    table.word = [&jobs](const ConversionTarget& t, const QString& s, ConverterServices& services) {
        return ConvertWord(t, s, services, jobs);
    };
    table.image = [&pictures, &jobs](const ConversionTarget& t, const QString& s,
                                     ConverterServices& services) {
        return ConvertImage(t, s, services, pictures, jobs);
    };
    return table;
}

QString ConversionLockFile(const QString& workFolder)
{
    return workFolder + QStringLiteral("/conversion.lock");
}
