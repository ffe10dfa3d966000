// The call sequences of the word processor and presentation converters, and how
// each of the three office converters ends a file when a call fails, against
// recording servers registered under the servers' program identifiers.
#include "ConvertExcel.h"
#include "ConvertPowerPoint.h"
#include "ConvertWord.h"

#include "AutomationRegistry.h"
#include "ConverterFakes.h"
#include "ExcelApplication.h"
#include "Fakes.h"
#include "PowerPointApplication.h"
#include "PrintContract.h"
#include "TestFiles.h"
#include "UserAccount.h"
#include "WordApplication.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

namespace {

using namespace std::chrono_literals;

// CUPS whose newest job is whatever `newest` says at the moment, and a clock that
// only moves when the converter sleeps; `at` runs an action once a time is reached.
struct SettableJobWatch final : PrintJobWatch
{
    std::optional<PrintJobState> newestJob(const QString&) override { return newest; }
    std::chrono::steady_clock::time_point now() override
    {
        return std::chrono::steady_clock::time_point(elapsed);
    }
    void sleep(std::chrono::milliseconds duration) override
    {
        elapsed += duration;
        for (auto it = at.begin(); it != at.end();) {
            if (it->first <= elapsed) {
                it->second();
                it = at.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::chrono::milliseconds elapsed{0};
    PrintJobState newest{7, true, true};
    std::multimap<std::chrono::milliseconds, std::function<void()>> at;
};

class OfficeConverterTest : public testing::Test
{
protected:
    OfficeConverterTest()
    {
        work = scratch.file(QStringLiteral("work"));
        target.destinationFolder = scratch.file(QStringLiteral("dest"));
        QDir().mkpath(target.destinationFolder);
        spooler.current = QStringLiteral("Office");
        fakeGhostscript(runner, log, work);
    }

    // The printer finishes job 8 at once: the spool file and its record are there.
    void printerFinishes(const QByteArray& postScript = "%!PS new document")
    {
        jobs.newest = {8, true, true};
        writeFile(PostScriptSpoolFile(work), postScript);
        writeFile(PostScriptJobRecord(work),
                  QStringLiteral("job-id=8\nuser=%1\ntitle=x\n").arg(CurrentUserName()).toUtf8());
    }

    // What a careless converter would turn into the next PDF.
    void leaveOldPrint()
    {
        QDir().mkpath(work);
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(PostScriptSpoolFile(work), "%!PS someone else's document");
        writeFile(PostScriptJobRecord(work),
                  QStringLiteral("job-id=3\nuser=%1\ntitle=x\n").arg(CurrentUserName()).toUtf8());
    }

    ConverterServices services()
    {
        return ConverterServices{
            runner, spooler, prompter, pacing, registry, work, QStringLiteral("/nonexistent")};
    }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto& s : prompter.shown)
            texts.append(s.text);
        return texts;
    }

    QString logText() const { return log.join(QLatin1Char('\n')); }

    ScratchFolder scratch;
    QString work;
    ConversionTarget target;
    EventLog log;
    LoggingRegistry registry;
    LoggingSpooler spooler{log};
    LoggingPacing pacing{log};
    FakePrompter prompter;
    FakeProcessRunner runner;
    SettableJobWatch jobs;
};

class ConvertWordTest : public OfficeConverterTest
{
protected:
    ConvertWordTest()
    {
        server.children = {
            {{QStringLiteral("Application"), WordMember::Documents}, QStringLiteral("Documents")},
            {{QStringLiteral("Documents"), WordMember::Open}, QStringLiteral("Document")}};
        server.onCall[WordMember::PrintOut] = [this] {
            jobs.newest = {8, false, false};
            printsLeft = 2;
            return Variant();
        };
        // Two polls still see the job; the printer is done by the third.
        server.onCall[WordMember::BackgroundPrintingStatus] = [this] {
            if (printsLeft > 0 && --printsLeft == 0)
                printerFinishes();
            return Variant::fromI4(printsLeft);
        };
        server.registerIn(registry);
    }

