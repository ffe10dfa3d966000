#include "CommandLine.h"
#include "CommandLineRun.h"
#include "Terminal.h"
#include "TerminalPage.h"

#include "AutomationRegistry.h"
#include "Fakes.h"
#include "OutputNaming.h"
#include "Pacing.h"
#include "TestFiles.h"

#include <QDir>

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
