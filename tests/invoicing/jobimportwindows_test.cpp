#include "invoicing/instalments.h"
#include "invoicing/invoices.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicingwindowfixture.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "storage/recordlistmodel.h"
#include "support/modaldriver.h"
#include "transport/ui/jobpicker.h"

#include <QComboBox>
#include <QDateTime>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using rotalina::shell::ui::DataGrid;

namespace {

// An invoice of a customer open in its window, and the customer's job orders as the job-order
// window leaves them.
class JobImportWindows : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        mode = test::addRow(archive(), QStringLiteral("ModPagamento"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Rimessa diretta")},
                             {QStringLiteral("NumeroScadenze"), 1},
                             {QStringLiteral("GG1Scadenza"), 30},
                             {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")}});
        customer = addCustomer(QStringLiteral("Alfa"));
    }

    qint64 addCustomer(const QString &name)
    {
        return test::addRow(archive(), QStringLiteral("Clienti"),
                            {{QStringLiteral("NominativoVisualizzato"), name},
                             {QStringLiteral("NominativoDocumenti"), name},
                             {QStringLiteral("Annullato"), false}});
    }

    qint64 newInvoice(invoicing::CustomerDocument document = invoicing::CustomerDocument::Invoice)
    {
        invoicing::NewInvoice request;
        request.today = QDate(2026, 3, 10);
        request.document = document;
        const core::Result<qint64> key = invoicing::createInvoice(archive(), request);
        EXPECT_TRUE(key) << key.error().toStdString();
        EXPECT_TRUE(archive().update(QStringLiteral("fattura"), *key,
                                     {{QStringLiteral("Cliente_ID"), customer},
                                      {QStringLiteral("Cliente"), QStringLiteral("Alfa")},
                                      {QStringLiteral("ModPagamento_Id"), mode}}));
        if (document == invoicing::CustomerDocument::Invoice) {
            EXPECT_TRUE(invoicing::generateDueDates(archive(), *key, invoicing::DueDateMode::NewDates));
        }
        return *key;
    }

    // A job order with one row of the amount at 22 %.
    qint64 job(int number, const QDateTime &date, double amount, const QVariantMap &more = {})
    {
        QVariantMap values{{QStringLiteral("Cliente_Id"), customer},
                           {QStringLiteral("Numero"), number},
                           {QStringLiteral("Data"), date},
                           {QStringLiteral("Serie"), QStringLiteral("A")},
                           {QStringLiteral("Note"), QStringLiteral("carico %1").arg(number)},
                           {QStringLiteral("Fatturato"), false},
                           {QStringLiteral("Chiusa"), false},
                           {QStringLiteral("Annullato"), false},
                           {QStringLiteral("Storico"), false}};
        values.insert(more);
        const qint64 key = test::addRow(archive(), QStringLiteral("TotaliCo"), values);
        test::addRow(archive(), QStringLiteral("Conti"),
                     {{QStringLiteral("Testata_ID"), key},
                      {QStringLiteral("NumeroRiga"), 1},
                      {QStringLiteral("Descrizione"), QStringLiteral("Viaggio %1").arg(number)},
                      {QStringLiteral("Um"), 1.0},
                      {QStringLiteral("ValoreUnitario"), amount},
                      {QStringLiteral("AliquotaIva"), 22.0}});
        return key;
    }

    static QDateTime at(int day, int hour = 0) { return QDateTime(QDate(2026, 3, day), QTime(hour, 30)); }

    // The invoice's window on the tab "Importazioni".
    std::unique_ptr<invoicing::ui::InvoiceWindow> openOnImports(qint64 invoice)
    {
        auto window =
            std::make_unique<invoicing::ui::InvoiceWindow>(*fixture.session, windows, invoice, false);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTabWidget *pages = window->pages();
        for (int tab = 0; tab < pages->count(); ++tab) {
            if (pages->tabText(tab) == u"Importazioni")
                pages->setCurrentIndex(tab);
        }
        EXPECT_EQ(pages->tabText(pages->currentIndex()), QStringLiteral("Importazioni"));
        return window;
    }

    // Empties a box as the user does: everything selected, then Delete.
    static void empty(QWidget &window, const char *name)
    {
        auto *box = window.findChild<QLineEdit *>(QLatin1String(name));
        ASSERT_NE(box, nullptr) << name;
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Tab);
    }

    static QComboBox *offered(QWidget &window)
    {
        return window.findChild<QComboBox *>(QStringLiteral("DBLookupComboBox1"));
    }

    static shell::ui::OwnedRowsPanel &links(invoicing::ui::InvoiceWindow &window)
    {
        return *window.rows(QStringLiteral("FatturaContiRighe"));
    }

    int rowsOf(qint64 invoice)
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {invoice}).toInt();
    }

    bool flag(const char *field, qint64 job)
    {
        return scalar(QStringLiteral("SELECT %1 FROM TotaliCo WHERE ID = ?").arg(QLatin1String(field)), {job})
            .toBool();
    }

    qint64 mode = 0;
    qint64 customer = 0;
};

} // namespace