    ConverterResult convert(const QString& source)
    {
        ConverterServices s = services();
        return ConvertWord(target, source, s, jobs);
    }

    RecordingServer server{log, QStringLiteral("Word.Application")};
    int printsLeft = 0;
};

QString wordOpenCall(const QString& path, int format)
{
    return QStringLiteral(
               "Documents method 15 (VT_BYREF VT_BSTR \"%1\", VT_BYREF VT_I2 0, VT_BYREF VT_I2 -1, "
               "VT_BYREF VT_I2 0, VT_BYREF VT_ERROR 0x80020004, VT_BYREF VT_ERROR 0x80020004, "
               "VT_BYREF VT_I2 0, VT_BYREF VT_ERROR 0x80020004, VT_BYREF VT_ERROR 0x80020004, "
               "VT_BYREF VT_I4 %2, VT_BYREF VT_ERROR 0x80020004, VT_BYREF VT_I2 -1)")
        .arg(path)
        .arg(format);
}

QString wordPrintOutCall(const QString& spoolFile)
{
    return QStringLiteral("Document method 444 (VT_BYREF VT_I2 0, VT_BYREF VT_ERROR 0x80020004, "
                          "VT_BYREF VT_I4 0, "
                          "VT_BYREF VT_BSTR \"%1\", VT_BYREF VT_ERROR 0x80020004, VT_BYREF "
                          "VT_ERROR 0x80020004, "
                          "VT_BYREF VT_I4 0, VT_BYREF VT_I4 1, VT_BYREF VT_ERROR 0x80020004, "
                          "VT_BYREF VT_I4 0, "
                          "VT_BYREF VT_I2 -1, VT_BYREF VT_I2 -1, VT_BYREF VT_ERROR 0x80020004, "
                          "VT_BYREF VT_I2 0, "
                          "VT_BYREF VT_I4 0, VT_BYREF VT_I4 0, VT_BYREF VT_I4 0, VT_BYREF VT_I4 0)")
        .arg(spoolFile);
}

const QString WordQuitCall = QStringLiteral(
    "Application method 1105 (VT_BYREF VT_I2 0, VT_BYREF VT_I2 0, VT_BYREF VT_I2 0)");

TEST_F(ConvertWordTest, CallsTheServerInOrderAndWaitsForBackgroundPrinting)
{
    leaveOldPrint();
    const QString source = QStringLiteral("/data/Annual report.docx");
    const ConverterResult result = convert(source);
    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, target.destinationFolder + QStringLiteral("/Annual report.pdf"));
    const QStringList expected{
        QStringLiteral("create Word.Application"),
        QStringLiteral("Application property put 23 (VT_BOOL false)"),
        QStringLiteral("get default printer"),
        QStringLiteral("Application property put 66 (VT_BSTR \"Pellucor\")"),
        QStringLiteral("Application property get 6 ()"),
        wordOpenCall(source, 0),
        wordPrintOutCall(work + QStringLiteral("/tmp.ps")),
        QStringLiteral("Application property get 86 ()"),
        QStringLiteral("Application property get 86 ()"),
        QStringLiteral("wait 1000 ms"),
        QStringLiteral("ghostscript on %!PS new document"),
        QStringLiteral("set default printer Office"),
        QStringLiteral("get default printer"),
        WordQuitCall,
        QStringLiteral("release Application"),
        QStringLiteral("release Documents"),
        QStringLiteral("release Document"),
    };
    EXPECT_EQ(log, expected) << logText().toStdString();
    EXPECT_TRUE(prompter.shown.isEmpty()) << shownTexts().join(QLatin1Char('\n')).toStdString();
    // The word processor prints on its active printer: the default is never Pellucor.
    EXPECT_FALSE(log.contains(QStringLiteral("set default printer Pellucor")));
}

TEST_F(ConvertWordTest, PollsOncePerSecondUntilNothingIsLeft)
{
    server.onCall[WordMember::PrintOut] = [this] {
        printsLeft = 5;
        return Variant();
    };
    ASSERT_TRUE(convert(QStringLiteral("/data/long.doc")).written);
    // Read once, then read and sleep while the value read is above 0.
    EXPECT_EQ(log.count(QStringLiteral("Application property get 86 ()")), 5);
    EXPECT_EQ(log.count(QStringLiteral("wait 1000 ms")), 4);
    const qsizetype lastWait = log.lastIndexOf(QStringLiteral("wait 1000 ms"));
    EXPECT_LT(lastWait, log.indexOf(QStringLiteral("ghostscript on %!PS new document")));
}

TEST_F(ConvertWordTest, BackgroundPrintingThatNeverEndsIsGivenUp)
{
    server.onCall[WordMember::BackgroundPrintingStatus] = [] { return Variant::fromI4(1); };
    const ConverterResult result = convert(QStringLiteral("/data/stuck.doc"));
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("did not finish")))
        << result.failure.toStdString();
    EXPECT_GE(jobs.elapsed, BackgroundPrintingLimit);
    EXPECT_FALSE(logText().contains(QStringLiteral("ghostscript")));
    EXPECT_EQ(
        log.mid(log.size() - 6),
        (QStringList{QStringLiteral("set default printer Office"),
                     QStringLiteral("get default printer"), WordQuitCall,
                     QStringLiteral("release Application"), QStringLiteral("release Documents"),
                     QStringLiteral("release Document")}));
}

