#include "CommandLine.h"
#include "CommandLineRun.h"
#include "ConversionLock.h"
#include "Terminal.h"
#include "TerminalPage.h"

#include "AutomationRegistry.h"
#include "Fakes.h"
#include "OutputNaming.h"
#include "Pacing.h"
#include "TestFiles.h"

#include <QDir>

#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

ParsedCommandLine parse(std::initializer_list<const char*> args)
{
    QStringList list;
    for (const char* a : args)
        list << QString::fromUtf8(a);
    return ParseCommandLine(list);
}

TEST(CommandLineTest, EveryOptionReachesTheSettings)
{
    const ParsedCommandLine p =
        parse({"-o", "/out", "--title", "T (1", "--subject", "S", "--author", "A", "--keywords", "k1 k2",
               "--owner-password", "o w", "--user-password", "u\"", "--no-copy", "--no-forms", "--no-changes",
               "--no-print", "--encryption", "high", "--compression", "lzw", "--images", "auto", "--jpeg-quality",
               "maximum", "--pdf-version", "1.5", "--overwrite", "--quiet", "a.xlsx", "b.docx"});
    ASSERT_EQ(p.action, ParsedCommandLine::Action::Convert) << p.text.toStdString();
    const ConversionSettings& s = p.options.settings;
    EXPECT_EQ(p.options.files, (QStringList{QStringLiteral("a.xlsx"), QStringLiteral("b.docx")}));
    EXPECT_EQ(p.options.outputFolder, QStringLiteral("/out"));
    EXPECT_TRUE(p.options.overwrite);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_EQ(s.title, QStringLiteral("T (1"));
    EXPECT_EQ(s.keywords, QStringLiteral("k1 k2"));
    EXPECT_EQ(s.securityEnabled, 1);
    EXPECT_EQ(s.ownerPasswordEnabled, 1);
    EXPECT_EQ(s.userPasswordEnabled, 1);
    EXPECT_EQ(s.ownerPassword, QStringLiteral("o w"));
    EXPECT_EQ(s.userPassword, QStringLiteral("u\""));
    EXPECT_EQ(s.copyingBox + s.formFillingBox + s.changingBox + s.printingBox, 4);
    EXPECT_EQ(s.encryptionLevel, 1);
    EXPECT_EQ(s.documentCompression, QStringLiteral("LZW"));
    EXPECT_EQ(s.imageCompression, QStringLiteral("Automatic"));
    EXPECT_EQ(s.jpegQuality, QStringLiteral("Maximum"));
    EXPECT_EQ(s.pdfVersion, QStringLiteral("V1.5(Acrobat 4.xx)"));
}

TEST(CommandLineTest, DefaultsAreThoseOfTheWindows)
{
    const ParsedCommandLine p = parse({"book.xls"});
    ASSERT_EQ(p.action, ParsedCommandLine::Action::Convert);
    EXPECT_EQ(p.options.settings, ConversionSettings{});
    EXPECT_TRUE(p.options.outputFolder.isEmpty());
}

