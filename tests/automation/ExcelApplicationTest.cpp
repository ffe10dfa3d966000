#include "ExcelApplication.h"
#include "AutomationRegistry.h"

#include "FakeOffice.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class ExcelApplicationTest : public testing::Test
{
protected:
    ExcelApplicationTest()
    {
        spooler.current = QStringLiteral("Pellucor");
        writeFile(scratch.file(QStringLiteral("book.xlsx")),
                  QByteArray("PK\x03\x04rest of a zip", 18));
        writeFile(scratch.file(QStringLiteral("old.xls")),
                  QByteArray::fromHex("d0cf11e0a1b11ae1") + "compound");
        writeFile(scratch.file(QStringLiteral("notes.xlsx")), "just some text\n");
        application = CreateExcelApplication(office, spooler);
    }

    Result<Variant> add(const QString& name)
    {
        const auto workbooks =
            application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {});
        EXPECT_TRUE(workbooks.ok());
        return workbooks.value().toDispatch()->Invoke(ExcelMember::Add, DispatchKind::Method,
                                                      {Variant::fromString(scratch.file(name))});
    }

    static QList<Variant> printOutArguments()
    {
        return {Variant::missing(), Variant::missing(),
                Variant::fromI4(1), Variant::fromI2(0),
                Variant::missing(), Variant::missing(),
                Variant::missing(), Variant::fromString(QStringLiteral("/x/tmp.ps"))};
    }

    ScratchFolder scratch;
    FakeOffice office;
    FakeSpooler spooler;
    std::shared_ptr<Dispatch> application;
};

TEST_F(ExcelApplicationTest, AddLoadsByContentThroughCalcsOwnFilter)
{
    const struct
    {
        const char* file;
        const char* filter;
    } rows[] = {{"book.xlsx", "Calc MS Excel 2007 XML"}, {"old.xls", "MS Excel 97"}};
    for (const auto& row : rows) {
        office.loads.clear();
        const auto added = add(QString::fromLatin1(row.file));
        ASSERT_TRUE(added.ok()) << added.status().message().toStdString();
        EXPECT_EQ(added.value().vt(), VT_DISPATCH);
        ASSERT_EQ(office.loads.size(), 1);
        EXPECT_EQ(office.loads.first().filter, QString::fromLatin1(row.filter)) << row.file;
        EXPECT_EQ(office.loads.first().path, scratch.file(QString::fromLatin1(row.file)));
    }
}

TEST_F(ExcelApplicationTest, AddFailsForWhatDoesNotLoadAsAWorkbook)
{
    // Not a workbook by content: the office never sees it.
    const auto text = add(QStringLiteral("notes.xlsx"));
    EXPECT_FALSE(text.ok());
    EXPECT_TRUE(office.loads.isEmpty());
    EXPECT_FALSE(add(QStringLiteral("missing.xlsx")).ok());

    office.loadsFiles = false;
    const auto corrupt = add(QStringLiteral("book.xlsx"));
    ASSERT_FALSE(corrupt.ok());
    EXPECT_TRUE(
        corrupt.status().message().contains(QStringLiteral("could not be opened as a workbook")))
        << corrupt.status().message().toStdString();
    EXPECT_TRUE(corrupt.status().message().contains(QStringLiteral("could not be loaded")))
        << corrupt.status().message().toStdString();
}

TEST_F(ExcelApplicationTest, PrintOutPrintsTheWorkbookOnTheDefaultPrinterOfThatMoment)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    spooler.current = QStringLiteral("Pellucor/second");
    const auto printed =
        workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments());
    ASSERT_TRUE(printed.ok()) << printed.status().message().toStdString();
    ASSERT_EQ(office.prints.size(), 1);
    EXPECT_EQ(office.prints[0].document, *office.open.begin());
    EXPECT_EQ(office.prints[0].printer, QStringLiteral("Pellucor/second"));

    // The office's refusal is the call's failure.
    office.open.clear();
    const auto refused =
        workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.status().code(), statusCode(DISP_E_EXCEPTION));
}

