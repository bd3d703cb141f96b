#include "invoicingwindowfixture.h"
#include "purchases/purchases.h"
#include "purchases/ui/purchasewindows.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/recordform.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "support/modaldriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using rotalina::shell::ui::DataGrid;
using rotalina::shell::ui::OwnedRowsPanel;

namespace {

class PurchaseWindows : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET DuplicaFatturazioneInPrimaNota = ?"),
                                      {true}));
        supplier = test::addRow(archive(), QStringLiteral("Fornitor"),
                                {{QStringLiteral("Fornitore"), QStringLiteral("Officina Bianchi")}});
        twoMonths = test::addRow(archive(), QStringLiteral("ModPagamento"),
                                 {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30/60")},
                                  {QStringLiteral("NumeroScadenze"), 2},
                                  {QStringLiteral("GG1Scadenza"), 30},
                                  {QStringLiteral("GG2Scadenza"), 60}});
    }

    double total(qint64 invoice)
    {
        return scalar(QStringLiteral("SELECT TotFattura FROM fattura WHERE ID = ?"), {invoice}).toDouble();
    }

    // Opens the current row of a panel in its window, acting on it there.
    static void editCurrent(OwnedRowsPanel &panel, const char *window, std::function<void(QDialog &)> action)
    {
        test::whenWindowOpens(QString::fromLatin1(window), std::move(action));
        test::click(panel, QStringLiteral("spdAvantiDett"));
    }

    qint64 supplier = 0;
    qint64 twoMonths = 0;
};

TEST_F(PurchaseWindows, AnInvoiceRegisteredByHandKeepsItsPaidInstalmentWhenARowChanges)
{
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaCarico"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    qint64 invoice = 0;
    qint64 paid = 0;
    test::whenWindowOpens(QStringLiteral("TfrmCarico"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &document = static_cast<shell::ui::DocumentWindow &>(window);
        invoice = document.key();
        EXPECT_EQ(document.form().values().value(QStringLiteral("ProgressivoCarico")).toInt(), 1);
        // The rows wait for the supplier's number.
        document.pages()->setCurrentIndex(1);
        EXPECT_EQ(document.pages()->currentIndex(), 0);
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral(
                      "Attenzione: Prima di inserire le righe è necessario salvare il numero di Fattura di "
                      "Acquisto!!!"));
        test::typeInto(window, QStringLiteral("edtNumeroCarico"), QStringLiteral("FT 45"));
        choose(window, "Fornitore_ID", supplier);
        choose(window, "ModPagamento_Id", twoMonths);
        OwnedRowsPanel *dueDates = document.rows(QStringLiteral("FatturaScadenze"));
        ASSERT_EQ(dueDates->records().rowCount(), 2);

        document.pages()->setCurrentIndex(1);
        ASSERT_EQ(document.pages()->currentIndex(), 1) << fixture.prompter.lastText().toStdString();
        OwnedRowsPanel *rows = document.rows(QStringLiteral("Movimenti"));
        test::whenWindowOpens(QStringLiteral("TfrmModificaCaricoRighe"), [](QDialog &editor) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
            test::typeInto(editor, QStringLiteral("edtUm"), QStringLiteral("2"));
            test::typeInto(editor, QStringLiteral("edtValoreUnitario"), QStringLiteral("50"));
            test::typeInto(editor, QStringLiteral("edtSconto"), QStringLiteral("10"));
            test::typeInto(editor, QStringLiteral("edtSconto2"), QStringLiteral("10"));
            // 100 less 10 % and 10 % more is 81, with 22 % VAT 98,82.
            EXPECT_DOUBLE_EQ(static_cast<shell::ui::RegistryCardWindow &>(editor)
                                 .card()
                                 .form()
                                 .values()
                                 .value(QStringLiteral("PrezzoCompleto"))
                                 .toDouble(),
                             98.82);
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*rows, QStringLiteral("spdInserisciDett"));
        ASSERT_EQ(rows->records().rowCount(), 1);
        EXPECT_DOUBLE_EQ(document.form().values().value(QStringLiteral("TotFattura")).toDouble(), 98.82);

        // The first instalment is paid in the due-date window.
        document.pages()->setCurrentIndex(0);
        dueDates->grid()->setCurrentRow(0);
        paid = *dueDates->currentKey();
        editCurrent(*dueDates, "TfrmScadenziarioDettaglioFornitori", [](QDialog &dueDate) {
            test::click(dueDate, QStringLiteral("spdOggi"));
            test::click(dueDate, QStringLiteral("spdIndietro"));
        });

        // A row changed afterwards: the payment stays, the other instalment takes what is still due.
        document.pages()->setCurrentIndex(1);
        rows->grid()->setCurrentRow(0);
        editCurrent(*rows, "TfrmModificaCaricoRighe", [](QDialog &editor) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
            test::typeInto(editor, QStringLiteral("edtValoreUnitario"), QStringLiteral("100"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_GT(invoice, 0);
    ASSERT_GT(paid, 0);
    EXPECT_DOUBLE_EQ(total(invoice), 197.64);
    EXPECT_TRUE(storage::sqlvalue::toDate(
                    scalar(QStringLiteral("SELECT DataPagamento FROM FatturaScadenze WHERE Id = ?"), {paid}))
                    .isValid());
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT Importo FROM FatturaScadenze WHERE Id = ?"), {paid}).toDouble(), 49.41);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ? AND Tipo = 'C'"),
               {paid})
            .toInt(),
        1);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice})
            .toDouble(),
        197.64);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Fornitore FROM fattura WHERE ID = ?"), {invoice}).toString(),
              QStringLiteral("Officina Bianchi"));

    // The list shows it with the totals of what it lists, and filters as the user types.
    ASSERT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 1);
    EXPECT_TRUE(
        list->findChild<QLabel *>(QStringLiteral("lblTotali"))->text().contains(QStringLiteral("197,64")));
    auto *supplierFilter = list->findChild<QLineEdit *>(QStringLiteral("edtFiltroFornitore"));
    supplierFilter->setText(QStringLiteral("offic"));
    EXPECT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 1);
    supplierFilter->setText(QStringLiteral("bianchi"));
    EXPECT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 0)
        << "the supplier's name begins with it";
    EXPECT_TRUE(list->findChild<QLabel *>(QStringLiteral("lblTotali"))
                    ->text()
                    .startsWith(QStringLiteral("0 fatture")));
    list->close();
}

