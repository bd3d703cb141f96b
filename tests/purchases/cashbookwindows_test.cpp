#include "invoicing/instalments.h"
#include "invoicingwindowfixture.h"
#include "purchases/purchases.h"
#include "purchases/ui/cashbookwindows.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/recordform.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "support/modaldriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

class CashBookWindows : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        ASSERT_TRUE(archive().execute(
            QStringLiteral(
                "UPDATE opzioni SET DuplicaFatturazioneInPrimaNota = ?, SaldoInizialePrimaNota = ?"),
            {true, 500.0}));
        supplier = test::addRow(archive(), QStringLiteral("Fornitor"),
                                {{QStringLiteral("Fornitore"), QStringLiteral("Officina Bianchi")}});
        twoMonths = test::addRow(archive(), QStringLiteral("ModPagamento"),
                                 {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30/60")},
                                  {QStringLiteral("NumeroScadenze"), 2},
                                  {QStringLiteral("GG1Scadenza"), 30},
                                  {QStringLiteral("GG2Scadenza"), 60}});
    }

    // A purchase invoice of the supplier for 244.00 in two instalments.
    qint64 purchase(const QString &number)
    {
        purchases::NewPurchase request;
        request.today = QDate(2026, 2, 1);
        const core::Result<qint64> key = purchases::createPurchase(archive(), request);
        EXPECT_TRUE(key);
        EXPECT_TRUE(purchases::savePurchaseHeader(archive(), *key,
                                                  {{QStringLiteral("Fornitore_ID"), supplier},
                                                   {QStringLiteral("ModPagamento_Id"), twoMonths},
                                                   {QStringLiteral("NumeroCarico"), number}}));
        const core::Result<qint64> row = purchases::addPurchaseRow(archive(), *key, request.today);
        EXPECT_TRUE(purchases::savePurchaseRow(archive(), purchases::PurchaseDocument::Invoice, *row,
                                               {{QStringLiteral("Um"), 2.0},
                                                {QStringLiteral("ValoreUnitario"), 100.0},
                                                {QStringLiteral("AliquotaIva"), 22.0}}));
        return *key;
    }

    QString label(QWidget &window, const char *name)
    {
        auto *shown = window.findChild<QLabel *>(QLatin1String(name));
        EXPECT_NE(shown, nullptr) << name;
        return shown ? shown->text() : QString();
    }

    qint64 supplier = 0;
    qint64 twoMonths = 0;
};

