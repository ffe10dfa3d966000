#include "PowerPointApplication.h"

#include "AutomationRegistry.h"
#include "Spooler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace {

const QString PptxFilter = QStringLiteral("Impress MS PowerPoint 2007 XML");
const QString PptFilter = QStringLiteral("MS PowerPoint 97");
const QString CopyFilter = QStringLiteral("impress8");
const QString CopyFormat = QStringLiteral("odp");

constexpr int OpenArguments = 4;
constexpr int PrintOutArguments = 5;

Status failure(const QString& message, quint32 code = DISP_E_EXCEPTION)
{
    return Status::failure(message, statusCode(code));
}

Status notSupported(const QString& what)
{
    return failure(what + QStringLiteral(" is not supported"), E_NOTIMPL);
}

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
QString presentationFilter(const QString& path, QString& why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return {};
    }
    // Enough of a zip container to find its member names, which come first in each entry.
    const QByteArray head = file.read(1 << 20);
    if (head.startsWith("PK\x03\x04")) {
        // A text document or workbook container would crash Impress's import.
        if (head.contains("ppt/presentation.xml"))
            return PptxFilter;
        why = QStringLiteral("%1 is a container of something other than a presentation").arg(path);
        return {};
    }
    if (head.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
        return PptFilter;
    why = QStringLiteral("%1 is not a presentation").arg(path);
    return {};
}

// What the server's objects share: the LibreOffice runner, the copies made by
// Presentations.Open, the active presentation and whether Quit has been called.
struct PowerPointSession
{
    PowerPointSession(ProcessRunner& processes, Spooler& spooler_, LibreOfficeOptions options)
        : office(processes, std::move(options)), spooler(spooler_)
    {
    }

    LibreOfficeRunner office;
    Spooler& spooler;
    QTemporaryDir copies{QDir::tempPath() + QStringLiteral("/tabloria-presentations-XXXXXX")};
    int nextCopy = 0;
    qint32 visible = 0;
    std::shared_ptr<Dispatch> active;
    bool quit = false;

    Status checkRunning() const
    {
        if (quit)
            return failure(QStringLiteral("the presentation server has quit"));
        return {};
    }
};

class PowerPointPresentation final : public Dispatch
{
public:
    PowerPointPresentation(std::shared_ptr<PowerPointSession> session, QString copy)
        : m_session(std::move(session)), m_copy(std::move(copy))
    {
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind,
                           const QList<Variant>& arguments) override
    {
        if (member == PowerPointMember::PrintOut && kind == DispatchKind::Method)
            return printOut(arguments);
        return memberNotFound(member, kind);
    }

private:
    Result<Variant> printOut(QList<Variant> arguments)
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        if (arguments.size() > PrintOutArguments)
            return failure(QStringLiteral("PrintOut takes at most 5 arguments"),
                           DISP_E_BADPARAMCOUNT);
        while (arguments.size() < PrintOutArguments)
            arguments.append(Variant::missing());
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

        const Result<SavedPrinter> current = m_session->spooler.defaultPrinter();
        if (!current.ok())
            return failure(current.status().message());
        if (!current.value())
            return failure(QStringLiteral("there is no default printer to print on"));
        const Status printed = m_session->office.print(m_copy, CopyFilter, *current.value());
        if (!printed.ok())
            return failure(printed.message());
        return Variant();
    }

    std::shared_ptr<PowerPointSession> m_session;
    QString m_copy;
};

class PowerPointPresentations final : public Dispatch
{
public:
    explicit PowerPointPresentations(std::shared_ptr<PowerPointSession> session)
        : m_session(std::move(session))
    {
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind,
                           const QList<Variant>& arguments) override
    {
        if (member == PowerPointMember::Open && kind == DispatchKind::Method)
            return open(arguments);
        return memberNotFound(member, kind);
    }

private:
    Result<Variant> open(QList<Variant> arguments)
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        if (arguments.isEmpty() || arguments.size() > OpenArguments)
            return failure(QStringLiteral("Open takes a file name and at most 3 more arguments"),
                           DISP_E_BADPARAMCOUNT);
        while (arguments.size() < OpenArguments)
            arguments.append(Variant::missing());
        if (arguments[0].value().vt() != VT_BSTR)
            return failure(QStringLiteral("FileName must be a string"), DISP_E_TYPEMISMATCH);
        for (int flag = 1; flag < OpenArguments; ++flag)
            if (!numberOf(arguments[flag], 0))
                return failure(QStringLiteral("an Open argument has the wrong type"),
                               DISP_E_TYPEMISMATCH);

        const QString source = arguments[0].toString();
        QString why;
        const QString filter = presentationFilter(source, why);
        if (filter.isEmpty())
            return failure(why);
        if (!m_session->copies.isValid())
            return failure(QStringLiteral("no temporary folder for the presentation: %1")
                               .arg(m_session->copies.errorString()));
        // One folder per presentation: two files may share a name.
        const QString folder = m_session->copies.filePath(QString::number(++m_session->nextCopy));
        if (!QDir().mkpath(folder))
            return failure(QStringLiteral("the folder %1 cannot be created").arg(folder));
        const Result<QString> copy = m_session->office.convert(source, filter, CopyFormat, folder);
        if (!copy.ok())
            return failure(QStringLiteral("%1 could not be opened as a presentation: %2")
                               .arg(source, copy.status().message()));
        auto presentation = std::make_shared<PowerPointPresentation>(m_session, copy.value());
        m_session->active = presentation;
        return Variant::fromDispatch(std::move(presentation));
    }

    std::shared_ptr<PowerPointSession> m_session;
};

class PowerPointApplicationObject final : public Dispatch
{
public:
    explicit PowerPointApplicationObject(std::shared_ptr<PowerPointSession> session)
        : m_session(std::move(session)),
          m_presentations(std::make_shared<PowerPointPresentations>(m_session))
    {
    }

    ~PowerPointApplicationObject() override
    {
        // Released without Quit: no LibreOffice of ours may stay behind.
        if (!m_session->quit)
            m_session->office.endInstances();
        // The session must not keep its presentation, which keeps the session.
        m_session->active.reset();
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind,
                           const QList<Variant>& arguments) override
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
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
                return Variant::fromDispatch(m_presentations);
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
                m_session->quit = true;
                m_session->active.reset();
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
    std::shared_ptr<PowerPointSession> m_session;
    std::shared_ptr<PowerPointPresentations> m_presentations;
};

} // namespace

std::shared_ptr<Dispatch> CreatePowerPointApplication(ProcessRunner& processes, Spooler& spooler,
                                                      LibreOfficeOptions options)
{
    auto session = std::make_shared<PowerPointSession>(processes, spooler, std::move(options));
    return std::make_shared<PowerPointApplicationObject>(std::move(session));
}

void RegisterPowerPointApplication(AutomationRegistry& registry, ProcessRunner& processes,
                                   Spooler& spooler, LibreOfficeOptions options)
{
    registry.registerServer(PowerPointProgId,
                            [&processes, &spooler, options]() -> Result<std::shared_ptr<Dispatch>> {
                                LibreOfficeRunner probe(processes, options);
                                if (const Status ready = probe.prepare(); !ready.ok())
                                    return ready;
                                return CreatePowerPointApplication(processes, spooler, options);
                            });
}
