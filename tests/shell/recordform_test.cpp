#include "shell/ui/amountbox.h"
#include "shell/ui/datebox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "storage/sqlvalue.h"
#include "support/shellfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSqlRecord>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

// A customer card reduced to a few fields of each kind.
class CustomerCard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        storage::Archive &archive = *fixture.session->archive();
        payment = archive
                      .insert(QStringLiteral("ModPagamento"),
                              {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30 gg")}})
                      .value();
        key = archive
                  .insert(QStringLiteral("Clienti"),
                          {{QStringLiteral("Cliente"), QStringLiteral("Trasporti Rossi")},
                           {QStringLiteral("Pagamento_ID"), payment},
                           {QStringLiteral("Sconto"), 5.0},
                           {QStringLiteral("SaldoInizioAnno"), 1500.25},
                           {QStringLiteral("LetteraIntento_DataInizio"), QDate(2024, 1, 15)},
                           {QStringLiteral("PrivacyFirmata"), true}})
                  .value();
        auto *layout = new QVBoxLayout(&window);
        name = new QLineEdit(&window);
        balance = new AmountBox(&window);
        start = new DateBox(&window);
        privacy = new QCheckBox(&window);
        terms = new LookupBox(&window);
        discount = new AmountBox(&window);
        for (QWidget *editor :
             std::initializer_list<QWidget *>{name, balance, start, privacy, terms, discount})
            layout->addWidget(editor);
        ASSERT_TRUE(terms
                        ->load(archive, QStringLiteral(
                                            "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione"))
                        .ok());
        form = new RecordForm(*fixture.session, QStringLiteral("Clienti"), &window);
        form->bind(QStringLiteral("Cliente"), name);
        form->bind(QStringLiteral("SaldoInizioAnno"), balance);
        form->bind(QStringLiteral("LetteraIntento_DataInizio"), start);
        form->bind(QStringLiteral("PrivacyFirmata"), privacy);
        form->bindLookup(QStringLiteral("Pagamento_ID"), terms, {QStringLiteral("Sconto")});
        form->bind(QStringLiteral("Sconto"), discount);
        form->checks()
            .required(QStringLiteral("Cliente"), QStringLiteral("Attenzione manca la Ragione Sociale"))
            .required(QStringLiteral("Pagamento_ID"),
                      QStringLiteral("Attenzione manca la modalità di pagamento"));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QSqlRecord row()
    {
        auto query = fixture.archive().select(QStringLiteral("SELECT * FROM Clienti WHERE Id = ?"), {key});
        EXPECT_TRUE(query.ok() && query->next());
        return query->record();
    }

    test::ShellFixture fixture;
    QWidget window;
    QLineEdit *name = nullptr;
    AmountBox *balance = nullptr;
    DateBox *start = nullptr;
    QCheckBox *privacy = nullptr;
    LookupBox *terms = nullptr;
    AmountBox *discount = nullptr;
    RecordForm *form = nullptr;
    qint64 key = 0;
    qint64 payment = 0;
};

} // namespace

TEST_F(CustomerCard, LoadsEveryKindOfField)
{
    ASSERT_TRUE(form->load(key, false));
    EXPECT_EQ(name->text(), QStringLiteral("Trasporti Rossi"));
    EXPECT_EQ(balance->text(), QStringLiteral("1.500,25"));
    EXPECT_EQ(start->text(), QStringLiteral("15/01/2024"));
    EXPECT_TRUE(privacy->isChecked());
    EXPECT_EQ(terms->key().toLongLong(), payment);
    EXPECT_FALSE(form->isDirty()) << "loading is not an edit";
}

TEST_F(CustomerCard, TheFirstFailingCheckIsShownAndItsFieldFocused)
{
    ASSERT_TRUE(form->load(key, false));
    name->setFocus();
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Delete);
    terms->setFocus();
    QTest::keyClick(terms, Qt::Key_Delete);
    EXPECT_TRUE(form->isDirty());
    EXPECT_FALSE(form->save());
    ASSERT_EQ(fixture.prompter.shown().size(), 1);
    EXPECT_EQ(fixture.prompter.shown().first().title, QStringLiteral("Messaggio di errore"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Ragione Sociale"));
    EXPECT_TRUE(name->hasFocus());
    EXPECT_EQ(row().value(QStringLiteral("Cliente")).toString(), QStringLiteral("Trasporti Rossi"))
        << "nothing saved";
    EXPECT_TRUE(discount->isBlank()) << "emptying the payment terms empties the discount they brought";
}

TEST_F(CustomerCard, SaveWritesTheRowAndClearsTheFlag)
{
    ASSERT_TRUE(form->load(key, false));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral(" S.r.l."));
    start->setDate(QDate(2024, 3, 1));
    privacy->setChecked(false);
    EXPECT_TRUE(form->isDirty());
    ASSERT_TRUE(form->save()) << fixture.prompter.lastText().toStdString();
    EXPECT_FALSE(form->isDirty());
    const QSqlRecord saved = row();
    EXPECT_EQ(saved.value(QStringLiteral("Cliente")).toString(), QStringLiteral("Trasporti Rossi S.r.l."));
    EXPECT_EQ(storage::sqlvalue::toDate(saved.value(QStringLiteral("LetteraIntento_DataInizio"))),
              QDate(2024, 3, 1));
    EXPECT_FALSE(saved.value(QStringLiteral("PrivacyFirmata")).toBool());
    EXPECT_DOUBLE_EQ(saved.value(QStringLiteral("SaldoInizioAnno")).toDouble(), 1500.25);
}

TEST_F(CustomerCard, CancelDeletesOnlyANewRowAndOnlyOnYes)
{
    ASSERT_TRUE(form->load(key, false));
    EXPECT_FALSE(form->cancelNew()) << "an existing row cannot be cancelled";
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());

    ASSERT_TRUE(form->load(key, true));
    fixture.prompter.answerQuestions({false, true});
    EXPECT_FALSE(form->cancelNew());
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di avviso"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Sei sicuro di voler annullare l'inserimento ?"));
    EXPECT_FALSE(row().isEmpty());
    EXPECT_TRUE(form->cancelNew());
    EXPECT_EQ(fixture.archive()
                  .scalar(QStringLiteral("SELECT COUNT(*) FROM Clienti WHERE Id = ?"), {key})
                  .value()
                  .toInt(),
              0);
}

TEST_F(CustomerCard, BackValidatesAndSavesPendingChanges)
{
    ASSERT_TRUE(form->load(key, false));
    EXPECT_TRUE(form->back()) << "nothing changed: the card closes";
    name->setFocus();
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_FALSE(form->back());
    QTest::keyClicks(name, QStringLiteral("Nuovo Nome"));
    EXPECT_TRUE(form->back());
    EXPECT_EQ(row().value(QStringLiteral("Cliente")).toString(), QStringLiteral("Nuovo Nome"));
    // A quiet save skips the checks.
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Backspace);
    fixture.prompter.clear();
    EXPECT_TRUE(form->quietSave());
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
    EXPECT_EQ(row().value(QStringLiteral("Cliente")).toString(), QString());
}
