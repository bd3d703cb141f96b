#include "registries/customernotices.h"
#include "registries/ui/noticewizard.h"
#include "registries/ui/registrieswindows.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/windowregistry.h"
#include "storage/workstationrows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using registries::ui::NoticeWizard;

namespace {

const QString office = QStringLiteral("UFFICIO");
const QString warehouse = QStringLiteral("MAGAZZINO");

class NoticeWizardWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::ui::EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setInstallFolder(QStringLiteral("/opt/rotalina"));
        registries::ui::registerRegistriesWindows(windows);
    }

    storage::Archive &archive() { return fixture.archive(); }

    qint64 customer(const QString &name, QVariantMap values = {})
    {
        values.insert(QStringLiteral("NominativoVisualizzato"), name);
        values.insert(QStringLiteral("NominativoDocumenti"), name);
        values.insert(QStringLiteral("Cliente"), name);
        return test::addRow(archive(), QStringLiteral("Clienti"), values);
    }

    QList<qint64> chosen(const QString &workstation)
    {
        QList<qint64> keys;
        core::Result<QSqlQuery> rows =
            storage::WorkstationRows(archive(), workstation).rows(QStringLiteral("TempAvvisiClienti"));
        EXPECT_TRUE(rows) << rows.error().toStdString();
        while (rows && rows->next())
            keys.append(rows->value(QStringLiteral("Cliente_ID")).toLongLong());
        return keys;
    }

    QString requested(const char *field)
    {
        const auto value = archive().scalar(
            QStringLiteral("SELECT %1 FROM TempStampa WHERE NomeComputer = ?").arg(QLatin1String(field)),
            {office});
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? value->toString() : QString();
    }

    static QWidget &page(NoticeWizard &wizard, const char *name)
    {
        EXPECT_EQ(wizard.currentPage()->objectName(), QString::fromLatin1(name));
        return *wizard.currentPage();
    }

    test::ShellFixture fixture{office};
    shell::ui::WindowRegistry windows;
};

} // namespace

