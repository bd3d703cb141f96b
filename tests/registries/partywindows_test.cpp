#include "registries/parties.h"
#include "registries/publicoffices.h"
#include "registries/ui/partywindows.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/shellfixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::registries::ui;

namespace {

class PartyWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setInstallFolder(QStringLiteral("/opt/rotalina"));
        test::registerAllWindows(windows);
    }

    qint64 customer(const QVariantMap &values)
    {
        const qint64 key = registries::addCustomer(fixture.archive()).value();
        EXPECT_TRUE(registries::saveCustomer(fixture.archive(), key, values));
        return key;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

} // namespace

TEST_F(PartyWindows, CustomerListFiltersColoursAndHandsOverAddresses)
{
    const qint64 category = test::addRow(
        fixture.archive(), QStringLiteral("ClientiCategoria"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Logistica")}, {QStringLiteral("Colore"), 255}});
    const qint64 alfa = customer({{QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica")},
                                  {QStringLiteral("EMail"), QStringLiteral("ordini@alfa.it")},
                                  {QStringLiteral("Categoria_ID"), category},
                                  {QStringLiteral("ColoreCategoria"), 255}});
    const qint64 bottega = customer({{QStringLiteral("Cliente"), QStringLiteral("Bottega D'Angelo")},
                                     {QStringLiteral("EMail"), QStringLiteral("info@bottega.it")},
                                     {QStringLiteral("NumeroColore"), 65280}});
    customer(
        {{QStringLiteral("Cliente"), QStringLiteral("Cessato S.n.c.")}, {QStringLiteral("Annullato"), true}});

    PartyListWindow list(*fixture.session, true, windows);
    list.show();
    EXPECT_EQ(list.objectName(), QStringLiteral("TfrmClienti"));
    EXPECT_EQ(list.grid()->gridName(), QStringLiteral("frmClienti_Griglia"));
    EXPECT_EQ(list.records().rowCount(), 2) << "withdrawn customers are hidden";
    list.findChild<QCheckBox *>(QStringLiteral("chkAnnullati"))->setChecked(true);
    EXPECT_EQ(list.records().rowCount(), 3);
    list.findChild<QCheckBox *>(QStringLiteral("chkAnnullati"))->setChecked(false);

    // Rows are painted with their own colour, else their category's.
    const int alfaRow = list.records().rowOfKey(alfa);
    const int bottegaRow = list.records().rowOfKey(bottega);
    EXPECT_EQ(list.records().data(list.records().index(alfaRow, 0), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 0, 0));
    EXPECT_EQ(list.records().data(list.records().index(bottegaRow, 0), Qt::BackgroundRole).value<QColor>(),
              QColor(0, 255, 0));

    auto *categories = list.findChild<QComboBox *>(QStringLiteral("cboCategorie"));
    ASSERT_NE(categories, nullptr);
    categories->setCurrentIndex(categories->findText(QStringLiteral("Logistica")));
    EXPECT_EQ(list.records().rowCount(), 1);
    categories->setCurrentIndex(0);

    list.grid()->clearSelection();
    list.copyEmails();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));
    list.selectAll();
    list.copyEmails();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ordini@alfa.it; info@bottega.it"));

    QTemporaryDir folder;
    fixture.prompter.answerDialogs({folder.path()});
    list.exportContacts();
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.vcf")}, QDir::Files),
              (QStringList{QStringLiteral("Alfa Logistica.vcf"), QStringLiteral("Bottega D'Angelo.vcf")}));

    // The cards come back: one question, answered for both.
    fixture.prompter.answerDialogs({folder.filePath(QStringLiteral("Alfa Logistica.vcf")) + u'|' +
                                    folder.filePath(QStringLiteral("Bottega D'Angelo.vcf"))});
    fixture.prompter.answerQuestions({true});
    list.importContacts();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Clienti aggiunti: 0, aggiornati: 0, saltati: 2."));
    EXPECT_EQ(fixture.prompter.texts().filter(QStringLiteral("già presente in archivio")).size(), 1);
}

