#include "PdfStep.h"

#include "Fakes.h"
#include "Pdfmarks.h"
#include "PrintJob.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString outputFileOf(const ProcessRequest& request)
{
    for (const QString& a : request.arguments)
        if (a.startsWith(QStringLiteral("-sOutputFile=")))
            return a.mid(13).replace(QStringLiteral("%%"), QStringLiteral("%"));
    return {};
}

bool isProbe(const ProcessRequest& request)
{
    return request.arguments.contains(QStringLiteral("-dNODISPLAY"));
}

class PdfStepTest : public testing::Test
{
protected:
    PdfStepTest()
    {
        work = scratch.file(QStringLiteral("work"));
        dest = scratch.file(QStringLiteral("dest"));
        QDir().mkpath(dest);
        spooler.current = QStringLiteral("Pellucor");
    }

    // Ghostscript that writes `pdf` into its output file and exits with `code`.
    void ghostscriptWrites(const QByteArray& pdf, int code = 0)
    {
        runner.on(QStringLiteral("gs"), [this, pdf, code](const ProcessRequest& r) {
            if (isProbe(r))
                return exitedWith(0, "no");
            seenPdfmarks = readFile(work + QStringLiteral("/pdfmarks"));
            writeFile(outputFileOf(r), pdf.isEmpty() ? pdf : pdf + "\n%%EOF\n");
            return exitedWith(code, "Error: /undefined in foo\nOperand stack:\n");
        });
    }

    QList<ProcessRequest> ghostscriptRuns() const
    {
        QList<ProcessRequest> runs;
        for (const ProcessRequest& r : runner.requests)
            if (!isProbe(r))
                runs.append(r);
        return runs;
    }

    PdfStepResult convert(const QString& source = QStringLiteral("/data/Sales 2009.xlsx"))
    {
        PdfStepServices services{runner, spooler, prompter, work, QStringLiteral("/nonexistent")};
        return ConvertPostScriptToPdf(source, dest, settings, SavedPrinter(QStringLiteral("Office")), services);
    }

    QStringList destinationFiles() const
    {
        return QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    ScratchFolder scratch;
    QString work;
    QString dest;
    ConversionSettings settings;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    FakePrompter prompter;
    QByteArray seenPdfmarks; // what Ghostscript found in the pdfmarks file
};

TEST_F(PdfStepTest, SuccessMovesThePdfIntoPlaceAndRestoresThePrinter)
{
    settings.title = QStringLiteral("Quarter");
    settings.author = QStringLiteral("Anne");
    ghostscriptWrites("%PDF-1.3 new");
    const PdfStepResult result = convert();

    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, dest + QStringLiteral("/Sales 2009.pdf"));
    EXPECT_EQ(readFile(result.outputPath), "%PDF-1.3 new\n%%EOF\n");
    EXPECT_EQ(destinationFiles(), QStringList{QStringLiteral("Sales 2009.pdf")});
    EXPECT_EQ(seenPdfmarks, PdfmarksBytes(settings)) << "the typed title and author";
    EXPECT_EQ(QFile::permissions(work) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
              0);

    ASSERT_EQ(ghostscriptRuns().size(), 1);
    const QStringList args = ghostscriptRuns().first().arguments;
    EXPECT_EQ(args.mid(args.size() - 2), (QStringList{work + QStringLiteral("/tmp.ps"), work + QStringLiteral("/pdfmarks")}));
    EXPECT_EQ(spooler.setCalls, QList<SavedPrinter>{QStringLiteral("Office")});
    EXPECT_TRUE(prompter.shown.isEmpty());
}

// The spool file holds the document unencrypted: after the step, successful or
// not, no work file is left.
TEST_F(PdfStepTest, WorkFilesAreRemovedWhateverGhostscriptDid)
{
    for (int code : {0, 1}) {
        SCOPED_TRACE(code);
        QDir().mkpath(work);
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(work + QStringLiteral("/tmp.ps"), "%!PS secret");
        writeFile(work + QStringLiteral("/tmp.ps.job"), "job-id=7\nuser=u\ntitle=t\n");
        ghostscriptWrites("%PDF", code);
        convert();
        EXPECT_FALSE(seenPdfmarks.isEmpty());
        EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
    }
}

TEST_F(PdfStepTest, EmptyTitleAndAuthorBecomeTheFileNameAndTheUser)
{
    ghostscriptWrites("%PDF");
    for (const char* name : {"budget.xls", "報告.xlsx", "photo.png", "no dot", "a (b).ods"}) {
        SCOPED_TRACE(name);
        convert(QStringLiteral("/data/sub dir/") + QString::fromUtf8(name));
        ConversionSettings expected = settings;
        expected.title = QString::fromUtf8(name);
        expected.author = CurrentUserFullName();
        EXPECT_EQ(seenPdfmarks, PdfmarksBytes(expected));
    }
    settings.title = QStringLiteral("Typed");
    settings.author = QStringLiteral("Typist");
    convert();
    EXPECT_TRUE(seenPdfmarks.startsWith("[ /Title (Typed) \n /Author (Typist)\n/DOCINFO pdfmark"))
        << seenPdfmarks.toStdString();
}

TEST_F(PdfStepTest, FailedGhostscriptLeavesAnExistingPdfAndNoTemporaryFile)
{
    writeFile(dest + QStringLiteral("/Sales 2009.pdf"), "old pdf");
    ghostscriptWrites("half a pdf", 1);
    const PdfStepResult result = convert();

    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("exit code 1"))) << result.failure.toStdString();
    EXPECT_EQ(readFile(dest + QStringLiteral("/Sales 2009.pdf")), "old pdf");
    EXPECT_EQ(destinationFiles(), QStringList{QStringLiteral("Sales 2009.pdf")});
    EXPECT_EQ(spooler.setCalls, QList<SavedPrinter>{QStringLiteral("Office")});
}

