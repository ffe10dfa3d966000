#include "GhostscriptCommand.h"
#include "Pdfmarks.h"

#include <gtest/gtest.h>

namespace {

// The classic form: an old Ghostscript with .setpdfwrite and the parameters only in
// the pdfmarks file, rendered with the paths of the worked example.
GhostscriptCommand classicCommand(const ConversionSettings& s)
{
    GhostscriptCommandOptions classic;
    classic.facts.program = QStringLiteral("F\\gs\\gs8.64\\bin\\gswin32c");
    classic.facts.hasSetPdfWrite = true;
    classic.distillerParametersFirst = false;
    return BuildGhostscriptCommand(s, QStringLiteral("E:\\PDF\\Sales 2009.pdf"), QStringLiteral("C:\\tmp.ps"),
                                   QStringLiteral("C:\\pdfmarks"), classic);
}

TEST(GhostscriptCommandTest, WorkedExampleRendersPieceByPiece)
{
    const QString text = classicCommand(ConversionSettings{}).commandLineText();
    EXPECT_EQ(text.toStdString(), "F\\gs\\gs8.64\\bin\\gswin32c  "
                                  "-dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.3 "
                                  "-sOutputFile=\"E:\\PDF\\Sales 2009.pdf\" "
                                  " -c .setpdfwrite -f  \"C:\\tmp.ps\""
                                  " \"C:\\pdfmarks\"");
}

TEST(GhostscriptCommandTest, UserPasswordAtLowGivesTheFortyBitOptions)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.userPasswordEnabled = 1;
    s.userPassword = QStringLiteral("secret");
    const QString text = classicCommand(s).commandLineText();
    EXPECT_TRUE(text.contains(QStringLiteral("=1.3 -sUserPassword=\"secret\"  -dEncryptionR=2 -dKeyLength=40 "
                                             "-dPermissions=-4  -sOutputFile=")))
        << text.toStdString();
}

TEST(GhostscriptCommandTest, OwnerComesBeforeUserAndHighHasNoLeadingBlank)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.userPasswordEnabled = 1;
    s.ownerPasswordEnabled = 1;
    s.userPassword = QStringLiteral("u");
    s.ownerPassword = QStringLiteral("o");
    s.encryptionLevel = 1;
    s.printingBox = 1;
    s.pdfVersion = QStringLiteral("V1.5(Acrobat 4.xx)");
    const QString text = classicCommand(s).commandLineText();
    EXPECT_TRUE(text.contains(QStringLiteral("=1.5 -sOwnerPassword=\"o\" -sUserPassword=\"u\" "
                                             "-dEncryptionR=3 -dKeyLength=128 -dPermissions=-2048  -sOutputFile=")))
        << text.toStdString();
}

struct PermissionCase
{
    int level;
    int copying, forms, changing, printing;
    int expected;
};

class PermissionValueTest : public testing::TestWithParam<PermissionCase>
{
};

TEST_P(PermissionValueTest, SubtractsTheAmountsOfTheCheckedBoxes)
{
    const PermissionCase& c = GetParam();
    ConversionSettings s;
    s.encryptionLevel = c.level;
    s.copyingBox = c.copying;
    s.formFillingBox = c.forms;
    s.changingBox = c.changing;
    s.printingBox = c.printing;
    EXPECT_EQ(PermissionValue(s), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PermissionValueTest,
                         testing::Values(PermissionCase{0, 0, 0, 0, 0, -4}, PermissionCase{0, 1, 1, 1, 1, -64},
                                         PermissionCase{1, 1, 0, 0, 0, -500}, PermissionCase{1, 1, 1, 1, 1, -3784},
                                         PermissionCase{1, 0, 0, 0, 1, -2048}, PermissionCase{0, 0, 1, 0, 0, -36}));

TEST(GhostscriptCommandTest, SecurityNeedsASwitchedOnPassword)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.copyingBox = 1;
    s.encryptionLevel = 1;
    const QStringList args = classicCommand(s).arguments();
    for (const QString& a : args)
        EXPECT_FALSE(a.startsWith(QStringLiteral("-dEncryptionR")) || a.startsWith(QStringLiteral("-dPermissions")) ||
                     a.contains(QStringLiteral("Password")))
            << a.toStdString();

    s.securityEnabled = 0;
    s.ownerPasswordEnabled = 1;
    s.ownerPassword = QStringLiteral("o");
    EXPECT_FALSE(classicCommand(s).arguments().join(QLatin1Char(' ')).contains(QStringLiteral("Password")));
}

