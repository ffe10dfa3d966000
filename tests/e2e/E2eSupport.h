#pragma once

#include "CupsSpooler.h"
#include "StandardServers.h"
#include "TestFiles.h"
#include "UnoOffice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// Helpers of the end-to-end tests, which run the real LibreOffice, CUPS, the
// printer "Pellucor" and Ghostscript.

// Whether the printer is set up. On CI a missing printer is a failure, not a skip.
bool pellucorExists();
#define REQUIRE_PELLUCOR()                                                                                             \
    do {                                                                                                               \
        if (!pellucorExists()) {                                                                                       \
            if (qEnvironmentVariableIsSet("CI"))                                                                       \
                FAIL() << "the printer Pellucor is not set up (scripts/setup-printer.sh)";                             \
            GTEST_SKIP() << "the printer Pellucor is not set up (scripts/setup-printer.sh)";                           \
        }                                                                                                              \
    } while (false)

// Every process of this user whose command line names one of the LibreOffice
// profile URLs.
QStringList officeProcesses(const QStringList& profileUrls);

// The URL of the converters' own LibreOffice profile.
QString serverProfileUrl();

// Small workbooks in folder, made with openpyxl: "one sheet.xlsx" (with the text
// "Quarterly sums"), "three sheets.xlsx", "landscape.xlsx", "mixed.xlsx" (portrait,
// landscape, portrait), "ligature.xlsx" ("Quarterly figures"); "budget.xls" from
// tests/data; "corrupt.xlsx" (half a workbook) and "notes.xlsx" (a text file).
void makeWorkbooks(const QString& folder);

// A picture of w x h pixels in one colour, written in the format of its extension.
void makePicture(const QString& path, int width, int height, unsigned rgb);

// The frame of every end-to-end test: one folder of fixtures for the suite (the
// workbooks of makeWorkbooks, the pictures "red.png" 200 x 100, "green.jpg"
// 120 x 80, "photo.png" 64 x 48, and "letter.docx" and "deck.pptx" from
// tests/data/office), a QGuiApplication for Qt's printing, and checks
// after each test that the default printer is what it was and that no LibreOffice
// of ours is left running.
class E2eTest : public testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static QString fixture(const QString& name) { return fixtures->file(name); }
    static QString fixture(const char* name) { return fixture(QString::fromUtf8(name)); }

    static ScratchFolder* fixtures;
    // The office of the test's run, ended before the checks of TearDown.
    UnoOffice office{StandardOfficeOptions()};
    CupsSpooler spooler;
    SavedPrinter before;
    // Further LibreOffice profiles of the test whose processes must be gone too.
    QStringList otherProfileUrls;
};
