#include "invoicingfixture.h"

#include "invoicing/instalments.h"
#include "invoicing/invoices.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

namespace rotalina::test {

InvoicingArchive::InvoicingArchive() : m_archive(newArchive()) {}

void InvoicingArchive::setOption(const char *field, const QVariant &value)
{
    const auto changed =
        m_archive->execute(QStringLiteral("UPDATE opzioni SET %1 = ?").arg(QLatin1String(field)), {value});
    ASSERT_TRUE(changed) << changed.error().toStdString();
}

void InvoicingArchive::setCompany(const char *field, const QVariant &value)
{
    const auto changed =
        m_archive->execute(QStringLiteral("UPDATE ditta SET %1 = ?").arg(QLatin1String(field)), {value});
    ASSERT_TRUE(changed) << changed.error().toStdString();
}

qint64 InvoicingArchive::paymentMode(int instalments, std::initializer_list<int> days,
                                     const QVariantMap &more)
{
    QVariantMap values{{QStringLiteral("Descrizione"), QStringLiteral("Modo %1").arg(instalments)},
                       {QStringLiteral("NumeroScadenze"), instalments},
                       {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")}};
    int n = 1;
    for (const int day : days)
        values.insert(QStringLiteral("GG%1Scadenza").arg(n++), day);
    values.insert(more);
    return addRow(*m_archive, QStringLiteral("ModPagamento"), values);
}

qint64 InvoicingArchive::customer(const QString &name, const QVariantMap &more)
{
    QVariantMap values{{QStringLiteral("NominativoVisualizzato"), name},
                       {QStringLiteral("NominativoDocumenti"), name},
                       {QStringLiteral("Annullato"), false}};
    values.insert(more);
    return addRow(*m_archive, QStringLiteral("Clienti"), values);
}

void InvoicingArchive::setElectronicInvoicingCompany()
{
    for (const auto &[field, value] : std::initializer_list<std::pair<const char *, QVariant>>{
             {"IdPaese", QStringLiteral("IT")},
             {"PIva", QStringLiteral("12345670017")},
             {"CodFisc", QStringLiteral("12345670017")},
             {"RagSoc", QStringLiteral("Trasporti Rossi S.r.l.")},
             {"Via", QStringLiteral("Via Roma")},
             {"Numero", QStringLiteral("1")},
             {"Cap", QStringLiteral("20100")},
             {"Comune", QStringLiteral("Milano")},
             {"Provincia", QStringLiteral("MI")},
             {"RegimeFiscale", QStringLiteral("RF01")},
             {"Tel", QStringLiteral("02 1234567")},
             {"Email", QStringLiteral("ufficio@rossi.it")}})
        setCompany(field, value);
}

qint64 InvoicingArchive::electronicInvoicingCustomer(const QVariantMap &more)
{
    QVariantMap values{{QStringLiteral("Cliente"), QStringLiteral("Alfa S.p.A.")},
                       {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                       {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                       {QStringLiteral("Codice"), QStringLiteral("abc1234")},
                       {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                       {QStringLiteral("Cap"), QStringLiteral("10100")},
                       {QStringLiteral("Citta"), QStringLiteral("Torino")},
                       {QStringLiteral("Provincia"), QStringLiteral("TO")}};
    values.insert(more);
    return customer(QStringLiteral("Alfa"), values);
}

qint64 InvoicingArchive::invoice(qint64 customer, qint64 mode, const QDate &date)
{
    invoicing::NewInvoice request;
    request.today = date;
    const auto key = invoicing::createInvoice(*m_archive, request);
    EXPECT_TRUE(key) << key.error().toStdString();
    if (!key)
        return 0;
    const auto written = m_archive->update(QStringLiteral("fattura"), *key,
                                           {{QStringLiteral("Cliente_ID"), customer},
                                            {QStringLiteral("ModPagamento_Id"), mode},
                                            {QStringLiteral("Data"), date}});
    EXPECT_TRUE(written) << written.error().toStdString();
    const auto dates = invoicing::generateDueDates(*m_archive, *key, invoicing::DueDateMode::NewDates);
    EXPECT_TRUE(dates) << dates.error().toStdString();
    return *key;
}

qint64 InvoicingArchive::row(qint64 invoice, double quantity, double unitValue, double vatRate,
                             double discount)
{
    const qint64 key = addRow(*m_archive, QStringLiteral("fattdett"),
                              {{QStringLiteral("NumFatt"), invoice},
                               {QStringLiteral("Descrizione"), QStringLiteral("Trasporto")},
                               {QStringLiteral("Um"), quantity},
                               {QStringLiteral("ValoreUnitario"), unitValue},
                               {QStringLiteral("AliquotaIva"), vatRate},
                               {QStringLiteral("Sconto"), discount}});
    const auto totals = invoicing::recomputeTotals(*m_archive, invoice);
    EXPECT_TRUE(totals) << totals.error().toStdString();
    return key;
}

QVariant InvoicingArchive::value(const QString &table, const char *field, qint64 key)
{
    const auto row = m_archive->readRow(table, key);
    EXPECT_TRUE(row) << row.error().toStdString();
    return row ? row->value(QLatin1String(field)) : QVariant();
}

} // namespace rotalina::test
