#include "shell/ui/gridlayoutmenu.h"

#include "shell/gridlayouts.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"

#include <QAction>
#include <QMenu>

namespace rotalina::shell::ui::grid_layouts {

namespace {

bool usable(Session &session, DataGrid &grid)
{
    return session.archive() && !grid.gridName().isEmpty() && !grid.design().isEmpty();
}

void report(Session &session, const core::Status &status)
{
    if (!status)
        session.prompter().message(titles::error(), status.error());
}

} // namespace

void save(Session &session, DataGrid &grid)
{
    if (!usable(session, grid))
        return;
    GridLayoutStore store(*session.archive(), session.workstation());
    report(session, store.save(grid.gridName(), grid.shownColumns(), grid.design(), false));
}

void apply(Session &session, DataGrid &grid, bool useDesign)
{
    if (!usable(session, grid))
        return;
    GridLayoutStore store(*session.archive(), session.workstation());
    const auto columns = store.columnsToShow(grid.gridName(), grid.shownColumns(), grid.design(), useDesign);
    if (!columns) {
        report(session, core::Status::failure(columns.error()));
        return;
    }
    if (columns->has_value())
        grid.showColumns(**columns);
}

void reset(Session &session, DataGrid &grid)
{
    apply(session, grid, true);
    save(session, grid);
}

void applyToAll(Session &session)
{
    for (DataGrid *grid : DataGrid::grids())
        apply(session, *grid, false);
}

void install(Session &session)
{
    static bool installed = false;
    static Session *current = nullptr;
    current = &session;
    if (installed)
        return;
    installed = true;
    DataGrid::addDesignObserver([](DataGrid &grid) { apply(*current, grid, false); });
    DataGrid::addMenuExtension([](DataGrid &grid, QMenu &menu) {
        if (grid.design().isEmpty())
            return;
        DataGrid *target = &grid;
        QAction *saveAction = menu.addAction(QStringLiteral("Salva Griglia"));
        saveAction->setObjectName(QStringLiteral("SalvaGriglia1"));
        QObject::connect(saveAction, &QAction::triggered, target, [target] { save(*current, *target); });
        QAction *hide = menu.addAction(QStringLiteral("Elimina Colonna"));
        hide->setObjectName(QStringLiteral("EliminaColonna1"));
        hide->setEnabled(grid.menuColumn() >= 0);
        QObject::connect(hide, &QAction::triggered, target, [target] {
            // The last shown column stays: a grid without columns could not be saved or restored.
            if (target->shownColumns().size() > 1 && target->menuColumn() >= 0)
                target->setColumnHidden(target->menuColumn(), true);
        });
        QAction *resetAction = menu.addAction(QStringLiteral("Reset Griglia"));
        resetAction->setObjectName(QStringLiteral("ResetGriglia1"));
        QObject::connect(resetAction, &QAction::triggered, target, [target] { reset(*current, *target); });
    });
}

} // namespace rotalina::shell::ui::grid_layouts
