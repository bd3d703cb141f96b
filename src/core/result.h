#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace rotalina::core {

// The outcome of an operation that can fail: a value, or an Italian message for the user.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message)
    {
        Result r;
        r.m_error = std::move(message);
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T &operator*() const & { return *m_value; }
    T &operator*() & { return *m_value; }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }
    const QString &error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    static Result failure(QString message)
    {
        Result r;
        r.m_failed = true;
        r.m_error = std::move(message);
        return r;
    }
    template <typename U> static Result from(const Result<U> &other)
    {
        return other.ok() ? Result() : failure(other.error());
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

using Status = Result<void>;

} // namespace rotalina::core
