// Whole runs through the real converters: pictures through Qt's printing, a list of
// mixed files through the worker, and the command-line program.
#include "AutomationRegistry.h"
#include "ConversionWorker.h"
#include "ConvertImage.h"
#include "CupsSpooler.h"
#include "StandardServers.h"
#include "Pacing.h"
#include "PosixProcessRunner.h"
#include "PrintContract.h"
#include "ProgramFolder.h"
#include "QtPicturePrinter.h"
#include "StandardConverters.h"

#include "E2eSupport.h"
#include "Fakes.h"
#include "RecordingPage.h"
#include "TestFiles.h"

#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

namespace {

class RunTest : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        dest = scratch.file(QStringLiteral("pdf"));
        QDir().mkpath(dest);
        RegisterStandardServers(registry, office, spooler);
    }

    ConverterServices services()
    {
        return ConverterServices{processes, spooler, prompter, pacing, registry, UserWorkFolder(), programFolder()};
    }

    ScratchFolder scratch;
    QString dest;
    PosixProcessRunner processes;
    FakePrompter prompter;
    ImmediatePacing pacing;
    AutomationRegistry registry;
    QtPicturePrinter pictures;
    CupsPrintJobWatch jobs;
};

TEST_F(RunTest, PictureCoversThreeTimesItsSizeAtTheTopLeft)
{
    ConversionTarget target;
    target.destinationFolder = dest;
    ConverterServices s = services();
    const ConverterResult result = ConvertImage(target, fixture("red.png"), s, pictures, jobs);
    ASSERT_TRUE(result.written) << result.failure.toStdString();

    const CommandOutput info = runTool({QStringLiteral("pdfinfo"), result.outputPath});
    EXPECT_TRUE(info.output.contains(QStringLiteral("Pages:           1\n"))) << info.output.toStdString();

    // Render at the printer's own resolution, so that one printer pixel is one pixel.
    const int dpi = QPrinter(QPrinterInfo::printerInfo(PostScriptPrinterName), QPrinter::HighResolution).resolution();
    const QString png = scratch.file(QStringLiteral("page"));
    // Only the top-left corner: the whole page at that resolution is a very large picture.
    ASSERT_EQ(runTool({QStringLiteral("pdftoppm"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-x"),
                       QStringLiteral("0"), QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"),
                       QString::number(dpi * 3), QStringLiteral("-H"), QString::number(dpi * 2), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), result.outputPath, png})
                  .exitCode,
              0);
    const QImage page(png + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    QRect red;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                red |= QRect(x, y, 1, 1);
        }
    SCOPED_TRACE(testing::Message() << "dpi " << dpi << ", red area " << red.x() << "," << red.y() << " "
                                    << red.width() << "x" << red.height());
    EXPECT_NEAR(red.width(), 600, 3);
    EXPECT_NEAR(red.height(), 300, 3);
    // The top-left corner of the printable area: the queue's paper has 12 pt margins.
    const double margin = 12.0 / 72.0 * dpi;
    EXPECT_NEAR(red.x(), margin, 3);
    EXPECT_NEAR(red.y(), margin, 3);
}

TEST_F(RunTest, MixedListWithACorruptFileInTheMiddle)
{
    RecordingPage page;
    page.rows = {fixture("one sheet.xlsx"), fixture("letter.docx"), fixture("corrupt.xlsx"), fixture("deck.pptx"),
                 fixture("red.png")};
    ConversionTarget target;
    target.destinationFolder = dest;
    const ConverterTable converters = StandardConverters(pictures, jobs);
    ConverterServices s = services();
    ConversionWorker(page, target, converters, s);

    EXPECT_EQ(page.resultNames, (QStringList{QStringLiteral("one sheet.pdf"), QStringLiteral("letter.pdf"),
                                             QStringLiteral("deck.pdf"), QStringLiteral("red.pdf")}));
    ASSERT_EQ(page.failures.size(), 1);
    EXPECT_TRUE(page.failures.first().startsWith(QStringLiteral("corrupt.xlsx: "))) << page.failures.first().toStdString();
    EXPECT_FALSE(QFile::exists(dest + QStringLiteral("/corrupt.pdf")));
    EXPECT_EQ(page.calls.mid(page.calls.size() - 9, 8),
              (QStringList{QStringLiteral("WM_SETPROGRESS 5 5"), QStringLiteral("delete all rows"),
                           QStringLiteral("stop timer 1"), QStringLiteral("redraw"), QStringLiteral("busy 0"),
                           QStringLiteral("converting 0"), QStringLiteral("status Over!"),
                           QStringLiteral("WM_SETSTATUSTEXT Over!")}));
    EXPECT_EQ(page.calls.last(), QStringLiteral("start timer 2 1000"));
    EXPECT_EQ(page.calls.filter(QStringLiteral("failed ")),
              QStringList{QStringLiteral("failed ") + ConvertFailedText(QStringLiteral("corrupt.pdf"))});
    for (const QString& name : page.resultNames) {
        const CommandOutput text = runTool({QStringLiteral("pdfinfo"), dest + QLatin1Char('/') + name});
        EXPECT_EQ(text.exitCode, 0) << name.toStdString();
    }
    const CommandOutput text = runTool({QStringLiteral("pdftotext"), dest + QStringLiteral("/one sheet.pdf"), QStringLiteral("-")});
    EXPECT_TRUE(text.output.contains(QStringLiteral("Quarterly sums"))) << text.output.toStdString();
}

} // namespace
