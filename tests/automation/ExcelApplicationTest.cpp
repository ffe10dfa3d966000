#include "AutomationRegistry.h"
#include "ExcelApplication.h"

#include "Fakes.h"
#include "ProcessArguments.h"
#include "TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class ExcelApplicationTest : public testing::Test
{
protected:
    ExcelApplicationTest()
    {
        options.profileFolder = scratch.file(QStringLiteral("profile"));
        spooler.current = QStringLiteral("Pellucor");
        writeFile(scratch.file(QStringLiteral("book.xlsx")), QByteArray("PK\x03\x04rest of a zip", 18));
        writeFile(scratch.file(QStringLiteral("old.xls")), QByteArray::fromHex("d0cf11e0a1b11ae1") + "compound");
        writeFile(scratch.file(QStringLiteral("notes.xlsx")), "just some text\n");
        // LibreOffice as far as these tests need it: --convert-to writes the copy.
        runner.on(QStringLiteral("soffice"), [this](const ProcessRequest& r) {
            if (r.arguments.contains(QStringLiteral("--convert-to"))) {
                if (!loads)
                    return exitedWith(0, "Warning: failed to launch javaldx\nError: source file could not be loaded\n");
                const QString base = QFileInfo(r.arguments.last()).completeBaseName();
                writeFile(argumentAfter(r.arguments, QStringLiteral("--outdir")) + QLatin1Char('/') + base
                              + QStringLiteral(".ods"),
                          "ods");
            }
            return exitedWith(0);
        });
        application = CreateExcelApplication(runner, spooler, options);
    }

    Result<Variant> add(const QString& name)
    {
        const auto workbooks = application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {});
        EXPECT_TRUE(workbooks.ok());
        return workbooks.value().toDispatch()->Invoke(ExcelMember::Add, DispatchKind::Method,
                                                      {Variant::fromString(scratch.file(name))});
    }

    static QList<Variant> printOutArguments()
    {
        return {Variant::missing(), Variant::missing(), Variant::fromI4(1), Variant::fromI2(0),
                Variant::missing(), Variant::missing(),  Variant::missing(), Variant::fromString(QStringLiteral("/x/tmp.ps"))};
    }

    ScratchFolder scratch;
    LibreOfficeOptions options;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    bool loads = true;
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
        runner.requests.clear();
        const auto added = add(QString::fromLatin1(row.file));
        ASSERT_TRUE(added.ok()) << added.status().message().toStdString();
        EXPECT_EQ(added.value().vt(), VT_DISPATCH);
        ASSERT_EQ(runner.requests.size(), 1);
        const ProcessRequest& r = runner.requests.first();
        EXPECT_TRUE(r.arguments.contains(QStringLiteral("--infilter=") + QString::fromLatin1(row.filter))) << row.file;
        EXPECT_TRUE(r.arguments.contains(QStringLiteral("--headless")));
        EXPECT_EQ(r.arguments.value(1), QStringLiteral("-env:UserInstallation=file://") + options.profileFolder);
        EXPECT_EQ(r.arguments.last(), scratch.file(QString::fromLatin1(row.file)));
        EXPECT_TRUE(r.timeout.has_value());
        EXPECT_TRUE(r.endGroupOnExit);
        EXPECT_TRUE(r.environment.size() == 2 && !r.environment[0].second && !r.environment[1].second);
    }
}

TEST_F(ExcelApplicationTest, AddFailsForWhatDoesNotLoadAsAWorkbook)
{
    // Not a workbook by content: LibreOffice is not even started.
    const auto text = add(QStringLiteral("notes.xlsx"));
    EXPECT_FALSE(text.ok());
    EXPECT_TRUE(runner.requests.isEmpty());
    EXPECT_FALSE(add(QStringLiteral("missing.xlsx")).ok());

    // LibreOffice exits with 0 and says it on its output only.
    loads = false;
    const auto corrupt = add(QStringLiteral("book.xlsx"));
    ASSERT_FALSE(corrupt.ok());
    EXPECT_TRUE(corrupt.status().message().contains(QStringLiteral("could not be loaded")))
        << corrupt.status().message().toStdString();
}

