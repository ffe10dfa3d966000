// The PDF step with the real Ghostscript; every PDF is read back with pdfinfo,
// pdfimages and qpdf, never with anything of ours.
#include "PdfStep.h"

#include "Fakes.h"
#include "PosixProcessRunner.h"
#include "PrintJob.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class GhostscriptPdfStepTest : public testing::Test
{
protected:
    GhostscriptPdfStepTest()
    {
        work = scratch.file(QStringLiteral("work"));
        dest = scratch.file(QStringLiteral("dest"));
        QDir().mkpath(dest);
        QDir().mkpath(work);
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(work + QStringLiteral("/tmp.ps"), samplePostScript());
    }

    PdfStepResult convert(const QString& name = QStringLiteral("Book.xlsx"))
    {
        // The step removes the spool file once it is done with it.
        writeFile(work + QStringLiteral("/tmp.ps"), spool);
        PdfStepServices services{runner, spooler, prompter, work, QStringLiteral("/nonexistent")};
        return ConvertPostScriptToPdf(QStringLiteral("/data/") + name, dest, settings, SavedPrinter(), services);
    }

    QString convertAndGetPath()
    {
        const PdfStepResult result = convert();
        EXPECT_TRUE(result.written) << result.failure.toStdString();
        return result.outputPath;
    }

    static QString info(const QString& pdf, const QStringList& extra = {})
    {
        return runTool(QStringList{QStringLiteral("pdfinfo")} + extra + QStringList{pdf}).output;
    }

    static QString encryption(const QString& pdf, const QString& password = {})
    {
        QStringList args{QStringLiteral("qpdf")};
        if (!password.isNull())
            args << QStringLiteral("--password=") + password;
        return runTool(args << QStringLiteral("--show-encryption") << pdf).output;
    }

    void enableSecurity(const QString& owner, const QString& user, int level)
    {
        settings.securityEnabled = 1;
        settings.ownerPasswordEnabled = owner.isEmpty() ? 0 : 1;
        settings.ownerPassword = owner;
        settings.userPasswordEnabled = user.isEmpty() ? 0 : 1;
        settings.userPassword = user;
        settings.encryptionLevel = level;
    }

    ScratchFolder scratch;
    QByteArray spool = samplePostScript(); // what the printer left in the spool file
    QString work;
    QString dest;
    ConversionSettings settings;
    PosixProcessRunner runner;
    FakeSpooler spooler;
    FakePrompter prompter;
};

TEST_F(GhostscriptPdfStepTest, DescriptionReachesThePdf)
{
    settings.title = QStringLiteral("Budget (draft");
    settings.subject = QStringLiteral("Back\\slash) and more");
    settings.author = QStringLiteral("年度报告 Ünïcode");
    settings.keywords = QStringLiteral("first\r\nsecond");
    const QString out = info(convertAndGetPath());
    EXPECT_TRUE(out.contains(QStringLiteral("Title:           Budget (draft\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Subject:         Back\\slash) and more\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Author:          年度报告 Ünïcode\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Keywords:        first\nsecond\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Pages:           1\n")));
}

// The printed job's title is the office's internal name for the document; the PDF
// is named after the source file and its author is the user.
TEST_F(GhostscriptPdfStepTest, WithoutDescriptionTheFileNameIsTheTitle)
{
    for (const char* name : {"budget.xls", "報告.xlsx", "photo (1).png"}) {
        const PdfStepResult result = convert(QString::fromUtf8(name));
        ASSERT_TRUE(result.written) << result.failure.toStdString();
        const QString out = info(result.outputPath);
        EXPECT_TRUE(
            out.contains(QStringLiteral("Title:           %1\n").arg(QString::fromUtf8(name))))
            << out.toStdString();
        EXPECT_TRUE(
            out.contains(QStringLiteral("Author:          %1\n").arg(CurrentUserFullName())))
            << out.toStdString();
    }
}

