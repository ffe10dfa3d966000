#pragma once

#include <string>
#include <utility>

// What a call of the plain POSIX code shared with the printer backend reports:
// success, or a failure with a message for people. The program's own Status needs
// Qt, which the backend does not link.
class PlainStatus
{
public:
    PlainStatus() = default;
    static PlainStatus failure(std::string message) { return PlainStatus(std::move(message)); }

    bool ok() const { return !m_failed; }
    const std::string& message() const { return m_message; }

private:
    explicit PlainStatus(std::string message) : m_failed(true), m_message(std::move(message)) {}

    bool m_failed = false;
    std::string m_message;
};
