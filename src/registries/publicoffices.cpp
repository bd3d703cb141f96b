#include "registries/publicoffices.h"

#include "core/csvreader.h"
#include "core/textfile.h"
#include "registries/parties.h"
#include "storage/archive.h"
#include "storage/sqldialect.h"

#include <QFileInfo>
#include <QSqlRecord>

namespace rotalina::registries {

namespace {

const QString officeColumns = QStringLiteral(
    "SELECT PA_Amministrazioni_FatturaElettronica.ID, PA_Amministrazioni_FatturaElettronica.DescrizionePA, "
    "PA_Amministrazioni_FatturaElettronica.DescrizioneUfficio, "
    "PA_Amministrazioni_FatturaElettronica.codice_Amministrazione, "
    "PA_Amministrazioni_FatturaElettronica.cod_ou, PA_Amministrazioni_FatturaElettronica.codice_univoco, "
    "PA_Amministrazioni_FatturaElettronica.indirizzo, PA_Amministrazioni_FatturaElettronica.cap, "
    "PA_Amministrazioni_FatturaElettronica.cf, Comuni.Comune, Comuni.Provincia, "
    "PA_Amministrazioni_FatturaElettronica.tipologia_istat, Comuni.ID AS Comune_id "
    "FROM PA_Amministrazioni_FatturaElettronica LEFT JOIN Comuni ON "
    "PA_Amministrazioni_FatturaElettronica.Comune_Id = Comuni.ID");

bool asks(const QString &typed)
{
    return !typed.trimmed().isEmpty() && typed.trimmed() != u"*";
}

} // namespace

std::optional<std::pair<QString, QVariantList>> officeSearchStatement(const OfficeSearch &search,
                                                                      const storage::SqlDialect &dialect)
{
    QStringList conditions;
    QVariantList params;
    const auto contains = [&](const QString &field, const QString &typed) {
        if (!asks(typed))
            return;
        conditions.append(dialect.foldedLike(field));
        params.append(storage::SqlDialect::containsPattern(typed.trimmed()));
    };
    contains(QStringLiteral("Comuni.Comune"), search.town);
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.DescrizionePA"), search.administration);
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.codice_univoco"), search.uniqueCode);
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.DescrizioneUfficio"), search.office);
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.cf"), search.fiscalCode);
    if (asks(search.province)) {
        conditions.append(QStringLiteral("UPPER(Comuni.Provincia) = UPPER(?)"));
        params.append(search.province.trimmed());
    }
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.indirizzo"), search.address);
    contains(QStringLiteral("PA_Amministrazioni_FatturaElettronica.tipologia_istat"), search.kind);
    if (conditions.isEmpty())
        return std::nullopt;
    return std::pair{
        officeColumns + QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")) +
            QStringLiteral(" ORDER BY Comuni.Comune, PA_Amministrazioni_FatturaElettronica.DescrizionePA, "
                           "PA_Amministrazioni_FatturaElettronica.DescrizioneUfficio"),
        params};
}

QString noOfficeStatement()
{
    return officeColumns + QStringLiteral(" WHERE 1 = 0");
}

core::Status chooseOffice(storage::Archive &archive, qint64 customer, qint64 office)
{
    core::Result<QSqlQuery> row = archive.select(
        officeColumns + QStringLiteral(" WHERE PA_Amministrazioni_FatturaElettronica.ID = ?"), {office});
    if (!row)
        return core::Status::failure(row.error());
    if (!row->next())
        return core::Status::failure(QStringLiteral("L'ufficio scelto non è più in archivio."));
    const QSqlRecord r = row->record();
    const auto text = [&r](const char *field) {
        return r.value(QString::fromLatin1(field)).toString().trimmed();
    };
    QVariantMap values{{QStringLiteral("Cliente"), text("DescrizionePA")},
                       {QStringLiteral("Cap"), text("cap")},
                       {QStringLiteral("CodFiscale"), text("cf")},
                       {QStringLiteral("CodiceUnivocoUfficio"), text("codice_univoco")},
                       {QStringLiteral("PubblicaAmministrazione"), true},
                       {QStringLiteral("Via"), text("indirizzo")},
                       {QStringLiteral("DestinazioneMerce"), text("DescrizioneUfficio")}};
    if (!r.value(QStringLiteral("Comune_id")).isNull()) {
        values.insert(QStringLiteral("Comune_id"), r.value(QStringLiteral("Comune_id")));
        values.insert(QStringLiteral("Citta"), text("Comune"));
        values.insert(QStringLiteral("Provincia"), text("Provincia"));
    }
    return saveCustomer(archive, customer, values);
}

core::Result<int> importPublicOffices(storage::Archive &archive, const QString &path)
{
    using R = core::Result<int>;
    const QString file = QFileInfo(path).fileName();
    const core::Result<QString> text = core::readTextFile(path);
    if (!text)
        return R::failure(text.error());
    QString content = *text;
    content.remove(QChar(0xFEFF));
    const QString header = content.left(content.indexOf(u'\n'));
    // The separator the header is split by most.
    QChar separator = u';';
    for (const QChar candidate : {QChar(u','), QChar(u'\t')}) {
        if (header.count(candidate) > header.count(separator))
            separator = candidate;
    }
    const core::Result<core::CsvTable> csv = core::parseCsv(content, separator);
    if (!csv)
        return R::failure(QStringLiteral("Il file %1 non è leggibile: %2").arg(file, csv.error()));
    const auto column = [&](const QString &name) {
        for (qsizetype i = 0; i < csv->header.size(); ++i) {
            if (csv->header.at(i).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        return -1;
    };
    for (const char *needed : {"Codice_IPA", "Codice_uni_uo", "Descrizione_uo"}) {
        if (column(QString::fromLatin1(needed)) < 0)
            return R::failure(
                QStringLiteral(
                    "Nel file %1 manca la colonna «%2»: non è l'elenco degli uffici di fatturazione "
                    "elettronica dell'Indice delle Pubbliche Amministrazioni.")
                    .arg(file, QString::fromLatin1(needed)));
    }
    const int ipa = column(QStringLiteral("Codice_IPA"));
    const int code = column(QStringLiteral("Codice_uni_uo"));
    const int office = column(QStringLiteral("Descrizione_uo"));
    const int administration = column(QStringLiteral("Denominazione_ente"));
    int fiscal = column(QStringLiteral("Codice_fiscale_sfe"));
    if (fiscal < 0)
        fiscal = column(QStringLiteral("Codice_fiscale_ente"));
    const int address = column(QStringLiteral("Indirizzo"));
    const int postcode = column(QStringLiteral("CAP"));
    const int town = column(QStringLiteral("Codice_comune_ISTAT"));
    const int kind = column(QStringLiteral("Tipologia"));

    // The municipalities by their ISTAT code.
    QHash<QString, qint64> towns;
    core::Result<QSqlQuery> known =
        archive.select(QStringLiteral("SELECT ID, COD_ISTAT FROM Comuni WHERE COD_ISTAT IS NOT NULL"));
    if (!known)
        return R::failure(known.error());
    while (known->next())
        towns.insert(known->value(1).toString().trimmed(), known->value(0).toLongLong());

    QList<QVariantList> rows;
    rows.reserve(csv->rows.size());
    for (const QStringList &row : csv->rows) {
        const auto cell = [&row](int index) {
            return index >= 0 ? row.value(index).trimmed() : QString();
        };
        if (cell(code).isEmpty())
            continue;
        QString istat = cell(town);
        if (!istat.isEmpty() && istat.size() < 6)
            istat = istat.rightJustified(6, u'0');
        const auto found = towns.constFind(istat);
        rows.append({cell(administration), cell(office), cell(ipa), cell(code), cell(code), cell(address),
                     cell(postcode), cell(fiscal), cell(kind),
                     found == towns.cend() ? QVariant() : QVariant(*found)});
    }
    storage::Transaction transaction(archive);
    if (core::Result<int> cleared =
            archive.execute(QStringLiteral("DELETE FROM PA_Amministrazioni_FatturaElettronica"));
        !cleared)
        return R::failure(cleared.error());
    if (core::Status written = archive.insertRows(
            QStringLiteral("PA_Amministrazioni_FatturaElettronica"),
            {QStringLiteral("DescrizionePA"), QStringLiteral("DescrizioneUfficio"),
             QStringLiteral("codice_Amministrazione"), QStringLiteral("cod_ou"),
             QStringLiteral("codice_univoco"), QStringLiteral("indirizzo"), QStringLiteral("cap"),
             QStringLiteral("cf"), QStringLiteral("tipologia_istat"), QStringLiteral("Comune_Id")},
            rows);
        !written)
        return R::failure(written.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return static_cast<int>(rows.size());
}

} // namespace rotalina::registries
