// The word processor and presentation servers, with LibreOffice and CUPS faked:
// which filter loads what, where the print goes, and what is refused.
#include "PowerPointApplication.h"
#include "WordApplication.h"

#include "AutomationRegistry.h"
#include "FakeOffice.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct FakeQueues final : PrintQueues
{
    Result<bool> exists(const QString& printer) override { return known.contains(printer); }
    Result<int> unfinishedJobs(const QString& printer) override
    {
        asked.append(printer);
        return unfinished;
    }
    QStringList known{QStringLiteral("Pellucor"), QStringLiteral("Office")};
    QStringList asked;
    int unfinished = 0;
};

class OfficeServerTest : public testing::Test
{
protected:
    OfficeServerTest() { spooler.current = QStringLiteral("Office"); }

    QString fixture(const QString& name, const QByteArray& bytes)
    {
        writeFile(scratch.file(name), bytes);
        return scratch.file(name);
    }

    ScratchFolder scratch;
    FakeOffice office;
    FakeSpooler spooler;
    FakeQueues queues;
};

class WordServerTest : public OfficeServerTest
{
protected:
    WordServerTest() : application(CreateWordApplication(office, spooler, queues)) {}

    Result<Variant> open(const QString& path, qint32 format)
    {
        const auto documents =
            application->Invoke(WordMember::Documents, DispatchKind::PropertyGet, {});
        EXPECT_TRUE(documents.ok());
        QList<Variant> args(12, Variant::missing());
        args[0] = Variant::fromString(path);
        args[2] = Variant::fromI2(-1);
        args[9] = Variant::fromI4(format);
        return documents.value().toDispatch()->Invoke(WordMember::Open, DispatchKind::Method, args);
    }

    static QList<Variant> printOutArguments()
    {
        QList<Variant> args(18, Variant::fromI4(0));
        for (const int omitted : {1, 4, 5, 8, 12})
            args[omitted] = Variant::missing();
        args[0] = Variant::fromI2(0);
        args[3] = Variant::fromString(QStringLiteral("/work/tmp.ps"));
        args[7] = Variant::fromI4(1);
        args[10] = Variant::fromI2(-1);
        args[11] = Variant::fromI2(-1);
        args[13] = Variant::fromI2(0);
        return args;
    }

    std::shared_ptr<Dispatch> application;
};

TEST_F(WordServerTest, OpenLoadsThroughTheFilterOfItsFormat)
{
    const QByteArray docx =
        QByteArray("PK\x03\x04", 4) + "....[Content_Types].xml....word/document.xml....";
    const QByteArray rtf = "{\\rtf1\\ansi Rich}";
    const struct
    {
        const char* name;
        QByteArray bytes;
        qint32 format;
        const char* filter; // nullptr: refused before LibreOffice starts
    } rows[] = {
        {"a.docx", docx, 0, "MS Word 2007 XML"},
        {"a.doc", QByteArray::fromHex("d0cf11e0a1b11ae1") + "compound", 0, "MS Word 97"},
        {"rich.doc", rtf, 0, "Rich Text Format"},
        {"book.docx", QByteArray("PK\x03\x04", 4) + "....xl/workbook.xml....", 0, nullptr},
        {"plain.doc", "just text", 0, nullptr},
        {"a.rtf", rtf, 3, "Rich Text Format"},
        {"fake.rtf", "not rich", 3, nullptr},
        {"a.txt", "Hello\n", 4, "Text (encoded):UTF8"},
        {"a.html", "<html><body>x</body></html>", 7, "HTML (StarWriter)"},
        {"word2003.xml", "<?xml version=\"1.0\"?><w:wordDocument xmlns:w=\"x\"/>", 8,
         "MS Word 2003 XML"},
        {"flat.xml",
         "<?xml version=\"1.0\"?><office:document "
         "office:mimetype=\"application/vnd.oasis.opendocument.text\"/>",
         8, "OpenDocument Text Flat XML"},
        {"data.xml", "<?xml version=\"1.0\"?><rows/>", 8, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        office.loads.clear();
        const auto opened = open(fixture(QString::fromLatin1(row.name), row.bytes), row.format);
        if (!row.filter) {
            EXPECT_FALSE(opened.ok());
            EXPECT_TRUE(office.loads.isEmpty());
            continue;
        }
        ASSERT_TRUE(opened.ok()) << opened.status().message().toStdString();
        EXPECT_EQ(opened.value().vt(), VT_DISPATCH);
        ASSERT_EQ(office.loads.size(), 1);
        EXPECT_EQ(office.loads.first().filter, QString::fromLatin1(row.filter));
    }
    EXPECT_FALSE(open(scratch.file(QStringLiteral("missing.docx")), 0).ok());
    office.loadsFiles = false;
    const auto failed = open(scratch.file(QStringLiteral("a.txt")), 4);
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.status().message().contains(QStringLiteral("could not be loaded")));
}

