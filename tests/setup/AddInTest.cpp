// The real add-in library, loaded the way Kelvane loads it.

#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

namespace {

class AddInTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        library =
            ::dlopen(QFile::encodeName(programFolder() + QStringLiteral("/QuirrelAddonExcel.so"))
                         .constData(),
                     RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << ::dlerror();
        registerServer = reinterpret_cast<long (*)()>(::dlsym(library, "DllRegisterServer"));
        ASSERT_NE(registerServer, nullptr);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        savedConfig = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }

    void TearDown() override
    {
        if (savedConfig)
            ::setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        if (library != nullptr)
            ::dlclose(library);
    }

    void* library = nullptr;
    long (*registerServer)() = nullptr;
    std::optional<std::string> savedConfig;
    ScratchFolder scratch;
};

TEST_F(AddInTest, RegisteringRecordsWhereTheLibraryLies)
{
    ::setenv("XDG_CONFIG_HOME",
             QFile::encodeName(scratch.file(QStringLiteral("config"))).constData(), 1);
    const QString entry = scratch.file(QStringLiteral("config/Tabloria/addins/QuirrelAddonExcel"));
    const QByteArray expected =
        "name=QuirrelAddonExcel\nlibrary=" +
        QFile::encodeName(QFileInfo(programFolder() + QStringLiteral("/QuirrelAddonExcel.so"))
                              .canonicalFilePath()) +
        "\n";

    EXPECT_EQ(registerServer(), 0);
    EXPECT_EQ(readFile(entry), expected);
    EXPECT_EQ(QFileInfo(entry).permissions() &
                  (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup),
              0);
    // Registering again is harmless.
    EXPECT_EQ(registerServer(), 0);
    EXPECT_EQ(readFile(entry), expected);
}

TEST_F(AddInTest, ReportsAFailureToRegister)
{
    // The configuration folder lies under a plain file.
    writeFile(scratch.file(QStringLiteral("file")), "x");
    ::setenv("XDG_CONFIG_HOME",
             QFile::encodeName(scratch.file(QStringLiteral("file/config"))).constData(), 1);
    EXPECT_NE(registerServer(), 0);
}

} // namespace
