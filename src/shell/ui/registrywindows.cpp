#include "shell/ui/registrywindows.h"

#include "shell/colours.h"
#include "shell/desktop.h"
#include "shell/options.h"
#include "shell/prompter.h"
#include "shell/reportservice.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/entrynavigation.h"
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

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSqlRecord>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
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

// The fields of a registry that is only looked up: texts can be read, selected and copied but
// not changed; the other editors are only shown.
void showOnly(RecordForm &form, const QList<RegistryField> &fields)
{
    for (const RegistryField &field : fields) {
        QWidget *editor = form.editor(field.field);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setReadOnly(true);
        } else if (auto *text = qobject_cast<QPlainTextEdit *>(editor)) {
            text->setReadOnly(true);
            EntryNavigation::navigateLikeALine(text);
        } else if (editor) {
            editor->setEnabled(false);
        }
    }
}

void giveHints(QWidget &window, const QHash<QString, QString> &hints)
{
    for (auto hint = hints.cbegin(); hint != hints.cend(); ++hint) {
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>(hint.key()))
            button->setToolTip(hint.value());
    }
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

} // namespace

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}

void addHiddenField(RecordForm &form, QWidget *parent, const QString &field)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("hid") + field);
    edit->hide();
    form.bind(field, edit);
}

FormPage *addFormTab(QTabWidget &pages, RecordForm &form, const QString &caption)
{
    auto *widget = new QWidget(&pages);
    auto *layout = new QVBoxLayout(widget);
    auto *page = new FormPage(form, widget);
    layout->addWidget(page);
    layout->addStretch(1);
    pages.addTab(widget, caption);
    return page;
}

void addRegistryFields(FormPage &page, RecordForm &form, Session &session, const QList<RegistryField> &fields,
                       const WindowRegistry *windows)
{
    for (const RegistryField &field : fields) {
        addRegistryField(page, form, session, field, windows);
        if (!field.hint.isEmpty()) {
            if (QWidget *editor = form.editor(field.field))
                editor->setToolTip(field.hint);
        }
    }
}