TEST_F(ExcelApplicationTest, PrintOutPrintsTheCopyOnTheDefaultPrinterOfThatMoment)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    spooler.current = QStringLiteral("Pellucor/second");
    const auto printed = workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments());
    ASSERT_TRUE(printed.ok()) << printed.status().message().toStdString();
    ASSERT_EQ(runner.requests.size(), 2);
    const QStringList& args = runner.requests[1].arguments;
    EXPECT_EQ(argumentAfter(args, QStringLiteral("--pt")), QStringLiteral("Pellucor/second"));
    EXPECT_TRUE(args.contains(QStringLiteral("--infilter=calc8")));
    EXPECT_TRUE(args.last().endsWith(QStringLiteral("/book.ods"))) << args.last().toStdString();

    // The settings that make Calc print every sheet are in the profile.
    const QByteArray settings = readFile(options.profileFolder + QStringLiteral("/user/registrymodifications.xcu"));
    EXPECT_TRUE(settings.contains("<item oor:path=\"/org.openoffice.Office.Calc/Print/Other\"><prop "
                                  "oor:name=\"AllSheets\" oor:op=\"fuse\"><value>true</value></prop></item>"));
}

TEST_F(ExcelApplicationTest, ProfileKeepsOtherSettingsAndLosesAContraryOne)
{
    const QString file = options.profileFolder + QStringLiteral("/user/registrymodifications.xcu");
    QDir().mkpath(QFileInfo(file).path());
    writeFile(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items xmlns:oor=\"x\">\n"
                    "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop oor:name=\"FirstRun\" "
                    "oor:op=\"fuse\"><value>false</value></prop></item>\n"
                    "<item oor:path=\"/org.openoffice.Office.Calc/Print/Other\"><prop oor:name=\"AllSheets\" "
                    "oor:op=\"fuse\"><value>false</value></prop></item>\n</oor:items>\n");
    ASSERT_TRUE(add(QStringLiteral("book.xlsx")).ok());
    const QByteArray settings = readFile(file);
    EXPECT_TRUE(settings.contains("FirstRun"));
    EXPECT_TRUE(settings.contains("<value>true</value>"));
    EXPECT_FALSE(settings.contains("AllSheets\" oor:op=\"fuse\"><value>false"));
    EXPECT_TRUE(settings.trimmed().endsWith("</oor:items>"));
}

TEST_F(ExcelApplicationTest, PrintOutRefusesWhatItCannotHonour)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    runner.requests.clear();
    const struct
    {
        int index;
        Variant value;
        quint32 code;
    } rows[] = {
        {0, Variant::fromI4(2), E_NOTIMPL},                                // From
        {2, Variant::fromI4(3), E_NOTIMPL},                                // Copies
        {3, Variant::fromBool(true), E_NOTIMPL},                           // Preview
        {4, Variant::fromI4(5), DISP_E_TYPEMISMATCH},                      // ActivePrinter
        {5, Variant::fromBool(true), E_NOTIMPL},                           // PrintToFile
    };
    for (const auto& row : rows) {
        QList<Variant> args = printOutArguments();
        args[row.index] = row.value;
        const auto printed = workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, args);
        ASSERT_FALSE(printed.ok()) << row.index;
        EXPECT_EQ(printed.status().code(), statusCode(row.code)) << row.index;
    }
    spooler.current.reset();
    EXPECT_FALSE(workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    EXPECT_TRUE(runner.requests.isEmpty());

    // A printer named by the caller wins over the default.
    QList<Variant> args = printOutArguments();
    args[4] = Variant::fromString(QStringLiteral("Other"));
    ASSERT_TRUE(workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, args).ok());
    EXPECT_EQ(argumentAfter(runner.requests.last().arguments, QStringLiteral("--pt")), QStringLiteral("Other"));
}

TEST_F(ExcelApplicationTest, NothingWorksAfterQuit)
{
    const auto workbook = add(QStringLiteral("book.xlsx")).value().toDispatch();
    EXPECT_TRUE(application->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut, {Variant::fromBool(false)}).ok());
    EXPECT_FALSE(application->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut, {Variant::fromI2(0)}).ok());
    ASSERT_TRUE(application->Invoke(ExcelMember::Quit, DispatchKind::Method, {}).ok());
    EXPECT_FALSE(workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    EXPECT_FALSE(application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {}).ok());
    EXPECT_EQ(runner.requests.size(), 1);
}

TEST(ExcelRegistration, CreationFailsWithoutLibreOffice)
{
    ScratchFolder scratch;
    FakeProcessRunner runner;
    FakeSpooler spooler;
    AutomationRegistry registry;
    LibreOfficeOptions options;
    options.program = scratch.file(QStringLiteral("no-soffice"));
    options.profileFolder = scratch.file(QStringLiteral("profile"));
    RegisterExcelApplication(registry, runner, spooler, options);
    const auto created = registry.createObject(QStringLiteral("Excel.Application"));
    ASSERT_FALSE(created.ok());
    EXPECT_TRUE(created.status().message().contains(QStringLiteral("libreoffice-calc")));
}

} // namespace