TEST_F(PartyWindows, CustomerCardChecksWarnsPrintsAndKeepsPayments)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PartyCardWindow card(*fixture.session, true, windows, key, true);
    card.show();
    EXPECT_EQ(card.objectName(), QStringLiteral("TfrmClientiDett"));
    QStringList tabs;
    for (int i = 0; i < card.pages()->count(); ++i)
        tabs.append(card.pages()->tabText(i));
    EXPECT_EQ(tabs,
              (QStringList{QStringLiteral("Generale"), QStringLiteral("Fatturazione elettronica"),
                           QStringLiteral("Pagamenti non fatturati"), QStringLiteral("Altre informazioni")}));

    card.back();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione manca la ragione sociale o il cognome del Cliente "));
    EXPECT_TRUE(card.isVisible());
    card.pages()->setCurrentIndex(1);
    EXPECT_EQ(card.pages()->currentIndex(), 0) << "the page change runs the first checks";

    RecordForm &form = card.form();
    form.setValue(QStringLiteral("Cognome"), QStringLiteral("Rossi"));
    form.setValue(QStringLiteral("Nome"), QStringLiteral("Mario"));
    form.setDirty();
    auto *vat = card.findChild<QLineEdit *>(QStringLiteral("edtIva"));
    vat->setText(QStringLiteral("01234567890"));
    emit vat->editingFinished();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione la partita Iva appena inserita non è valida!!!"));
    card.pages()->setCurrentIndex(1);
    EXPECT_EQ(card.pages()->currentIndex(), 1);
    EXPECT_EQ(
        test::count(fixture.archive(),
                    QStringLiteral("SELECT COUNT(*) FROM Clienti WHERE NominativoDocumenti = 'Rossi Mario'")),
        1)
        << "the page change saved";

    card.back();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il comune della sede!"));
    form.setValue(QStringLiteral("Comune_id"), 23091);
    form.setValue(QStringLiteral("Citta"), QStringLiteral("Verona"));
    form.setValue(QStringLiteral("Cap"), QStringLiteral("37121"));
    form.setValue(QStringLiteral("Via"), QStringLiteral("Via Roma 1"));
    form.setDirty();

    // The privacy statement of this customer.
    card.print();
    EXPECT_EQ(fixture.desktop.started, QStringList{QStringLiteral("/opt/rotalina/rotalina-stampa ")});
    EXPECT_EQ(
        fixture.archive().scalar(QStringLiteral("SELECT NomeReport FROM TempStampa")).value().toString(),
        QStringLiteral("/opt/rotalina/reports/PrivacyClienti.rpt"));

    // A payment's amount goes back to the opening balance when it is deleted.
    ASSERT_TRUE(fixture.archive().update(QStringLiteral("Clienti"), key,
                                         {{QStringLiteral("SaldoInizioAnno"), 100.0}}));
    const qint64 payment =
        test::addRow(fixture.archive(), QStringLiteral("ClientiPagamenti"),
                     {{QStringLiteral("Cliente_id"), key}, {QStringLiteral("Importo"), 0.0}});
    ASSERT_TRUE(registries::savePayment(fixture.archive(), registries::customerPayments(), payment,
                                        {{QStringLiteral("Data"), QDate(2026, 12, 1)},
                                         {QStringLiteral("Operazione"), QStringLiteral("Acconto")},
                                         {QStringLiteral("Importo"), 40.0}}));
    card.payments()->setOwner(key);
    ASSERT_EQ(card.payments()->records().rowCount(), 1);
    card.payments()->grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    card.payments()->deleteRow();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler eliminare il record ?"));
    EXPECT_EQ(card.payments()->records().rowCount(), 0);
    EXPECT_DOUBLE_EQ(fixture.archive()
                         .scalar(QStringLiteral("SELECT SaldoInizioAnno FROM Clienti WHERE Id = ?"), {key})
                         .value()
                         .toDouble(),
                     100.0);
    // The cumulative payment of the customer's instalments is offered now that it is there; with
    // nothing to pay it says so.
    QPushButton *payInvoices = card.findChild<QPushButton *>(QStringLiteral("btnAssegnoFornitori"));
    ASSERT_TRUE(payInvoices->isEnabled());
    payInvoices->click();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Non sono presenti scadenze non pagate"));

    card.back();
    EXPECT_FALSE(card.isVisible()) << fixture.prompter.lastText().toStdString();
}

TEST_F(PartyWindows, CancellingANewCustomerDeletesItAndSuppliersHaveTheirCard)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PartyCardWindow card(*fixture.session, true, windows, key, true);
    fixture.prompter.answerQuestions({true});
    card.cancelNew();
    EXPECT_EQ(test::count(fixture.archive(), QStringLiteral("SELECT COUNT(*) FROM Clienti")), 0);

    const qint64 supplier = registries::addSupplier(fixture.archive()).value();
    PartyCardWindow supplierCard(*fixture.session, false, windows, supplier, true);
    supplierCard.show();
    EXPECT_EQ(supplierCard.objectName(), QStringLiteral("TfrmFornitDett"));
    supplierCard.back();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la denominazione del fornitore"));
    supplierCard.form().setValue(QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord"));
    supplierCard.form().setDirty();
    supplierCard.back();
    EXPECT_EQ(
        test::count(fixture.archive(),
                    QStringLiteral("SELECT COUNT(*) FROM Fornitor WHERE Fornitore = 'Carburanti Nord'")),
        1)
        << fixture.prompter.lastText().toStdString();
}

