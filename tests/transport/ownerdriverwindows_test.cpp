#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/ownerdrivers.h"
#include "transport/ui/ownerdriverwindows.h"

#include <QColor>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::transport::ui;

namespace {

class OwnerDriverWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        test::registerAllWindows(windows);
        threeInstalments = test::addRow(archive(), QStringLiteral("ModPagamento"),
                                        {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30/60/90")},
                                         {QStringLiteral("NumeroScadenze"), 3},
                                         {QStringLiteral("GG1Scadenza"), 30},
                                         {QStringLiteral("GG2Scadenza"), 60},
                                         {QStringLiteral("GG3Scadenza"), 90},
                                         {QStringLiteral("FatturaFineMese"), false},
                                         {QStringLiteral("AnnoCommerciale"), false},
                                         {QStringLiteral("CalcolaScadenzeFineMeseInizio"), false}});
    }

    storage::Archive &archive() { return fixture.archive(); }

    void job(qint64 owner, const QDateTime &when, double cost, int number, bool cancelled = false)
    {
        test::addRow(archive(), QStringLiteral("TotaliCo"),
                     {{QStringLiteral("Numero"), number},
                      {QStringLiteral("Data"), when},
                      {QStringLiteral("Padroncino_id"), owner},
                      {QStringLiteral("CostoPadroncino"), cost},
                      {QStringLiteral("Annullato"), cancelled},
                      {QStringLiteral("Storico"), false}});
    }

    static void choose(QWidget &window, const char *name, const QVariant &key)
    {
        auto *box = window.findChild<LookupBox *>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        box->setKey(key);
        emit box->chosen(key);
    }

    static QString textOf(QWidget &window, const char *name)
    {
        auto *edit = window.findChild<QLineEdit *>(QString::fromLatin1(name));
        return edit ? edit->text() : QStringLiteral("<none>");
    }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 threeInstalments = 0;
};

