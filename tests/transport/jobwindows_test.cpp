#include "shell/sanetestbackend.h"
#include "shell/scanner.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/joborders.h"
#include "transport/ui/jobwindows.h"
#include "transport/ui/quotewindows.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::transport::ui;

namespace {

class JobWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        test::registerAllWindows(windows);
        customer =
            test::addRow(archive(), QStringLiteral("Clienti"),
                         {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa Trasporti")},
                          {QStringLiteral("NominativoDocumenti"), QStringLiteral("Alfa Trasporti S.r.l.")},
                          {QStringLiteral("Annullato"), false}});
        driver = test::addRow(archive(), QStringLiteral("Personale"),
                              {{QStringLiteral("Personale"), QStringLiteral("Rossi Mario")}});
        truck = test::addRow(
            archive(), QStringLiteral("Vetture"),
            {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}, {QStringLiteral("Chilometri"), 5000.0}});
        route = test::addRow(archive(), QStringLiteral("prezziar"),
                             {{QStringLiteral("Descrizione"), QStringLiteral("Parma - Milano")},
                              {QStringLiteral("Prezzo"), 300.0},
                              {QStringLiteral("AliquotaIva"), 22.0},
                              {QStringLiteral("Iva_Id"), 1},
                              {QStringLiteral("Chilometri"), 130.0},
                              {QStringLiteral("Annullato"), false}});
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET IncrementaChilometriDaCommesse = ?"),
                                      {true}));
    }

    storage::Archive &archive() { return fixture.archive(); }

    static void choose(QWidget &window, const char *field, const QVariant &key)
    {
        auto *box = window.findChild<LookupBox *>(QStringLiteral("Look") + QLatin1String(field));
        ASSERT_NE(box, nullptr) << field;
        box->setKey(key);
        emit box->chosen(key);
    }

    int count(const char *sql) { return test::count(archive(), QString::fromUtf8(sql)); }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 customer = 0, driver = 0, truck = 0, route = 0;
};

TEST_F(JobWindows, ANewUserRecordsAJobWithATariffRowAndFindsItInTheList)
{
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaConti"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &jobs = static_cast<JobListWindow &>(*list);

    test::whenWindowOpens(QStringLiteral("TfrmConto"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &job = static_cast<JobOrderWindow &>(window);
        EXPECT_EQ(job.pages()->tabText(0), QStringLiteral("   Testata   "));
        EXPECT_EQ(job.pages()->count(), 4);
        // The rows need a header that passes its checks: the plate is missing first.
        choose(window, "Cliente_Id", customer);
        EXPECT_EQ(job.form().values().value(QStringLiteral("Cliente")).toString(),
                  QStringLiteral("Alfa Trasporti S.r.l."));
        job.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la targa"));
        EXPECT_EQ(job.pages()->currentIndex(), 0);
        choose(window, "Targa1", QStringLiteral("AB123CD"));
        job.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l' autista o il padroncino"));
        choose(window, "Personale_ID", driver);
        job.pages()->setCurrentIndex(1);
        ASSERT_EQ(job.pages()->currentIndex(), 1);

        // A tariff row, completed in the row editor with an impossible minute first.
        test::whenWindowOpens(QStringLiteral("TForm2"), [this](QDialog &picker) {
            auto *grid = picker.findChild<DataGrid *>();
            grid->selectionModel()->select(grid->records()->index(grid->records()->rowOfKey(route), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            test::click(picker, QStringLiteral("spdAvanti"));
        });
        test::whenWindowOpens(QStringLiteral("TfrmModificaCommesse"), [this](QDialog &editor) {
            test::typeInto(editor, QStringLiteral("edtTempoMinuti"), QStringLiteral("61"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));
            test::typeInto(editor, QStringLiteral("edtTempoMinuti"), QStringLiteral("30"));
            test::typeInto(editor, QStringLiteral("edtUm"), QStringLiteral("2"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*job.rows(QStringLiteral("Conti")), QStringLiteral("spdInserisciDett"));
        EXPECT_EQ(job.form().values().value(QStringLiteral("TotImponibile")).toDouble(), 600);

        // A free row taken back with "Annulla": nothing stays.
        fixture.prompter.answerQuestions({true});
        test::whenWindowOpens(QStringLiteral("TfrmModificaCommesse"),
                              [](QDialog &editor) { test::click(editor, QStringLiteral("spdAnnulla")); });
        test::click(*job.rows(QStringLiteral("Conti")), QStringLiteral("spdArticoloNonArchivio"));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(
        count("SELECT COUNT(*) FROM TotaliCo WHERE Numero = 1 AND Targa1 = 'AB123CD' AND TotFattura = 732"),
        1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Conti WHERE Um = 2 AND TempoMinuti = 30"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Conti"), 1) << "the free row was taken back";
    EXPECT_EQ(count("SELECT Chilometri FROM Vetture"), 5130);
    EXPECT_EQ(jobs.records().rowCount(), 1);
    EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("lblTotImponibile"))->text(),
              QStringLiteral("600,00"));

    // "Chiuse" shows none, and the totals follow; deleting asks and gives the kilometres back.
    test::click(*list, QStringLiteral("optChiuse"));
    EXPECT_EQ(jobs.records().rowCount(), 0);
    EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("lblTotImponibile"))->text(), QStringLiteral("0,00"));
    test::click(*list, QStringLiteral("optTutti"));
    jobs.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler eliminare la Commessa ??"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM TotaliCo"), 0);
    EXPECT_EQ(count("SELECT Chilometri FROM Vetture"), 5000);
    list->close();
}

