#include "shell/recordchecks.h"

namespace rotalina::shell {

bool RecordChecks::hasValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString)
        return !value.toString().trimmed().isEmpty();
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
        return value.toLongLong() != 0;
    return true;
}

RecordChecks &RecordChecks::add(const QString &field, const QString &message, Predicate passes)
{
    m_checks.append({field, message, std::move(passes)});
    return *this;
}

RecordChecks &RecordChecks::required(const QString &field, const QString &message)
{
    return add(field, message, [field](const QVariantMap &values) { return hasValue(values.value(field)); });
}

std::optional<RecordChecks::Failure> RecordChecks::firstFailure(const QVariantMap &values) const
{
    for (const Check &check : m_checks) {
        if (!check.passes(values))
            return Failure{check.field, check.message};
    }
    return std::nullopt;
}

} // namespace rotalina::shell