TEST_F(ExcelApplicationTest, PrintOutRefusesWhatItCannotHonour)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    const struct
    {
        int index;
        Variant value;
        quint32 code;
    } rows[] = {
        {0, Variant::fromI4(2), E_NOTIMPL},           // From
        {2, Variant::fromI4(3), E_NOTIMPL},           // Copies
        {3, Variant::fromBool(true), E_NOTIMPL},      // Preview
        {4, Variant::fromI4(5), DISP_E_TYPEMISMATCH}, // ActivePrinter
        {5, Variant::fromBool(true), E_NOTIMPL},      // PrintToFile
    };
    for (const auto& row : rows) {
        QList<Variant> args = printOutArguments();
        args[row.index] = row.value;
        const auto printed = workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, args);
        ASSERT_FALSE(printed.ok()) << row.index;
        EXPECT_EQ(printed.status().code(), statusCode(row.code)) << row.index;
    }
    spooler.current.reset();
    EXPECT_FALSE(
        workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    EXPECT_TRUE(office.prints.isEmpty());

    // A printer named by the caller wins over the default.
    QList<Variant> args = printOutArguments();
    args[4] = Variant::fromString(QStringLiteral("Other"));
    ASSERT_TRUE(workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, args).ok());
    EXPECT_EQ(office.prints.last().printer, QStringLiteral("Other"));
}

TEST_F(ExcelApplicationTest, QuitClosesTheWorkbooksAndNothingWorksAfterIt)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    ASSERT_TRUE(add(QStringLiteral("old.xls")).ok());
    EXPECT_TRUE(
        application
            ->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut, {Variant::fromBool(false)})
            .ok());
    EXPECT_FALSE(
        application->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut, {Variant::fromI2(0)})
            .ok());
    ASSERT_TRUE(application->Invoke(ExcelMember::Quit, DispatchKind::Method, {}).ok());
    EXPECT_TRUE(office.open.empty());
    EXPECT_EQ(office.closed.size(), 2);
    EXPECT_FALSE(
        workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    EXPECT_FALSE(application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {}).ok());
    EXPECT_EQ(office.loads.size(), 2);
    EXPECT_TRUE(office.prints.isEmpty());
}

TEST_F(ExcelApplicationTest, ReleasedWithoutQuitItLeavesNoWorkbookOpen)
{
    ASSERT_TRUE(add(QStringLiteral("book.xlsx")).ok());
    application.reset();
    EXPECT_TRUE(office.open.empty());
    EXPECT_EQ(office.closed.size(), 1);
}

TEST(ExcelRegistration, CreationFailsWithoutLibreOffice)
{
    FakeOffice office;
    office.installed = false;
    FakeSpooler spooler;
    AutomationRegistry registry;
    RegisterExcelApplication(registry, office, spooler);
    const auto created = registry.createObject(QStringLiteral("Excel.Application"));
    ASSERT_FALSE(created.ok());
    EXPECT_TRUE(created.status().message().contains(QStringLiteral("libreoffice-calc")));
}

TEST(OfficeProfile, KeepsOtherSettingsAndLosesAContraryOne)
{
    ScratchFolder scratch;
    const QString profile = scratch.file(QStringLiteral("profile"));
    const QString file = profile + QStringLiteral("/user/registrymodifications.xcu");
    QDir().mkpath(QFileInfo(file).path());
    writeFile(
        file,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items xmlns:oor=\"x\">\n"
        "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop oor:name=\"FirstRun\" "
        "oor:op=\"fuse\"><value>false</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Office.Calc/Print/Other\"><prop oor:name=\"AllSheets\" "
        "oor:op=\"fuse\"><value>false</value></prop></item>\n</oor:items>\n");
    std::vector<ProfileSetting> settings = ExcelLibreOfficeOptions().settings;
    const std::vector<ProfileSetting> warm = WarmStartSettings(QStringLiteral("7.4"));
    settings.insert(settings.end(), warm.begin(), warm.end());
    ASSERT_TRUE(WriteProfileSettings(profile, settings).ok());
    ASSERT_TRUE(WriteProfileSettings(profile, settings).ok()); // a second start changes nothing
    const QByteArray written = readFile(file);
    EXPECT_TRUE(written.contains("FirstRun"));
    EXPECT_TRUE(written.contains(
        "<item oor:path=\"/org.openoffice.Office.Calc/Print/Other\"><prop "
        "oor:name=\"AllSheets\" oor:op=\"fuse\"><value>true</value></prop></item>"));
    EXPECT_FALSE(written.contains("AllSheets\" oor:op=\"fuse\"><value>false"));
    EXPECT_EQ(written.count("ooSetupLastVersion\" oor:op=\"fuse\"><value>7.4</value>"), 1);
    EXPECT_TRUE(written.trimmed().endsWith("</oor:items>"));
    EXPECT_TRUE(WarmStartSettings(QString()).empty());
}

} // namespace
