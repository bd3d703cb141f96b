#pragma once

#include "shell/gridlayouts.h"

#include <QList>
#include <QString>
#include <QTableView>
#include <functional>

class QAction;
class QMenu;

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell::ui {

// The read-only grid of every list window. A click on a title orders the rows by that column,
// ascending, and a second click descending; a double click is the list's "Avanti". Every grid
// has a name, under which its column layout is kept per workstation.
class DataGrid : public QTableView
{
    Q_OBJECT

public:
    DataGrid(const QString &gridName, QWidget *parent = nullptr);
    ~DataGrid() override;

    const QString &gridName() const { return m_gridName; }

    // The list the grid shows; its columns follow the grid's arrangement.
    void setRecords(storage::RecordListModel *records);
    storage::RecordListModel *records() const { return m_records; }

    // The columns the grid is designed with (the program's own arrangement). Setting them shows
    // them, and then any arrangement this workstation stored for the grid.
    void setDesign(const QList<GridColumn> &columns);
    const QList<GridColumn> &design() const { return m_design; }
    // The columns shown now, in display order, with their widths.
    QList<GridColumn> shownColumns() const;
    // Shows these columns, in this order.
    void showColumns(const QList<GridColumn> &columns);
    // Hides or shows again the first column of a field.
    void hideColumn(const QString &field);
    void showColumn(const QString &field);
    // Paints the stock column ("Giacenza") amber.
    void setStockHighlight(bool on);
    // An entry of this grid's own pop-up menu, after the common ones.
    void addMenuAction(QAction *action) { m_ownActions.append(action); }
    // The column under the pointer when the pop-up menu opened, or -1.
    int menuColumn() const { return m_menuColumn; }

    int currentRow() const;
    void setCurrentRow(int row);

    // Entries added to the pop-up menu of every grid of the program (the layout commands).
    using MenuExtension = std::function<void(DataGrid &grid, QMenu &menu)>;
    static void addMenuExtension(MenuExtension extension);
    // Called whenever a grid receives its design, so that its stored arrangement can be applied.
    using DesignObserver = std::function<void(DataGrid &grid)>;
    static void addDesignObserver(DesignObserver observer);
    // The grids that exist now, so that stored layouts can be applied to each by its name.
    static QList<DataGrid *> grids();

signals:
    void avanti();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void orderBy(int column);

    int columnOfField(const QString &field) const;

    QString m_gridName;
    storage::RecordListModel *m_records = nullptr;
    QList<GridColumn> m_design;
    bool m_stockHighlight = false;
    QAbstractItemDelegate *m_stockDelegate = nullptr;
    int m_menuColumn = -1;
    QList<QAction *> m_ownActions;
    int m_sortedColumn = -1;
    Qt::SortOrder m_sortedOrder = Qt::AscendingOrder;
};

} // namespace rotalina::shell::ui