TEST_F(WordServerTest, PrintOutPrintsTheDocumentOnTheActivePrinter)
{
    const QString source = fixture(QStringLiteral("a.txt"), "Hello\n");
    // Until it is set, the active printer is the default.
    EXPECT_EQ(application->Invoke(WordMember::ActivePrinter, DispatchKind::PropertyGet, {})
                  .value()
                  .toString(),
              QStringLiteral("Office"));
    const auto unknown = application->Invoke(WordMember::ActivePrinter, DispatchKind::PropertyPut,
                                             {Variant::fromString(QStringLiteral("Nowhere"))});
    EXPECT_FALSE(unknown.ok());
    ASSERT_TRUE(application
                    ->Invoke(WordMember::ActivePrinter, DispatchKind::PropertyPut,
                             {Variant::fromString(QStringLiteral("Pellucor"))})
                    .ok());

    const auto document = open(source, 4).value().toDispatch();
    ASSERT_TRUE(
        document->Invoke(WordMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    ASSERT_EQ(office.prints.size(), 1);
    EXPECT_EQ(office.prints[0].printer, QStringLiteral("Pellucor"));
    EXPECT_TRUE(office.open.contains(office.prints[0].document));
    EXPECT_EQ(spooler.current, SavedPrinter(QStringLiteral("Office")));

    queues.unfinished = 2;
    const auto status =
        application->Invoke(WordMember::BackgroundPrintingStatus, DispatchKind::PropertyGet, {});
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(status.value().vt(), VT_I4);
    EXPECT_EQ(status.value().toI4(), 2);
    EXPECT_EQ(queues.asked, QStringList{QStringLiteral("Pellucor")});
}

TEST_F(WordServerTest, RefusesWhatItCannotHonour)
{
    const auto document = open(fixture(QStringLiteral("a.txt"), "Hello\n"), 4).value().toDispatch();
    const struct
    {
        int index;
        Variant value;
        quint32 code;
    } rows[] = {
        {2, Variant::fromI4(1), E_NOTIMPL},           // Range: the selection
        {4, Variant::fromI4(2), E_NOTIMPL},           // From
        {7, Variant::fromI4(3), E_NOTIMPL},           // Copies
        {9, Variant::fromI4(1), E_NOTIMPL},           // PageType: odd pages
        {3, Variant::missing(), DISP_E_TYPEMISMATCH}, // PrintToFile without a file
        {15, Variant::fromI4(2), E_NOTIMPL},          // a zoom
        {7, Variant::fromString(QStringLiteral("1")), DISP_E_TYPEMISMATCH},
    };
    for (const auto& row : rows) {
        QList<Variant> args = printOutArguments();
        args[row.index] = row.value;
        const auto printed = document->Invoke(WordMember::PrintOut, DispatchKind::Method, args);
        ASSERT_FALSE(printed.ok()) << row.index;
        EXPECT_EQ(printed.status().code(), statusCode(row.code)) << row.index;
    }
    EXPECT_TRUE(office.prints.isEmpty());

    QList<Variant> withPassword(12, Variant::missing());
    withPassword[0] = Variant::fromString(scratch.file(QStringLiteral("a.txt")));
    withPassword[4] = Variant::fromString(QStringLiteral("secret"));
    const auto documents = application->Invoke(WordMember::Documents, DispatchKind::PropertyGet, {})
                               .value()
                               .toDispatch();
    EXPECT_EQ(
        documents->Invoke(WordMember::Open, DispatchKind::Method, withPassword).status().code(),
        statusCode(E_NOTIMPL));
    EXPECT_EQ(open(scratch.file(QStringLiteral("a.txt")), 12).status().code(),
              statusCode(E_NOTIMPL));

    // Quit saves nothing; asked to save, it refuses and stays up.
    const Variant yes = Variant::fromI2(-1);
    EXPECT_FALSE(application->Invoke(WordMember::Quit, DispatchKind::Method, {yes}).ok());
    const Variant no = Variant::fromI2(0);
    Variant kept = no;
    ASSERT_TRUE(application
                    ->Invoke(WordMember::Quit, DispatchKind::Method,
                             {Variant::byRef(kept), Variant::byRef(kept), Variant::byRef(kept)})
                    .ok());
    EXPECT_TRUE(office.open.empty()); // Quit closed the document
    EXPECT_FALSE(
        document->Invoke(WordMember::PrintOut, DispatchKind::Method, printOutArguments()).ok());
    EXPECT_FALSE(application->Invoke(WordMember::Documents, DispatchKind::PropertyGet, {}).ok());
}

class PowerPointServerTest : public OfficeServerTest
{
protected:
    PowerPointServerTest() : application(CreatePowerPointApplication(office, spooler)) {}

    Result<Variant> open(const QString& path)
    {
        const auto presentations =
            application->Invoke(PowerPointMember::Presentations, DispatchKind::PropertyGet, {});
        EXPECT_TRUE(presentations.ok());
        return presentations.value().toDispatch()->Invoke(
            PowerPointMember::Open, DispatchKind::Method,
            {Variant::fromString(path), Variant::fromI4(-1), Variant::fromI4(-1),
             Variant::fromI4(-1)});
    }

    static QList<Variant> printOutArguments()
    {
        return {Variant::fromI4(-1), Variant::fromI4(-1),
                Variant::fromString(QStringLiteral("/work/tmp.ps")), Variant::fromI4(1),
                Variant::fromI4(-1)};
    }

    std::shared_ptr<Dispatch> application;
};

TEST_F(PowerPointServerTest, OpenLoadsPresentationsOnlyAndPrintOutUsesTheDefaultOfThatMoment)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* filter;
    } rows[] = {
        {"deck.pptx", QByteArray("PK\x03\x04", 4) + "....ppt/presentation.xml....",
         "Impress MS PowerPoint 2007 XML"},
        {"old.ppt", QByteArray::fromHex("d0cf11e0a1b11ae1") + "compound", "MS PowerPoint 97"},
        {"letter.pptx", QByteArray("PK\x03\x04", 4) + "....word/document.xml....", nullptr},
        {"notes.ppt", "some text", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        office.loads.clear();
        const auto opened = open(fixture(QString::fromLatin1(row.name), row.bytes));
        EXPECT_EQ(opened.ok(), row.filter != nullptr);
        if (row.filter) {
            ASSERT_EQ(office.loads.size(), 1);
            EXPECT_EQ(office.loads.first().filter, QString::fromLatin1(row.filter));
        } else {
            EXPECT_TRUE(office.loads.isEmpty());
        }
    }

    // The presentation opened last is the active one.
    const auto active =
        application->Invoke(PowerPointMember::ActivePresentation, DispatchKind::PropertyGet, {});
    ASSERT_TRUE(active.ok());
    spooler.current = QStringLiteral("Pellucor");
    ASSERT_TRUE(active.value()
                    .toDispatch()
                    ->Invoke(PowerPointMember::PrintOut, DispatchKind::Method, printOutArguments())
                    .ok());
    ASSERT_EQ(office.prints.size(), 1);
    EXPECT_EQ(office.prints[0].printer, QStringLiteral("Pellucor"));
    EXPECT_EQ(office.prints[0].document, 2u); // old.ppt, opened second

    QList<Variant> range = printOutArguments();
    range[0] = Variant::fromI4(2);
    EXPECT_EQ(active.value()
                  .toDispatch()
                  ->Invoke(PowerPointMember::PrintOut, DispatchKind::Method, range)
                  .status()
                  .code(),
              statusCode(E_NOTIMPL));
    spooler.current.reset();
    EXPECT_FALSE(active.value()
                     .toDispatch()
                     ->Invoke(PowerPointMember::PrintOut, DispatchKind::Method, printOutArguments())
                     .ok());

    office.loadsFiles = false;
    EXPECT_FALSE(open(scratch.file(QStringLiteral("deck.pptx"))).ok());
}

TEST_F(PowerPointServerTest, NothingIsActiveBeforeOpenOrAfterQuit)
{
    EXPECT_FALSE(
        application->Invoke(PowerPointMember::ActivePresentation, DispatchKind::PropertyGet, {})
            .ok());
    ASSERT_TRUE(
        application
            ->Invoke(PowerPointMember::Visible, DispatchKind::PropertyPut, {Variant::fromI4(1)})
            .ok());
    ASSERT_TRUE(open(fixture(QStringLiteral("deck.pptx"),
                             QByteArray("PK\x03\x04", 4) + "ppt/presentation.xml"))
                    .ok());
    ASSERT_TRUE(application->Invoke(PowerPointMember::Quit, DispatchKind::Method, {}).ok());
    EXPECT_FALSE(
        application->Invoke(PowerPointMember::ActivePresentation, DispatchKind::PropertyGet, {})
            .ok());
}

TEST(OfficeRegistration, CreationFailsWithoutLibreOffice)
{
    FakeOffice office;
    office.installed = false;
    FakeSpooler spooler;
    AutomationRegistry registry;
    RegisterWordApplication(registry, office, spooler);
    RegisterPowerPointApplication(registry, office, spooler);
    // Each names the part of LibreOffice it needs.
    const auto word = registry.createObject(QStringLiteral("Word.Application"));
    ASSERT_FALSE(word.ok());
    EXPECT_TRUE(word.status().message().contains(QStringLiteral("libreoffice-writer")));
    const auto presentation = registry.createObject(QStringLiteral("PowerPoint.Application"));
    ASSERT_FALSE(presentation.ok());
    EXPECT_TRUE(presentation.status().message().contains(QStringLiteral("libreoffice-impress")));
    EXPECT_TRUE(office.loads.isEmpty());
}

} // namespace
