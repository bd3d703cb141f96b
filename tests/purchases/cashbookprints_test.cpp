#include "purchases/cashbookprints.h"
#include "purchases/ui/cashbookprintwindows.h"
#include "shell/reportcatalogue.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/windowregistry.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using purchases::CashBookPrintChoice;
using purchases::CashBookPrintField;
using purchases::CashBookPrintKind;
using shell::ReportContext;
using shell::ui::WindowRegistry;

namespace {

const QString printProgram = QStringLiteral("/opt/rotalina/rotalina-stampa ");

// A new archive on 10 March 2026 with the cash-book prints and nothing else of the program.
class CashBookPrints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::ui::EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        fixture.session->setInstallFolder(QStringLiteral("/opt/rotalina"));
        purchases::ui::registerCashBookPrintWindows(windows);
    }

    storage::Archive &archive() { return fixture.archive(); }

    void setOpeningBalance(const QVariant &balance)
    {
        ASSERT_TRUE(
            archive().execute(QStringLiteral("UPDATE opzioni SET SaldoInizialePrimaNota = ?"), {balance}));
    }

    qint64 entry(const QDateTime &when, const QVariant &in, const QVariant &out, const QVariant &bank = {},
                 bool history = false)
    {
        return test::addRow(archive(), QStringLiteral("finanzia"),
                            {{QStringLiteral("Data"), when},
                             {QStringLiteral("Operazione"), QStringLiteral("Movimento")},
                             {QStringLiteral("Entrata"), in},
                             {QStringLiteral("Uscita"), out},
                             {QStringLiteral("Banca_ID"), bank},
                             {QStringLiteral("Storico"), history}});
    }

    qint64 bank(const QString &name, double opening, const QVariant &withdrawn = false)
    {
        return test::addRow(archive(), QStringLiteral("Bank"),
                            {{QStringLiteral("Banca"), name},
                             {QStringLiteral("Iban"), QStringLiteral("IT60X0542811101000000123456")},
                             {QStringLiteral("SaldoInizioAnno"), opening},
                             {QStringLiteral("annullato"), withdrawn}});
    }

    double balance(int month, int year)
    {
        const core::Result<double> found = purchases::cashBookOpeningBalance(archive(), month, year);
        EXPECT_TRUE(found) << found.error().toStdString();
        return found ? *found : -1;
    }

    // A field of the request the print program finds; empty when none was written.
    QString requested(const char *field)
    {
        const auto value =
            archive().scalar(QStringLiteral("SELECT %1 FROM TempStampa").arg(QLatin1String(field)));
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? value->toString() : QString();
    }

    // The print program started once more, on the report's layout.
    void expectPrinted(const char *layout)
    {
        EXPECT_EQ(fixture.desktop.started, QStringList{printProgram}) << layout;
        EXPECT_EQ(requested("NomeReport"), QStringLiteral("/opt/rotalina/reports/") + QLatin1String(layout));
        fixture.desktop.started.clear();
    }

    // What the catalogue asks of the print program for that code and those choices.
    shell::ReportSpec expected(int code, const ReportContext &context)
    {
        return shell::reportSpec(code, context, {}, archive().dialect());
    }

    QDialog *open(const char *name)
    {
        QDialog *window = windows.show(QString::fromLatin1(name), *fixture.session, nullptr);
        EXPECT_NE(window, nullptr) << name;
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        }
        return window;
    }

    // Stampa refused: the message, the field the user is put back in, and nothing for the printer.
    void expectRefused(QDialog &window, const QString &message, const char *field)
    {
        fixture.prompter.clear();
        test::click(window, QStringLiteral("btnStampa"));
        ASSERT_EQ(fixture.prompter.shown().size(), 1);
        EXPECT_EQ(fixture.prompter.shown().first().title, QStringLiteral("Messaggio di avviso!!"));
        EXPECT_EQ(fixture.prompter.lastText(), message);
        ASSERT_NE(window.focusWidget(), nullptr);
        EXPECT_EQ(window.focusWidget()->objectName(), QLatin1String(field));
        EXPECT_TRUE(fixture.desktop.started.isEmpty());
        EXPECT_TRUE(requested("NomeReport").isEmpty());
    }

    static double shownBalance(QDialog &window)
    {
        return window.findChild<shell::ui::AmountBox *>(QStringLiteral("edtSaldoIniziale"))->value();
    }

    static QVariant chosen(QDialog &window, const char *box)
    {
        return window.findChild<shell::ui::LookupBox *>(QLatin1String(box))->key();
    }

    test::ShellFixture fixture;
    shell::ui::WindowRegistry windows;
};

