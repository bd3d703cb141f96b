#include "core/datetext.h"
#include "invoicing/documentlists.h"
#include "invoicing/einvoice.h"
#include "invoicing/invoicedocument.h"
#include "invoicingfixture.h"
#include "shell/historyselection.h"
#include "storage/archive.h"
#include "support/testarchive.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::invoicing;

namespace {

class DocumentLists : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mode = data.paymentMode(0);
        alfa = data.customer(QStringLiteral("Alfa S.r.l."));
        beta = data.customer(QStringLiteral("Beta S.p.A."));
    }

    storage::Archive &archive() { return data.archive(); }

    qint64 invoice(qint64 customer, const QDateTime &at, int number, const QVariantMap &more = {})
    {
        const qint64 key = data.invoice(customer, mode, at.date());
        QVariantMap values = more;
        values.insert(QStringLiteral("Data"), at);
        values.insert(QStringLiteral("Num"), number);
        const core::Status written = archive().update(QStringLiteral("fattura"), key, values);
        EXPECT_TRUE(written) << written.error().toStdString();
        return key;
    }

    // The keys the list shows, in its order, or the message refusing what was typed.
    QList<qint64> listed(CustomerDocument document, const shell::ListScope &scope,
                         const InvoiceListFilter &typed, QString *refused = nullptr)
    {
        storage::ListFilter filter(archive().dialect());
        if (core::Status added = addInvoiceListConditions(filter, typed); !added) {
            if (refused)
                *refused = added.error();
            return {};
        }
        return keysOf(documentListStatement(document, scope, filter));
    }

    QList<qint64> keysOf(const DocumentListStatement &statement)
    {
        const core::Result<storage::Archive::Rows> rows =
            archive().readRows(statement.sql, statement.parameters);
        EXPECT_TRUE(rows) << rows.error().toStdString();
        QList<qint64> keys;
        if (rows) {
            for (const QVariantList &row : rows->values)
                keys.append(row.value(0).toLongLong()); // the lists read the key first
        }
        return keys;
    }

    QList<qint64> open(const InvoiceListFilter &typed, QString *refused = nullptr)
    {
        return listed(CustomerDocument::Invoice, shell::openDocumentsScope(), typed, refused);
    }

    test::InvoicingArchive data;
    qint64 mode = 0;
    qint64 alfa = 0;
    qint64 beta = 0;
};

TEST_F(DocumentLists, DatesAreReadDayFirstAndTheLastDayCountsWhole)
{
    const qint64 march = invoice(alfa, QDateTime(QDate(2024, 3, 4), QTime(0, 0)), 1);
    const qint64 april = invoice(alfa, QDateTime(QDate(2024, 4, 3), QTime(15, 30)), 2);
    const qint64 may = invoice(beta, QDateTime(QDate(2024, 5, 2), QTime(9, 0)), 3);

    InvoiceListFilter typed;
    typed.fromDate = QStringLiteral("03/04/2024");
    EXPECT_EQ(open(typed), (QList<qint64>{april, may})) << "03/04/2024 is the third of April";
    typed.toDate = QStringLiteral("03/04/2024");
    EXPECT_EQ(open(typed), QList<qint64>{april}) << "an invoice of the afternoon of the last day is in";
    typed = {};
    typed.toDate = QStringLiteral("4/3/24");
    EXPECT_EQ(open(typed), QList<qint64>{march});

    QString refused;
    typed.toDate = QStringLiteral("31/02/2024");
    EXPECT_TRUE(open(typed, &refused).isEmpty());
    EXPECT_TRUE(refused.contains(QStringLiteral("alla Data"))) << refused.toStdString();
}