TEST(GhostscriptCommandTest, CompatibilityLevelComesFromTheDigitAtIndexThree)
{
    EXPECT_EQ(CompatibilityLevel(QStringLiteral("V1.3(Acrobat 4.xx)")), QStringLiteral("1.3"));
    EXPECT_EQ(CompatibilityLevel(QStringLiteral("V1.4(Acrobat 4.xx)")), QStringLiteral("1.4"));
    EXPECT_EQ(CompatibilityLevel(QStringLiteral("V1.5(Acrobat 4.xx)")), QStringLiteral("1.5"));
    EXPECT_EQ(CompatibilityLevel(QStringLiteral("V1.6(Acrobat 4.xx)")), QString());
    EXPECT_EQ(CompatibilityLevel(QString()), QString());
}

TEST(GhostscriptCommandTest, HighEncryptionRaisesLevelOnePointThree)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.ownerPasswordEnabled = 1;
    s.ownerPassword = QStringLiteral("o");
    s.encryptionLevel = 1;
    EXPECT_EQ(classicCommand(s).compatibilityLevel, QStringLiteral("1.4"));
    s.encryptionLevel = 0;
    EXPECT_EQ(classicCommand(s).compatibilityLevel, QStringLiteral("1.3"));
}

TEST(GhostscriptCommandTest, ArgumentsCarryAnyTextAsOneArgumentEach)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.ownerPasswordEnabled = 1;
    s.userPasswordEnabled = 1;
    s.ownerPassword = QStringLiteral("own \"er\" $(rm -rf /)");
    s.userPassword = QStringLiteral("a b");
    GhostscriptCommandOptions modern; // no .setpdfwrite, parameters first
    modern.facts.program = QStringLiteral("/usr/bin/gs");
    const GhostscriptCommand cmd = BuildGhostscriptCommand(s, QStringLiteral("/out/100% 'x'.pdf"),
                                                           QStringLiteral("/w/tmp.ps"), QStringLiteral("/w/pdfmarks"),
                                                           modern);
    const QStringList args = cmd.arguments();
    EXPECT_EQ(args.first(), QStringLiteral("/usr/bin/gs"));
    EXPECT_TRUE(args.contains(QStringLiteral("-sOwnerPassword=own \"er\" $(rm -rf /)")));
    EXPECT_TRUE(args.contains(QStringLiteral("-sUserPassword=a b")));
    EXPECT_TRUE(args.contains(QStringLiteral("-sOutputFile=/out/100%% 'x'.pdf")));
    EXPECT_FALSE(args.contains(QStringLiteral(".setpdfwrite")));
    // The distiller parameters run before the spool file, the pdfmarks file after it.
    const qsizetype c = args.indexOf(QStringLiteral("-c"));
    ASSERT_GE(c, 0);
    EXPECT_TRUE(args[c + 1].endsWith(QStringLiteral("/PassThroughJPEGImages false\n>> setdistillerparams")))
        << "Flate, the default, keeps no JPEG data";
    EXPECT_EQ(args.mid(c + 2), (QStringList{QStringLiteral("-f"), QStringLiteral("/w/tmp.ps"), QStringLiteral("/w/pdfmarks")}));
}

