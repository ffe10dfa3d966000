// Documents and presentations to PDF through the real LibreOffice, CUPS queue
// "Pellucor", printer backend and Ghostscript.
#include "AutomationRegistry.h"
#include "ConvertPowerPoint.h"
#include "ConvertWord.h"
#include "CupsSpooler.h"
#include "Pacing.h"
#include "PosixProcessRunner.h"
#include "PowerPointApplication.h"
#include "PrintContract.h"
#include "ProgramFolder.h"
#include "WordApplication.h"

#include "E2eSupport.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

int pageCount(const QString& pdf)
{
    const CommandOutput info = runTool({QStringLiteral("pdfinfo"), pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages: +(\\d+)"), QRegularExpression::MultilineOption)
            .match(info.output);
    return info.exitCode == 0 && m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString textOf(const QString& pdf)
{
    // One line of text may come out with its words apart: compare words only.
    return runTool({QStringLiteral("pdftotext"), pdf, QStringLiteral("-")}).output.simplified();
}

class OfficeToPdfTest : public E2eTest
{
protected:
    static void SetUpTestSuite()
    {
        E2eTest::SetUpTestSuite();
        writeFile(fixtures->file(QStringLiteral("plain notes.txt")),
                  "Plain notes line\nA second line with umlauts \xc3\xa4\xc3\xb6\xc3\xbc\n");
        writeFile(fixtures->file(QStringLiteral("page.html")),
                  "<html><head><title>Page</title></head><body><h1>Web heading</h1><p>Paragraph of "
                  "the page</p>"
                  "</body></html>\n");
        writeFile(fixtures->file(QStringLiteral("memo.rtf")),
                  "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\\f0\\fs24 {\\b Rich memo} in "
                  "bold\\par Plain "
                  "second paragraph\\par}\n");
        writeFile(fixtures->file(QStringLiteral("notes.docx")),
                  "Just text under a document's name\n");
        const QByteArray letter = readFile(fixtures->file(QStringLiteral("letter.docx")));
        writeFile(fixtures->file(QStringLiteral("corrupt.docx")), letter.left(letter.size() / 2));
        QFile::copy(fixtures->file(QStringLiteral("letter.docx")),
                    fixtures->file(QStringLiteral("not a deck.pptx")));
    }

    void SetUp() override
    {
        E2eTest::SetUp();
        QDir().mkpath(destination());
        RegisterWordApplication(registry, office, spooler);
        RegisterPowerPointApplication(registry, office, spooler);
    }

    static QString destination() { return fixtures->file(QStringLiteral("pdf")); }

    using Converter = ConverterResult (*)(const ConversionTarget&, const QString&,
                                          ConverterServices&);

    ConverterResult convert(Converter converter, const QString& name)
    {
        ConverterServices services{processes, spooler,          prompter,       pacing,
                                   registry,  UserWorkFolder(), programFolder()};
        ConversionTarget target;
        target.destinationFolder = destination();
        QElapsedTimer timer;
        timer.start();
        ConverterResult result = converter(target, fixtures->file(name), services);
        std::printf("[ measure  ] %s: start to end in %lld ms (no fixed waits)\n", qPrintable(name),
                    static_cast<long long>(timer.elapsed()));
        return result;
    }

    PosixProcessRunner processes;
    FakePrompter prompter;
    ImmediatePacing pacing;
    AutomationRegistry registry;
};

TEST_F(OfficeToPdfTest, DocumentsBecomePdfs)
{
    const struct
    {
        const char* file;
        int pages;
        QStringList texts;
    } rows[] = {
        {"letter.docx",
         2,
         {QStringLiteral("Quarterly letter"), QStringLiteral("Second page of the letter")}},
        {"plain notes.txt", 1, {QStringLiteral("Plain notes line"), QStringLiteral("umlauts äöü")}},
        {"page.html", 1, {QStringLiteral("Web heading"), QStringLiteral("Paragraph of the page")}},
        {"memo.rtf",
         1,
         {QStringLiteral("Rich memo in bold"), QStringLiteral("Plain second paragraph")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const QString name = QString::fromUtf8(row.file);
        const ConverterResult result = convert(ConvertWord, name);
        ASSERT_TRUE(result.written) << result.failure.toStdString();
        EXPECT_EQ(result.outputPath, destination() + QLatin1Char('/') +
                                         QFileInfo(name).completeBaseName() +
                                         QStringLiteral(".pdf"));
        EXPECT_TRUE(prompter.shown.isEmpty());
        EXPECT_EQ(pageCount(result.outputPath), row.pages);
        const QString text = textOf(result.outputPath);
        for (const QString& expected : row.texts)
            EXPECT_TRUE(text.contains(expected)) << text.toStdString();
        EXPECT_EQ(spooler.defaultPrinter().value(), before);
    }
}

TEST_F(OfficeToPdfTest, PresentationBecomesAPdfOfEverySlide)
{
    const ConverterResult result = convert(ConvertPowerPoint, QStringLiteral("deck.pptx"));
    ASSERT_TRUE(result.written) << result.failure.toStdString();
    EXPECT_EQ(result.outputPath, destination() + QStringLiteral("/deck.pdf"));
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(pageCount(result.outputPath), 3);
    const QString text = textOf(result.outputPath);
    for (const char* slide : {"First slide heading", "Second slide body", "Third slide closing"})
        EXPECT_TRUE(text.contains(QLatin1String(slide))) << text.toStdString();
}

// A good conversion first, so that its PostScript is what a careless converter
// would turn into the next PDF.
TEST_F(OfficeToPdfTest, WhatDoesNotOpenGivesAMessageAndNoPdf)
{
    ASSERT_TRUE(convert(ConvertWord, QStringLiteral("memo.rtf")).written);
    const struct
    {
        Converter converter;
        const char* file;
    } rows[] = {{ConvertWord, "notes.docx"},
                {ConvertWord, "corrupt.docx"},
                {ConvertPowerPoint, "not a deck.pptx"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        prompter.shown.clear();
        const ConverterResult result = convert(row.converter, QString::fromUtf8(row.file));
        EXPECT_FALSE(result.written);
        EXPECT_FALSE(QFile::exists(result.outputPath));
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_TRUE(prompter.shown.first().text.contains(QStringLiteral("could not open")))
            << result.failure.toStdString();
        EXPECT_EQ(spooler.defaultPrinter().value(), before);
        office.end();
        EXPECT_EQ(officeProcesses({serverProfileUrl()}), QStringList());
    }
}

} // namespace
