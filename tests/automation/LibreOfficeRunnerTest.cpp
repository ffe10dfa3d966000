// The LibreOffice runner against the real soffice, on a profile of its own.
#include "LibreOffice.h"

#include "PosixProcessRunner.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

TEST(LibreOfficeRunner, StoppedInstanceOnTheProfileIsEndedBeforeTheNextStart)
{
    ScratchFolder scratch;
    PosixProcessRunner processes;
    LibreOfficeOptions options;
    options.profileFolder = scratch.file(QStringLiteral("profile"));
    options.runLimit = std::chrono::seconds(90);
    LibreOfficeRunner office(processes, options);
    writeFile(scratch.file(QStringLiteral("notes.txt")), "a line of text\n");

    // An instance that would take every request on the profile and then never
    // answer: started, then stopped.
    const QByteArray profileArg = QFile::encodeName(QStringLiteral("-env:UserInstallation=") + office.profileUrl());
    const QByteArray outdir = QFile::encodeName(scratch.file(QStringLiteral("first")));
    const QByteArray input = QFile::encodeName(scratch.file(QStringLiteral("notes.txt")));
    const char* argv[] = {"soffice", profileArg.constData(), "--headless", "--norestore", "--convert-to", "odt",
                          "--outdir", outdir.constData(), input.constData(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawnp(&pid, "soffice", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    ::usleep(300 * 1000);
    ::kill(pid, SIGSTOP);

    QElapsedTimer timer;
    timer.start();
    const Result<QString> converted = office.convert(scratch.file(QStringLiteral("notes.txt")),
                                                     QStringLiteral("Text"), QStringLiteral("odt"),
                                                     scratch.path());
    EXPECT_TRUE(converted.ok()) << converted.status().message().toStdString();
    EXPECT_LT(timer.elapsed(), 60 * 1000);
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(office.endInstances().ok());
}

TEST(LibreOfficeRunner, FileThatDoesNotLoadIsAFailureThoughLibreOfficeSaysZero)
{
    ScratchFolder scratch;
    PosixProcessRunner processes;
    LibreOfficeOptions options;
    options.profileFolder = scratch.file(QStringLiteral("profile"));
    LibreOfficeRunner office(processes, options);
    writeFile(scratch.file(QStringLiteral("notes.xlsx")), "a line of text\n");
    const Result<QString> converted = office.convert(scratch.file(QStringLiteral("notes.xlsx")),
                                                     QStringLiteral("Calc MS Excel 2007 XML"), QStringLiteral("ods"),
                                                     scratch.path());
    ASSERT_FALSE(converted.ok());
    EXPECT_TRUE(converted.status().message().contains(QStringLiteral("could not be loaded")))
        << converted.status().message().toStdString();
}

} // namespace
