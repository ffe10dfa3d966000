// Kelvane run for real from a fake program folder: a copy of the program beside
// fake set-up scripts (and, in one folder, a fake add-in) that leave markers.

#include "PrinterSetup.h"

#include "PosixProcessRunner.h"
#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <thread>

namespace {

// A fake script notes where it ran, what its standard input and output are, and
// whether it leads its own session.
const QByteArray FakeScript = "#!/bin/sh\n"
                              "input=$(readlink /proc/$$/fd/0)\n"
                              "output=$(readlink /proc/$$/fd/1)\n"
                              "session=$(cut -d' ' -f6 /proc/$$/stat)\n"
                              "[ \"$session\" = \"$$\" ] && session=own-session\n"
                              "printf '%s\\n' \"$(pwd)\" \"$input\" \"$output\" \"$session\" "
                              "> \"$TABLORIA_TEST_MARKERS/$(basename \"$0\")\"\n";

struct FakeFolder
{
    QString program;
    QString markers;
};

FakeFolder makeFakeFolder(const ScratchFolder& scratch, const QString& name, const QString& addIn)
{
    FakeFolder fake{scratch.file(name + QStringLiteral("/bin")),
                    scratch.file(name + QStringLiteral("/markers"))};
    EXPECT_TRUE(QDir().mkpath(fake.program));
    EXPECT_TRUE(QDir().mkpath(fake.markers));
    EXPECT_TRUE(QFile::copy(programFolder() + QStringLiteral("/Kelvane"),
                            fake.program + QStringLiteral("/Kelvane")));
    for (const char* script : {"PrinterVista.bat", "PrinterXP.bat"})
        writeFile(fake.program + QLatin1Char('/') + QLatin1String(script), FakeScript);
    if (!addIn.isEmpty()) {
        EXPECT_TRUE(QFile::copy(addIn, fake.program + QStringLiteral("/QuirrelAddonExcel.so")));
    }
    return fake;
}

std::string markerOf(const QString& path)
{
    return readFile(path).toStdString();
}

TEST(KelvaneTest, StartsTheScriptForThisSystemThenRegistersTheAddIn)
{
    ScratchFolder scratch;
    const FakeFolder withAddIn =
        makeFakeFolder(scratch, QStringLiteral("with"), QStringLiteral(TABLORIA_FAKE_ADDIN));
    const FakeFolder withoutAddIn = makeFakeFolder(scratch, QStringLiteral("without"), {});
    const FakeFolder withoutExport = makeFakeFolder(
        scratch, QStringLiteral("noexport"), QStringLiteral(TABLORIA_FAKE_ADDIN_WITHOUT_EXPORT));
    const std::vector<const FakeFolder*> folders{&withAddIn, &withoutAddIn, &withoutExport};
    const QString elsewhere = scratch.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));

    struct utsname system
    {
    };
    ASSERT_EQ(::uname(&system), 0);
    const QString expected =
        QString::fromStdString(printerScriptFor(majorVersionOf(system.release)));
    const QString other = expected == QStringLiteral("PrinterXP.bat")
                              ? QStringLiteral("PrinterVista.bat")
                              : QStringLiteral("PrinterXP.bat");

    // All runs at once: each takes Kelvane's ten seconds.
    std::vector<ProcessOutcome> outcomes(folders.size());
    const auto run = [&](const FakeFolder& fake, ProcessOutcome& outcome) {
        PosixProcessRunner runner;
        ProcessRequest request;
        request.arguments = {fake.program + QStringLiteral("/Kelvane")};
        request.workingDirectory = elsewhere;
        request.environment = {{QStringLiteral("TABLORIA_TEST_MARKERS"), fake.markers},
                               {QStringLiteral("LD_LIBRARY_PATH"), std::nullopt}};
#ifdef TABLORIA_SANITIZED
        // The sanitizer runtime wraps dlopen and so becomes the caller whose run
        // path counts: the program's own $ORIGIN is not consulted there.
        request.environment.back().second = fake.program;
#endif
        request.timeout = std::chrono::seconds(60);
        outcome = runner.RunAndWait(request);
    };
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < folders.size(); ++i)
        runs.emplace_back(run, std::cref(*folders[i]), std::ref(outcomes[i]));
    for (std::thread& t : runs)
        t.join();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_GE(elapsed, std::chrono::seconds(10));
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const FakeFolder* fake = folders[i];
        const ProcessOutcome& outcome = outcomes[i];
        EXPECT_TRUE(outcome.succeeded())
            << outcome.describeFailure().toStdString() << outcome.output.toStdString();
        EXPECT_TRUE(outcome.output.isEmpty()) << outcome.output.toStdString();
        EXPECT_EQ(markerOf(fake->markers + QLatin1Char('/') + expected),
                  QFileInfo(elsewhere).canonicalFilePath().toStdString() +
                      "\n/dev/null\n/dev/null\nown-session\n");
        EXPECT_FALSE(QFile::exists(fake->markers + QLatin1Char('/') + other));
    }
    // The add-in is registered only after the script has had its time.
    const QFileInfo script(withAddIn.markers + QLatin1Char('/') + expected);
    const QFileInfo addIn(withAddIn.markers + QStringLiteral("/add-in"));
    ASSERT_TRUE(addIn.exists());
    EXPECT_GE(script.lastModified().msecsTo(addIn.lastModified()), 9000);
    EXPECT_FALSE(QFile::exists(withoutAddIn.markers + QStringLiteral("/add-in")));
}

} // namespace
