#include "core/textfile.h"
#include "fleet/calendar.h"
#include "fleet/staff.h"
#include "fleet/ui/calendarwindows.h"
#include "fleet/ui/staffwindows.h"
#include "shell/duedatereminder.h"
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

#include <QColor>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using namespace rotalina::fleet::ui;

namespace {

class StaffWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        test::registerAllWindows(windows);
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

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
};

TEST_F(StaffWindows, ANewUserRecordsADriverWithLicenceDeadlinesAndSeesThemInTheReminder)
{
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmGrigliaPersonale")));
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmGrigliaCalendario")));
    ASSERT_TRUE(windows.has(QStringLiteral("TfrmGrigliaTipologieCostiPersonale")));
    // With the staff in the program their deadlines print from the due-date menu.
    QDialog *menu = windows.show(QStringLiteral("TfrmStampaScadenziario"), *fixture.session, nullptr);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->findChild<QPushButton *>(QStringLiteral("btnScadenzePersonale"))->isEnabled());
    menu->close();
    const qint64 kind = test::addRow(archive(), QStringLiteral("TipologiaCostiPersonale"),
                                     {{QStringLiteral("Descrizione"), QStringLiteral("Trasferta")}});
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaPersonale"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &staff = static_cast<RegistryListWindow &>(*list);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Personale"));

    qint64 member = 0;
    test::whenWindowOpens(QStringLiteral("TfrmPersonaleDettaglio"), [&](QDialog &window) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto &card = static_cast<StaffCardWindow &>(window);
        member = card.form().key();
        QStringList tabs;
        for (int i = 0; i < card.pages()->count(); ++i)
            tabs.append(card.pages()->tabText(i));
        EXPECT_EQ(tabs,
                  (QStringList{"Generale", "Dati Economici", "Documenti", "Scadenze", "Costi", "Stipendi"}));

        // The rates from the monthly pay.
        card.pages()->setCurrentIndex(1);
        test::click(window, QStringLiteral("btnCalcolaGiornaliera"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral(
                      "Attenzione Inserisci la paga mensile per poter calcolare la tariffa giornaliera!"));
        test::typeInto(window, QStringLiteral("edtPagaMensile"), QStringLiteral("2.100,00"));
        test::click(window, QStringLiteral("btnCalcolaGiornaliera"));
        EXPECT_EQ(textOf(window, "edtTariffaGiornaliera"), QStringLiteral("100,00"));
        test::click(window, QStringLiteral("btnCalcolaOraria"));
        EXPECT_EQ(textOf(window, "edtTariffaOraria"), QStringLiteral("12,50"));

        // The deadlines belong to a member with a name and a nation.
        card.pages()->setCurrentIndex(3);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca il nominativo !"));
        EXPECT_EQ(card.pages()->currentIndex(), 0) << "the page of the missing name";
        test::typeInto(window, QStringLiteral("edtPersonale"), QStringLiteral("Rossi Mario"));
        card.pages()->setCurrentIndex(3);
        EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la nazione !"));
        choose(window, "LookIdPaese", QStringLiteral("IT"));
        card.pages()->setCurrentIndex(3);
        ASSERT_EQ(card.pages()->currentIndex(), 3);
        EXPECT_EQ(
            count(QStringLiteral("SELECT COUNT(*) FROM Personale WHERE Personale = 'Rossi Mario' AND "
                                 "TariffaOraria = 12.5 AND TariffaGiornaliera = 100 AND IdPaese = 'IT'")),
            1);

        test::whenWindowOpens(QStringLiteral("TfrmPersonaleScadenze"), [&](QDialog &editor) {
            test::click(editor, QStringLiteral("spdIndietro"));
            EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Descrizione"));
            test::typeInto(editor, QStringLiteral("edtDescrizione"), QStringLiteral("Rinnovo patente C"));
            test::typeInto(editor, QStringLiteral("maskDataAvviso"), QStringLiteral("01032026"));
            test::typeInto(editor, QStringLiteral("maskDataScadenza"), QStringLiteral("01042026"));
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*card.deadlines(), QStringLiteral("spdInserisciDett"));
        ASSERT_EQ(card.deadlines()->records().rowCount(), 1);
        EXPECT_EQ(
            card.deadlines()->records().data(card.deadlines()->records().index(0, 0), Qt::BackgroundRole),
            QVariant(QColor(Qt::red)))
            << "its warning date has passed";

        card.pages()->setCurrentIndex(4);
        test::whenWindowOpens(QStringLiteral("TfrmPersonaleCosti"), [&](QDialog &editor) {
            test::typeInto(editor, QStringLiteral("edtImporto"), QStringLiteral("45,50"));
            choose(editor, "LookTipologiaCosto_id", kind);
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*card.costs(), QStringLiteral("spdInserisciDett"));
        EXPECT_EQ(card.costs()->records().rowCount(), 1);

        card.pages()->setCurrentIndex(5);
        test::whenWindowOpens(QStringLiteral("TfrmPersonaleStipendi"), [&](QDialog &editor) {
            EXPECT_EQ(textOf(editor, "edtBase"), QStringLiteral("2.100,00"));
            test::typeInto(editor, QStringLiteral("edtTrasferta"), QStringLiteral("150"));
            test::typeInto(editor, QStringLiteral("edtAccrediti"), QStringLiteral("50"));
            test::click(editor, QStringLiteral("btnCalcola"));
            EXPECT_EQ(textOf(editor, "edtTotaleParziale"), QStringLiteral("2.200,00"));
            test::click(editor, QStringLiteral("spdIndietro"));
            EXPECT_EQ(fixture.prompter.lastText(),
                      QStringLiteral("Attenzione manca l' Importo del bonifico"));
            test::typeInto(editor, QStringLiteral("edtImportoBonifico"), QStringLiteral("2200"));
            choose(editor, "LookMese", 3);
            test::click(editor, QStringLiteral("spdIndietro"));
        });
        test::click(*card.salaries(), QStringLiteral("spdInserisciDett"));
        EXPECT_EQ(card.salaries()->records().rowCount(), 1);
        test::click(window, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    ASSERT_NE(member, 0);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM PersonaleCosti WHERE Personale_ID = ? AND Importo = 45.5 "
                             "AND TipologiaCosto = 'Trasferta'"),
              {member}),
        1);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM PersonaleStipendi WHERE Personale_ID = ? AND Mese = 3 AND "
                             "TotaleParziale = 2200 AND Base = 2100"),
              {member}),
        1);
    const core::Result<QList<shell::ReminderList>> reminder =
        shell::loadDueDateReminder(archive(), QDate(2026, 3, 10));
    ASSERT_TRUE(reminder);
    const auto deadlines =
        std::find_if(reminder->cbegin(), reminder->cend(), [](const shell::ReminderList &l) {
            return l.label == QStringLiteral("Scadenze Personale");
        });
    ASSERT_NE(deadlines, reminder->cend());
    ASSERT_EQ(deadlines->rows.size(), 1);
    EXPECT_EQ(deadlines->rows.at(0).at(1), QStringLiteral("Rinnovo patente C"));
    EXPECT_EQ(deadlines->rows.at(0).at(2), QStringLiteral("Rossi Mario"));

    // The reminder opens the deadline by its key.
    const qint64 deadline =
        archive()
            .scalar(QStringLiteral("SELECT Id FROM PersonaleScadenze WHERE Personale_ID = ?"), {member})
            ->toLongLong();
    test::whenWindowOpens(QStringLiteral("TfrmPersonaleScadenze"), [&](QDialog &editor) {
        EXPECT_EQ(textOf(editor, "edtDescrizione"), QStringLiteral("Rinnovo patente C"));
        test::click(editor, QStringLiteral("chkValidato"));
        test::click(editor, QStringLiteral("spdIndietro"));
    });
    windows.open(QStringLiteral("TfrmPersonaleScadenze"), *fixture.session, list,
                 {{QStringLiteral("id"), deadline}});
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PersonaleScadenze WHERE Validato = true")), 1);

    // A filter is a value, whatever it holds.
    test::typeInto(*list, QStringLiteral("edtFiltroPersonale"), QStringLiteral("D'Am"));
    EXPECT_EQ(staff.records().rowCount(), 0);
    test::typeInto(*list, QStringLiteral("edtFiltroPersonale"), QStringLiteral("ross"));
    ASSERT_EQ(staff.records().rowCount(), 1);

    staff.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.shown().last().text,
              QStringLiteral("Sei sicuro di voler eliminare il dipendente?"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Personale")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PersonaleScadenze")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PersonaleStipendi")), 0);
    list->close();
    QTest::qWait(0);
}

