#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/deliverynotes.h"
#include "transport/ui/deliverynotewindows.h"
#include "transport/ui/loadinglistwindows.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::transport::ui;

namespace {

class DeliveryNoteWindows : public ::testing::Test
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
                         {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("L'Aquila Carni")},
                          {QStringLiteral("NominativoDocumenti"), QStringLiteral("L'Aquila Carni S.p.A.")},
                          {QStringLiteral("Annullato"), false}});
        other = test::addRow(archive(), QStringLiteral("Clienti"),
                             {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Beta Logistica")},
                              {QStringLiteral("Annullato"), false}});
    }

    storage::Archive &archive() { return fixture.archive(); }

    static void choose(QWidget &window, const char *field, const QVariant &key)
    {
        auto *box = window.findChild<LookupBox *>(QStringLiteral("Look") + QLatin1String(field));
        ASSERT_NE(box, nullptr) << field;
        box->setKey(key);
        emit box->chosen(key);
    }

    int count(const char *sql, const QVariantList &params = {})
    {
        return test::count(archive(), QString::fromUtf8(sql), params);
    }

    // A document written without the windows, with rows of the given quantities.
    qint64 document(const QDate &date, qint64 party, std::initializer_list<double> quantities)
    {
        const core::Result<qint64> key =
            transport::createDeliveryNote(archive(), QDateTime(date, QTime(8, 0)), false);
        EXPECT_TRUE(key);
        EXPECT_TRUE(transport::saveDeliveryNote(
            archive(), *key,
            {{QStringLiteral("Cliente_ID"), party}, {QStringLiteral("Natura"), QStringLiteral("Carni")}}));
        for (const double quantity : quantities) {
            const core::Result<qint64> row = transport::addDeliveryNoteRow(archive(), *key, date);
            EXPECT_TRUE(row);
            EXPECT_TRUE(transport::saveDeliveryNoteRow(archive(), *row, {{QStringLiteral("Um"), quantity}}));
        }
        return *key;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 customer = 0, other = 0;
};

