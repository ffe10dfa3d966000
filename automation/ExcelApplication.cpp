#include "ExcelApplication.h"

#include "AutomationRegistry.h"
#include "Spooler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString XlsxFilter = QStringLiteral("Calc MS Excel 2007 XML");
const QString XlsFilter = QStringLiteral("MS Excel 97");
const QString CopyFilter = QStringLiteral("calc8");
const QString CopyFormat = QStringLiteral("ods");

Status failure(const QString& message, quint32 code = DISP_E_EXCEPTION)
{
    return Status::failure(message, statusCode(code));
}

// The Calc import filter for a workbook file, chosen by its first bytes.
QString workbookFilter(const QString& path, QString& why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return {};
    }
    const QByteArray head = file.read(8);
    if (head.startsWith("PK\x03\x04"))
        return XlsxFilter;
    if (head == QByteArray::fromHex("d0cf11e0a1b11ae1"))
        return XlsFilter;
    why = QStringLiteral("%1 is not a workbook").arg(path);
    return {};
}

// What the server's objects share: the LibreOffice runner, the copies made by
// Workbooks.Add and whether Quit has been called.
struct ExcelSession
{
    ExcelSession(ProcessRunner& processes, Spooler& spooler_, LibreOfficeOptions options)
        : office(processes, std::move(options)), spooler(spooler_)
    {
    }

    LibreOfficeRunner office;
    Spooler& spooler;
    QTemporaryDir copies{QDir::tempPath() + QStringLiteral("/tabloria-workbooks-XXXXXX")};
    int nextCopy = 0;
    bool visible = false;
    bool quit = false;

    Status checkRunning() const
    {
        if (quit)
            return failure(QStringLiteral("the spreadsheet server has quit"));
        return {};
    }
};

bool isLeftOutOr(const Variant& argument, quint16 type)
{
    return argument.isMissing() || argument.value().vt() == type;
}

class ExcelWorkbook final : public Dispatch
{
public:
    ExcelWorkbook(std::shared_ptr<ExcelSession> session, QString copy)
        : m_session(std::move(session)), m_copy(std::move(copy))
    {
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>& arguments) override
    {
        if (member == ExcelMember::PrintOut && kind == DispatchKind::Method)
            return printOut(arguments);
        return memberNotFound(member, kind);
    }

private:
    Result<Variant> printOut(QList<Variant> arguments)
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        if (arguments.size() > 8)
            return failure(QStringLiteral("PrintOut takes at most 8 arguments"), DISP_E_BADPARAMCOUNT);
        while (arguments.size() < 8)
            arguments.append(Variant::missing());
        const Variant& from = arguments[0];
        const Variant& to = arguments[1];
        const Variant& copies = arguments[2];
        const Variant& preview = arguments[3];
        const Variant& activePrinter = arguments[4];
        const Variant& printToFile = arguments[5];

        if (!from.isMissing() || !to.isMissing())
            return failure(QStringLiteral("printing a range of pages is not supported"), E_NOTIMPL);
        if (!copies.isMissing() && !((copies.value().vt() == VT_I4 && copies.toI4() == 1)
                                     || (copies.value().vt() == VT_I2 && copies.toI2() == 1)))
            return failure(QStringLiteral("printing more than one copy is not supported"), E_NOTIMPL);
        if (!preview.isMissing() && ((preview.value().vt() == VT_I2 && preview.toI2() != 0)
                                     || (preview.value().vt() == VT_BOOL && preview.toBool())))
            return failure(QStringLiteral("a print preview is not supported"), E_NOTIMPL);
        if (!isLeftOutOr(activePrinter, VT_BSTR))
            return failure(QStringLiteral("ActivePrinter must be a string"), DISP_E_TYPEMISMATCH);
        if (!printToFile.isMissing() && printToFile.toBool())
            return failure(QStringLiteral("printing to a file is not supported"), E_NOTIMPL);

        QString printer = activePrinter.isMissing() ? QString() : activePrinter.toString();
        if (printer.isEmpty()) {
            const Result<SavedPrinter> current = m_session->spooler.defaultPrinter();
            if (!current.ok())
                return failure(current.status().message());
            if (!current.value())
                return failure(QStringLiteral("there is no default printer to print on"));
            printer = *current.value();
        }
        const Status printed = m_session->office.print(m_copy, CopyFilter, printer);
        if (!printed.ok())
            return failure(printed.message());
        return Variant();
    }

    std::shared_ptr<ExcelSession> m_session;
    QString m_copy;
};

