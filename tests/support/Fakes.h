#pragma once

#include "ProcessRunner.h"
#include "PrintJobWatch.h"
#include "Prompter.h"
#include "Spooler.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <vector>

// Records every program it was asked to run and answers with a scripted outcome.
// A handler may act like the program (write its output file, say) before answering.
class FakeProcessRunner final : public ProcessRunner
{
public:
    using Handler = std::function<ProcessOutcome(const ProcessRequest&)>;

    ProcessOutcome RunAndWait(const ProcessRequest& request) override;

    // Answers for requests whose program ends in `programSuffix` (all when empty).
    void on(const QString& programSuffix, Handler handler) { m_handlers.append({programSuffix, std::move(handler)}); }

    QList<ProcessRequest> requests;

private:
    QList<std::pair<QString, Handler>> m_handlers;
};

ProcessOutcome exitedWith(int code, QByteArray output = {});

class FakeSpooler final : public Spooler
{
public:
    Result<SavedPrinter> defaultPrinter() override;
    Status setDefaultPrinter(const SavedPrinter& name) override;
    Status checkPrinter(const QString&) override { return printerState; }

    SavedPrinter current;
    QList<SavedPrinter> setCalls;
    bool failSet = false;
    bool ignoreSet = false; // answers success and changes nothing, like a service that went away
    Status printerState;    // what checkPrinter answers
};

// Answers message boxes from a queue (Ok, then No for any unanswered question) and
// keeps what was shown.
class FakePrompter final : public Prompter
{
public:
    struct Shown
    {
        QString text;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageAnswer showMessage(const QString& text, MessageButtons buttons, MessageIcon icon) override;

    std::deque<MessageAnswer> answers;
    QList<Shown> shown;
};

// CUPS and a clock that only moves when the converter sleeps. `jobsAt` gives the
// newest job of the user from a time on; `at` runs an action once a time is reached.
struct FakeJobWatch final : PrintJobWatch
{
    std::optional<PrintJobState> newestJob(const QString&) override
    {
        std::optional<PrintJobState> job = unreachable ? std::nullopt : std::optional(PrintJobState{});
        for (const auto& [time, state] : jobsAt)
            if (!unreachable && time <= elapsed)
                job = state;
        return job;
    }
    void cancelJob(const QString&, int id) override { cancelled.push_back(id); }
    std::chrono::steady_clock::time_point now() override
    {
        return std::chrono::steady_clock::time_point(elapsed);
    }
    void sleep(std::chrono::milliseconds duration) override
    {
        elapsed += duration;
        for (auto it = actions.begin(); it != actions.end();) {
            if (it->first <= elapsed) {
                it->second();
                it = actions.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::chrono::milliseconds elapsed{0};
    bool unreachable = false;
    std::vector<int> cancelled;
    std::multimap<std::chrono::milliseconds, PrintJobState> jobsAt;
    std::multimap<std::chrono::milliseconds, std::function<void()>> actions;
};