TEST_F(JobImportWindows, ChoosingAJobOrderImportsItAfterTheQuestion)
{
    const qint64 invoice = newInvoice();
    const qint64 first = job(1, at(2), 100);
    job(2, at(3), 50);
    job(3, at(4), 70, {{QStringLiteral("Cliente_Id"), addCustomer(QStringLiteral("Beta"))}});
    auto window = openOnImports(invoice);
    QComboBox *choice = offered(*window);
    ASSERT_NE(choice, nullptr);
    ASSERT_EQ(choice->count(), 2) << "the customer's job orders only";
    EXPECT_EQ(choice->itemText(0), QStringLiteral("N° 1 Data: 02/03/2026 Serie: A - carico 1"));
    EXPECT_EQ(choice->currentIndex(), -1);

    // "No" leaves everything as it was.
    choice->setFocus();
    fixture.prompter.answerQuestions({false});
    QTest::keyClick(choice, Qt::Key_Down);
    EXPECT_TRUE(fixture.prompter.wasShown(QStringLiteral("Sei sicuro di voler Importare la Commessa ??")));
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di avviso"));
    EXPECT_EQ(rowsOf(invoice), 0);
    EXPECT_EQ(choice->currentIndex(), -1);

    fixture.prompter.answerQuestions({true});
    QTest::keyClick(choice, Qt::Key_Down);
    EXPECT_EQ(rowsOf(invoice), 1);
    EXPECT_TRUE(flag("Fatturato", first));
    EXPECT_TRUE(flag("Chiusa", first));
    // The rows, the totals, the due dates and the links are shown again; the job order is no longer
    // offered.
    EXPECT_EQ(window->rows(QStringLiteral("fattdett"))->records().rowCount(), 1);
    EXPECT_DOUBLE_EQ(window->form().values().value(QStringLiteral("TotFattura")).toDouble(), 122);
    auto &dueDates = window->rows(QStringLiteral("FatturaScadenze"))->records();
    ASSERT_EQ(dueDates.rowCount(), 1);
    EXPECT_DOUBLE_EQ(dueDates.value(0, QStringLiteral("Importo")).toDouble(), 122);
    ASSERT_EQ(links(*window).records().rowCount(), 1);
    EXPECT_EQ(links(*window).grid()->objectName(), QStringLiteral("DBGrid4"));
    EXPECT_EQ(links(*window).records().value(0, QStringLiteral("Numero")).toInt(), 1);
    ASSERT_EQ(choice->count(), 1);
    EXPECT_EQ(choice->itemText(0), QStringLiteral("N° 2 Data: 03/03/2026 Serie: A - carico 2"));
    test::click(*window, QStringLiteral("spdIndietro"));
}

