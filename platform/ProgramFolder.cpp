#include "ProgramFolder.h"

#include <QFileInfo>

QString programFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe"))
        .canonicalFilePath()
        .section(QLatin1Char('/'), 0, -2);
}
