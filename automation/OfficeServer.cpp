#include "OfficeServer.h"

#include "AutomationRegistry.h"
#include "Spooler.h"

#include <QDir>
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

std::optional<QByteArray> readHead(const QString& path, qint64 size, QString& why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
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

Session::Session(ProcessRunner& processes, Spooler& spooler_, LibreOfficeOptions options,
                 Names names)
    : office(processes, std::move(options)), spooler(spooler_), m_names(std::move(names)),
      m_copies(QDir::tempPath() + QStringLiteral("/tabloria-%1-XXXXXX").arg(m_names.folder))
{
}

Status Session::checkRunning() const
{
    if (quit)
        return failure(QStringLiteral("the %1 server has quit").arg(m_names.server));
    return {};
}

Result<QString> Session::makeCopy(const QString& source, const QString& filter,
                                  const QString& format)
{
    if (!m_copies.isValid())
        return failure(QStringLiteral("no temporary folder for the %1: %2")
                           .arg(m_names.copy, m_copies.errorString()));
    const QString folder = m_copies.filePath(QString::number(++m_nextCopy));
    if (!QDir().mkpath(folder))
        return failure(QStringLiteral("the folder %1 cannot be created").arg(folder));
    const Result<QString> copy = office.convert(source, filter, format, folder);
    if (!copy.ok())
        return failure(QStringLiteral("%1 could not be opened as %2: %3")
                           .arg(source, m_names.openedAs, copy.status().message()));
    return copy.value();
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

Result<Variant> Session::print(const QString& copy, const QString& filter, const QString& printer)
{
    const Status printed = office.print(copy, filter, printer);
    if (!printed.ok())
        return failure(printed.message());
    return Variant();
}

Status Session::end()
{
    quit = true;
    const Status ended = office.endInstances();
    m_copies.remove();
    if (!ended.ok())
        return failure(ended.message());
    return {};
}

void Session::release()
{
    if (!quit)
        office.endInstances();
}

Status putVisibleFlag(const QList<Variant>& arguments, bool& visible)
{
    if (arguments.size() != 1 || arguments[0].value().vt() != VT_BOOL)
        return failure(QStringLiteral("Visible takes one VT_BOOL"), DISP_E_TYPEMISMATCH);
    // Always headless; the value is only remembered.
    visible = arguments[0].toBool();
    return {};
}

void registerServer(AutomationRegistry& registry, const QString& progId, ProcessRunner& processes,
                    LibreOfficeOptions probeOptions,
                    std::function<std::shared_ptr<Dispatch>()> create)
{
    registry.registerServer(progId,
                            [&processes, probeOptions = std::move(probeOptions),
                             create = std::move(create)]() -> Result<std::shared_ptr<Dispatch>> {
                                LibreOfficeRunner probe(processes, probeOptions);
                                if (const Status ready = probe.prepare(); !ready.ok())
                                    return ready;
                                return create();
                            });
}

} // namespace OfficeServer
