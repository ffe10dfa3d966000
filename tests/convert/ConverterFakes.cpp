#include "ConverterFakes.h"

#include "Fakes.h"
#include "PrintContract.h"
#include "TestFiles.h"

RecordingServer::Object::Object(RecordingServer& server_, QString name_)
    : server(server_), name(std::move(name_))
{
}

RecordingServer::Object::~Object()
{
    server.log.append(QStringLiteral("release ") + name);
}

Result<Variant> RecordingServer::Object::Invoke(DispId member, DispatchKind kind,
                                                const QList<Variant>& arguments)
{
    QStringList args;
    for (const Variant& a : arguments)
        args.append(a.describe());
    server.log.append(QStringLiteral("%1 %2 %3 (%4)")
                          .arg(name, describeDispatchKind(kind), server.describeMember(member),
                               args.join(QStringLiteral(", "))));
    if (server.failing.contains(member))
        return Status::failure(
            QStringLiteral("member %1 failed").arg(server.describeMember(member)),
            statusCode(DISP_E_EXCEPTION));
    Variant answer;
    if (const auto handler = server.onCall.find(member); handler != server.onCall.end())
        answer = handler->second();
    if (const auto child = server.children.find({name, member}); child != server.children.end())
        return Variant::fromDispatch(std::make_shared<Object>(server, child->second));
    return answer;
}

RecordingServer::RecordingServer(EventLog& log_, QString progId_, bool hexMembers_)
    : log(log_), progId(std::move(progId_)), hexMembers(hexMembers_)
{
}

void RecordingServer::registerIn(AutomationRegistry& registry)
{
    registry.registerServer(progId, [this]() -> Result<std::shared_ptr<Dispatch>> {
        log.append(QStringLiteral("create ") + progId);
        if (startFails)
            return Status::failure(QStringLiteral("no server"));
        return std::shared_ptr<Dispatch>(
            std::make_shared<Object>(*this, QStringLiteral("Application")));
    });
}

QString RecordingServer::describeMember(DispId member) const
{
    if (hexMembers)
        return QStringLiteral("0x%1").arg(static_cast<quint32>(member), 0, 16);
    return QString::number(member);
}

Status LoggingRegistry::CoInitialize()
{
    return initFails ? Status::failure(QStringLiteral("no")) : Status();
}

Result<SavedPrinter> LoggingSpooler::defaultPrinter()
{
    log.append(QStringLiteral("get default printer"));
    return current;
}

Status LoggingSpooler::setDefaultPrinter(const SavedPrinter& name)
{
    log.append(QStringLiteral("set default printer ") + name.value_or(QStringLiteral("none")));
    if (name && refused.contains(*name))
        return Status::failure(QStringLiteral("not known to CUPS"));
    current = name;
    return {};
}

void LoggingPacing::wait(std::chrono::milliseconds duration)
{
    log.append(QStringLiteral("wait %1 ms").arg(duration.count()));
}

void fakeGhostscript(FakeProcessRunner& runner, EventLog& log, const QString& work)
{
    runner.on(QStringLiteral("gs"), [&log, &work](const ProcessRequest& r) {
        if (r.arguments.contains(QStringLiteral("-dNODISPLAY")))
            return exitedWith(0, "no");
        log.append(QStringLiteral("ghostscript on ") +
                   QString::fromLatin1(readFile(PostScriptSpoolFile(work))));
        for (const QString& a : r.arguments)
            if (a.startsWith(QStringLiteral("-sOutputFile=")))
                writeFile(a.mid(13), "%PDF-1.4 from gs\n%%EOF\n");
        return exitedWith(0);
    });
}