// The folder of a member's papers: "Apri" names what is missing, "..." fills the field, and "Apri"
// then shows the folder.
TEST_F(StaffWindows, TheDataFolderIsChosenAndOpened)
{
    StaffCardWindow card(*fixture.session, windows, *fleet::addStaffMember(archive()), false);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    test::click(card, QStringLiteral("SpeedButton26"));
    EXPECT_EQ(fixture.prompter.lastText(), QStringLiteral("Attenzione manca la Cartella di Lavoro"));
    EXPECT_TRUE(fixture.desktop.opened.isEmpty());

    QTemporaryDir papers;
    ASSERT_TRUE(papers.isValid());
    fixture.prompter.answerDialogs({papers.path()});
    test::click(card, QStringLiteral("SpeedButton25"));
    EXPECT_EQ(card.form().values().value(QStringLiteral("CartellaServer")).toString(), papers.path());
    test::click(card, QStringLiteral("SpeedButton26"));
    ASSERT_EQ(fixture.desktop.opened.size(), 1);
    EXPECT_EQ(fixture.desktop.opened.first(), QUrl::fromLocalFile(papers.path()));
}

TEST_F(StaffWindows, TheCalendarAddsChecksFindsAndExportsItsEntries)
{
    const qint64 member = *fleet::addStaffMember(archive());
    ASSERT_TRUE(fleet::saveStaffMember(archive(), member,
                                       {{QStringLiteral("Personale"), QStringLiteral("Rossi Mario")},
                                        {QStringLiteral("IdPaese"), QStringLiteral("IT")}}));
    QDialog *list = windows.show(QStringLiteral("TfrmGrigliaCalendario"), *fixture.session, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    auto &calendar = static_cast<CalendarListWindow &>(*list);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Calendario"));

    test::whenWindowOpens(QStringLiteral("TfrmCalendario"), [&](QDialog &editor) {
        EXPECT_EQ(textOf(editor, "maskData"), QStringLiteral("10/03/2026")) << "a new entry is dated today";
        test::typeInto(editor, QStringLiteral("maskDataAvviso"), QStringLiteral("11032026"));
        test::click(editor, QStringLiteral("spdIndietro"));
        EXPECT_EQ(fixture.prompter.lastText(),
                  QStringLiteral("Attenzione la Data di avviso è minore della data dell'impegno"));
        test::typeInto(editor, QStringLiteral("maskDataAvviso"), QStringLiteral("10032026"));
        choose(editor, "LookPersonale_Id", member);
        test::typeInto(editor, QStringLiteral("edtNote"), QStringLiteral("Corso ADR"));
        test::click(editor, QStringLiteral("spdIndietro"));
    });
    test::click(*list, QStringLiteral("spdInserisci"));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM Calendario WHERE Personale = 'Rossi Mario' AND Conclusa = "
                             "false AND Storico = false")),
        1)
        << "choosing the member copies the name";
    ASSERT_EQ(calendar.records().rowCount(), 1);

    test::typeInto(*list, QStringLiteral("edtFiltroNote"), QStringLiteral("o'"));
    EXPECT_EQ(calendar.records().rowCount(), 0);
    test::typeInto(*list, QStringLiteral("edtFiltroNote"), QStringLiteral("adr"));
    EXPECT_EQ(calendar.records().rowCount(), 1);
    test::typeInto(*list, QStringLiteral("maskDaData"), QStringLiteral("11032026"));
    EXPECT_EQ(calendar.records().rowCount(), 0);
    test::typeInto(*list, QStringLiteral("maskDaData"), QStringLiteral("10032026"));
    EXPECT_EQ(calendar.records().rowCount(), 1);

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("impegni"));
    fixture.prompter.answerDialogs({file});
    test::click(*list, QStringLiteral("spdEsporta"));
    const core::Result<QString> text = core::readTextFile(file + QStringLiteral(".ics"));
    ASSERT_TRUE(text) << "the extension is added";
    EXPECT_TRUE(text->contains(QStringLiteral("SUMMARY;LANGUAGE=it-IT:Rossi Mario : Corso ADR\r\n")));

    calendar.grid()->setCurrentRow(0);
    fixture.prompter.answerQuestions({true});
    test::click(*list, QStringLiteral("spdElimina"));
    EXPECT_EQ(fixture.prompter.shown().last().text,
              QStringLiteral("Sei sicuro di voler eliminare la data del Calendario ??"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Calendario")), 0);
    list->close();
    QTest::qWait(0);
}

} // namespace
