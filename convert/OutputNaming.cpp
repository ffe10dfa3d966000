#include "OutputNaming.h"

QString OutputName(const QString& sourcePath)
{
    const QString name = sourcePath.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? name : name.left(dot)) + QStringLiteral(".pdf");
}

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString OutputPath(const QString& destinationFolder, const QString& sourcePath)
{
    return WithTrailingSlash(destinationFolder) + OutputName(sourcePath);
}

QString SourceExtension(const QString& sourcePath)
{
    const qsizetype dot = sourcePath.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? sourcePath : sourcePath.mid(dot + 1);
}