TEST_F(DeliveryNoteWindows, ANewUserWritesADocumentWithItsRowsAndPrintsIt)
{
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaDDT"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Documenti di Trasporto Clienti"));
    auto &notes = static_cast<DeliveryNoteListWindow &>(*list);

    test::whenWindowOpens(QStringLiteral("TfrmDDT"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &note = static_cast<DeliveryNoteWindow &>(window);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Documenti di Trasporto"));
        EXPECT_EQ(note.pages()->tabText(0), QStringLiteral("  Testata  "));
        EXPECT_EQ(note.pages()->tabText(1), QStringLiteral("  Righe  "));
        EXPECT_EQ(note.form().values().value(QStringLiteral("Numero")).toInt(), 1);
        EXPECT_TRUE(window.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible());
        // The rows wait for a header that passes its checks.
        note.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione manca il Cliente destinatario della merce"));
        EXPECT_EQ(note.pages()->currentIndex(), 0);
        choose(window, "Cliente_ID", customer);
        note.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione manca la natura della merce da trasportare"));
        test::typeInto(window, QStringLiteral("edtNatura"), QStringLiteral("Carni fresche"));
        note.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Quantità della merce"));
        test::typeInto(window, QStringLiteral("edtQuantita"), QStringLiteral("4"));
        note.pages()->setCurrentIndex(1);
        ASSERT_EQ(note.pages()->currentIndex(), 1);

        OwnedRowsPanel *rows = note.rows(QStringLiteral("DDTRighe"));
        ASSERT_NE(rows, nullptr);
        test::whenWindowOpens(QStringLiteral("TfrmModificaDDTRighe"), [](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Modifica DDT righe"));
            test::typeInto(editor, QStringLiteral("edtUm"), QStringLiteral("2,5"));
            test::typeInto(editor, QStringLiteral("edtCodice"), QStringLiteral("CF-01"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*rows, QStringLiteral("spdInserisciDett"));
        EXPECT_DOUBLE_EQ(note.form().values().value(QStringLiteral("Quantita")).toDouble(), 2.5);
        test::whenWindowOpens(QStringLiteral("TfrmModificaDDTRighe"),
                              [](QDialog &editor) { test::click(editor, QStringLiteral("spdIndietro")); });
        test::click(*rows, QStringLiteral("spdInserisciDett"));
        EXPECT_DOUBLE_EQ(note.form().values().value(QStringLiteral("Quantita")).toDouble(), 3.5);
        // A new row taken back with "Annulla" leaves nothing.
        fixture.prompter.answerQuestions({true});
        test::whenWindowOpens(QStringLiteral("TfrmModificaDDTRighe"),
                              [](QDialog &editor) { test::click(editor, QStringLiteral("spdAnnulla")); });
        test::click(*rows, QStringLiteral("spdInserisciDett"));
        EXPECT_EQ(rows->records().rowCount(), 2);
        EXPECT_DOUBLE_EQ(note.form().values().value(QStringLiteral("Quantita")).toDouble(), 3.5);

        // "Elimina" of the rows takes the current row without asking.
        const int questions = int(fixture.prompter.shown().size());
        rows->grid()->setCurrentRow(0);
        test::click(*rows, QStringLiteral("spdEliminaDett"));
        EXPECT_EQ(int(fixture.prompter.shown().size()), questions);
        EXPECT_DOUBLE_EQ(note.form().values().value(QStringLiteral("Quantita")).toDouble(), 1);

        test::click(window, QStringLiteral("SpeedButton1"));
        EXPECT_EQ(fixture.desktop.started.size(), 1);
        const auto query = archive().scalar(QStringLiteral("SELECT Query FROM TempStampa"));
        ASSERT_TRUE(query);
        EXPECT_TRUE(query->toString().contains(QStringLiteral("Ddt.Id = %1").arg(note.key())));
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(
        count("SELECT COUNT(*) FROM Ddt WHERE Numero = 1 AND Natura = 'Carni fresche' AND Quantita = 1"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM DDTRighe"), 1);
    EXPECT_EQ(notes.records().rowCount(), 1);
}

TEST_F(DeliveryNoteWindows, DeletingFromTheListTakesTheListedDocumentsRowsAfterAnotherWasOpened)
{
    const qint64 first = document(QDate(2026, 3, 1), customer, {2, 3});
    const qint64 second = document(QDate(2026, 3, 2), other, {5});
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaDDT"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    auto &notes = static_cast<DeliveryNoteListWindow &>(*list);
    ASSERT_EQ(notes.records().rowCount(), 2);
    notes.showKey(first);
    test::whenWindowOpens(QStringLiteral("TfrmDDT"), [](QDialog &window) {
        EXPECT_FALSE(window.findChild<QPushButton *>(QStringLiteral("spdAnnulla"))->isVisible());
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdAvanti"));
    notes.showKey(second);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler eliminare il DDT??"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Ddt"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM DDTRighe WHERE DDT_ID = ?", {first}), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM DDTRighe"), 2);
    EXPECT_EQ(notes.records().rowCount(), 1);
    list->close();
}

TEST_F(DeliveryNoteWindows, TheListFiltersByNumberPeriodAndCustomer)
{
    document(QDate(2026, 3, 1), customer, {1});
    document(QDate(2026, 3, 10), customer, {1});
    document(QDate(2026, 3, 11), other, {1});
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaDDT"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &notes = static_cast<DeliveryNoteListWindow &>(*list);
    ASSERT_EQ(notes.records().rowCount(), 3);
    test::typeInto(*list, QStringLiteral("Edit2"), QStringLiteral("2"));
    EXPECT_EQ(notes.records().rowCount(), 1);
    list->findChild<QLineEdit *>(QStringLiteral("Edit2"))->clear();
    test::typeInto(*list, QStringLiteral("maskDaData"), QStringLiteral("02032026"));
    test::typeInto(*list, QStringLiteral("maskAData"), QStringLiteral("10032026"));
    EXPECT_EQ(notes.records().rowCount(), 1) << "the whole last day";
    list->findChild<QLineEdit *>(QStringLiteral("maskAData"))->clear();
    test::typeInto(*list, QStringLiteral("maskAData"), QStringLiteral("11032026"));
    EXPECT_EQ(notes.records().rowCount(), 2);
    auto *box = list->findChild<LookupBox *>(QStringLiteral("DBLookupComboBox1"));
    ASSERT_NE(box, nullptr);
    box->setKey(customer);
    emit box->chosen(customer);
    EXPECT_EQ(notes.records().rowCount(), 1) << "the customer with the apostrophe";
    list->close();
}

TEST_F(DeliveryNoteWindows, ANewDocumentTakenBackWithAnnullaLeavesNothing)
{
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaDDT"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    fixture.prompter.answerQuestions({true});
    test::whenWindowOpens(QStringLiteral("TfrmDDT"),
                          [](QDialog &window) { test::click(window, QStringLiteral("spdAnnulla")); });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler annullare l'inserimento ?"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Ddt"), 0);
    list->close();
}

TEST_F(DeliveryNoteWindows, ANewUserBuildsALoadingListOfTheDaysConsignments)
{
    test::addRow(archive(), QStringLiteral("Vetture"),
                 {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}});
    const qint64 consignee =
        test::addRow(archive(), QStringLiteral("Indirizzi"),
                     {{QStringLiteral("RagioneSociale"), QStringLiteral("Magazzino Nord")}});
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaDistinteCarico"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Distinte Carico"));
    test::whenWindowOpens(QStringLiteral("TfrmDistinteCarico"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &loading = static_cast<LoadingListWindow &>(window);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Distinte di Carico"));
        loading.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la targa"));
        choose(window, "Targa1", QStringLiteral("AB123CD"));
        choose(window, "Cliente_Id", customer);
        EXPECT_EQ(loading.form().values().value(QStringLiteral("Cliente")).toString(),
                  QStringLiteral("L'Aquila Carni S.p.A."));
        loading.pages()->setCurrentIndex(1);
        ASSERT_EQ(loading.pages()->currentIndex(), 1);
        test::whenWindowOpens(QStringLiteral("TfrmModificaDistinteCarico"), [&](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Modifica Distinta di Carico"));
            test::typeInto(editor, QStringLiteral("edtColli"), QStringLiteral("12"));
            test::typeInto(editor, QStringLiteral("edtImporto"), QStringLiteral("1.234,56"));
            test::click(editor, QStringLiteral("spdIndietro"));
            EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il Destinatario"));
            choose(editor, "Destinatario_Id", consignee);
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*loading.rows(QStringLiteral("DistinteCaricoRighe")), QStringLiteral("spdInserisciDett"));
        test::click(window, QStringLiteral("spdStampa"));
        EXPECT_EQ(fixture.desktop.started.size(), 1);
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM DistinteCaricoTestata WHERE Numero = 1 AND Targa1 = 'AB123CD'"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM DistinteCaricoRighe WHERE Colli = 12 AND Importo = 1234.56 AND "
                    "Destinatario = 'Magazzino Nord'"),
              1);
    list->close();
}

} // namespace
