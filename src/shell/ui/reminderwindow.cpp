#include "shell/ui/reminderwindow.h"

#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

ReminderWindow::ReminderWindow(Session &session, const WindowRegistry &windows,
                               const QList<ReminderList> &lists, QWidget *parent)
    : QDialog(parent), m_session(session), m_windows(windows), m_lists(lists)
{
    setObjectName(QStringLiteral("TfrmPromemoriaScadenze"));
    setWindowTitle(QStringLiteral("Promemoria Scadenze"));
    WindowRegistry::setHelpContext(this, 7200);
    auto *layout = new QVBoxLayout(this);
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        const ReminderList &list = m_lists.at(i);
        auto *label = new QLabel(list.label, this);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        auto *grid = new QTableWidget(this);
        grid->setObjectName(list.gridName);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setAlternatingRowColors(true);
        grid->verticalHeader()->hide();
        grid->setColumnCount(static_cast<int>(list.columns.size()));
        QStringList titles;
        for (const ReminderList::Column &column : list.columns)
            titles.append(column.title);
        grid->setHorizontalHeaderLabels(titles);
        grid->setRowCount(static_cast<int>(list.rows.size()));
        for (qsizetype r = 0; r < list.rows.size(); ++r) {
            for (qsizetype c = 0; c < list.columns.size(); ++c) {
                auto *cell = new QTableWidgetItem(list.rows.at(r).at(c));
                if (list.columns.at(c).field == u"Importo")
                    cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grid->setItem(static_cast<int>(r), static_cast<int>(c), cell);
            }
        }
        grid->resizeColumnsToContents();
        // The key columns only carry the row's key for the double click.
        grid->horizontalHeader()->setMinimumSectionSize(4);
        grid->setColumnWidth(list.columnOf(list.idField), 4);
        connect(grid, &QTableWidget::cellDoubleClicked, this,
                [this, i](int row, int) { openRow(static_cast<int>(i), row); });
        // The notes take the room left; lists with nothing due stay short.
        const int notes = list.columnOf(QStringLiteral("Note"));
        grid->horizontalHeader()->setSectionResizeMode(notes >= 0 ? notes : 1, QHeaderView::Stretch);
        layout->addWidget(label);
        layout->addWidget(grid, list.rows.isEmpty() ? 0 : 1);
        if (list.rows.isEmpty())
            grid->setMaximumHeight(grid->horizontalHeader()->sizeHint().height() + 8);
        else
            grid->setMinimumHeight(120);
        m_grids.append(grid);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(makeToolButton(ToolAction::Aiuto, this));
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(back);
    layout->addLayout(buttons);
    resize(1000, 720);
}

bool ReminderWindow::openRow(int list, int row)
{
    if (list < 0 || list >= m_lists.size())
        return false;
    const ReminderList &shown = m_lists.at(list);
    if (row < 0 || row >= shown.rows.size())
        return false;
    const QStringList &cells = shown.rows.at(row);
    const QString id = cells.value(shown.columnOf(shown.idField));
    if (cells.value(0).isEmpty() || id.isEmpty())
        return false;
    QVariantMap parameters = {{QStringLiteral("id"), id.toLongLong()}};
    if (const int kind = shown.columnOf(QStringLiteral("Tipo")); kind >= 0) {
        // Customer instalments ("F", "N") open with the customer picker, the others with the supplier's.
        const QString tipo = cells.value(kind);
        parameters.insert(QStringLiteral("Tipo"), tipo);
        parameters.insert(QStringLiteral("cliente"), tipo == u"F" || tipo == u"N");
    }
    return m_windows.open(shown.window, m_session, this, parameters);
}

} // namespace rotalina::shell::ui