TEST_F(NoticeWizardWindow, TheMainWindowsButtonOpensTheTextPage)
{
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmAvvisiClienti_Campi")));
    EXPECT_EQ(windows.helpContext(QStringLiteral("TfrmAvvisiClienti_Campi")), 5150);
    bool shown = false;
    test::whenWindowOpens(QStringLiteral("TfrmAvvisiClienti_Campi"), [&shown](QDialog &window) {
        auto &wizard = static_cast<NoticeWizard &>(window);
        shown = true;
        EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Avvisi per Clienti"));
        EXPECT_EQ(shell::ui::WindowRegistry::helpContextOf(wizard.currentPage()), 5150);
        // The three pages are told apart by their names.
        for (const char *name :
             {"TfrmAvvisiClienti_Campi", "TfrmAvvisiClienti_Filtri", "TfrmAvvisiClienti_Griglia"})
            EXPECT_NE(wizard.findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
        test::click(page(wizard, "TfrmAvvisiClienti_Campi"), QStringLiteral("spdIndietro"));
    });
    EXPECT_TRUE(windows.open(QStringLiteral("TfrmAvvisiClienti_Campi"), *fixture.session, nullptr));
    EXPECT_TRUE(shown);
}

TEST_F(NoticeWizardWindow, TextFiltersGridAndPrintOfTheCheckedCustomers)
{
    const qint64 alfa = customer(QStringLiteral("Alfa Trasporti"), {{QStringLiteral("Provincia"), "VR"}});
    const qint64 beta = customer(QStringLiteral("Beta Logistica"), {{QStringLiteral("Provincia"), "VR"}});
    customer(QStringLiteral("Gamma S.r.l."), {{QStringLiteral("Provincia"), "MI"}});
    customer(QStringLiteral("Cessata S.n.c."),
             {{QStringLiteral("Provincia"), "VR"}, {QStringLiteral("Annullato"), true}});
    test::addRow(
        archive(), QStringLiteral("Avvisi"),
        {{QStringLiteral("Descrizione"), "Ferie"},
         {QStringLiteral("Testo"), "Gentile cliente, l'ufficio resterà chiuso dal 10 al 20 agosto."}});
    // Another workstation is printing its own notices.
    storage::WorkstationRows theirs(archive(), warehouse);
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempAvvisiClienti"), {{QStringLiteral("Cliente_ID"), beta}}));
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempAvvisi"), {{QStringLiteral("Testo"), "Inventario"}}));

    NoticeWizard wizard(*fixture.session);
    wizard.show();
    QAbstractItemModelTester tester(&wizard.customers(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);

    // The text is needed to save and to go on.
    QWidget &text = page(wizard, "TfrmAvvisiClienti_Campi");
    test::click(text, QStringLiteral("btnContinua"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il testo"));
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di Errore"));
    page(wizard, "TfrmAvvisiClienti_Campi");
    fixture.prompter.clear();
    test::click(text, QStringLiteral("spdSalva"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il testo"));

    // A stored notice replaces the text typed only when the user confirms.
    test::typeInto(text, QStringLiteral("txtTesto"), QStringLiteral("Avviso scritto a mano"));
    auto *notices = text.findChild<shell::ui::LookupBox *>(QStringLiteral("cboAvvisi"));
    ASSERT_NE(notices, nullptr);
    notices->setFocus();
    QTest::keyClick(notices, Qt::Key_Down);
    ASSERT_EQ(notices->currentText(), QStringLiteral("Ferie"));
    auto *typed = text.findChild<QPlainTextEdit *>(QStringLiteral("txtTesto"));
    fixture.prompter.clear();
    fixture.prompter.answerQuestions({false});
    test::click(text, QStringLiteral("btnImporta"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Sei sicuro di voler importare il tipo di avviso ?"));
    EXPECT_EQ(typed->toPlainText(), QStringLiteral("Avviso scritto a mano"));
    fixture.prompter.answerQuestions({true});
    test::click(text, QStringLiteral("btnImporta"));
    const QString holidays = QStringLiteral("Gentile cliente, l'ufficio resterà chiuso dal 10 al 20 agosto.");
    EXPECT_EQ(typed->toPlainText(), holidays);

    test::click(text, QStringLiteral("btnContinua"));
    EXPECT_EQ(registries::noticeText(archive(), office).value(), holidays);
    EXPECT_EQ(registries::noticeText(archive(), warehouse).value(), QStringLiteral("Inventario"));

    // Back and forth keeps what was typed.
    test::click(page(wizard, "TfrmAvvisiClienti_Filtri"), QStringLiteral("spdIndietro"));
    EXPECT_EQ(page(wizard, "TfrmAvvisiClienti_Campi")
                  .findChild<QPlainTextEdit *>(QStringLiteral("txtTesto"))
                  ->toPlainText(),
              holidays);
    test::click(page(wizard, "TfrmAvvisiClienti_Campi"), QStringLiteral("btnContinua"));

    QWidget &filters = page(wizard, "TfrmAvvisiClienti_Filtri");
    // A date that is no date stops the search.
    test::typeInto(filters, QStringLiteral("txtDaDataScadenza"), QStringLiteral("31022026"));
    fixture.prompter.clear();
    test::click(filters, QStringLiteral("btnContinua"));
    EXPECT_TRUE(fixture.prompter.lastText().contains(QStringLiteral("\"Da data scadenza\" non è una data")))
        << fixture.prompter.lastText().toStdString();
    page(wizard, "TfrmAvvisiClienti_Filtri");
    filters.findChild<QLineEdit *>(QStringLiteral("txtDaDataScadenza"))->clear();

    test::typeInto(filters, QStringLiteral("cboProvincia"), QStringLiteral("VR"));
    auto *province = filters.findChild<shell::ui::LookupBox *>(QStringLiteral("cboProvincia"));
    ASSERT_EQ(province->key().toString(), QStringLiteral("VR"));
    fixture.prompter.clear();
    test::click(filters, QStringLiteral("btnContinua"));
    EXPECT_TRUE(fixture.prompter.texts().isEmpty()) << fixture.prompter.lastText().toStdString();

    QWidget &grid = page(wizard, "TfrmAvvisiClienti_Griglia");
    registries::ui::NoticeCustomerModel &found = wizard.customers();
    ASSERT_EQ(found.rowCount(), 2) << "the withdrawn customer of Verona is left out";
    EXPECT_EQ(found.customer(0).key, alfa);
    EXPECT_EQ(found.customer(1).key, beta);
    EXPECT_TRUE(found.isChecked(0) && found.isChecked(1)) << "all checked at first";

    // Back to the filters and on again: the province is still chosen.
    test::click(grid, QStringLiteral("spdIndietro"));
    EXPECT_EQ(page(wizard, "TfrmAvvisiClienti_Filtri")
                  .findChild<shell::ui::LookupBox *>(QStringLiteral("cboProvincia"))
                  ->key()
                  .toString(),
              QStringLiteral("VR"));
    test::click(filters, QStringLiteral("btnContinua"));
    ASSERT_EQ(found.rowCount(), 2);

    // The user takes Beta off with the space bar.
    auto *table = grid.findChild<QTableView *>(QStringLiteral("DBGrid1"));
    ASSERT_NE(table, nullptr);
    table->setFocus();
    table->setCurrentIndex(found.index(1, registries::ui::NoticeCustomerModel::Name));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_FALSE(found.isChecked(1));
    EXPECT_TRUE(found.isChecked(0));
    EXPECT_EQ(grid.findChild<QLabel *>(QStringLiteral("lblTrovati"))->text(),
              QStringLiteral("Clienti trovati: 2, scelti: 1"));

    fixture.prompter.clear();
    test::click(grid, QStringLiteral("btnStampa"));
    EXPECT_TRUE(fixture.prompter.texts().isEmpty()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(chosen(office), QList<qint64>{alfa});
    EXPECT_EQ(chosen(warehouse), QList<qint64>{beta}) << "another workstation's rows stay";
    EXPECT_EQ(fixture.desktop.started, QStringList{QStringLiteral("/opt/rotalina/rotalina-stampa ")});
    EXPECT_EQ(requested("NomeReport"), QStringLiteral("/opt/rotalina/reports/Avvisi.rpt"));
    // What the print program will lay out: one notice, to Alfa, with this workstation's text.
    core::Result<QSqlQuery> notices81 = archive().select(requested("Query"));
    ASSERT_TRUE(notices81) << notices81.error().toStdString();
    ASSERT_TRUE(notices81->next());
    EXPECT_EQ(notices81->value(QStringLiteral("Cliente")).toString(), QStringLiteral("Alfa Trasporti"));
    EXPECT_EQ(notices81->value(QStringLiteral("Testo")).toString(), holidays);
    EXPECT_FALSE(notices81->next());

    // With every mark taken off there is nothing to print.
    QTest::keyClick(table, Qt::Key_Up);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_TRUE(found.checkedKeys().isEmpty());
    fixture.desktop.started.clear();
    test::click(grid, QStringLiteral("btnStampa"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione nessun cliente scelto per l'avviso"));
    EXPECT_TRUE(fixture.desktop.started.isEmpty());
    EXPECT_EQ(chosen(office), QList<qint64>{alfa}) << "the earlier choice stays until a print";
}

TEST_F(NoticeWizardWindow, PaymentMadeAndRangeReachTheSearch)
{
    const qint64 paid = customer(QStringLiteral("Alfa Trasporti"));
    test::addRow(archive(), QStringLiteral("FatturaScadenze"),
                 {{QStringLiteral("Cliente_id"), paid},
                  {QStringLiteral("DataScadenza"), QDate(2026, 3, 31)},
                  {QStringLiteral("DataPagamento"), QDate(2026, 4, 2)}});
    const qint64 unpaid = customer(QStringLiteral("Beta Logistica"));
    test::addRow(
        archive(), QStringLiteral("FatturaScadenze"),
        {{QStringLiteral("Cliente_id"), unpaid}, {QStringLiteral("DataScadenza"), QDate(2026, 3, 31)}});
    customer(QStringLiteral("Gamma S.r.l."), {{QStringLiteral("PubblicaAmministrazione"), true}});
    ASSERT_TRUE(registries::saveNoticeText(archive(), office, QStringLiteral("Nuovo listino")));

    NoticeWizard wizard(*fixture.session);
    wizard.show();
    QWidget &text = page(wizard, "TfrmAvvisiClienti_Campi");
    EXPECT_EQ(text.findChild<QPlainTextEdit *>(QStringLiteral("txtTesto"))->toPlainText(),
              QStringLiteral("Nuovo listino"))
        << "the workstation's text comes back";
    test::click(text, QStringLiteral("btnContinua"));

    QWidget &filters = page(wizard, "TfrmAvvisiClienti_Filtri");
    test::typeInto(filters, QStringLiteral("txtDaDataScadenza"), QStringLiteral("31032026"));
    test::typeInto(filters, QStringLiteral("txtAllaDataScadenza"), QStringLiteral("31032026"));
    test::click(filters, QStringLiteral("btnContinua"));
    ASSERT_EQ(wizard.customers().rowCount(), 1);
    EXPECT_EQ(wizard.customers().customer(0).key, unpaid);

    test::click(page(wizard, "TfrmAvvisiClienti_Griglia"), QStringLiteral("spdIndietro"));
    filters.findChild<QCheckBox *>(QStringLiteral("chkPagamentoEffettuato"))->click();
    test::click(filters, QStringLiteral("btnContinua"));
    ASSERT_EQ(wizard.customers().rowCount(), 1);
    EXPECT_EQ(wizard.customers().customer(0).key, paid);

    test::click(page(wizard, "TfrmAvvisiClienti_Griglia"), QStringLiteral("spdIndietro"));
    for (const char *name : {"txtDaDataScadenza", "txtAllaDataScadenza"})
        filters.findChild<QLineEdit *>(QString::fromLatin1(name))->clear();
    filters.findChild<QCheckBox *>(QStringLiteral("chkPagamentoEffettuato"))->click();
    filters.findChild<QCheckBox *>(QStringLiteral("chkPubblicaAmministrazione"))->click();
    test::click(filters, QStringLiteral("btnContinua"));
    ASSERT_EQ(wizard.customers().rowCount(), 1);
    EXPECT_EQ(wizard.customers().customer(0).name, QStringLiteral("Gamma S.r.l."));
}