TEST(CommandLineTest, UsageErrorsSayWhatIsWrong)
{
    struct Case
    {
        std::initializer_list<const char*> args;
        const char* says;
    };
    const Case cases[] = {
        {{}, "no FILE given"},
        {{"--bogus", "a.xls"}, "bogus"},
        {{"--user-password", "u", "a.xls"}, "needs an owner password"},
        {{"--owner-password", "", "a.xls"}, "owner password is empty"},
        {{"--no-print", "a.xls"}, "need a password"},
        {{"--owner-password", "o", "--encryption", "medium", "a.xls"}, "low|high"},
        {{"--pdf-version", "1.6", "a.xls"}, "1.3|1.4|1.5"},
        {{"--jpeg-quality", "best", "a.xls"}, "minimum|low|medium|maximum"},
        {{"--title"}, "Missing value"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parse(c.args);
        EXPECT_EQ(p.action, ParsedCommandLine::Action::UsageError) << c.says;
        EXPECT_TRUE(p.text.contains(QString::fromUtf8(c.says))) << p.text.toStdString();
    }
    EXPECT_EQ(parse({"--help"}).action, ParsedCommandLine::Action::ShowHelp);
    EXPECT_TRUE(parse({"--help"}).text.contains(QStringLiteral("--jpeg-quality")));
    EXPECT_EQ(parse({"--version"}).action, ParsedCommandLine::Action::ShowVersion);
}

// Passwords come from the first line of a file, or standard input for "-", so that
// they never stand in the process's arguments; each may come from one place only.
TEST(CommandLineTest, PasswordsComeFromFiles)
{
    ScratchFolder scratch;
    const QString owner = scratch.file(QStringLiteral("owner"));
    const QString user = scratch.file(QStringLiteral("user"));
    writeFile(owner, "own \"er\" \\ (x)\r\nsecond line\n");
    writeFile(user, "Kennwort für 年度");
    const QStringList args{QStringLiteral("--owner-password-file"), owner,
                           QStringLiteral("--user-password-file"), user, QStringLiteral("a.xls")};
    ParsedCommandLine p = ParseCommandLine(args);
    ASSERT_EQ(p.action, ParsedCommandLine::Action::Convert) << p.text.toStdString();
    EXPECT_EQ(p.options.settings.ownerPassword, QStringLiteral("own \"er\" \\ (x)"));
    EXPECT_EQ(p.options.settings.userPassword, QStringLiteral("Kennwort für 年度"));
    EXPECT_EQ(p.options.settings.securityEnabled, 1);
    EXPECT_EQ(p.options.settings.userPasswordEnabled, 1);

    QStringList asked;
    const PasswordReader fromInput = [&](const QString& path,
                                         const QString& prompt) -> Result<QString> {
        asked << path + QLatin1Char('|') + prompt;
        return QStringLiteral("typed");
    };
    p = ParseCommandLine(
        {QStringLiteral("--owner-password-file"), QStringLiteral("-"), QStringLiteral("a.xls")},
        fromInput);
    ASSERT_EQ(p.action, ParsedCommandLine::Action::Convert) << p.text.toStdString();
    EXPECT_EQ(p.options.settings.ownerPassword, QStringLiteral("typed"));
    EXPECT_EQ(asked, QStringList{QStringLiteral("-|Owner password: ")});

    const struct
    {
        QStringList args;
        const char* says;
    } refused[] = {
        {{QStringLiteral("--owner-password-file"), scratch.file(QStringLiteral("none")),
          QStringLiteral("a.xls")},
         "cannot be read"},
        {{QStringLiteral("--owner-password-file"), scratch.file(QStringLiteral("empty")),
          QStringLiteral("a.xls")},
         "is empty"},
        {{QStringLiteral("--owner-password"), QStringLiteral("x"),
          QStringLiteral("--owner-password-file"), owner, QStringLiteral("a.xls")},
         "give the owner password once"},
        {{QStringLiteral("--owner-password-file"), QStringLiteral("-"),
          QStringLiteral("--user-password-file"), QStringLiteral("-"), QStringLiteral("a.xls")},
         "only one password can come from standard input"},
        {{QStringLiteral("--user-password-file"), user, QStringLiteral("a.xls")},
         "needs an owner password"},
        {{QStringLiteral("--owner-password-file"), owner}, "no FILE given"},
    };
    writeFile(scratch.file(QStringLiteral("empty")), "");
    for (const auto& c : refused) {
        SCOPED_TRACE(c.says);
        asked.clear();
        p = ParseCommandLine(c.args,
                             c.args.contains(QStringLiteral("-")) ? fromInput : ReadPasswordFile);
        EXPECT_EQ(p.action, ParsedCommandLine::Action::UsageError);
        EXPECT_TRUE(p.text.contains(QString::fromUtf8(c.says))) << p.text.toStdString();
        EXPECT_TRUE(asked.isEmpty()) << "nothing is asked on a command line that is wrong anyway";
    }
    const QString help = ParseCommandLine({QStringLiteral("--help")}).text;
    EXPECT_TRUE(help.contains(QStringLiteral("visible to other users"))) << help.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("--owner-password-file")));
}