void addRegistryField(FormPage &page, RecordForm &form, Session &session, const RegistryField &field,
                      const WindowRegistry *windows)
{
    switch (field.kind) {
    case RegistryField::Kind::Text:
        page.text(field.field, field.caption, field.maxLength);
        break;
    case RegistryField::Kind::Memo:
        page.memo(field.field, field.caption);
        break;
    case RegistryField::Kind::Amount:
        page.amount(field.field, field.caption, field.decimals);
        break;
    case RegistryField::Kind::Date:
        page.date(field.field, field.caption);
        break;
    case RegistryField::Kind::Check:
        page.check(field.field, field.caption);
        break;
    case RegistryField::Kind::Hidden:
        addHiddenField(form, &page, field.field);
        break;
    case RegistryField::Kind::Colour: {
        QComboBox *box = colourChoice(&page);
        box->setObjectName(QStringLiteral("cmb") + field.field);
        page.row(field.caption, box);
        form.bind(field.field, box);
        break;
    }
    case RegistryField::Kind::Lookup: {
        QToolButton *open = nullptr;
        const bool card = windows && windows->has(field.cardWindow);
        const bool list = windows && windows->has(field.listWindow);
        if (windows && (!field.cardWindow.isEmpty() || !field.listWindow.isEmpty())) {
            open = new QToolButton(&page);
            open->setText(QStringLiteral("…"));
            open->setObjectName(field.cardButton.isEmpty() ? QStringLiteral("spdApri") + field.field
                                                           : field.cardButton);
            open->setToolTip(list ? QStringLiteral("Apre la scheda della voce scelta, o l'elenco per "
                                                   "aggiungerne una")
                                  : QStringLiteral("Apre la scheda della voce scelta"));
            open->setEnabled(card || list);
        }
        LookupBox *box = page.lookup(field.field, field.caption, field.lookupSql, field.copiedFields, open);
        box->setSearchable(box->count() > searchableChoices);
        if (!field.unlistedSql.isEmpty()) {
            const QString unlisted = field.unlistedSql;
            box->setUnlistedText([&session, unlisted](const QVariant &key) {
                const core::Result<QVariant> text = session.archive()->scalar(unlisted, {key});
                return text && text->isValid() ? text->toString() : key.toString();
            });
        }
        if (open) {
            // The card or the list may change the rows: the choices are read again afterwards,
            // and a row added while nothing was chosen becomes the choice.
            QObject::connect(
                open, &QToolButton::clicked, &page, [&session, &page, windows, box, field, card, list] {
                    const QVariant key = box->key();
                    const bool chosen = RecordChecks::hasValue(key);
                    QSet<QString> before;
                    for (int i = 0; i < box->count(); ++i)
                        before.insert(box->itemData(i).toString());
                    if (chosen && card)
                        windows->open(field.cardWindow, session, &page,
                                      {{QStringLiteral("chiave"), key}, {QStringLiteral("nuovo"), false}});
                    else if (list)
                        windows->open(field.listWindow, session, &page);
                    else
                        return;
                    FormPage::fill(box, session, field.lookupSql);
                    box->setKey(key);
                    if (chosen)
                        return;
                    QVariant added;
                    for (int i = 0; i < box->count(); ++i) {
                        if (before.contains(box->itemData(i).toString()))
                            continue;
                        if (added.isValid())
                            return; // several added: the user chooses
                        added = box->itemData(i);
                    }
                    if (added.isValid()) {
                        box->setKey(added);
                        emit box->chosen(added);
                    }
                });
        }
        if (field.copySql.isEmpty())
            break;
        const QString copySql = field.copySql;
        const bool keepEmpty = field.copyKeepsWhatIsEmpty;
        QObject::connect(box, &LookupBox::chosen, &form,
                         [&session, &form, copySql, keepEmpty](const QVariant &key) {
                             core::Result<QSqlQuery> copied = session.archive()->select(copySql, {key});
                             if (!copied || !copied->next())
                                 return;
                             const QSqlRecord record = copied->record();
                             for (int i = 0; i < record.count(); ++i) {
                                 if (keepEmpty && record.value(i).toString().trimmed().isEmpty())
                                     continue;
                                 form.setValue(record.fieldName(i), record.value(i));
                             }
                         });
        break;
    }
    }
}

OwnedRowsPanel::OwnedRowsPanel(Session &session, const WindowRegistry &windows,
                               const RegistryDescriptor &rows, const RegistryRows &link, QWidget *parent)
    : QGroupBox(link.caption, parent), m_session(session), m_windows(windows), m_registry(rows),
      m_ownerField(link.ownerField),
      m_grid(new DataGrid(link.grid.isEmpty() ? rows.gridName() : link.grid, this)),
      m_rows(std::make_unique<storage::RecordListModel>(*session.archive(), keyFieldOf(session, rows)))
{
    auto *layout = new QVBoxLayout(this);
    m_grid->setObjectName(QStringLiteral("DBGridRighe"));
    if (rows.rowColour)
        m_rows->setRowColour(rows.rowColour);
    describeColumns(*m_rows, rows);
    m_grid->setRecords(m_rows.get());
    layout->addWidget(m_grid);
    QPushButton *add = makeToolButton(ToolAction::AggiungiDettaglio, this);
    QPushButton *edit = makeToolButton(ToolAction::AvantiDettaglio, this);
    edit->setText(QStringLiteral("Modifica"));
    QPushButton *remove = makeToolButton(ToolAction::EliminaDettaglio, this);
    connect(add, &QPushButton::clicked, this, &OwnedRowsPanel::addRow);
    connect(edit, &QPushButton::clicked, this, &OwnedRowsPanel::editRow);
    connect(remove, &QPushButton::clicked, this, &OwnedRowsPanel::deleteRow);
    connect(m_grid, &DataGrid::avanti, this, &OwnedRowsPanel::editRow);
    m_buttons = buttonRow({add, edit, remove});
    layout->addLayout(m_buttons);
}

void OwnedRowsPanel::addButton(QWidget *button)
{
    // After the stretch, before the common buttons.
    m_buttons->insertWidget(1 + m_ownButtons++, button);
}

