#include "shell/ui/amountbox.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/recordform.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/shellfixture.h"
#include "transport/tariffs.h"
#include "transport/ui/tariffwindows.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
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