TEST_F(CashBookPrints, AMonthOpensWithTheOptionsBalanceAndEveryEarlierEntry)
{
    EXPECT_DOUBLE_EQ(balance(3, 2026), 0.0) << "no balance in the options, no entries";
    setOpeningBalance(1000.0);
    entry(QDateTime(QDate(2024, 5, 10), QTime(9, 0)), 200.0, {}, {}, true);
    entry(QDateTime(QDate(2025, 6, 1), QTime(0, 0)), {}, 10.0);
    entry(QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)), 0.0, 50.5);
    entry(QDateTime(QDate(2026, 1, 1), QTime(0, 0)), 999.0, 0.0);
    EXPECT_DOUBLE_EQ(balance(1, 2026), 1139.5) << "history and earlier years count, 1 January does not";
    EXPECT_DOUBLE_EQ(balance(2, 2026), 2138.5);
    EXPECT_DOUBLE_EQ(balance(5, 2024), 1000.0);
}

TEST_F(CashBookPrints, TheSumsAreRoundedToTheCentOnce)
{
    entry(QDateTime(QDate(2026, 1, 5), QTime(0, 0)), 100.005, {});
    entry(QDateTime(QDate(2026, 1, 6), QTime(0, 0)), 0.01, {});
    EXPECT_DOUBLE_EQ(balance(2, 2026), 100.02);
    for (int day = 1; day <= 3; ++day)
        entry(QDateTime(QDate(2026, 2, day), QTime(0, 0)), 0.004, {});
    EXPECT_DOUBLE_EQ(balance(3, 2026), 100.03) << "entry by entry it would be 100,02";
}

TEST_F(CashBookPrints, ABankOpensWithItsOwnBalanceAndEntriesOnly)
{
    setOpeningBalance(5000.0);
    const qint64 first = bank(QStringLiteral("Banca Popolare"), 300.0);
    const qint64 second = bank(QStringLiteral("Credito Emiliano"), 7000.0);
    entry(QDateTime(QDate(2025, 11, 3), QTime(0, 0)), 120.0, {}, first);
    entry(QDateTime(QDate(2026, 2, 27), QTime(0, 0)), {}, 20.25, first);
    entry(QDateTime(QDate(2026, 3, 1), QTime(0, 0)), 1.0, {}, first);
    entry(QDateTime(QDate(2026, 2, 1), QTime(0, 0)), 900.0, {}, second);
    entry(QDateTime(QDate(2026, 2, 1), QTime(0, 0)), 40.0, {});
    const core::Result<double> opening = purchases::bankOpeningBalance(archive(), first, 3, 2026);
    ASSERT_TRUE(opening) << opening.error().toStdString();
    EXPECT_DOUBLE_EQ(*opening, 399.75);
    const core::Result<double> gone = purchases::bankOpeningBalance(archive(), second + 100, 3, 2026);
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error(), storage::Archive::missingRowMessage());
}