std::optional<qint64> OwnedRowsPanel::currentKey() const
{
    return m_rows->keyAt(m_grid->currentRow());
}

void OwnedRowsPanel::rowsChanged()
{
    const std::optional<qint64> key = currentKey();
    reload();
    if (m_afterChange)
        m_afterChange();
    if (const int row = key ? m_rows->rowOfKey(*key) : -1; row >= 0)
        m_grid->setCurrentRow(row);
    else if (m_rows->rowCount() > 0 && m_grid->currentRow() < 0)
        m_grid->setCurrentRow(m_rows->rowCount() - 1);
}

OwnedRowsPanel::~OwnedRowsPanel() = default;

void OwnedRowsPanel::setOwner(qint64 key)
{
    m_owner = key;
    reload();
    m_grid->setDesign(m_registry.columns);
}

void OwnedRowsPanel::reload()
{
    m_rows->setStatement(
        registryListStatement(m_registry, QStringLiteral("%1.%2 = ?").arg(m_registry.table, m_ownerField)),
        {m_owner});
    if (core::Status read = m_rows->reload(); !read)
        m_session.prompter().message(titles::error(), read.error());
}

void OwnedRowsPanel::openRow(qint64 key, bool isNew)
{
    m_windows.open(m_registry.cardWindow, m_session, this,
                   {{QStringLiteral("chiave"), key}, {QStringLiteral("nuovo"), isNew}});
    reload();
    if (m_afterChange)
        m_afterChange();
    if (const int row = m_rows->rowOfKey(key); row >= 0)
        m_grid->setCurrentRow(row);
}

void OwnedRowsPanel::addRow()
{
    if (m_beforeChange && !m_beforeChange())
        return;
    if (m_add) {
        m_add();
        return;
    }
    const core::Result<qint64> key = addRegistryRow(*m_session.archive(), m_registry, m_owner);
    if (!key) {
        m_session.prompter().message(titles::error(), key.error());
        return;
    }
    openRow(*key, true);
}

void OwnedRowsPanel::editRow()
{
    if (m_beforeChange && !m_beforeChange())
        return;
    if (const std::optional<qint64> key = m_rows->keyAt(m_grid->currentRow()))
        openRow(*key, false);
}

void OwnedRowsPanel::deleteRow()
{
    const std::optional<qint64> key = m_rows->keyAt(m_grid->currentRow());
    // Rows whose registry has no question (the rows of a transport document) go at once.
    if (!key || (!m_registry.deleteQuestion.isEmpty() &&
                 !m_session.prompter().ask(titles::warning(), m_registry.deleteQuestion)))
        return;
    if (core::Status removed = deleteRegistryRow(*m_session.archive(), m_registry, *key); !removed) {
        m_session.prompter().message(titles::error(), removed.error());
        return;
    }
    const int row = m_grid->currentRow();
    reload();
    if (m_afterChange)
        m_afterChange();
    m_grid->setCurrentRow(std::min(std::max(row - 1, 0), m_rows->rowCount() - 1));
}

