#include "shell/ui/registrywindows.h"

#include "shell/colours.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/filterbar.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/schema.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPushButton>
#include <QSqlRecord>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

namespace {

// Lists longer than this are searched by typing.
constexpr int searchableChoices = 40;

QString keyFieldOf(Session &session, const RegistryDescriptor &registry)
{
    const storage::TableDef *table = session.archive()->schema().table(registry.table);
    return table ? table->keyName() : QStringLiteral("ID");
}

QComboBox *colourChoice(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    for (const NamedColour &colour : standardColours()) {
        QPixmap swatch(16, 16);
        swatch.fill(colourFromStored(colour.stored));
        QPainter border(&swatch);
        border.setPen(Qt::gray);
        border.drawRect(0, 0, 15, 15);
        border.end();
        box->addItem(QIcon(swatch), colour.name, colour.stored);
    }
    return box;
}

// Check boxes read "Sì" or "No" in the lists, amounts as Italian numbers.
void describeColumns(storage::RecordListModel &records, const RegistryDescriptor &registry)
{
    QStringList booleans;
    for (const RegistryField &field : registry.fields) {
        if (field.kind == RegistryField::Kind::Check)
            booleans.append(field.field);
        else if (field.kind == RegistryField::Kind::Amount)
            records.setNumberField(field.field, field.decimals);
    }
    records.setBooleanFields(booleans);
}

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace

RegistryCard::RegistryCard(Session &session, const RegistryDescriptor &registry,
                           const WindowRegistry &windows, QWidget *parent)
    : QWidget(parent), m_session(session), m_registry(registry), m_windows(windows),
      m_form(new RecordForm(session, registry.table, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *page = new FormPage(*m_form, this);
    for (const RegistryField &field : registry.fields) {
        switch (field.kind) {
        case RegistryField::Kind::Text:
            page->text(field.field, field.caption, field.maxLength);
            break;
        case RegistryField::Kind::Memo:
            page->memo(field.field, field.caption);
            break;
        case RegistryField::Kind::Amount:
            page->amount(field.field, field.caption, field.decimals);
            break;
        case RegistryField::Kind::Date:
            page->date(field.field, field.caption);
            break;
        case RegistryField::Kind::Check:
            page->check(field.field, field.caption);
            break;
        case RegistryField::Kind::Colour: {
            QComboBox *box = colourChoice(page);
            box->setObjectName(QStringLiteral("cmb") + field.field);
            page->row(field.caption, box);
            m_form->bind(field.field, box);
            break;
        }
        case RegistryField::Kind::Lookup: {
            LookupBox *box = page->lookup(field.field, field.caption, field.lookupSql, field.copiedFields);
            box->setSearchable(box->count() > searchableChoices);
            if (field.copySql.isEmpty())
                break;
            const QString copySql = field.copySql;
            connect(box, &LookupBox::chosen, this, [this, copySql](const QVariant &key) {
                core::Result<QSqlQuery> copied = m_session.archive()->select(copySql, {key});
                if (!copied || !copied->next())
                    return;
                const QSqlRecord record = copied->record();
                for (int i = 0; i < record.count(); ++i)
                    m_form->setValue(record.fieldName(i), record.value(i));
            });
            break;
        }
        }
    }
    layout->addWidget(page);
    m_form->checks() = registry.checks;
    m_form->setWriter([this](qint64 key, const QVariantMap &values) {
        return saveRegistryRow(*m_session.archive(), m_registry, key, values);
    });
    for (const RegistryRows &rows : registry.rows)
        buildRows(rows);
    if (!m_rowsGrid)
        layout->addStretch(1);
}

RegistryCard::~RegistryCard() = default;

void RegistryCard::buildRows(const RegistryRows &rows)
{
    m_rowsRegistry = registryNamed(rows.registry);
    if (!m_rowsRegistry)
        return;
    m_rowsOwnerField = rows.ownerField;
    auto *box = new QGroupBox(rows.caption, this);
    auto *boxLayout = new QVBoxLayout(box);
    m_rows = std::make_unique<storage::RecordListModel>(*m_session.archive(),
                                                        keyFieldOf(m_session, *m_rowsRegistry));
    m_rowsGrid = new DataGrid(rows.grid.isEmpty() ? m_rowsRegistry->gridName() : rows.grid, box);
    m_rowsGrid->setObjectName(QStringLiteral("DBGridRighe"));
    describeColumns(*m_rows, *m_rowsRegistry);
    m_rowsGrid->setRecords(m_rows.get());
    boxLayout->addWidget(m_rowsGrid);
    QPushButton *add = makeToolButton(ToolAction::AggiungiDettaglio, box);
    QPushButton *edit = makeToolButton(ToolAction::AvantiDettaglio, box);
    edit->setText(QStringLiteral("Modifica"));
    QPushButton *remove = makeToolButton(ToolAction::EliminaDettaglio, box);
    connect(add, &QPushButton::clicked, this, &RegistryCard::addRow);
    connect(edit, &QPushButton::clicked, this, &RegistryCard::editRow);
    connect(remove, &QPushButton::clicked, this, &RegistryCard::deleteRow);
    connect(m_rowsGrid, &DataGrid::avanti, this, &RegistryCard::editRow);
    boxLayout->addLayout(buttonRow({add, edit, remove}));
    static_cast<QVBoxLayout *>(layout())->addWidget(box, 1);
}

bool RegistryCard::load(qint64 key, bool isNew)
{
    if (!m_form->load(key, isNew))
        return false;
    reloadRows();
    if (m_rowsGrid)
        m_rowsGrid->setDesign(m_rowsRegistry->columns);
    return true;
}

void RegistryCard::reloadRows()
{
    if (!m_rows)
        return;
    m_rows->setStatement(
        registryListStatement(*m_rowsRegistry,
                              QStringLiteral("%1.%2 = ?").arg(m_rowsRegistry->table, m_rowsOwnerField)),
        {m_form->key()});
    if (core::Status read = m_rows->reload(); !read)
        m_session.prompter().message(titles::error(), read.error());
}

bool RegistryCard::saveBeforeRows()
{
    // The rows belong to a saved row: pending changes are checked and saved first.
    return !m_form->isDirty() || m_form->save();
}

void RegistryCard::openRow(qint64 key, bool isNew)
{
    m_windows.open(m_rowsRegistry->cardWindow, m_session, this,
                   {{QStringLiteral("chiave"), key}, {QStringLiteral("nuovo"), isNew}});
    reloadRows();
    // A filling changes the tank's litres: the card shows them again (nothing is pending, the
    // card was saved before the row opened).
    if (!m_form->isDirty())
        m_form->load(m_form->key(), m_form->isNew());
    if (const int row = m_rows->rowOfKey(key); row >= 0)
        m_rowsGrid->setCurrentRow(row);
}

void RegistryCard::addRow()
{
    if (!m_rowsRegistry || !saveBeforeRows())
        return;
    const core::Result<qint64> key = addRegistryRow(*m_session.archive(), *m_rowsRegistry, m_form->key());
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return;
    }
    openRow(*key, true);
}

void RegistryCard::editRow()
{
    if (!m_rowsRegistry || !saveBeforeRows())
        return;
    if (const std::optional<qint64> key = m_rows->keyAt(m_rowsGrid->currentRow()))
        openRow(*key, false);
}

void RegistryCard::deleteRow()
{
    const std::optional<qint64> key = m_rows ? m_rows->keyAt(m_rowsGrid->currentRow()) : std::nullopt;
    if (!key || !m_session.prompter().ask(titles::warning(), m_rowsRegistry->deleteQuestion))
        return;
    if (core::Status removed = deleteRegistryRow(*m_session.archive(), *m_rowsRegistry, *key); !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return;
    }
    const int row = m_rowsGrid->currentRow();
    reloadRows();
    if (!m_form->isDirty())
        m_form->load(m_form->key(), m_form->isNew());
    m_rowsGrid->setCurrentRow(std::min(std::max(row - 1, 0), m_rows->rowCount() - 1));
}

RegistryCardWindow::RegistryCardWindow(Session &session, const RegistryDescriptor &registry,
                                       const WindowRegistry &windows, qint64 key, bool isNew, QWidget *parent)
    : QDialog(parent), m_card(new RegistryCard(session, registry, windows, this))
{
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_card, 1);
    QPushButton *save = makeToolButton(ToolAction::Salva, this);
    m_cancel = makeToolButton(ToolAction::Annulla, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(save, &QPushButton::clicked, this, &RegistryCardWindow::save);
    connect(m_cancel, &QPushButton::clicked, this, &RegistryCardWindow::cancelNew);
    connect(back, &QPushButton::clicked, this, &RegistryCardWindow::back);
    layout->addLayout(buttonRow({m_cancel, save, help, back}));
    m_cancel->setVisible(isNew);
    if (!m_card->load(key, isNew))
        m_closing = true;
    resize(registry.rows.isEmpty() ? 520 : 760, registry.rows.isEmpty() ? 0 : 620);
}

bool RegistryCardWindow::save()
{
    if (!m_card->form().save())
        return false;
    m_cancel->hide();
    return true;
}

void RegistryCardWindow::cancelNew()
{
    if (m_card->form().cancelNew()) {
        m_closing = true;
        reject();
    }
}

void RegistryCardWindow::back()
{
    if (m_card->form().back()) {
        m_closing = true;
        accept();
    }
}

void RegistryCardWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing || m_card->form().back()) {
        m_closing = true;
        event->accept();
    } else {
        event->ignore();
    }
}

