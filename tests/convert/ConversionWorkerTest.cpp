#include "ConversionWorker.h"

#include "AutomationRegistry.h"
#include "Fakes.h"
#include "OutputNaming.h"
#include "RecordingPage.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class RecordingPacing final : public Pacing
{
public:
    void wait(std::chrono::milliseconds d) override
    {
        waits.push_back(static_cast<int>(d.count()));
    }
    std::vector<int> waits;
};

class ConversionWorkerTest : public testing::Test
{
protected:
    ConversionWorkerTest()
    {
        dest = scratch.file(QStringLiteral("out"));
        QDir().mkpath(dest);
        target.destinationFolder = dest;
        page.destination = dest;
        // Every converter writes its PDF unless the file name says "corrupt".
        auto fake = [this](const char* kind) {
            return
                [this, kind](const ConversionTarget& t, const QString& source, ConverterServices&) {
                    used << QStringLiteral("%1 %2").arg(QLatin1String(kind),
                                                        source.section(QLatin1Char('/'), -1));
                    ConverterResult r;
                    r.outputPath = OutputPath(t.destinationFolder, source);
                    if (source.contains(QStringLiteral("corrupt"))) {
                        r.failure = QStringLiteral("the file is not a workbook");
                        return r;
                    }
                    writeFile(r.outputPath, "%PDF-1.3");
                    r.written = true;
                    return r;
                };
        };
        converters = {fake("excel"), fake("powerpoint"), fake("image"), fake("word")};
    }

    void run() { ConversionWorker(page, target, converters, services); }

    ScratchFolder scratch;
    QString dest;
    RecordingPage page;
    ConversionTarget target;
    ConverterTable converters;
    QStringList used;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    FakePrompter prompter;
    RecordingPacing pacing;
    AutomationRegistry registry;
    ConverterServices services{runner, spooler, prompter, pacing, registry, QString(), QString()};
};

TEST_F(ConversionWorkerTest, FailureInTheMiddleDoesNotStopTheRun)
{
    page.rows = {QStringLiteral("/in/a.xlsx"), QStringLiteral("/in/b.docx"),
                 QStringLiteral("/in/corrupt.xls"), QStringLiteral("/in/c.pptx"),
                 QStringLiteral("/in/d.png")};
    run();

    EXPECT_EQ(used,
              (QStringList{QStringLiteral("excel a.xlsx"), QStringLiteral("word b.docx"),
                           QStringLiteral("excel corrupt.xls"), QStringLiteral("powerpoint c.pptx"),
                           QStringLiteral("image d.png")}));
    EXPECT_EQ(page.resultNames, (QStringList{QStringLiteral("a.pdf"), QStringLiteral("b.pdf"),
                                             QStringLiteral("c.pdf"), QStringLiteral("d.pdf")}));
    EXPECT_EQ(page.failures,
              QStringList{QStringLiteral("corrupt.xls: the file is not a workbook")});
    EXPECT_EQ(page.calls, (QStringList{
                              QStringLiteral("busy 1"),
                              QStringLiteral("row count"),
                              QStringLiteral("converted a.xlsx"),
                              QStringLiteral("bar 1/5"),
                              QStringLiteral("WM_SETPROGRESS 1 5"),
                              QStringLiteral("converted b.docx"),
                              QStringLiteral("bar 2/5"),
                              QStringLiteral("WM_SETPROGRESS 2 5"),
                              QStringLiteral("failed corrupt.pdf convert failed!"),
                              QStringLiteral("bar 3/5"),
                              QStringLiteral("WM_SETPROGRESS 3 5"),
                              QStringLiteral("converted c.pptx"),
                              QStringLiteral("bar 4/5"),
                              QStringLiteral("WM_SETPROGRESS 4 5"),
                              QStringLiteral("converted d.png"),
                              QStringLiteral("bar 5/5"),
                              QStringLiteral("WM_SETPROGRESS 5 5"),
                              QStringLiteral("delete all rows"),
                              QStringLiteral("stop timer 1"),
                              QStringLiteral("redraw"),
                              QStringLiteral("busy 0"),
                              QStringLiteral("converting 0"),
                              QStringLiteral("status Over!"),
                              QStringLiteral("WM_SETSTATUSTEXT Over!"),
                              QStringLiteral("start timer 2 1000"),
                          }));
    EXPECT_EQ(pacing.waits, (std::vector<int>{100, 500, 500, 500, 500, 500, 500}));
}

