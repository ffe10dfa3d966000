#include "ConvertExcel.h"

#include "AutomationRegistry.h"
#include "ConverterFakes.h"
#include "Fakes.h"
#include "PrintContract.h"
#include "TestFiles.h"
#include "UserAccount.h"

#include <QDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace std::chrono_literals;

class ConvertExcelTest : public testing::Test
{
public:
    ConvertExcelTest()
    {
        work = scratch.file(QStringLiteral("work"));
        target.destinationFolder = scratch.file(QStringLiteral("dest"));
        QDir().mkpath(target.destinationFolder);
        spooler.current = QStringLiteral("Office");
        server.children = {{{QStringLiteral("Application"), 0x23C}, QStringLiteral("Workbooks")},
                           {{QStringLiteral("Workbooks"), 0xB5}, QStringLiteral("Workbook")}};
        server.registerIn(registry);
        // The printer: the job is 8 in CUPS at once, and done half a second later.
        server.onCall[0x6EC] = [this] {
            jobs.jobsAt.insert({jobs.elapsed, {8, false, false}});
            jobs.actions.insert({jobs.elapsed + 500ms, [this] { printerFinishes(8); }});
            return Variant();
        };
        jobs.jobsAt.insert({0ms, {7, true, true}});
        fakeGhostscript(runner, log, work);
    }

    void printerFinishes(int job, const QByteArray& postScript = "%!PS new workbook")
    {
        jobs.jobsAt.insert({jobs.elapsed, {job, true, true}});
        writeFile(PostScriptSpoolFile(work), postScript);
        writeFile(PostScriptJobRecord(work), PrintJobRecordText(job, CurrentUserName()));
    }

    ConverterResult convert()
    {
        ConverterServices services{
            runner, spooler, prompter, pacing, registry, work, QStringLiteral("/nonexistent")};
        return ConvertExcel(target, source, services, jobs);
    }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto& s : prompter.shown)
            texts.append(s.text);
        return texts;
    }

    void leaveOldPrint()
    {
        QDir().mkpath(work);
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(PostScriptSpoolFile(work), "%!PS someone else's document");
        writeFile(PostScriptJobRecord(work), PrintJobRecordText(3, CurrentUserName()));
    }

    ScratchFolder scratch;
    QString work;
    QString source = QStringLiteral("/data/Sales 2009.xlsx");
    ConversionTarget target;
    EventLog log;
    RecordingServer server{log, QStringLiteral("Excel.Application"), true};
    LoggingRegistry registry;
    LoggingSpooler spooler{log};
    LoggingPacing pacing{log};
    FakePrompter prompter;
    FakeProcessRunner runner;
    FakeJobWatch jobs;
};

const QString PrintOutCall =
    QStringLiteral("Workbook method 0x6ec (VT_ERROR 0x80020004, VT_ERROR 0x80020004, VT_I4 1, "
                   "VT_I2 0, VT_ERROR 0x80020004, "
                   "VT_ERROR 0x80020004, VT_ERROR 0x80020004, VT_BSTR \"%1\")");

TEST_F(ConvertExcelTest, CallsTheServerInItsFixedOrder)
{
    leaveOldPrint();
    const ConverterResult result = convert();
    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, target.destinationFolder + QStringLiteral("/Sales 2009.pdf"));
    EXPECT_EQ(readFile(result.outputPath), "%PDF-1.4 from gs\n%%EOF\n");
    const QStringList expected{
        QStringLiteral("create Excel.Application"),
        QStringLiteral("Application property put 0x22e (VT_BOOL false)"),
        QStringLiteral("get default printer"),
        QStringLiteral("set default printer Pellucor"),
        QStringLiteral("Application property get 0x23c ()"),
        QStringLiteral("Workbooks method 0xb5 (VT_BSTR \"/data/Sales 2009.xlsx\")"),
        PrintOutCall.arg(work + QStringLiteral("/tmp.ps")),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("ghostscript on %!PS new workbook"),
        QStringLiteral("set default printer Office"),
        QStringLiteral("get default printer"),
        QStringLiteral("Application method 0x12e ()"),
        QStringLiteral("release Workbook"),
        QStringLiteral("release Workbooks"),
        QStringLiteral("release Application"),
    };
    EXPECT_EQ(log, expected) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(prompter.shown.isEmpty()) << shownTexts().join(QLatin1Char('\n')).toStdString();
}

TEST_F(ConvertExcelTest, ServerThatCannotStartLeavesThePrinterAlone)
{
    server.startFails = true;
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_EQ(log, QStringList{QStringLiteral("create Excel.Application")});
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("无法启动Excel服务器!")});
}

TEST_F(ConvertExcelTest, FailedCoInitializeIsShownAndTheConversionGoesOn)
{
    registry.initFails = true;
    EXPECT_TRUE(convert().written);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Failed to call Coinitialize()")});
}

TEST_F(ConvertExcelTest, MissingWorkbooksIsShownThenTheServerQuitsAndThePrinterIsBack)
{
    server.failing = {0x23C};
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("no list of workbooks")));
    EXPECT_EQ(log.mid(4), (QStringList{QStringLiteral("Application property get 0x23c ()"),
                                       QStringLiteral("Application method 0x12e ()"),
                                       QStringLiteral("release Application"),
                                       QStringLiteral("set default printer Office"),
                                       QStringLiteral("get default printer")}));
}

TEST_F(ConvertExcelTest, PellucorThatCannotBeTheDefaultPrintsNothing)
{
    spooler.refused = {QStringLiteral("Pellucor")};
    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("not known to CUPS")));
    EXPECT_FALSE(log.join(QLatin1Char('\n')).contains(QStringLiteral("0xb5")));
    EXPECT_TRUE(log.contains(QStringLiteral("Application method 0x12e ()")));
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

TEST_F(ConvertExcelTest, UnsafeWorkFolderIsShownAndNothingPrints)
{
    QDir().mkpath(work);
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadOther | QFile::ExeOther);
    EXPECT_FALSE(convert().written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_FALSE(log.join(QLatin1Char('\n')).contains(QStringLiteral("0xb5")));
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

} // namespace