TEST_F(ConvertWordTest, ExtensionChoosesTheOpenFormat)
{
    const struct
    {
        const char* path;
        int format;
    } rows[] = {{"/d/a.doc", 0}, {"/d/a.docx", 0},   {"/d/a.dot", 0}, {"/d/a.htm", 7},
                {"/d/a.tml", 7}, {"/d/a.html", 7},   {"/d/a.xml", 8}, {"/d/a.txt", 4},
                {"/d/a.rtf", 3}, {"/d.x/a.b.txt", 4}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        log.clear();
        jobs = SettableJobWatch();
        const QString path = QString::fromLatin1(row.path);
        EXPECT_EQ(WordOpenFormatFor(path), std::optional<qint32>(row.format));
        EXPECT_TRUE(convert(path).written);
        EXPECT_TRUE(log.contains(wordOpenCall(path, row.format))) << logText().toStdString();
    }
}

TEST_F(ConvertWordTest, UnsupportedFilesStartNothing)
{
    for (const char* path : {"/d/report.DOC", "/d/no dot here", "/d.folder/README", "/d/book.XLS",
                             "/d/a.pdf", "/d/a."}) {
        SCOPED_TRACE(path);
        log.clear();
        prompter.shown.clear();
        const QString source = QString::fromUtf8(path);
        EXPECT_EQ(WordOpenFormatFor(source), std::nullopt);
        const ConverterResult result = convert(source);
        EXPECT_FALSE(result.written);
        EXPECT_FALSE(result.failure.isEmpty());
        EXPECT_TRUE(log.isEmpty()) << logText().toStdString();
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown.first().text,
                  QStringLiteral("Not Suppot File %1,Convert next file?").arg(source));
        EXPECT_EQ(prompter.shown.first().buttons, MessageButtons::Ok);
        EXPECT_EQ(prompter.shown.first().icon, MessageIcon::Standard);
    }
}

TEST_F(ConvertWordTest, UnsupportedFileComesBeforeTheCoInitializeMessage)
{
    registry.initFails = true;
    convert(QStringLiteral("/d/report.DOC"));
    EXPECT_EQ(shownTexts(),
              QStringList{QStringLiteral("Not Suppot File /d/report.DOC,Convert next file?")});
    prompter.shown.clear();
    EXPECT_TRUE(convert(QStringLiteral("/d/report.doc")).written);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Failed to call Coinitialize()")});
}

