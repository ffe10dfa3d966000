#include "WordApplication.h"

#include "OfficeServer.h"
#include "Spooler.h"

#include <optional>

namespace {

using OfficeServer::failure;
using OfficeServer::notSupported;

const QString Word2007Filter = QStringLiteral("MS Word 2007 XML");
const QString Word97Filter = QStringLiteral("MS Word 97");
const QString RtfFilter = QStringLiteral("Rich Text Format");
const QString TextFilter = QStringLiteral("Text (encoded):UTF8");
const QString WebPageFilter = QStringLiteral("HTML (StarWriter)");
const QString Word2003XmlFilter = QStringLiteral("MS Word 2003 XML");
const QString FlatOdtFilter = QStringLiteral("OpenDocument Text Flat XML");

constexpr int OpenArguments = 12;
constexpr int PrintOutArguments = 18;
constexpr int QuitArguments = 3;

// A flag as the suites pass it: VT_I2 or VT_I4 (0 false, anything else true) or
// VT_BOOL; a left-out flag is fallback. nullopt for any other type.
std::optional<bool> flagOf(const Variant& argument, bool fallback)
{
    if (argument.isMissing())
        return fallback;
    const Variant& v = argument.value();
    switch (v.vt()) {
    case VT_I2:
        return v.toI2() != 0;
    case VT_I4:
        return v.toI4() != 0;
    case VT_BOOL:
        return v.toBool();
    default:
        return std::nullopt;
    }
}

// A whole number as VT_I2 or VT_I4; a left-out number is fallback.
std::optional<qint32> numberOf(const Variant& argument, qint32 fallback)
{
    if (argument.isMissing())
        return fallback;
    const Variant& v = argument.value();
    if (v.vt() == VT_I4)
        return v.toI4();
    if (v.vt() == VT_I2)
        return v.toI2();
    return std::nullopt;
}

// The Writer import filter for a file and its open format, or why the file is not
// what the format reads.
Result<QString> documentFilter(const QString& path, qint32 format)
{
    // Enough of the file to find the member names of a zip container, which come
    // first in each entry, and the root element of an XML document.
    const Result<QByteArray> read = OfficeServer::readHead(path, 1 << 20);
    if (!read.ok())
        return read.status();
    const QByteArray& head = read.value();
    switch (format) {
    case WordOpenFormat::Auto:
        if (OfficeServer::isZipContainer(head)) {
            // A spreadsheet or presentation container would crash Writer's import.
            if (head.contains("word/document.xml"))
                return Word2007Filter;
            return Status::failure(
                QStringLiteral("%1 is a container of something other than a text document")
                    .arg(path));
        }
        if (OfficeServer::isCompoundFile(head))
            return Word97Filter;
        if (head.startsWith("{\\rtf"))
            return RtfFilter;
        return Status::failure(
            QStringLiteral("%1 is not a text document of a known kind").arg(path));
    case WordOpenFormat::Rtf:
        if (head.startsWith("{\\rtf"))
            return RtfFilter;
        return Status::failure(QStringLiteral("%1 is not a rich text file").arg(path));
    case WordOpenFormat::Text:
        return TextFilter;
    case WordOpenFormat::WebPage:
        return WebPageFilter;
    case WordOpenFormat::Xml:
        if (head.contains("<w:wordDocument"))
            return Word2003XmlFilter;
        if (head.contains("<office:document") &&
            head.contains("application/vnd.oasis.opendocument.text"))
            return FlatOdtFilter;
        return Status::failure(QStringLiteral("%1 is not a text document in XML").arg(path));
    default:
        return Status::failure(QStringLiteral("the open format %1").arg(format));
    }
}

// What the server's objects share: the session, the print queues, the value of
// Visible and the active printer.
struct WordSession final : OfficeServer::Session
{
    WordSession(Office& office_, Spooler& spooler_, PrintQueues& queues_)
        : Session(office_, spooler_,
                  {QStringLiteral("word processor"), QStringLiteral("a text document")}),
          queues(queues_)
    {
    }

    PrintQueues& queues;
    bool visible = false;
    std::optional<QString> activePrinter; // read from the spooler when first needed