TEST_F(JobImportWindows, ImportaTutteAndEliminaRigaReopenTheJob)
{
    const qint64 invoice = newInvoice();
    const qint64 first = job(1, at(2), 100);
    const qint64 second = job(2, at(3), 50);
    auto window = openOnImports(invoice);

    test::click(*window, QStringLiteral("Button1"));
    EXPECT_EQ(rowsOf(invoice), 2);
    EXPECT_DOUBLE_EQ(window->form().values().value(QStringLiteral("TotImponibile")).toDouble(), 150);
    EXPECT_EQ(links(*window).records().rowCount(), 2);
    EXPECT_EQ(offered(*window)->count(), 0);

    test::click(*window, QStringLiteral("Button1"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Nessun Record da importare"));
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di errore"));

    // The links are neither added nor edited by hand.
    for (const char *hidden : {"spdInserisciDett", "spdAvantiDett", "spdEliminaDett"})
        EXPECT_FALSE(links(*window).findChild<QPushButton *>(QLatin1String(hidden))->isVisible()) << hidden;
    DataGrid *grid = links(*window).grid();
    grid->setCurrentRow(links(*window).records().rowOfKey(
        scalar(QStringLiteral("SELECT ID FROM FatturaContiRighe WHERE Conto_ID = ?"), {second})
            .toLongLong()));
    test::click(*window, QStringLiteral("Button10"));
    EXPECT_FALSE(flag("Fatturato", second));
    EXPECT_FALSE(flag("Chiusa", second));
    EXPECT_TRUE(flag("Fatturato", first));
    EXPECT_EQ(rowsOf(invoice), 1);
    EXPECT_EQ(window->rows(QStringLiteral("fattdett"))->records().rowCount(), 1);
    EXPECT_DOUBLE_EQ(window->form().values().value(QStringLiteral("TotImponibile")).toDouble(), 100);
    EXPECT_EQ(links(*window).records().rowCount(), 1);
    ASSERT_EQ(offered(*window)->count(), 1);
    EXPECT_EQ(offered(*window)->itemData(0).toLongLong(), second);
    test::click(*window, QStringLiteral("spdIndietro"));
}

TEST_F(JobImportWindows, ThePickerFiltersAndImportsTheJobOrdersChosen)
{
    const qint64 invoice = newInvoice();
    const qint64 first = job(1, at(2), 100, {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")}});
    const qint64 second = job(2, at(5, 23), 50,
                              {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                               {QStringLiteral("OrdineCarico"), QStringLiteral("OC-7")}});
    const qint64 third = job(3, at(6), 70, {{QStringLiteral("Targa1"), QStringLiteral("ZZ999ZZ")}});
    const qint64 taken = job(4, at(6), 10, {{QStringLiteral("Fatturato"), true}});
    auto window = openOnImports(invoice);

    test::whenWindowOpens(QStringLiteral("TfrmScegliCommesse"), [&](QDialog &dialog) {
        auto &picker = static_cast<transport::ui::JobPickerWindow &>(dialog);
        auto &list = picker.records();
        EXPECT_EQ(list.rowCount(), 3) << "the job orders not yet invoiced";
        EXPECT_EQ(list.rowOfKey(taken), -1);
        test::typeInto(picker, QStringLiteral("edtDalNumero"), QStringLiteral("x"));
        test::click(picker, QStringLiteral("btnFiltra"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione \"Dal Numero\" deve essere un numero: \"x\" non lo è"));
        test::typeInto(picker, QStringLiteral("edtDalNumero"), QStringLiteral("2"));
        test::click(picker, QStringLiteral("btnFiltra"));
        EXPECT_EQ(list.rowCount(), 2);
        // The last day of the range counts whole: the job of 5 March at 23:30 is in.
        test::typeInto(picker, QStringLiteral("maskDaData"), QStringLiteral("01032026"));
        test::typeInto(picker, QStringLiteral("maskAData"), QStringLiteral("05032026"));
        test::click(picker, QStringLiteral("btnFiltra"));
        ASSERT_EQ(list.rowCount(), 1);
        EXPECT_EQ(list.keyAt(0), second);
        test::typeInto(picker, QStringLiteral("maskAData"), QStringLiteral("06032026"));
        test::typeInto(picker, QStringLiteral("edtTarga"), QStringLiteral("ab1"));
        test::click(picker, QStringLiteral("btnFiltra"));
        ASSERT_EQ(list.rowCount(), 1);
        empty(picker, "edtTarga");
        test::typeInto(picker, QStringLiteral("edtOrdineCarico"), QStringLiteral("OC"));
        test::click(picker, QStringLiteral("btnFiltra"));
        ASSERT_EQ(list.rowCount(), 1);
        EXPECT_EQ(list.keyAt(0), second);
        empty(picker, "edtOrdineCarico");
        test::typeInto(picker, QStringLiteral("edtNote"), QStringLiteral("carico 3"));
        test::click(picker, QStringLiteral("btnFiltra"));
        ASSERT_EQ(list.rowCount(), 1);
        EXPECT_EQ(list.keyAt(0), third);

        // Back to every job order; two chosen, and "No" keeps the picker open.
        for (const char *box : {"edtDalNumero", "maskDaData", "maskAData", "edtNote"})
            empty(picker, box);
        test::click(picker, QStringLiteral("btnFiltra"));
        ASSERT_EQ(list.rowCount(), 3);
        auto *selection = picker.grid()->selectionModel();
        for (const qint64 key : {third, first})
            selection->select(list.index(list.rowOfKey(key), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        EXPECT_EQ(picker.chosenKeys(), (QList<qint64>{first, third})) << "in list order";
        fixture.prompter.answerQuestions({false});
        test::click(picker, QStringLiteral("spdAvanti"));
        EXPECT_TRUE(picker.isVisible());
        fixture.prompter.answerQuestions({true});
        test::click(picker, QStringLiteral("spdAvanti"));
    });
    test::click(*window, QStringLiteral("Button2"));
    EXPECT_TRUE(fixture.prompter.wasShown(QStringLiteral("Sei sicuro di voler Importare la Commessa ??")));
    EXPECT_TRUE(flag("Fatturato", first));
    EXPECT_TRUE(flag("Fatturato", third));
    EXPECT_FALSE(flag("Fatturato", second));
    EXPECT_EQ(rowsOf(invoice), 2);
    EXPECT_EQ(links(*window).records().rowCount(), 2);
    EXPECT_DOUBLE_EQ(window->form().values().value(QStringLiteral("TotImponibile")).toDouble(), 170);
    ASSERT_EQ(offered(*window)->count(), 1);

    // "Indietro" of the picker imports nothing.
    test::whenWindowOpens(QStringLiteral("TfrmScegliCommesse"),
                          [](QDialog &picker) { test::click(picker, QStringLiteral("spdIndietro")); });
    test::click(*window, QStringLiteral("Button2"));
    EXPECT_FALSE(flag("Fatturato", second));
    test::click(*window, QStringLiteral("spdIndietro"));
}

TEST_F(JobImportWindows, ACreditNoteHasNoImports)
{
    const qint64 note = newInvoice(invoicing::CustomerDocument::CreditNote);
    invoicing::ui::InvoiceWindow window(*fixture.session, windows, note, false, nullptr,
                                        invoicing::CustomerDocument::CreditNote);
    for (int tab = 0; tab < window.pages()->count(); ++tab)
        EXPECT_NE(window.pages()->tabText(tab), QStringLiteral("Importazioni"));
    EXPECT_EQ(offered(window), nullptr);
    EXPECT_EQ(window.findChild<QPushButton *>(QStringLiteral("Button1")), nullptr);
}