RegistryListWindow::RegistryListWindow(Session &session, const RegistryDescriptor &registry,
                                       const WindowRegistry &windows, QWidget *parent)
    : QDialog(parent), m_session(session), m_registry(registry), m_windows(windows),
      m_filters(new FilterBar(this)), m_grid(new DataGrid(registry.gridName(), this)),
      m_records(std::make_unique<storage::RecordListModel>(*session.archive(), keyFieldOf(session, registry)))
{
    setObjectName(registry.listWindow);
    setWindowTitle(registry.listCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    auto *layout = new QVBoxLayout(this);
    for (const auto &[field, caption] : registry.filters)
        m_filters->addText(field, caption);
    connect(m_filters, &FilterBar::changed, this, &RegistryListWindow::reload);
    if (!registry.filters.isEmpty())
        layout->addWidget(m_filters);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    describeColumns(*m_records, registry);
    m_grid->setRecords(m_records.get());
    layout->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::avanti, this, &RegistryListWindow::avanti);

    if (registry.cardWindow.isEmpty()) {
        // One window: the current row is edited below the list.
        m_inline = new RegistryCard(session, registry, windows, this);
        layout->addWidget(m_inline);
    }

    QPushButton *add = makeToolButton(ToolAction::Aggiungi, this);
    QPushButton *open = makeToolButton(ToolAction::Avanti, this);
    QPushButton *remove = makeToolButton(ToolAction::Elimina, this);
    QPushButton *reread = makeToolButton(ToolAction::Ricarica, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(add, &QPushButton::clicked, this, &RegistryListWindow::add);
    connect(open, &QPushButton::clicked, this, &RegistryListWindow::avanti);
    connect(remove, &QPushButton::clicked, this, &RegistryListWindow::remove);
    connect(reread, &QPushButton::clicked, this, &RegistryListWindow::reload);
    connect(back, &QPushButton::clicked, this, &QDialog::close);
    if (m_inline) {
        open->setText(QStringLiteral("salva"));
        open->setObjectName(QStringLiteral("spdSalva"));
    }
    layout->addLayout(buttonRow({add, open, remove, reread, help, back}));

    reload();
    m_grid->setDesign(registry.columns);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RegistryListWindow::currentChanged);
    if (m_records->rowCount() > 0)
        m_grid->setCurrentRow(0);
    resize(registry.fields.size() > 6 || !registry.rows.isEmpty() ? 900 : 640, m_inline ? 560 : 520);
}

