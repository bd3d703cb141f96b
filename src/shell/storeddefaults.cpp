#include "shell/storeddefaults.h"

#include "core/numbertext.h"
#include "storage/archive.h"

namespace rotalina::shell {

core::Result<QVariantMap> storedDefaults(storage::Archive &archive, const QString &kind, const QString &table)
{
    using R = core::Result<QVariantMap>;
    const storage::TableDef *target = archive.schema().table(table);
    if (!target)
        return R::failure(QStringLiteral("Tabella sconosciuta: %1").arg(table));
    core::Result<QSqlQuery> rows = archive.select(
        QStringLiteral(
            "SELECT NomeCampo, Tipo, Valore FROM Personalizzazioni WHERE NomeTabella = ? ORDER BY NomeCampo"),
        {kind});
    if (!rows)
        return R::failure(rows.error());
    QVariantMap defaults;
    while (rows->next()) {
        const QString field = rows->value(0).toString().trimmed();
        const QString type = rows->value(1).toString().trimmed().toLower();
        const QString text = rows->value(2).toString();
        if (type != u"t" && type != u"n" && type != u"f")
            continue;
        const storage::FieldDef *def = target->field(field);
        if (!def)
            return R::failure(
                QStringLiteral("Il valore predefinito per %1 riguarda il campo %2, che la tabella %3 non "
                               "ha: correggere la personalizzazione.")
                    .arg(kind, field, target->name));
        bool ok = true;
        QVariant value;
        if (type == u"t") {
            value = text;
        } else if (type == u"n") {
            value = text.trimmed().toLongLong(&ok);
        } else {
            value = core::parseItalianNumber(text, &ok);
        }
        if (!ok)
            return R::failure(
                QStringLiteral("Il valore predefinito «%1» del campo %2 per %3 non è un numero %4: "
                               "il nuovo record non è stato creato.")
                    .arg(text, def->name, kind,
                         type == u"n" ? QStringLiteral("intero") : QStringLiteral("decimale")));
        defaults.insert(def->name, value);
    }
    return defaults;
}

core::Result<qint64> insertWithDefaults(storage::Archive &archive, const QString &kind, const QString &table,
                                        const QVariantMap &values, const QVariantMap &fixed)
{
    core::Result<QVariantMap> defaults = storedDefaults(archive, kind, table);
    if (!defaults)
        return core::Result<qint64>::failure(defaults.error());
    const storage::TableDef *target = archive.schema().table(table);
    if (!target)
        return core::Result<qint64>::failure(QStringLiteral("Tabella sconosciuta: %1").arg(table));
    const auto nameOf = [target](const QString &field) {
        const storage::FieldDef *def = target->field(field);
        return def ? def->name : field;
    };
    QVariantMap row;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        row.insert(nameOf(it.key()), it.value());
    for (auto it = defaults->cbegin(); it != defaults->cend(); ++it)
        row.insert(it.key(), it.value());
    for (auto it = fixed.cbegin(); it != fixed.cend(); ++it)
        row.insert(nameOf(it.key()), it.value());
    return archive.insert(table, row);
}

} // namespace rotalina::shell
