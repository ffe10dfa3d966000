#include "Ghostscript.h"

#include "ProcessRunner.h"

#include <QFileInfo>
#include <QHash>

#include <mutex>

GhostscriptFacts LocateGhostscript(const QString& programFolder, ProcessRunner& runner)
{
    static std::mutex mutex;
    static QHash<QString, bool> known;

    GhostscriptFacts facts;
    const QString shipped = programFolder + QStringLiteral("/gs/bin/gs");
    const QFileInfo info(shipped);
    if (info.isFile() && info.isExecutable())
        facts.program = shipped;

    std::lock_guard lock(mutex);
    if (auto it = known.constFind(facts.program); it != known.constEnd()) {
        facts.hasSetPdfWrite = *it;
        return facts;
    }
    ProcessRequest probe;
    probe.arguments = {facts.program,
                       QStringLiteral("-q"),
                       QStringLiteral("-dNODISPLAY"),
                       QStringLiteral("-dBATCH"),
                       QStringLiteral("-dNOPAUSE"),
                       QStringLiteral("-c"),
                       QStringLiteral("/.setpdfwrite where { pop (yes) } { (no) } ifelse print")};
    probe.timeout = std::chrono::seconds(30);
    const ProcessOutcome outcome = runner.RunAndWait(probe);
    if (outcome.succeeded()) {
        facts.hasSetPdfWrite = outcome.output.trimmed() == "yes";
        known.insert(facts.program, facts.hasSetPdfWrite);
    }
    return facts;
}