RegistryListWindow::~RegistryListWindow() = default;

void RegistryListWindow::reload()
{
    const std::optional<qint64> current = m_records->keyAt(m_grid->currentRow());
    storage::ListFilter filter = m_filters->filter(m_session.archive()->dialect());
    m_records->setStatement(registryListStatement(m_registry, filter.conditions()), filter.parameters());
    if (core::Status read = m_records->reload(); !read) {
        m_session.prompter().message(titles::error(), read.error());
        return;
    }
    if (current)
        showKey(*current);
}

void RegistryListWindow::showKey(qint64 key)
{
    const int row = m_records->rowOfKey(key);
    if (row >= 0)
        m_grid->setCurrentRow(row);
}

bool RegistryListWindow::settleInline()
{
    // The row edited below the list is saved before another one is shown.
    return !m_inline || !m_inline->form().isDirty() || m_inline->form().save();
}

void RegistryListWindow::currentChanged()
{
    if (!m_inline)
        return;
    const std::optional<qint64> key = m_records->keyAt(m_grid->currentRow());
    if (!key || *key == m_inlineKey)
        return;
    if (m_inlineKey != 0 && !m_inline->form().quietSave()) {
        showKey(m_inlineKey);
        return;
    }
    m_inlineKey = *key;
    m_inline->load(*key, false);
}