TEST_F(ConversionWorkerTest, DispatchComparesExtensionsExactly)
{
    page.rows = {QStringLiteral("/in/A.XLS"), QStringLiteral("/in/b.ppt"),
                 QStringLiteral("/in/c.jpg"), QStringLiteral("/in/d.GIF"),
                 QStringLiteral("/in/e.bmp"), QStringLiteral("/in/f.gif"),
                 QStringLiteral("/in/noext"), QStringLiteral("/in/g.xls")};
    run();
    EXPECT_EQ(used, (QStringList{QStringLiteral("word A.XLS"), QStringLiteral("powerpoint b.ppt"),
                                 QStringLiteral("image c.jpg"), QStringLiteral("word d.GIF"),
                                 QStringLiteral("image e.bmp"), QStringLiteral("image f.gif"),
                                 QStringLiteral("word noext"), QStringLiteral("excel g.xls")}));
    EXPECT_TRUE(QFileInfo::exists(dest + QStringLiteral("/noext.pdf")));
}

TEST_F(ConversionWorkerTest, AnsweringNoEverywhereEndsWithAFullBarAndNoResults)
{
    writeFile(dest + QStringLiteral("/a.pdf"), "old a");
    writeFile(dest + QStringLiteral("/b.pdf"), "old b");
    page.rows = {QStringLiteral("/in/a.xlsx"), QStringLiteral("/in/b.xls")};
    run();

    EXPECT_TRUE(used.isEmpty());
    EXPECT_TRUE(page.resultNames.isEmpty());
    EXPECT_TRUE(page.failures.isEmpty());
    EXPECT_EQ(page.calls.mid(page.calls.size() - 3),
              (QStringList{QStringLiteral("WM_SETSTATUSTEXT Over!"), QStringLiteral("bar 2/2"),
                           QStringLiteral("WM_SETPROGRESS 0 2")}));
    EXPECT_TRUE(page.calls.contains(
        ReplaceQuestionText(dest + QStringLiteral("/a.pdf")).prepend(QStringLiteral("ask "))));
    EXPECT_EQ(readFile(dest + QStringLiteral("/a.pdf")), "old a");
}

TEST_F(ConversionWorkerTest, ReplacedPdfThatFailsToConvertIsNotCountedAndStays)
{
    writeFile(dest + QStringLiteral("/corrupt.pdf"), "old");
    page.rows = {QStringLiteral("/in/corrupt.xlsx")};
    page.replaceAnswers = {true};
    run();
    EXPECT_TRUE(page.resultNames.isEmpty());
    EXPECT_EQ(page.failures.size(), 1);
    EXPECT_EQ(readFile(dest + QStringLiteral("/corrupt.pdf")), "old");
    EXPECT_FALSE(page.calls.contains(QStringLiteral("start timer 2 1000")));
}

TEST_F(ConversionWorkerTest, SameBaseNameInTwoFoldersAsksBeforeReplacing)
{
    page.rows = {QStringLiteral("/in/a/Book.xls"), QStringLiteral("/in/b/Book.xlsx")};
    page.replaceAnswers = {true};
    target.destinationFolder = dest + QLatin1Char('/'); // a trailing slash changes nothing
    run();
    EXPECT_EQ(page.calls.filter(QStringLiteral("ask ")),
              QStringList{QStringLiteral("ask ") +
                          ReplaceQuestionText(dest + QStringLiteral("/Book.pdf"))});
    EXPECT_EQ(page.resultNames,
              (QStringList{QStringLiteral("Book.pdf"), QStringLiteral("Book.pdf")}));
}

TEST_F(ConversionWorkerTest, RunStartCapturesSettingsAndFinishFolderThenRunsOnAThread)
{
    page.rows = {QStringLiteral("/in/a.xlsx")};
    page.settings.title = QStringLiteral("Captured");
    ConversionSettings seen;
    converters.excel = [&seen](const ConversionTarget& t, const QString&, ConverterServices&) {
        seen = t.settings;
        return ConverterResult{};
    };
    std::thread worker = StartConversionRun(page, converters, services);
    worker.join();
    EXPECT_EQ(page.calls.first(), QStringLiteral("capture settings"));
    EXPECT_EQ(page.finishFolder, dest + QLatin1Char('/'));
    EXPECT_EQ(seen.title, QStringLiteral("Captured"));
}

} // namespace
