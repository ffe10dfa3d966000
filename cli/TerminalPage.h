#pragma once

#include "CommandLine.h"
#include "Prompter.h"
#include "WorkerPage.h"

#include <QStringList>

#include <functional>

class Terminal;

// Messages the converters show while a file is converted. They are printed with
// the file's line, so that a failure and its reason appear once.
class TerminalPrompter final : public Prompter
{
public:
    explicit TerminalPrompter(Terminal& terminal) : m_terminal(terminal) {}
    MessageAnswer showMessage(const QString& text, MessageButtons buttons, MessageIcon icon) override;

    // The messages shown since the last call.
    QStringList takeMessages();

private:
    Terminal& m_terminal;
    QStringList m_messages;
};

// The file list page of the command line: the files given, progress on the
// terminal, and one line per file.
class TerminalPage final : public WorkerPage
{
public:
    TerminalPage(const CommandLineOptions& options, const QStringList& sourcePaths, const QString& outputFolder,
                 Terminal& terminal, TerminalPrompter& prompter);

    ConversionSettings captureSettings() override { return m_options.settings; }
    QString destinationText() override { return m_outputFolder; }
    void setFinishFolder(const QString&) override {}
    int rowCount() override { return static_cast<int>(m_rows.size()); }
    QString rowPath(int row) override;
    void deleteAllRows() override { m_rows.clear(); }
    void setBusy(bool) override {}
    void setConverting(bool) override {}
    void setStatusText(const QString&) override {}
    void setProgress(int position, int, bool) override
    {
        if (m_rowDone)
            m_rowDone(position);
    }
    // Called with the number of rows finished after each row.
    void onRowDone(std::function<void(int rows)> rowDone) { m_rowDone = std::move(rowDone); }
    void redrawPage() override {}
    void sendStatusText(const QString&) override {}
    void sendProgress(int, int) override {}
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    void appendResultName(const QString&) override {}
    bool askReplace(const QString& outputPath) override;
    void reportConverted(const QString& sourcePath, const QString& outputPath) override;
    void reportFailed(const QString& sourcePath, const QString& outputPath, const QString& reason) override;

    int converted() const { return m_converted; }
    int failed() const { return m_failed; }
    int kept() const { return m_kept; }

private:
    const CommandLineOptions& m_options;
    QStringList m_rows;
    QString m_outputFolder;
    Terminal& m_terminal;
    TerminalPrompter& m_prompter;
    int m_converted = 0;
    int m_failed = 0;
    int m_kept = 0;
    std::function<void(int)> m_rowDone;
};