// Ghostscript may exit 0 although the disk filled up under it: a PDF without its
// end is no PDF, and the existing one stays.
TEST_F(PdfStepTest, TruncatedOutputIsAFailure)
{
    writeFile(dest + QStringLiteral("/Sales 2009.pdf"), "old pdf");
    runner.on(QStringLiteral("gs"), [](const ProcessRequest& r) {
        if (isProbe(r))
            return exitedWith(0, "no");
        writeFile(outputFileOf(r), "%PDF-1.4\n1 0 obj <<");
        return exitedWith(0);
    });
    const PdfStepResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.failure, QStringLiteral("Ghostscript wrote an incomplete PDF"));
    EXPECT_EQ(destinationFiles(), QStringList{QStringLiteral("Sales 2009.pdf")});
    EXPECT_EQ(readFile(dest + QStringLiteral("/Sales 2009.pdf")), "old pdf");
}

TEST_F(PdfStepTest, MissingGhostscriptIsAFailureWithAHint)
{
    const PdfStepResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("ghostscript package"))) << result.failure.toStdString();
    EXPECT_TRUE(destinationFiles().isEmpty());
    EXPECT_EQ(spooler.setCalls.size(), 1);
}

TEST_F(PdfStepTest, UnsafeWorkFolderStopsBeforeGhostscript)
{
    ghostscriptWrites("%PDF");
    QDir().mkpath(work);
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const PdfStepResult result = convert();

    EXPECT_FALSE(result.written);
    EXPECT_TRUE(ghostscriptRuns().isEmpty());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("other users"))) << prompter.shown.first().text.toStdString();
    EXPECT_EQ(spooler.setCalls, QList<SavedPrinter>{QStringLiteral("Office")});
    EXPECT_TRUE(destinationFiles().isEmpty());
}

TEST_F(PdfStepTest, WorkFolderThatIsALinkIsRefused)
{
    ghostscriptWrites("%PDF");
    QDir().mkpath(scratch.file(QStringLiteral("elsewhere")));
    QFile::link(scratch.file(QStringLiteral("elsewhere")), work);
    convert();
    EXPECT_TRUE(ghostscriptRuns().isEmpty());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("symbolic link")));
}

TEST_F(PdfStepTest, PdfmarksThatCannotBeWrittenStopsBeforeGhostscript)
{
    ghostscriptWrites("%PDF");
    QDir().mkpath(work + QStringLiteral("/pdfmarks")); // a folder where the file should be
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const PdfStepResult result = convert();

    EXPECT_FALSE(result.written);
    EXPECT_TRUE(ghostscriptRuns().isEmpty());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("pdfmarks could not be written")));
    EXPECT_EQ(spooler.setCalls.size(), 1);
}

// A default printer that is not confirmed back fails the file: shown, the record
// kept for the next start, and an existing PDF of that name untouched.
TEST_F(PdfStepTest, UnconfirmedRestoreOfThePrinterFailsTheFile)
{
    writeFile(dest + QStringLiteral("/Sales 2009.pdf"), "old pdf");
    ghostscriptWrites("%PDF new");
    spooler.failSet = true;
    const PdfStepResult result = convert();
    EXPECT_FALSE(result.written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("\"Office\"")))
        << prompter.shown.first().text.toStdString();
    EXPECT_EQ(result.failure, prompter.shown.first().text);
    EXPECT_EQ(readFile(dest + QStringLiteral("/Sales 2009.pdf")), "old pdf");
    EXPECT_EQ(destinationFiles(), QStringList{QStringLiteral("Sales 2009.pdf")});
}

TEST_F(PdfStepTest, RelativeDestinationBecomesAbsolute)
{
    ghostscriptWrites("%PDF");
    const QString old = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    dest = QStringLiteral("|dest");
    QDir().mkpath(dest);
    const PdfStepResult result = convert();
    QDir::setCurrent(old);
    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, scratch.file(QStringLiteral("|dest/Sales 2009.pdf")));
    EXPECT_TRUE(outputFileOf(ghostscriptRuns().first()).startsWith(QLatin1Char('/')));
}

} // namespace

namespace {

TEST_F(PdfStepTest, ShippedGhostscriptIsPreferredAndAskedForSetPdfWrite)
{
    const QString program = scratch.file(QStringLiteral("prog/gs/bin/gs"));
    QDir().mkpath(scratch.file(QStringLiteral("prog/gs/bin")));
    writeFile(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    runner.on(QStringLiteral("/gs/bin/gs"), [](const ProcessRequest& r) {
        if (isProbe(r))
            return exitedWith(0, "yes");
        writeFile(outputFileOf(r), "%PDF\n%%EOF\n");
        return exitedWith(0);
    });
    PdfStepServices services{runner, spooler, prompter, work, scratch.file(QStringLiteral("prog"))};
    EXPECT_TRUE(ConvertPostScriptToPdf(QStringLiteral("/d/x.xls"), dest, settings, SavedPrinter(), services).written);

    const QStringList args = ghostscriptRuns().value(0).arguments;
    EXPECT_EQ(args.value(0), program);
    const qsizetype c = args.indexOf(QStringLiteral("-c"));
    ASSERT_GE(c, 0);
    EXPECT_EQ(args.value(c + 1), QStringLiteral(".setpdfwrite"));
    EXPECT_TRUE(args.value(c + 2).endsWith(QStringLiteral("setdistillerparams")));
}

} // namespace
