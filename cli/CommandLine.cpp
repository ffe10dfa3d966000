#include "CommandLine.h"

#include "Terminal.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

struct Choice
{
    const char* word;
    const char* item; // the list item of the windows that the word stands for
};

// Maps a lower-case word to the exact item text; empty when it is not one of them.
QString pick(const QString& value, std::initializer_list<Choice> choices)
{
    for (const Choice& c : choices)
        if (value.compare(QLatin1String(c.word), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(c.item);
    return {};
}

QString choiceWords(std::initializer_list<Choice> choices)
{
    QStringList words;
    for (const Choice& c : choices)
        words << QString::fromLatin1(c.word);
    return words.join(QLatin1Char('|'));
}

constexpr std::initializer_list<Choice> Compressions{{"flate", "Flate"}, {"lzw", "LZW"}};
constexpr std::initializer_list<Choice> ImageCompressions{{"flate", "Flate"}, {"jpeg", "JPEG"}, {"auto", "Automatic"}};
constexpr std::initializer_list<Choice> Qualities{
    {"minimum", "Minimum"}, {"low", "Low"}, {"medium", "Medium"}, {"maximum", "Maximum"}};
constexpr std::initializer_list<Choice> Versions{
    {"1.3", "V1.3(Acrobat 4.xx)"}, {"1.4", "V1.4(Acrobat 4.xx)"}, {"1.5", "V1.5(Acrobat 4.xx)"}};
constexpr std::initializer_list<Choice> Levels{{"low", "0"}, {"high", "1"}};

} // namespace

Result<QString> ReadPasswordFile(const QString& path, const QString& prompt)
{
    QByteArray line;
    if (path == QLatin1String("-")) {
        const std::optional<QByteArray> typed = ReadStandardInputLine(prompt);
        if (!typed)
            return Status::failure(QStringLiteral("no password came from standard input"));
        line = *typed;
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Status::failure(QStringLiteral("the password file %1 cannot be read: %2")
                                       .arg(path, file.errorString()));
        line = file.readLine(64 * 1024);
        if (line.isEmpty() && file.atEnd())
            return Status::failure(QStringLiteral("the password file %1 is empty").arg(path));
    }
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments, const PasswordReader& readPassword)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts spreadsheets, documents, presentations and pictures into PDF files, one PDF per FILE,\n"
        "named after the FILE with the extension .pdf."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Folder for the PDF files (default: the current folder)."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Document title."), QStringLiteral("TEXT"));
    const QCommandLineOption subject(QStringLiteral("subject"), QStringLiteral("Document subject."), QStringLiteral("TEXT"));
    const QCommandLineOption author(QStringLiteral("author"), QStringLiteral("Document author."), QStringLiteral("TEXT"));
    const QCommandLineOption keywords(QStringLiteral("keywords"), QStringLiteral("Document keywords."), QStringLiteral("TEXT"));
    const QCommandLineOption userPassword(QStringLiteral("user-password"),
                                          QStringLiteral("Password needed to open the PDF (needs an owner password). Passwords "
                                                         "given as arguments are visible to other users of this "
                                                         "computer: prefer --user-password-file."),
                                          QStringLiteral("PASSWORD"));
    const QCommandLineOption ownerPassword(QStringLiteral("owner-password"),
                                           QStringLiteral("Password that guards the permissions; turns security on. "
                                                          "Visible to other users: prefer --owner-password-file."),
                                           QStringLiteral("PASSWORD"));
    const QCommandLineOption userPasswordFile(
        QStringLiteral("user-password-file"),
        QStringLiteral("Read the user password from the first line of FILE (- reads standard input, without echo "
                       "on a terminal)."),
        QStringLiteral("FILE"));
    const QCommandLineOption ownerPasswordFile(QStringLiteral("owner-password-file"),
                                               QStringLiteral("Read the owner password from the first line of FILE "
                                                              "(- reads standard input)."),
                                               QStringLiteral("FILE"));
    const QCommandLineOption noCopy(QStringLiteral("no-copy"), QStringLiteral("Forbid content copying or extraction."));
    const QCommandLineOption noForms(QStringLiteral("no-forms"), QStringLiteral("Forbid form filling, signing, commenting."));
    const QCommandLineOption noChanges(QStringLiteral("no-changes"), QStringLiteral("Forbid changing the document."));
    const QCommandLineOption noPrint(QStringLiteral("no-print"), QStringLiteral("Forbid printing."));
    const QCommandLineOption encryption(QStringLiteral("encryption"),
                                        QStringLiteral("RC4 key: low (40-bit, default) or high (128-bit)."),
                                        QStringLiteral("low|high"));
    const QCommandLineOption compression(QStringLiteral("compression"),
                                         QStringLiteral("Document compression (default flate)."), choiceWords(Compressions));
    const QCommandLineOption images(QStringLiteral("images"), QStringLiteral("Image compression (default flate)."),
                                    choiceWords(ImageCompressions));
    const QCommandLineOption quality(QStringLiteral("jpeg-quality"), QStringLiteral("JPEG quality (default minimum)."),
                                     choiceWords(Qualities));
    const QCommandLineOption version(QStringLiteral("pdf-version"), QStringLiteral("PDF version (default 1.3)."),
                                     choiceWords(Versions));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"),
                                       QStringLiteral("Replace existing PDF files without asking."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print only failures, no progress."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption showVersion(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOptions({output, title, subject, author, keywords, userPassword, ownerPassword, userPasswordFile,
                       ownerPasswordFile, noCopy, noForms, noChanges,
                       noPrint, encryption, compression, images, quality, version, overwrite, quiet, help, showVersion});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Files to convert."), QStringLiteral("FILE..."));

    ParsedCommandLine parsed;
    if (!parser.parse(QStringList{QStringLiteral("tabloria-convert")} + arguments)) {
        parsed.text = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.action = ParsedCommandLine::Action::ShowHelp;
        parsed.text = parser.helpText();
        return parsed;
    }
    if (parser.isSet(showVersion)) {
        parsed.action = ParsedCommandLine::Action::ShowVersion;
        return parsed;
    }

    CommandLineOptions& o = parsed.options;
    ConversionSettings& s = o.settings;
    o.files = parser.positionalArguments();
    o.outputFolder = parser.value(output);
    o.overwrite = parser.isSet(overwrite);
    o.quiet = parser.isSet(quiet);
    s.title = parser.value(title);
    s.subject = parser.value(subject);
    s.author = parser.value(author);
    s.keywords = parser.value(keywords);

    auto choose = [&](const QCommandLineOption& option, std::initializer_list<Choice> choices, QString& field) {
        if (!parser.isSet(option))
            return true;
        const QString item = pick(parser.value(option), choices);
        if (item.isEmpty()) {
            parsed.text = QStringLiteral("--%1 takes %2, not \"%3\"")
                              .arg(option.names().constLast(), choiceWords(choices), parser.value(option));
            return false;
        }
        field = item;
        return true;
    };
    QString level = QStringLiteral("0");
    if (!choose(compression, Compressions, s.documentCompression) || !choose(images, ImageCompressions, s.imageCompression) ||
        !choose(quality, Qualities, s.jpegQuality) || !choose(version, Versions, s.pdfVersion) ||
        !choose(encryption, Levels, level))
        return parsed;

    if (parser.isSet(ownerPassword) && parser.isSet(ownerPasswordFile)) {
        parsed.text = QStringLiteral(
            "give the owner password once: --owner-password or --owner-password-file");
        return parsed;
    }
    if (parser.isSet(userPassword) && parser.isSet(userPasswordFile)) {
        parsed.text =
            QStringLiteral("give the user password once: --user-password or --user-password-file");
        return parsed;
    }
    if (parser.value(ownerPasswordFile) == QLatin1String("-") &&
        parser.value(userPasswordFile) == QLatin1String("-")) {
        parsed.text = QStringLiteral("only one password can come from standard input");
        return parsed;
    }
    // Files are read only once the rest of the line is known to be sound, so that a
    // mistake is not met after the password was typed.
    const bool ownerGiven = parser.isSet(ownerPassword) || parser.isSet(ownerPasswordFile);
    const bool userGiven = parser.isSet(userPassword) || parser.isSet(userPasswordFile);
    const bool restricted = parser.isSet(noCopy) || parser.isSet(noForms) ||
                            parser.isSet(noChanges) || parser.isSet(noPrint) ||
                            parser.isSet(encryption);
    if (o.files.isEmpty()) {
        parsed.text = QStringLiteral("no FILE given");
        return parsed;
    }
    if (restricted && !ownerGiven && !userGiven) {
        parsed.text =
            QStringLiteral("permissions and encryption need a password: add --owner-password-file");
        return parsed;
    }
    if (userGiven && !ownerGiven) {
        parsed.text =
            QStringLiteral("a user password needs an owner password: add --owner-password-file");
        return parsed;
    }
    const auto readOption = [&](const QCommandLineOption& file, const QCommandLineOption& value,
                                const QString& what, QString& password) {
        if (!parser.isSet(file)) {
            password = parser.value(value);
            return true;
        }
        const Result<QString> read =
            readPassword(parser.value(file), QStringLiteral("%1 password: ").arg(what));
        if (!read.ok()) {
            parsed.text = read.status().message();
            return false;
        }
        password = read.value();
        return true;
    };
    if (ownerGiven || userGiven) {
        s.securityEnabled = 1;
        s.userPasswordEnabled = userGiven ? 1 : 0;
        s.ownerPasswordEnabled = ownerGiven ? 1 : 0;
        if (!readOption(ownerPasswordFile, ownerPassword, QStringLiteral("Owner"),
                        s.ownerPassword) ||
            !readOption(userPasswordFile, userPassword, QStringLiteral("User"), s.userPassword))
            return parsed;
        if (s.userPasswordEnabled == 1 && s.userPassword.isEmpty()) {
            parsed.text = QStringLiteral("the user password is empty");
            return parsed;
        }
        if (s.ownerPassword.isEmpty()) {
            parsed.text = s.ownerPasswordEnabled == 1
                              ? QStringLiteral("the owner password is empty")
                              : QStringLiteral("a user password needs an owner password: add --owner-password");
            return parsed;
        }
    }
    s.copyingBox = parser.isSet(noCopy) ? 1 : 0;
    s.formFillingBox = parser.isSet(noForms) ? 1 : 0;
    s.changingBox = parser.isSet(noChanges) ? 1 : 0;
    s.printingBox = parser.isSet(noPrint) ? 1 : 0;
    s.encryptionLevel = level.toInt();
    parsed.action = ParsedCommandLine::Action::Convert;
    return parsed;
}
