#include "TerminalPage.h"

#include "Terminal.h"

MessageAnswer TerminalPrompter::showMessage(const QString& text, MessageButtons buttons,
                                            MessageIcon)
{
    if (buttons == MessageButtons::YesNo)
        return m_terminal.askYesNo(text) ? MessageAnswer::Yes : MessageAnswer::No;
    m_messages << text;
    return MessageAnswer::Ok;
}

QStringList TerminalPrompter::takeMessages()
{
    return std::exchange(m_messages, {});
}

TerminalPage::TerminalPage(const CommandLineOptions& options, const QStringList& sourcePaths,
                           const QString& outputFolder, Terminal& terminal,
                           TerminalPrompter& prompter)
    : m_options(options), m_rows(sourcePaths), m_outputFolder(outputFolder), m_terminal(terminal),
      m_prompter(prompter)
{
}

QString TerminalPage::rowPath(int row)
{
    const QString path = m_rows.value(row);
    if (!m_options.quiet)
        m_terminal.showProgress(
            QStringLiteral("[%1/%2] %3 ...").arg(row + 1).arg(m_rows.size()).arg(path));
    return path;
}

bool TerminalPage::askReplace(const QString& outputPath)
{
    const bool replace =
        m_options.overwrite || m_terminal.askYesNo(ReplaceQuestionText(outputPath));
    if (!replace) {
        ++m_kept;
        if (!m_options.quiet)
            m_terminal.printLine(
                QStringLiteral("kept: %1 (it exists; --overwrite replaces it)").arg(outputPath));
    }
    return replace;
}

void TerminalPage::reportConverted(const QString&, const QString& outputPath)
{
    ++m_converted;
    const QStringList notes = m_prompter.takeMessages();
    if (!m_options.quiet)
        m_terminal.printLine(QStringLiteral("converted: ") + outputPath);
    for (const QString& note : notes)
        m_terminal.printMessage(QStringLiteral("  note: ") + note);
}

void TerminalPage::reportFailed(const QString& sourcePath, const QString&, const QString& reason)
{
    ++m_failed;
    m_terminal.printLine(QStringLiteral("failed: %1: %2").arg(sourcePath, reason));
    for (const QString& note : m_prompter.takeMessages())
        if (note != reason)
            m_terminal.printMessage(QStringLiteral("  note: ") + note);
}
