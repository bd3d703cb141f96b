#include "purchases/vatsettlement.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <map>

namespace rotalina::purchases {

namespace {

using core::arrotonda;

const QStringList monthNames{
    QStringLiteral("Gennaio"), QStringLiteral("Febbraio"), QStringLiteral("Marzo"),
    QStringLiteral("Aprile"),  QStringLiteral("Maggio"),   QStringLiteral("Giugno"),
    QStringLiteral("Luglio"),  QStringLiteral("Agosto"),   QStringLiteral("Settembre"),
    QStringLiteral("Ottobre"), QStringLiteral("Novembre"), QStringLiteral("Dicembre")};

int periodsInYear(SettlementKind kind)
{
    return kind == SettlementKind::Quarterly ? 4 : 12;
}

int monthsInPeriod(SettlementKind kind)
{
    return kind == SettlementKind::Quarterly ? 3 : 1;
}

double number(const QVariant &value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

// The VAT codes as the settlement groups by them.
struct VatCode
{
    QString description;
    bool nonTaxable = false; // outside the scope of VAT: kept apart, with their taxable amount only
};

// The codes of natures N2.1 and N2.2 are not subject to VAT; their amounts go to the non-taxable rows.
bool isNonTaxableNature(const QString &nature)
{
    return nature == u"N2.1" || nature == u"N2.2";
}

// Where an amount of a row goes: its VAT code when the code exists, else the rate it was
// charged at, so that rows whose code was never set or was deleted are still settled.
struct Bucket
{
    qint64 code = 0; // 0: no valid code
    double rate = 0;
    bool operator<(const Bucket &other) const
    {
        if ((code == 0) != (other.code == 0))
            return code != 0; // the codes first, then the rates without a code
        if (code != 0)
            return code < other.code;
        return rate > other.rate;
    }
};

struct Amounts
{
    double taxable = 0;
    double tax = 0;
    bool any = false;
    void add(double moreTaxable, double moreTax)
    {
        taxable += moreTaxable;
        tax += moreTax;
        any = true;
    }
    Amounts rounded() const { return {arrotonda(taxable), arrotonda(tax), any}; }
};

using Side = std::map<Bucket, Amounts>;

// The rows of one kind of document within a period, summed per VAT code and rate; reverse charge
// tells apart the integration documents whose tax is also owed.
struct Source
{
    QString sql;
    QVariantList parameters;
};

class Calculation
{
public:
    Calculation(storage::Archive &archive, SettlementKind kind, int year, int number)
        : m_archive(archive), m_period{kind, year, number}
    {}

    core::Status run(SettlementFigures &figures);

private:
    core::Status readCodes();
    Bucket bucketOf(const QVariant &code, double rate) const;
    bool isNonTaxable(const Bucket &bucket) const
    {
        return bucket.code != 0 && m_codes.value(bucket.code).nonTaxable;
    }
    // Sums a kind of document rows into one side: the taxable amount of every row, the tax of the
    // rows charged at a rate above zero (with their sign: a discount row lowers the tax too).
    core::Status sumDocuments(const Source &source, Side &taxed, Side &nonTaxed, Side *reverseTaxed = nullptr,
                              Side *reverseNonTaxed = nullptr);
    core::Status sumTakings(Side &taxed, Side &nonTaxed);
    core::Status findRowsWithoutCode(QStringList &documents);
    QString description(const Bucket &bucket) const;

    storage::Archive &m_archive;
    SettlementPeriod m_period;
    QHash<qint64, VatCode> m_codes;
    QDate m_purchasesFrom, m_purchasesTo, m_salesFrom, m_salesTo;
};

core::Status Calculation::readCodes()
{
    const core::Result<storage::Archive::Rows> codes =
        m_archive.readRows(QStringLiteral("SELECT ID, Descrizione, Pa_Natura_Codice FROM Iva"));
    if (!codes)
        return core::Status::failure(codes.error());
    for (const QVariantList &row : codes->values)
        m_codes.insert(row.at(0).toLongLong(),
                       {row.at(1).toString(), isNonTaxableNature(row.at(2).toString().trimmed())});
    return {};
}

Bucket Calculation::bucketOf(const QVariant &code, double rate) const
{
    const qint64 key = code.isNull() ? 0 : code.toLongLong();
    if (key != 0 && m_codes.contains(key))
        return {key, 0};
    return {0, rate};
}

QString Calculation::description(const Bucket &bucket) const
{
    if (bucket.code != 0)
        return m_codes.value(bucket.code).description;
    const bool whole = bucket.rate == std::floor(bucket.rate);
    return QStringLiteral("Senza codice Iva - aliquota %1%")
        .arg(core::formatItalianNumber(bucket.rate, whole ? 0 : 2));
}

core::Status Calculation::sumDocuments(const Source &source, Side &taxed, Side &nonTaxed, Side *reverseTaxed,
                                       Side *reverseNonTaxed)
{
    const core::Result<storage::Archive::Rows> groups = m_archive.readRows(source.sql, source.parameters);
    if (!groups)
        return core::Status::failure(groups.error());
    for (const QVariantList &group : groups->values) {
        const double rate = number(group.at(1));
        const double taxable = number(group.at(2));
        const bool reverse = group.size() > 3 && group.at(3).toInt() != 0;
        const Bucket bucket = bucketOf(group.at(0), rate);
        // Rows without a code that carry no amount are descriptions, not sales.
        if (bucket.code == 0 && arrotonda(taxable) == 0)
            continue;
        const double tax = rate > 0 ? taxable * rate * 0.01 : 0.0;
        if (isNonTaxable(bucket)) {
            nonTaxed[bucket].add(taxable, 0);
            if (reverse && reverseNonTaxed)
                (*reverseNonTaxed)[bucket].add(taxable, 0);
        } else {
            taxed[bucket].add(taxable, tax);
            if (reverse && reverseTaxed)
                (*reverseTaxed)[bucket].add(taxable, tax);
        }
    }
    return {};
}

core::Status Calculation::sumTakings(Side &taxed, Side &nonTaxed)
{
    // Takings are written with VAT included: each entry is brought back to its net amount first.
    const core::Result<storage::Archive::Rows> entries = m_archive.readRows(
        QStringLiteral("SELECT finanzia.Iva_Id, COALESCE(finanzia.AliquotaIva, Iva.Iva, 0), "
                       "COALESCE(finanzia.Entrata, 0) - COALESCE(finanzia.Uscita, 0) FROM finanzia "
                       "LEFT JOIN Iva ON finanzia.Iva_Id = Iva.ID WHERE finanzia.Corrispettivi = true "
                       "AND finanzia.Data >= ? AND finanzia.Data <= ?"),
        {storage::sqlvalue::date(m_period.firstDay()), storage::sqlvalue::endOfDay(m_period.lastDay())});
    if (!entries)
        return core::Status::failure(entries.error());
    for (const QVariantList &entry : entries->values) {
        const double rate = number(entry.at(1));
        const double gross = number(entry.at(2));
        if (rate < 0)
            continue;
        const Bucket bucket = bucketOf(entry.at(0), rate);
        if (isNonTaxable(bucket)) {
            nonTaxed[bucket].add(gross, 0);
            continue;
        }
        const double net = core::roundDecimals(gross / (1 + rate * 0.01), 4);
        taxed[bucket].add(net, arrotonda(rate * 0.01 * net));
    }
    return {};
}

QString documentName(const QString &kind, const QVariant &number, const QVariant &series,
                     const QVariant &date)
{
    QString name = kind + QStringLiteral(" n. ") + number.toString();
    if (!series.toString().trimmed().isEmpty())
        name += u'/' + series.toString().trimmed();
    const QDate day = storage::sqlvalue::toDate(date);
    if (day.isValid())
        name += QStringLiteral(" del ") + day.toString(QStringLiteral("dd/MM/yyyy"));
    return name;
}

core::Status Calculation::findRowsWithoutCode(QStringList &documents)
{
    const QString withoutCode =
        QStringLiteral("(%1 IS NULL OR NOT EXISTS (SELECT 1 FROM Iva WHERE Iva.ID = %1)) AND "
                       "COALESCE(%2, 0) <> 0");
    struct Kind
    {
        QString name;
        QString rows;
        QString link;
        QString code;
        QString number;
        QString dateField;
        QString condition;
        QDate from, to;
    };
    const QList<Kind> kinds{
        {QStringLiteral("Fattura di acquisto"), QStringLiteral("Movimenti"), QStringLiteral("Fattura_ID"),
         QStringLiteral("Iva_id"), QStringLiteral("NumeroCarico"), QStringLiteral("DataRegistrazione"),
         QStringLiteral("fattura.Carico = true AND fattura.FattNota = false AND "
                        "COALESCE(Movimenti.Scarico, false) = false"),
         m_purchasesFrom, m_purchasesTo},
        {QStringLiteral("Nota di credito del fornitore"), QStringLiteral("NotaCreditoCaricoRighe"),
         QStringLiteral("NotaCredito_ID"), QStringLiteral("Iva_Id"), QStringLiteral("NumeroCarico"),
         QStringLiteral("DataRegistrazione"),
         QStringLiteral("fattura.Carico = true AND fattura.FattNota = true"), m_purchasesFrom, m_purchasesTo},
        {QStringLiteral("Fattura di vendita"), QStringLiteral("fattdett"), QStringLiteral("NumFatt"),
         QStringLiteral("Iva_ID"), QStringLiteral("Num"), QStringLiteral("Data"),
         QStringLiteral("fattura.Carico = false AND fattura.FattNota = false AND "
                        "fattura.ScissionePagamenti = false"),
         m_salesFrom, m_salesTo},
        {QStringLiteral("Nota di credito"), QStringLiteral("NotaCreditoRighe"),
         QStringLiteral("NotaCredito_ID"), QStringLiteral("Iva_Id"), QStringLiteral("Num"),
         QStringLiteral("Data"),
         QStringLiteral("fattura.Carico = false AND fattura.FattNota = true AND "
                        "fattura.ScissionePagamenti = false"),
         m_salesFrom, m_salesTo}};
    for (const Kind &kind : kinds) {
        const QString sql =
            QStringLiteral("SELECT DISTINCT fattura.ID, fattura.%1, fattura.SerieFatturazione, fattura.Data "
                           "FROM %2 INNER JOIN fattura ON %2.%3 = fattura.ID WHERE fattura.%4 >= ? AND "
                           "fattura.%4 <= ? AND %5 AND %6 ORDER BY fattura.Data, fattura.ID")
                .arg(kind.number, kind.rows, kind.link, kind.dateField, kind.condition,
                     withoutCode.arg(kind.rows + u'.' + kind.code,
                                     kind.rows + QStringLiteral(".TotaleImponibile")));
        const core::Result<storage::Archive::Rows> found = m_archive.readRows(
            sql, {storage::sqlvalue::date(kind.from), storage::sqlvalue::endOfDay(kind.to)});
        if (!found)
            return core::Status::failure(found.error());
        for (const QVariantList &row : found->values)
            documents << documentName(kind.name, row.at(1), row.at(2), row.at(3));
    }
    const core::Result<storage::Archive::Rows> takings = m_archive.readRows(
        QStringLiteral("SELECT Data, Operazione FROM finanzia WHERE Corrispettivi = true AND Data >= ? AND "
                       "Data <= ? AND %1 ORDER BY Data, ID")
            .arg(withoutCode.arg(
                QStringLiteral("finanzia.Iva_Id"),
                QStringLiteral("COALESCE(finanzia.Entrata, 0) - COALESCE(finanzia.Uscita, 0)"))),
        {storage::sqlvalue::date(m_period.firstDay()), storage::sqlvalue::endOfDay(m_period.lastDay())});
    if (!takings)
        return core::Status::failure(takings.error());
    for (const QVariantList &row : takings->values)
        documents << QStringLiteral("Corrispettivo del %1 %2")
                         .arg(storage::sqlvalue::toDate(row.at(0)).toString(QStringLiteral("dd/MM/yyyy")),
                              row.at(1).toString().trimmed())
                         .trimmed();
    return {};
}

// The rows of one kind of document of a period, summed per VAT code and rate.
Source documentRows(const QString &rows, const QString &link, const QString &code, const QString &dateField,
                    const QString &condition, const QDate &from, const QDate &to, bool reverseCharge)
{
    // Integration documents and self-invoices of reverse charge (TD16-TD19) are purchases whose
    // tax the firm also owes.
    const QString reverse =
        reverseCharge
            ? QStringLiteral(", CASE WHEN fattura.TipoDocumentoXml IN ('TD16', 'TD17', 'TD18', 'TD19') "
                             "THEN 1 ELSE 0 END AS Integrazione")
            : QString();
    const QString sql =
        QStringLiteral("SELECT %1.%2, COALESCE(%1.AliquotaIva, 0) AS Aliquota, SUM(%1.TotaleImponibile)%3 "
                       "FROM %1 INNER JOIN fattura ON %1.%4 = fattura.ID WHERE fattura.%5 >= ? AND "
                       "fattura.%5 <= ? AND %6 GROUP BY %1.%2, COALESCE(%1.AliquotaIva, 0)%7")
            .arg(rows, code, reverse, link, dateField, condition,
                 reverseCharge ? QStringLiteral(", Integrazione") : QString());
    return {sql, {storage::sqlvalue::date(from), storage::sqlvalue::endOfDay(to)}};
}

// Adds one side's amounts into the rows with the given sign, each amount rounded per kind of
// document as its register shows it.
void addInto(Side &into, const Side &from, double sign)
{
    for (const auto &[bucket, amounts] : from) {
        const Amounts rounded = amounts.rounded();
        Amounts &target = into[bucket];
        target.taxable = arrotonda(target.taxable + sign * rounded.taxable);
        target.tax = arrotonda(target.tax + sign * rounded.tax);
        target.any = true;
    }
}

core::Status Calculation::run(SettlementFigures &figures)
{
    if (core::Status read = readCodes(); !read)
        return read;
    const core::Result<QVariant> special =
        m_archive.scalar(QStringLiteral("SELECT TrimestriSpeciali FROM opzioni ORDER BY ID LIMIT 1"));
    if (!special)
        return core::Status::failure(special.error());
    m_purchasesFrom = m_period.firstDay();
    m_purchasesTo = m_period.lastDay();
    // Special quarters settle the sales of the quarter before.
    const SettlementPeriod sales =
        m_period.kind == SettlementKind::Quarterly && special->toBool() ? m_period.previous() : m_period;
    m_salesFrom = sales.firstDay();
    m_salesTo = sales.lastDay();

    Side purchases, purchasesFree, purchaseNotes, purchaseNotesFree, reverse, reverseFree, sold, soldFree,
        saleNotes, saleNotesFree, takings, takingsFree;
    if (core::Status s =
            sumDocuments(documentRows(QStringLiteral("Movimenti"), QStringLiteral("Fattura_ID"),
                                      QStringLiteral("Iva_id"), QStringLiteral("DataRegistrazione"),
                                      QStringLiteral("fattura.Carico = true AND fattura.FattNota = false AND "
                                                     "COALESCE(Movimenti.Scarico, false) = false"),
                                      m_purchasesFrom, m_purchasesTo, true),
                         purchases, purchasesFree, &reverse, &reverseFree);
        !s)
        return s;
    if (core::Status s = sumDocuments(
            documentRows(QStringLiteral("NotaCreditoCaricoRighe"), QStringLiteral("NotaCredito_ID"),
                         QStringLiteral("Iva_Id"), QStringLiteral("DataRegistrazione"),
                         QStringLiteral("fattura.Carico = true AND fattura.FattNota = true"), m_purchasesFrom,
                         m_purchasesTo, false),
            purchaseNotes, purchaseNotesFree);
        !s)
        return s;
    // Sales under split payment are paid to the State by the customer: they are left out.
    if (core::Status s = sumDocuments(
            documentRows(QStringLiteral("fattdett"), QStringLiteral("NumFatt"), QStringLiteral("Iva_ID"),
                         QStringLiteral("Data"),
                         QStringLiteral("fattura.Carico = false AND fattura.FattNota = false AND "
                                        "fattura.ScissionePagamenti = false"),
                         m_salesFrom, m_salesTo, false),
            sold, soldFree);
        !s)
        return s;
    if (core::Status s =
            sumDocuments(documentRows(QStringLiteral("NotaCreditoRighe"), QStringLiteral("NotaCredito_ID"),
                                      QStringLiteral("Iva_Id"), QStringLiteral("Data"),
                                      QStringLiteral("fattura.Carico = false AND fattura.FattNota = true AND "
                                                     "fattura.ScissionePagamenti = false"),
                                      m_salesFrom, m_salesTo, false),
                         saleNotes, saleNotesFree);
        !s)
        return s;
    if (core::Status s = sumTakings(takings, takingsFree); !s)
        return s;
    if (core::Status s = findRowsWithoutCode(figures.withoutVatCode); !s)
        return s;

    Side purchaseRows, salesRows, takingRows, purchaseFreeRows, salesFreeRows, takingFreeRows;
    addInto(purchaseRows, purchases, 1);
    addInto(purchaseRows, purchaseNotes, -1);
    addInto(salesRows, sold, 1);
    addInto(salesRows, saleNotes, -1);
    addInto(salesRows, reverse, 1);
    addInto(takingRows, takings, 1);
    addInto(purchaseFreeRows, purchasesFree, 1);
    addInto(purchaseFreeRows, purchaseNotesFree, -1);
    addInto(salesFreeRows, soldFree, 1);
    addInto(salesFreeRows, saleNotesFree, -1);
    addInto(salesFreeRows, reverseFree, 1);
    addInto(takingFreeRows, takingsFree, 1);

    const auto lines = [this](const Side &side, bool purchasesSide, bool takingsSide,
                              QList<SettlementLine> &out) {
        for (const auto &[bucket, amounts] : side)
            out.append({bucket.code != 0 ? QVariant(bucket.code) : QVariant(), description(bucket),
                        purchasesSide, takingsSide, amounts.taxable, amounts.tax});
    };
    lines(purchaseRows, true, false, figures.lines);
    lines(salesRows, false, false, figures.lines);
    lines(takingRows, false, true, figures.lines);
    lines(purchaseFreeRows, true, false, figures.nonTaxableLines);
    lines(salesFreeRows, false, false, figures.nonTaxableLines);
    lines(takingFreeRows, false, true, figures.nonTaxableLines);

    for (const SettlementLine &line : std::as_const(figures.lines)) {
        double &taxable = line.takings     ? figures.takingsTaxable
                          : line.purchases ? figures.purchasesTaxable
                                           : figures.salesTaxable;
        double &tax = line.takings     ? figures.takingsTax
                      : line.purchases ? figures.purchasesTax
                                       : figures.salesTax;
        taxable = arrotonda(taxable + line.taxable);
        tax = arrotonda(tax + line.tax);
    }
    for (const SettlementLine &line : std::as_const(figures.nonTaxableLines)) {
        double &taxable = line.takings     ? figures.takingsNonTaxable
                          : line.purchases ? figures.purchasesNonTaxable
                                           : figures.salesNonTaxable;
        taxable = arrotonda(taxable + line.taxable);
    }
    figures.payable = arrotonda(figures.salesTax + figures.takingsTax);
    figures.receivable = arrotonda(figures.purchasesTax);
    return {};
}

core::Status writeLines(storage::Archive &archive, const SettlementTables &tables, qint64 key,
                        const SettlementFigures &figures)
{
    QList<QVariantList> rows;
    for (const SettlementLine &line : figures.lines)
        rows.append(
            {key, line.vatCode, line.description, line.purchases, line.takings, line.taxable, line.tax});
    if (!rows.isEmpty()) {
        if (core::Status written = archive.insertRows(
                tables.rows,
                {tables.ownerField, QStringLiteral("Iva_ID"), QStringLiteral("IvaDescrizione"),
                 QStringLiteral("Carico"), QStringLiteral("Corrispettivi"),
                 QStringLiteral("TotaleImponibile"), QStringLiteral("TotaleIva")},
                rows);
            !written)
            return written;
    }
    rows.clear();
    for (const SettlementLine &line : figures.nonTaxableLines)
        rows.append({key, line.vatCode, line.description, line.purchases, line.takings, line.taxable});
    if (rows.isEmpty())
        return {};
    return archive.insertRows(tables.nonTaxableRows,
                              {tables.ownerField, QStringLiteral("Iva_ID"), QStringLiteral("IvaDescrizione"),
                               QStringLiteral("Carico"), QStringLiteral("Corrispettivi"),
                               QStringLiteral("TotaleImponibile")},
                              rows);
}

QVariantMap headerValues(SettlementKind kind, const SettlementFigures &figures)
{
    const SettlementTables &tables = settlementTables(kind);
    QVariantMap values{{QStringLiteral("Anno"), figures.period.year},
                       {tables.periodField, figures.period.number},
                       {tables.carriedField, figures.carriedCredit},
                       {QStringLiteral("TotaleIvaDebito"), figures.payable},
                       {QStringLiteral("TotaleIvaCredito"), figures.receivable},
                       {QStringLiteral("AcquistiImponibile"), figures.purchasesTaxable},
                       {QStringLiteral("AcquistiImposta"), figures.purchasesTax},
                       {QStringLiteral("VenditaImponibile"), figures.salesTaxable},
                       {QStringLiteral("VenditaImposta"), figures.salesTax},
                       {QStringLiteral("CorrispettiviImponibile"), figures.takingsTaxable},
                       {QStringLiteral("CorrispettiviImposta"), figures.takingsTax},
                       {QStringLiteral("AcquistiImponibileNonSoggetta"), figures.purchasesNonTaxable},
                       {QStringLiteral("VenditaImponibileNonSoggetta"), figures.salesNonTaxable},
                       {QStringLiteral("CorrispettiviImponibileNonSoggetta"), figures.takingsNonTaxable}};
    if (kind == SettlementKind::Monthly)
        values.insert(QStringLiteral("DescrizioneMese"), monthNames.value(figures.period.number - 1));
    return values;
}

core::Result<qint64> insertSettlement(storage::Archive &archive, const SettlementPeriod &period)
{
    const core::Result<double> carried = carriedCredit(archive, period);
    if (!carried)
        return core::Result<qint64>::failure(carried.error());
    const SettlementTables &tables = settlementTables(period.kind);
    QVariantMap values{{QStringLiteral("Anno"), period.year},
                       {tables.periodField, period.number},
                       {tables.carriedField, *carried},
                       {QStringLiteral("TotaleIvaDebito"), 0.0},
                       {QStringLiteral("TotaleIvaCredito"), 0.0}};
    if (period.kind == SettlementKind::Monthly)
        values.insert(QStringLiteral("DescrizioneMese"), monthNames.value(period.number - 1));
    return shell::insertWithDefaults(archive, tables.header, tables.header, {}, values);
}

} // namespace

const SettlementTables &settlementTables(SettlementKind kind)
{
    static const SettlementTables quarterly{QStringLiteral("ContabilitaChiusuraIvaTrimestre"),
                                            QStringLiteral("ContabilitaChiusuraIvaTrimestreRighe"),
                                            QStringLiteral("ContabilitaChiusuraIvaTrimestreRigheNonSoggetta"),
                                            QStringLiteral("ContabilitaChiusuraIvaTrimestre_ID"),
                                            QStringLiteral("Trimestre"),
                                            QStringLiteral("CreditoResiduoTrimestrePassato"),
                                            QStringLiteral("TfrmGrigliaContabilitaChiusuraIva"),
                                            QStringLiteral("TfrmContabilitaChiusuraIva"),
                                            QStringLiteral("Chiusura Iva Trimestrale")};
    static const SettlementTables monthly{QStringLiteral("ContabilitaChiusuraIvaMensile"),
                                          QStringLiteral("ContabilitaChiusuraIvaMensileRighe"),
                                          QStringLiteral("ContabilitaChiusuraIvaMensileRigheNonSoggetta"),
                                          QStringLiteral("ContabilitaChiusuraIvaMensile_ID"),
                                          QStringLiteral("Mese"),
                                          QStringLiteral("CreditoResiduoMesePassato"),
                                          QStringLiteral("TfrmGrigliaContabilitaChiusuraIvaMensile"),
                                          QStringLiteral("TfrmContabilitaChiusuraIvaMensile"),
                                          QStringLiteral("Chiusura Iva Mensile")};
    return kind == SettlementKind::Quarterly ? quarterly : monthly;
}

std::optional<SettlementPeriod> SettlementPeriod::parse(int year, const QString &period)
{
    const QString text = period.trimmed().toUpper();
    if (text.size() < 2 || year < 1900 || year > 9999)
        return std::nullopt;
    SettlementPeriod parsed;
    if (text.front() == u'T')
        parsed.kind = SettlementKind::Quarterly;
    else if (text.front() == u'M')
        parsed.kind = SettlementKind::Monthly;
    else
        return std::nullopt;
    bool ok = false;
    parsed.number = text.mid(1).toInt(&ok);
    if (!ok || parsed.number < 1 || parsed.number > periodsInYear(parsed.kind))
        return std::nullopt;
    parsed.year = year;
    return parsed;
}

SettlementPeriod SettlementPeriod::next() const
{
    if (number >= periodsInYear(kind))
        return {kind, year + 1, 1};
    return {kind, year, number + 1};
}

SettlementPeriod SettlementPeriod::previous() const
{
    if (number <= 1)
        return {kind, year - 1, periodsInYear(kind)};
    return {kind, year, number - 1};
}

QDate SettlementPeriod::firstDay() const
{
    return QDate(year, (number - 1) * monthsInPeriod(kind) + 1, 1);
}

QDate SettlementPeriod::lastDay() const
{
    return firstDay().addMonths(monthsInPeriod(kind)).addDays(-1);
}

QString SettlementPeriod::name() const
{
    if (kind == SettlementKind::Quarterly)
        return QStringLiteral("%1° trimestre %2").arg(number).arg(year);
    return QStringLiteral("%1 %2").arg(monthNames.value(number - 1)).arg(year);
}

std::optional<QString> settlementPeriodProblem(SettlementKind kind, const QVariant &year,
                                               const QVariant &number)
{
    bool ok = false;
    const int readYear = year.toInt(&ok);
    if (!ok || readYear < 1900 || readYear > 9999)
        return QStringLiteral("Attenzione E' necessario definire correttamente l'anno di calcolo...");
    const int readNumber = number.toInt(&ok);
    if (!ok || readNumber < 1 || readNumber > periodsInYear(kind))
        return kind == SettlementKind::Quarterly
                   ? QStringLiteral("Attenzione E' necessario definire il trimestre di calcolo...")
                   : QStringLiteral("Attenzione E' necessario definire il mese di calcolo...");
    return std::nullopt;
}

core::Result<double> carriedCredit(storage::Archive &archive, const SettlementPeriod &period)
{
    const SettlementTables &tables = settlementTables(period.kind);
    const SettlementPeriod previous = period.previous();
    const core::Result<storage::Archive::Rows> found = archive.readRows(
        QStringLiteral("SELECT %2, TotaleIvaDebito, TotaleIvaCredito FROM %1 WHERE Anno = ? AND %3 = ? "
                       "ORDER BY id LIMIT 1")
            .arg(tables.header, tables.carriedField, tables.periodField),
        {previous.year, previous.number});
    if (!found)
        return core::Result<double>::failure(found.error());
    if (found->values.isEmpty())
        return 0.0;
    const QVariantList &row = found->values.first();
    const double credit = number(row.at(2)) + number(row.at(0)) - number(row.at(1));
    return credit >= 0 ? arrotonda(credit) : 0.0;
}

core::Result<std::optional<qint64>> otherSettlementOf(storage::Archive &archive,
                                                      const SettlementPeriod &period, qint64 except)
{
    const SettlementTables &tables = settlementTables(period.kind);
    const core::Result<QVariant> found = archive.scalar(
        QStringLiteral("SELECT id FROM %1 WHERE Anno = ? AND %2 = ? AND id <> ? ORDER BY id LIMIT 1")
            .arg(tables.header, tables.periodField),
        {period.year, period.number, except});
    if (!found)
        return core::Result<std::optional<qint64>>::failure(found.error());
    if (!found->isValid() || found->isNull())
        return std::optional<qint64>();
    return std::optional<qint64>(found->toLongLong());
}

core::Result<qint64> addNextSettlement(storage::Archive &archive, SettlementKind kind, const QDate &today)
{
    using R = core::Result<qint64>;
    const SettlementTables &tables = settlementTables(kind);
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(tables.header); !locked)
        return R::failure(locked.error());
    const core::Result<storage::Archive::Rows> last =
        archive.readRows(QStringLiteral("SELECT Anno, %2 FROM %1 WHERE Anno IS NOT NULL AND %2 IS NOT NULL "
                                        "ORDER BY Anno DESC, %2 DESC LIMIT 1")
                             .arg(tables.header, tables.periodField));
    if (!last)
        return R::failure(last.error());
    SettlementPeriod period{kind, today.year(), (today.month() - 1) / monthsInPeriod(kind) + 1};
    if (!last->values.isEmpty()) {
        const QVariantList &row = last->values.first();
        period =
            SettlementPeriod{kind, row.at(0).toInt(), std::clamp(row.at(1).toInt(), 1, periodsInYear(kind))}
                .next();
    }
    const R added = insertSettlement(archive, period);
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Result<qint64> settlementOf(storage::Archive &archive, const SettlementPeriod &period)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(settlementTables(period.kind).header); !locked)
        return R::failure(locked.error());
    const core::Result<std::optional<qint64>> existing = otherSettlementOf(archive, period);
    if (!existing)
        return R::failure(existing.error());
    if (*existing)
        return **existing;
    const R added = insertSettlement(archive, period);
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Result<SettlementFigures> calculateSettlement(storage::Archive &archive, SettlementKind kind,
                                                    qint64 key, int year, int number)
{
    using R = core::Result<SettlementFigures>;
    if (const std::optional<QString> problem = settlementPeriodProblem(kind, year, number))
        return R::failure(*problem);
    const SettlementTables &tables = settlementTables(kind);
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    SettlementFigures figures;
    figures.key = key;
    figures.period = {kind, year, number};
    const core::Result<std::optional<qint64>> other = otherSettlementOf(archive, figures.period, key);
    if (!other)
        return R::failure(other.error());
    if (*other)
        return R::failure(
            QStringLiteral("Attenzione esiste già la chiusura Iva di %1.").arg(figures.period.name()));
    const core::Result<double> carried = carriedCredit(archive, figures.period);
    if (!carried)
        return R::failure(carried.error());
    figures.carriedCredit = *carried;
    for (const QString &table : {tables.rows, tables.nonTaxableRows})
        if (const core::Result<int> removed = archive.execute(
                QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, tables.ownerField), {key});
            !removed)
            return R::failure(removed.error());
    Calculation calculation(archive, kind, year, number);
    if (core::Status calculated = calculation.run(figures); !calculated)
        return R::failure(calculated.error());
    if (core::Status written = writeLines(archive, tables, key, figures); !written)
        return R::failure(written.error());
    if (core::Status updated = archive.update(tables.header, key, headerValues(kind, figures)); !updated)
        return R::failure(updated.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return figures;
}

core::Result<SettlementFigures> readSettlement(storage::Archive &archive, SettlementKind kind, qint64 key)
{
    using R = core::Result<SettlementFigures>;
    const SettlementTables &tables = settlementTables(kind);
    const core::Result<QVariantMap> header = archive.readRow(tables.header, key);
    if (!header)
        return R::failure(header.error());
    SettlementFigures figures;
    figures.key = key;
    figures.period = {kind, header->value(QStringLiteral("Anno")).toInt(),
                      header->value(tables.periodField).toInt()};
    const auto value = [&header](const char *field) {
        return number(header->value(QLatin1String(field)));
    };
    figures.carriedCredit = number(header->value(tables.carriedField));
    figures.payable = value("TotaleIvaDebito");
    figures.receivable = value("TotaleIvaCredito");
    figures.purchasesTaxable = value("AcquistiImponibile");
    figures.purchasesTax = value("AcquistiImposta");
    figures.salesTaxable = value("VenditaImponibile");
    figures.salesTax = value("VenditaImposta");
    figures.takingsTaxable = value("CorrispettiviImponibile");
    figures.takingsTax = value("CorrispettiviImposta");
    figures.purchasesNonTaxable = value("AcquistiImponibileNonSoggetta");
    figures.salesNonTaxable = value("VenditaImponibileNonSoggetta");
    figures.takingsNonTaxable = value("CorrispettiviImponibileNonSoggetta");
    for (const bool nonTaxable : {false, true}) {
        const core::Result<storage::Archive::Rows> rows = archive.readRows(
            QStringLiteral("SELECT Iva_ID, IvaDescrizione, Carico, Corrispettivi, TotaleImponibile%3 FROM %1 "
                           "WHERE %2 = ? ORDER BY Carico DESC, Corrispettivi, ID")
                .arg(nonTaxable ? tables.nonTaxableRows : tables.rows, tables.ownerField,
                     nonTaxable ? QString() : QStringLiteral(", TotaleIva")),
            {key});
        if (!rows)
            return R::failure(rows.error());
        for (const QVariantList &row : rows->values)
            (nonTaxable ? figures.nonTaxableLines : figures.lines)
                .append({row.at(0), row.at(1).toString(), row.at(2).toBool(), row.at(3).toBool(),
                         number(row.at(4)), nonTaxable ? 0.0 : number(row.at(5))});
    }
    return figures;
}

core::Status deleteSettlement(storage::Archive &archive, SettlementKind kind, qint64 key)
{
    const SettlementTables &tables = settlementTables(kind);
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    for (const QString &table : {tables.rows, tables.nonTaxableRows})
        if (const core::Result<int> removed = archive.execute(
                QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, tables.ownerField), {key});
            !removed)
            return core::Status::failure(removed.error());
    if (core::Status removed = archive.remove(tables.header, key); !removed)
        return removed;
    return transaction.commit();
}