RegistryCard::RegistryCard(Session &session, const RegistryDescriptor &registry,
                           const WindowRegistry &windows, QWidget *parent)
    : QWidget(parent), m_session(session), m_registry(registry),
      m_form(new RecordForm(session, registry.table, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The fields stand in columns, a new one where a field asks for it.
    auto *columns = new QHBoxLayout;
    QList<RegistryField> column;
    const auto addColumn = [&] {
        auto *page = new FormPage(*m_form, this);
        addRegistryFields(*page, *m_form, session, column);
        columns->addWidget(page, 1);
        column.clear();
    };
    for (const RegistryField &field : registry.fields) {
        if (field.newColumn && !column.isEmpty())
            addColumn();
        column.append(field);
    }
    addColumn();
    layout->addLayout(columns);
    if (registry.readOnly)
        showOnly(*m_form, registry.fields);
    m_form->checks() = registry.checks;
    m_form->setWriter([this](qint64 key, const QVariantMap &values) {
        return saveRegistryRow(*m_session.archive(), m_registry, key, values);
    });
    if (registry.remove) {
        m_form->setRemover([this](qint64 key) { return m_registry.remove(*m_session.archive(), key); });
    }
    for (const RegistryRows &link : registry.rows) {
        const RegistryDescriptor *rows = link.registry ? link.registry() : nullptr;
        if (!rows)
            continue;
        m_rows = new OwnedRowsPanel(session, windows, *rows, link, this);
        // The rows belong to a saved row: pending changes are checked and saved first; a filling
        // changes the tank's litres, so the card shows its row again afterwards.
        m_rows->setBeforeChange([this] { return !m_form->isDirty() || m_form->save(); });
        m_rows->setAfterChange([this] {
            if (!m_form->isDirty())
                m_form->load(m_form->key(), m_form->isNew());
        });
        layout->addWidget(m_rows, 1);
    }
    if (!m_rows)
        layout->addStretch(1);
}

RegistryCard::~RegistryCard() = default;

DataGrid *RegistryCard::rowsGrid() const
{
    return m_rows ? m_rows->grid() : nullptr;
}

bool RegistryCard::load(qint64 key, bool isNew)
{
    if (!m_form->load(key, isNew))
        return false;
    if (m_rows)
        m_rows->setOwner(key);
    return true;
}

RegistryCardWindow::RegistryCardWindow(Session &session, const RegistryDescriptor &registry,
                                       const WindowRegistry &windows, qint64 key, bool isNew, QWidget *parent)
    : CardWindow(parent), m_card(new RegistryCard(session, registry, windows, this)),
      m_readOnly(registry.readOnly)
{
    setObjectName(registry.cardWindow);
    setWindowTitle(registry.cardCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_card, 1);
    // A card that is only looked up has nothing to save and no new row to cancel.
    QPushButton *save = m_readOnly ? nullptr : makeToolButton(ToolAction::Salva, this);
    m_cancel = m_readOnly ? nullptr : makeToolButton(ToolAction::Annulla, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(back, &QPushButton::clicked, this, &RegistryCardWindow::back);
    if (m_readOnly) {
        m_buttons = buttonRow({help, back});
    } else {
        connect(save, &QPushButton::clicked, this, &RegistryCardWindow::save);
        connect(m_cancel, &QPushButton::clicked, this, &RegistryCardWindow::cancelNew);
        m_buttons = buttonRow({m_cancel, save, help, back});
        m_cancel->setVisible(isNew);
    }
    layout->addLayout(m_buttons);
    giveHints(*this, registry.buttonHints);
    if (!m_card->load(key, isNew))
        finish(false);
    resize(registry.rows.isEmpty() ? 520 : 760, registry.rows.isEmpty() ? 0 : 620);
}

void RegistryCardWindow::addButton(QPushButton *button)
{
    button->setParent(this);
    button->setAutoDefault(false);
    m_buttons->insertWidget(1 + m_ownButtons++, button);
}

bool RegistryCardWindow::save()
{
    // A card that is only looked up has nothing of its own to write.
    if (m_readOnly)
        return true;
    if (!m_card->form().save())
        return false;
    m_cancel->hide();
    return true;
}

void RegistryCardWindow::cancelNew()
{
    if (cancelInsert())
        finish(false);
}

void RegistryCardWindow::back()
{
    if (leave())
        finish(true);
}

bool RegistryCardWindow::leave()
{
    return m_readOnly || m_card->form().back();
}

bool RegistryCardWindow::offersCancel() const
{
    return !m_readOnly && m_card->form().isNew();
}

bool RegistryCardWindow::cancelInsert()
{
    return !m_readOnly && m_card->form().cancelNew();
}

RegistryListWindow::RegistryListWindow(Session &session, const RegistryDescriptor &registry,
                                       const WindowRegistry &windows, QWidget *parent, ListScope scope)
    : CardWindow(parent), m_session(session), m_registry(registry), m_windows(windows),
      m_scope(std::move(scope)), m_filters(new FilterBar(this)),
      m_grid(new DataGrid(registry.gridName(), this)),
      m_records(std::make_unique<storage::RecordListModel>(*session.archive(), keyFieldOf(session, registry)))
{
    setObjectName(registry.listWindow);
    setWindowTitle(registry.listCaption);
    WindowRegistry::setHelpContext(this, registry.helpContext);
    auto *layout = new QVBoxLayout(this);
    for (const auto &[field, caption] : registry.filters)
        m_filters->addText(field, caption, {},
                           registry.filtersBeginWith ? FilterBar::Match::BeginsWith
                                                     : FilterBar::Match::Contains);
    for (const RegistryDescriptor::ChoiceFilter &choice : registry.choiceFilters) {
        QList<QPair<QVariant, QString>> choices;
        if (core::Result<QSqlQuery> rows = session.archive()->select(choice.sql)) {
            while (rows->next())
                choices.append({rows->value(0), rows->value(1).toString()});
        }
        m_filters->addChoice(choice.field, choice.caption, choices, choice.objectName);
    }
    connect(m_filters, &FilterBar::changed, this, &RegistryListWindow::reload);
    QWidget *filterArea = m_filters;
    if (!registry.filterCaption.isEmpty()) {
        auto *box = new QGroupBox(registry.filterCaption, this);
        box->setObjectName(QStringLiteral("grpCercaPer"));
        auto *inBox = new QVBoxLayout(box);
        inBox->addWidget(m_filters);
        filterArea = box;
    }
    if (!registry.withdrawnField.isEmpty()) {
        m_withdrawn = new QCheckBox(QStringLiteral("Mostra anche gli annullati"), this);
        m_withdrawn->setObjectName(QStringLiteral("chkAnnullati"));
        connect(m_withdrawn, &QCheckBox::toggled, this, &RegistryListWindow::reload);
        auto *top = new QHBoxLayout;
        top->addWidget(filterArea, 1);
        top->addWidget(m_withdrawn);
        layout->addLayout(top);
    } else {
        // Without filters of the registry's the bar stays empty, for the window's own.
        layout->addWidget(filterArea);
    }
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    if (registry.multiSelect)
        m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (registry.rowColour)
        m_records->setRowColour(registry.rowColour);
    describeColumns(*m_records, registry);
    m_grid->setRecords(m_records.get());
    layout->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::avanti, this, &RegistryListWindow::avanti);

    if (registry.cardWindow.isEmpty()) {
        // One window: the current row is edited below the list.
        m_inline = new RegistryCard(session, registry, windows, this);
        layout->addWidget(m_inline);
    }

    // Rows that come from a file are neither added nor deleted here.
    QPushButton *add = registry.readOnly ? nullptr : makeToolButton(ToolAction::Aggiungi, this);
    QPushButton *open = makeToolButton(ToolAction::Avanti, this);
    QPushButton *remove = registry.readOnly ? nullptr : makeToolButton(ToolAction::Elimina, this);
    QPushButton *reread = makeToolButton(ToolAction::Ricarica, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    connect(open, &QPushButton::clicked, this, &RegistryListWindow::avanti);
    connect(reread, &QPushButton::clicked, this, &RegistryListWindow::reload);
    connect(back, &QPushButton::clicked, this, [this] {
        if (leave())
            finish(true);
    });
    if (m_inline) {
        open->setText(QStringLiteral("salva"));
        open->setObjectName(QStringLiteral("spdSalva"));
    }
    if (registry.readOnly) {
        // Below the list there is nothing to save either.
        if (m_inline)
            open->hide();
        m_buttons = buttonRow({open, reread, help, back});
    } else {
        connect(add, &QPushButton::clicked, this, &RegistryListWindow::add);
        connect(remove, &QPushButton::clicked, this, &RegistryListWindow::remove);
        m_buttons = buttonRow({add, open, remove, reread, help, back});
    }
    layout->addLayout(m_buttons);
    giveHints(*this, registry.buttonHints);

    reload();
    m_grid->setDesign(registry.columns);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RegistryListWindow::currentChanged);
    if (m_records->rowCount() > 0)
        m_grid->setCurrentRow(0);
    // Wide enough for the columns of the list, within a usual screen.
    int columnsWidth = 60;
    for (const GridColumn &column : registry.columns)
        columnsWidth += column.width;
    const int width = registry.fields.size() > 6 || !registry.rows.isEmpty() ? 900 : 640;
    resize(std::clamp(columnsWidth, width, 1200), m_inline ? 560 : 520);
}

RegistryListWindow::~RegistryListWindow() = default;

void RegistryListWindow::reload()
{
    const std::optional<qint64> current = m_records->keyAt(m_grid->currentRow());
    storage::ListFilter filter = m_filters->filter(m_session.archive()->dialect());
    if (!m_scope.condition.isEmpty())
        filter.condition(m_scope.condition, m_scope.parameters);
    if (!addListConditions(filter))
        return;
    if (m_withdrawn && !m_withdrawn->isChecked())
        filter.condition(QStringLiteral("%1.%2 = ?").arg(m_registry.table, m_registry.withdrawnField),
                         {false});
    m_records->setStatement(registryListStatement(m_registry, filter.conditions()), filter.parameters());
    m_listFilter = filter;
    if (core::Status read = m_records->reload(); !read) {
        m_session.prompter().message(titles::error(), read.error());
        return;
    }
    if (current)
        showKey(*current);
    // A list that is only looked up stands on the first row a search leaves, so that "Avanti"
    // shows what the user sees first.
    if (m_registry.readOnly && !m_inline && m_grid->currentRow() < 0 && m_records->rowCount() > 0)
        m_grid->setCurrentRow(0);
    emit listReloaded();
}

void RegistryListWindow::showKey(qint64 key)
{
    const int row = m_records->rowOfKey(key);
    if (row >= 0)
        m_grid->setCurrentRow(row);
}

QList<qint64> RegistryListWindow::selectedKeys() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QList<qint64> keys;
    for (const int row : rows) {
        if (const std::optional<qint64> key = m_records->keyAt(row))
            keys.append(*key);
    }
    return keys;
}

