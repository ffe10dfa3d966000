#include "CupsSpooler.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

// A queue that is never printed to; it only has to exist to become the default.
const QString TestQueue = QStringLiteral("TabloriaSpoolerTest");

class CupsSpoolerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const CommandOutput added = runTool(
            {QStringLiteral("lpadmin"), QStringLiteral("-p"), TestQueue, QStringLiteral("-v"),
             QStringLiteral("socket://127.0.0.1:9"), QStringLiteral("-E")});
        ASSERT_EQ(added.exitCode, 0) << "cupsd must be running: " << added.output.toStdString();
        const Result<SavedPrinter> saved = spooler.defaultPrinter();
        ASSERT_TRUE(saved.ok());
        original = saved.value();
    }

    void TearDown() override
    {
        EXPECT_TRUE(spooler.setDefaultPrinter(original).ok());
        runTool({QStringLiteral("lpadmin"), QStringLiteral("-x"), TestQueue});
    }

    CupsSpooler spooler;
    SavedPrinter original;
};

TEST_F(CupsSpoolerTest, SetsTheDefaultThatLpstatReports)
{
    ASSERT_TRUE(spooler.setDefaultPrinter(TestQueue).ok());
    EXPECT_EQ(spooler.defaultPrinter().value(), SavedPrinter(TestQueue));
    EXPECT_TRUE(
        runTool({QStringLiteral("lpstat"), QStringLiteral("-d")}).output.contains(TestQueue));

    ASSERT_TRUE(spooler.setDefaultPrinter(std::nullopt).ok());
    EXPECT_NE(spooler.defaultPrinter().value(), SavedPrinter(TestQueue));
}

TEST_F(CupsSpoolerTest, UnknownPrinterIsRefusedAndNothingChanges)
{
    ASSERT_TRUE(spooler.setDefaultPrinter(TestQueue).ok());
    const Status refused = spooler.setDefaultPrinter(QStringLiteral("NoSuchQueue"));
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.message().contains(QStringLiteral("NoSuchQueue")));
    EXPECT_EQ(spooler.defaultPrinter().value(), SavedPrinter(TestQueue));
}

} // namespace
