#include "ExcelApplication.h"

#include "OfficeServer.h"

namespace {

using OfficeServer::failure;

const QString XlsxFilter = QStringLiteral("Calc MS Excel 2007 XML");
const QString XlsFilter = QStringLiteral("MS Excel 97");

// The Calc import filter for a workbook file, chosen by its first bytes.
Result<QString> workbookFilter(const QString& path)
{
    const Result<QByteArray> head = OfficeServer::readHead(path, 8);
    if (!head.ok())
        return head.status();
    if (OfficeServer::isZipContainer(head.value()))
        return XlsxFilter;
    if (OfficeServer::isCompoundFile(head.value()))
        return XlsFilter;
    return Status::failure(QStringLiteral("%1 is not a workbook").arg(path));
}

// What the server's objects share: the session and the value of Visible.
struct ExcelSession final : OfficeServer::Session
{
    ExcelSession(Office& office_, Spooler& spooler_)
        : Session(office_, spooler_, {QStringLiteral("spreadsheet"), QStringLiteral("a workbook")})
    {
    }

    bool visible = false;
};

bool isLeftOutOr(const Variant& argument, quint16 type)
{
    return argument.isMissing() || argument.value().vt() == type;
}

class ExcelWorkbook final : public OfficeServer::MethodObject<ExcelSession>
{
public:
    ExcelWorkbook(std::shared_ptr<ExcelSession> session, OfficeDocument document)
        : MethodObject(ExcelMember::PrintOut, std::move(session)), m_document(document)
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (const Status counted = OfficeServer::padArguments(
                arguments, 0, 8, QStringLiteral("PrintOut takes at most 8 arguments"));
            !counted.ok())
            return counted;
        const Variant& from = arguments[0];
        const Variant& to = arguments[1];
        const Variant& copies = arguments[2];
        const Variant& preview = arguments[3];
        const Variant& activePrinter = arguments[4];
        const Variant& printToFile = arguments[5];

        if (!from.isMissing() || !to.isMissing())
            return failure(QStringLiteral("printing a range of pages is not supported"), E_NOTIMPL);
        if (!copies.isMissing() && !((copies.value().vt() == VT_I4 && copies.toI4() == 1) ||
                                     (copies.value().vt() == VT_I2 && copies.toI2() == 1)))
            return failure(QStringLiteral("printing more than one copy is not supported"),
                           E_NOTIMPL);
        if (!preview.isMissing() && ((preview.value().vt() == VT_I2 && preview.toI2() != 0) ||
                                     (preview.value().vt() == VT_BOOL && preview.toBool())))
            return failure(QStringLiteral("a print preview is not supported"), E_NOTIMPL);
        if (!isLeftOutOr(activePrinter, VT_BSTR))
            return failure(QStringLiteral("ActivePrinter must be a string"), DISP_E_TYPEMISMATCH);
        if (!printToFile.isMissing() && printToFile.toBool())
            return failure(QStringLiteral("printing to a file is not supported"), E_NOTIMPL);

        QString printer = activePrinter.isMissing() ? QString() : activePrinter.toString();
        if (printer.isEmpty()) {
            const Result<QString> current = m_session->defaultPrinter();
            if (!current.ok())
                return current.status();
            printer = current.value();
        }
        return m_session->print(m_document, printer);
    }

    OfficeDocument m_document;
};

class ExcelWorkbooks final : public OfficeServer::MethodObject<ExcelSession>
{
public:
    explicit ExcelWorkbooks(std::shared_ptr<ExcelSession> session)
        : MethodObject(ExcelMember::Add, std::move(session))
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (arguments.size() > 1)
            return failure(QStringLiteral("Add takes one argument"), DISP_E_BADPARAMCOUNT);
        if (arguments.isEmpty() || arguments[0].isMissing())
            return failure(
                QStringLiteral("an empty workbook cannot be printed: Add needs a template"),
                E_NOTIMPL);
        if (arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("Template must be a file name"), DISP_E_TYPEMISMATCH);
        const QString source = arguments[0].toString();

        const Result<QString> filter = workbookFilter(source);
        if (!filter.ok())
            return failure(filter.status().message());
        const Result<OfficeDocument> document = m_session->load(source, filter.value());
        if (!document.ok())
            return document.status();
        return Variant::fromDispatch(std::make_shared<ExcelWorkbook>(m_session, document.value()));
    }
};

class ExcelApplicationObject final
    : public OfficeServer::ApplicationObject<ExcelSession, ExcelWorkbooks>
{
public:
    using ApplicationObject::ApplicationObject;

private:
    Result<Variant> invokeRunning(DispId member, DispatchKind kind,
                                  const QList<Variant>& arguments) override
    {
        switch (member) {
        case ExcelMember::Visible:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromBool(m_session->visible);
            if (kind == DispatchKind::PropertyPut) {
                if (const Status put = OfficeServer::putVisibleFlag(arguments, m_session->visible);
                    !put.ok())
                    return put;
                return Variant();
            }
            break;
        case ExcelMember::Workbooks:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromDispatch(m_collection);
            break;
        case ExcelMember::Quit:
            if (kind == DispatchKind::Method) {
                return endServer();
            }
            break;
        default:
            break;
        }
        return memberNotFound(member, kind);
    }
};

} // namespace

LibreOfficeOptions ExcelLibreOfficeOptions(LibreOfficeOptions options)
{
    // Calc prints only the selected sheets unless this is on; a workbook is one job.
    options.settings.push_back({QStringLiteral("/org.openoffice.Office.Calc/Print/Other"),
                                QStringLiteral("AllSheets"), QStringLiteral("true")});
    return options;
}

std::shared_ptr<Dispatch> CreateExcelApplication(Office& office, Spooler& spooler)
{
    auto session = std::make_shared<ExcelSession>(office, spooler);
    return std::make_shared<ExcelApplicationObject>(std::move(session));
}

void RegisterExcelApplication(AutomationRegistry& registry, Office& office, Spooler& spooler)
{
    OfficeServer::registerServer(
        registry, ExcelProgId, office, QStringLiteral("libreoffice-calc"),
        [&office, &spooler] { return CreateExcelApplication(office, spooler); });
}