TEST_F(ConvertWordTest, MissingServerIsShownAndThePrinterIsUntouched)
{
    server.startFails = true;
    const ConverterResult result = convert(QStringLiteral("/d/a.docx"));
    EXPECT_FALSE(result.written);
    EXPECT_EQ(log, QStringList{QStringLiteral("create Word.Application")});
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Couldn't get Word object.")});
}

TEST_F(ConvertWordTest, PrintThatNeverReachesThePrinterGivesNoPdf)
{
    server.onCall[WordMember::PrintOut] = [] { return Variant(); };
    server.onCall[WordMember::BackgroundPrintingStatus] = [] { return Variant::fromI4(0); };
    leaveOldPrint();
    const ConverterResult result = convert(QStringLiteral("/d/a.docx"));
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("no print job reached")))
        << result.failure.toStdString();
    EXPECT_FALSE(QFile::exists(result.outputPath));
    EXPECT_FALSE(logText().contains(QStringLiteral("ghostscript")));
    EXPECT_TRUE(log.contains(WordQuitCall));
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

class ConvertPowerPointTest : public OfficeConverterTest
{
protected:
    ConvertPowerPointTest()
    {
        server.children = {{{QStringLiteral("Application"), PowerPointMember::Presentations},
                            QStringLiteral("Presentations")},
                           {{QStringLiteral("Application"), PowerPointMember::ActivePresentation},
                            QStringLiteral("Presentation")}};
        // The job is in CUPS at once and done a second later.
        server.onCall[PowerPointMember::PrintOut] = [this] {
            jobs.newest = {8, false, false};
            jobs.at.insert({jobs.elapsed + 1s, [this] { printerFinishes("%!PS slides"); }});
            return Variant();
        };
        server.registerIn(registry);
    }

    ConverterResult convert(const QString& source = QStringLiteral("/data/Pitch deck.pptx"))
    {
        ConverterServices s = services();
        return ConvertPowerPoint(target, source, s, jobs);
    }

    RecordingServer server{log, QStringLiteral("PowerPoint.Application")};
};

TEST_F(ConvertPowerPointTest, CallsTheServerInOrder)
{
    leaveOldPrint();
    const ConverterResult result = convert();
    EXPECT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, target.destinationFolder + QStringLiteral("/Pitch deck.pdf"));
    const QStringList expected{
        QStringLiteral("create PowerPoint.Application"),
        QStringLiteral("Application property put 2030 (VT_I4 1)"),
        QStringLiteral("get default printer"),
        QStringLiteral("set default printer Pellucor"),
        QStringLiteral("Application property get 2001 ()"),
        QStringLiteral("Presentations method 2004 (VT_BSTR \"/data/Pitch deck.pptx\", VT_I4 -1, "
                       "VT_I4 -1, VT_I4 -1)"),
        QStringLiteral("Application property get 2005 ()"),
        QStringLiteral("Presentation method 2034 (VT_I4 -1, VT_I4 -1, VT_BSTR \"%1/tmp.ps\", VT_I4 "
                       "1, VT_I4 -1)")
            .arg(work),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("wait 500 ms"),
        QStringLiteral("ghostscript on %!PS slides"),
        QStringLiteral("set default printer Office"),
        QStringLiteral("get default printer"),
        QStringLiteral("Application method 2021 ()"),
        QStringLiteral("release Application"),
        QStringLiteral("release Presentations"),
        QStringLiteral("release Presentation"),
    };
    EXPECT_EQ(log, expected) << logText().toStdString();
    EXPECT_TRUE(prompter.shown.isEmpty()) << shownTexts().join(QLatin1Char('\n')).toStdString();
    // The fixed wait alone is not trusted: the job's record ended the wait.
    EXPECT_GE(jobs.elapsed, 1s);
}

