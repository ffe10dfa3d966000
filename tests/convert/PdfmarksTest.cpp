#include "Pdfmarks.h"

#include <gtest/gtest.h>

namespace {

const QString DefaultParameters = QStringLiteral(
    "<<\n/CompressPages true\n/UseFlateCompression true\n"
    "/AutoFilterColorImages false\n/AutoFilterGrayImages false\n/EncodeColorImages true\n"
    "/EncodeGrayImages true\n/EncodeMonoImages true\n/ColorImageFilter /FlateEncode\n"
    "/GrayImageFilter /FlateEncode\n/MonoImageFilter /FlateEncode\n"
    "/ColorImageDict \n<</QFactor 1.5 /HSamples [2 1 1 2] /VSamples [2 1 1 2] /Blend 1 "
    "/ColorTransform 1 >>\n"
    "/GrayImageDict \n<</QFactor 1.5 /HSamples [2 1 1 2] /VSamples [2 1 1 2] /Blend 1 "
    "/ColorTransform 1 >>\n"
    ">> setdistillerparams");

TEST(PdfmarksTest, DefaultsGiveFourLineFeedsAndTheFlateParameters)
{
    EXPECT_EQ(PdfmarksText(ConversionSettings{}), QStringLiteral("\n\n\n\n") + DefaultParameters);
}

TEST(PdfmarksTest, DocumentInfoKeepsItsOrderAndSpacing)
{
    ConversionSettings keywordsOnly;
    keywordsOnly.keywords = QStringLiteral("k");
    EXPECT_EQ(DocumentInfoText(keywordsOnly), QStringLiteral("[ /Keywords (k)\n/DOCINFO pdfmark"));

    ConversionSettings titleOnly;
    titleOnly.title = QStringLiteral("t");
    EXPECT_EQ(DocumentInfoText(titleOnly), QStringLiteral("[ /Title (t) \n/DOCINFO pdfmark"));

    ConversionSettings all;
    all.title = QStringLiteral("T");
    all.subject = QStringLiteral("S");
    all.author = QStringLiteral("A");
    all.keywords = QStringLiteral("one\r\ntwo");
    EXPECT_EQ(PdfmarksText(all),
              QStringLiteral("[ /Title (T) \n /Author (A)\n /Subject (S)\n /Keywords (one\r\ntwo)\n"
                             "/DOCINFO pdfmark\n\n\n\n") +
                  DefaultParameters);
}

TEST(PdfmarksTest, ValuesBecomeSafePostScriptStrings)
{
    EXPECT_EQ(PostScriptString(QStringLiteral("Plain")), QStringLiteral("(Plain)"));
    EXPECT_EQ(PostScriptString(QStringLiteral("a (b")), QStringLiteral("(a \\(b)"));
    EXPECT_EQ(PostScriptString(QStringLiteral("x) \\n")), QStringLiteral("(x\\) \\\\n)"));
    EXPECT_EQ(PostScriptString(QStringLiteral("报表")), QStringLiteral("<FEFF62A58868>"));
    EXPECT_EQ(PostScriptString(QStringLiteral("é (")), QStringLiteral("<FEFF00E900200028>"));
    EXPECT_EQ(PostScriptString(QString::fromUtf16(u"\U0001F600")),
              QStringLiteral("<FEFFD83DDE00>"));
    // Whatever the values hold, the file itself is ASCII.
    ConversionSettings s;
    s.title = QStringLiteral("年度 (报告");
    for (char c : PdfmarksBytes(s))
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

struct ParameterCase
{
    const char* documentCompression;
    const char* imageCompression;
    const char* jpegQuality;
    std::vector<const char*> expectedLines;
};

class DistillerParametersTest : public testing::TestWithParam<ParameterCase>
{
};

TEST_P(DistillerParametersTest, HoldsTheChosenFiltersAndQuality)
{
    const ParameterCase& c = GetParam();
    ConversionSettings s;
    s.documentCompression = QString::fromUtf8(c.documentCompression);
    s.imageCompression = QString::fromUtf8(c.imageCompression);
    s.jpegQuality = QString::fromUtf8(c.jpegQuality);
    const QString text = DistillerParametersText(s);
    for (const char* line : c.expectedLines)
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\nin\n"
                                                            << text.toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("<<\n/CompressPages true\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(">>\n>> setdistillerparams")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DistillerParametersTest,
    testing::Values(
        ParameterCase{
            "LZW",
            "JPEG",
            "Maximum",
            {"/UseFlateCompression false\n/AutoFilterColorImages false\n",
             "/ColorImageFilter /DCTEncode\n/GrayImageFilter /DCTEncode\n/ColorImageDict \n"
             "<</QFactor 0.1 /HSamples [1 1 1 1] /VSamples [1 1 1 1] /Blend 1 /ColorTransform 1 "
             ">>"}},
        ParameterCase{"Flate",
                      "Automatic",
                      "Low",
                      {"/AutoFilterColorImages true\n/AutoFilterGrayImages true\n",
                       "/ColorACSImageDict \n<</QFactor 0.8 /HSamples [2 1 1 2]",
                       "/GrayACSImageDict \n<</QFactor 0.8"}},
        ParameterCase{"Flate",
                      "JPEG",
                      "Medium",
                      {"<</QFactor 0.55 /HSamples [2 1 1 2] /VSamples [2 1 1 2]"}}));

} // namespace