TEST_F(PurchaseWindows, ACreditNoteFindsThePurchaseInvoiceItCreditsAndImportsItsRows)
{
    purchases::NewPurchase request;
    request.today = QDate(2026, 3, 2);
    const core::Result<qint64> invoice = purchases::createPurchase(archive(), request);
    ASSERT_TRUE(invoice);
    ASSERT_TRUE(purchases::savePurchaseHeader(archive(), *invoice,
                                              {{QStringLiteral("Fornitore_ID"), supplier},
                                               {QStringLiteral("ModPagamento_Id"), twoMonths},
                                               {QStringLiteral("NumeroCarico"), QStringLiteral("A/77")}}));
    for (const double quantity : {2.0, 5.0}) {
        const core::Result<qint64> line = purchases::addPurchaseRow(archive(), *invoice);
        ASSERT_TRUE(line);
        ASSERT_TRUE(purchases::savePurchaseRow(
            archive(), purchases::PurchaseDocument::Invoice, *line,
            {{QStringLiteral("Um"), quantity}, {QStringLiteral("ValoreUnitario"), 10.0}}));
    }

    QDialog *list =
        windows.show(QStringLiteral("TfrmGrigliaNoteCreditoFornitori"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 0)
        << "purchase invoices are not credit notes";
    test::whenWindowOpens(QStringLiteral("TfrmNotaCreditoFornitore"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &document = static_cast<shell::ui::DocumentWindow &>(window);
        EXPECT_EQ(document.form().values().value(QStringLiteral("ProgressivoCarico")).toInt(), 1)
            << "credit notes have their own progressives";
        test::click(window, QStringLiteral("spdTrovaFattura"));
        EXPECT_EQ(
            fixture.prompter.lastText(),
            QStringLiteral("Attenzione E' necessario scegliere il Fornitore prima di poter proseguire"));
        test::typeInto(window, QStringLiteral("edtNumeroCarico"), QStringLiteral("NC 1"));
        choose(window, "Fornitore_ID", supplier);
        choose(window, "ModPagamento_Id", twoMonths);
        test::whenWindowOpens(QStringLiteral("TfrmTrovaFatturaAcquisto"), [](QDialog &finder) {
            auto *invoices = finder.findChild<DataGrid *>();
            ASSERT_EQ(invoices->records()->rowCount(), 1);
            // The supplier's name is found by its beginning.
            auto *supplierName = finder.findChild<QLineEdit *>(QStringLiteral("edtFornitore"));
            supplierName->setText(QStringLiteral("bianchi"));
            EXPECT_EQ(invoices->records()->rowCount(), 0);
            supplierName->setText(QStringLiteral("OFFIC"));
            ASSERT_EQ(invoices->records()->rowCount(), 1);
            test::click(finder, QStringLiteral("spdAvanti"));
        });
        test::click(window, QStringLiteral("spdTrovaFattura"));
        EXPECT_EQ(document.form().values().value(QStringLiteral("NCFattNumRifCarico")).toString(),
                  QStringLiteral("A/77"));
        test::click(window, QStringLiteral("btnImporta"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Importazione avvenuta con successo !"));
        test::click(window, QStringLiteral("btnImporta"));
        EXPECT_EQ(document.rows(QStringLiteral("NotaCreditoCaricoRighe"))->records().rowCount(), 2);
        EXPECT_DOUBLE_EQ(document.form().values().value(QStringLiteral("TotFattura")).toDouble(), 85.4);
        EXPECT_EQ(document.form().values().value(QStringLiteral("Note")).toString(),
                  QStringLiteral(" Fattura numero: A/77 Data: 02/03/2026"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 1);
    EXPECT_TRUE(list->findChild<QLabel *>(QStringLiteral("lblTotali"))
                    ->text()
                    .startsWith(QStringLiteral("1 nota di credito")));
    // Found by its progressive, the number itself.
    auto *progressive = list->findChild<QLineEdit *>(QStringLiteral("edtProgressivo"));
    progressive->setText(QStringLiteral("11"));
    EXPECT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 0);
    progressive->setText(QStringLiteral("1"));
    ASSERT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 1);
    list->close();
}

} // namespace
