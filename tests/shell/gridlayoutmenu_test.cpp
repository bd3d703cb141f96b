#include "shell/ui/datagrid.h"
#include "shell/ui/gridlayoutmenu.h"
#include "storage/recordlistmodel.h"
#include "support/shellfixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using namespace rotalina::shell::ui;

namespace {

const QList<GridColumn> design = {
    {"Descrizione", "Descrizione", 200}, {"Iva", "Aliquota", 70}, {"Pa_Natura_Codice", "Natura", 90}};

class VatGrid : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixture.session->setArchive(test::newArchive());
        grid_layouts::install(*fixture.session);
        test::addRow(
            fixture.archive(), QStringLiteral("Iva"),
            {{QStringLiteral("Descrizione"), QStringLiteral("Ordinaria")}, {QStringLiteral("Iva"), 22.0}});
    }

    std::unique_ptr<DataGrid> makeGrid()
    {
        auto grid = std::make_unique<DataGrid>(QStringLiteral("frmGrigliaIva"));
        auto *records = new storage::RecordListModel(fixture.archive(), QStringLiteral("ID"), grid.get());
        records->setStatement(
            QStringLiteral("SELECT ID, Descrizione, Iva, Pa_Natura_Codice FROM Iva ORDER BY Descrizione"));
        EXPECT_TRUE(records->reload().ok());
        grid->setRecords(records);
        grid->resize(600, 300);
        grid->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
        grid->setDesign(design);
        return grid;
    }

    // Opens the grid's pop-up menu over a column and chooses one of its commands.
    QStringList chooseFromMenu(DataGrid &grid, int column, const QString &command)
    {
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction *action : menu->actions()) {
                shown.append(action->text());
                if (action->text() == command)
                    action->trigger();
            }
            menu->close();
        });
        const QPoint at(grid.columnViewportPosition(column) + 5, 10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &event);
        return shown;
    }

    test::ShellFixture fixture;
};

} // namespace

TEST_F(VatGrid, TheArrangementIsSavedPerWorkstationAndReset)
{
    auto first = makeGrid();
    EXPECT_EQ(first->shownColumns(), design) << "the first time the grid shows its design";
    QHeaderView *header = first->horizontalHeader();
    header->moveSection(2, 0);
    first->setColumnWidth(0, 260);
    const QStringList commands = chooseFromMenu(*first, 1, QStringLiteral("Elimina Colonna"));
    EXPECT_EQ(commands, QStringList({"Salva Griglia", "Elimina Colonna", "Reset Griglia"}));
    EXPECT_EQ(first->shownColumns(),
              QList<GridColumn>({{"Pa_Natura_Codice", "Natura", 90}, {"Descrizione", "Descrizione", 260}}));
    chooseFromMenu(*first, 0, QStringLiteral("Salva Griglia"));
    first.reset();

    auto again = makeGrid();
    EXPECT_EQ(again->shownColumns(),
              QList<GridColumn>({{"Pa_Natura_Codice", "Natura", 90}, {"Descrizione", "Descrizione", 260}}))
        << "the saved arrangement comes back";

    fixture.session->archive()->execute(QStringLiteral("UPDATE Griglie SET NomeComputer = 'ALTRO'")).value();
    auto elsewhere = makeGrid();
    EXPECT_EQ(elsewhere->shownColumns(), design) << "another workstation's arrangement is not this one's";
    fixture.session->archive()
        ->execute(QStringLiteral("DELETE FROM Griglie WHERE NomeComputer = 'UFFICIO'"))
        .value();
    fixture.session->archive()
        ->execute(QStringLiteral("UPDATE Griglie SET NomeComputer = 'UFFICIO'"))
        .value();

    auto reset = makeGrid();
    chooseFromMenu(*reset, 0, QStringLiteral("Reset Griglia"));
    EXPECT_EQ(reset->shownColumns(), design) << "the hidden column is back with its title and width";
    auto afterReset = makeGrid();
    EXPECT_EQ(afterReset->shownColumns(), design) << "and the reset arrangement is the user's now";
}

TEST_F(VatGrid, StockColumnAndHiddenColumns)
{
    auto grid = makeGrid();
    grid->hideColumn(QStringLiteral("iva"));
    EXPECT_EQ(grid->shownColumns().size(), 2);
    grid->showColumn(QStringLiteral("Iva"));
    EXPECT_EQ(grid->shownColumns(), design);
    grid->setStockHighlight(true); // no stock column here: nothing is painted
    EXPECT_EQ(grid->itemDelegateForColumn(1), nullptr);
}
