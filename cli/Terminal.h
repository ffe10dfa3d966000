#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where the command line talks to its user: standard output for the one line per
// file, standard error for progress and messages, standard input for questions.
class Terminal
{
public:
    virtual ~Terminal() = default;
    virtual void printLine(const QString& line) = 0;     // standard output
    virtual void printMessage(const QString& line) = 0;  // standard error
    // A progress line that the next progress line or message replaces; nothing
    // when standard error is not a terminal.
    virtual void showProgress(const QString& line) = 0;
    // A yes/no question; false without asking when standard input is not a terminal.
    virtual bool askYesNo(const QString& question) = 0;
};

// The process's own standard streams.
class StandardTerminal final : public Terminal
{
public:
    StandardTerminal();
    void printLine(const QString& line) override;
    void printMessage(const QString& line) override;
    void showProgress(const QString& line) override;
    bool askYesNo(const QString& question) override;

    // From now on nothing more is written: an interrupted run says its last word
    // from the thread that handles the interruption.
    static void silence();

private:
    void clearProgress();
    bool m_progressShown = false;
    bool m_errIsTerminal = false;
    bool m_inIsTerminal = false;
};

// One line of standard input, without its line end; nullopt at its end. When
// standard input is a terminal, prompt goes to standard error first and the typing
// is not echoed.
std::optional<QByteArray> ReadStandardInputLine(const QString& prompt);

// Turns echo back on if ReadStandardInputLine turned it off and was interrupted.
// Safe to call at any time, from any thread.
void RestoreTerminalEcho();