void RegistryListWindow::addButton(QWidget *button)
{
    // After the stretch and the window's earlier ones, before the buttons every list has.
    m_buttons->insertWidget(1 + m_ownButtons++, button);
}

bool RegistryListWindow::offersCancel() const
{
    return m_inline && m_inline->form().isNew();
}

bool RegistryListWindow::cancelInsert()
{
    return m_inline->form().cancelNew();
}

bool RegistryListWindow::settleInline()
{
    // The row edited below the list is saved before another one is shown.
    return !m_inline || m_registry.readOnly || !m_inline->form().isDirty() || m_inline->form().save();
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
    if (m_registry.readOnly || !settleInline())
        return;
    const core::Result<qint64> key = createRow();
    if (!key) {
        if (!key.error().isEmpty())
            m_session.prompter().message(titles::error(), key.error());
        return;
    }
    // A new row is shown whatever the filter says.
    clearFilters();
    m_inlineKey = 0;
    reload();
    showKey(*key);
    openCard(*key, true);
}

bool RegistryListWindow::addListConditions(storage::ListFilter &)
{
    return true;
}

void RegistryListWindow::clearFilters()
{
    m_filters->clearAll();
}

void RegistryListWindow::addFilterArea(QWidget *area)
{
    static_cast<QVBoxLayout *>(layout())->insertWidget(0, area);
}