    Result<QString> printer()
    {
        if (!activePrinter) {
            const Result<SavedPrinter> current = spooler.defaultPrinter();
            if (!current.ok())
                return failure(current.status().message());
            activePrinter = current.value().value_or(QString());
        }
        return *activePrinter;
    }
};

class WordDocument final : public OfficeServer::MethodObject<WordSession>
{
public:
    WordDocument(std::shared_ptr<WordSession> session, OfficeDocument document)
        : MethodObject(WordMember::PrintOut, std::move(session)), m_document(document)
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (const Status counted =
                OfficeServer::padArguments(arguments, 0, PrintOutArguments,
                                           QStringLiteral("PrintOut takes at most 18 arguments"));
            !counted.ok())
            return counted;
        // Background, Append, Range, OutputFileName, From, To, Item, Copies, Pages,
        // PageType, PrintToFile, Collate, ActivePrinterMacGX, ManualDuplexPrint,
        // PrintZoomColumn, PrintZoomRow, PrintZoomPaperWidth, PrintZoomPaperHeight.
        const std::optional<bool> background = flagOf(arguments[0], true);
        const std::optional<bool> append = flagOf(arguments[1], false);
        const std::optional<qint32> range = numberOf(arguments[2], 0);
        const Variant& outputFile = arguments[3];
        const std::optional<qint32> item = numberOf(arguments[6], 0);
        const std::optional<qint32> copies = numberOf(arguments[7], 1);
        const std::optional<qint32> pageType = numberOf(arguments[9], 0);
        const std::optional<bool> printToFile = flagOf(arguments[10], false);
        const std::optional<bool> collate = flagOf(arguments[11], true);
        const std::optional<bool> manualDuplex = flagOf(arguments[13], false);

        if (!background || !append || !range || !item || !copies || !pageType || !printToFile ||
            !collate || !manualDuplex)
            return failure(QStringLiteral("a PrintOut argument has the wrong type"),
                           DISP_E_TYPEMISMATCH);
        if (*append)
            return notSupported(QStringLiteral("appending to a print file"));
        if (*range != 0 || !arguments[4].isMissing() || !arguments[5].isMissing() ||
            !arguments[8].isMissing())
            return notSupported(QStringLiteral("printing part of a document"));
        if (*item != 0)
            return notSupported(QStringLiteral("printing anything but the document's content"));
        if (*copies != 1)
            return notSupported(QStringLiteral("printing more than one copy"));
        if (*pageType != 0)
            return notSupported(QStringLiteral("printing only odd or even pages"));
        if (*manualDuplex)
            return notSupported(QStringLiteral("manual duplex printing"));
        if (!arguments[12].isMissing())
            return notSupported(QStringLiteral("choosing a printer in PrintOut"));
        for (int zoom = 14; zoom < PrintOutArguments; ++zoom) {
            const std::optional<qint32> value = numberOf(arguments[zoom], 0);
            if (!value)
                return failure(QStringLiteral("a PrintOut argument has the wrong type"),
                               DISP_E_TYPEMISMATCH);
            if (*value != 0)
                return notSupported(QStringLiteral("zoomed printing"));
        }
        if (*printToFile && (outputFile.isMissing() || outputFile.value().vt() != VT_BSTR ||
                             outputFile.toString().isEmpty()))
            return failure(QStringLiteral("printing to a file needs OutputFileName"),
                           DISP_E_TYPEMISMATCH);

        const Result<QString> printer = m_session->printer();
        if (!printer.ok())
            return printer.status();
        if (printer.value().isEmpty())
            return failure(QStringLiteral("there is no printer to print on"));
        // Printed at once; Background only says whether the caller waits, and the
        // job's progress is what BackgroundPrintingStatus reports.
        return m_session->print(m_document, printer.value());
    }

    OfficeDocument m_document;
};

class WordDocuments final : public OfficeServer::MethodObject<WordSession>
{
public:
    explicit WordDocuments(std::shared_ptr<WordSession> session)
        : MethodObject(WordMember::Open, std::move(session))
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (const Status counted = OfficeServer::padArguments(
                arguments, 1, OpenArguments,
                QStringLiteral("Open takes a file name and at most 11 more arguments"));
            !counted.ok())
            return counted;
        // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument,
        // PasswordTemplate, Revert, WritePasswordDocument, WritePasswordTemplate,
        // Format, Encoding, Visible.
        if (arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("FileName must be a string"), DISP_E_TYPEMISMATCH);
        for (const int flag : {1, 2, 3, 6, 11})
            if (!flagOf(arguments[flag], false))
                return failure(QStringLiteral("an Open argument has the wrong type"),
                               DISP_E_TYPEMISMATCH);
        for (const int password : {4, 5, 7, 8})
            if (!arguments[password].isMissing())
                return notSupported(QStringLiteral("opening a document with a password"));
        if (!arguments[10].isMissing())
            return notSupported(QStringLiteral("choosing the encoding"));
        const std::optional<qint32> format = numberOf(arguments[9], WordOpenFormat::Auto);
        if (!format)
            return failure(QStringLiteral("Format must be a number"), DISP_E_TYPEMISMATCH);

