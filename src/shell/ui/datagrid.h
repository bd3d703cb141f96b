#pragma once

#include <QList>
#include <QString>
#include <QTableView>
#include <functional>

class QMenu;

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

    int currentRow() const;
    void setCurrentRow(int row);

    // Entries added to the pop-up menu of every grid of the program (the layout commands).
    using MenuExtension = std::function<void(DataGrid &grid, QMenu &menu)>;
    static void addMenuExtension(MenuExtension extension);
    // The grids that exist now, so that stored layouts can be applied to each by its name.
    static QList<DataGrid *> grids();

signals:
    void avanti();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void orderBy(int column);

    QString m_gridName;
    int m_sortedColumn = -1;
    Qt::SortOrder m_sortedOrder = Qt::AscendingOrder;
};

} // namespace rotalina::shell::ui