TEST_F(ConvertPowerPointTest, MissingServerIsShownAndThePrinterIsUntouched)
{
    registry.initFails = true;
    server.startFails = true;
    EXPECT_FALSE(convert().written);
    EXPECT_EQ(log, QStringList{QStringLiteral("create PowerPoint.Application")});
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("Failed to call Coinitialize()"),
                                         QStringLiteral("创建PowerPoint服务失败!")}));
}

enum class OfficeConverter
{
    Spreadsheet,
    WordProcessor,
    Presentation
};

struct FailingCall
{
    const char* name;
    OfficeConverter converter;
    DispId failing;                    // the member that fails; 0 for none
    bool silentPrinter;                // PrintOut answers, but no job reaches the printer
    const char* reason;                // part of the converter's failure
    bool shown;                        // the failure is shown in a message box
    std::vector<const char*> releases; // the objects released after Quit, in order
};

void PrintTo(const FailingCall& call, std::ostream* out)
{
    *out << call.name;
}

// A call that fails in any way ends the file: no PDF (not even from the previous
// document's PostScript), the default printer back, the server told to quit and
// every object released. The spreadsheet converter reports its failures without a
// message box; the other two show them.
class FailingCallTest : public OfficeConverterTest, public testing::WithParamInterface<FailingCall>
{
protected:
    FailingCallTest()
    {
        switch (GetParam().converter) {
        case OfficeConverter::Spreadsheet:
            server = std::make_unique<RecordingServer>(log, ExcelProgId, true);
            server->children = {
                {{QStringLiteral("Application"), ExcelMember::Workbooks},
                 QStringLiteral("Workbooks")},
                {{QStringLiteral("Workbooks"), ExcelMember::Add}, QStringLiteral("Workbook")}};
            source = QStringLiteral("/data/Sales 2009.xlsx");
            quitCall = QStringLiteral("Application method 0x12e ()");
            break;
        case OfficeConverter::WordProcessor:
            server = std::make_unique<RecordingServer>(log, QStringLiteral("Word.Application"));
            server->children = {
                {{QStringLiteral("Application"), WordMember::Documents},
                 QStringLiteral("Documents")},
                {{QStringLiteral("Documents"), WordMember::Open}, QStringLiteral("Document")}};
            source = QStringLiteral("/d/broken.docx");
            quitCall = WordQuitCall;
            break;
        case OfficeConverter::Presentation:
            server =
                std::make_unique<RecordingServer>(log, QStringLiteral("PowerPoint.Application"));
            server->children = {
                {{QStringLiteral("Application"), PowerPointMember::Presentations},
                 QStringLiteral("Presentations")},
                {{QStringLiteral("Application"), PowerPointMember::ActivePresentation},
                 QStringLiteral("Presentation")}};
            source = QStringLiteral("/data/Pitch deck.pptx");
            quitCall = QStringLiteral("Application method 2021 ()");
            break;
        }
        if (GetParam().failing != 0)
            server->failing = {GetParam().failing};
        server->registerIn(registry);
    }

    ConverterResult convert()
    {
        ConverterServices s = services();
        switch (GetParam().converter) {
        case OfficeConverter::Spreadsheet:
            return ConvertExcel(target, source, s, jobs);
        case OfficeConverter::WordProcessor:
            return ConvertWord(target, source, s, jobs);
        case OfficeConverter::Presentation:
            return ConvertPowerPoint(target, source, s, jobs);
        }
        return {};
    }

    std::unique_ptr<RecordingServer> server;
    QString source;
    QString quitCall;
};

