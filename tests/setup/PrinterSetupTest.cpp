#include "PrinterSetup.h"

#include <gtest/gtest.h>

namespace {

TEST(PrinterSetupTest, MajorVersionOfARelease)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"6.1.0-13-amd64", 6}, {"5.10.0-26-cloud-amd64", 5}, {"6", 6}, {"10.4", 10}, {"", 0},
        {"linux-6.1", 0},      {"99999999999999.1", 0},
    };
    for (const auto& [release, major] : cases)
        EXPECT_EQ(majorVersionOf(release), major) << release;
}

TEST(PrinterSetupTest, ScriptForTheMajorVersion)
{
    EXPECT_EQ(printerScriptFor(6), "PrinterVista.bat");
    for (int other : {0, 4, 5, 7, 10})
        EXPECT_EQ(printerScriptFor(other), "PrinterXP.bat") << other;
}

TEST(PrinterSetupTest, ProgramFolderKeepsItsSlash)
{
    EXPECT_EQ(programFolderOf("/opt/tabloria/bin/Kelvane"), "/opt/tabloria/bin/");
    EXPECT_EQ(programFolderOf("/Kelvane"), "/");
    EXPECT_EQ(programFolderOf("/a b/c.d/Kelvane"), "/a b/c.d/");
    EXPECT_EQ(programFolderOf(""), "");
}

} // namespace
