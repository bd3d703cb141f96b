#include "shell/mainmenu.h"
#include "shell/reportcatalogue.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using shell::ReportContext;
using shell::ui::DataGrid;
using shell::ui::RegistryListWindow;
using shell::ui::WindowRegistry;

namespace {

const QString printProgram = QStringLiteral("/opt/rotalina/rotalina-stampa ");

// Every window of the program on a new archive, on 10 March 2026.
class AccountsWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::ui::EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        fixture.session->setInstallFolder(QStringLiteral("/opt/rotalina"));
        test::registerAllWindows(windows);
    }

    storage::Archive &archive() { return fixture.archive(); }

    QVariant scalar(const QString &sql, const QVariantList &params = {})
    {
        const auto value = archive().scalar(sql, params);
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? *value : QVariant();
    }

    qint64 add(const char *table, const QVariantMap &values)
    {
        return test::addRow(archive(), QLatin1String(table), values);
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

    static void choose(QDialog &window, const char *field, const QVariant &key)
    {
        auto *box = window.findChild<shell::ui::LookupBox *>(QStringLiteral("Look") + QLatin1String(field));
        ASSERT_NE(box, nullptr) << field;
        box->setKey(key);
        emit box->chosen(key);
    }

    // The card "Aggiungi" opens: "salva" without a description is refused with the message, then
    // the description typed (and the choice made) is saved and the card left.
    void addThroughCard(QDialog &list, const char *card, const QString &missing, const QString &description,
                        const std::function<void(QDialog &card)> &choices = {})
    {
        bool opened = false;
        test::whenWindowOpens(QLatin1String(card), [&](QDialog &window) {
            opened = true;
            fixture.prompter.clear();
            test::click(window, QStringLiteral("spdSalva"));
            ASSERT_EQ(fixture.prompter.shown().size(), 1);
            EXPECT_EQ(fixture.prompter.shown().first().title, QStringLiteral("Messaggio di errore"));
            EXPECT_EQ(fixture.prompter.lastText(), missing);
            test::typeInto(window, QStringLiteral("edtDescrizione"), description);
            if (choices)
                choices(window);
            test::click(window, QStringLiteral("spdSalva"));
            test::click(window, QStringLiteral("spdIndietro"));
        });
        test::click(list, QStringLiteral("spdInserisci"));
        EXPECT_TRUE(opened) << card;
    }

    // A field of the request the print program finds; empty when none was written.
    QString requested(const char *field)
    {
        const auto value =
            archive().scalar(QStringLiteral("SELECT %1 FROM TempStampa").arg(QLatin1String(field)));
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? value->toString() : QString();
    }

    void expectPrinted(const char *layout)
    {
        EXPECT_EQ(fixture.desktop.started, QStringList{printProgram}) << layout;
        EXPECT_EQ(requested("NomeReport"), QStringLiteral("/opt/rotalina/reports/") + QLatin1String(layout));
        fixture.desktop.started.clear();
    }

    // A purchase of the amount on the account, registered on the day.
    void purchase(const QDate &registered, qint64 account, double amount)
    {
        const qint64 invoice = add("fattura", {{QStringLiteral("Carico"), true},
                                               {QStringLiteral("FattNota"), false},
                                               {QStringLiteral("Data"), registered},
                                               {QStringLiteral("DataRegistrazione"), registered},
                                               {QStringLiteral("NumeroCarico"), QStringLiteral("FT 1")}});
        add("Movimenti", {{QStringLiteral("Fattura_ID"), invoice},
                          {QStringLiteral("ContabilitaConti_ID"), account},
                          {QStringLiteral("TotaleImponibile"), amount},
                          {QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
    }

    void income(const QDate &day, qint64 account, double amount)
    {
        add("finanzia", {{QStringLiteral("Data"), day},
                         {QStringLiteral("Operazione"), QStringLiteral("Incasso")},
                         {QStringLiteral("Entrata"), amount},
                         {QStringLiteral("ContabilitaConti_ID"), account},
                         {QStringLiteral("Storico"), false}});
    }

    // "Stampa Contabilità" with its period typed.
    QDialog *printWindow(const QString &from = QStringLiteral("01022026"),
                         const QString &to = QStringLiteral("28022026"))
    {
        QDialog *window = open("TfrmStampaContabilita");
        if (window) {
            test::typeInto(*window, QStringLiteral("edtDallaData"), from);
            test::typeInto(*window, QStringLiteral("edtAllaData"), to);
        }
        return window;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

TEST_F(AccountsWindows, TheMainWindowButtonsFindTheirWindowsAndTheMenuOpensTheThreeLists)
{
    for (const char *target : {"TfrmArchivioContabilita", "TfrmStampaContabilita"}) {
        const auto &buttons = shell::mainMenuButtons();
        EXPECT_TRUE(std::any_of(buttons.cbegin(), buttons.cend(), [target](const shell::MenuButton &button) {
            return button.target == QLatin1String(target);
        })) << target;
        EXPECT_TRUE(windows.has(QLatin1String(target))) << target;
    }

    QDialog *menu = open("TfrmArchivioContabilita");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->windowTitle(), QStringLiteral("Contabilità"));
    EXPECT_EQ(WindowRegistry::helpContextOf(menu), 3500);
    for (const auto &[button, caption, list, title, grid] :
         {std::tuple{"btnClassi", "Classi", "TfrmGrigliaContabilitaClassi", "Classi",
                     "GrigliaContabilitaClassi"},
          std::tuple{"btnRaggruppamenti", "Raggruppamenti", "TfrmGrigliaContabilitaRaggruppamenti",
                     "Raggruppamenti", "GrigliaContabilitaRaggruppamenti"},
          std::tuple{"btnConti", "Conti", "TfrmGrigliaContabilitaConti", "Conti",
                     "GrigliaContabilitaConti"}}) {
        auto *pressed = menu->findChild<QPushButton *>(QLatin1String(button));
        ASSERT_NE(pressed, nullptr) << button;
        EXPECT_EQ(pressed->text(), QLatin1String(caption));
        bool opened = false;
        test::whenWindowOpens(QLatin1String(list), [&, title = title, grid = grid](QDialog &window) {
            opened = true;
            EXPECT_EQ(window.windowTitle(), QLatin1String(title));
            EXPECT_EQ(window.findChild<DataGrid *>(QStringLiteral("DBGrid1"))->gridName(),
                      QLatin1String(grid));
            test::click(window, QStringLiteral("spdIndietro"));
        });
        test::click(*menu, QLatin1String(button));
        EXPECT_TRUE(opened) << button;
    }
    menu->close();
}

TEST_F(AccountsWindows, AClassAGroupAndAnAccountAreAddedThroughTheirCards)
{
    QDialog *classes = open("TfrmGrigliaContabilitaClassi");
    ASSERT_NE(classes, nullptr);
    addThroughCard(*classes, "TfrmContabilitaClassi", QStringLiteral("Attenzione manca la Descrizione"),
                   QStringLiteral("Costi"));
    const QVariant costs =
        scalar(QStringLiteral("SELECT Id FROM ContabilitaClassi WHERE Descrizione = 'Costi'"));
    ASSERT_TRUE(costs.isValid());
    EXPECT_EQ(static_cast<RegistryListWindow *>(classes)->records().rowCount(), 1);
    classes->close();

    QDialog *groups = open("TfrmGrigliaContabilitaRaggruppamenti");
    ASSERT_NE(groups, nullptr);
    addThroughCard(*groups, "TfrmContabilitaRaggruppamenti",
                   QStringLiteral("Attenzione manca la Descrizione"), QStringLiteral("Carburanti"),
                   [&](QDialog &card) { choose(card, "Classe_ID", costs); });
    const QVariant fuel = scalar(
        QStringLiteral(
            "SELECT Id FROM ContabilitaRaggruppamenti WHERE Descrizione = 'Carburanti' AND Classe_ID = ?"),
        {costs});
    ASSERT_TRUE(fuel.isValid());
    groups->close();

    QDialog *accounts = open("TfrmGrigliaContabilitaConti");
    ASSERT_NE(accounts, nullptr);
    addThroughCard(
        *accounts, "TfrmContabilitaConti", QStringLiteral("Attenzione manca la Descrizione del Conto"),
        QStringLiteral("Gasolio"), [&](QDialog &card) {
            auto *box = card.findChild<shell::ui::LookupBox *>(QStringLiteral("LookRaggruppamento_ID"));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->findText(QStringLiteral("Costi - Carburanti")), 0)
                << "the group is offered with its class";
            choose(card, "Raggruppamento_ID", fuel);
        });
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT Raggruppamento_ID FROM ContabilitaConti WHERE Descrizione = 'Gasolio'"))
            .toLongLong(),
        fuel.toLongLong());

    // The list shows the account with its group and class, and its filters find by the beginning.
    auto &list = static_cast<RegistryListWindow &>(*accounts);
    ASSERT_EQ(list.records().rowCount(), 1);
    EXPECT_EQ(list.records().value(0, QStringLiteral("Classe")).toString(), QStringLiteral("Costi"));
    EXPECT_EQ(list.records().value(0, QStringLiteral("Raggruppamento")).toString(),
              QStringLiteral("Carburanti"));
    EXPECT_EQ(list.records().value(0, QStringLiteral("Conto")).toString(), QStringLiteral("Gasolio"));
    test::typeInto(*accounts, QStringLiteral("edtFiltroConto"), QStringLiteral("solio"));
    EXPECT_EQ(list.records().rowCount(), 0) << "the filters find what begins with the text";
    test::typeInto(*accounts, QStringLiteral("edtFiltroConto"), QStringLiteral("gas"));
    EXPECT_EQ(list.records().rowCount(), 1);
    test::typeInto(*accounts, QStringLiteral("edtFiltroClasse"), QStringLiteral("Ric"));
    EXPECT_EQ(list.records().rowCount(), 0);
    accounts->close();
}

TEST_F(AccountsWindows, AnAccountInUseIsNotDeletedAndTheUserIsToldWhere)
{
    const qint64 fuel =
        add("ContabilitaRaggruppamenti", {{QStringLiteral("Descrizione"), QStringLiteral("Carburanti")}});
    const qint64 diesel = add("ContabilitaConti", {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")},
                                                   {QStringLiteral("Raggruppamento_ID"), fuel}});
    purchase(QDate(2026, 2, 5), diesel, 100);

    QDialog *accounts = open("TfrmGrigliaContabilitaConti");
    ASSERT_NE(accounts, nullptr);
    auto &list = static_cast<RegistryListWindow &>(*accounts);
    list.showKey(diesel);
    fixture.prompter.clear();
    fixture.prompter.answerQuestions({true});
    test::click(*accounts, QStringLiteral("spdElimina"));
    ASSERT_EQ(fixture.prompter.shown().size(), 2);
    EXPECT_EQ(fixture.prompter.shown().at(0).title, QStringLiteral("Messaggio di avviso"));
    EXPECT_EQ(fixture.prompter.shown().at(0).text,
              QStringLiteral("Sei sicuro di voler eliminare il Conto ?"));
    EXPECT_EQ(fixture.prompter.shown().at(1).text,
              QStringLiteral("Attenzione il Conto è usato e non può essere eliminato:\n"
                             "- righe di fatture di acquisto: 1"));
    EXPECT_EQ(list.records().rowCount(), 1);
    accounts->close();

    QDialog *groups = open("TfrmGrigliaContabilitaRaggruppamenti");
    ASSERT_NE(groups, nullptr);
    static_cast<RegistryListWindow &>(*groups).showKey(fuel);
    fixture.prompter.clear();
    fixture.prompter.answerQuestions({true});
    test::click(*groups, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.shown().at(0).text,
              QStringLiteral("Sei sicuro di voler eliminare il Raggruppamento ?"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione il Raggruppamento non può essere eliminato: il "
                             "conto \"Gasolio\" è usato:\n"
                             "- righe di fatture di acquisto: 1"));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti")), 1);
    groups->close();
}

TEST_F(AccountsWindows, TheBalanceAsksForBothDatesThenPrintsTheAccountsOfThePeriod)
{
    const qint64 a = add("ContabilitaConti", {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
    const qint64 b = add("ContabilitaConti", {{QStringLiteral("Descrizione"), QStringLiteral("Noli")}});
    purchase(QDate(2026, 2, 10), a, 100);
    income(QDate(2026, 2, 11), a, 30);
    income(QDate(2026, 3, 1), b, 500); // after the period
    add("TempBilancio", {{QStringLiteral("NomeComputer"), QStringLiteral("MAGAZZINO")},
                         {QStringLiteral("ContabilitaConti_ID"), b},
                         {QStringLiteral("TotaleImponibile"), 1.0}});

    QDialog *window = open("TfrmStampaContabilita");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Stampa Contabilità"));
    EXPECT_EQ(WindowRegistry::helpContextOf(window), 3500);
    for (const auto &[typed, message, field] :
         {std::tuple{"", "Attenzione E' necessario definire la data di inizio...", "edtDallaData"},
          std::tuple{"01022026", "Attenzione E' necessario definire la data di fine...", "edtAllaData"}}) {
        if (*typed)
            test::typeInto(*window, QStringLiteral("edtDallaData"), QLatin1String(typed));
        fixture.prompter.clear();
        test::click(*window, QStringLiteral("btnContabilita"));
        ASSERT_EQ(fixture.prompter.shown().size(), 1);
        EXPECT_EQ(fixture.prompter.shown().first().title, QStringLiteral("Messaggio di avviso!!"));
        EXPECT_EQ(fixture.prompter.lastText(), QLatin1String(message));
        ASSERT_NE(window->focusWidget(), nullptr);
        EXPECT_EQ(window->focusWidget()->objectName(), QLatin1String(field));
        EXPECT_TRUE(fixture.desktop.started.isEmpty());
    }
    test::typeInto(*window, QStringLiteral("edtAllaData"), QStringLiteral("28022026"));
    fixture.prompter.clear();
    test::click(*window, QStringLiteral("btnContabilita"));
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << fixture.prompter.lastText().toStdString();
    expectPrinted("Bilancio.rpt");

    // What the print program reads: the request's statement gives this workstation's rows only.
    ReportContext context;
    context.workstation = fixture.session->workstation();
    const QString query = requested("Query");
    EXPECT_EQ(query, shell::reportSpec(15, context, {}, archive().dialect()).query);
    const auto printed = archive().readRows(query);
    ASSERT_TRUE(printed) << printed.error().toStdString();
    ASSERT_EQ(printed->values.size(), 1);
    const QStringList fields = printed->fields;
    const QVariantList &line = printed->values.first();
    const auto valueOf = [&](const char *name) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (fields.at(i).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return line.value(i);
        }
        ADD_FAILURE() << "no column " << name;
        return QVariant();
    };
    EXPECT_EQ(valueOf("Conto").toString(), QStringLiteral("Gasolio"));
    EXPECT_DOUBLE_EQ(valueOf("TotaleImponibile").toDouble(), -70.0);
    EXPECT_EQ(valueOf("DescrizioneData").toString(), QStringLiteral("Dal 01/02/2026 al 28/02/2026"));
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM TempBilancio WHERE NomeComputer = ?"),
                          {QStringLiteral("MAGAZZINO")}),
              1);
    window->close();
}

TEST_F(AccountsWindows, TheStatementOfTheChosenAccountIsPrinted)
{
    QDialog *window = printWindow(QStringLiteral("01022026"), QString());
    ASSERT_NE(window, nullptr);
    // Without the period the account is not even asked for.
    fixture.prompter.clear();
    test::click(*window, QStringLiteral("btnSituazioneConto"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione E' necessario definire la data di fine..."));
    window->close();

    const qint64 a = add("ContabilitaConti", {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
    add("ContabilitaConti", {{QStringLiteral("Descrizione"), QStringLiteral("Autostrade")}});
    purchase(QDate(2026, 2, 10), a, 100);
    income(QDate(2026, 2, 11), a, 30);
    window = printWindow();
    ASSERT_NE(window, nullptr);
    bool opened = false;
    test::whenWindowOpens(QStringLiteral("TfrmStampaSituazioneConto"), [&](QDialog &finder) {
        opened = true;
        EXPECT_EQ(finder.windowTitle(), QStringLiteral("Cerca Conto"));
        auto *grid = finder.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(grid->records()->rowCount(), 2);
        grid->setCurrentRow(-1);
        fixture.prompter.clear();
        test::click(finder, QStringLiteral("btnSituazioneConto"));
        ASSERT_EQ(fixture.prompter.shown().size(), 1);
        EXPECT_EQ(fixture.prompter.shown().first().title, QStringLiteral("Messaggio di avviso"));
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il conto da esaminare"));
        EXPECT_TRUE(fixture.desktop.started.isEmpty());

        grid->setCurrentRow(grid->records()->rowOfKey(a));
        test::click(finder, QStringLiteral("btnSituazioneConto"));
        test::click(finder, QStringLiteral("btnIndietro"));
    });
    test::click(*window, QStringLiteral("btnSituazioneConto"));
    EXPECT_TRUE(opened);
    expectPrinted("ContabilitaSituazioneConto.rpt");
    ReportContext context;
    context.workstation = fixture.session->workstation();
    EXPECT_EQ(requested("Query"), shell::reportSpec(75, context, {}, archive().dialect()).query);
    EXPECT_EQ(
        test::count(archive(),
                    QStringLiteral("SELECT COUNT(*) FROM TempContabilitaConto WHERE NomeComputer = ? AND "
                                   "ContabilitaConti_ID = ? AND DescrizioneData = ?"),
                    {fixture.session->workstation(), a, QStringLiteral("Dal 01/02/2026 al 28/02/2026")}),
        2);
    window->close();
}

TEST_F(AccountsWindows, TheVatSettlementPrintsMonthsOrQuartersAsTheOptionsSay)
{
    QDialog *window = open("TfrmStampaContabilita");
    ASSERT_NE(window, nullptr);
    for (const auto &[monthly, layout] :
         {std::pair{false, "ChiusuraIva.rpt"}, std::pair{true, "ChiusuraIvaMensile.rpt"}}) {
        ASSERT_TRUE(
            archive().execute(QStringLiteral("UPDATE opzioni SET ChiusuraIvaMensile = ?"), {monthly}));
        test::click(*window, QStringLiteral("btnChiusuraIva"));
        expectPrinted(layout);
    }
    window->close();
}

} // namespace
