#pragma once

// Recording fakes for the converters' call sequences: a server that logs every call
// and release of its objects, and a registry, spooler, pacing and Ghostscript that
// log theirs into the same list.
#include "AutomationRegistry.h"
#include "Converter.h"
#include "Spooler.h"

#include <QStringList>

class FakeProcessRunner;

#include <functional>
#include <map>
#include <memory>

// Everything the converter does, in order, in one list.
using EventLog = QStringList;

// A recording server registered under progId: every object logs its calls and its
// release, naming member ids in hexadecimal when hexMembers is set, in decimal
// otherwise. `children` says which object a member of an object gives; a member
// id in `failing` fails; `onCall` runs for a member before it answers and may
// give its result.
struct RecordingServer
{
    struct Object final : Dispatch
    {
        Object(RecordingServer& server_, QString name_);
        ~Object() override;

        Result<Variant> Invoke(DispId member, DispatchKind kind,
                               const QList<Variant>& arguments) override;

        RecordingServer& server;
        QString name;
    };

    RecordingServer(EventLog& log_, QString progId_, bool hexMembers_ = false);

    void registerIn(AutomationRegistry& registry);
    // "0x6ec" or "444".
    QString describeMember(DispId member) const;

    EventLog& log;
    QString progId;
    bool hexMembers;
    std::map<std::pair<QString, DispId>, QString> children;
    std::map<DispId, std::function<Variant()>> onCall;
    QList<DispId> failing;
    bool startFails = false;
};

struct LoggingRegistry final : AutomationRegistry
{
    Status CoInitialize() override;
    bool initFails = false;
};

// A spooler whose default printer is `current`; setting one of `refused` fails.
struct LoggingSpooler final : Spooler
{
    explicit LoggingSpooler(EventLog& log_) : log(log_) {}
    Result<SavedPrinter> defaultPrinter() override;
    Status setDefaultPrinter(const SavedPrinter& name) override;

    EventLog& log;
    SavedPrinter current;
    QStringList refused;
};

struct LoggingPacing final : Pacing
{
    explicit LoggingPacing(EventLog& log_) : log(log_) {}
    void wait(std::chrono::milliseconds duration) override;

    EventLog& log;
};

// Ghostscript on runner: it logs "ghostscript on <the spool file in work>" and
// writes a PDF to its -sOutputFile; the -dNODISPLAY probe answers "no".
void fakeGhostscript(FakeProcessRunner& runner, EventLog& log, const QString& work);
