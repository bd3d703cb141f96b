#include "shell/typedfilters.h"

#include "core/datetext.h"
#include "storage/listfilter.h"

#include <optional>

namespace rotalina::shell {

QString typedSearch(const QString &typed)
{
    const QString text = typed.trimmed();
    return text == u"*" ? QString() : text;
}

core::Status addTypedNumber(storage::ListFilter &filter, const QString &field, const QString &typed,
                            const QString &caption, const char *comparison)
{
    const QString text = typedSearch(typed);
    if (text.isEmpty())
        return {};
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber)
        return core::Status::failure(
            QStringLiteral("Attenzione \"%1\" deve essere un numero: \"%2\" non lo è").arg(caption, text));
    filter.condition(QStringLiteral("%1 %2 ?").arg(field, QLatin1String(comparison)), {number});
    return {};
}

core::Status addTypedDate(storage::ListFilter &filter, const QString &field, const QString &typed,
                          const QString &caption, bool upTo)
{
    const QString text = typedSearch(typed);
    if (text.isEmpty())
        return {};
    const std::optional<QDate> date = core::datetext::parseShortDate(text);
    if (!date)
        return core::Status::failure(
            QStringLiteral("Attenzione \"%1\" non è una data: scrivere la data come gg/mm/aaaa (\"%2\")")
                .arg(caption, text));
    if (upTo)
        filter.dateTo(field, *date);
    else
        filter.dateFrom(field, *date);
    return {};
}

} // namespace rotalina::shell
