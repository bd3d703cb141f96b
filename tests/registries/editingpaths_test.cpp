// The registry windows driven as a user drives them: the buttons pressed, the keys typed, and then
// what the archive holds.

#include "registries/lookupregistries.h"
#include "registries/parties.h"
#include "registries/ui/partywindows.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::registries::ui;

namespace {

class EditingPaths : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        test::registerAllWindows(windows);
    }

    QVariant stored(const QString &sql, const QVariantList &params = {})
    {
        return fixture.archive().scalar(sql, params).value();
    }

    const shell::RegistryDescriptor &registry(const char *window)
    {
        return *registries::registryNamed(QString::fromLatin1(window));
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

} // namespace

TEST_F(EditingPaths, AnAmountTypedWithThousandsAndDecimalsIsStoredAsTyped)
{
    RegistryListWindow banks(*fixture.session, registry("TfrmGrigliaBanche"), windows);
    banks.show();
    test::whenWindowOpens(QStringLiteral("TAnaBanca"), [](QDialog &card) {
        test::typeInto(card, QStringLiteral("edtBanca"), QStringLiteral("Banca di Verona"));
        test::typeInto(card, QStringLiteral("edtIban"), QStringLiteral("IT60X0542811101000000123456"));
        test::typeInto(card, QStringLiteral("edtSaldoInizioAnno"), QStringLiteral("1.234,56"));
        EXPECT_EQ(card.findChild<QLineEdit *>(QStringLiteral("edtSaldoInizioAnno"))->text(),
                  QStringLiteral("1.234,56"));
        test::click(card, QStringLiteral("spdIndietro"));
    });
    test::click(banks, QStringLiteral("spdInserisci"));
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << fixture.prompter.lastText().toStdString();
    EXPECT_DOUBLE_EQ(
        stored(QStringLiteral("SELECT SaldoInizioAnno FROM Bank WHERE Banca = 'Banca di Verona'")).toDouble(),
        1234.56);

    // More decimals than the box keeps are not cut in secret: the box shows what it keeps.
    const qint64 bank = stored(QStringLiteral("SELECT Id FROM Bank")).toLongLong();
    RegistryCardWindow card(*fixture.session, registry("TfrmGrigliaBanche"), windows, bank, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    test::typeInto(card, QStringLiteral("edtSaldoInizioAnno"), QStringLiteral("1.500,125"));
    EXPECT_EQ(card.findChild<QLineEdit *>(QStringLiteral("edtSaldoInizioAnno"))->text(),
              QStringLiteral("1.500,13"));
    card.back();
    EXPECT_DOUBLE_EQ(stored(QStringLiteral("SELECT SaldoInizioAnno FROM Bank")).toDouble(), 1500.13);
}

TEST_F(EditingPaths, AnImpossibleDateIsToldAndNeverStoredOverTheDateThere)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    ASSERT_TRUE(registries::saveCustomer(fixture.archive(), key,
                                         {{QStringLiteral("Cliente"), QStringLiteral("Trasporti Rossi")},
                                          {QStringLiteral("LetteraIntento_Data"), QDate(2025, 2, 1)}}));
    PartyCardWindow card(*fixture.session, true, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.pages()->setCurrentIndex(3);
    test::typeInto(card, QStringLiteral("maskLetteraIntento_Data"), QStringLiteral("31022025"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione la data 31/02/2025 non è valida !"));
    fixture.prompter.clear();
    card.save();
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione la data 31/02/2025 non è valida !"))
        << "the save is refused on the same date";
    // Closing by the title bar would save quietly: the impossible date is not part of it.
    card.form().setValue(QStringLiteral("Telefono"), QStringLiteral("045 123456"));
    ASSERT_TRUE(card.form().quietSave());
    EXPECT_EQ(stored(QStringLiteral("SELECT Telefono FROM Clienti WHERE Id = ?"), {key}).toString(),
              QStringLiteral("045 123456"));
    EXPECT_EQ(stored(QStringLiteral("SELECT LetteraIntento_Data FROM Clienti WHERE Id = ?"), {key}).toDate(),
              QDate(2025, 2, 1));
}

TEST_F(EditingPaths, EscOnANewCardIsAnnullaAndOnAStoredOneIsIndietro)
{
    // A new VAT rate left with Esc: the question of "Annulla", and no empty rate stays behind.
    RegistryListWindow rates(*fixture.session, registry("TfrmGrigliaIva"), windows);
    rates.show();
    const int before = rates.records().rowCount();
    fixture.prompter.answerQuestions({true});
    test::whenWindowOpens(QStringLiteral("TfrmModificaIva"),
                          [](QDialog &card) { QTest::keyClick(&card, Qt::Key_Escape); });
    test::click(rates, QStringLiteral("spdInserisci"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler annullare l'inserimento ?"));
    EXPECT_EQ(rates.records().rowCount(), before);
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) FROM Iva")).toInt(), before);

    // A new customer: Esc answered No stays on the card; the card is then cancelled.
    RegistryListWindow customers(*fixture.session, registries::customerRegistry(), windows);
    fixture.prompter.answerQuestions({false, true});
    test::whenWindowOpens(QStringLiteral("TfrmClientiDett"), [](QDialog &card) {
        QTest::keyClick(&card, Qt::Key_Escape);
        EXPECT_TRUE(card.isVisible()) << "No keeps the card open";
        QTest::keyClick(&card, Qt::Key_Escape);
    });
    test::click(customers, QStringLiteral("spdInserisci"));
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) FROM Clienti")).toInt(), 0);

    // A stored customer: Esc keeps what was typed, as "Indietro" does.
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    ASSERT_TRUE(registries::saveCustomer(fixture.archive(), key,
                                         {{QStringLiteral("Cliente"), QStringLiteral("Trasporti Rossi")},
                                          {QStringLiteral("Comune_id"), 23091},
                                          {QStringLiteral("Citta"), QStringLiteral("Verona")},
                                          {QStringLiteral("Cap"), QStringLiteral("37121")},
                                          {QStringLiteral("Via"), QStringLiteral("Via Roma 1")}}));
    PartyCardWindow card(*fixture.session, true, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    test::typeInto(card, QStringLiteral("edtTelefono"), QStringLiteral("045 8001234"));
    QTest::keyClick(&card, Qt::Key_Escape);
    EXPECT_FALSE(card.isVisible());
    EXPECT_EQ(stored(QStringLiteral("SELECT Telefono FROM Clienti WHERE Id = ?"), {key}).toString(),
              QStringLiteral("045 8001234"));
}

TEST_F(EditingPaths, AStoredValueTheChoicesDoNotHoldIsShownAndKept)
{
    // A supplier whose town was typed in capitals long ago, a bank and a fuel station likewise.
    const qint64 supplier = registries::addSupplier(fixture.archive()).value();
    ASSERT_TRUE(fixture.archive().update(QStringLiteral("Fornitor"), supplier,
                                         {{QStringLiteral("Fornitore"), QStringLiteral("Gomme Srl")},
                                          {QStringLiteral("Comune"), QStringLiteral("MILANO")},
                                          {QStringLiteral("Provincia"), QStringLiteral("MI")}}));
    {
        PartyCardWindow card(*fixture.session, false, windows, supplier, false);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
        auto *town = card.findChild<LookupBox *>(QStringLiteral("LookComune"));
        EXPECT_EQ(town->currentText(), QStringLiteral("MILANO"));
        EXPECT_TRUE(town->showsUnlisted());
        test::typeInto(card, QStringLiteral("edtTelefono"), QStringLiteral("02 555555"));
        test::click(card, QStringLiteral("spdIndietro"));
        EXPECT_FALSE(card.isVisible()) << fixture.prompter.lastText().toStdString();
    }
    EXPECT_EQ(stored(QStringLiteral("SELECT Comune FROM Fornitor WHERE Id = ?"), {supplier}).toString(),
              QStringLiteral("MILANO"));
    EXPECT_EQ(stored(QStringLiteral("SELECT Telefono FROM Fornitor WHERE Id = ?"), {supplier}).toString(),
              QStringLiteral("02 555555"));

    for (const auto &[window, table, fields] :
         {std::tuple{"TfrmGrigliaBanche", "Bank", QStringList{"Banca", "Iban"}},
          std::tuple{"TfrmGrigliaRifornimenti", "Rifornimenti", QStringList{"Descrizione"}}}) {
        SCOPED_TRACE(window);
        QVariantMap values{{QStringLiteral("Comune"), QStringLiteral("SAN DONA' DI PIAVE")}};
        for (const QString &field : fields)
            values.insert(field, QStringLiteral("IT00X0000000000000000000001"));
        const qint64 key = test::addRow(fixture.archive(), QString::fromLatin1(table), values);
        RegistryCardWindow card(*fixture.session, registry(window), windows, key, false);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
        test::typeInto(card, QStringLiteral("edt") + fields.first(), QStringLiteral("Nuovo nome"));
        card.back();
        EXPECT_EQ(stored(QStringLiteral("SELECT Comune FROM %1").arg(QString::fromLatin1(table))).toString(),
                  QStringLiteral("SAN DONA' DI PIAVE"));
        EXPECT_EQ(stored(QStringLiteral("SELECT %1 FROM %2").arg(fields.first(), QString::fromLatin1(table)))
                      .toString(),
                  QStringLiteral("Nuovo nome"));
    }
}

TEST_F(EditingPaths, AnEditOfARowDeletedElsewhereIsNeverReportedAsSaved)
{
    const qint64 colour = test::addRow(fixture.archive(), QStringLiteral("Colori"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Blu")}});
    RegistryCardWindow card(*fixture.session, registry("TfrmGrigliaColori"), windows, colour, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    test::typeInto(card, QStringLiteral("edtDescrizione"), QStringLiteral("Blu notte"));

    // Another workstation deletes the colour meanwhile.
    auto elsewhere = test::openAgain(fixture.archive().location());
    ASSERT_TRUE(elsewhere->remove(QStringLiteral("Colori"), colour));

    test::click(card, QStringLiteral("spdIndietro"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione il record è stato eliminato da un'altra "
                             "postazione !\nLe modifiche non sono state salvate."));
    EXPECT_TRUE(card.isVisible()) << "the window stays with what was typed";
    EXPECT_EQ(card.findChild<QLineEdit *>(QStringLiteral("edtDescrizione"))->text(),
              QStringLiteral("Blu notte"));
    fixture.prompter.answerQuestions({false});
    test::click(card, QStringLiteral("spdIndietro"));
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Il record è stato eliminato")));
    EXPECT_TRUE(card.isVisible()) << "No keeps the window";
    fixture.prompter.answerQuestions({true});
    test::click(card, QStringLiteral("spdIndietro"));
    EXPECT_FALSE(card.isVisible()) << "the user chose to close it";
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) FROM Colori")).toInt(), 0) << "nothing came back";
}

TEST_F(EditingPaths, NewCustomersAndSuppliersFromTheirListsGetTheirStartingValues)
{
    RegistryListWindow customers(*fixture.session, registries::customerRegistry(), windows);
    customers.show();
    test::whenWindowOpens(QStringLiteral("TfrmClientiDett"), [this](QDialog &card) {
        test::typeInto(card, QStringLiteral("edtCliente"), QStringLiteral("Trasporti Rossi"));
        // Leaving the first page asks nothing more than a name: the nation is already Italy.
        card.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        EXPECT_EQ(card.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 1)
            << fixture.prompter.lastText().toStdString();
        test::click(card, QStringLiteral("spdSalva"));
        EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << "\"salva\" is the save alone";
        // The privacy statement of a customer with only a name.
        test::click(card, QStringLiteral("spdStampa"));
        fixture.prompter.answerQuestions({true});
        QTest::keyClick(&card, Qt::Key_Escape);
    });
    test::click(customers, QStringLiteral("spdInserisci"));
    EXPECT_EQ(fixture.desktop.started.size(), 1) << "the print program was started";
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) FROM Clienti")).toInt(), 0) << "Esc then cancelled it";

    // A new customer kept: Italian, white, with its composed name.
    const qint64 kept = shell::addRegistryRow(fixture.archive(), registries::customerRegistry()).value();
    EXPECT_EQ(stored(QStringLiteral("SELECT IdPaese FROM Clienti WHERE Id = ?"), {kept}).toString(),
              QStringLiteral("IT"));
    EXPECT_EQ(stored(QStringLiteral("SELECT Sede_Nazione FROM Clienti WHERE Id = ?"), {kept}).toString(),
              QStringLiteral("IT"));
    EXPECT_EQ(stored(QStringLiteral("SELECT NumeroColore FROM Clienti WHERE Id = ?"), {kept}).toInt(),
              16777215);

    // A supplier made with "Aggiungi" is Italian too, and its name is checked on a page change.
    RegistryListWindow suppliers(*fixture.session, registries::supplierRegistry(), windows);
    test::whenWindowOpens(QStringLiteral("TfrmFornitDett"), [this](QDialog &card) {
        auto *pages = card.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        pages->setCurrentIndex(1);
        EXPECT_EQ(pages->currentIndex(), 0);
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione manca la denominazione del fornitore"));
        test::typeInto(card, QStringLiteral("edtFornitore"), QStringLiteral("Gomme Srl"));
        test::click(card, QStringLiteral("spdIndietro"));
    });
    test::click(suppliers, QStringLiteral("spdInserisci"));
    EXPECT_EQ(stored(QStringLiteral("SELECT IdPaese FROM Fornitor WHERE Fornitore = 'Gomme Srl'")).toString(),
              QStringLiteral("IT"));
}

// Every registry of the "Archivio" page as a new user meets it: "Aggiungi", only the fields its
// checks ask for, "Indietro": saved without a message and with the starting values of the
// registry; "Aggiungi" then Esc: nothing left behind.
TEST_F(EditingPaths, EveryRegistryIsAddedWithWhatItNeedsAndLeftWithEscWithoutARow)
{
    test::addRow(fixture.archive(), QStringLiteral("Carburanti"),
                 {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
    for (const shell::RegistryDescriptor &r : registries::lookupRegistries()) {
        if (r.listWindow == r.cardWindow || !r.ownerField.isEmpty())
            continue; // rows that belong to another registry's card
        SCOPED_TRACE(r.listWindow.toStdString());
        const auto rows = [&] {
            return stored(QStringLiteral("SELECT COUNT(*) FROM %1").arg(r.table)).toInt();
        };
        const int before = rows();
        const auto fillWhatIsAsked = [&r](QWidget &window, RecordForm &form) {
            for (int guard = 0; guard < 10; ++guard) {
                const auto missing = r.checks.firstFailure(form.values());
                if (!missing)
                    return;
                QWidget *editor = form.editor(missing->field);
                ASSERT_NE(editor, nullptr) << missing->field.toStdString();
                if (auto *choice = qobject_cast<LookupBox *>(editor)) {
                    choice->setFocus();
                    QTest::keyClick(choice, Qt::Key_Down); // the first choice
                } else {
                    const bool amount = qobject_cast<AmountBox *>(editor);
                    test::typeInto(window, editor->objectName(),
                                   amount ? QStringLiteral("1.234,5") : QStringLiteral("Prova d'uso"));
                }
            }
            ADD_FAILURE() << "the checks are never satisfied";
        };

        RegistryListWindow list(*fixture.session, r, windows);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
        fixture.prompter.clear();
        if (r.cardWindow.isEmpty()) {
            test::click(list, QStringLiteral("spdInserisci"));
            fillWhatIsAsked(list, list.inlineCard()->form());
            test::click(list, QStringLiteral("spdSalva"));
        } else {
            test::whenWindowOpens(r.cardWindow, [&](QDialog &card) {
                fillWhatIsAsked(card, static_cast<RegistryCardWindow &>(card).card().form());
                test::click(card, QStringLiteral("spdIndietro"));
            });
            test::click(list, QStringLiteral("spdInserisci"));
        }
        EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << fixture.prompter.lastText().toStdString();
        EXPECT_EQ(rows(), before + 1);
        // The starting values the registry gives a new row are there.
        const qint64 added = stored(QStringLiteral("SELECT MAX(%1) FROM %2")
                                        .arg(fixture.archive().schema().table(r.table)->keyName(), r.table))
                                 .toLongLong();
        for (auto it = r.newValues.cbegin(); it != r.newValues.cend(); ++it) {
            const QVariant value =
                stored(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                           .arg(it.key(), r.table, fixture.archive().schema().table(r.table)->keyName()),
                       {added});
            EXPECT_FALSE(value.isNull()) << it.key().toStdString();
            EXPECT_EQ(value.toDouble(), it.value().toDouble()) << it.key().toStdString();
        }

        // "Aggiungi" then Esc, the question answered Yes: no row left.
        fixture.prompter.answerQuestions({true});
        if (r.cardWindow.isEmpty()) {
            test::click(list, QStringLiteral("spdInserisci"));
            QTest::keyClick(&list, Qt::Key_Escape);
        } else {
            test::whenWindowOpens(r.cardWindow,
                                  [](QDialog &card) { QTest::keyClick(&card, Qt::Key_Escape); });
            test::click(list, QStringLiteral("spdInserisci"));
        }
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Sei sicuro di voler annullare l'inserimento ?"));
        EXPECT_EQ(rows(), before + 1);
    }
}

TEST_F(EditingPaths, TheCustomersTownFillsItsPostcodeAndATownWithOnePostcodeOffersIt)
{
    const qint64 key = registries::addCustomer(fixture.archive()).value();
    PartyCardWindow card(*fixture.session, true, windows, key, false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.pages()->setCurrentIndex(1);
    auto *town = card.findChild<LookupBox *>(QStringLiteral("LookComune_id"));
    ASSERT_NE(town, nullptr);
    test::typeInto(card, QStringLiteral("LookComune_id"), QStringLiteral("l'aquila"));
    EXPECT_EQ(card.form().values().value(QStringLiteral("Cap")).toString(), QStringLiteral("67100"));
    EXPECT_EQ(card.form().values().value(QStringLiteral("Provincia")).toString(), QStringLiteral("AQ"));

    PostcodeChooser oneCode(*fixture.session, 66049);
    ASSERT_EQ(oneCode.rows().rowCount(), 1) << "L'Aquila has one postcode and no streets of its own";
    EXPECT_EQ(oneCode.rows().value(0, QStringLiteral("CAP")).toString(), QStringLiteral("67100"));
    PostcodeChooser manyCodes(*fixture.session, 1272);
    EXPECT_GT(manyCodes.rows().rowCount(), 10) << "Turin's streets with their postcodes";
    EXPECT_EQ(manyCodes.rows().rowOfKey(0), -1) << "and not the town's own line";
}