class ExcelWorkbooks final : public Dispatch
{
public:
    explicit ExcelWorkbooks(std::shared_ptr<ExcelSession> session) : m_session(std::move(session)) {}

    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>& arguments) override
    {
        if (member == ExcelMember::Add && kind == DispatchKind::Method)
            return add(arguments);
        return memberNotFound(member, kind);
    }

private:
    Result<Variant> add(const QList<Variant>& arguments)
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        if (arguments.size() > 1)
            return failure(QStringLiteral("Add takes one argument"), DISP_E_BADPARAMCOUNT);
        if (arguments.isEmpty() || arguments[0].isMissing())
            return failure(QStringLiteral("an empty workbook cannot be printed: Add needs a template"), E_NOTIMPL);
        if (arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("Template must be a file name"), DISP_E_TYPEMISMATCH);
        const QString source = arguments[0].toString();

        QString why;
        const QString filter = workbookFilter(source, why);
        if (filter.isEmpty())
            return failure(why);
        if (!m_session->copies.isValid())
            return failure(QStringLiteral("no temporary folder for the workbook: %1").arg(m_session->copies.errorString()));
        // One folder per workbook: two templates may share a name.
        const QString folder = m_session->copies.filePath(QString::number(++m_session->nextCopy));
        if (!QDir().mkpath(folder))
            return failure(QStringLiteral("the folder %1 cannot be created").arg(folder));
        const Result<QString> copy = m_session->office.convert(source, filter, CopyFormat, folder);
        if (!copy.ok())
            return failure(QStringLiteral("%1 could not be opened as a workbook: %2").arg(source, copy.status().message()));
        return Variant::fromDispatch(std::make_shared<ExcelWorkbook>(m_session, copy.value()));
    }

    std::shared_ptr<ExcelSession> m_session;
};

class ExcelApplicationObject final : public Dispatch
{
public:
    explicit ExcelApplicationObject(std::shared_ptr<ExcelSession> session)
        : m_session(std::move(session)), m_workbooks(std::make_shared<ExcelWorkbooks>(m_session))
    {
    }

    ~ExcelApplicationObject() override
    {
        // Released without Quit: no LibreOffice of ours may stay behind.
        if (!m_session->quit)
            m_session->office.endInstances();
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>& arguments) override
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        switch (member) {
        case ExcelMember::Visible:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromBool(m_session->visible);
            if (kind == DispatchKind::PropertyPut) {
                if (arguments.size() != 1 || arguments[0].value().vt() != VT_BOOL)
                    return failure(QStringLiteral("Visible takes one VT_BOOL"), DISP_E_TYPEMISMATCH);
                // Always headless; the value is only remembered.
                m_session->visible = arguments[0].toBool();
                return Variant();
            }
            break;
        case ExcelMember::Workbooks:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromDispatch(m_workbooks);
            break;
        case ExcelMember::Quit:
            if (kind == DispatchKind::Method) {
                m_session->quit = true;
                const Status ended = m_session->office.endInstances();
                m_session->copies.remove();
                if (!ended.ok())
                    return failure(ended.message());
                return Variant();
            }
            break;
        default:
            break;
        }
        return memberNotFound(member, kind);
    }

private:
    std::shared_ptr<ExcelSession> m_session;
    std::shared_ptr<ExcelWorkbooks> m_workbooks;
};

} // namespace

LibreOfficeOptions ExcelLibreOfficeOptions(LibreOfficeOptions options)
{
    // Calc prints only the selected sheets unless this is on; a workbook is one job.
    options.settings.push_back(
        {QStringLiteral("/org.openoffice.Office.Calc/Print/Other"), QStringLiteral("AllSheets"), QStringLiteral("true")});
    return options;
}

std::shared_ptr<Dispatch> CreateExcelApplication(ProcessRunner& processes, Spooler& spooler, LibreOfficeOptions options)
{
    auto session = std::make_shared<ExcelSession>(processes, spooler, ExcelLibreOfficeOptions(std::move(options)));
    return std::make_shared<ExcelApplicationObject>(std::move(session));
}

void RegisterExcelApplication(AutomationRegistry& registry, ProcessRunner& processes, Spooler& spooler,
                              LibreOfficeOptions options)
{
    registry.registerServer(ExcelProgId, [&processes, &spooler, options]() -> Result<std::shared_ptr<Dispatch>> {
        LibreOfficeRunner probe(processes, ExcelLibreOfficeOptions(options));
        if (const Status ready = probe.prepare(); !ready.ok())
            return ready;
        return CreateExcelApplication(processes, spooler, options);
    });
}