TEST(CashBookPrintChecks, TheMissingChoicesAreToldInOrder)
{
    CashBookPrintChoice choice{0, std::nullopt, QStringLiteral("2026"), QStringLiteral("10,00")};
    const auto failing = [&choice](CashBookPrintKind kind) {
        const auto problem = purchases::checkCashBookPrint(choice, kind);
        return problem ? std::optional(problem->field) : std::nullopt;
    };
    EXPECT_EQ(failing(CashBookPrintKind::ByBank), CashBookPrintField::Month);
    choice.month = 12;
    EXPECT_EQ(failing(CashBookPrintKind::ByBank), CashBookPrintField::Bank);
    EXPECT_EQ(failing(CashBookPrintKind::ByMonth), std::nullopt) << "the month print has no bank";
    choice.bank = 4;
    for (const char *year : {"", "26", "02026", "0999", "20a6"}) {
        choice.year = QString::fromLatin1(year);
        EXPECT_EQ(failing(CashBookPrintKind::ByBank), CashBookPrintField::Year) << year;
    }
    choice.year = QStringLiteral(" 2026 ");
    choice.openingBalance = QStringLiteral(" ");
    EXPECT_EQ(failing(CashBookPrintKind::ByBank), CashBookPrintField::OpeningBalance);
    EXPECT_EQ(purchases::checkOpeningBalanceRequest(choice, CashBookPrintKind::ByBank), std::nullopt)
        << "Calcola does not need the balance it computes";
    choice.openingBalance = QStringLiteral("-1.234,56");
    EXPECT_EQ(failing(CashBookPrintKind::ByBank), std::nullopt);

    // A situation period: blank dates are open bounds, typed ones must be real and in order.
    using purchases::checkSituationPeriod;
    EXPECT_EQ(checkSituationPeriod(QStringLiteral("//"), QStringLiteral("31/03/2026")), std::nullopt);
    EXPECT_EQ(checkSituationPeriod(QString(), QStringLiteral("12/03/"))->field,
              purchases::SituationField::To);
}

TEST_F(CashBookPrints, TheMonthPrintComputesItsBalanceAndPrintsTheMonth)
{
    setOpeningBalance(1000.0);
    entry(QDateTime(QDate(2025, 7, 1), QTime(0, 0)), 234.56, {});
    entry(QDateTime(QDate(2026, 2, 28), QTime(18, 0)), {}, 100.0);
    QDialog *window = open("TfrmPrimaNotaStampaMese");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Stampa Prima Nota per mese"));
    EXPECT_EQ(WindowRegistry::helpContextOf(window), 3300);
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("edtAnno"))->text(), QStringLiteral("2026"));

    expectRefused(*window, QStringLiteral("Attenzione E' necessario definire il mese..."), "cmbMese");
    test::typeInto(*window, QStringLiteral("cmbMese"), QStringLiteral("Marzo"));
    ASSERT_EQ(chosen(*window, "cmbMese"), QVariant(3));
    test::typeInto(*window, QStringLiteral("edtAnno"), QStringLiteral("26"));
    expectRefused(*window, QStringLiteral("Attenzione E' necessario definire l'anno..."), "edtAnno");
    test::typeInto(*window, QStringLiteral("edtAnno"), QStringLiteral("2026"));
    expectRefused(*window, QStringLiteral("Attenzione E' necessario definire il Saldo Iniziale..."),
                  "edtSaldoIniziale");

    fixture.prompter.clear();
    test::click(*window, QStringLiteral("btnCalcola"));
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << fixture.prompter.lastText().toStdString();
    EXPECT_DOUBLE_EQ(shownBalance(*window), 1134.56);
    test::click(*window, QStringLiteral("btnStampa"));

    expectPrinted("PrimaNotaMese.rpt");
    ReportContext context;
    context.month = 3;
    context.year = 2026;
    EXPECT_EQ(requested("Query"), expected(29, context).query);
    EXPECT_EQ(requested("Parametro"), QStringLiteral("1.134,56"));

    // A balance the user types is printed as typed.
    test::typeInto(*window, QStringLiteral("edtSaldoIniziale"), QStringLiteral("1.500,5"));
    test::click(*window, QStringLiteral("btnStampa"));
    EXPECT_EQ(requested("Parametro"), QStringLiteral("1.500,50"));
    window->close();
}