TEST_P(FailingCallTest, EndsTheFileCleanly)
{
    const FailingCall& row = GetParam();
    leaveOldPrint();

    const ConverterResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.failure.contains(QString::fromUtf8(row.reason)))
        << result.failure.toStdString();
    EXPECT_EQ(shownTexts(), row.shown ? QStringList{result.failure} : QStringList());
    EXPECT_FALSE(QFile::exists(result.outputPath));
    EXPECT_FALSE(QFile::exists(PostScriptSpoolFile(work)));
    EXPECT_FALSE(QFile::exists(PostScriptJobRecord(work)));
    EXPECT_FALSE(logText().contains(QStringLiteral("ghostscript")));
    // Only a print that never reached the printer was waited for.
    EXPECT_EQ(
        std::count_if(log.cbegin(), log.cend(),
                      [](const QString& line) { return line.startsWith(QStringLiteral("wait ")); }),
        row.silentPrinter ? 4 : 0)
        << logText().toStdString();
    QStringList ending{QStringLiteral("set default printer Office"),
                       QStringLiteral("get default printer"), quitCall};
    for (const char* object : row.releases)
        ending.append(QStringLiteral("release ") + QString::fromLatin1(object));
    EXPECT_EQ(log.mid(log.size() - ending.size()), ending) << logText().toStdString();
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
}

const FailingCall FailingCalls[] = {
    {"SpreadsheetAddFails",
     OfficeConverter::Spreadsheet,
     ExcelMember::Add,
     false,
     "member 0xb5 failed",
     false,
     {"Workbooks", "Application"}},
    {"SpreadsheetPrintOutFails",
     OfficeConverter::Spreadsheet,
     ExcelMember::PrintOut,
     false,
     "member 0x6ec failed",
     false,
     {"Workbook", "Workbooks", "Application"}},
    {"SpreadsheetJobNeverReachesThePrinter",
     OfficeConverter::Spreadsheet,
     0,
     true,
     "no print job reached",
     false,
     {"Workbook", "Workbooks", "Application"}},
    {"WordProcessorActivePrinterRefused",
     OfficeConverter::WordProcessor,
     WordMember::ActivePrinter,
     false,
     "could not be chosen",
     true,
     {"Application"}},
    {"WordProcessorWithoutDocuments",
     OfficeConverter::WordProcessor,
     WordMember::Documents,
     false,
     "no list of documents",
     true,
     {"Application"}},
    {"WordProcessorOpenFails",
     OfficeConverter::WordProcessor,
     WordMember::Open,
     false,
     "could not open /d/broken.docx: member 15 failed",
     true,
     {"Application", "Documents"}},
    {"WordProcessorPrintOutRefused",
     OfficeConverter::WordProcessor,
     WordMember::PrintOut,
     false,
     "could not print /d/broken.docx: member 444 failed",
     true,
     {"Application", "Documents", "Document"}},
    {"WordProcessorStatusUnreadable",
     OfficeConverter::WordProcessor,
     WordMember::BackgroundPrintingStatus,
     false,
     "could not tell whether",
     true,
     {"Application", "Documents", "Document"}},
    {"PresentationWithoutPresentations",
     OfficeConverter::Presentation,
     PowerPointMember::Presentations,
     false,
     "no list of presentations",
     true,
     {"Application"}},
    {"PresentationOpenFails",
     OfficeConverter::Presentation,
     PowerPointMember::Open,
     false,
     "could not open /data/Pitch deck.pptx: member 2004 failed",
     true,
     {"Application", "Presentations"}},
    {"PresentationWithoutActivePresentation",
     OfficeConverter::Presentation,
     PowerPointMember::ActivePresentation,
     false,
     "no open presentation",
     true,
     {"Application", "Presentations"}},
    {"PresentationPrintOutRefused",
     OfficeConverter::Presentation,
     PowerPointMember::PrintOut,
     false,
     "could not print /data/Pitch deck.pptx: member 2034 failed",
     true,
     {"Application", "Presentations", "Presentation"}},
};

INSTANTIATE_TEST_SUITE_P(OfficeConverters, FailingCallTest, testing::ValuesIn(FailingCalls),
                         [](const testing::TestParamInfo<FailingCall>& call) {
                             return std::string(call.param.name);
                         });

} // namespace
