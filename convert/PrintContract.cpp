#include "PrintContract.h"

#include "WorkFolder.h"

#include <QFile>

#include <unistd.h>

QString UserWorkFolder()
{
    return QFile::decodeName(QByteArray::fromStdString(WorkFolder::pathFor(::getuid())));
}

Status PrepareWorkFolder(const QString& folder)
{
    const PlainStatus prepared =
        WorkFolder::ensure(::getuid(), QFile::encodeName(folder).toStdString());
    if (!prepared.ok())
        return Status::failure(QString::fromStdString(prepared.message()));
    return {};
}

QString PostScriptSpoolFile(const QString& workFolder)
{
    return workFolder + QLatin1Char('/') + QLatin1String(WorkFolder::SpoolFileName);
}

QString PostScriptJobRecord(const QString& workFolder)
{
    return workFolder + QLatin1Char('/') + QLatin1String(WorkFolder::JobRecordName);
}

QString PdfmarksFile(const QString& workFolder)
{
    return workFolder + QLatin1Char('/') + QLatin1String(WorkFolder::PdfmarksFileName);
}

QString DefaultPrinterRecord(const QString& workFolder)
{
    return workFolder + QStringLiteral("/default-printer");
}

QString GhostscriptArgumentFile(const QString& workFolder)
{
    return workFolder + QStringLiteral("/ghostscript.args");
}
