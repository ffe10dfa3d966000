// tabloria-convert when things go wrong around it, with the real print service,
// office and Ghostscript: a print service that stops, a queue that is paused or
// rejects jobs, a full disk, an interruption. In every case the existing PDF stays,
// nothing is left in the destination, the temporary folder or the work folder, no
// process of the run survives, and the default printer is what it was.
#include "PosixProcessRunner.h"
#include "PrintContract.h"

#include "E2eSupport.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QString Program = QStringLiteral(TABLORIA_CONVERT);

struct ProgramRun
{
    int exitCode = -1;
    QString output;
};

ProgramRun
convert(const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Program, arguments);
    process.waitForFinished(5 * 60 * 1000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The processes whose command line mentions text (the run's own folders).
QStringList processesMentioning(const QString& text)
{
    QStringList found;
    for (const QString& pid :
         QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid.toInt() == ::getpid() || !cmdline.open(QIODevice::ReadOnly))
            continue;
        const QString line =
            QString::fromLocal8Bit(cmdline.readAll()).replace(QLatin1Char('\0'), QLatin1Char(' '));
        if (line.contains(text))
            found << pid + QLatin1Char(' ') + line;
    }
    return found;
}

// Whether a child of pid runs one of names with an argument that holds argument.
bool hasChildNamed(qint64 pid, const QStringList& names, const QString& argument)
{
    for (const QString& entry :
         QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
        if (open < 0 || close < 0)
            continue;
        const QString name = QString::fromLocal8Bit(text.mid(open + 1, close - open - 1));
        const QList<QByteArray> rest = text.mid(close + 2).split(' ');
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (rest.size() > 1 && rest[1].toLongLong() == pid && names.contains(name) &&
            cmdline.open(QIODevice::ReadOnly) &&
            QString::fromLocal8Bit(cmdline.readAll()).contains(argument))
            return true;
    }
    return false;
}

class FaultsTest : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        out = scratch.file(QStringLiteral("out"));
        temporary = scratch.file(QStringLiteral("tmp"));
        QDir().mkpath(out);
        QDir().mkpath(temporary);
        environment.insert(QStringLiteral("TMPDIR"), temporary);
        writeFile(out + QStringLiteral("/one sheet.pdf"), "the old one");
    }

    // What every fault must leave as it was.
    void expectNothingLeft()
    {
        EXPECT_EQ(entries(out), QStringList{QStringLiteral("one sheet.pdf")});
        EXPECT_EQ(readFile(out + QStringLiteral("/one sheet.pdf")), "the old one");
        EXPECT_EQ(entries(temporary), QStringList());
        QStringList work = entries(UserWorkFolder());
        work.removeAll(QStringLiteral("conversion.lock"));
        work.removeAll(QStringLiteral("Tabloria"));
        EXPECT_EQ(work, QStringList());
        EXPECT_EQ(processesMentioning(out), QStringList());
        EXPECT_EQ(processesMentioning(temporary), QStringList());
    }

    // A picture of noise, large enough for Ghostscript to take a while and for its
    // PDF to fill a small disk.
    QString makeNoise()
    {
        const QString noise = scratch.file(QStringLiteral("noise.png"));
        EXPECT_EQ(runTool({QStringLiteral("convert"), QStringLiteral("-size"),
                           QStringLiteral("2400x2400"), QStringLiteral("xc:"),
                           QStringLiteral("+noise"), QStringLiteral("Random"), noise})
                      .exitCode,
                  0);
        return noise;
    }

    ScratchFolder scratch;
    QString out;
    QString temporary;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

// Ctrl-C, SIGTERM and SIGHUP while the office or Ghostscript runs: every process
// the run started ends, every file it made goes, the default printer comes back,
// one line says how far the run came, and the exit status is 128 + the signal.
TEST_F(FaultsTest, InterruptionLeavesNothingBehind)
{
    const QString noise = makeNoise();
    // Ghostscript that takes its time, so that the signal surely meets it.
    const QString bin = scratch.file(QStringLiteral("bin"));
    QDir().mkpath(bin);
    writeFile(bin + QStringLiteral("/gs"),
              "#!/bin/sh\n"
              "case \"$*\" in *-dNODISPLAY*) exec /usr/bin/gs \"$@\";; esac\n"
              "sleep 2; exec /usr/bin/gs \"$@\"\n");
    QFile::setPermissions(bin + QStringLiteral("/gs"), QFile::ReadOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("PATH"),
                       bin + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    const QStringList officeNames{QStringLiteral("soffice"), QStringLiteral("soffice.bin")};
    const struct
    {
        int signal;
        QStringList during;
        QString argument;
        int exitCode;
    } cases[] = {
        {SIGINT, officeNames, QString(), 130},
        {SIGTERM, {QStringLiteral("gs")}, QStringLiteral("-sOutputFile="), 143},
        {SIGHUP, officeNames, QString(), 129},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        // The file that is interrupted comes first: "0 of 2 files were done".
        process.start(Program,
                      c.during == officeNames
                          ? QStringList{QStringLiteral("--overwrite"), QStringLiteral("-o"), out,
                                        fixture("one sheet.xlsx"), noise}
                          : QStringList{QStringLiteral("--overwrite"), QStringLiteral("-o"), out,
                                        noise, fixture("one sheet.xlsx")});
        ASSERT_TRUE(process.waitForStarted());
        const auto deadline = std::chrono::steady_clock::now() + 3min;
        while (!hasChildNamed(process.processId(), c.during, c.argument) &&
               process.state() == QProcess::Running && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(process.state(), QProcess::Running) << process.readAll().toStdString();
        ASSERT_TRUE(hasChildNamed(process.processId(), c.during, c.argument));
        ::kill(static_cast<pid_t>(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(60 * 1000));
        const QString output = QString::fromUtf8(process.readAll());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode) << output.toStdString();
        EXPECT_EQ(output.count(QStringLiteral("interrupted")), 1) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("; 0 of 2 files were done")))
            << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("failed:"))) << output.toStdString();
        EXPECT_FALSE(QFile::exists(out + QStringLiteral("/noise.pdf")));
        expectNothingLeft();
        EXPECT_EQ(spooler.defaultPrinter().value(), before);
    }
}

