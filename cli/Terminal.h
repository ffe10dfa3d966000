#pragma once

#include <QString>

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

private:
    void clearProgress();
    bool m_progressShown = false;
    bool m_errIsTerminal = false;
    bool m_inIsTerminal = false;
};
