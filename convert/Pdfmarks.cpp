#include "Pdfmarks.h"

#include <QStringList>

namespace {

bool isAscii(const QString& value)
{
    for (QChar c : value)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

struct JpegQuality
{
    const char* factor;
    const char* samples;
};

JpegQuality jpegQualityFor(const QString& name)
{
    if (name == QLatin1String("Minimum"))
        return {"1.5", "[2 1 1 2]"};
    if (name == QLatin1String("Low"))
        return {"0.8", "[2 1 1 2]"};
    if (name == QLatin1String("Medium"))
        return {"0.55", "[2 1 1 2]"};
    if (name == QLatin1String("Maximum"))
        return {"0.1", "[1 1 1 1]"};
    return {"", ""};
}

} // namespace

QString PostScriptString(const QString& value)
{
    if (!isAscii(value)) {
        QString hex = QStringLiteral("<FEFF");
        for (QChar c : value)
            hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        return hex + QLatin1Char('>');
    }
    QString escaped = QStringLiteral("(");
    for (QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('(') || c == QLatin1Char(')'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped + QLatin1Char(')');
}

QString DocumentInfoText(const ConversionSettings& s)
{
    QString d = QStringLiteral("[");
    bool any = false;
    if (!s.title.isEmpty()) {
        d += QStringLiteral(" /Title ") + PostScriptString(s.title) + QStringLiteral(" \n");
        any = true;
    }
    if (!s.author.isEmpty()) {
        d += QStringLiteral(" /Author ") + PostScriptString(s.author) + QStringLiteral("\n");
        any = true;
    }
    if (!s.subject.isEmpty()) {
        d += QStringLiteral(" /Subject ") + PostScriptString(s.subject) + QStringLiteral("\n");
        any = true;
    }
    if (!s.keywords.isEmpty()) {
        d += QStringLiteral(" /Keywords ") + PostScriptString(s.keywords) + QStringLiteral("\n");
        any = true;
    }
    return any ? d + QStringLiteral("/DOCINFO pdfmark") : QString();
}

QString DistillerParametersText(const ConversionSettings& s)
{
    QString p = QStringLiteral("\n");
    if (s.documentCompression == QLatin1String("Flate"))
        p += QStringLiteral("/CompressPages true\n/UseFlateCompression true\n");
    else if (s.documentCompression == QLatin1String("LZW"))
        p += QStringLiteral("/CompressPages true\n/UseFlateCompression false\n");

    const JpegQuality jq = jpegQualityFor(s.jpegQuality);
    const QString q = QStringLiteral("<</QFactor %1 /HSamples %2 /VSamples %2 /Blend 1 /ColorTransform 1 >>")
                          .arg(QLatin1String(jq.factor), QLatin1String(jq.samples));

    QStringList filters;
    QString colorDict = QStringLiteral("/ColorImageDict");
    QString grayDict = QStringLiteral("/GrayImageDict");
    if (s.imageCompression == QLatin1String("JPEG")) {
        filters = {QStringLiteral("/AutoFilterColorImages false"), QStringLiteral("/AutoFilterGrayImages false"),
                   QStringLiteral("/EncodeColorImages true"),      QStringLiteral("/EncodeGrayImages true"),
                   QStringLiteral("/ColorImageFilter /DCTEncode"), QStringLiteral("/GrayImageFilter /DCTEncode")};
    } else if (s.imageCompression == QLatin1String("Flate")) {
        filters = {QStringLiteral("/AutoFilterColorImages false"),  QStringLiteral("/AutoFilterGrayImages false"),
                   QStringLiteral("/EncodeColorImages true"),       QStringLiteral("/EncodeGrayImages true"),
                   QStringLiteral("/EncodeMonoImages true"),        QStringLiteral("/ColorImageFilter /FlateEncode"),
                   QStringLiteral("/GrayImageFilter /FlateEncode"), QStringLiteral("/MonoImageFilter /FlateEncode")};
    } else if (s.imageCompression == QLatin1String("Automatic")) {
        filters = {QStringLiteral("/AutoFilterColorImages true"),  QStringLiteral("/AutoFilterGrayImages true"),
                   QStringLiteral("/EncodeColorImages true"),      QStringLiteral("/EncodeGrayImages true"),
                   QStringLiteral("/ColorImageFilter /DCTEncode"), QStringLiteral("/GrayImageFilter /DCTEncode")};
        colorDict = QStringLiteral("/ColorACSImageDict");
        grayDict = QStringLiteral("/GrayACSImageDict");
    }
    if (!filters.isEmpty()) {
        p += filters.join(QLatin1Char('\n'));
        p += QLatin1Char('\n') + colorDict + QStringLiteral(" \n") + q;
        p += QLatin1Char('\n') + grayDict + QStringLiteral(" \n") + q;
    }
    return QStringLiteral("<<") + p + QStringLiteral("\n>> setdistillerparams");
}

ConversionSettings WithDocumentDefaults(const ConversionSettings& settings,
                                        const QString& sourcePath, const QString& userName)
{
    ConversionSettings described = settings;
    if (described.title.isEmpty())
        described.title = sourcePath.mid(sourcePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (described.author.isEmpty())
        described.author = userName;
    return described;
}

QString PdfmarksText(const ConversionSettings& settings)
{
    return DocumentInfoText(settings) + QStringLiteral("\n\n\n\n") + DistillerParametersText(settings);
}

QByteArray PdfmarksBytes(const ConversionSettings& settings)
{
    return PdfmarksText(settings).toLatin1();
}
