#include "OfficeServer.h"

#include "AutomationRegistry.h"
#include "Spooler.h"

#include <QFile>

namespace OfficeServer {

Status failure(const QString& message, quint32 code)
{
    return Status::failure(message, statusCode(code));
}

Status notSupported(const QString& what)
{
    return failure(what + QStringLiteral(" is not supported"), E_NOTIMPL);
}

Status padArguments(QList<Variant>& arguments, int minimum, int count, const QString& message)
{
    if (arguments.size() < minimum || arguments.size() > count)
        return failure(message, DISP_E_BADPARAMCOUNT);
    while (arguments.size() < count)
        arguments.append(Variant::missing());
    return {};
}

Result<QByteArray> readHead(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    return file.read(size);
}

bool isZipContainer(const QByteArray& head)
{
    return head.startsWith("PK\x03\x04");
}

bool isCompoundFile(const QByteArray& head)
{
    return head.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"));
}

Session::Session(Office& office_, Spooler& spooler_, Names names)
    : office(office_), spooler(spooler_), m_names(std::move(names))
{
}

Status Session::checkRunning() const
{
    if (quit)
        return failure(QStringLiteral("the %1 server has quit").arg(m_names.server));
    return {};
}

Result<OfficeDocument> Session::load(const QString& source, const QString& filter)
{
    const Result<OfficeDocument> document = office.load(source, filter);
    if (!document.ok())
        return failure(QStringLiteral("%1 could not be opened as %2: %3")
                           .arg(source, m_names.openedAs, document.status().message()));
    m_documents.append(document.value());
    return document.value();
}

Result<QString> Session::defaultPrinter()
{
    const Result<SavedPrinter> current = spooler.defaultPrinter();
    if (!current.ok())
        return failure(current.status().message());
    if (!current.value())
        return failure(QStringLiteral("there is no default printer to print on"));
    return *current.value();
}

Result<Variant> Session::print(OfficeDocument document, const QString& printer)
{
    const Status printed = office.print(document, printer);
    if (!printed.ok())
        return failure(printed.message());
    return Variant();
}

void Session::closeDocuments()
{
    for (const OfficeDocument document : std::as_const(m_documents))
        office.close(document);
    m_documents.clear();
}

Status Session::end()
{
    quit = true;
    closeDocuments();
    return {};
}

void Session::release()
{
    closeDocuments();
}

Status putVisibleFlag(const QList<Variant>& arguments, bool& visible)
{
    if (arguments.size() != 1 || arguments[0].value().vt() != VT_BOOL)
        return failure(QStringLiteral("Visible takes one VT_BOOL"), DISP_E_TYPEMISMATCH);
    // Always headless; the value is only remembered.
    visible = arguments[0].toBool();
    return {};
}

void registerServer(AutomationRegistry& registry, const QString& progId, Office& office,
                    const QString& package, std::function<std::shared_ptr<Dispatch>()> create)
{
    registry.registerServer(
        progId,
        [&office, package, create = std::move(create)]() -> Result<std::shared_ptr<Dispatch>> {
            if (const Status ready = office.checkInstalled(package); !ready.ok())
                return ready;
            return create();
        });
}

} // namespace OfficeServer