TEST_F(GhostscriptPdfStepTest, VersionItemSetsThePdfVersion)
{
    for (const char* v : {"3", "4", "5"}) {
        settings.pdfVersion = QStringLiteral("V1.%1(Acrobat 4.xx)").arg(QLatin1String(v));
        const QString out = info(convertAndGetPath());
        EXPECT_TRUE(out.contains(QStringLiteral("PDF version:     1.%1\n").arg(QLatin1String(v)))) << out.toStdString();
    }
}

TEST_F(GhostscriptPdfStepTest, SecurityVariantsReadBack)
{
    struct Case
    {
        QString owner, user;
        int level;
        int copying, printing;
        QString expectR, expectP;
    };
    const QString quoteAndBlank = QStringLiteral("pass \"word\" 1");
    const QList<Case> cases{
        {QStringLiteral("owner"), {}, 0, 1, 0, QStringLiteral("R = 2"), QStringLiteral("P = -20")},
        {QStringLiteral("owner"), quoteAndBlank, 0, 0, 0, QStringLiteral("R = 2"), QStringLiteral("P = -4")},
        {QStringLiteral("owner"), quoteAndBlank, 1, 1, 0, QStringLiteral("R = 3"), QStringLiteral("P = -500")},
        {QStringLiteral("own er"), QStringLiteral("u"), 1, 0, 1, QStringLiteral("R = 3"), QStringLiteral("P = -2048")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("owner=%1 user=%2 level=%3").arg(c.owner, c.user).arg(c.level).toStdString());
        enableSecurity(c.owner, c.user, c.level);
        settings.copyingBox = c.copying;
        settings.printingBox = c.printing;
        const QString pdf = convertAndGetPath();
        const QString shown = encryption(pdf, c.user.isEmpty() ? QString() : c.user);
        EXPECT_TRUE(shown.contains(c.expectR + QLatin1Char('\n'))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(c.expectP + QLatin1Char('\n'))) << shown.toStdString();
        if (!c.user.isEmpty()) {
            EXPECT_TRUE(shown.contains(QStringLiteral("Supplied password is user password")));
            EXPECT_NE(runTool({QStringLiteral("qpdf"), QStringLiteral("--check"), pdf}).exitCode, 0)
                << "opens without the user password";
        }
        // The owner password opens it too.
        EXPECT_EQ(runTool({QStringLiteral("qpdf"), QStringLiteral("--password=") + c.owner, QStringLiteral("--check"), pdf})
                      .exitCode,
                  0);
    }
}

// Passwords that a shell or an argument file would mangle reach the PDF exactly:
// opened with the owner password, the PDF gives back the user password as set.
TEST_F(GhostscriptPdfStepTest, EveryPasswordOpensThePdfExactly)
{
    const QStringList passwords{QStringLiteral("two words"),   QStringLiteral("say \"hi\""),
                                QStringLiteral("\"lead"),      QStringLiteral("back\\slash"),
                                QStringLiteral("ends\\"),      QStringLiteral("a\\\"b"),
                                QStringLiteral("(paren) )("),  QStringLiteral("#hash"),
                                QStringLiteral("blank and\\"), QStringLiteral("Kennwort für")};
    for (const QString& user : passwords) {
        SCOPED_TRACE(user.toStdString());
        const QString owner = QStringLiteral("own ") + user;
        enableSecurity(owner, user, 1);
        const QString pdf = convertAndGetPath();
        const QString shown = encryption(pdf, owner);
        EXPECT_TRUE(shown.contains(QStringLiteral("User password = ") + user + QLatin1Char('\n')))
            << shown.toStdString();
        EXPECT_EQ(runTool({QStringLiteral("pdfinfo"), QStringLiteral("-upw"), user, pdf}).exitCode,
                  0);
        EXPECT_NE(runTool({QStringLiteral("pdfinfo"), QStringLiteral("-upw"),
                           user + QLatin1Char('x'), pdf})
                      .exitCode,
                  0);
        EXPECT_FALSE(QFile::exists(work + QStringLiteral("/ghostscript.args")));
    }
}

TEST_F(GhostscriptPdfStepTest, NoSecurityMeansNoEncryption)
{
    settings.securityEnabled = 1; // switched on, but no password box checked
    settings.printingBox = 1;
    EXPECT_TRUE(encryption(convertAndGetPath()).contains(QStringLiteral("File is not encrypted")));
}