TEST_F(DocumentLists, NumbersSeriesAndKeysNarrowTheListWithBoundValues)
{
    const qint64 first = invoice(alfa, QDateTime(QDate(2024, 1, 10), QTime(0, 0)), 1,
                                 {{QStringLiteral("SerieFatturazione"), QStringLiteral("Dell'Ufficio")}});
    const qint64 second = invoice(beta, QDateTime(QDate(2024, 1, 11), QTime(0, 0)), 2);
    const qint64 bank = test::addRow(archive(), QStringLiteral("Bank"),
                                     {{QStringLiteral("Banca"), QStringLiteral("Banca Uno")}});
    const qint64 third =
        invoice(alfa, QDateTime(QDate(2024, 1, 12), QTime(0, 0)), 3, {{QStringLiteral("Banca_ID"), bank}});

    InvoiceListFilter typed;
    typed.fromNumber = QStringLiteral("2");
    typed.toNumber = QStringLiteral(" 3 ");
    EXPECT_EQ(open(typed), (QList<qint64>{second, third}));
    typed.toNumber = QStringLiteral("*");
    EXPECT_EQ(open(typed), (QList<qint64>{second, third})) << "a lone * asks nothing";

    QString refused;
    typed.fromNumber = QStringLiteral("due");
    EXPECT_TRUE(open(typed, &refused).isEmpty());
    EXPECT_EQ(refused, QStringLiteral("Attenzione \"Dal numero\" deve essere un numero: \"due\" non lo è"));

    typed = {};
    typed.series = QStringLiteral("Dell'Ufficio");
    EXPECT_EQ(open(typed), QList<qint64>{first});
    typed = {};
    typed.customer = alfa;
    EXPECT_EQ(open(typed), (QList<qint64>{first, third}));
    typed.bank = bank;
    EXPECT_EQ(open(typed), QList<qint64>{third});
    typed = {};
    typed.paymentMode = mode;
    typed.customer = beta;
    EXPECT_EQ(open(typed), QList<qint64>{second});
}

TEST_F(DocumentLists, AnOrderNumberFindsItsInvoicesAndNothingWhenNoOrderHasIt)
{
    const qint64 first = invoice(alfa, QDateTime(QDate(2024, 2, 1), QTime(0, 0)), 1);
    const qint64 second = invoice(alfa, QDateTime(QDate(2024, 2, 2), QTime(0, 0)), 2);
    invoice(beta, QDateTime(QDate(2024, 2, 3), QTime(0, 0)), 3);
    for (const auto &[owner, number] :
         {std::pair{first, "PO-2024/17"}, std::pair{second, "po-2024/170"}, std::pair{first, "PO-2024/99"}})
        test::addRow(
            archive(), QStringLiteral("OrdiniClienti"),
            {{QStringLiteral("Fattura_ID"), owner}, {QStringLiteral("Numero"), QString::fromLatin1(number)}});
    // An order of no invoice must not make the list show everything.
    test::addRow(archive(), QStringLiteral("OrdiniClienti"),
                 {{QStringLiteral("Numero"), QStringLiteral("PO-2024/17")}});

    InvoiceListFilter typed;
    typed.orderNumber = QStringLiteral("2024/17");
    EXPECT_EQ(open(typed), (QList<qint64>{first, second})) << "each invoice once, whatever the case";
    typed.orderNumber = QStringLiteral("%");
    EXPECT_TRUE(open(typed).isEmpty()) << "a typed % is a character, not a wildcard";
    typed.orderNumber = QStringLiteral("NESSUNO");
    EXPECT_TRUE(open(typed).isEmpty());
}

TEST_F(DocumentLists, TheOpenListAndTheHistoryViewShowTheirOwnDocuments)
{
    const qint64 closed =
        invoice(alfa, QDateTime(QDate(2023, 12, 31), QTime(18, 0)), 40, {{QStringLiteral("Storico"), true}});
    const qint64 earlier =
        invoice(alfa, QDateTime(QDate(2023, 6, 1), QTime(0, 0)), 20, {{QStringLiteral("Storico"), true}});
    const qint64 current = invoice(alfa, QDateTime(QDate(2024, 1, 5), QTime(0, 0)), 1);
    NewInvoice request;
    request.document = CustomerDocument::CreditNote;
    request.today = QDate(2024, 1, 6);
    const core::Result<qint64> note = createInvoice(archive(), request);
    ASSERT_TRUE(note) << note.error().toStdString();

    EXPECT_EQ(open({}), QList<qint64>{current}) << "neither the closed year nor the credit note";
    EXPECT_EQ(listed(CustomerDocument::CreditNote, shell::openDocumentsScope(), {}), QList<qint64>{*note});

    // The main window's period of the second half of 2023, up to the last second of its last day.
    const QVariantList period{
        core::datetext::canonical(QDate(2023, 7, 1)),
        core::datetext::canonical(QDate(2023, 12, 31), core::datetext::Bound::EndOfDay)};
    EXPECT_EQ(listed(CustomerDocument::Invoice, shell::historyScope(QStringLiteral("Data"), period), {}),
              QList<qint64>{closed});
    InvoiceListFilter typed;
    typed.customer = beta;
    EXPECT_TRUE(listed(CustomerDocument::Invoice, shell::historyScope(QStringLiteral("Data"), period), typed)
                    .isEmpty());
    EXPECT_NE(earlier, closed);
}

