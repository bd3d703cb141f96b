#include "core/textfile.h"
#include "invoicing/invoicedocument.h"
#include "invoicing/paymentterms.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicingwindowfixture.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

class InvoiceWindows : public test::InvoicingWindowTest
{
protected:
    qint64 mode(const char *description, int instalments, std::initializer_list<int> days)
    {
        QVariantMap values{{QStringLiteral("Descrizione"), QString::fromUtf8(description)},
                           {QStringLiteral("NumeroScadenze"), instalments},
                           {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")}};
        int n = 1;
        for (const int day : days)
            values.insert(QStringLiteral("GG%1Scadenza").arg(n++), day);
        return test::addRow(archive(), QStringLiteral("ModPagamento"), values);
    }

    // "Aggiungi" on the rows page, choosing the tariff in the picker that opens.
    static void addTariffRow(invoicing::ui::InvoiceWindow &document, qint64 tariff)
    {
        test::whenWindowOpens(QStringLiteral("TForm2"), [tariff](QDialog &picker) {
            auto *grid = picker.findChild<DataGrid *>();
            grid->selectionModel()->select(grid->records()->index(grid->records()->rowOfKey(tariff), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            test::click(picker, QStringLiteral("spdAvanti"));
        });
        test::click(*document.rows(QStringLiteral("fattdett")), QStringLiteral("spdInserisciDett"));
    }
};

} // namespace

TEST_F(InvoiceWindows, APaymentModeIsAddedFromItsListWithItsChecks)
{
    RegistryListWindow list(*fixture.session, invoicing::paymentTermsRegistry(), windows);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    test::whenWindowOpens(QStringLiteral("TfrmModPagamDett"), [this](QDialog &card) {
        test::typeInto(card, QStringLiteral("edtDescrizione"), QStringLiteral("Bonifico 90 gg d'incasso"));
        test::typeInto(card, QStringLiteral("edtNumeroScadenze"), QStringLiteral("2"));
        test::typeInto(card, QStringLiteral("edtGG1Scadenza"), QStringLiteral("400"));
        test::click(card, QStringLiteral("spdIndietro"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Tipologia"));
        choose(card, "PA_ModalitaPagamento_Codice", QStringLiteral("MP05"));
        test::click(card, QStringLiteral("spdIndietro"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione manca un numero dei Giorni di scadenza Pagamento"));
        EXPECT_EQ(card.focusWidget(), card.findChild<QWidget *>(QStringLiteral("edtGG2Scadenza")));
        test::typeInto(card, QStringLiteral("edtGG2Scadenza"), QStringLiteral("abc30"));
        test::click(card, QStringLiteral("spdIndietro"));
    });
    test::click(list, QStringLiteral("spdInserisci"));
    const auto row =
        archive().readRow(QStringLiteral("ModPagamento"),
                          scalar(QStringLiteral("SELECT id FROM ModPagamento WHERE Descrizione = ?"),
                                 {QStringLiteral("Bonifico 90 gg d'incasso")})
                              .toLongLong());
    ASSERT_TRUE(row) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(row->value(QStringLiteral("NumeroScadenze")).toInt(), 2);
    EXPECT_EQ(row->value(QStringLiteral("GG1Scadenza")).toInt(), 360) << "at most 360 days";
    EXPECT_EQ(row->value(QStringLiteral("GG2Scadenza")).toInt(), 30) << "letters are not typed into a number";
    EXPECT_EQ(row->value(QStringLiteral("PA_ModalitaPagamento_Codice")).toString(), QStringLiteral("MP05"));
}

TEST_F(InvoiceWindows, AnInvoiceIsMadeFromTheListWithRowsTotalsAndDueDates)
{
    const qint64 standard = mode("Rimessa", 0, {});
    const qint64 twoMonths = mode("Bonifico 30/60", 2, {30, 60});
    ASSERT_TRUE(
        archive()
            .execute(QStringLiteral("UPDATE opzioni SET ModPagamento_Id = ?, Spese_di_Trasporto = 12.2, "
                                    "IncrementaNumeroRigaArticoli = true"),
                     {standard})
            .ok());
    const qint64 customer =
        test::addRow(archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Bianchi")},
                      {QStringLiteral("NominativoDocumenti"), QStringLiteral("Bianchi srl")},
                      {QStringLiteral("Pagamento_ID"), twoMonths},
                      {QStringLiteral("Sconto"), 10.0}});
    const qint64 tariff = test::addRow(archive(), QStringLiteral("prezziar"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano")},
                                        {QStringLiteral("Prezzo"), 100.0},
                                        {QStringLiteral("AliquotaIva"), 22.0},
                                        {QStringLiteral("Annullato"), false}});

    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    qint64 invoice = 0;
    test::whenWindowOpens(QStringLiteral("TForm7"), [&](QDialog &window) {
        auto &document = static_cast<invoicing::ui::InvoiceWindow &>(window);
        invoice = document.key();
        EXPECT_EQ(document.form().values().value(QStringLiteral("Num")).toInt(), 1);
        EXPECT_TRUE(window.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible());
        // Leaving without a customer is refused.
        test::click(window, QStringLiteral("spdIndietro"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il cliente della fattura"));
        // The customer brings its payment mode, which makes the due dates again.
        choose(window, "Cliente_ID", customer);
        EXPECT_EQ(document.form().values().value(QStringLiteral("ModPagamento_Id")).toLongLong(), twoMonths);
        EXPECT_EQ(document.rows(QStringLiteral("FatturaScadenze"))->records().rowCount(), 2);

        // The rows: a tariff through the picker, transport costs and a free article.
        document.pages()->setCurrentIndex(1);
        ASSERT_EQ(document.pages()->currentIndex(), 1) << fixture.prompter.lastText().toStdString();
        addTariffRow(document, tariff);
        test::whenWindowOpens(QStringLiteral("TfrmModificaFatture"), [](QDialog &editor) {
            EXPECT_TRUE(editor.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible());
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(window, QStringLiteral("SpeedButton26"));
        test::whenWindowOpens(QStringLiteral("TfrmModificaFatture"), [](QDialog &editor) {
            // The gross value follows when the user leaves a field: the window has the keyboard.
            ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
            test::typeInto(editor, QStringLiteral("edtValoreUnitario"), QStringLiteral("1.234,5678"));
            test::typeInto(editor, QStringLiteral("edtSconto"), QStringLiteral("10"));
            // 1.234,5678 less 10 % is 1.111,11102, with 22 % VAT 1.355,5554.
            EXPECT_DOUBLE_EQ(static_cast<RegistryCardWindow &>(editor)
                                 .card()
                                 .form()
                                 .values()
                                 .value(QStringLiteral("ValoreTotale"))
                                 .toDouble(),
                             1355.56);
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(window, QStringLiteral("spdArticoloNonArchivio"));
        EXPECT_EQ(document.rows(QStringLiteral("fattdett"))->records().rowCount(), 3);
        // 90 (the customer's discount) + 10 + 1111,1102 = 1211,11 net; the VAT is 22 %.
        EXPECT_EQ(document.form().values().value(QStringLiteral("TotImponibile")).toDouble(), 1211.11);
        EXPECT_EQ(document.form().values().value(QStringLiteral("TotFattura")).toDouble(), 1477.55);
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_GT(invoice, 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Cliente FROM fattura WHERE ID = ?"), {invoice}).toString(),
              QStringLiteral("Bianchi srl"));
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice})
            .toDouble(),
        1477.55);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice})
                  .toInt(),
              2);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT MAX(NumeroRiga) FROM fattdett WHERE NumFatt = ?"), {invoice}).toInt(),
        3);

    // Deleted from the list, with everything that belongs to it.
    auto *invoices = list->findChild<DataGrid *>();
    invoices->setCurrentRow(invoices->records()->rowOfKey(invoice));
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattura")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze")).toInt(), 0);
    list->close();
}

TEST_F(InvoiceWindows, AnnullaTakesTheNewInvoiceAwayAndANumberFollows)
{
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    test::whenWindowOpens(QStringLiteral("TForm7"), [this](QDialog &window) {
        fixture.prompter.answerQuestions({true});
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_TRUE(fixture.prompter.wasShown(QStringLiteral("Sei sicuro di voler annullare l'inserimento ?")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattura")).toInt(), 0);
    EXPECT_EQ(list->findChild<DataGrid *>()->records()->rowCount(), 0);
    list->close();
}

TEST_F(InvoiceWindows, AnInvoiceMadeInTheWindowIsExportedWithItsAttachmentAndMarked)
{
    ASSERT_TRUE(
        archive()
            .execute(QStringLiteral("UPDATE ditta SET IdPaese = 'IT', PIva = '12345670017', RagSoc = 'Rossi "
                                    "Trasporti', Via = 'Via Roma', Cap = '20100', Comune = 'Milano', "
                                    "RegimeFiscale = 'RF01'"))
            .ok());
    const qint64 transfer = mode("Bonifico 30", 1, {30});
    const qint64 customer = test::addRow(archive(), QStringLiteral("Clienti"),
                                         {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")},
                                          {QStringLiteral("NominativoDocumenti"), QStringLiteral("Alfa spa")},
                                          {QStringLiteral("Cliente"), QStringLiteral("Alfa spa")},
                                          {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                                          {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                          {QStringLiteral("Codice"), QStringLiteral("ABC1234")},
                                          {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                                          {QStringLiteral("Citta"), QStringLiteral("Torino")},
                                          {QStringLiteral("Pagamento_ID"), transfer}});
    const qint64 tariff = test::addRow(archive(), QStringLiteral("prezziar"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano")},
                                        {QStringLiteral("Prezzo"), 100.0},
                                        {QStringLiteral("AliquotaIva"), 22.0},
                                        {QStringLiteral("Annullato"), false}});
    QTemporaryDir folder;
    const QString scan = QDir(folder.path()).filePath(QStringLiteral("cmr.pdf"));
    ASSERT_TRUE(core::writeTextFile(scan, QStringLiteral("%PDF cmr")).ok());
    const QString exported = QDir(folder.path()).filePath(QStringLiteral("fattura.xml"));

    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaFatture"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    qint64 invoice = 0;
    test::whenWindowOpens(QStringLiteral("TForm7"), [&](QDialog &window) {
        auto &document = static_cast<invoicing::ui::InvoiceWindow &>(window);
        invoice = document.key();
        choose(window, "Cliente_ID", customer);
        document.pages()->setCurrentIndex(1);
        addTariffRow(document, tariff);

        // Without its transmission number the user is taken to the field.
        auto *progressive =
            window.findChild<QLineEdit *>(QStringLiteral("edtDatiTrasmissione_ProgressivoInvio"));
        ASSERT_NE(progressive, nullptr);
        const QString number = progressive->text();
        document.pages()->setCurrentIndex(1);
        progressive->selectAll();
        QTest::keyClick(progressive, Qt::Key_Delete);
        test::click(window, QStringLiteral("spdFatturaElettronica"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione manca il numero progressivo di trasmissione"));
        EXPECT_EQ(document.pages()->currentIndex(), 0);
        test::typeInto(window, QStringLiteral("edtDatiTrasmissione_ProgressivoInvio"), number);
        document.pages()->setCurrentIndex(1);

        // The customer's postcode is missing: the export says so and writes nothing.
        fixture.prompter.clear();
        test::click(window, QStringLiteral("spdFatturaElettronica"));
        EXPECT_TRUE(fixture.prompter.lastText().contains(QStringLiteral("Cliente «Alfa spa»: CAP: manca")))
            << fixture.prompter.lastText().toStdString();
        EXPECT_FALSE(QFileInfo::exists(exported));
        ASSERT_TRUE(archive()
                        .execute(QStringLiteral("UPDATE Clienti SET Cap = '10100' WHERE Id = ?"), {customer})
                        .ok());

        // An attachment chosen with "Cerca": its name and format follow the file.
        document.pages()->setCurrentIndex(4);
        test::whenWindowOpens(QStringLiteral("TfrmModifica_Fattura_Allegati"), [&](QDialog &editor) {
            test::click(editor, QStringLiteral("spdSalva"));
            EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il nome dell'allegato"));
            fixture.prompter.answerDialogs({QDir(folder.path()).filePath(QStringLiteral("sparito.pdf"))});
            test::click(editor, QStringLiteral("Cerca"));
            test::click(editor, QStringLiteral("spdSalva"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione il File non risulta esistere nel percorso definito !"));
            fixture.prompter.answerDialogs({scan});
            test::click(editor, QStringLiteral("Cerca"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*document.rows(QStringLiteral("Fattura_Allegati")), QStringLiteral("spdInserisciDett"));

        fixture.prompter.clear();
        fixture.prompter.answerDialogs({exported});
        test::click(window, QStringLiteral("spdFatturaElettronica"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Fattura esportata con successo !"));
        EXPECT_TRUE(document.form().values().value(QStringLiteral("EsportatoXml")).toBool())
            << "the window shows the mark";
        EXPECT_FALSE(window.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible())
            << "an exported invoice is no longer taken away by Annulla or Esc";
        // "Visualizza" hands the chosen file to the print program.
        fixture.prompter.answerDialogs({exported});
        test::click(window, QStringLiteral("spdVisualizzaXml"));
        ASSERT_FALSE(fixture.desktop.started.isEmpty());
        EXPECT_TRUE(
            fixture.desktop.started.last().endsWith(QStringLiteral("--fattura-elettronica ") + exported))
            << fixture.desktop.started.last().toStdString();
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    // The list shows the invoice as exported, and "cerca" narrows it by customer.
    auto *invoices = list->findChild<DataGrid *>();
    ASSERT_EQ(invoices->records()->rowCount(), 1);
    EXPECT_TRUE(invoices->records()->index(0, 0).data(Qt::BackgroundRole).isValid());
    auto *customerFilter = list->findChild<LookupBox *>(QStringLiteral("dblCliente"));
    customerFilter->setKey(customer);
    test::click(*list, QStringLiteral("spdCerca"));
    EXPECT_EQ(invoices->records()->rowCount(), 1);
    customerFilter->setKey(
        test::addRow(archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Zeta")}}));
    test::click(*list, QStringLiteral("spdCerca"));
    EXPECT_EQ(invoices->records()->rowCount(), 0);
    list->close();
    ASSERT_GT(invoice, 0);
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.contains("<Descrizione>Verona - Milano</Descrizione>"));
    EXPECT_TRUE(xml.contains("<NomeAttachment>cmr.pdf</NomeAttachment>"));
    EXPECT_TRUE(xml.contains("<FormatoAttachment>PDF</FormatoAttachment>"));
    EXPECT_TRUE(xml.contains("<ModalitaPagamento>MP05</ModalitaPagamento>"));
    EXPECT_TRUE(scalar(QStringLiteral("SELECT EsportatoXml FROM fattura WHERE ID = ?"), {invoice}).toBool());
}

TEST_F(InvoiceWindows, ACustomerOrderReferenceNeedsItsNumberAndItsDate)
{
    const qint64 invoice =
        test::addRow(archive(), QStringLiteral("fattura"),
                     {{QStringLiteral("Carico"), false}, {QStringLiteral("FattNota"), false}});
    const core::Result<qint64> order = invoicing::customerOrdersRegistry().add(archive(), invoice);
    ASSERT_TRUE(order) << order.error().toStdString();
    ASSERT_TRUE(
        archive().update(QStringLiteral("OrdiniClienti"), *order, {{QStringLiteral("Data"), QVariant()}}));
    RegistryCardWindow card(*fixture.session, invoicing::customerOrdersRegistry(), windows, *order, true);
    card.show();
    EXPECT_EQ(card.objectName(), QStringLiteral("TfrmModificaOrdiniClienti"));
    EXPECT_EQ(card.windowTitle(), QStringLiteral("Ordini Clienti"));
    test::click(card, QStringLiteral("spdSalva"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("E' necessario salvare il numero di Ordine!!!"));
    test::typeInto(card, QStringLiteral("edtNumero"), QStringLiteral("ORD-7"));
    test::click(card, QStringLiteral("spdSalva"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("E' necessario salvare la data di Ordine!!!"));
    test::typeInto(card, QStringLiteral("maskData"), QStringLiteral("05/03/2026"));
    test::click(card, QStringLiteral("spdSalva"));
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM OrdiniClienti WHERE Numero = 'ORD-7' AND "
                                         "Data IS NOT NULL AND Fattura_ID = ?"),
                          {invoice}),
              1);
}
