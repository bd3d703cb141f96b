#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace rotalina::shell {

// The checks a record must pass before it is saved, in the order the office expects them; the
// first one that fails names its field and its message.
class RecordChecks
{
public:
    struct Failure
    {
        QString field;
        QString message;
    };
    using Predicate = std::function<bool(const QVariantMap &values)>;

    RecordChecks &add(const QString &field, const QString &message, Predicate passes);
    // The field must hold something other than blanks (or a key other than 0 for a choice).
    RecordChecks &required(const QString &field, const QString &message);

    std::optional<Failure> firstFailure(const QVariantMap &values) const;
    bool isEmpty() const { return m_checks.isEmpty(); }

    static bool hasValue(const QVariant &value);

private:
    struct Check
    {
        QString field;
        QString message;
        Predicate passes;
    };
    QList<Check> m_checks;
};

} // namespace rotalina::shell
