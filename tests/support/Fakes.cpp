#include "Fakes.h"

ProcessOutcome FakeProcessRunner::RunAndWait(const ProcessRequest& request)
{
    requests.append(request);
    for (const auto& [suffix, handler] : m_handlers) {
        if (suffix.isEmpty() || request.arguments.value(0).endsWith(suffix))
            return handler(request);
    }
    ProcessOutcome unknown;
    unknown.error = request.arguments.value(0) + QStringLiteral(" could not be started: No such file or directory");
    return unknown;
}

ProcessOutcome exitedWith(int code, QByteArray output)
{
    ProcessOutcome outcome;
    outcome.pid = 4242;
    outcome.exitCode = code;
    outcome.output = std::move(output);
    return outcome;
}

Result<SavedPrinter> FakeSpooler::defaultPrinter()
{
    return current;
}

Status FakeSpooler::setDefaultPrinter(const SavedPrinter& name)
{
    setCalls.append(name);
    if (failSet)
        return Status::failure(QStringLiteral("the spooler is not running"));
    if (!ignoreSet)
        current = name;
    return {};
}

MessageAnswer FakePrompter::showMessage(const QString& text, MessageButtons buttons, MessageIcon icon)
{
    shown.append({text, buttons, icon});
    if (!answers.empty()) {
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}