TEST_F(CashBookWindows, AnEntryTypedByHandComesInAndTheTotalsFollowWhatIsListed)
{
    test::addRow(archive(), QStringLiteral("finanzia"),
                 {{QStringLiteral("Data"), QDate(2026, 1, 5)},
                  {QStringLiteral("Operazione"), QStringLiteral("Incasso contanti")},
                  {QStringLiteral("Entrata"), 100.0},
                  {QStringLiteral("Tipologia_ID"), 1},
                  {QStringLiteral("Storico"), false}});
    test::addRow(archive(), QStringLiteral("finanzia"),
                 {{QStringLiteral("Data"), QDate(2025, 12, 30)},
                  {QStringLiteral("Operazione"), QStringLiteral("Anno scorso")},
                  {QStringLiteral("Uscita"), 50.0},
                  {QStringLiteral("Tipologia_ID"), 1},
                  {QStringLiteral("Storico"), false}});
    QDialog *list = windows.show(QStringLiteral("TForm5"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    auto &cashBook = static_cast<purchases::ui::CashBookWindow &>(*list);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_EQ(cashBook.records().rowCount(), 1) << "this year's entries";
    EXPECT_EQ(label(*list, "lblEntrate"), QStringLiteral("100,00"));
    EXPECT_EQ(label(*list, "lblSaldo"), QStringLiteral("550,00"));

    // "Aggiungi": a bank payment typed as a user types it; an entry without a text is refused first.
    test::whenWindowOpens(QStringLiteral("TCassaDettaglio"), [&](QDialog &entry) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&entry));
        test::click(entry, QStringLiteral("spdSalva"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l'Operazione"));
        test::typeInto(entry, QStringLiteral("edtOperazione"), QStringLiteral("Pedaggio"));
        test::typeInto(entry, QStringLiteral("edtUscita"), QStringLiteral("1.234,56"));
        choose(entry, "Tipologia_ID", 2);
        test::click(entry, QStringLiteral("spdSalva"));
        test::click(entry, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Operazione = ? AND "
                                         "Uscita = 1234.56 AND Tipo = 'A' AND Tipologia_ID = 2"),
                          {QStringLiteral("Pedaggio")}),
              1);
    EXPECT_EQ(cashBook.records().rowCount(), 2);
    EXPECT_EQ(label(*list, "lblUscite"), QStringLiteral("1.234,56"));
    EXPECT_EQ(label(*list, "lblTotale"), QStringLiteral("-1.134,56"));

    // "Banca": only the bank's entries, and the totals of those alone.
    test::click(*list, QStringLiteral("rdbBanca"));
    EXPECT_EQ(cashBook.records().rowCount(), 1);
    EXPECT_EQ(label(*list, "lblEntrate"), QStringLiteral("0,00"));
    test::typeInto(*list, QStringLiteral("txtOperazione"), QStringLiteral("Inc"));
    EXPECT_EQ(cashBook.records().rowCount(), 0);
    test::click(*list, QStringLiteral("BitBtn3"));
    EXPECT_EQ(cashBook.records().rowCount(), 2);
    EXPECT_TRUE(list->findChild<QRadioButton *>(QStringLiteral("rdbTutti"))->isChecked());
    list->close();
}

TEST_F(CashBookWindows, APaymentsEntryIsTheDocumentsAndTheDueDateWindowOpensIt)
{
    const qint64 invoice = purchase(QStringLiteral("FT 9"));
    const qint64 instalment =
        scalar(QStringLiteral("SELECT Id FROM FatturaScadenze WHERE Fattura_ID = ? AND Numero = 1"),
               {invoice})
            .toLongLong();
    ASSERT_TRUE(invoicing::saveInstalment(archive(), instalment,
                                          {{QStringLiteral("DataPagamento"), QDate(2026, 3, 2)}}));
    QDialog *list = windows.show(QStringLiteral("TForm5"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    auto &cashBook = static_cast<purchases::ui::CashBookWindow &>(*list);
    const int row = cashBook.records().rowOfKey(
        scalar(QStringLiteral("SELECT ID FROM finanzia WHERE FatturaScadenze_Id = ?"), {instalment})
            .toLongLong());
    ASSERT_GE(row, 0);
    cashBook.grid()->setCurrentRow(row);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(
        QStringLiteral("Attenzione questo record è legato ad una fattura")));
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"),
                          {instalment}),
              1);
    // Its date, text, amounts and party are the document's.
    test::whenWindowOpens(QStringLiteral("TCassaDettaglio"), [&](QDialog &entry) {
        EXPECT_FALSE(entry.findChild<QWidget *>(QStringLiteral("edtUscita"))->isEnabled());
        EXPECT_FALSE(entry.findChild<QWidget *>(QStringLiteral("edtOperazione"))->isEnabled());
        EXPECT_TRUE(entry.findChild<QWidget *>(QStringLiteral("edtNote"))->isEnabled());
        test::click(entry, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdAvanti"));
    list->close();

    // The purchase's "prima nota" lists its own entries only, and adds none.
    QDialog *ofDocument = windows.show(QStringLiteral("TfrmPrimaNotaDocumento"), *fixture.session, nullptr,
                                       {{QStringLiteral("scadenza"), instalment}});
    ASSERT_NE(ofDocument, nullptr);
    EXPECT_EQ(static_cast<purchases::ui::CashBookWindow &>(*ofDocument).records().rowCount(), 1);
    EXPECT_TRUE(ofDocument->findChild<QPushButton *>(QStringLiteral("spdInserisci"))->isHidden());
    ofDocument->close();
}

TEST_F(CashBookWindows, ThePaidInstalmentsDeleteAsksFirstInTheBook)
{
    const qint64 invoice = purchase(QStringLiteral("FT 10"));
    const qint64 first =
        scalar(QStringLiteral("SELECT Id FROM FatturaScadenze WHERE Fattura_ID = ? AND Numero = 1"),
               {invoice})
            .toLongLong();
    ASSERT_TRUE(
        invoicing::saveInstalment(archive(), first, {{QStringLiteral("DataPagamento"), QDate(2026, 3, 2)}}));
    QDialog *book = windows.show(
        QStringLiteral("TfrmScadenziario"), *fixture.session, nullptr,
        {{QStringLiteral("condizione"),
          QStringLiteral(
              " WHERE FatturaScadenze.DataPagamento IS NOT NULL AND (FatturaScadenze.Tipo = 'C' OR "
              "FatturaScadenze.Tipo = 'B')")},
         {QStringLiteral("titolo"), QStringLiteral("Pagamenti Fornitori")},
         {QStringLiteral("colonna"), QStringLiteral("Fornitore")}});
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->windowTitle(), QStringLiteral("Pagamenti Fornitori"));
    auto &list = static_cast<shell::ui::RegistryListWindow &>(*book);
    ASSERT_EQ(list.records().rowCount(), 1);
    list.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({false});
    test::click(*book, QStringLiteral("spdElimina"));
    EXPECT_TRUE(fixture.prompter.lastText().contains(QStringLiteral("già pagata")));
    EXPECT_EQ(list.records().rowCount(), 1) << "No keeps it";
    fixture.prompter.answerQuestions({true, true});
    test::click(*book, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler eliminare il Record?"));
    EXPECT_EQ(list.records().rowCount(), 0);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"),
                          {first}),
              0);
    book->close();
}

TEST_F(CashBookWindows, ASupplierIsPaidForSeveralInstalmentsFromItsCard)
{
    const qint64 first = purchase(QStringLiteral("FT 11"));
    purchase(QStringLiteral("FT 12"));
    const qint64 bank = test::addRow(archive(), QStringLiteral("Bank"),
                                     {{QStringLiteral("Banca"), QStringLiteral("Banca Gamma")}});
    bool paidThrough = false;
    test::whenWindowOpens(QStringLiteral("TfrmPagaFatture"), [&](QDialog &payment) {
        auto &window = static_cast<purchases::ui::CumulativePaymentWindow &>(payment);
        EXPECT_EQ(label(payment, "lblTotaleFatture"), QStringLiteral("488,00"));
        // Nothing chosen yet: the payment asks for a choice first.
        test::click(payment, QStringLiteral("btnPagaFatture"));
        EXPECT_EQ(fixture.prompter.lastText(), purchases::CumulativePayment::nothingChosenMessage());
        auto *open = payment.findChild<QTableView *>(QStringLiteral("DBGrid1"));
        open->selectRow(0);
        test::click(payment, QStringLiteral("btnAggiungi"));
        open->selectRow(0);
        test::click(payment, QStringLiteral("btnAggiungi"));
        EXPECT_EQ(label(payment, "lblTotaleInPagamento"), QStringLiteral("244,00"));
        EXPECT_EQ(label(payment, "lblTotaleDaPagare"), QStringLiteral("244,00"));
        test::whenWindowOpens(QStringLiteral("TfrmPagaFattureModPagamento"), [&](QDialog &details) {
            test::click(details, QStringLiteral("btnPagaFatture"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione E' necessario definire la data pagamento..."));
            test::typeInto(details, QStringLiteral("edtDataPagamento"), QStringLiteral("15/03/2026"));
            test::typeInto(details, QStringLiteral("edtDettagli"), QStringLiteral("Bonifico cumulativo"));
            choose(details, "Banca_ID", bank);
            fixture.prompter.answerQuestions({true});
            test::click(details, QStringLiteral("btnPagaFatture"));
        });
        test::click(payment, QStringLiteral("btnPagaFatture"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("pagamenti registrati con successo!"));
        EXPECT_EQ(label(payment, "lblTotaleFatture"), QStringLiteral("244,00"));
        paidThrough = window.payment().totals()->chosen == 0;
        payment.reject();
    });
    windows.open(QStringLiteral("TfrmPagaFatture"), *fixture.session, nullptr,
                 {{QStringLiteral("fornitore"), supplier}});
    EXPECT_TRUE(paidThrough);
    EXPECT_EQ(test::count(
                  archive(),
                  QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Pagato = ? AND Banca_ID = ? AND "
                                 "Dettagli = 'Bonifico cumulativo'"),
                  {true, bank}),
              2);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Tipo = 'C' AND Uscita = 122")),
              2);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ? AND "
                                         "DataPagamento IS NULL"),
                          {first}),
              1);

    // A supplier with nothing left to pay gets a message, not an empty window.
    const qint64 other = test::addRow(archive(), QStringLiteral("Fornitor"),
                                      {{QStringLiteral("Fornitore"), QStringLiteral("Nessun debito")}});
    windows.open(QStringLiteral("TfrmPagaFatture"), *fixture.session, nullptr,
                 {{QStringLiteral("fornitore"), other}});
    EXPECT_EQ(fixture.prompter.lastText(), purchases::CumulativePayment::noOpenInstalmentsMessage());
}

} // namespace