// The print service stops while Ghostscript runs (a stand-in for gs stops it and
// then runs the real one): the default printer cannot be put back, which fails the
// file loudly; once the service runs again, the next start puts it back.
TEST_F(FaultsTest, PrintServiceThatStopsDuringARunIsNeverPassedOver)
{
    // Whatever happens below, the service runs again afterwards.
    struct Restart
    {
        ~Restart()
        {
            runTool(
                {QStringLiteral("sh"), sourceDir() + QStringLiteral("/scripts/start-services.sh")});
        }
    } restart;
    const QString pid =
        QString::fromLatin1(readFile(QStringLiteral("/run/cups/cupsd.pid")).trimmed());
    if (pid.isEmpty() || ::getuid() != 0)
        GTEST_SKIP() << "needs root and a cupsd started by scripts/start-services.sh";

    const QString bin = scratch.file(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString wrapper = bin + QStringLiteral("/gs");
    writeFile(wrapper,
              QStringLiteral("#!/bin/sh\n"
                             "case \"$*\" in *-dNODISPLAY*) exec /usr/bin/gs \"$@\";; esac\n"
                             "kill %1; while kill -0 %1 2>/dev/null; do sleep 0.1; done\n"
                             "exec /usr/bin/gs \"$@\"\n")
                  .arg(pid)
                  .toUtf8());
    QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment stopping = environment;
    stopping.insert(QStringLiteral("PATH"),
                    bin + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));

    ProgramRun run = convert(
        {QStringLiteral("--overwrite"), QStringLiteral("-o"), out, fixture("one sheet.xlsx")},
        stopping);
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(
        run.output.contains(QStringLiteral("failed: %1: The default printer could not be set back")
                                .arg(fixture("one sheet.xlsx"))))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("The print service (CUPS) is not running")))
        << run.output.toStdString();
    EXPECT_TRUE(QFile::exists(DefaultPrinterRecord(UserWorkFolder())));

    // Without the service nothing is printed and the reason says so at once.
    run = convert({QStringLiteral("-o"), out, fixture("photo.png")}, environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.output.contains(QStringLiteral("The print service (CUPS) is not running: start it")))
        << run.output.toStdString();
    EXPECT_FALSE(run.output.contains(QStringLiteral("Kelvane")));

    ASSERT_EQ(
        runTool({QStringLiteral("sh"), sourceDir() + QStringLiteral("/scripts/start-services.sh")})
            .exitCode,
        0);
    run = convert({QStringLiteral("-o"), out, scratch.file(QStringLiteral("missing.xlsx"))},
                  environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(DefaultPrinterRecord(UserWorkFolder()))) << run.output.toStdString();
    expectNothingLeft();
}

// A queue that cannot print now is named at once, with the command that mends it;
// no job is left queued to overwrite the spool file later.
TEST_F(FaultsTest, PausedOrRejectingQueueFailsAtOnce)
{
    const struct
    {
        const char* stop;
        const char* mend;
        const char* says;
    } cases[] = {
        {"cupsdisable", "cupsenable",
         "The printer \"Pellucor\" is paused: run cupsenable Pellucor"},
        {"cupsreject", "cupsaccept",
         "The printer \"Pellucor\" rejects jobs: run cupsaccept Pellucor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stop);
        struct Mend
        {
            const char* command;
            ~Mend() { runTool({QString::fromLatin1(command), PostScriptPrinterName}); }
        } mend{c.mend};
        ASSERT_EQ(runTool({QString::fromLatin1(c.stop), PostScriptPrinterName}).exitCode, 0);
        const auto start = std::chrono::steady_clock::now();
        const ProgramRun run = convert({QStringLiteral("--overwrite"), QStringLiteral("-o"), out,
                                        fixture("one sheet.xlsx"), fixture("photo.png")},
                                       environment);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.output.count(QString::fromUtf8(c.says)), 2) << run.output.toStdString();
        EXPECT_EQ(
            runTool({QStringLiteral("lpstat"), QStringLiteral("-o"), PostScriptPrinterName}).output,
            QString());
        expectNothingLeft();
    }
}

// A destination without room: said in those words, and no half-written file stays.
TEST_F(FaultsTest, FullDestinationIsNamed)
{
    const QString small = scratch.file(QStringLiteral("small"));
    QDir().mkpath(small);
    if (::getuid() != 0 ||
        runTool({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"),
                 QStringLiteral("-o"), QStringLiteral("size=16k"), QStringLiteral("tmpfs"), small})
                .exitCode != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount
    {
        QString folder;
        ~Unmount() { runTool({QStringLiteral("umount"), folder}); }
    } unmount{small};
    ASSERT_TRUE(runTool({QStringLiteral("df"), small}).output.contains(QStringLiteral("tmpfs")))
        << runTool({QStringLiteral("df"), small}).output.toStdString();
    const ProgramRun run = convert({QStringLiteral("-o"), small, makeNoise()}, environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains(QStringLiteral("has no room left")))
        << run.output.toStdString();
    EXPECT_EQ(entries(small), QStringList())
        << QFileInfo(small + QStringLiteral("/noise.pdf")).size() << " "
        << QFileInfo(scratch.file(QStringLiteral("noise.png"))).size();
    expectNothingLeft();
}

} // namespace
