#pragma once

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class DataGrid;

// Every grid's pop-up menu "Salva Griglia", "Elimina Colonna", "Reset Griglia", and the stored
// arrangement of this workstation applied to each grid as it receives its design.
namespace grid_layouts {

void install(Session &session);

// "Salva Griglia": the columns shown become the user's arrangement.
void save(Session &session, DataGrid &grid);
// The stored arrangement (the user's, or the program's own when asked) shown in the grid.
void apply(Session &session, DataGrid &grid, bool useDesign);
// "Reset Griglia": the program's own arrangement comes back and becomes the user's.
void reset(Session &session, DataGrid &grid);
// Every grid that exists now (start-up).
void applyToAll(Session &session);

} // namespace grid_layouts
} // namespace rotalina::shell::ui
