#include "OutputNaming.h"

#include <gtest/gtest.h>

namespace {

struct NamingCase
{
    const char* folder;
    const char* source;
    const char* output;
};

class OutputNamingTest : public testing::TestWithParam<NamingCase>
{
};

TEST_P(OutputNamingTest, BuildsThePathInTheDestinationFolder)
{
    const NamingCase& c = GetParam();
    EXPECT_EQ(OutputPath(QString::fromUtf8(c.folder), QString::fromUtf8(c.source)).toStdString(),
              c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNamingTest,
    testing::Values(NamingCase{"/pdf", "/data/Sales 2009.xls", "/pdf/Sales 2009.pdf"},
                    NamingCase{"/pdf/", "/data/Sales 2009.xls", "/pdf/Sales 2009.pdf"},
                    NamingCase{"/pdf", "/data/Q1.2009.xls", "/pdf/Q1.2009.pdf"},
                    NamingCase{"/pdf", "/data.d/Book", "/pdf/Book.pdf"},
                    NamingCase{"/pdf", "/data/\"quote\" $(x) 100%.xlsx",
                               "/pdf/\"quote\" $(x) 100%.pdf"},
                    NamingCase{"/pdf", "/data/年度报告.xlsx", "/pdf/年度报告.pdf"}));

TEST(SourceExtensionTest, IsTheTextAfterTheLastDotOfThePath)
{
    EXPECT_EQ(SourceExtension(QStringLiteral("/a/b.XLS")), QStringLiteral("XLS"));
    EXPECT_EQ(SourceExtension(QStringLiteral("/a/b.tar.xlsx")), QStringLiteral("xlsx"));
    EXPECT_EQ(SourceExtension(QStringLiteral("/a.d/book")), QStringLiteral("d/book"));
    EXPECT_EQ(SourceExtension(QStringLiteral("/a/book")), QStringLiteral("/a/book"));
}

} // namespace
