#include "GhostscriptCommand.h"

#include "Pdfmarks.h"

#include <QFile>

namespace {

// Ghostscript reads "%d" and friends in an output name as a page-number format;
// "%%" stands for one '%'.
QString escapePercent(QString path)
{
    return path.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString CompatibilityLevel(const QString& pdfVersion)
{
    QString level;
    for (int d = 3; d <= 5; ++d) {
        if (!pdfVersion.isEmpty() && pdfVersion.indexOf(QChar(u'0' + d)) == 3)
            level = QStringLiteral("1.%1").arg(d);
    }
    return level;
}

int PermissionValue(const ConversionSettings& s)
{
    int p = -4;
    if (s.encryptionLevel == 0) {
        p -= s.copyingBox == 1 ? 16 : 0;
        p -= s.formFillingBox == 1 ? 32 : 0;
        p -= s.changingBox == 1 ? 8 : 0;
        p -= s.printingBox == 1 ? 4 : 0;
    } else if (s.encryptionLevel == 1) {
        p -= s.copyingBox == 1 ? 496 : 0;
        p -= s.formFillingBox == 1 ? 224 : 0;
        p -= s.changingBox == 1 ? 1016 : 0;
        p -= s.printingBox == 1 ? 2044 : 0;
    }
    return p;
}

QByteArray ArgumentFileLine(const QString& argument)
{
    const QByteArray bytes = QFile::encodeName(argument);
    const qsizetype eq = bytes.indexOf('=');
    QByteArray line = bytes.left(eq + 1);
    const QByteArray value = eq < 0 ? QByteArray() : bytes.mid(eq + 1);

    bool blank = false;
    bool lineBreak = false;
    for (char c : value) {
        blank = blank || c == ' ' || c == '\t';
        lineBreak = lineBreak || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    }
    if (lineBreak || (blank && value.endsWith('\\'))) {
        if (line.startsWith("-s"))
            line[1] = 'd';
        return line + '<' + value.toHex() + ">\n";
    }
    if (blank)
        line += '"';
    for (char c : value) {
        if (c == '"')
            line += '\\';
        line += c;
    }
    // A closing quote needs a blank after it, and a trailing backslash must not meet
    // the line end, which would join the next line to this one.
    return line + (blank ? "\" \n" : " \n");
}

QStringList GhostscriptCommand::securityArguments() const
{
    QStringList args;
    if (ownerPassword)
        args << QStringLiteral("-sOwnerPassword=") + *ownerPassword;
    if (userPassword)
        args << QStringLiteral("-sUserPassword=") + *userPassword;
    if (encryption == Encryption::Low)
        args << QStringLiteral("-dEncryptionR=2") << QStringLiteral("-dKeyLength=40");
    else if (encryption == Encryption::High)
        args << QStringLiteral("-dEncryptionR=3") << QStringLiteral("-dKeyLength=128");
    if (encryption != Encryption::None)
        args << QStringLiteral("-dPermissions=%1").arg(permissions);
    return args;
}

QByteArray GhostscriptCommand::securityArgumentFile() const
{
    QByteArray text;
    for (const QString& argument : securityArguments())
        text += ArgumentFileLine(argument);
    return text;
}

QStringList GhostscriptCommand::arguments() const
{
    return arguments(QString());
}

QStringList GhostscriptCommand::arguments(const QString& argumentFile) const
{
    QStringList args{program,
                     QStringLiteral("-dSAFER"),
                     QStringLiteral("-dNOPAUSE"),
                     QStringLiteral("-dBATCH"),
                     QStringLiteral("-sDEVICE=pdfwrite"),
                     QStringLiteral("-dCompatibilityLevel=") + compatibilityLevel};
    const QStringList security = securityArguments();
    if (argumentFile.isEmpty())
        args << security;
    else if (!security.isEmpty())
        args << QLatin1Char('@') + argumentFile;
    args << QStringLiteral("-sOutputFile=") + escapePercent(outputFile);
    if (setPdfWrite || !leadingParameters.isEmpty()) {
        args << QStringLiteral("-c");
        if (setPdfWrite)
            args << QStringLiteral(".setpdfwrite");
        if (!leadingParameters.isEmpty())
            args << leadingParameters;
        args << QStringLiteral("-f");
    }
    args << spoolFile << pdfmarksFile;
    return args;
}

QString GhostscriptCommand::commandLineText() const
{
    QString text = program + QStringLiteral("  ");
    text += QStringLiteral("-dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=") +
            compatibilityLevel + QLatin1Char(' ');
    if (ownerPassword)
        text += QStringLiteral("-sOwnerPassword=") + quoted(*ownerPassword) + QLatin1Char(' ');
    if (userPassword)
        text += QStringLiteral("-sUserPassword=") + quoted(*userPassword) + QLatin1Char(' ');
    if (encryption == Encryption::Low)
        text += QStringLiteral(" -dEncryptionR=2 -dKeyLength=40 ");
    else if (encryption == Encryption::High)
        text += QStringLiteral("-dEncryptionR=3 -dKeyLength=128 ");
    if (encryption != Encryption::None)
        text += QStringLiteral("-dPermissions=%1  ").arg(permissions);
    text += QStringLiteral("-sOutputFile=") + quoted(outputFile) + QLatin1Char(' ');
    QStringList code;
    if (setPdfWrite)
        code << QStringLiteral(".setpdfwrite");
    if (!leadingParameters.isEmpty())
        code << leadingParameters;
    text += code.isEmpty() ? QStringLiteral(" ") : QStringLiteral(" -c ") + code.join(QLatin1Char(' ')) + QStringLiteral(" -f ");
    text += QLatin1Char(' ') + quoted(spoolFile);
    text += QLatin1Char(' ') + quoted(pdfmarksFile);
    return text;
}

GhostscriptCommand BuildGhostscriptCommand(const ConversionSettings& s, const QString& outputFile,
                                           const QString& spoolFile, const QString& pdfmarksFile,
                                           const GhostscriptCommandOptions& options)
{
    GhostscriptCommand cmd;
    cmd.program = options.facts.program;
    cmd.compatibilityLevel = CompatibilityLevel(s.pdfVersion);
    cmd.outputFile = outputFile;
    cmd.spoolFile = spoolFile;
    cmd.pdfmarksFile = pdfmarksFile;
    cmd.setPdfWrite = options.facts.hasSetPdfWrite;
    if (options.distillerParametersFirst) {
        cmd.leadingParameters = DistillerParametersText(s);
        // Ghostscript copies JPEG data it meets unchanged into the PDF unless told
        // not to: with "Flate" chosen, every picture must come out lossless.
        if (s.imageCompression == QLatin1String("Flate"))
            cmd.leadingParameters.insert(cmd.leadingParameters.lastIndexOf(QStringLiteral(">> setdistillerparams")),
                                         QStringLiteral("/PassThroughJPEGImages false\n"));
    }

    const bool anyPassword = s.ownerPasswordEnabled == 1 || s.userPasswordEnabled == 1;
    if (s.securityEnabled == 1 && anyPassword) {
        if (s.ownerPasswordEnabled == 1)
            cmd.ownerPassword = s.ownerPassword;
        if (s.userPasswordEnabled == 1)
            cmd.userPassword = s.userPassword;
        if (s.encryptionLevel == 0)
            cmd.encryption = GhostscriptCommand::Encryption::Low;
        else if (s.encryptionLevel == 1)
            cmd.encryption = GhostscriptCommand::Encryption::High;
        cmd.permissions = PermissionValue(s);
        // PDF 1.3 knows only 40-bit keys, and Ghostscript refuses a 128-bit key there.
        if (cmd.encryption == GhostscriptCommand::Encryption::High && cmd.compatibilityLevel == QLatin1String("1.3"))
            cmd.compatibilityLevel = QStringLiteral("1.4");
    }
    return cmd;
}
