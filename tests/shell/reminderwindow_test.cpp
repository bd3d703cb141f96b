#include "shell/duedatereminder.h"
#include "shell/ui/reminderwindow.h"
#include "shell/ui/windowregistry.h"
#include "support/shellfixture.h"

#include <QDialog>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using namespace rotalina::shell::ui;

TEST(Reminder, ListsWhatIsDueWithItsColumns)
{
    test::ShellFixture fixture;
    fixture.session->setArchive(test::newArchive());
    storage::Archive &archive = fixture.archive();
    const QDate today(2024, 6, 10);
    const qint64 customer =
        test::addRow(archive, QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Rossi")}});
    const qint64 due = test::addRow(archive, QStringLiteral("FatturaScadenze"),
                                    {{QStringLiteral("DataScadenza"), QDate(2024, 6, 1)},
                                     {QStringLiteral("Cliente_id"), customer},
                                     {QStringLiteral("Tipo"), QStringLiteral("F")},
                                     {QStringLiteral("Importo"), 1220.5},
                                     {QStringLiteral("Operazione"), QStringLiteral("Fattura 12")}});
    test::addRow(archive, QStringLiteral("FatturaScadenze"),
                 {{QStringLiteral("DataScadenza"), QDate(2024, 7, 1)}, {QStringLiteral("Importo"), 5.0}});
    const qint64 vehicle = test::addRow(archive, QStringLiteral("Vetture"),
                                        {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}});
    test::addRow(archive, QStringLiteral("VettureScadenze"),
                 {{QStringLiteral("Vettura_ID"), vehicle},
                  {QStringLiteral("DataScadenza"), QDate(2024, 6, 30)},
                  {QStringLiteral("DataAvviso"), QDate(2024, 6, 10)},
                  {QStringLiteral("Descrizione"), QStringLiteral("Revisione")}});
    test::addRow(archive, QStringLiteral("VettureScadenze"),
                 {{QStringLiteral("Vettura_ID"), vehicle},
                  {QStringLiteral("DataAvviso"), QDate(2024, 6, 1)},
                  {QStringLiteral("Validato"), true}});
    test::addRow(archive, QStringLiteral("Calendario"),
                 {{QStringLiteral("Data"), QDate(2024, 6, 12)},
                  {QStringLiteral("DataAvviso"), QDate(2024, 6, 9)},
                  {QStringLiteral("Personale"), QStringLiteral("Mario")}});
    test::addRow(archive, QStringLiteral("Calendario"),
                 {{QStringLiteral("Data"), QDate(2024, 6, 12)},
                  {QStringLiteral("DataAvviso"), QDate(2024, 6, 9)},
                  {QStringLiteral("Conclusa"), true}});

    const auto lists = loadDueDateReminder(archive, today);
    ASSERT_TRUE(lists.ok()) << lists.error().toStdString();
    ASSERT_TRUE(anythingDue(*lists));

    WindowRegistry windows;
    QVariantMap opened;
    windows.add(QStringLiteral("TfrmScadenziarioDettaglio"), 3400,
                [&opened](Session &, const QVariantMap &parameters, QWidget *parent) {
                    opened = parameters;
                    auto *dialog = new QDialog(parent);
                    QTimer::singleShot(0, dialog, &QDialog::accept);
                    return dialog;
                });
    ReminderWindow window(*fixture.session, windows, *lists);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Promemoria Scadenze"));
    QTableWidget *payments = window.findChild<QTableWidget *>(QStringLiteral("StringGrid1"));
    ASSERT_NE(payments, nullptr);
    ASSERT_EQ(payments->rowCount(), 1);
    QStringList titles;
    for (int c = 0; c < payments->columnCount(); ++c)
        titles.append(payments->horizontalHeaderItem(c)->text());
    EXPECT_EQ(titles, QStringList({"Data Scadenza", "Operazione", "Cliente", "Fornitore", "Importo",
                                   "Mod.Pagamento", "Note", "id_scad", "Tipo"}));
    EXPECT_EQ(payments->item(0, 0)->text(), QStringLiteral("01/06/2024"));
    EXPECT_EQ(payments->item(0, 2)->text(), QStringLiteral("Rossi"));
    EXPECT_EQ(payments->item(0, 4)->text(), QStringLiteral("1.220,50"));
    EXPECT_LE(payments->columnWidth(7), 6) << "the key column is only a few pixels wide";

    EXPECT_EQ(window.findChild<QTableWidget *>(QStringLiteral("StringGrid2"))->rowCount(), 1);
    EXPECT_EQ(window.findChild<QTableWidget *>(QStringLiteral("StringGrid3"))->rowCount(), 0);
    EXPECT_EQ(window.findChild<QTableWidget *>(QStringLiteral("StringGrid5"))->rowCount(), 1);

    EXPECT_TRUE(window.openRow(0, 0));
    EXPECT_EQ(opened.value(QStringLiteral("id")).toLongLong(), due);
    EXPECT_TRUE(opened.value(QStringLiteral("cliente")).toBool())
        << "a customer's instalment opens the customer side";
    EXPECT_FALSE(window.openRow(1, 0)) << "the vehicles' window does not exist yet: nothing happens";
}
