#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/tariffs.h"
#include "transport/ui/tariffwindows.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::transport::ui;

namespace {

class TariffWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 12, 6));
        test::registerAllWindows(windows);
        vat = test::addRow(
            fixture.archive(), QStringLiteral("Iva"),
            {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22%")}, {QStringLiteral("Iva"), 22.0}});
        trip = test::addRow(fixture.archive(), QStringLiteral("UnitaMisura"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Viaggio")}});
    }

    qint64 tariff(const char *description, double price, bool withdrawn = false, QVariant customer = {})
    {
        return test::addRow(fixture.archive(), QStringLiteral("prezziar"),
                            {{QStringLiteral("Descrizione"), QString::fromUtf8(description)},
                             {QStringLiteral("Prezzo"), price},
                             {QStringLiteral("Sconto"), 0.0},
                             {QStringLiteral("AliquotaIva"), 22.0},
                             {QStringLiteral("Iva_Id"), vat},
                             {QStringLiteral("Um_Id"), trip},
                             {QStringLiteral("Annullato"), withdrawn},
                             {QStringLiteral("Cliente_ID"), customer}});
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 vat = 0;
    qint64 trip = 0;
};

} // namespace

TEST_F(TariffWindows, RegistrySearchesCountsCopiesAndDeletes)
{
    tariff("Verona - Milano", 650);
    tariff("Verona - Napoli", 1200, true);
    tariff("Bologna - Roma", 800);
    TariffListWindow list(*fixture.session, windows, TariffListWindow::Mode::Registry);
    list.show();
    EXPECT_EQ(list.objectName(), QStringLiteral("TForm2"));
    EXPECT_EQ(list.grid()->gridName(), QStringLiteral("Form2_Griglia"));
    EXPECT_EQ(list.records().rowCount(), 3) << "the registry shows withdrawn tariffs too";
    for (const char *editing :
         {"spdAliquotaIva", "spdAumentaDiminuisci", "spdCopia", "spdElimina", "spdInserisci"})
        EXPECT_TRUE(list.findChild<QPushButton *>(QString::fromLatin1(editing))->isVisibleTo(&list))
            << editing;

    list.searchBox(QStringLiteral("Descrizione"))->setText(QStringLiteral("ver"));
    EXPECT_EQ(list.records().rowCount(), 2);
    list.countRecords();
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Numero dei records"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("2"));

    list.grid()->setCurrentRow(0);
    list.copy();
    EXPECT_EQ(list.records().rowCount(), 3);
    EXPECT_EQ(test::count(fixture.archive(),
                          QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE Descrizione LIKE '%(COPIA)'")),
              1);

    // The bulk change acts on the tariffs listed now.
    list.searchBox(QStringLiteral("Descrizione"))->setText(QStringLiteral("bol"));
    TariffPriceChangeWindow prices(*fixture.session, list.listedKeys());
    prices.apply(transport::PriceChange::Increase);
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Inserisci un valore da aumentare"));
    prices.percentage()->setValue(10);
    prices.apply(transport::PriceChange::Decrease);
    EXPECT_EQ(
        test::count(fixture.archive(), QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE Prezzo = 720")),
        1);
    EXPECT_EQ(
        test::count(fixture.archive(), QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE Prezzo = 650")), 2)
        << "the other tariffs keep their price";
    TariffVatChangeWindow vats(*fixture.session, list.listedKeys());
    vats.apply();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Inserisci l'Aliquota Iva da cambiare"));

    list.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    list.remove();
    EXPECT_EQ(
        fixture.prompter.texts().filter(QStringLiteral("Sei sicuro di voler eliminare l'articolo")).size(),
        1);
    EXPECT_EQ(list.records().rowCount(), 0);
}

TEST_F(TariffWindows, PickerChoosesInSelectionOrderAmongTheUsableOnes)
{
    const qint64 first = tariff("Alfa", 10);
    tariff("Ritirata", 10, true);
    const qint64 second = tariff("Beta", 20);
    tariff("Di un altro cliente", 10, false, 99);
    TariffListWindow picker(*fixture.session, windows, TariffListWindow::Mode::Picker);
    picker.show();
    EXPECT_EQ(picker.records().rowCount(), 3) << "withdrawn tariffs are not offered";
    EXPECT_FALSE(picker.findChild<QPushButton *>(QStringLiteral("spdCopia"))->isVisibleTo(&picker));
    // Beta is selected first, then Alfa.
    QItemSelectionModel *selection = picker.grid()->selectionModel();
    selection->select(picker.records().index(picker.records().rowOfKey(second), 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(picker.records().index(picker.records().rowOfKey(first), 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    picker.avanti();
    EXPECT_TRUE(picker.chosen());
    EXPECT_EQ(picker.selectionClause(),
              QStringLiteral("where prezziar.id = %1 or prezziar.id =%2").arg(second).arg(first));

    TariffListWindow own(*fixture.session, windows, TariffListWindow::Mode::Picker, 99);
    EXPECT_EQ(own.records().rowCount(), 1) << "the tariffs of one customer";
}

TEST_F(TariffWindows, CardComputesPricesAndShowsTheMissingFieldOnItsPage)
{
    // A firm that has no standard VAT rate among its options.
    ASSERT_TRUE(fixture.archive()
                    .execute(QStringLiteral("UPDATE opzioni SET Iva_Id = NULL, AliquotaIva = NULL"))
                    .ok());
    const qint64 key = transport::addTariff(fixture.archive(), fixture.session->today()).value();
    TariffCardWindow card(*fixture.session, windows, key, true);
    card.show();
    QStringList tabs;
    for (int i = 0; i < card.pages()->count(); ++i)
        tabs.append(card.pages()->tabText(i));
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("   Generale   "), QStringLiteral("   Percorso   "),
                                 QStringLiteral("   Prezzi   "), QStringLiteral("   Altro   ")}));
    EXPECT_FALSE(card.back());
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l'IVA"));
    EXPECT_EQ(card.pages()->currentIndex(), 2);

    RecordForm &form = card.form();
    form.setValue(QStringLiteral("Iva_Id"), vat);
    form.setValue(QStringLiteral("AliquotaIva"), 22.0);
    form.setValue(QStringLiteral("Prezzo"), 100.0);
    form.setValue(QStringLiteral("Sconto"), 10.0);
    card.computeFinalPrice();
    EXPECT_DOUBLE_EQ(form.values().value(QStringLiteral("PrezzoCompleto")).toDouble(), 109.80);
    form.setValue(QStringLiteral("PrezzoCompleto"), 219.60);
    card.computeUnitValue();
    EXPECT_DOUBLE_EQ(form.values().value(QStringLiteral("Prezzo")).toDouble(), 200.0);
    form.setValue(QStringLiteral("PrezzoCompleto"), QVariant());
    card.computeUnitValue();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione Inserire il Prezzo finale"));

    form.setValue(QStringLiteral("TempoMinuti"), 75);
    card.checkMinutes();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));

    EXPECT_FALSE(card.back());
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca l'unità di misura"));
    EXPECT_EQ(card.pages()->currentIndex(), 0);
    form.setValue(QStringLiteral("Um_Id"), trip);
    form.setValue(QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano"));
    form.setDirty();
    EXPECT_TRUE(card.back()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(
        test::count(fixture.archive(),
                    QStringLiteral("SELECT COUNT(*) FROM prezziar WHERE Descrizione = 'Verona - Milano' AND "
                                   "PrezzoFornitore = 0")),
        1);

    // No address in the departure town: the user is asked to add one.
    form.setValue(QStringLiteral("Partenza_ID"), 23091);
    fixture.prompter.answerQuestions({false});
    card.findAddress(true);
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Per la città di partenza non ci sono indirizzi. Vuoi inserirne uno nuovo ?"));
}

// A picture of the tariff card for people to look at.
TEST_F(TariffWindows, Screenshot)
{
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const qint64 key = tariff("Verona - Milano bilico completo", 650);
    TariffCardWindow card(*fixture.session, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    EXPECT_TRUE(card.grab().save(QDir(folder).filePath(QStringLiteral("tariffa-1.png"))));
    card.pages()->setCurrentIndex(2);
    EXPECT_TRUE(card.grab().save(QDir(folder).filePath(QStringLiteral("tariffa-3.png"))));
    TariffListWindow list(*fixture.session, windows, TariffListWindow::Mode::Registry);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_TRUE(list.grab().save(QDir(folder).filePath(QStringLiteral("tariffe.png"))));
}

TEST_F(TariffWindows, TheOptionsChangeEveryTariffsVatAfterAskingAndOnlyWithAStandardRate)
{
    ASSERT_TRUE(fixture.archive()
                    .execute(QStringLiteral("UPDATE opzioni SET Iva_Id = NULL, AliquotaIva = NULL"))
                    .ok());
    const qint64 cheap = test::addRow(fixture.archive(), QStringLiteral("prezziar"),
                                      {{QStringLiteral("Prezzo"), 10.0}, {QStringLiteral("Sconto"), 0.0}});
    const auto fullPrice = [&] {
        return fixture.archive()
            .scalar(QStringLiteral("SELECT PrezzoCompleto FROM prezziar WHERE Id = ?"), {cheap})
            .value();
    };
    OptionsWindow window(*fixture.session, windows);
    ASSERT_TRUE(window.findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
    window.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione scegliere prima l'Aliquota Iva standard"));

    auto *rates = window.findChild<LookupBox *>(QStringLiteral("LookIva_Id"));
    rates->setKey(vat);
    emit rates->chosen(vat);
    EXPECT_DOUBLE_EQ(window.options().values().value(QStringLiteral("AliquotaIva")).toDouble(), 22.0);
    window.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Sei sicuro di voler aggiornare l'iva di tutte le tariffe ?"));
    EXPECT_TRUE(fullPrice().isNull()) << "No changes nothing";
    fixture.prompter.answerQuestions({true});
    window.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Articoli cambiati con successo !"));
    EXPECT_DOUBLE_EQ(fullPrice().toDouble(), 12.2);
}

TEST_F(TariffWindows, ASaveKeepsWhatTheCardCannotOfferAndTheKilometresDecimals)
{
    const qint64 withdrawn =
        test::addRow(fixture.archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Rossi Spa")},
                      {QStringLiteral("NominativoDocumenti"), QStringLiteral("Rossi Spa")},
                      {QStringLiteral("Annullato"), true}});
    const qint64 key = tariff("Verona - Milano", 650, false, withdrawn);
    ASSERT_TRUE(fixture.archive().update(QStringLiteral("prezziar"), key,
                                         {{QStringLiteral("Cliente"), QStringLiteral("Rossi Spa")},
                                          {QStringLiteral("Reparto"), QStringLiteral("Ufficio vecchio")},
                                          {QStringLiteral("Chilometri"), 12.5}}));
    const auto storedField = [&](const char *field) {
        return fixture.archive()
            .scalar(QStringLiteral("SELECT %1 FROM prezziar WHERE Id = ?").arg(QString::fromLatin1(field)),
                    {key})
            .value();
    };
    for (int round = 0; round < 3; ++round) {
        TariffCardWindow card(*fixture.session, windows, key, false);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
        auto *customer = card.findChild<LookupBox *>(QStringLiteral("LookCliente_ID"));
        EXPECT_EQ(customer->currentText(), QStringLiteral("Rossi Spa"))
            << "a withdrawn customer is shown by name";
        EXPECT_TRUE(customer->showsUnlisted());
        card.pages()->setCurrentIndex(1);
        EXPECT_EQ(card.findChild<QLineEdit *>(QStringLiteral("edtChilometri"))->text(),
                  QStringLiteral("12,50"));
        card.pages()->setCurrentIndex(3);
        test::typeInto(card, QStringLiteral("memNote"), QStringLiteral("giro %1").arg(round));
        ASSERT_TRUE(card.back()) << fixture.prompter.lastText().toStdString();
    }
    EXPECT_EQ(storedField("Cliente_ID").toLongLong(), withdrawn);
    EXPECT_EQ(storedField("Reparto").toString(), QStringLiteral("Ufficio vecchio"));
    EXPECT_DOUBLE_EQ(storedField("Chilometri").toDouble(), 12.5);
    EXPECT_EQ(storedField("Note").toString(), QStringLiteral("giro 2"));

    // 1.480 km survives any number of saves, and clicking into the box and out again changes nothing.
    {
        TariffCardWindow card(*fixture.session, windows, key, false);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
        card.pages()->setCurrentIndex(1);
        test::typeInto(card, QStringLiteral("edtChilometri"), QStringLiteral("1480"));
        EXPECT_EQ(card.findChild<QLineEdit *>(QStringLiteral("edtChilometri"))->text(),
                  QStringLiteral("1.480,00"));
        ASSERT_TRUE(card.back());
    }
    for (int round = 0; round < 3; ++round) {
        TariffCardWindow card(*fixture.session, windows, key, false);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
        card.pages()->setCurrentIndex(1);
        auto *kilometres = card.findChild<QLineEdit *>(QStringLiteral("edtChilometri"));
        kilometres->setFocus();
        QTest::keyClick(kilometres, Qt::Key_Tab);
        EXPECT_EQ(kilometres->text(), QStringLiteral("1.480,00"));
        card.pages()->setCurrentIndex(3);
        test::typeInto(card, QStringLiteral("memNote"), QStringLiteral("salvata %1").arg(round));
        ASSERT_TRUE(card.back());
    }
    EXPECT_DOUBLE_EQ(storedField("Chilometri").toDouble(), 1480.0);
}

TEST_F(TariffWindows, AnUnchangedOldTariffIsLeftWithoutItsChecks)
{
    // Saved long ago without a unit of measure.
    const qint64 key = tariff("Verona - Milano", 650);
    ASSERT_TRUE(fixture.archive().update(
        QStringLiteral("prezziar"), key,
        {{QStringLiteral("Um_Id"), QVariant()}, {QStringLiteral("PrezzoCompleto"), 793.0}}));
    TariffCardWindow card(*fixture.session, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.pages()->setCurrentIndex(2);
    // Passing through the price boxes computes what is already there: nothing to save.
    test::typeInto(card, QStringLiteral("edtPrezzo"), QStringLiteral("650"));
    test::click(card, QStringLiteral("spdIndietro"));
    EXPECT_FALSE(card.isVisible()) << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
}

TEST_F(TariffWindows, TheFirmsStoredDefaultsWinAndANewTariffIsShownWhateverTheSearch)
{
    const qint64 reduced = test::addRow(
        fixture.archive(), QStringLiteral("Iva"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Iva 10%")}, {QStringLiteral("Iva"), 10.0}});
    ASSERT_TRUE(fixture.archive()
                    .execute(QStringLiteral("UPDATE opzioni SET Iva_Id = ?, AliquotaIva = 22"), {vat})
                    .ok());
    for (const auto &[field, kind, value] : {std::tuple{"Iva_Id", "n", QString::number(reduced)},
                                             std::tuple{"AliquotaIva", "f", QStringLiteral("10")}})
        test::addRow(fixture.archive(), QStringLiteral("Personalizzazioni"),
                     {{QStringLiteral("NomeTabella"), QStringLiteral("prezziar")},
                      {QStringLiteral("NomeCampo"), QString::fromLatin1(field)},
                      {QStringLiteral("Tipo"), QString::fromLatin1(kind)},
                      {QStringLiteral("Valore"), value}});
    tariff("Rossi - Milano", 100);
    TariffListWindow list(*fixture.session, windows, TariffListWindow::Mode::Registry);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    list.searchBox(QStringLiteral("Cliente"))->setText(QStringLiteral("Rossi"));
    list.searchBox(QStringLiteral("Note"))->setText(QStringLiteral("urgente"));
    test::whenWindowOpens(QStringLiteral("TForm3"), [](QDialog &card) {
        // What a user must fill: the description, the unit and the unit value.
        test::typeInto(card, QStringLiteral("edtDescrizione"), QStringLiteral("Bologna - Roma"));
        QTest::keyClick(card.findChild<LookupBox *>(QStringLiteral("LookUm_Id")), Qt::Key_Down);
        card.findChild<QTabWidget *>()->setCurrentIndex(2);
        test::typeInto(card, QStringLiteral("edtPrezzo"), QStringLiteral("800"));
        test::click(card, QStringLiteral("spdIndietro"));
    });
    test::click(list, QStringLiteral("spdInserisci"));
    const qint64 added =
        fixture.archive()
            .scalar(QStringLiteral("SELECT Id FROM prezziar WHERE Descrizione = 'Bologna - Roma'"))
            .value()
            .toLongLong();
    ASSERT_GT(added, 0) << fixture.prompter.lastText().toStdString();
    EXPECT_GE(list.records().rowOfKey(added), 0) << "shown although the boxes held other words";
    EXPECT_EQ(list.searchBox(QStringLiteral("Cliente"))->text(), QString());
    EXPECT_EQ(fixture.archive()
                  .scalar(QStringLiteral("SELECT Iva_Id FROM prezziar WHERE Id = ?"), {added})
                  .value()
                  .toLongLong(),
              reduced)
        << "the firm's own default VAT, not the options' one";
}

TEST_F(TariffWindows, AUnitIsAddedFromTheCardAndChosen)
{
    ASSERT_TRUE(fixture.archive().execute(QStringLiteral("DELETE FROM UnitaMisura")).ok());
    const qint64 key = tariff("Verona - Milano", 650);
    ASSERT_TRUE(
        fixture.archive().update(QStringLiteral("prezziar"), key, {{QStringLiteral("Um_Id"), QVariant()}}));
    TariffCardWindow card(*fixture.session, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    auto *units = card.findChild<LookupBox *>(QStringLiteral("LookUm_Id"));
    ASSERT_EQ(units->count(), 0);
    auto *add = card.findChild<QToolButton *>(QStringLiteral("spdApriUm_Id"));
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(add->isEnabled());
    test::whenWindowOpens(QStringLiteral("TfrmGrigliaUnitaMisura"), [](QDialog &list) {
        test::whenWindowOpens(QStringLiteral("TfrmUnitaMisura"), [&list](QDialog &unit) {
            test::typeInto(unit, QStringLiteral("edtDescrizione"), QStringLiteral("Bancale"));
            test::click(unit, QStringLiteral("spdIndietro"));
            QTimer::singleShot(0, &list, [&list] { test::click(list, QStringLiteral("spdIndietro")); });
        });
        test::click(list, QStringLiteral("spdInserisci"));
    });
    add->click();
    EXPECT_EQ(units->currentText(), QStringLiteral("Bancale"));
    ASSERT_TRUE(card.back()) << fixture.prompter.lastText().toStdString();
    EXPECT_EQ(fixture.archive()
                  .scalar(QStringLiteral("SELECT UnitaMisura.Descrizione FROM prezziar JOIN UnitaMisura ON "
                                         "UnitaMisura.Id = prezziar.Um_Id WHERE prezziar.Id = ?"),
                          {key})
                  .value()
                  .toString(),
              QStringLiteral("Bancale"));
}

TEST_F(TariffWindows, ChangingEveryTariffsVatLeavesWithdrawnTariffsAlone)
{
    const qint64 used = tariff("In uso", 100);
    const qint64 withdrawn = tariff("Ritirata", 100, true);
    for (const qint64 key : {used, withdrawn})
        ASSERT_TRUE(fixture.archive().update(
            QStringLiteral("prezziar"), key,
            {{QStringLiteral("AliquotaIva"), 10.0}, {QStringLiteral("PrezzoCompleto"), 110.0}}));
    ASSERT_EQ(transport::changeAllTariffsVat(fixture.archive(), vat, 22.0).value(), 1);
    const auto full = [&](qint64 key) {
        return fixture.archive()
            .scalar(QStringLiteral("SELECT PrezzoCompleto FROM prezziar WHERE Id = ?"), {key})
            .value()
            .toDouble();
    };
    EXPECT_DOUBLE_EQ(full(used), 122.0);
    EXPECT_DOUBLE_EQ(full(withdrawn), 110.0);
}
