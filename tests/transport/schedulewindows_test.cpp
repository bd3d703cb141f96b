#include "core/textfile.h"
#include "shell/ui/datebox.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/windowregistry.h"
#include "support/allwindows.h"
#include "support/modaldriver.h"
#include "support/shellfixture.h"
#include "transport/scheduling.h"

#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

namespace {

class ScheduleWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixture.session->setArchive(test::newArchive());
        fixture.session->setToday(QDate(2026, 3, 10));
        test::registerAllWindows(windows);
        truck = test::addRow(archive(), QStringLiteral("Vetture"),
                             {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}});
        test::addRow(archive(), QStringLiteral("Vetture"),
                     {{QStringLiteral("Targa"), QStringLiteral("ZZ999ZZ")}});
        for (const auto &[plate, customer] : {std::pair{"AB123CD", "Alfa"}, std::pair{"ZZ999ZZ", "Beta"}}) {
            test::addRow(archive(), QStringLiteral("TotaliCo"),
                         {{QStringLiteral("Data"), QDateTime(QDate(2026, 3, 11), QTime(9, 0))},
                          {QStringLiteral("DataRientro"), QDateTime(QDate(2026, 3, 11), QTime(11, 0))},
                          {QStringLiteral("Cliente"), QString::fromLatin1(customer)},
                          {QStringLiteral("Targa1"), QString::fromLatin1(plate)},
                          {QStringLiteral("Annullato"), false},
                          {QStringLiteral("Storico"), false}});
        }
    }

    storage::Archive &archive() { return fixture.archive(); }

    test::ShellFixture fixture;
    WindowRegistry windows;
    qint64 truck = 0;
};

TEST_F(ScheduleWindows, FromTheJobListTheUserSeesOneVehiclesWeekAndExportsIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QDialog *jobs = windows.show(QStringLiteral("TfrmGrigliaConti"), *fixture.session, nullptr);
    ASSERT_NE(jobs, nullptr);
    QStringList gridTexts;
    QString title;
    bool choiceShown = false;
    test::whenWindowOpens(QStringLiteral("TfrmSceltaProgrammazione"), [&](QDialog &choice) {
        choiceShown = true;
        auto *from = choice.findChild<DateBox *>(QStringLiteral("maskDaData"));
        auto *to = choice.findChild<DateBox *>(QStringLiteral("maskAData"));
        ASSERT_TRUE(from && to);
        // Without a start-up the week from today is offered.
        EXPECT_EQ(from->date(), QDate(2026, 3, 10));
        EXPECT_EQ(to->date(), QDate(2026, 3, 17));

        test::typeInto(choice, QStringLiteral("maskAData"), QStringLiteral("10/04/2026"));
        test::click(choice, QStringLiteral("btnProgrammazione"));
        EXPECT_EQ(
            fixture.prompter.lastText(),
            QStringLiteral("Attenzione l'intervallo di tempo deve essere al massimo di 31 giorni e minimo 1 "
                           "giorno"));
        test::typeInto(choice, QStringLiteral("maskAData"), QStringLiteral("31/02/2026"));
        test::click(choice, QStringLiteral("btnProgrammazione"));
        EXPECT_TRUE(fixture.prompter.lastText().contains(QStringLiteral("non è una data")))
            << fixture.prompter.lastText().toStdString();

        test::typeInto(choice, QStringLiteral("maskAData"), QStringLiteral("12/03/2026"));
        choice.findChild<LookupBox *>(QStringLiteral("DBLookupComboBox5"))->setKey(truck);
        fixture.prompter.answerDialogs({folder.filePath(QStringLiteral("settimana"))});
        test::whenWindowOpens(QStringLiteral("TfrmProgrammazione"), [&](QDialog &grid) {
            title = grid.findChild<QLabel *>(QStringLiteral("Label1"))->text();
            auto *table = grid.findChild<QTableWidget *>(QStringLiteral("StringGrid2"));
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table->rowCount(), 24);
            EXPECT_EQ(table->columnCount(), 1 + 3 + 2);
            EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("Mercoledì - 11/03/2026"));
            for (int hour = 0; hour < 24; ++hour)
                gridTexts.append(table->item(hour, 2)->text());
            EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("AB123CD"));
            test::click(grid, QStringLiteral("SpeedButton1"));
            test::click(grid, QStringLiteral("spdIndietro"));
        });
        test::click(choice, QStringLiteral("btnProgrammazione"));
        test::click(choice, QStringLiteral("spdIndietro"));
    });
    test::click(*jobs, QStringLiteral("SpeedButton1"));
    ASSERT_TRUE(choiceShown);
    EXPECT_EQ(title, QStringLiteral("Programmazione per vetture"));
    ASSERT_EQ(gridTexts.size(), 24);
    EXPECT_EQ(gridTexts.at(9), QStringLiteral("9 - Alfa"));
    EXPECT_EQ(gridTexts.at(10), QStringLiteral("10 - Alfa"));
    EXPECT_TRUE(gridTexts.at(11).isEmpty());
    EXPECT_EQ(gridTexts.join(QString()).count(QStringLiteral("Beta")), 0) << "only the chosen vehicle";

    // The file name without extension gets ".ics"; only the vehicle's job is in it.
    const core::Result<QString> written =
        core::readTextFile(folder.filePath(QStringLiteral("settimana.ics")));
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(written->count(QStringLiteral("BEGIN:VEVENT")), 1);
    EXPECT_TRUE(written->contains(QStringLiteral(" - Alfa : AB123CD")));

    // The period asked last is offered again while the program runs.
    EXPECT_EQ(fixture.session->schedulePeriod().to, QDate(2026, 3, 12));
    QDialog *again = windows.show(QStringLiteral("TfrmSceltaProgrammazione"), *fixture.session, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->findChild<DateBox *>(QStringLiteral("maskAData"))->date(), QDate(2026, 3, 12));
    again->close();
    jobs->close();
}

TEST_F(ScheduleWindows, StartUpOffersTheWeekFromTheDayTheProgramStarted)
{
    test::ShellFixture started;
    started.session->setToday(QDate(2026, 12, 7));
    started.useNewArchive();
    test::RecordingStartupUi ui;
    ASSERT_EQ(shell::StartupSequence(*started.session, ui).run(), shell::StartupSequence::Outcome::Ready);
    EXPECT_EQ(started.session->schedulePeriod().from, QDate(2026, 12, 7));
    EXPECT_EQ(started.session->schedulePeriod().to, QDate(2026, 12, 14));
}

} // namespace
