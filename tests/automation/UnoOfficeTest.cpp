// The office of a run against the real LibreOffice, on a profile of its own.
#include "UnoOffice.h"

#include "ProcessSearch.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

const QString Xls = QStringLiteral("MS Excel 97");

QString budget()
{
    return sourceDir() + QStringLiteral("/tests/data/budget.xls");
}

class UnoOfficeTest : public testing::Test
{
protected:
    UnoOfficeTest()
    {
        options.profileFolder = scratch.file(QStringLiteral("profile"));
        options.startLimit = std::chrono::seconds(90);
    }

    QByteArray profileArgument() const
    {
        return QFile::encodeName(
            QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(options.profileFolder).toString(QUrl::FullyEncoded));
    }

    ScratchFolder scratch;
    LibreOfficeOptions options;
};

TEST_F(UnoOfficeTest, OneOfficeServesEveryFileAndEndsWithTheRun)
{
    UnoOffice office(options);
    writeFile(scratch.file(QStringLiteral("notes.xlsx")), "a line of text\n");
    const Result<OfficeDocument> first = office.load(budget(), Xls);
    ASSERT_TRUE(first.ok()) << first.status().message().toStdString();
    const std::optional<pid_t> pid = office.processId();
    ASSERT_TRUE(pid.has_value());

    // What does not load fails with the office's reason, and the office stays.
    const Result<OfficeDocument> text = office.load(scratch.file(QStringLiteral("notes.xlsx")),
                                                    QStringLiteral("Calc MS Excel 2007 XML"));
    ASSERT_FALSE(text.ok());
    EXPECT_TRUE(text.status().message().contains(QStringLiteral("could not be loaded")))
        << text.status().message().toStdString();
    EXPECT_FALSE(office.load(scratch.file(QStringLiteral("missing.xls")), Xls).ok());

    const Result<OfficeDocument> second = office.load(budget(), Xls);
    ASSERT_TRUE(second.ok());
    EXPECT_NE(second.value(), first.value());
    EXPECT_EQ(office.processId(), pid);
    office.close(first.value());
    office.close(first.value()); // twice is harmless

    // The warm start is recorded in the profile.
    const QByteArray settings =
        readFile(options.profileFolder + QStringLiteral("/user/registrymodifications.xcu"));
    EXPECT_TRUE(settings.contains("ooSetupLastVersion")) << settings.toStdString();

    office.end();
    EXPECT_FALSE(office.processId().has_value());
    EXPECT_TRUE(ProcessesWithArgument(profileArgument()).isEmpty());
    EXPECT_FALSE(office.print(second.value(), QStringLiteral("Pellucor")).ok());
}

TEST_F(UnoOfficeTest, AKilledOfficeFailsItsDocumentAndStartsAgainForTheNext)
{
    UnoOffice office(options);
    const Result<OfficeDocument> loaded = office.load(budget(), Xls);
    ASSERT_TRUE(loaded.ok()) << loaded.status().message().toStdString();
    const pid_t pid = *office.processId();
    ::kill(pid, SIGKILL);
    for (int i = 0; i < 200 && !ProcessHasEnded(pid); ++i)
        ::usleep(10 * 1000);

    const Status printed = office.print(loaded.value(), QStringLiteral("Pellucor"));
    ASSERT_FALSE(printed.ok());
    EXPECT_TRUE(printed.message().contains(QStringLiteral("LibreOffice was ended by signal 9")))
        << printed.message().toStdString();

    const Result<OfficeDocument> next = office.load(budget(), Xls);
    ASSERT_TRUE(next.ok()) << next.status().message().toStdString();
    EXPECT_NE(*office.processId(), pid);
}

TEST_F(UnoOfficeTest, AnUnknownPrinterIsAFailureNotAPrintElsewhere)
{
    UnoOffice office(options);
    const Result<OfficeDocument> loaded = office.load(budget(), Xls);
    ASSERT_TRUE(loaded.ok()) << loaded.status().message().toStdString();
    const Status printed = office.print(loaded.value(), QStringLiteral("No-Such-Printer-Tabloria"));
    ASSERT_FALSE(printed.ok());
    EXPECT_TRUE(printed.message().contains(
        QStringLiteral("LibreOffice does not know the printer \"No-Such-Printer-Tabloria\"")))
        << printed.message().toStdString();
}

TEST_F(UnoOfficeTest, StoppedOfficeLeftOnTheProfileIsEndedBeforeTheStart)
{
    UnoOffice office(options);
    // An office that would hold the profile and never answer: started, then stopped.
    const QByteArray profile = profileArgument();
    const char* argv[] = {"soffice", profile.constData(), "--headless", "--norestore", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawnp(&pid, "soffice", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    ::usleep(300 * 1000);
    ::kill(pid, SIGSTOP);

    QElapsedTimer timer;
    timer.start();
    const Result<OfficeDocument> loaded = office.load(budget(), Xls);
    EXPECT_TRUE(loaded.ok()) << loaded.status().message().toStdString();
    EXPECT_LT(timer.elapsed(), 60 * 1000);
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
}

TEST(UnoOfficeInstall, MissingOfficeNamesItsPackage)
{
    LibreOfficeOptions options;
    options.program = QStringLiteral("/nonexistent/soffice");
    UnoOffice office(options);
    const Status installed = office.checkInstalled(QStringLiteral("libreoffice-calc"));
    ASSERT_FALSE(installed.ok());
    EXPECT_TRUE(installed.message().contains(QStringLiteral("libreoffice-calc")));
    EXPECT_FALSE(office.load(budget(), Xls).ok());
}

} // namespace
