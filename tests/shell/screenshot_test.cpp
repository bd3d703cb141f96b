#include "shell/duedatereminder.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/reminderwindow.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "support/shellfixture.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;

// Pictures of the main window and of the reminder for people to look at; nothing is compared.
TEST(Screenshots, MainWindowAndReminder)
{
    const QString folder = QStringLiteral(ROTALINA_RUNTIME_DIR "/../tests/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));

    auto archive = test::newArchive();
    ASSERT_TRUE(archive
                    ->execute(QStringLiteral("UPDATE ditta SET RagSoc = ?"),
                              {QStringLiteral("Autotrasporti Bianchi & Figli S.r.l.")})
                    .ok());
    const qint64 customer =
        archive
            ->insert(QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Logistica Emiliana")}})
            .value();
    for (int i = 1; i <= 4; ++i)
        ASSERT_TRUE(
            archive
                ->insert(QStringLiteral("FatturaScadenze"),
                         {{QStringLiteral("DataScadenza"), QDate::currentDate().addDays(-7 * i)},
                          {QStringLiteral("Cliente_id"), customer},
                          {QStringLiteral("Tipo"), QStringLiteral("F")},
                          {QStringLiteral("Importo"), 1830.0 * i},
                          {QStringLiteral("Operazione"), QStringLiteral("Fattura N° %1").arg(40 + i)}})
                .ok());
    test::ShellFixture fixture;
    fixture.useArchive(std::move(archive));
    WindowRegistry windows;
    registerShellWindows(windows);
    MainWindow window(*fixture.session, windows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.runStartup(), shell::StartupSequence::Outcome::Ready);
    const QImage main = window.grab().toImage();
    ASSERT_FALSE(main.isNull());
    EXPECT_TRUE(main.save(folder + QStringLiteral("/finestra-principale.png")));

    const auto lists = shell::loadDueDateReminder(fixture.archive(), QDate::currentDate());
    ASSERT_TRUE(lists.ok());
    ReminderWindow reminder(*fixture.session, windows, *lists);
    reminder.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reminder));
    EXPECT_TRUE(reminder.grab().toImage().save(folder + QStringLiteral("/promemoria-scadenze.png")));
}
