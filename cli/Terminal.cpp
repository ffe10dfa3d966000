#include "Terminal.h"

#include <cstdio>
#include <string>
#include <unistd.h>

StandardTerminal::StandardTerminal()
    : m_errIsTerminal(::isatty(STDERR_FILENO) == 1), m_inIsTerminal(::isatty(STDIN_FILENO) == 1)
{
}

void StandardTerminal::clearProgress()
{
    if (m_progressShown) {
        std::fputs("\r\033[K", stderr);
        m_progressShown = false;
    }
}

void StandardTerminal::printLine(const QString& line)
{
    clearProgress();
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void StandardTerminal::printMessage(const QString& line)
{
    clearProgress();
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

void StandardTerminal::showProgress(const QString& line)
{
    if (!m_errIsTerminal)
        return;
    clearProgress();
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

bool StandardTerminal::askYesNo(const QString& question)
{
    if (!m_inIsTerminal)
        return false;
    clearProgress();
    std::fputs((question + QStringLiteral(" [y/N] ")).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    std::string answer;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        answer += static_cast<char>(c);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}