TEST_F(GhostscriptPdfStepTest, HighEncryptionAtVersionOnePointThreeStillMakesAPdf)
{
    enableSecurity(QStringLiteral("o"), QStringLiteral("u"), 1);
    const QString pdf = convertAndGetPath();
    EXPECT_TRUE(encryption(pdf, QStringLiteral("u")).contains(QStringLiteral("R = 3\n")));
    EXPECT_TRUE(info(pdf, {QStringLiteral("-upw"), QStringLiteral("u")}).contains(QStringLiteral("PDF version:     1.4\n")));
}

TEST_F(GhostscriptPdfStepTest, ImageSettingsTakeEffect)
{
    auto imageEncoding = [this]() {
        const QString pdf = convertAndGetPath();
        const QString list = runTool({QStringLiteral("pdfimages"), QStringLiteral("-list"), pdf}).output;
        const QStringList rows = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_GE(rows.size(), 3) << list.toStdString();
        return std::pair(rows.value(2).simplified().section(QLatin1Char(' '), 8, 8), QFileInfo(pdf).size());
    };

    settings.imageCompression = QStringLiteral("Flate");
    EXPECT_EQ(imageEncoding().first, QStringLiteral("image"));

    settings.imageCompression = QStringLiteral("JPEG");
    settings.jpegQuality = QStringLiteral("Minimum");
    const auto [minimumEncoding, minimumSize] = imageEncoding();
    EXPECT_EQ(minimumEncoding, QStringLiteral("jpeg"));

    settings.jpegQuality = QStringLiteral("Maximum");
    const auto [maximumEncoding, maximumSize] = imageEncoding();
    EXPECT_EQ(maximumEncoding, QStringLiteral("jpeg"));
    EXPECT_GT(maximumSize, minimumSize * 2) << "Minimum " << minimumSize << " bytes, Maximum " << maximumSize;
}

TEST_F(GhostscriptPdfStepTest, UnusualFileNamesArriveUnharmed)
{
    for (const QString& name : {QStringLiteral("100% done %d.xlsx"), QStringLiteral("-dNOSAFER.xlsx"),
                                QStringLiteral("\"q\" $(touch x) `y`.xlsx")}) {
        const PdfStepResult result = convert(name);
        EXPECT_TRUE(result.written) << name.toStdString() << ": " << result.failure.toStdString();
        EXPECT_TRUE(QFileInfo::exists(result.outputPath)) << result.outputPath.toStdString();
    }
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(GhostscriptPdfStepTest, BrokenPostScriptLeavesNothingBehind)
{
    writeFile(dest + QStringLiteral("/Book.pdf"), "the old one");
    spool = "%!PS\n/undefinedthing load showpage\n";
    const PdfStepResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.startsWith(QStringLiteral("Ghostscript ended with exit code"))) << result.failure.toStdString();
    EXPECT_EQ(QDir(dest).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Book.pdf")});
    EXPECT_EQ(readFile(dest + QStringLiteral("/Book.pdf")), "the old one");
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList())
        << "no work file is left";
    // The run was waited for: no Ghostscript of ours is left.
    EXPECT_NE(runTool({QStringLiteral("pgrep"), QStringLiteral("-f"), work}).exitCode, 0);
}

} // namespace

#include "Ghostscript.h"

namespace {

TEST(GhostscriptProbeTest, TheSystemGhostscriptHasNoSetPdfWrite)
{
    PosixProcessRunner runner;
    const GhostscriptFacts facts = LocateGhostscript(QStringLiteral("/nonexistent"), runner);
    EXPECT_EQ(facts.program, QStringLiteral("gs"));
    const QString version = runTool({QStringLiteral("gs"), QStringLiteral("--version")}).output.trimmed();
    if (version.section(QLatin1Char('.'), 0, 0).toInt() >= 10) {
        EXPECT_FALSE(facts.hasSetPdfWrite) << version.toStdString();
    }
}

} // namespace
