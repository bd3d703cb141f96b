#include "shell/ui/datagrid.h"

#include "storage/recordlistmodel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

namespace rotalina::shell::ui {

namespace {
QList<DataGrid::MenuExtension> &extensions()
{
    static QList<DataGrid::MenuExtension> list;
    return list;
}

QList<DataGrid *> &liveGrids()
{
    static QList<DataGrid *> list;
    return list;
}
} // namespace

DataGrid::DataGrid(const QString &gridName, QWidget *parent) : QTableView(parent), m_gridName(gridName)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::orderBy);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit avanti();
    });
    liveGrids().append(this);
}

DataGrid::~DataGrid()
{
    liveGrids().removeOne(this);
}

int DataGrid::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = model()->index(row, std::max(0, currentIndex().column()));
    setCurrentIndex(index);
    selectRow(row);
    scrollTo(index);
}

void DataGrid::addMenuExtension(MenuExtension extension)
{
    extensions().append(std::move(extension));
}

QList<DataGrid *> DataGrid::grids()
{
    return liveGrids();
}

void DataGrid::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    for (const MenuExtension &extension : std::as_const(extensions()))
        extension(*this, menu);
    if (!menu.isEmpty())
        menu.exec(event->globalPos());
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        emit avanti();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::orderBy(int column)
{
    if (!model())
        return;
    m_sortedOrder = column == m_sortedColumn && m_sortedOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                    : Qt::AscendingOrder;
    m_sortedColumn = column;
    // The list stays on the record it was on, wherever the new order puts it.
    auto *records = qobject_cast<storage::RecordListModel *>(model());
    const std::optional<qint64> key = records ? records->keyAt(currentRow()) : std::nullopt;
    model()->sort(column, m_sortedOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_sortedOrder);
    if (key)
        setCurrentRow(records->rowOfKey(*key));
}

} // namespace rotalina::shell::ui
