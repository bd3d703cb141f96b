#include "shell/ui/recordchooser.h"

#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/recordlistmodel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

RecordChooser::RecordChooser(Session &session, const ChooserDescription &description, QWidget *parent)
    : QDialog(parent),
      m_records(std::make_unique<storage::RecordListModel>(*session.archive(), QStringLiteral("ID"))),
      m_grid(new DataGrid(description.grid, this))
{
    setObjectName(description.window);
    setWindowTitle(description.caption);
    WindowRegistry::setHelpContext(this, description.helpContext);
    m_records->setStatement(description.statement, description.parameters);
    for (auto it = description.numberFields.cbegin(); it != description.numberFields.cend(); ++it)
        m_records->setNumberField(it.key(), it.value());
    if (core::Status read = m_records->reload(); !read)
        session.prompter().message(titles::error(), read.error());
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setRecords(m_records.get());
    m_grid->setDesign(description.columns);
    const auto standOnLikeliest = [this, startAtLast = description.startAtLast] {
        if (m_records->rowCount() > 0)
            m_grid->setCurrentRow(startAtLast ? m_records->rowCount() - 1 : 0);
    };
    standOnLikeliest();
    connect(m_grid, &DataGrid::avanti, this, &RecordChooser::choose);

    auto *layout = new QVBoxLayout(this);
    if (!description.filterField.isEmpty()) {
        auto *filter = new QLineEdit(this);
        filter->setObjectName(QStringLiteral("edt") + description.filterField);
        filter->setClearButtonEnabled(true);
        const int column = m_records->fieldIndex(description.filterField);
        connect(filter, &QLineEdit::textChanged, this,
                [this, column, standOnLikeliest](const QString &typed) {
                    const QString wanted = typed.trimmed();
                    if (wanted.isEmpty() || wanted == u"*")
                        m_records->setRowFilter({});
                    else
                        m_records->setRowFilter([wanted, column](const QVariantList &row) {
                            return row.value(column).toString().startsWith(wanted, Qt::CaseInsensitive);
                        });
                    standOnLikeliest();
                });
        auto *top = new QHBoxLayout;
        top->addWidget(new QLabel(description.filterCaption, this));
        top->addWidget(filter, 1);
        layout->addLayout(top);
    }
    if (m_records->rowCount() == 0 && !description.nothingToChoose.isEmpty()) {
        auto *none = new QLabel(description.nothingToChoose, this);
        none->setObjectName(QStringLiteral("lblNessunaRiga"));
        layout->addWidget(none);
    }
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    QPushButton *forward = makeToolButton(ToolAction::Avanti, this);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(forward, &QPushButton::clicked, this, &RecordChooser::choose);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttonRow({help, back, forward}));
    int width = 80;
    for (const GridColumn &column : description.columns)
        width += column.width;
    resize(std::max(width, 480), 420);
}

RecordChooser::~RecordChooser() = default;

void RecordChooser::choose()
{
    const std::optional<qint64> key = m_records->keyAt(m_grid->currentRow());
    if (!key)
        return;
    WindowRegistry::setChoice(this, *key);
    accept();
}

} // namespace rotalina::shell::ui
