#include "archive/syntheticarchive.h"

#include "core/money.h"
#include "storage/archive.h"

#include <QStringList>
#include <QVariantList>
#include <random>

namespace rotalina::bench {

namespace {

using storage::Archive;

// Rows of one table gathered and written a few thousand at a time.
class Batch
{
public:
    Batch(Archive &archive, QString table, QStringList fields, QMap<QString, qint64> &counts)
        : m_archive(archive), m_table(std::move(table)), m_fields(std::move(fields)), m_counts(counts)
    {}

    core::Status add(QVariantList row)
    {
        m_rows.append(std::move(row));
        return m_rows.size() >= 4000 ? flush() : core::Status();
    }

    core::Status flush()
    {
        if (m_rows.isEmpty())
            return {};
        core::Status written = m_archive.insertRows(m_table, m_fields, m_rows);
        m_counts[m_table] += m_rows.size();
        m_rows.clear();
        return written;
    }

private:
    Archive &m_archive;
    QString m_table;
    QStringList m_fields;
    QMap<QString, qint64> &m_counts;
    QList<QVariantList> m_rows;
};

#define TRY(expression)                                                                                      \
    do {                                                                                                     \
        if (core::Status status_ = (expression); !status_)                                                   \
            return Failure::failure(status_.error());                                                        \
    } while (false)

using Failure = core::Result<QMap<QString, qint64>>;

const QStringList towns = {QStringLiteral("Parma"),         QStringLiteral("Modena"),
                           QStringLiteral("Reggio Emilia"), QStringLiteral("Milano"),
                           QStringLiteral("Verona"),        QStringLiteral("Città di Castello"),
                           QStringLiteral("Bologna"),       QStringLiteral("Piacenza")};

const QStringList routes = {
    QStringLiteral("Trasporto Parma - Milano"), QStringLiteral("Trasporto Modena - Verona"),
    QStringLiteral("Groupage Emilia"),          QStringLiteral("Consegna urgente"),
    QStringLiteral("Sosta e scarico"),          QStringLiteral("Trasporto bancali")};

} // namespace

core::Result<QMap<QString, qint64>> fillSyntheticArchive(storage::Archive &archive,
                                                         const SyntheticArchiveSize &size)
{
    QMap<QString, qint64> counts;
    std::mt19937 random(20240101);
    const auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto scaled = [&](int perYear) {
        return std::max(1, static_cast<int>(perYear * size.scale));
    };

    const int customers = scaled(2000);
    const int suppliers = scaled(300);
    const int firstYear = size.today.year() - size.years + 1;
    const QDate yearStart(size.today.year(), 1, 1);

    {
        storage::Transaction transaction(archive);
        Batch clients(archive, QStringLiteral("Clienti"),
                      {QStringLiteral("Id"), QStringLiteral("Cliente"),
                       QStringLiteral("NominativoVisualizzato"), QStringLiteral("NominativoDocumenti"),
                       QStringLiteral("Citta"), QStringLiteral("Iva"), QStringLiteral("Annullato")},
                      counts);
        for (int c = 1; c <= customers; ++c) {
            const QString name = QStringLiteral("Cliente %1 S.r.l.").arg(c, 5, 10, QChar(u'0'));
            TRY(clients.add({c, name, name, name, towns.at(c % towns.size()),
                             QStringLiteral("%1").arg(10000000000LL + c * 37, 11, 10, QChar(u'0')),
                             c % 50 == 0}));
        }
        TRY(clients.flush());
        Batch vendors(archive, QStringLiteral("Fornitor"),
                      {QStringLiteral("Id"), QStringLiteral("Fornitore"), QStringLiteral("Annullato")},
                      counts);
        for (int s = 1; s <= suppliers; ++s)
            TRY(vendors.add({s, QStringLiteral("Fornitore %1").arg(s), false}));
        TRY(vendors.flush());
        TRY(transaction.commit());
    }

    qint64 invoiceId = 0, rowId = 0, instalmentId = 0, jobId = 0, jobRowId = 0, cashId = 0;
    qint64 calendarId = 0, deliveryNoteId = 0, quoteId = 0, loadingListId = 0;

    for (int year = firstYear; year <= size.today.year(); ++year) {
        const bool history = year < size.today.year();
        const QDate last = history ? QDate(year, 12, 31) : size.today;
        const int days = static_cast<int>(QDate(year, 1, 1).daysTo(last));
        const auto dayOfYear = [&]() {
            return QDate(year, 1, 1).addDays(between(0, days));
        };

        storage::Transaction transaction(archive);
        Batch invoices(archive, QStringLiteral("fattura"),
                       {QStringLiteral("ID"), QStringLiteral("Carico"), QStringLiteral("FattNota"),
                        QStringLiteral("Num"), QStringLiteral("Data"), QStringLiteral("DataRegistrazione"),
                        QStringLiteral("NumeroCarico"), QStringLiteral("ProgressivoCarico"),
                        QStringLiteral("Cliente_ID"), QStringLiteral("Cliente"),
                        QStringLiteral("Fornitore_ID"), QStringLiteral("Fornitore"),
                        QStringLiteral("TotImponibile"), QStringLiteral("TotImposta"),
                        QStringLiteral("TotFattura"), QStringLiteral("Storico")},
                       counts);
        Batch invoiceRows(archive, QStringLiteral("fattdett"),
                          {QStringLiteral("IDX"), QStringLiteral("NumFatt"), QStringLiteral("NumeroRiga"),
                           QStringLiteral("Descrizione"), QStringLiteral("Um"),
                           QStringLiteral("ValoreUnitario"), QStringLiteral("AliquotaIva"),
                           QStringLiteral("TotaleImponibile"), QStringLiteral("ValoreTotale"),
                           QStringLiteral("TipoRiga"), QStringLiteral("Storico")},
                          counts);
        Batch instalments(archive, QStringLiteral("FatturaScadenze"),
                          {QStringLiteral("Id"), QStringLiteral("Fattura_ID"), QStringLiteral("Numero"),
                           QStringLiteral("DataScadenza"), QStringLiteral("Importo"), QStringLiteral("Tipo"),
                           QStringLiteral("Cliente_id"), QStringLiteral("Fornitore_id"),
                           QStringLiteral("Operazione"), QStringLiteral("Pagato"),
                           QStringLiteral("DataPagamento")},
                          counts);
        Batch cash(archive, QStringLiteral("finanzia"),
                   {QStringLiteral("ID"), QStringLiteral("Data"), QStringLiteral("Operazione"),
                    QStringLiteral("Entrata"), QStringLiteral("Uscita"), QStringLiteral("Cliente_id"),
                    QStringLiteral("Fornitore_id"), QStringLiteral("Fattura_ID"),
                    QStringLiteral("Tipologia_ID"), QStringLiteral("Storico")},
                   counts);

        // Customer invoices, credit notes and purchase invoices with their rows and due dates.
        const int customerInvoices = scaled(6000);
        const int creditNotes = scaled(200);
        const int purchases = scaled(1800);
        for (int n = 1; n <= customerInvoices + creditNotes + purchases; ++n) {
            const bool purchase = n > customerInvoices + creditNotes;
            const bool credit = !purchase && n > customerInvoices;
            const QDate date = dayOfYear();
            // A purchase dated late in December may be registered in January.
            const QDate registered = purchase ? date.addDays(between(0, 20)) : QDate();
            const int customer = between(1, customers);
            const int supplier = between(1, suppliers);
            const qint64 id = ++invoiceId;
            const int rows = purchase ? 0 : between(8, 14);
            double net = 0;
            for (int r = 1; r <= rows; ++r) {
                const double quantity = between(1, 20);
                const double unit = between(500, 25000) / 100.0;
                const double rowNet = core::calcolaImponibile(true, quantity, unit);
                net += rowNet;
                TRY(invoiceRows.add({++rowId, id, r, routes.at(r % routes.size()), quantity, unit, 22.0,
                                     rowNet, core::calcolaPrezzoFinale(true, quantity, unit, 22.0),
                                     QStringLiteral("N"), history}));
            }
            if (purchase)
                net = between(10000, 500000) / 100.0;
            net = core::arrotonda(net);
            const double vat = core::arrotonda(net * 0.22);
            const double total = core::arrotonda(net + vat);
            const bool inHistory = purchase ? registered < yearStart : history;
            TRY(invoices.add(
                {id, purchase, credit, purchase ? QVariant() : QVariant(n), date,
                 purchase ? QVariant(registered) : QVariant(),
                 purchase ? QVariant(QStringLiteral("F%1/%2").arg(n).arg(year)) : QVariant(),
                 purchase ? QVariant(n - customerInvoices - creditNotes) : QVariant(),
                 purchase ? QVariant() : QVariant(customer),
                 purchase ? QVariant()
                          : QVariant(QStringLiteral("Cliente %1 S.r.l.").arg(customer, 5, 10, QChar(u'0'))),
                 purchase ? QVariant(supplier) : QVariant(),
                 purchase ? QVariant(QStringLiteral("Fornitore %1").arg(supplier)) : QVariant(), net, vat,
                 total, inHistory}));
            for (int i = 1; i <= 2; ++i) {
                const QDate due = date.addDays(30 * i);
                const bool paid = due.addDays(15) < size.today && between(0, 30) > 0;
                const QDate payment = paid ? due.addDays(between(-5, 15)) : QDate();
                const double amount = core::arrotonda(total / 2);
                const QString kind = purchase ? QStringLiteral("C")
                                     : credit ? QStringLiteral("N")
                                              : QStringLiteral("F");
                TRY(instalments.add({++instalmentId, id, i, due, amount, kind,
                                     purchase ? QVariant(0) : QVariant(customer),
                                     purchase ? QVariant(supplier) : QVariant(0),
                                     QStringLiteral("Rata %1 documento %2").arg(i).arg(n), paid,
                                     paid ? QVariant(payment) : QVariant()}));
                if (paid)
                    TRY(cash.add({++cashId, payment, QStringLiteral("Pagamento rata %1").arg(i),
                                  purchase ? 0.0 : amount, purchase ? amount : 0.0,
                                  purchase ? QVariant(0) : QVariant(customer),
                                  purchase ? QVariant(supplier) : QVariant(0), id, between(1, 2),
                                  payment < yearStart}));
            }
        }
        // Cash-book entries outside documents.
        for (int n = 0; n < scaled(500); ++n)
            TRY(cash.add({++cashId, dayOfYear(), QStringLiteral("Spese varie"), 0.0,
                          between(100, 50000) / 100.0, QVariant(0), QVariant(0), QVariant(0), 1, history}));
        TRY(invoices.flush());
        TRY(invoiceRows.flush());
        TRY(instalments.flush());
        TRY(cash.flush());

        // Job orders with their rows.
        Batch jobs(archive, QStringLiteral("TotaliCo"),
                   {QStringLiteral("ID"), QStringLiteral("Numero"), QStringLiteral("Data"),
                    QStringLiteral("Cliente_Id"), QStringLiteral("Cliente"), QStringLiteral("Targa1"),
                    QStringLiteral("TotImponibile"), QStringLiteral("Fatturato"), QStringLiteral("Chiusa"),
                    QStringLiteral("Annullato"), QStringLiteral("Storico")},
                   counts);
        Batch jobRows(archive, QStringLiteral("Conti"),
                      {QStringLiteral("IDX"), QStringLiteral("Testata_ID"), QStringLiteral("NumeroRiga"),
                       QStringLiteral("Data"), QStringLiteral("Descrizione"), QStringLiteral("Um"),
                       QStringLiteral("ValoreUnitario"), QStringLiteral("TotaleImponibile"),
                       QStringLiteral("TipoRiga"), QStringLiteral("Storico")},
                      counts);
        for (int n = 1; n <= scaled(6000); ++n) {
            const QDate date = dayOfYear();
            const int customer = between(1, customers);
            const qint64 id = ++jobId;
            double net = 0;
            const int rows = between(8, 14);
            for (int r = 1; r <= rows; ++r) {
                const double quantity = between(1, 10);
                const double unit = between(1000, 40000) / 100.0;
                const double rowNet = core::calcolaImponibile(true, quantity, unit);
                net += rowNet;
                TRY(jobRows.add({++jobRowId, id, r, date, routes.at((n + r) % routes.size()), quantity, unit,
                                 rowNet, QStringLiteral("N"), history}));
            }
            TRY(jobs.add({id, n, date, customer,
                          QStringLiteral("Cliente %1 S.r.l.").arg(customer, 5, 10, QChar(u'0')),
                          QStringLiteral("AB%1CD").arg(between(100, 999)), core::arrotonda(net),
                          history || between(0, 3) > 0, history, false, history}));
        }
        TRY(jobs.flush());
        TRY(jobRows.flush());

        // Transport documents, quotes, loading lists and the staff calendar.
        Batch notes(archive, QStringLiteral("Ddt"),
                    {QStringLiteral("Id"), QStringLiteral("Numero"), QStringLiteral("Data"),
                     QStringLiteral("Cliente_ID"), QStringLiteral("Natura"), QStringLiteral("Storico")},
                    counts);
        for (int n = 1; n <= scaled(3000); ++n)
            TRY(notes.add({++deliveryNoteId, n, dayOfYear(), between(1, customers), QStringLiteral("Bancali"),
                           history}));
        Batch quotes(archive, QStringLiteral("PreventiTestata"),
                     {QStringLiteral("ID"), QStringLiteral("Numero"), QStringLiteral("Data"),
                      QStringLiteral("Cliente_ID"), QStringLiteral("TotalePreventivo"),
                      QStringLiteral("Chiuso"), QStringLiteral("Storico")},
                     counts);
        for (int n = 1; n <= scaled(1000); ++n)
            TRY(quotes.add({++quoteId, n, dayOfYear(), between(1, customers), between(10000, 900000) / 100.0,
                            history, history}));
        Batch lists(archive, QStringLiteral("DistinteCaricoTestata"),
                    {QStringLiteral("ID"), QStringLiteral("Numero"), QStringLiteral("Data"),
                     QStringLiteral("Cliente_Id"), QStringLiteral("Chiusa"), QStringLiteral("Storico")},
                    counts);
        for (int n = 1; n <= scaled(2000); ++n)
            TRY(lists.add({++loadingListId, n, dayOfYear(), between(1, customers), history, history}));
        Batch calendar(archive, QStringLiteral("Calendario"),
                       {QStringLiteral("Id"), QStringLiteral("Data"), QStringLiteral("DataAvviso"),
                        QStringLiteral("Conclusa"), QStringLiteral("Personale"), QStringLiteral("Cliente"),
                        QStringLiteral("Note"), QStringLiteral("Storico")},
                       counts);
        for (int n = 1; n <= scaled(6000); ++n) {
            const QDate date = dayOfYear();
            const bool concluded = history ? between(0, 50) > 0 : date < size.today;
            TRY(calendar.add(
                {++calendarId, date, date.addDays(-2), concluded, QStringLiteral("Autista %1").arg(n % 40),
                 QStringLiteral("Cliente %1 S.r.l.").arg(between(1, customers), 5, 10, QChar(u'0')),
                 QStringLiteral("Consegna"), history && concluded}));
        }
        TRY(notes.flush());
        TRY(quotes.flush());
        TRY(lists.flush());
        TRY(calendar.flush());
        TRY(transaction.commit());
    }

    for (const QString &table : counts.keys())
        TRY(archive.continueKeysAfterHighest(table));
    return counts;
}

} // namespace rotalina::bench