void RegistryListWindow::openCard(qint64 key, bool isNew)
{
    if (m_inline) {
        m_inlineKey = key;
        m_inline->load(key, isNew);
        showKey(key);
        return;
    }
    m_windows.open(m_registry.cardWindow, m_session, this,
                   {{QStringLiteral("chiave"), key}, {QStringLiteral("nuovo"), isNew}});
    reload();
    showKey(key);
}

void RegistryListWindow::add()
{
    if (!settleInline())
        return;
    // A new row is shown whatever the filter says.
    m_filters->clearAll();
    const core::Result<qint64> key = addRegistryRow(*m_session.archive(), m_registry);
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return;
    }
    m_inlineKey = 0;
    reload();
    showKey(*key);
    openCard(*key, true);
}

void RegistryListWindow::avanti()
{
    if (m_inline) {
        m_inline->form().save();
        reload();
        return;
    }
    if (const std::optional<qint64> key = m_records->keyAt(m_grid->currentRow()))
        openCard(*key, false);
}

void RegistryListWindow::remove()
{
    const int row = m_grid->currentRow();
    const std::optional<qint64> key = m_records->keyAt(row);
    if (!key || !m_session.prompter().ask(titles::warning(), m_registry.deleteQuestion))
        return;
    if (core::Status removed = deleteRegistryRow(*m_session.archive(), m_registry, *key); !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return;
    }
    if (m_inline) {
        m_inline->form().setDirty(false);
        m_inlineKey = 0;
    }
    reload();
    // The row before the deleted one, or the one that followed the first.
    if (m_records->rowCount() > 0)
        m_grid->setCurrentRow(std::min(std::max(row - 1, 0), m_records->rowCount() - 1));
    currentChanged();
}

void RegistryListWindow::closeEvent(QCloseEvent *event)
{
    if (settleInline())
        event->accept();
    else
        event->ignore();
}

TypesWindow::TypesWindow(Session &session, const WindowRegistry &windows, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmArchivioTipologie"));
    setWindowTitle(QStringLiteral("Tipologie"));
    WindowRegistry::setHelpContext(this, 5300);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    const QList<QPair<QString, QString>> types = typeRegistries();
    for (qsizetype i = 0; i < types.size(); ++i) {
        const auto &[caption, window] = types.at(i);
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QStringLiteral("btn") + window);
        button->setMinimumHeight(36);
        button->setEnabled(windows.has(window));
        connect(button, &QPushButton::clicked, this,
                [&session, &windows, window, this] { windows.open(window, session, this); });
        grid->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    layout->addLayout(grid);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttonRow({makeToolButton(ToolAction::Aiuto, this), back}));
}

void registerRegistryWindows(WindowRegistry &registry)
{
    for (const RegistryDescriptor &descriptor : lookupRegistries()) {
        const RegistryDescriptor *registered = &descriptor;
        // A registry whose rows belong to another one has only its card (tank fillings).
        if (descriptor.listWindow != descriptor.cardWindow) {
            registry.add(descriptor.listWindow, descriptor.helpContext,
                         [registered, &registry](Session &session, const QVariantMap &, QWidget *parent) {
                             return new RegistryListWindow(session, *registered, registry, parent);
                         });
        }
        if (!descriptor.cardWindow.isEmpty()) {
            registry.add(
                descriptor.cardWindow, descriptor.helpContext,
                [registered, &registry](Session &session, const QVariantMap &parameters, QWidget *parent) {
                    return new RegistryCardWindow(session, *registered, registry,
                                                  parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                  parameters.value(QStringLiteral("nuovo")).toBool(), parent);
                });
        }
    }
    registry.add(QStringLiteral("TfrmArchivioTipologie"), 5300,
                 [&registry](Session &session, const QVariantMap &, QWidget *parent) {
                     return new TypesWindow(session, registry, parent);
                 });
}

} // namespace rotalina::shell::ui