TEST_F(CashBookPrints, TheBankPrintOffersTheBanksInUseAndPrintsTheChosenOne)
{
    const qint64 popular = bank(QStringLiteral("Popolare di Verona"), 300.0);
    bank(QStringLiteral("Carige"), 10.0, true);
    const qint64 unmarked = bank(QStringLiteral("Unicredit"), 0.0, QVariant());
    entry(QDateTime(QDate(2026, 1, 15), QTime(0, 0)), 45.5, {}, popular);
    entry(QDateTime(QDate(2026, 1, 15), QTime(0, 0)), 1000.0, {}, unmarked);
    QDialog *window = open("TfrmPrimaNotaStampaBanca");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Prima nota Stampa per Banca"));
    auto *banks = window->findChild<shell::ui::LookupBox *>(QStringLiteral("cmbBanca"));
    ASSERT_EQ(banks->count(), 2) << "the withdrawn bank is not offered";
    EXPECT_EQ(banks->itemText(0), QStringLiteral("Popolare di Verona - IT60X0542811101000000123456"));

    test::typeInto(*window, QStringLiteral("cmbMese"), QStringLiteral("Febbraio"));
    fixture.prompter.clear();
    test::click(*window, QStringLiteral("btnCalcola"));
    // Calcola asks for the same choices but the balance.
    EXPECT_EQ(fixture.prompter.texts(),
              QStringList{QStringLiteral("Attenzione E' necessario definire la Banca...")});
    expectRefused(*window, QStringLiteral("Attenzione E' necessario definire la Banca..."), "cmbBanca");

    test::typeInto(*window, QStringLiteral("cmbBanca"), QStringLiteral("Pop"));
    ASSERT_EQ(chosen(*window, "cmbBanca").toLongLong(), popular);
    test::click(*window, QStringLiteral("btnCalcola"));
    EXPECT_DOUBLE_EQ(shownBalance(*window), 345.5);
    test::click(*window, QStringLiteral("btnStampa"));

    expectPrinted("PrimaNotaBanca.rpt");
    ReportContext context;
    context.month = 2;
    context.year = 2026;
    context.bankKey = popular;
    EXPECT_EQ(requested("Query"), expected(74, context).query);
    EXPECT_EQ(requested("Parametro"), QStringLiteral("345,50"));
    window->close();
}

TEST_F(CashBookPrints, TheCustomerSituationRefusesAWrongPeriodAndPrintsTheChosenCustomer)
{
    const qint64 customer =
        test::addRow(archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Rossi Trasporti")},
                      {QStringLiteral("NominativoDocumenti"), QStringLiteral("Rossi Trasporti")}});
    QDialog *window = open("TfrmStampaPrimaNotaSituazioneClienti");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Stampa Situazione Clienti - Prima Nota"));

    test::typeInto(*window, QStringLiteral("edtDallaData"), QStringLiteral("31022026"));
    expectRefused(*window, QStringLiteral("Attenzione la data di inizio 31/02/2026 non è valida..."),
                  "edtDallaData");
    test::typeInto(*window, QStringLiteral("edtDallaData"), QStringLiteral("01032026"));
    test::typeInto(*window, QStringLiteral("edtAllaData"), QStringLiteral("28022026"));
    expectRefused(
        *window,
        QStringLiteral("Attenzione la data di fine non può essere precedente alla data di inizio..."),
        "edtAllaData");

    test::typeInto(*window, QStringLiteral("edtAllaData"), QStringLiteral("31032026"));
    test::typeInto(*window, QStringLiteral("cmbCliente"), QStringLiteral("rossi"));
    ASSERT_EQ(chosen(*window, "cmbCliente").toLongLong(), customer);
    test::click(*window, QStringLiteral("btnStampa"));

    expectPrinted("PrimaNotaSituazioneClienti.rpt");
    ReportContext context;
    context.from = QDate(2026, 3, 1);
    context.to = QDate(2026, 3, 31);
    context.partyKey = customer;
    EXPECT_EQ(requested("Query"), expected(68, context).query);
    EXPECT_EQ(requested("QuerySottoreport1"), expected(68, context).subQuery1);
    window->close();
}

