#include "core/datetext.h"
#include "invoicing/invoices.h"
#include "invoicing/ui/documentlistwindows.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicingwindowfixture.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "storage/recordlistmodel.h"
#include "support/modaldriver.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using rotalina::shell::ui::DataGrid;

namespace {

class CustomerDocumentWindows : public test::InvoicingWindowTest
{
protected:
    void SetUp() override
    {
        InvoicingWindowTest::SetUp();
        ASSERT_TRUE(
            archive()
                .execute(QStringLiteral(
                    "UPDATE ditta SET IdPaese = 'IT', PIva = '12345670017', RagSoc = 'Rossi Trasporti', "
                    "Via = 'Via Roma', Cap = '20100', Comune = 'Milano', RegimeFiscale = 'RF01'"))
                .ok());
        cash = test::addRow(archive(), QStringLiteral("ModPagamento"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Rimessa diretta")},
                             {QStringLiteral("NumeroScadenze"), 0},
                             {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP01")}});
        customer = test::addRow(archive(), QStringLiteral("Clienti"),
                                {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")},
                                 {QStringLiteral("NominativoDocumenti"), QStringLiteral("Alfa spa")},
                                 {QStringLiteral("Cliente"), QStringLiteral("Alfa spa")},
                                 {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                                 {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                 {QStringLiteral("Codice"), QStringLiteral("ABC1234")},
                                 {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                                 {QStringLiteral("Cap"), QStringLiteral("10100")},
                                 {QStringLiteral("Citta"), QStringLiteral("Torino")},
                                 {QStringLiteral("Pagamento_ID"), cash}});
    }

    // An invoice of the customer with two rows at 22 %.
    qint64 invoice(const QDate &date, const QVariantMap &more = {})
    {
        invoicing::NewInvoice request;
        request.today = date;
        const core::Result<qint64> key = invoicing::createInvoice(archive(), request);
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return 0;
        QVariantMap header{{QStringLiteral("Cliente_ID"), customer},
                           {QStringLiteral("Cliente"), QStringLiteral("Alfa spa")},
                           {QStringLiteral("ModPagamento_Id"), cash}};
        header.insert(more);
        EXPECT_TRUE(archive().update(QStringLiteral("fattura"), *key, header));
        for (const auto &[line, amount] : {std::pair{1, 250.0}, std::pair{2, 80.5}})
            test::addRow(archive(), QStringLiteral("fattdett"),
                         {{QStringLiteral("NumFatt"), *key},
                          {QStringLiteral("NumeroRiga"), line},
                          {QStringLiteral("TipoRiga"), QStringLiteral("D")},
                          {QStringLiteral("Descrizione"), QStringLiteral("Trasporto %1").arg(line)},
                          {QStringLiteral("Um"), 1.0},
                          {QStringLiteral("ValoreUnitario"), amount},
                          {QStringLiteral("AliquotaIva"), 22.0},
                          {QStringLiteral("Iva_ID"), 1},
                          {QStringLiteral("TotaleImponibile"), amount}});
        EXPECT_TRUE(invoicing::recomputeTotals(archive(), *key));
        return *key;
    }

    static int rowCount(QWidget &list) { return list.findChild<DataGrid *>()->records()->rowCount(); }

    qint64 cash = 0;
    qint64 customer = 0;
};

TEST_F(CustomerDocumentWindows, AnInvoiceIsCreditedFromTheCreditNoteListExportedAndDeleted)
{
    invoice(QDate(2026, 2, 1));
    const qint64 credited = invoice(QDate(2026, 2, 20));
    QTemporaryDir folder;
    const QString exported = QDir(folder.path()).filePath(QStringLiteral("nota.xml"));

    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaNoteCredito"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_EQ(rowCount(*list), 0) << "invoices are not credit notes";
    qint64 note = 0;
    test::whenWindowOpens(QStringLiteral("TfrmNotaCredito"), [&](QDialog &window) {
        auto &document = static_cast<invoicing::ui::InvoiceWindow &>(window);
        ASSERT_TRUE(document.isCreditNote());
        note = document.key();
        EXPECT_EQ(document.form().values().value(QStringLiteral("Num")).toInt(), 1)
            << "the first credit note of the year, with invoices there";
        ASSERT_EQ(document.pages()->count(), 5);
        EXPECT_EQ(document.pages()->tabText(1), QStringLiteral(" Righe "));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Note di Credito"));

        // The invoice is found among the customer's: first the customer.
        test::click(window, QStringLiteral("spdTrovaFattura"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione E' necessario scegliere il Cliente prima di poter proseguire"));
        test::click(window, QStringLiteral("spdImportaRighe"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione E' necessario trovare e scegliere una fattura prima di poterne "
                                 "importare le righe"));
        choose(window, "Cliente_ID", customer);
        test::whenWindowOpens(QStringLiteral("TfrmTrovaFattura"), [&](QDialog &finder) {
            auto *grid = finder.findChild<DataGrid *>();
            ASSERT_EQ(grid->records()->rowCount(), 2);
            EXPECT_EQ(grid->records()->keyAt(grid->currentRow()), credited) << "the latest invoice first";
            test::click(finder, QStringLiteral("spdAvanti"));
        });
        test::click(window, QStringLiteral("spdTrovaFattura"));
        const QVariantMap values = document.form().values();
        EXPECT_EQ(values.value(QStringLiteral("NCFattIDRif")).toLongLong(), credited);
        EXPECT_EQ(values.value(QStringLiteral("NCFattNumRif")).toInt(), 2);

        // Imported twice, the rows are there once, and the totals follow.
        test::click(window, QStringLiteral("spdImportaRighe"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Importazione avvenuta con successo !"));
        test::click(window, QStringLiteral("spdImportaRighe"));
        EXPECT_EQ(document.rows(QStringLiteral("NotaCreditoRighe"))->records().rowCount(), 2);
        EXPECT_EQ(
            document.rows(QStringLiteral("NotaCreditoRighe"))->title(),
            QStringLiteral("Fattura di riferimento n° 2 del 20/02/2026  -  Totale Nota Credito: 403,21"));
        EXPECT_DOUBLE_EQ(document.form().values().value(QStringLiteral("TotFattura")).toDouble(), 403.21);
        EXPECT_EQ(document.rows(QStringLiteral("FatturaScadenze"))->records().rowCount(), 1);

        // A row typed by hand opens in its own editor and survives "Totali".
        document.pages()->setCurrentIndex(1);
        test::whenWindowOpens(QStringLiteral("TfrmModificaNotaCreditoRighe"), [](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Modifica Nota di Credito"));
            EXPECT_EQ(editor.findChild<QLineEdit *>(QStringLiteral("edtRIFDDT")), nullptr);
            test::typeInto(editor, QStringLiteral("edtValoreUnitario"), QStringLiteral("10"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(window, QStringLiteral("spdArticoloNonArchivio"));
        test::click(window, QStringLiteral("spdTotali"));
        EXPECT_EQ(document.rows(QStringLiteral("NotaCreditoRighe"))->records().rowCount(), 3);
        EXPECT_DOUBLE_EQ(document.form().values().value(QStringLiteral("TotFattura")).toDouble(), 415.41);

        fixture.prompter.clear();
        fixture.prompter.answerDialogs({exported});
        test::click(window, QStringLiteral("spdFatturaElettronica"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Nota di credito esportata con successo !"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_GT(note, 0);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT Tipo FROM FatturaScadenze WHERE Fattura_ID = ?"), {note}).toString(),
        QStringLiteral("N"));
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.contains("<TipoDocumento>TD04</TipoDocumento>"));
    EXPECT_TRUE(xml.contains("<DatiFattureCollegate>"));

    // The list shows it exported; deleted, it goes with everything it owns.
    ASSERT_EQ(rowCount(*list), 1);
    EXPECT_TRUE(list->findChild<DataGrid *>()->records()->index(0, 0).data(Qt::BackgroundRole).isValid());
    // The list follows the number as it is typed; letters do not get in.
    auto *number = list->findChild<QLineEdit *>(QStringLiteral("edtNumero"));
    test::typeInto(*list, QStringLiteral("edtNumero"), QStringLiteral("a2"));
    EXPECT_EQ(number->text(), QStringLiteral("2"));
    EXPECT_EQ(rowCount(*list), 0);
    number->clear();
    ASSERT_EQ(rowCount(*list), 1);
    list->findChild<DataGrid *>()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_TRUE(
        fixture.prompter.wasShown(QStringLiteral("Sei sicuro di voler eliminare la nota di credito?")));
    EXPECT_EQ(rowCount(*list), 0);
    for (const char *sql : {"SELECT COUNT(*) FROM fattura WHERE ID = ?",
                            "SELECT COUNT(*) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?",
                            "SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ?"})
        EXPECT_EQ(scalar(QString::fromLatin1(sql), {note}).toInt(), 0) << sql;
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {credited}).toInt(),
              2)
        << "the invoice keeps its rows";
    list->close();
}

TEST_F(CustomerDocumentWindows, TheInvoiceListSearchesOnRequestRefusesWhatItCannotReadAndShowsHistory)
{
    const qint64 closed =
        invoice(QDate(2025, 11, 3), {{QStringLiteral("Storico"), true}, {QStringLiteral("Num"), 7}});
    invoice(QDate(2026, 1, 10));
    const qint64 second = invoice(QDate(2026, 2, 10));

    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    ASSERT_EQ(rowCount(*list), 2);
    test::typeInto(*list, QStringLiteral("edtDalNumero"), QStringLiteral("due"));
    EXPECT_EQ(rowCount(*list), 2) << "nothing is applied before \"cerca\"";
    test::click(*list, QStringLiteral("spdCerca"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione \"Dal numero\" deve essere un numero: \"due\" non lo è"));
    EXPECT_EQ(rowCount(*list), 2);
    list->findChild<QLineEdit *>(QStringLiteral("edtDalNumero"))->setText(QStringLiteral("2"));
    test::click(*list, QStringLiteral("spdCerca"));
    ASSERT_EQ(rowCount(*list), 1);
    EXPECT_EQ(list->findChild<DataGrid *>()->records()->keyAt(0), second);
    list->findChild<QLineEdit *>(QStringLiteral("edtNumOrdine"))->setText(QStringLiteral("ORD-1"));
    test::click(*list, QStringLiteral("spdCerca"));
    EXPECT_EQ(rowCount(*list), 0) << "no order has that number";
    test::click(*list, QStringLiteral("spdReset"));
    EXPECT_EQ(rowCount(*list), 2);
    EXPECT_TRUE(list->findChild<QLineEdit *>(QStringLiteral("edtDalNumero"))->text().isEmpty());

    // "Esporta ed invia" hands the invoice to the print program; its failure is told, nothing follows.
    list->findChild<DataGrid *>()->setCurrentRow(1);
    fixture.desktop.runResult = {true, 1, QStringLiteral("Stampante non disponibile")};
    test::click(*list, QStringLiteral("spdEsportaInvia"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Esportazione non riuscita:\nStampante non disponibile"));
    ASSERT_EQ(fixture.desktop.waitedFor.size(), 1);
    list->close();

    // The main window's history view: the documents of a period, closed or not.
    fixture.session->setHistoryMode(true);
    QDialog *history = windows.show(
        QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr,
        {{QStringLiteral("storico"), true},
         {QStringLiteral("parametri"),
          QVariantList{core::datetext::canonical(QDate(2025, 1, 1)),
                       core::datetext::canonical(QDate(2025, 12, 31), core::datetext::Bound::EndOfDay)}}});
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(rowCount(*history), 1);
    EXPECT_EQ(history->findChild<DataGrid *>()->records()->keyAt(0), closed);
    EXPECT_TRUE(history->windowTitle().contains(QStringLiteral("Storico dal 01/01/2025 al 31/12/2025")))
        << history->windowTitle().toStdString();
    // Nothing is added to a closed period.
    EXPECT_FALSE(history->findChild<QPushButton *>(QStringLiteral("spdInserisci"))->isVisible());
    static_cast<invoicing::ui::CustomerDocumentListWindow *>(history)->add();
    EXPECT_TRUE(
        fixture.prompter.lastText().startsWith(QStringLiteral("Attenzione nello storico non si aggiungono")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattura")).toInt(), 3);
    history->close();
    fixture.session->setHistoryMode(false);
}

TEST_F(CustomerDocumentWindows, SeveralChosenInvoicesAreExportedTogether)
{
    QList<qint64> invoices;
    for (int day = 1; day <= 3; ++day)
        invoices.append(invoice(QDate(2026, 1, day)));
    QTemporaryDir folder;
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto *grid = list->findChild<DataGrid *>();
    grid->selectionModel()->clearSelection();
    for (const qint64 chosen : {invoices.at(0), invoices.at(2)})
        grid->selectionModel()->select(grid->records()->index(grid->records()->rowOfKey(chosen), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    fixture.prompter.answerDialogs({folder.path()});
    test::click(*list, QStringLiteral("spdEsportaXml"));
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Esportati 2 documenti su 2 scelti")))
        << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattura WHERE EsportatoXml = ?"), {true}).toInt(),
              2);
    EXPECT_FALSE(
        scalar(QStringLiteral("SELECT EsportatoXml FROM fattura WHERE ID = ?"), {invoices.at(1)}).toBool());
    // The list shows at once which ones left.
    EXPECT_TRUE(grid->records()
                    ->index(grid->records()->rowOfKey(invoices.at(0)), 0)
                    .data(Qt::BackgroundRole)
                    .isValid());
    EXPECT_FALSE(grid->records()
                     ->index(grid->records()->rowOfKey(invoices.at(1)), 0)
                     .data(Qt::BackgroundRole)
                     .isValid());
    list->close();
}

} // namespace
