#pragma once

#include <QString>

#include <optional>
#include <utility>

// What a platform call reports: success, or a failure with a code (an errno value
// where the operating system gave one, otherwise -1) and a message for people.
class [[nodiscard]] Status
{
public:
    Status() = default;
    static Status failure(QString message, int code = -1)
    {
        return Status(code, std::move(message));
    }

    bool ok() const { return !m_failed; }
    int code() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    Status(int code, QString message) : m_failed(true), m_code(code), m_message(std::move(message))
    {
    }

    bool m_failed = false;
    int m_code = 0;
    QString m_message;
};

// A value or the Status that explains why there is none.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_status(std::move(failure)) {}

    bool ok() const { return m_value.has_value(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const Status& status() const { return m_status; }

private:
    std::optional<T> m_value;
    Status m_status;
};
