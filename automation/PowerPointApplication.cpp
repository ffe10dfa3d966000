#include "PowerPointApplication.h"

#include "OfficeServer.h"

#include <optional>

namespace {

using OfficeServer::failure;
using OfficeServer::notSupported;

const QString PptxFilter = QStringLiteral("Impress MS PowerPoint 2007 XML");
const QString PptFilter = QStringLiteral("MS PowerPoint 97");

constexpr int OpenArguments = 4;
constexpr int PrintOutArguments = 5;

// A number or tri-state flag: VT_I4, VT_I2 or VT_BOOL (true is -1); a left-out
// one is fallback. nullopt for any other type.
std::optional<qint32> numberOf(const Variant& argument, qint32 fallback)
{
    if (argument.isMissing())
        return fallback;
    const Variant& v = argument.value();
    switch (v.vt()) {
    case VT_I4:
        return v.toI4();
    case VT_I2:
        return v.toI2();
    case VT_BOOL:
        return v.toBool() ? -1 : 0;
    default:
        return std::nullopt;
    }
}

// The Impress import filter for a presentation file, chosen by its content.
Result<QString> presentationFilter(const QString& path)
{
    // Enough of a zip container to find its member names, which come first in each entry.
    const Result<QByteArray> read = OfficeServer::readHead(path, 1 << 20);
    if (!read.ok())
        return read.status();
    const QByteArray& head = read.value();
    if (OfficeServer::isZipContainer(head)) {
        // A text document or workbook container would crash Impress's import.
        if (head.contains("ppt/presentation.xml"))
            return PptxFilter;
        return Status::failure(
            QStringLiteral("%1 is a container of something other than a presentation").arg(path));
    }
    if (OfficeServer::isCompoundFile(head))
        return PptFilter;
    return Status::failure(QStringLiteral("%1 is not a presentation").arg(path));
}

// What the server's objects share: the session, the value of Visible and the
// active presentation.
struct PowerPointSession final : OfficeServer::Session
{
    PowerPointSession(Office& office_, Spooler& spooler_)
        : Session(office_, spooler_,
                  {QStringLiteral("presentation"), QStringLiteral("a presentation")})
    {
    }

    qint32 visible = 0;
    std::shared_ptr<Dispatch> active;
};

class PowerPointPresentation final : public OfficeServer::MethodObject<PowerPointSession>
{
public:
    PowerPointPresentation(std::shared_ptr<PowerPointSession> session, OfficeDocument document)
        : MethodObject(PowerPointMember::PrintOut, std::move(session)), m_document(document)
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (const Status counted =
                OfficeServer::padArguments(arguments, 0, PrintOutArguments,
                                           QStringLiteral("PrintOut takes at most 5 arguments"));
            !counted.ok())
            return counted;
        const std::optional<qint32> from = numberOf(arguments[0], -1);
        const std::optional<qint32> to = numberOf(arguments[1], -1);
        const Variant& printToFile = arguments[2];
        const std::optional<qint32> copies = numberOf(arguments[3], 1);
        const std::optional<qint32> collate = numberOf(arguments[4], -1);
        if (!from || !to || !copies || !collate)
            return failure(QStringLiteral("a PrintOut argument has the wrong type"),
                           DISP_E_TYPEMISMATCH);
        if (*from != -1 || *to != -1)
            return notSupported(QStringLiteral("printing a range of slides"));
        if (*copies != 1)
            return notSupported(QStringLiteral("printing more than one copy"));
        if (!printToFile.isMissing() && printToFile.value().vt() != VT_BSTR)
            return failure(QStringLiteral("PrintToFile must be a file name"), DISP_E_TYPEMISMATCH);

        const Result<QString> printer = m_session->defaultPrinter();
        if (!printer.ok())
            return printer.status();
        return m_session->print(m_document, printer.value());
    }

    OfficeDocument m_document;
};

class PowerPointPresentations final : public OfficeServer::MethodObject<PowerPointSession>
{
public:
    explicit PowerPointPresentations(std::shared_ptr<PowerPointSession> session)
        : MethodObject(PowerPointMember::Open, std::move(session))
    {
    }

private:
    Result<Variant> call(QList<Variant> arguments) override
    {
        if (const Status counted = OfficeServer::padArguments(
                arguments, 1, OpenArguments,
                QStringLiteral("Open takes a file name and at most 3 more arguments"));
            !counted.ok())
            return counted;
        if (arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("FileName must be a string"), DISP_E_TYPEMISMATCH);
        for (int flag = 1; flag < OpenArguments; ++flag)
            if (!numberOf(arguments[flag], 0))
                return failure(QStringLiteral("an Open argument has the wrong type"),
                               DISP_E_TYPEMISMATCH);

        const QString source = arguments[0].toString();
        const Result<QString> filter = presentationFilter(source);
        if (!filter.ok())
            return failure(filter.status().message());
        const Result<OfficeDocument> document = m_session->load(source, filter.value());
        if (!document.ok())
            return document.status();
        auto presentation = std::make_shared<PowerPointPresentation>(m_session, document.value());
        m_session->active = presentation;
        return Variant::fromDispatch(std::move(presentation));
    }
};

class PowerPointApplicationObject final
    : public OfficeServer::ApplicationObject<PowerPointSession, PowerPointPresentations>
{
public:
    using ApplicationObject::ApplicationObject;

    ~PowerPointApplicationObject() override
    {
        // The session must not keep its presentation, which keeps the session.
        m_session->active.reset();
    }

private:
    Result<Variant> invokeRunning(DispId member, DispatchKind kind,
                                  const QList<Variant>& arguments) override
    {
        switch (member) {
        case PowerPointMember::Visible:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromI4(m_session->visible);
            if (kind == DispatchKind::PropertyPut) {
                const std::optional<qint32> value =
                    arguments.size() == 1 && !arguments[0].isMissing() ? numberOf(arguments[0], 0)
                                                                       : std::nullopt;
                if (!value)
                    return failure(QStringLiteral("Visible takes one number"), DISP_E_TYPEMISMATCH);
                // Always headless; the value is only remembered.
                m_session->visible = *value;
                return Variant();
            }
            break;
        case PowerPointMember::Presentations:
            if (kind == DispatchKind::PropertyGet)
                return Variant::fromDispatch(m_collection);
            break;
        case PowerPointMember::ActivePresentation:
            if (kind == DispatchKind::PropertyGet) {
                if (!m_session->active)
                    return failure(QStringLiteral("no presentation is open"));
                return Variant::fromDispatch(m_session->active);
            }
            break;
        case PowerPointMember::Quit:
            if (kind == DispatchKind::Method) {
                if (!arguments.isEmpty())
                    return failure(QStringLiteral("Quit takes no arguments"), DISP_E_BADPARAMCOUNT);
                m_session->active.reset();
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

std::shared_ptr<Dispatch> CreatePowerPointApplication(Office& office, Spooler& spooler)
{
    auto session = std::make_shared<PowerPointSession>(office, spooler);
    return std::make_shared<PowerPointApplicationObject>(std::move(session));
}

void RegisterPowerPointApplication(AutomationRegistry& registry, Office& office, Spooler& spooler)
{
    OfficeServer::registerServer(
        registry, PowerPointProgId, office, QStringLiteral("libreoffice-impress"),
        [&office, &spooler] { return CreatePowerPointApplication(office, spooler); });
}