QString settlementText(const SettlementFigures &figures)
{
    const auto amount = [](double value) {
        return core::formatItalianNumber(value, 2).rightJustified(14);
    };
    QStringList lines;
    lines << QStringLiteral("Chiusura Iva %1").arg(figures.period.name());
    lines << QStringLiteral("Iva a debito         %1").arg(amount(figures.payable));
    lines << QStringLiteral("Iva a credito        %1").arg(amount(figures.receivable));
    lines << QStringLiteral("Credito precedente   %1").arg(amount(figures.carriedCredit));
    const double balance = arrotonda(figures.payable - figures.receivable - figures.carriedCredit);
    lines << (balance >= 0 ? QStringLiteral("Iva da versare       %1").arg(amount(balance))
                           : QStringLiteral("Credito da riportare %1").arg(amount(-balance)));
    const auto side = [](const SettlementLine &line) {
        return line.takings     ? QStringLiteral("Corrispettivi")
               : line.purchases ? QStringLiteral("Acquisti")
                                : QStringLiteral("Vendite");
    };
    for (const SettlementLine &line : figures.lines)
        lines << QStringLiteral("%1\t%2\timponibile %3\timposta %4")
                     .arg(side(line), line.description, core::formatItalianNumber(line.taxable, 2),
                          core::formatItalianNumber(line.tax, 2));
    for (const SettlementLine &line : figures.nonTaxableLines)
        lines << QStringLiteral("%1 non soggetti\t%2\timponibile %3")
                     .arg(side(line), line.description, core::formatItalianNumber(line.taxable, 2));
    if (const QString missing = withoutVatCodeMessage(figures); !missing.isEmpty())
        lines << missing;
    return lines.join(u'\n');
}

QString withoutVatCodeMessage(const SettlementFigures &figures)
{
    if (figures.withoutVatCode.isEmpty())
        return {};
    return QStringLiteral("Attenzione: righe senza un codice Iva valido, raggruppate per aliquota, in:\n") +
           figures.withoutVatCode.join(u'\n');
}

} // namespace rotalina::purchases
