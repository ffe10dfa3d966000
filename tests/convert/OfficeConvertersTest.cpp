// The call sequences of the word processor and presentation converters, against
// recording servers registered under the servers' program identifiers.
#include "ConvertPowerPoint.h"
#include "ConvertWord.h"

#include "AutomationRegistry.h"
#include "ConverterFakes.h"
#include "Fakes.h"
#include "PowerPointApplication.h"
#include "PrintContract.h"
#include "TestFiles.h"
#include "WordApplication.h"

#include <QDir>

#include <gtest/gtest.h>

#include <map>

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

// A failing call ends the file: shown, no PDF (not even from the old PostScript),
// the printer back, the server told to quit and released.
TEST_F(ConvertWordTest, FailingCallEndsTheFileCleanly)
{
    const struct
    {
        const char* name;
        DispId failing;
        const char* shown;
        int released; // objects released after Quit
    } rows[] = {
        {"ActivePrinter refused", WordMember::ActivePrinter, "could not be chosen", 1},
        {"no Documents", WordMember::Documents, "no list of documents", 1},
        {"Open fails", WordMember::Open, "could not open /d/broken.docx: member 15 failed", 2},
        {"PrintOut refused", WordMember::PrintOut,
         "could not print /d/broken.docx: member 444 failed", 3},
        {"status unreadable", WordMember::BackgroundPrintingStatus, "could not tell whether", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log.clear();
        prompter.shown.clear();
        server.failing = {row.failing};
        leaveOldPrint();

        const ConverterResult result = convert(QStringLiteral("/d/broken.docx"));
        EXPECT_FALSE(result.written);
        EXPECT_TRUE(result.failure.contains(QString::fromUtf8(row.shown)))
            << result.failure.toStdString();
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown.first().text, result.failure);
        EXPECT_FALSE(QFile::exists(result.outputPath));
        EXPECT_FALSE(logText().contains(QStringLiteral("ghostscript")));
        const qsizetype quit = log.indexOf(WordQuitCall);
        ASSERT_GE(quit, 1) << logText().toStdString();
        EXPECT_EQ(log.mid(quit - 2, 2), (QStringList{QStringLiteral("set default printer Office"),
                                                     QStringLiteral("get default printer")}));
        EXPECT_EQ(log.size(), quit + 1 + row.released) << logText().toStdString();
        EXPECT_EQ(log[quit + 1], QStringLiteral("release Application"));
        EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
    }
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

TEST_F(ConvertPowerPointTest, FailingCallEndsTheFileCleanly)
{
    const struct
    {
        const char* name;
        DispId failing;
        const char* shown;
    } rows[] = {
        {"no Presentations", PowerPointMember::Presentations, "no list of presentations"},
        {"Open fails", PowerPointMember::Open,
         "could not open /data/Pitch deck.pptx: member 2004 failed"},
        {"no ActivePresentation", PowerPointMember::ActivePresentation, "no open presentation"},
        {"PrintOut refused", PowerPointMember::PrintOut,
         "could not print /data/Pitch deck.pptx: member 2034 failed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log.clear();
        prompter.shown.clear();
        server.failing = {row.failing};
        leaveOldPrint();

        const ConverterResult result = convert();
        EXPECT_FALSE(result.written);
        EXPECT_TRUE(result.failure.contains(QString::fromUtf8(row.shown)))
            << result.failure.toStdString();
        EXPECT_EQ(shownTexts(), QStringList{result.failure});
        EXPECT_FALSE(QFile::exists(result.outputPath));
        EXPECT_FALSE(logText().contains(QStringLiteral("ghostscript")));
        EXPECT_FALSE(log.contains(QStringLiteral("wait 500 ms")));
        const qsizetype quit = log.indexOf(QStringLiteral("Application method 2021 ()"));
        ASSERT_GE(quit, 1) << logText().toStdString();
        EXPECT_EQ(log.mid(quit - 2, 2), (QStringList{QStringLiteral("set default printer Office"),
                                                     QStringLiteral("get default printer")}));
        EXPECT_EQ(log[quit + 1], QStringLiteral("release Application"));
        EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));
    }
}

} // namespace