class RecordingTerminal final : public Terminal
{
public:
    void printLine(const QString& line) override { out << line; }
    void printMessage(const QString& line) override { err << line; }
    void showProgress(const QString& line) override { progress << line; }
    bool askYesNo(const QString& question) override
    {
        questions << question;
        return answer;
    }
    QStringList out, err, progress, questions;
    bool answer = false;
};

class CommandLineRunTest : public testing::Test
{
protected:
    CommandLineRunTest()
    {
        in = scratch.file(QStringLiteral("in"));
        out = scratch.file(QStringLiteral("out"));
        QDir().mkpath(in);
        QDir().mkpath(out);
        options.outputFolder = out;
        auto convert = [this](const ConversionTarget& t, const QString& source, ConverterServices& s) {
            ConverterResult r;
            r.outputPath = OutputPath(t.destinationFolder, source);
            if (source.contains(QStringLiteral("bad"))) {
                s.prompter.showMessage(QStringLiteral("the server gave up"));
                r.failure = QStringLiteral("not a workbook");
                return r;
            }
            writeFile(r.outputPath, "%PDF new");
            r.written = true;
            return r;
        };
        converters = {convert, convert, convert, convert};
    }

    QString input(const QString& name)
    {
        writeFile(in + QLatin1Char('/') + name, "data");
        return in + QLatin1Char('/') + name;
    }

    int run() { return RunCommandLine(options, converters, services, terminal, prompter); }

    ScratchFolder scratch;
    QString in, out;
    CommandLineOptions options;
    ConverterTable converters;
    RecordingTerminal terminal;
    TerminalPrompter prompter{terminal};
    FakeProcessRunner runner;
    FakeSpooler spooler;
    ImmediatePacing pacing;
    AutomationRegistry registry;
    ConverterServices services{runner, spooler, prompter, pacing, registry, {}, {}};
};

TEST_F(CommandLineRunTest, OneLinePerFileAndExitStatusOne)
{
    options.files = {input(QStringLiteral("a.xlsx")), input(QStringLiteral("bad.xls")), scratch.file(QStringLiteral("missing.xls")),
                     in, input(QStringLiteral("c.png"))};
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(terminal.out, (QStringList{
                                QStringLiteral("failed: %1: the file does not exist").arg(scratch.file(QStringLiteral("missing.xls"))),
                                QStringLiteral("failed: %1: this is a folder, not a file").arg(in),
                                QStringLiteral("converted: %1/a.pdf").arg(out),
                                QStringLiteral("failed: %1/bad.xls: not a workbook").arg(in),
                                QStringLiteral("converted: %1/c.pdf").arg(out),
                            }));
    EXPECT_TRUE(terminal.err.contains(QStringLiteral("  note: the server gave up")));
    EXPECT_TRUE(terminal.err.contains(QStringLiteral("2 converted, 3 failed")));
    EXPECT_EQ(terminal.progress.size(), 3);
}

TEST_F(CommandLineRunTest, ExistingPdfIsKeptUnlessOverwriteOrYes)
{
    options.files = {input(QStringLiteral("a.xlsx"))};
    writeFile(out + QStringLiteral("/a.pdf"), "old");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(readFile(out + QStringLiteral("/a.pdf")), "old");
    EXPECT_EQ(terminal.questions.size(), 1);
    EXPECT_TRUE(terminal.out.first().startsWith(QStringLiteral("kept: ")));

    terminal.answer = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(readFile(out + QStringLiteral("/a.pdf")), "%PDF new");

    writeFile(out + QStringLiteral("/a.pdf"), "old");
    terminal.answer = false;
    options.overwrite = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(terminal.questions.size(), 2);
    EXPECT_EQ(readFile(out + QStringLiteral("/a.pdf")), "%PDF new");
}