// The security arguments go through an argument file, whose lines Ghostscript reads
// back as exactly these arguments (a real Ghostscript opens the PDFs made this way
// in the integration tests).
TEST(GhostscriptCommandTest, ArgumentFileLinesQuoteWhatGhostscriptWouldSplitOrEat)
{
    const struct
    {
        const char* argument;
        const char* line;
    } cases[] = {
        {"-sOwnerPassword=plain", "-sOwnerPassword=plain \n"},
        {"-sOwnerPassword=two words", "-sOwnerPassword=\"two words\" \n"},
        {"-sOwnerPassword=tab\there", "-sOwnerPassword=\"tab\there\" \n"},
        {"-sOwnerPassword=say \"hi\"", "-sOwnerPassword=\"say \\\"hi\\\"\" \n"},
        {"-sOwnerPassword=\"lead", "-sOwnerPassword=\\\"lead \n"},
        {"-sOwnerPassword=back\\slash", "-sOwnerPassword=back\\slash \n"},
        {"-sOwnerPassword=ends\\", "-sOwnerPassword=ends\\ \n"},
        {"-sOwnerPassword=a\\\"b", "-sOwnerPassword=a\\\\\"b \n"},
        {"-sOwnerPassword=(paren) )(", "-sOwnerPassword=\"(paren) )(\" \n"},
        {"-sOwnerPassword=#hash", "-sOwnerPassword=#hash \n"},
        {"-sOwnerPassword=Kennwort für 年度", "-sOwnerPassword=\"Kennwort für 年度\" \n"},
        {"-sOwnerPassword=", "-sOwnerPassword= \n"},
        // What quoting cannot carry goes as the hex of its bytes.
        {"-sUserPassword=blank and\\", "-dUserPassword=<626c616e6b20616e645c>\n"},
        {"-sUserPassword=line\nbreak", "-dUserPassword=<6c696e650a627265616b>\n"},
        {"-dPermissions=-3784", "-dPermissions=-3784 \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(ArgumentFileLine(QString::fromUtf8(c.argument)), QByteArray(c.line));
    }
}

TEST(GhostscriptCommandTest, SecurityArgumentsLeaveTheCommandLineForTheArgumentFile)
{
    ConversionSettings s;
    s.securityEnabled = 1;
    s.ownerPasswordEnabled = 1;
    s.userPasswordEnabled = 1;
    s.ownerPassword = QStringLiteral("secret owner");
    s.userPassword = QStringLiteral("opensesame");
    s.encryptionLevel = 1;
    s.printingBox = 1;
    const GhostscriptCommand cmd =
        BuildGhostscriptCommand(s, QStringLiteral("/o/x.pdf"), QStringLiteral("/w/tmp.ps"),
                                QStringLiteral("/w/pdfmarks"), {});
    const QStringList args = cmd.arguments(QStringLiteral("/w/ghostscript.args"));
    EXPECT_FALSE(args.join(QLatin1Char(' ')).contains(QStringLiteral("secret")));
    EXPECT_FALSE(args.join(QLatin1Char(' ')).contains(QStringLiteral("opensesame")));
    QStringList expected = cmd.arguments();
    const qsizetype first = expected.indexOf(QStringLiteral("-sOwnerPassword=secret owner"));
    ASSERT_GE(first, 0);
    expected.remove(first, 5);
    expected.insert(first, QStringLiteral("@/w/ghostscript.args"));
    EXPECT_EQ(args, expected);
    EXPECT_EQ(cmd.securityArgumentFile(),
              QByteArray("-sOwnerPassword=\"secret owner\" \n-sUserPassword=opensesame \n"
                         "-dEncryptionR=3 \n-dKeyLength=128 \n-dPermissions=-2048 \n"));
    // The text for logs and tests stays the classic one line.
    EXPECT_TRUE(cmd.commandLineText().contains(QStringLiteral(
        "-sOwnerPassword=\"secret owner\" -sUserPassword=\"opensesame\" -dEncryptionR=3")));

    s.securityEnabled = 0;
    const GhostscriptCommand open =
        BuildGhostscriptCommand(s, QStringLiteral("/o/x.pdf"), QStringLiteral("/w/tmp.ps"),
                                QStringLiteral("/w/pdfmarks"), {});
    EXPECT_FALSE(open.hasSecurityArguments());
    EXPECT_EQ(open.arguments(QStringLiteral("/w/ghostscript.args")), open.arguments());
}

// Ghostscript copies JPEG data through unless told not to: with "Flate" the
// parameters run ahead of the spool file say so; the pdfmarks file stays as it is.
TEST(GhostscriptCommandTest, OnlyFlateStopsJpegPassThrough)
{
    for (const char* images : {"Flate", "JPEG", "Automatic"}) {
        SCOPED_TRACE(images);
        ConversionSettings s;
        s.imageCompression = QString::fromLatin1(images);
        const GhostscriptCommand cmd = BuildGhostscriptCommand(s, QStringLiteral("/o/x.pdf"), QStringLiteral("/w/tmp.ps"),
                                                               QStringLiteral("/w/pdfmarks"), {});
        EXPECT_EQ(cmd.leadingParameters.contains(QStringLiteral("/PassThroughJPEGImages false")),
                  s.imageCompression == QLatin1String("Flate"));
        EXPECT_FALSE(DistillerParametersText(s).contains(QStringLiteral("PassThrough")));
    }
}

} // namespace
