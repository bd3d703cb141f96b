#include "fleet/ui/vehiclewindows.h"
#include "fleet/vehicles.h"
#include "shell/duedatereminder.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordchooser.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QColor>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::fleet::ui;

namespace {

class VehicleWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        test::registerAllWindows(windows);
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET LavoraCisterne = ?, "
                                                     "IncrementaChilometriDaCommesse = ?"),
                                      {true, false}));
        diesel = test::addRow(
            archive(), QStringLiteral("Carburanti"),
            {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}, {QStringLiteral("Prezzo"), 1.8}});
        tank = test::addRow(archive(), QStringLiteral("Cisterne"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Cisterna piazzale")},
                             {QStringLiteral("Carburante_ID"), diesel},
                             {QStringLiteral("Litri"), 1000.0}});
    }

    storage::Archive &archive() { return fixture.archive(); }

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

    double value(const QString &sql, const QVariantList &params = {})
    {
        return archive().scalar(sql, params)->toDouble();
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 diesel = 0;
    qint64 tank = 0;
};

TEST_F(VehicleWindows, ANewUserRecordsAVehicleWithADeadlineAndARefuellingFromTheTank)
{
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmVetture")));
    QDialog *list = windows.show(QStringLiteral("TfrmVetture"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &vehicles = static_cast<VehicleListWindow &>(*list);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Vetture"));

    qint64 vehicle = 0;
    test::whenWindowOpens(QStringLiteral("TfrmVettureDettaglio"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &card = static_cast<VehicleCardWindow &>(window);
        vehicle = card.form().key();
        ASSERT_EQ(card.pages()->count(), 5);
        EXPECT_EQ(card.pages()->tabText(0), QStringLiteral("Generale"));
        EXPECT_EQ(card.pages()->tabText(3), QStringLiteral("Costi non fatturati"));
        EXPECT_EQ(card.pages()->tabText(4), QStringLiteral("Carburante"));

        // The deadlines belong to a vehicle with a plate, a fuel and a consumption.
        card.pages()->setCurrentIndex(1);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Targa"));
        EXPECT_EQ(card.pages()->currentIndex(), 0);
        test::typeInto(window, QStringLiteral("edtTarga"), QStringLiteral("AB123CD"));
        choose(window, "LookCarburante_id", diesel);
        test::typeInto(window, QStringLiteral("edtCilindrata"), QStringLiteral("3,5"));
        card.pages()->setCurrentIndex(1);
        ASSERT_EQ(card.pages()->currentIndex(), 1);

        test::whenWindowOpens(QStringLiteral("TfrmVettureScadenze"), [&](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Scadenze"));
            test::typeInto(editor, QStringLiteral("edtDescrizione"), QStringLiteral("Revisione"));
            test::typeInto(editor, QStringLiteral("maskDataAvviso"), QStringLiteral("05032026"));
            test::typeInto(editor, QStringLiteral("maskDataScadenza"), QStringLiteral("31032026"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*card.deadlines(), QStringLiteral("spdInserisciDett"));
        ASSERT_EQ(card.deadlines()->records().rowCount(), 1);
        EXPECT_EQ(card.deadlines()
                      ->records()
                      .data(card.deadlines()->records().index(0, 0), Qt::BackgroundRole)
                      .value<QColor>(),
                  QColor(Qt::red))
            << "its warning date has passed";

        // A refuelling from the firm's tank, its amount computed from the litres.
        card.pages()->setCurrentIndex(4);
        test::whenWindowOpens(QStringLiteral("TfrmSceltaCisterna"), [&](QDialog &chooser) {
            auto &tanks = static_cast<RecordChooser &>(chooser);
            tanks.grid()->setCurrentRow(0);
            test::whenWindowOpens(QStringLiteral("TfrmVettureCarburante"), [&](QDialog &editor) {
                test::click(editor, QStringLiteral("btnCalcolaImporto"));
                EXPECT_EQ(
                    fixture.prompter.lastText(),
                    QStringLiteral("Attenzione Inserire i Litri prima di poter calcolare il prezzo!!! "));
                test::typeInto(editor, QStringLiteral("edtLitri"), QStringLiteral("50"));
                test::click(editor, QStringLiteral("btnCalcolaImporto"));
                EXPECT_EQ(textOf(editor, "edtImporto"), QStringLiteral("90,00"));
                test::typeInto(editor, QStringLiteral("edtKmPartenza"), QStringLiteral("120000"));
                test::click(editor, QStringLiteral("spdIndietro"));
            });
            tanks.choose();
        });
        test::click(*card.refuellings(), QStringLiteral("spdInserisciDett"));
        EXPECT_EQ(card.refuellings()->records().rowCount(), 1);
        EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Litri FROM Cisterne WHERE id = ?"), {tank}), 950);
        EXPECT_EQ(card.form().values().value(QStringLiteral("TotaleLitriCarburante")).toDouble(), 50)
            << "the card shows the totals the refuelling moved";
        EXPECT_EQ(card.form().values().value(QStringLiteral("Chilometri")).toDouble(), 120000);
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_NE(vehicle, 0);
    EXPECT_EQ(vehicles.records().rowCount(), 1);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM VettureCarburante WHERE Litri = 50 AND "
                                         "Importo = 90 AND KmPartenza = 120000 AND Cisterna_ID = ?"),
                          {tank}),
              1);

    // The deadline reaches the start-up reminder.
    const auto reminder = shell::loadDueDateReminder(archive(), QDate(2026, 3, 10));
    ASSERT_TRUE(reminder) << reminder.error().toStdString();
    ASSERT_EQ(reminder->at(1).rows.size(), 1);
    EXPECT_EQ(reminder->at(1).rows.first().at(reminder->at(1).columnOf(QStringLiteral("Targa"))),
              QStringLiteral("AB123CD"));

    // With a refuelling it is withdrawn, not deleted, and the tank keeps what it gave.
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.lastText(), fleet::vehicleWithdrawnMessage());
    EXPECT_EQ(vehicles.records().rowCount(), 0) << "withdrawn vehicles are hidden";
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Vetture")), 1);
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Litri FROM Cisterne WHERE id = ?"), {tank}), 950);
    list->close();
    QTest::qWait(0);
}

TEST_F(VehicleWindows, APlateAlreadyInTheArchiveIsWarnedOfAndTheListFiltersByRegistration)
{
    for (const auto &[plate, registered] :
         {std::pair{"AB123CD", QDate(2019, 5, 1)}, std::pair{"EF456GH", QDate(2023, 2, 1)}}) {
        const qint64 key = *fleet::addVehicle(archive(), registered);
        ASSERT_TRUE(archive().update(QStringLiteral("Vetture"), key,
                                     {{QStringLiteral("Targa"), QString::fromLatin1(plate)}}));
    }
    VehicleListWindow list(*fixture.session, windows);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    ASSERT_EQ(list.records().rowCount(), 2);
    test::typeInto(list, QStringLiteral("maskDaData"), QStringLiteral("01012020"));
    ASSERT_EQ(list.records().rowCount(), 1);
    EXPECT_EQ(list.records().value(0, QStringLiteral("Targa")).toString(), QStringLiteral("EF456GH"));
    test::typeInto(list, QStringLiteral("maskDaData"), QString());

    const qint64 key = *fleet::addVehicle(archive(), QDate(2026, 3, 10));
    VehicleCardWindow card(*fixture.session, windows, key, true);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    test::typeInto(card, QStringLiteral("edtTarga"), QStringLiteral("AB123CD"));
    ASSERT_GE(fixture.prompter.shown().size(), 2);
    EXPECT_EQ(fixture.prompter.shown().at(fixture.prompter.shown().size() - 2).text,
              QStringLiteral("Attenzione la targa AB123CD è già presente in altri 1 Record."));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione si è caricato una Targa già presente in archivio"));
    fixture.prompter.answerQuestions({true});
    card.cancelNew();
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Vetture WHERE ID = ?"), {key}), 0);
}

} // namespace
