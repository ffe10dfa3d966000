#include "Terminal.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

termios savedTerminal{};
std::atomic<bool> echoOff{false};
std::atomic<bool> silenced{false};

} // namespace

void RestoreTerminalEcho()
{
    if (echoOff.exchange(false)) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        std::fputs("\n", stderr);
    }
}

std::optional<QByteArray> ReadStandardInputLine(const QString& prompt)
{
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    if (terminal) {
        std::fputs(prompt.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        if (::tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
            termios quiet = savedTerminal;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            echoOff = true;
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
    }
    QByteArray line;
    bool any = false;
    for (char c = 0; ::read(STDIN_FILENO, &c, 1) == 1;) {
        any = true;
        if (c == '\n')
            break;
        line += c;
    }
    if (echoOff.exchange(false))
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    if (!any)
        return std::nullopt;
    return line;
}

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

void StandardTerminal::silence()
{
    silenced = true;
}

void StandardTerminal::printLine(const QString& line)
{
    if (silenced)
        return;
    clearProgress();
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void StandardTerminal::printMessage(const QString& line)
{
    if (silenced)
        return;
    clearProgress();
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

void StandardTerminal::showProgress(const QString& line)
{
    if (!m_errIsTerminal || silenced)
        return;
    clearProgress();
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

bool StandardTerminal::askYesNo(const QString& question)
{
    if (!m_inIsTerminal || silenced)
        return false;
    clearProgress();
    std::fputs((question + QStringLiteral(" [y/N] ")).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    std::string answer;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        answer += static_cast<char>(c);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}