        const QString source = arguments[0].toString();
        const Result<QString> filter = documentFilter(source, *format);
        if (!filter.ok()) {
            const QString& why = filter.status().message();
            return *format > WordOpenFormat::Xml || *format < 0 ? notSupported(why) : failure(why);
        }
        const Result<OfficeDocument> document = m_session->load(source, filter.value());
        if (!document.ok())
            return document.status();
        return Variant::fromDispatch(std::make_shared<WordDocument>(m_session, document.value()));
    }
};

class WordApplicationObject final
    : public OfficeServer::ApplicationObject<WordSession, WordDocuments>
{
public:
    using ApplicationObject::ApplicationObject;

private:
    Result<Variant> invokeRunning(DispId member, DispatchKind kind,
                                  const QList<Variant>& arguments) override
    {
        switch (member) {
        case WordMember::Visible:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromBool(m_session->visible);
            if (kind == DispatchKind::PropertyPut) {
                if (const Status put = OfficeServer::putVisibleFlag(arguments, m_session->visible);
                    !put.ok())
                    return put;
                return Variant();
            }
            break;
        case WordMember::ActivePrinter:
            if (kind == DispatchKind::PropertyGet) {
                const Result<QString> printer = m_session->printer();
                if (!printer.ok())
                    return printer.status();
                return Variant::fromString(printer.value());
            }
            if (kind == DispatchKind::PropertyPut)
                return setActivePrinter(arguments);
            break;
        case WordMember::Documents:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromDispatch(m_collection);
            break;
        case WordMember::BackgroundPrintingStatus:
            if (kind == DispatchKind::PropertyGet)
                return backgroundPrintingStatus();
            break;
        case WordMember::Quit:
            if (kind == DispatchKind::Method)
                return quit(arguments);
            break;
        default:
            break;
        }
        return memberNotFound(member, kind);
    }

    Result<Variant> setActivePrinter(const QList<Variant>& arguments)
    {
        if (arguments.size() != 1 || arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("ActivePrinter takes one string"), DISP_E_TYPEMISMATCH);
        const QString printer = arguments[0].toString();
        // LibreOffice would print on its default printer in place of an unknown one.
        const Result<bool> known = m_session->queues.exists(printer);
        if (!known.ok())
            return failure(known.status().message());
        if (!known.value())
            return failure(QStringLiteral("there is no printer \"%1\"").arg(printer));
        m_session->activePrinter = printer;
        return Variant();
    }

    Result<Variant> backgroundPrintingStatus()
    {
        const Result<QString> printer = m_session->printer();
        if (!printer.ok())
            return printer.status();
        if (printer.value().isEmpty())
            return Variant::fromI4(0);
        const Result<int> unfinished = m_session->queues.unfinishedJobs(printer.value());
        if (!unfinished.ok())
            return failure(unfinished.status().message());
        return Variant::fromI4(unfinished.value());
    }

    Result<Variant> quit(QList<Variant> arguments)
    {
        if (const Status counted = OfficeServer::padArguments(
                arguments, 0, QuitArguments, QStringLiteral("Quit takes at most 3 arguments"));
            !counted.ok())
            return counted;
        // SaveChanges: 0 (do not save) is the only value without a document to write.
        const std::optional<qint32> save = numberOf(arguments[0], 0);
        const std::optional<bool> saveFlag = flagOf(arguments[0], false);
        if (!save && !saveFlag)
            return failure(QStringLiteral("SaveChanges has the wrong type"), DISP_E_TYPEMISMATCH);
        if ((save && *save != 0) || (!save && *saveFlag))
            return notSupported(QStringLiteral("saving documents at Quit"));
        return endServer();
    }
};

} // namespace

std::shared_ptr<Dispatch> CreateWordApplication(Office& office, Spooler& spooler,
                                                PrintQueues& queues)
{
    auto session = std::make_shared<WordSession>(office, spooler, queues);
    return std::make_shared<WordApplicationObject>(std::move(session));
}

void RegisterWordApplication(AutomationRegistry& registry, Office& office, Spooler& spooler)
{
    auto queues = std::make_shared<CupsPrintQueues>();
    OfficeServer::registerServer(
        registry, WordProgId, office, QStringLiteral("libreoffice-writer"),
        [&office, &spooler, queues] { return CreateWordApplication(office, spooler, *queues); });
}
