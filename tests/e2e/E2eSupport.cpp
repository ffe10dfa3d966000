#include "E2eSupport.h"

#include "LibreOffice.h"
#include "PrintContract.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

bool pellucorExists()
{
    return runTool({QStringLiteral("lpstat"), QStringLiteral("-p"), PostScriptPrinterName}).exitCode == 0;
}

QStringList officeProcesses(const QStringList& profileUrls)
{
    QStringList found;
    const uid_t me = ::getuid();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != me)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLocal8Bit(cmdline.readAll()).replace(QLatin1Char('\0'), QLatin1Char(' '));
        for (const QString& profile : profileUrls)
            if (text.contains(QStringLiteral("UserInstallation=") + profile))
                found.append(entry + QLatin1Char(' ') + text);
    }
    return found;
}

QString serverProfileUrl()
{
    return QUrl::fromLocalFile(DefaultLibreOfficeProfile()).toString(QUrl::FullyEncoded);
}

void makeWorkbooks(const QString& folder)
{
    const QString script = QStringLiteral(R"(
import sys, openpyxl
folder = sys.argv[1]
wb = openpyxl.Workbook(); ws = wb.active; ws.title = "Sales"
ws["A1"] = "Quarterly sums"; ws["B2"] = 42
wb.save(folder + "/one sheet.xlsx")
wb = openpyxl.Workbook()
for i, name in enumerate(["North", "South", "East"]):
    ws = wb.active if i == 0 else wb.create_sheet(name)
    ws.title = name; ws["A1"] = "Region " + name
wb.save(folder + "/three sheets.xlsx")
wb = openpyxl.Workbook(); ws = wb.active; ws.title = "Wide"
ws.page_setup.orientation = "landscape"; ws.page_setup.paperSize = ws.PAPERSIZE_A4
ws["A1"] = "Landscape sheet"
for c in range(1, 14): ws.cell(row=3, column=c, value=c * 1000)
wb.save(folder + "/landscape.xlsx")
wb = openpyxl.Workbook()
for i, (name, turn) in enumerate([("Before", "portrait"), ("Turned", "landscape"), ("After", "portrait")]):
    ws = wb.active if i == 0 else wb.create_sheet(name)
    ws.title = name; ws.page_setup.orientation = turn; ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws["A1"] = name + " sheet"
wb.save(folder + "/mixed.xlsx")
wb = openpyxl.Workbook(); ws = wb.active
ws["A1"] = "Quarterly figures"
wb.save(folder + "/ligature.xlsx")
)");
    // The system's python3 has openpyxl from Debian's package; another one on PATH may not.
    const CommandOutput made = runTool({QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"), script, folder});
    ASSERT_EQ(made.exitCode, 0) << made.output.toStdString();
    writeFile(folder + QStringLiteral("/notes.xlsx"), "Quarterly sums\nnot a workbook at all\n");
    const QByteArray zip = readFile(folder + QStringLiteral("/one sheet.xlsx"));
    writeFile(folder + QStringLiteral("/corrupt.xlsx"), zip.left(zip.size() / 2));
    QFile::copy(sourceDir() + QStringLiteral("/tests/data/budget.xls"), folder + QStringLiteral("/budget.xls"));
}

void makePicture(const QString& path, int width, int height, unsigned rgb)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor::fromRgb(rgb));
    ASSERT_TRUE(picture.save(path)) << path.toStdString();
}

ScratchFolder* E2eTest::fixtures = nullptr;

void E2eTest::SetUpTestSuite()
{
    static int argc = 1;
    static char name[] = "tabloria-e2e";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance())
        new QGuiApplication(argc, argv);
    fixtures = new ScratchFolder;
    QFile::setPermissions(fixtures->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    makeWorkbooks(fixtures->path());
    makePicture(fixture("red.png"), 200, 100, 0xFF0000);
    makePicture(fixture("green.jpg"), 120, 80, 0x00A000);
    makePicture(fixture("photo.png"), 64, 48, 0x3366CC);
    for (const char* document : {"letter.docx", "deck.pptx"})
        QFile::copy(sourceDir() + QStringLiteral("/tests/data/office/") + QLatin1String(document), fixture(document));
}

void E2eTest::TearDownTestSuite()
{
    delete fixtures;
    fixtures = nullptr;
}

void E2eTest::SetUp()
{
    REQUIRE_PELLUCOR();
    const Result<SavedPrinter> current = spooler.defaultPrinter();
    ASSERT_TRUE(current.ok());
    before = current.value();
}

void E2eTest::TearDown()
{
    if (IsSkipped())
        return;
    const Result<SavedPrinter> after = spooler.defaultPrinter();
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(after.value(), before);
    // The run is over: its office ends, as the program ends it.
    office.end();
    EXPECT_EQ(officeProcesses(QStringList{serverProfileUrl()} + otherProfileUrls), QStringList());
}