TEST_F(DocumentLists, TheCreditNoteListFiltersByNumberCustomerSeriesAndDates)
{
    QList<qint64> notes;
    for (const auto &[customer, day] : {std::pair{alfa, 10}, std::pair{beta, 11}, std::pair{alfa, 12}}) {
        NewInvoice request;
        request.document = CustomerDocument::CreditNote;
        request.today = QDate(2024, 3, day);
        const core::Result<qint64> key = createInvoice(archive(), request);
        ASSERT_TRUE(key) << key.error().toStdString();
        ASSERT_TRUE(archive().update(
            QStringLiteral("fattura"), *key,
            {{QStringLiteral("Cliente_ID"), customer}, {QStringLiteral("Data"), QDate(2024, 3, day)}}));
        notes.append(*key);
    }
    const auto creditNotes = [this](const CreditNoteListFilter &typed, QString *refused = nullptr) {
        storage::ListFilter filter(archive().dialect());
        if (core::Status added = addCreditNoteListConditions(filter, typed); !added) {
            *refused = added.error();
            return QList<qint64>{};
        }
        return keysOf(
            documentListStatement(CustomerDocument::CreditNote, shell::openDocumentsScope(), filter));
    };
    CreditNoteListFilter typed;
    typed.number = QStringLiteral("2");
    EXPECT_EQ(creditNotes(typed), QList<qint64>{notes.at(1)}) << "credit notes have numbers of their own";
    typed = {};
    typed.customer = alfa;
    typed.fromDate = QStringLiteral("11/03/2024");
    EXPECT_EQ(creditNotes(typed), QList<qint64>{notes.at(2)});
    QString refused;
    typed.number = QStringLiteral("2a");
    EXPECT_TRUE(creditNotes(typed, &refused).isEmpty());
    EXPECT_TRUE(refused.contains(QStringLiteral("Numero")));
}

TEST_F(DocumentLists, ChosenDocumentsAreExportedTogetherAndTheExportStopsWhenAsked)
{
    data.setElectronicInvoicingCompany();
    const qint64 customer = data.electronicInvoicingCustomer();
    const qint64 cash =
        data.paymentMode(0, {}, {{QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP01")}});
    QList<qint64> invoices;
    for (int day = 1; day <= 3; ++day) {
        const qint64 key = data.invoice(customer, cash, QDate(2024, 4, day));
        test::addRow(archive(), QStringLiteral("fattdett"),
                     {{QStringLiteral("NumFatt"), key},
                      {QStringLiteral("NumeroRiga"), 1},
                      {QStringLiteral("Descrizione"), QStringLiteral("Trasporto")},
                      {QStringLiteral("Um"), 1.0},
                      {QStringLiteral("ValoreUnitario"), 100.0 * day},
                      {QStringLiteral("AliquotaIva"), 22.0},
                      {QStringLiteral("Iva_ID"), 1},
                      {QStringLiteral("TotaleImponibile"), 100.0 * day}});
        ASSERT_TRUE(recomputeTotals(archive(), key));
        invoices.append(key);
    }
    // One already exported is exported again when chosen.
    ASSERT_TRUE(archive().update(QStringLiteral("fattura"), invoices.at(2),
                                 {{QStringLiteral("EsportatoXml"), true}}));

    QTemporaryDir folder;
    BatchExport request;
    request.folder = folder.path();
    request.documents = {invoices.at(2), invoices.at(0)};
    QList<int> told;
    request.progress = [&told](int done, int) {
        told.append(done);
        return done < 1; // the user stops it after the first document
    };
    const core::Result<QList<BatchLine>> stopped = exportEInvoices(archive(), request);
    ASSERT_TRUE(stopped) << stopped.error().toStdString();
    ASSERT_EQ(stopped->size(), 1);
    EXPECT_TRUE(stopped->first().written) << stopped->first().problems.join(u'\n').toStdString();
    EXPECT_EQ(told, (QList<int>{0, 1}));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(data.value(QStringLiteral("fattura"), "EsportatoXml", invoices.at(0)).toBool())
        << "the document after the stop is left as it was";

    request.progress = {};
    const core::Result<QList<BatchLine>> all = exportEInvoices(archive(), request);
    ASSERT_TRUE(all) << all.error().toStdString();
    ASSERT_EQ(all->size(), 2);
    EXPECT_TRUE(all->at(1).written);
    EXPECT_TRUE(data.value(QStringLiteral("fattura"), "EsportatoXml", invoices.at(0)).toBool());
    EXPECT_FALSE(data.value(QStringLiteral("fattura"), "EsportatoXml", invoices.at(1)).toBool())
        << "a document not chosen is not exported";
}

} // namespace
