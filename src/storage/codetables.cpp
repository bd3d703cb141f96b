#include "storage/codetables.h"

#include "core/datetext.h"
#include "core/textfile.h"
#include "storage/archive.h"

namespace rotalina::storage {

namespace {

// Checks one CSV value against its field's kind; empty values are empty (NULL) fields.
core::Result<QVariant> checkedValue(const FieldDef &field, const QString &text)
{
    using R = core::Result<QVariant>;
    const QString value = text.trimmed();
    if (value.isEmpty())
        return field.kind == FieldKind::Boolean ? QVariant(false) : QVariant();
    bool ok = true;
    switch (field.kind) {
    case FieldKind::Boolean: {
        const QString lower = value.toLower();
        ok = lower == u"0" || lower == u"1" || lower == u"true" || lower == u"false";
        if (ok)
            return QVariant(lower == u"1" || lower == u"true");
        break;
    }
    case FieldKind::Key:
    case FieldKind::Integer:
    case FieldKind::Ref:
        value.toLongLong(&ok);
        break;
    case FieldKind::Double:
        value.toDouble(&ok);
        break;
    case FieldKind::Date:
        ok = core::datetext::parseCanonical(value).has_value() ||
             core::datetext::parseShortDate(value).has_value();
        break;
    case FieldKind::Text:
    case FieldKind::Memo:
    case FieldKind::TextRef:
        return QVariant(text);
    case FieldKind::Binary:
        return QVariant(QByteArray::fromBase64(value.toLatin1()));
    }
    if (!ok)
        return R::failure(
            QStringLiteral("il valore «%1» non è valido per il campo %2").arg(value, field.name));
    return QVariant(value);
}

struct CheckedRows
{
    QStringList fields;
    QList<QVariantList> rows;
    int keyColumn = -1;
};

core::Result<CheckedRows> checkRows(const TableDef &table, const core::CsvTable &csv)
{
    using R = core::Result<CheckedRows>;
    CheckedRows checked;
    QList<const FieldDef *> defs;
    for (const QString &name : csv.header) {
        const FieldDef *field = table.field(name.trimmed());
        if (!field)
            return R::failure(
                QStringLiteral("La colonna «%1» non è un campo della tabella %2.").arg(name, table.name));
        if (field->kind == FieldKind::Key)
            checked.keyColumn = static_cast<int>(defs.size());
        defs.append(field);
        checked.fields.append(field->name);
    }
    for (qsizetype r = 0; r < csv.rows.size(); ++r) {
        QVariantList row;
        for (qsizetype c = 0; c < defs.size(); ++c) {
            const core::Result<QVariant> value = checkedValue(*defs.at(c), csv.rows.at(r).at(c));
            if (!value)
                return R::failure(QStringLiteral("Tabella %1, riga %2 del file: %3.")
                                      .arg(table.name)
                                      .arg(csv.lineNumbers.at(r))
                                      .arg(value.error()));
            row.append(*value);
        }
        if (checked.keyColumn >= 0 && row.at(checked.keyColumn).isNull())
            return R::failure(QStringLiteral("Tabella %1, riga %2 del file: manca la chiave %3.")
                                  .arg(table.name)
                                  .arg(csv.lineNumbers.at(r))
                                  .arg(table.keyName()));
        checked.rows.append(row);
    }
    return checked;
}

core::Result<core::CsvTable> readShipped(const QString &file)
{
    const core::Result<QString> text = core::readTextFile(QStringLiteral(":/data/") + file);
    if (!text)
        return core::Result<core::CsvTable>::failure(text.error());
    return core::parseCsv(*text);
}

} // namespace

const QList<CodeTableFile> &shippedCodeTables()
{
    static const QList<CodeTableFile> files = {
        {QStringLiteral("Nazioni"), QStringLiteral("nazioni.csv")},
        {QStringLiteral("Regioni"), QStringLiteral("regioni.csv")},
        {QStringLiteral("Province"), QStringLiteral("province.csv")},
        {QStringLiteral("Comuni"), QStringLiteral("comuni.csv")},
        {QStringLiteral("IndirizziItalia"), QStringLiteral("indirizzi_italia.csv")},
        {QStringLiteral("Mesi"), QStringLiteral("mesi.csv")},
        {QStringLiteral("ContabilitaTrimestri"), QStringLiteral("contabilita_trimestri.csv")},
        {QStringLiteral("TipologiaPrimaNota"), QStringLiteral("tipologia_prima_nota.csv")},
        {QStringLiteral("PA_Natura"), QStringLiteral("pa_natura.csv")},
        {QStringLiteral("PA_ModalitaPagamento"), QStringLiteral("pa_modalita_pagamento.csv")},
        {QStringLiteral("PA_RegimeFiscale"), QStringLiteral("pa_regime_fiscale.csv")},
        {QStringLiteral("PA_IscrizRea_SocioUnico"), QStringLiteral("pa_iscrizrea_sociounico.csv")},
        {QStringLiteral("PA_IscrizRea_StatoLiquidazione"),
         QStringLiteral("pa_iscrizrea_statoliquidazione.csv")},
        {QStringLiteral("TipoEsportazioniCrystalReport"), QStringLiteral("tipo_esportazioni.csv")},
    };
    return files;
}

QStringList importableCodeTables()
{
    QStringList tables;
    for (const CodeTableFile &file : shippedCodeTables())
        tables.append(file.table);
    tables << QStringLiteral("PA_Errori") << QStringLiteral("PA_Amministrazioni_FatturaElettronica");
    return tables;
}

core::Status seedNewArchive(Archive &archive)
{
    // The code tables, then the registries a firm starts working with (the usual VAT rates, units
    // and payment terms), which are the firm's own to change afterwards.
    QList<CodeTableFile> files = shippedCodeTables();
    files << CodeTableFile{QStringLiteral("Iva"), QStringLiteral("iva.csv")}
          << CodeTableFile{QStringLiteral("UnitaMisura"), QStringLiteral("unita_misura.csv")}
          << CodeTableFile{QStringLiteral("ModPagamento"), QStringLiteral("mod_pagamento.csv")};
    for (const CodeTableFile &file : std::as_const(files)) {
        const core::Result<core::CsvTable> csv = readShipped(file.file);
        if (!csv)
            return core::Status::failure(QStringLiteral("%1: %2").arg(file.file, csv.error()));
        const TableDef *table = archive.schema().table(file.table);
        if (!table)
            return core::Status::failure(QStringLiteral("Tabella sconosciuta: %1").arg(file.table));
        const core::Result<CheckedRows> checked = checkRows(*table, *csv);
        if (!checked)
            return core::Status::failure(checked.error());
        if (core::Status inserted = archive.insertRows(table->name, checked->fields, checked->rows);
            !inserted)
            return inserted;
        if (core::Status continued = archive.continueKeysAfterHighest(table->name); !continued)
            return continued;
    }
    // The single rows of options and company data, with the settings a new installation starts from.
    for (const CodeTableFile &single :
         {CodeTableFile{QStringLiteral("opzioni"), QStringLiteral("opzioni.csv")},
          CodeTableFile{QStringLiteral("ditta"), QStringLiteral("ditta.csv")}}) {
        const core::Result<core::CsvTable> csv = readShipped(single.file);
        if (!csv)
            return core::Status::failure(QStringLiteral("%1: %2").arg(single.file, csv.error()));
        const core::Result<CheckedRows> checked = checkRows(*archive.schema().table(single.table), *csv);
        if (!checked)
            return core::Status::failure(checked.error());
        if (checked->rows.size() != 1)
            return core::Status::failure(QStringLiteral("%1: serve esattamente una riga.").arg(single.file));
        if (core::Status inserted = archive.insertRows(single.table, checked->fields, checked->rows);
            !inserted)
            return inserted;
    }
    return {};
}

core::Result<ImportSummary> importCsv(Archive &archive, const QString &tableName, const core::CsvTable &csv)
{
    using R = core::Result<ImportSummary>;
    const TableDef *table = archive.schema().table(tableName);
    if (!table)
        return R::failure(QStringLiteral("Tabella sconosciuta: %1").arg(tableName));
    const core::Result<CheckedRows> checked = checkRows(*table, csv);
    if (!checked)
        return R::failure(checked.error());

    ImportSummary summary;
    Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (checked->keyColumn < 0) {
        const core::Result<int> removed = archive.execute(QStringLiteral("DELETE FROM ") + table->name);
        if (!removed)
            return R::failure(removed.error());
        summary.removed = *removed;
        if (core::Status inserted = archive.insertRows(table->name, checked->fields, checked->rows);
            !inserted)
            return R::failure(inserted.error());
        summary.inserted = static_cast<int>(checked->rows.size());
    } else {
        QVariantList keys;
        QList<QVariantList> fresh;
        for (const QVariantList &row : checked->rows) {
            QVariantMap values;
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (c != checked->keyColumn)
                    values.insert(checked->fields.at(c), row.at(c));
            }
            const qint64 key = row.at(checked->keyColumn).toLongLong();
            const core::Result<QVariant> exists = archive.scalar(
                QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(table->name, table->keyName()),
                {key});
            if (!exists)
                return R::failure(exists.error());
            if (exists->toInt() > 0) {
                if (core::Status updated = archive.update(table->name, key, values); !updated)
                    return R::failure(updated.error());
                ++summary.updated;
            } else {
                fresh.append(row);
            }
        }
        if (core::Status inserted = archive.insertRows(table->name, checked->fields, fresh); !inserted)
            return R::failure(inserted.error());
        summary.inserted = static_cast<int>(fresh.size());
        if (core::Status continued = archive.continueKeysAfterHighest(table->name); !continued)
            return R::failure(continued.error());
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return summary;
}

core::Result<ImportSummary> importCodeTableFile(Archive &archive, const QString &tableName,
                                                const QString &path)
{
    using R = core::Result<ImportSummary>;
    const QStringList allowed = importableCodeTables();
    const auto match = std::find_if(allowed.cbegin(), allowed.cend(), [&](const QString &name) {
        return name.compare(tableName, Qt::CaseInsensitive) == 0;
    });
    if (match == allowed.cend())
        return R::failure(QStringLiteral("La tabella %1 non si può caricare da un file. Tabelle ammesse: %2.")
                              .arg(tableName, allowed.join(QStringLiteral(", "))));
    const core::Result<QString> text = core::readTextFile(path);
    if (!text)
        return R::failure(text.error());
    const core::Result<core::CsvTable> csv = core::parseCsv(*text);
    if (!csv)
        return R::failure(QStringLiteral("%1: %2").arg(path, csv.error()));
    return importCsv(archive, *match, *csv);
}

} // namespace rotalina::storage