core::Result<qint64> RegistryListWindow::createRow()
{
    return addRegistryRow(*m_session.archive(), m_registry);
}

void RegistryListWindow::avanti()
{
    if (m_inline && m_registry.readOnly)
        return;
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
    if (m_registry.readOnly || !key ||
        !m_session.prompter().ask(titles::warning(), m_registry.deleteQuestion))
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

FormCardWindow::FormCardWindow(Session &session, const QString &table, QWidget *parent)
    : CardWindow(parent), m_form(new RecordForm(session, table, this)), m_session(session)
{}

QWidget *FormCardWindow::addFieldsPage(QTabWidget *pages, const QString &caption,
                                       const QList<RegistryField> &fields, Session &session,
                                       const WindowRegistry &windows)
{
    auto *page = new QWidget(pages);
    auto *columns = new QHBoxLayout(page);
    QList<RegistryField> left;
    QList<RegistryField> right;
    for (const RegistryField &field : fields)
        (right.isEmpty() && !field.newColumn ? left : right).append(field);
    auto *leftPage = new FormPage(*m_form, page);
    addRegistryFields(*leftPage, *m_form, session, left, &windows);
    columns->addWidget(leftPage, 1);
    if (!right.isEmpty()) {
        auto *rightPage = new FormPage(*m_form, page);
        addRegistryFields(*rightPage, *m_form, session, right, &windows);
        columns->addWidget(rightPage, 1);
    } else {
        columns->addStretch(1);
    }
    pages->addTab(page, caption);
    return page;
}

void FormCardWindow::guardPageChanges(QTabWidget *pages)
{
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int page) {
        if (!changePage(page)) {
            const QSignalBlocker blocker(pages);
            pages->setCurrentIndex(m_shownPage);
            return;
        }
        m_shownPage = page;
    });
}