// Two inputs that make the same PDF: refused as a usage error before anything is
// converted, naming every input of every clash; with or without --overwrite.
TEST_F(CommandLineRunTest, InputsThatMakeTheSamePdfAreRefusedUpFront)
{
    QDir().mkpath(in + QStringLiteral("/a"));
    QDir().mkpath(in + QStringLiteral("/b"));
    const QString ax = input(QStringLiteral("a/x.xlsx")), bx = input(QStringLiteral("b/x.xlsx"));
    const QString xls = input(QStringLiteral("x.xls")), y = input(QStringLiteral("a/y.png")),
                  by = input(QStringLiteral("b/y.jpg")), z = input(QStringLiteral("z.xlsx"));
    for (bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite);
        terminal.err.clear();
        options.overwrite = overwrite;
        options.files = {ax, z, bx, y, xls, by};
        EXPECT_EQ(run(), 2);
        EXPECT_TRUE(terminal.out.isEmpty());
        EXPECT_TRUE(QDir(out).isEmpty()) << "nothing was converted";
        ASSERT_GE(terminal.err.size(), 2);
        EXPECT_EQ(
            terminal.err[0],
            QStringLiteral("tabloria-convert: these files would all become %1/x.pdf: %2, %3, %4")
                .arg(out, ax, bx, xls));
        EXPECT_EQ(terminal.err[1],
                  QStringLiteral("tabloria-convert: these files would all become %1/y.pdf: %2, %3")
                      .arg(out, y, by));
    }

    // The same file twice is a clash too; a relative name is shown as typed.
    terminal.err.clear();
    const QString old = QDir::currentPath();
    QDir::setCurrent(in);
    options.files = {QStringLiteral("z.xlsx"), z};
    EXPECT_EQ(run(), 2);
    QDir::setCurrent(old);
    ASSERT_FALSE(terminal.err.isEmpty());
    EXPECT_TRUE(terminal.err[0].endsWith(QStringLiteral(": z.xlsx, ") + z))
        << terminal.err[0].toStdString();
}

// A second run waits behind the first for as long as it takes, says once which
// process holds the lock and shows the time waited.
TEST(ConversionLockTest, WaitSaysWhoHoldsTheLockAndShowsTheWait)
{
    ScratchFolder scratch;
    const QString path = scratch.file(QStringLiteral("conversion.lock"));
    std::optional<Result<InstanceLock>> first(
        InstanceLock::acquire(path, InstanceLock::Mode::TryOnce));
    ASSERT_TRUE(first->ok());
    EXPECT_EQ(InstanceLock::holder(path), ::getpid());

    RecordingTerminal terminal;
    int pauses = 0;
    const Result<InstanceLock> second =
        AcquireConversionLock(path, terminal, [&](std::chrono::milliseconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (++pauses == 8)
                first.reset(); // the first run ends
        });
    ASSERT_TRUE(second.ok()) << second.status().message().toStdString();
    EXPECT_EQ(pauses, 8);
    ASSERT_EQ(terminal.err.size(), 1);
    EXPECT_TRUE(terminal.err.first().contains(QStringLiteral("process %1").arg(::getpid())))
        << terminal.err.first().toStdString();
    EXPECT_TRUE(terminal.err.first().contains(QStringLiteral("Ctrl-C")));
    EXPECT_EQ(terminal.progress.size(), 7);
    EXPECT_TRUE(terminal.progress.last().startsWith(QStringLiteral("waiting for process")))
        << terminal.progress.last().toStdString();
}

TEST_F(CommandLineRunTest, UnusableOutputFolderStopsBeforeConverting)
{
    options.files = {input(QStringLiteral("a.xlsx"))};
    options.outputFolder = scratch.file(QStringLiteral("nowhere"));
    EXPECT_EQ(run(), 1);
    EXPECT_TRUE(terminal.err.first().contains(QStringLiteral("does not exist")));

    options.outputFolder = input(QStringLiteral("file-not-folder"));
    EXPECT_EQ(run(), 1);
    EXPECT_TRUE(terminal.out.isEmpty());
}

} // namespace