TEST_F(OwnerDriverWindows, ANewUserPaysAnOwnerDriverForLastMonthsJobsInInstalments)
{
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmGrigliaPadroncini")));
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaPadroncini"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &owners = static_cast<OwnerDriverListWindow &>(*list);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Padroncini"));

    qint64 owner = 0;
    test::whenWindowOpens(QStringLiteral("TfrmPadronciniDettaglio"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &card = static_cast<OwnerDriverCardWindow &>(window);
        owner = card.form().key();
        EXPECT_EQ(card.pages()->tabText(0), QStringLiteral("  Generale  "));
        EXPECT_EQ(card.pages()->tabText(1), QStringLiteral("  Scadenze  "));

        // The hourly rate needs a daily one.
        test::click(window, QStringLiteral("Button2"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione Inserisci la Tariffa giornaliera per poter calcolare la tariffa "
                                 "Oraria!"));
        test::typeInto(window, QStringLiteral("edtTariffaGiornaliera"), QStringLiteral("200"));
        test::click(window, QStringLiteral("Button2"));
        EXPECT_EQ(textOf(window, "edtTariffaOraria"), QStringLiteral("25,00"));

        // The instalments belong to an owner-driver with a name.
        card.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Ragione Sociale !"));
        EXPECT_EQ(card.pages()->currentIndex(), 0);
        test::typeInto(window, QStringLiteral("edtRagioneSociale"), QStringLiteral("Bianchi Autotrasporti"));
        card.pages()->setCurrentIndex(1);
        ASSERT_EQ(card.pages()->currentIndex(), 1);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Padroncini WHERE RagioneSociale = "
                                       "'Bianchi Autotrasporti' AND TariffaOraria = 25")),
                  1);

        // February's jobs, one on the morning of its last day, one cancelled.
        job(owner, QDateTime(QDate(2026, 2, 5), QTime(9, 0)), 400, 1);
        job(owner, QDateTime(QDate(2026, 2, 28), QTime(8, 0)), 600, 2);
        job(owner, QDateTime(QDate(2026, 2, 20), QTime(9, 0)), 5000, 3, true);

        test::whenWindowOpens(QStringLiteral("TfrmCalcolaScadenzePadroncino"), [&](QDialog &generator) {
            EXPECT_EQ(generator.windowTitle(), QStringLiteral("Calcola Scadenze Padroncino"));
            test::click(generator, QStringLiteral("SpeedButton1"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
            EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di avviso!!"));
            test::typeInto(generator, QStringLiteral("maskDa"), QStringLiteral("01022026"));
            test::typeInto(generator, QStringLiteral("maskA"), QStringLiteral("28022026"));
            test::click(generator, QStringLiteral("Button2"));
            EXPECT_EQ(generator.findChild<AmountBox *>(QStringLiteral("txtImponibile"))->value(), 1000);
            EXPECT_EQ(generator.findChild<AmountBox *>(QStringLiteral("txtTotale"))->value(), 1000);
            test::click(generator, QStringLiteral("SpeedButton1"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione E' necessario definire la data di riferimento..."));
            test::typeInto(generator, QStringLiteral("msDataRiferimento"), QStringLiteral("01032026"));
            test::click(generator, QStringLiteral("SpeedButton1"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione E' necessario definire la modalità di pagamento..."));
            choose(generator, "LookModPagamento", threeInstalments);
            test::click(generator, QStringLiteral("SpeedButton1"));
        });
        test::click(window, QStringLiteral("spdCalcola"));
        EXPECT_EQ(card.instalments()->records().rowCount(), 3);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze WHERE Padroncino_ID = ? AND "
                                       "pagato = false"),
                        {owner}),
                  3);

        // The first instalment (the last row: the newest due date stands first) paid today.
        DataGrid *grid = card.instalments()->grid();
        grid->setCurrentRow(card.instalments()->records().rowCount() - 1);
        test::whenWindowOpens(QStringLiteral("TfrmModificaPadronciniScadenze"), [](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Scadenze Padroncino"));
            test::click(editor, QStringLiteral("btnOggi"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(window, QStringLiteral("spdAvantiDett"));
        EXPECT_EQ(card.form().values().value(QStringLiteral("SaldoInizioAnno")).toDouble(), -333.33)
            << "the card shows the balance the payment moved";
        card.pages()->setCurrentIndex(0);
        EXPECT_EQ(textOf(window, "edtSaldoInizioAnno"), QStringLiteral("-333,33"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_NE(owner, 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze WHERE pagato = true AND "
                                   "Importo = 333.33 AND Numero = 1 AND DataPagamento IS NOT NULL")),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze WHERE Numero = 3 AND Importo = "
                                   "333.34")),
              1)
        << "the instalments add up to the total";
    EXPECT_EQ(owners.records().rowCount(), 1);

    // Named by job orders, it stays.
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.shown().at(fixture.prompter.shown().size() - 2).text,
              QStringLiteral("Sei sicuro di voler eliminare il padroncino?"));
    EXPECT_EQ(
        fixture.prompter.lastText(),
        QStringLiteral("Attenzione il padroncino è nelle commesse n. 1 del 05/02/2026, n. 3 del 20/02/2026, "
                       "n. 2 del 28/02/2026: non può essere eliminato."));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Padroncini")), 1);
    list->close();
    QTest::qWait(0);
}

TEST_F(OwnerDriverWindows, TheListFindsByTheBeginningAndPaintsAnExpiredDurcRed)
{
    const qint64 expired = *transport::addOwnerDriver(archive());
    const qint64 valid = *transport::addOwnerDriver(archive());
    ASSERT_TRUE(archive().update(QStringLiteral("Padroncini"), expired,
                                 {{QStringLiteral("RagioneSociale"), QStringLiteral("Rossi")},
                                  {QStringLiteral("ScadenzaDurc"), QDate::currentDate().addDays(-1)}}));
    ASSERT_TRUE(archive().update(QStringLiteral("Padroncini"), valid,
                                 {{QStringLiteral("RagioneSociale"), QStringLiteral("Ferri Rossi")}}));
    OwnerDriverListWindow list(*fixture.session, windows);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    storage::RecordListModel &rows = list.records();
    ASSERT_EQ(rows.rowCount(), 2);
    const auto colour = [&rows](qint64 key) {
        return rows.data(rows.index(rows.rowOfKey(key), 0), Qt::BackgroundRole);
    };
    EXPECT_EQ(colour(expired).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(colour(valid).isValid());

    test::typeInto(list, QStringLiteral("edtFiltroRagioneSociale"), QStringLiteral("Ross"));
    ASSERT_EQ(rows.rowCount(), 1) << "the name begins with what is typed";
    EXPECT_EQ(rows.keyAt(0), expired);

    // "Invia Email" wants chosen rows.
    list.grid()->clearSelection();
    test::click(list, QStringLiteral("spdEmail"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione devi selezionare i contatti da copiare le email"));
    list.close();
}

} // namespace