TEST_F(JobWindows, TheOrdersImageIsChosenAndShownOrItsAbsenceTold)
{
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("ordine.png"));
    QImage(10, 10, QImage::Format_RGB32).save(image);
    const core::Result<qint64> key = transport::createJobOrder(archive(), {QDate(2026, 3, 10), false});
    ASSERT_TRUE(key);
    JobOrderWindow window(*fixture.session, windows, *key, false);
    window.show();
    test::click(window, QStringLiteral("Button7"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il percorso dell'immagine"));
    fixture.prompter.answerDialogs({image});
    test::click(window, QStringLiteral("SpeedButton16"));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM TotaliCo WHERE ImmagineOrdine = ?"),
                          {QDir::toNativeSeparators(image)}),
              1);
    test::click(window, QStringLiteral("Button7"));
    ASSERT_FALSE(fixture.desktop.opened.isEmpty());
    EXPECT_EQ(fixture.desktop.opened.last().toLocalFile(), image);
    QFile::remove(image);
    test::click(window, QStringLiteral("Button7"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Il file: %1 non esiste più!!!").arg(QDir::toNativeSeparators(image)));
}

TEST_F(JobWindows, AScannedOrderIsSavedBesideTheArchiveAndAFailedScanChangesNothing)
{
    if (!test::SaneTestBackend::installed())
        GTEST_SKIP() << test::SaneTestBackend::skipReason().toStdString();
    test::SaneTestBackend::configure();
    const core::Result<qint64> key = transport::createJobOrder(archive(), {QDate(2026, 3, 10), false});
    ASSERT_TRUE(key);
    JobOrderWindow window(*fixture.session, windows, *key, false);
    window.show();
    test::whenWindowOpens(QStringLiteral("TfrmScanner"),
                          [](QDialog &chooser) { test::click(chooser, QStringLiteral("btnAcquisisci")); });
    test::click(window, QStringLiteral("Button6"));
    const QString stored =
        archive()
            .scalar(QStringLiteral("SELECT ImmagineOrdine FROM TotaliCo WHERE ID = ?"), {*key})
            ->toString();
    ASSERT_FALSE(stored.isEmpty()) << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(QFileInfo::exists(stored)) << stored.toStdString();
    EXPECT_TRUE(stored.contains(QStringLiteral("Commessa_1_2026"))) << stored.toStdString();
    EXPECT_FALSE(QImage(stored).isNull());

    // A jammed scanner: its message, and the image of the order stays the one stored.
    test::SaneTestBackend::configure({{"read-status-code", "SANE_STATUS_JAMMED"}});
    test::whenWindowOpens(QStringLiteral("TfrmScanner"),
                          [](QDialog &chooser) { test::click(chooser, QStringLiteral("btnAcquisisci")); });
    test::click(window, QStringLiteral("Button6"));
    EXPECT_EQ(fixture.prompter.lastText(), shell::scannerMessages::jammed());
    EXPECT_EQ(archive()
                  .scalar(QStringLiteral("SELECT ImmagineOrdine FROM TotaliCo WHERE ID = ?"), {*key})
                  ->toString(),
              stored);
    QFile::remove(stored);
}

TEST_F(JobWindows, AQuoteIsPricedPrintedAndTakenIntoAJobOrderInOneClick)
{
    const qint64 second = test::addRow(archive(), QStringLiteral("prezziar"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Sosta")},
                                        {QStringLiteral("Prezzo"), 50.0},
                                        {QStringLiteral("AliquotaIva"), 22.0},
                                        {QStringLiteral("Iva_Id"), 1},
                                        {QStringLiteral("Annullato"), false}});
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaPreventivi"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    test::whenWindowOpens(QStringLiteral("TfrmPreventivi"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &quote = static_cast<transport::ui::QuoteWindow &>(window);
        quote.pages()->setCurrentIndex(1);
        EXPECT_EQ(
            fixture.prompter.lastText(),
            QStringLiteral("Attenzione: Prima di inserire le righe è necessario salvare il Cliente!!!"));
        EXPECT_EQ(quote.pages()->currentIndex(), 0);
        choose(window, "Cliente_ID", customer);
        quote.pages()->setCurrentIndex(1);
        ASSERT_EQ(quote.pages()->currentIndex(), 1);
        // Two tariffs at once: rows of one unit, no editor to fill.
        test::whenWindowOpens(QStringLiteral("TForm2"), [&](QDialog &picker) {
            auto *grid = picker.findChild<DataGrid *>();
            for (const qint64 tariff : {route, second})
                grid->selectionModel()->select(grid->records()->index(grid->records()->rowOfKey(tariff), 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
            test::click(picker, QStringLiteral("spdAvanti"));
        });
        test::click(*quote.rows(QStringLiteral("PreventiRighe")), QStringLiteral("spdInserisciDett"));
        EXPECT_DOUBLE_EQ(quote.form().values().value(QStringLiteral("TotalePreventivo")).toDouble(), 427);
        test::click(window, QStringLiteral("spdStampa"));
        EXPECT_EQ(fixture.desktop.started.size(), 1);
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    const qint64 quoteKey = archive().scalar(QStringLiteral("SELECT ID FROM PreventiTestata"))->toLongLong();
    EXPECT_EQ(count("SELECT COUNT(*) FROM PreventiRighe WHERE Um = 1"), 2);
    list->close();

    // The job order of the same customer takes it from its "Altro" page.
    const core::Result<qint64> job = transport::createJobOrder(archive(), {QDate(2026, 3, 10), false});
    ASSERT_TRUE(job);
    ASSERT_TRUE(archive().update(QStringLiteral("TotaliCo"), *job,
                                 {{QStringLiteral("Cliente_Id"), customer},
                                  {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                                  {QStringLiteral("Personale_ID"), driver}}));
    JobOrderWindow window(*fixture.session, windows, *job, false);
    window.show();
    window.pages()->setCurrentIndex(3);
    auto *offered = window.findChild<QComboBox *>(QStringLiteral("DBLookupComboBox9"));
    ASSERT_NE(offered, nullptr);
    ASSERT_EQ(offered->count(), 2) << "an empty choice and the customer's open quote";
    offered->setCurrentIndex(1);
    emit offered->activated(1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Conti"), 2);
    EXPECT_EQ(count("SELECT Chilometri FROM Vetture"), 5130);
    EXPECT_DOUBLE_EQ(window.form().values().value(QStringLiteral("TotImponibile")).toDouble(), 350);
    EXPECT_EQ(offered->count(), 1) << "a taken quote is offered no more";
    test::click(window, QStringLiteral("Button2"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Nessun Record da importare"));

    OwnedRowsPanel *links = window.rows(QStringLiteral("CommessePreventiviRighe"));
    ASSERT_NE(links, nullptr);
    ASSERT_EQ(links->records().rowCount(), 1);
    links->grid()->setCurrentRow(0);
    test::click(window, QStringLiteral("Button10"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Conti"), 0);
    EXPECT_EQ(count("SELECT Chilometri FROM Vetture"), 5000);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM PreventiTestata WHERE Chiuso = ? AND ID = ?"),
                          {false, quoteKey}),
              1);
    EXPECT_EQ(offered->count(), 2);
}

TEST_F(JobWindows, TheJobListPrintKeepsToTheChosenDriver)
{
    QDialog *prints = windows.show(QStringLiteral("TfrmStampaCommesse"), *fixture.session, nullptr);
    ASSERT_NE(prints, nullptr);
    EXPECT_EQ(prints->windowTitle(), QStringLiteral("Stampa Commesse"));
    const auto requestedQuery = [this] {
        const auto query = archive().scalar(QStringLiteral("SELECT Query FROM TempStampa"));
        return query ? query->toString() : QString();
    };
    test::click(*prints, QStringLiteral("btnStampeCommesse"));
    EXPECT_FALSE(requestedQuery().contains(QStringLiteral("(TotaliCo.Personale_ID = "))) << "every driver";
    auto *driverBox = prints->findChild<LookupBox *>(QStringLiteral("DBLookupComboBox1"));
    ASSERT_NE(driverBox, nullptr);
    driverBox->setKey(driver);
    test::click(*prints, QStringLiteral("btnStampeCommesseEstesa"));
    EXPECT_TRUE(requestedQuery().contains(QStringLiteral("(TotaliCo.Personale_ID = %1").arg(driver)))
        << requestedQuery().toStdString();
    EXPECT_EQ(fixture.desktop.started.size(), 2);
    prints->close();
}

} // namespace