TEST_F(PartyWindows, PublicAdministrationFinderFillsTheCustomer)
{
    test::addRow(fixture.archive(), QStringLiteral("PA_Amministrazioni_FatturaElettronica"),
                 {{QStringLiteral("DescrizionePA"), QStringLiteral("Comune di Verona")},
                  {QStringLiteral("DescrizioneUfficio"), QStringLiteral("Ufficio Ragioneria")},
                  {QStringLiteral("codice_univoco"), QStringLiteral("UFABCD")},
                  {QStringLiteral("Comune_Id"), 23091}});
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PublicAdministrationFinder finder(*fixture.session, key);
    finder.search();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione ! E' necessario inserire i criteri di ricerca !"));
    finder.findChild<QLineEdit *>(QStringLiteral("edtComune"))->setText(QStringLiteral("verona"));
    finder.search();
    ASSERT_EQ(finder.results().rowCount(), 1);
    finder.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    finder.choose();
    EXPECT_EQ(fixture.archive()
                  .scalar(QStringLiteral("SELECT CodiceUnivocoUfficio FROM Clienti WHERE Id = ?"), {key})
                  .value()
                  .toString(),
              QStringLiteral("UFABCD"));
}

// Pictures for people to look at: the customer card's pages and the supplier card.
TEST_F(PartyWindows, Screenshots)
{
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const qint64 key = customer({{QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
                                 {QStringLiteral("Via"), QStringLiteral("Corso Porta Nuova")},
                                 {QStringLiteral("Numero"), QStringLiteral("45")},
                                 {QStringLiteral("Comune_id"), 23091},
                                 {QStringLiteral("Citta"), QStringLiteral("Verona")},
                                 {QStringLiteral("Provincia"), QStringLiteral("VR")},
                                 {QStringLiteral("Cap"), QStringLiteral("37122")},
                                 {QStringLiteral("Iva"), QStringLiteral("03456789012")},
                                 {QStringLiteral("Telefono"), QStringLiteral("045 555 1234")},
                                 {QStringLiteral("EMail"), QStringLiteral("ordini@alfalogistica.it")},
                                 {QStringLiteral("Codice"), QStringLiteral("M5UXCR1")},
                                 {QStringLiteral("SaldoInizioAnno"), 1250.5}});
    PartyCardWindow card(*fixture.session, true, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    for (int page = 0; page < card.pages()->count(); ++page) {
        card.pages()->setCurrentIndex(page);
        EXPECT_TRUE(card.grab().save(QDir(folder).filePath(QStringLiteral("cliente-%1.png").arg(page + 1))));
    }
    PartyListWindow list(*fixture.session, true, windows);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_TRUE(list.grab().save(QDir(folder).filePath(QStringLiteral("clienti.png"))));
}

TEST_F(PartyWindows, PostcodeOfAStreetOfTheTown)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PartyCardWindow card(*fixture.session, true, windows, key, true);
    card.findPostcode();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Prima devi selezionare la Città !"));

    // Bussolengo has one postcode of its own: no street list comes with the program.
    test::addRow(fixture.archive(), QStringLiteral("IndirizziItalia"),
                 {{QStringLiteral("Comune_ID"), 23015},
                  {QStringLiteral("Frazione"), QStringLiteral("San Vito")},
                  {QStringLiteral("CAP"), QStringLiteral("37012")}});
    PostcodeChooser chooser(*fixture.session, 23015);
    ASSERT_EQ(chooser.rows().rowCount(), 1);
    chooser.grid()->setCurrentRow(0);
    chooser.choose();
    EXPECT_EQ(chooser.chosen(), QStringLiteral("37012"));
}

TEST_F(PartyWindows, ButtonsBesideChoicesOpenTheirCards)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PartyCardWindow card(*fixture.session, true, windows, key, false);
    // The payment terms' button opens their list or card, now that the invoicing module has them.
    for (const char *button : {"SpeedButton4", "SpeedButton5", "SpeedButton8"})
        EXPECT_TRUE(card.findChild<QToolButton *>(QString::fromLatin1(button))->isEnabled()) << button;
}