bool FormCardWindow::changePage(int)
{
    return true;
}

void FormCardWindow::addFolderButtons(const QString &field, const char *chooseHint, const char *openHint)
{
    QWidget *editor = m_form->editor(field);
    if (!editor)
        return;
    auto *choose = makeButton(editor->parentWidget(), "SpeedButton25", "...", chooseHint);
    auto *open = makeButton(editor->parentWidget(), "SpeedButton26", "Apri", openHint);
    FormPage::placeBeside(editor, choose);
    FormPage::placeBeside(choose, open);
    connect(choose, &QPushButton::clicked, this, [this, field] {
        const QString folder = m_session.prompter().chooseFolder(QStringLiteral("Cartella Dati"),
                                                                 m_form->values().value(field).toString());
        if (!folder.isEmpty())
            m_form->setValue(field, QDir::toNativeSeparators(folder));
    });
    connect(open, &QPushButton::clicked, this, [this, field] {
        const QString folder = m_form->values().value(field).toString().trimmed();
        if (const std::optional<QString> problem = folderProblem(folder)) {
            m_session.prompter().message(titles::error(), *problem);
            return;
        }
        m_session.desktop().openUrl(QUrl::fromLocalFile(folder));
    });
}

void FormCardWindow::printSaved(int report)
{
    if (m_form->isDirty() && !save())
        return;
    ReportContext context;
    context.key = m_form->key();
    ReportService(m_session).print(report, context);
}

void FormCardWindow::setComputed(const QString &field, const core::Result<double> &value)
{
    if (!value) {
        m_session.prompter().message(titles::error(), value.error());
        return;
    }
    m_form->setValue(field, *value);
}

bool FormCardWindow::save()
{
    if (!m_form->save())
        return false;
    if (m_cancel)
        m_cancel->hide();
    return true;
}

void FormCardWindow::cancelNew()
{
    if (cancelInsert())
        finish(false);
}

void FormCardWindow::back()
{
    if (leave())
        finish(true);
}

bool FormCardWindow::leave()
{
    return m_form->back();
}

bool FormCardWindow::offersCancel() const
{
    return m_form->isNew() && m_cancel && m_cancel->isVisible();
}

bool FormCardWindow::cancelInsert()
{
    return offersCancel() && m_form->cancelNew();
}

void registerRegistryWindows(WindowRegistry &windows, const RegistryDescriptor &descriptor)
{
    const RegistryDescriptor *registered = &descriptor;
    // A registry whose rows belong to another one has only its card (tank fillings).
    if (!descriptor.listWindow.isEmpty() && descriptor.listWindow != descriptor.cardWindow) {
        windows.add(descriptor.listWindow, descriptor.helpContext,
                    [registered, &windows](Session &session, const QVariantMap &, QWidget *parent) {
                        return new RegistryListWindow(session, *registered, windows, parent);
                    });
    }
    if (!descriptor.cardWindow.isEmpty()) {
        windows.add(descriptor.cardWindow, descriptor.helpContext,
                    [registered, &windows](Session &session, const QVariantMap &parameters, QWidget *parent) {
                        return new RegistryCardWindow(session, *registered, windows,
                                                      parameters.value(QStringLiteral("chiave")).toLongLong(),
                                                      parameters.value(QStringLiteral("nuovo")).toBool(),
                                                      parent);
                    });
    }
}

} // namespace rotalina::shell::ui
