#include "PrintContract.h"

#include "WorkFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
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

Status RemoveWorkFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return Status::failure(QStringLiteral("%1 cannot be removed: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                               errno);
    return {};
}
