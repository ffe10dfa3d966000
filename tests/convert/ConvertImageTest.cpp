#include "ConvertImage.h"

#include "AutomationRegistry.h"
#include "Fakes.h"
#include "PicturePrinter.h"
#include "PrintContract.h"
#include "TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A printer device that acts like "Pellucor": a printed picture becomes job 5 in
// the user's spool file and job record.
class FakePicturePrinter final : public PicturePrinter
{
public:
    explicit FakePicturePrinter(QString work) : m_work(std::move(work)) {}

    Result printPicture(const QString& path, const QString& documentName) override
    {
        printed << documentName;
        Result r;
        r.outcome = outcome;
        if (outcome == Outcome::Printed) {
            writeFile(PostScriptSpoolFile(m_work), "%!PS picture " + path.toUtf8());
            writeFile(PostScriptJobRecord(m_work),
                      QStringLiteral("job-id=5\nuser=%1\ntitle=x\n").arg(CurrentUserName()).toUtf8());
        }
        return r;
    }

    Outcome outcome = Outcome::Printed;
    QStringList printed;

private:
    QString m_work;
};

class CountingPacing final : public Pacing
{
public:
    void wait(std::chrono::milliseconds d) override { total += d; }
    std::chrono::milliseconds total{0};
};

class ConvertImageTest : public testing::Test
{
protected:
    ConvertImageTest() : work(scratch.file(QStringLiteral("work"))), printer(work)
    {
        target.destinationFolder = scratch.file(QStringLiteral("dest"));
        QDir().mkpath(target.destinationFolder);
        spooler.current = QStringLiteral("Office");
        jobs.unreachable = true; // only the job record tells
        runner.on(QStringLiteral("gs"), [this](const ProcessRequest& r) {
            if (r.arguments.contains(QStringLiteral("-dNODISPLAY")))
                return exitedWith(0, "no");
            ghostscriptRead = readFile(PostScriptSpoolFile(work));
            for (const QString& a : r.arguments)
                if (a.startsWith(QStringLiteral("-sOutputFile=")))
                    writeFile(a.mid(13), "%PDF\n%%EOF\n");
            return exitedWith(0);
        });
    }

    ConverterResult convert()
    {
        ConverterServices services{runner, spooler, prompter, pacing, registry, work, QStringLiteral("/nonexistent")};
        return ConvertImage(target, QStringLiteral("/pics/photo.png"), services, printer, jobs);
    }

    ScratchFolder scratch;
    QString work;
    ConversionTarget target;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    FakePrompter prompter;
    CountingPacing pacing;
    AutomationRegistry registry;
    FakeJobWatch jobs;
    FakePicturePrinter printer;
    QByteArray ghostscriptRead;
};

TEST_F(ConvertImageTest, PrintsOnPellucorWaitsAndMakesThePdf)
{
    const ConverterResult result = convert();
    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(printer.printed, QStringList{QStringLiteral("/pics/photo.png")});
    EXPECT_EQ(spooler.setCalls, (QList<SavedPrinter>{QStringLiteral("Pellucor"), QStringLiteral("Office")}));
    EXPECT_EQ(pacing.total, 2000ms);
    EXPECT_EQ(ghostscriptRead, "%!PS picture /pics/photo.png");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ConvertImageTest, StalePostScriptIsNeverConverted)
{
    QDir().mkpath(work);
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(PostScriptSpoolFile(work), "%!PS someone else's document");
    writeFile(PostScriptJobRecord(work), QStringLiteral("job-id=4\nuser=%1\ntitle=old\n").arg(CurrentUserName()).toUtf8());
    printer.outcome = PicturePrinter::Outcome::DocumentRefused;
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(QFile::exists(PostScriptSpoolFile(work)));
    EXPECT_TRUE(ghostscriptRead.isEmpty());
}

TEST_F(ConvertImageTest, PrinterRefusalsArePlainBoxesAndGiveNoPdf)
{
    const std::pair<PicturePrinter::Outcome, const char*> cases[] = {
        {PicturePrinter::Outcome::NoPrinter, "Buy a printer!"},
        {PicturePrinter::Outcome::DocumentRefused, "Printer wouldn't initalize"},
        {PicturePrinter::Outcome::PageRefused, "Could not start page"},
    };
    for (const auto& [outcome, text] : cases) {
        prompter.shown.clear();
        spooler.setCalls.clear();
        printer.outcome = outcome;
        const ConverterResult result = convert();
        EXPECT_FALSE(result.written) << text;
        ASSERT_EQ(prompter.shown.size(), 1) << text;
        EXPECT_EQ(prompter.shown.first().text, QString::fromUtf8(text));
        EXPECT_EQ(prompter.shown.first().icon, MessageIcon::None);
        EXPECT_EQ(spooler.setCalls.last(), SavedPrinter(QStringLiteral("Office")));
        EXPECT_TRUE(ghostscriptRead.isEmpty());
    }
}

TEST_F(ConvertImageTest, UndecodablePictureSaysSoAndPrintsNothing)
{
    printer.outcome = PicturePrinter::Outcome::NotDecoded;
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("not a picture that can be read")));
    EXPECT_EQ(pacing.total, 0ms);
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

TEST_F(ConvertImageTest, PellucorMissingLeavesTheDefaultAlone)
{
    spooler.failSet = true;
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(printer.printed.isEmpty());
    EXPECT_TRUE(result.failure.contains(QStringLiteral("could not be made the default printer")));
}

} // namespace
