#include "shell/ui/datagrid.h"

#include "storage/recordlistmodel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyledItemDelegate>

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

QList<DataGrid::DesignObserver> &designObservers()
{
    static QList<DataGrid::DesignObserver> list;
    return list;
}

// Paints the cells of one column with a colour of their own.
class ColumnColourDelegate : public QStyledItemDelegate
{
public:
    ColumnColourDelegate(const QColor &colour, QObject *parent)
        : QStyledItemDelegate(parent), m_colour(colour)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->backgroundBrush = m_colour;
    }

private:
    QColor m_colour;
};

const QString stockField = QStringLiteral("Giacenza");
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

void DataGrid::addDesignObserver(DesignObserver observer)
{
    designObservers().append(std::move(observer));
}

void DataGrid::setRecords(storage::RecordListModel *records)
{
    m_records = records;
    setModel(records);
}

void DataGrid::setDesign(const QList<GridColumn> &columns)
{
    m_design = columns;
    showColumns(columns);
    for (const DesignObserver &observer : std::as_const(designObservers()))
        observer(*this);
}

QList<GridColumn> DataGrid::shownColumns() const
{
    QList<GridColumn> shown;
    if (!m_records)
        return shown;
    const QHeaderView *header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        shown.append({m_records->columnField(logical),
                      m_records->headerData(logical, Qt::Horizontal).toString(), columnWidth(logical)});
    }
    return shown;
}

void DataGrid::showColumns(const QList<GridColumn> &columns)
{
    if (!m_records)
        return;
    QList<storage::RecordListModel::Column> fields;
    for (const GridColumn &column : columns)
        fields.append({column.field, column.title});
    m_records->setColumns(fields);
    QHeaderView *header = horizontalHeader();
    for (int logical = 0; logical < header->count(); ++logical) {
        header->moveSection(header->visualIndex(logical), logical);
        header->showSection(logical);
        if (logical < columns.size() && columns.at(logical).width > 0)
            setColumnWidth(logical, columns.at(logical).width);
    }
    setStockHighlight(m_stockHighlight);
}

int DataGrid::columnOfField(const QString &field) const
{
    if (!m_records)
        return -1;
    for (int column = 0; column < m_records->columnCount(); ++column) {
        if (m_records->columnField(column).compare(field, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

void DataGrid::hideColumn(const QString &field)
{
    if (const int column = columnOfField(field); column >= 0)
        horizontalHeader()->hideSection(column);
}

void DataGrid::showColumn(const QString &field)
{
    if (const int column = columnOfField(field); column >= 0)
        horizontalHeader()->showSection(column);
}

void DataGrid::setStockHighlight(bool on)
{
    m_stockHighlight = on;
    if (!m_records)
        return;
    for (int column = 0; column < m_records->columnCount(); ++column)
        setItemDelegateForColumn(column, nullptr);
    if (const int stock = columnOfField(stockField); on && stock >= 0) {
        if (!m_stockDelegate)
            m_stockDelegate = new ColumnColourDelegate(QColor(240, 189, 15), this);
        setItemDelegateForColumn(stock, m_stockDelegate);
    }
}

QList<DataGrid *> DataGrid::grids()
{
    return liveGrids();
}

void DataGrid::contextMenuEvent(QContextMenuEvent *event)
{
    m_menuColumn = columnAt(viewport()->mapFromGlobal(event->globalPos()).x());
    QMenu menu(this);
    for (const MenuExtension &extension : std::as_const(extensions()))
        extension(*this, menu);
    if (!m_ownActions.isEmpty()) {
        menu.addSeparator();
        menu.addActions(m_ownActions);
    }
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