TEST_F(CashBookPrints, TheSupplierSituationWithoutDatesPrintsTheWholeHistoryOfTheSupplier)
{
    const qint64 supplier = test::addRow(archive(), QStringLiteral("Fornitor"),
                                         {{QStringLiteral("Fornitore"), QStringLiteral("Officina Bianchi")}});
    QDialog *window = open("TfrmStampaPrimaNotaSituazioneFornitori");
    ASSERT_NE(window, nullptr);
    test::typeInto(*window, QStringLiteral("cmbFornitore"), QStringLiteral("officina"));
    test::click(*window, QStringLiteral("btnStampa"));
    expectPrinted("PrimaNotaSituazioneFornitori.rpt");
    ReportContext context;
    context.partyKey = supplier;
    EXPECT_EQ(requested("Query"), expected(69, context).query);
    window->close();
}

TEST_F(CashBookPrints, TheCashBookMenuPrintsTheWholeBookAndOpensTheSelections)
{
    setOpeningBalance(1234.5);
    QDialog *menu = open("TfrmStampaPrimNota");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Prima nota"));
    for (const auto &[button, layout] :
         {std::pair{"btnPrimaNota", "PrimaNota.rpt"}, std::pair{"btnClienti", "PrimaNotaClienti.rpt"},
          std::pair{"btnFornitori", "PrimaNotaFornitori.rpt"}}) {
        test::click(*menu, QLatin1String(button));
        expectPrinted(layout);
        EXPECT_EQ(requested("Parametro"), QStringLiteral("1.234,50")) << "the options' opening balance";
    }
    for (const auto &[button, window] :
         {std::pair{"btnSituazioneClienti", "TfrmStampaPrimaNotaSituazioneClienti"},
          std::pair{"btnSituazioneFornitori", "TfrmStampaPrimaNotaSituazioneFornitori"},
          std::pair{"btnMesePerMese", "TfrmPrimaNotaStampaMese"},
          std::pair{"btnMeseBanca", "TfrmPrimaNotaStampaBanca"}}) {
        bool opened = false;
        test::whenWindowOpens(QLatin1String(window), [&opened](QDialog &selection) {
            opened = true;
            test::click(selection, QStringLiteral("btnIndietro"));
        });
        test::click(*menu, QLatin1String(button));
        EXPECT_TRUE(opened) << button;
    }
    menu->close();
}

TEST_F(CashBookPrints, TheDueDateMenuPrintsItsReportsAndWaitsForTheMissingModules)
{
    QDialog *menu = open("TfrmStampaScadenziario");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Stampa Scadenziario"));
    EXPECT_EQ(WindowRegistry::helpContextOf(menu), 3400);
    for (const auto &[button, layout] : {std::pair{"btnScadenzeClienti", "Scadenziario.rpt"},
                                         std::pair{"btnPagamentiClienti", "Pagamenti.rpt"},
                                         std::pair{"btnScadenzeFornitori", "ScadenziarioFornitori.rpt"},
                                         std::pair{"btnPagamentiFornitori", "PagamentiFornitori.rpt"},
                                         std::pair{"btnSituazioneClienti", "SituazioneClienti.rpt"},
                                         std::pair{"btnSituazioneFornitori", "SituazioneFornitori.rpt"}}) {
        test::click(*menu, QLatin1String(button));
        expectPrinted(layout);
    }
    for (const char *waiting :
         {"btnScadenzePadroncini", "btnPagamentiPadroncini", "btnScadenzeVetture", "btnScadenzePersonale"})
        EXPECT_FALSE(menu->findChild<QPushButton *>(QLatin1String(waiting))->isEnabled()) << waiting;
    menu->close();

    // Once the owner-drivers are in the program, their due dates print.
    windows.add(QStringLiteral("TfrmGrigliaPadroncini"), 4800,
                [](shell::Session &, const QVariantMap &, QWidget *parent) { return new QDialog(parent); });
    menu = open("TfrmStampaScadenziario");
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->findChild<QPushButton *>(QStringLiteral("btnScadenzeVetture"))->isEnabled());
    test::click(*menu, QStringLiteral("btnPagamentiPadroncini"));
    expectPrinted("PagamentiPadroncini.rpt");
    menu->close();
}

} // namespace
