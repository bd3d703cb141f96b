#pragma once

#include "core/result.h"
#include "shell/registrydescriptor.h"
#include "shell/ui/cardwindow.h"
#include "storage/listfilter.h"

#include <QDialog>
#include <QGroupBox>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class DataGrid;
class FilterBar;
class FormPage;
class RecordForm;
class WindowRegistry;

// The rows that belong to a card's row (streets of a municipality, fillings of a tank, payments of
// a customer): their grid with "Aggiungi", "Modifica" and "Elimina".
class OwnedRowsPanel : public QGroupBox
{
    Q_OBJECT

public:
    OwnedRowsPanel(Session &session, const WindowRegistry &windows, const RegistryDescriptor &rows,
                   const RegistryRows &link, QWidget *parent = nullptr);
    ~OwnedRowsPanel() override;

    // The row the rows belong to; the grid shows its rows.
    void setOwner(qint64 key);
    // Run before a row is added or opened (the owner is saved first; false stops), and after a
    // row changed (the owner's totals are shown again).
    void setBeforeChange(std::function<bool()> check) { m_beforeChange = std::move(check); }
    void setAfterChange(std::function<void()> refresh) { m_afterChange = std::move(refresh); }

    DataGrid *grid() const { return m_grid; }
    storage::RecordListModel &records() const { return *m_rows; }
    void reload();
    void addRow();
    void editRow();
    void deleteRow();
    // Opens a row's card; afterwards the rows are read again and the change is told.
    void openRow(qint64 key, bool isNew);
    // The rows changed outside the panel: they are read again and the change is told.
    void rowsChanged();
    // "Aggiungi" of its own (rows chosen from another list, several at once).
    void setAdd(std::function<void()> add) { m_add = std::move(add); }
    // A button of the owner's own, before the common ones.
    void addButton(QWidget *button);
    // The key of the current row, if any.
    std::optional<qint64> currentKey() const;

private:
    Session &m_session;
    const WindowRegistry &m_windows;
    const RegistryDescriptor &m_registry;
    QString m_ownerField;
    qint64 m_owner = 0;
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_rows;
    std::function<bool()> m_beforeChange;
    std::function<void()> m_afterChange;
    std::function<void()> m_add;
    QHBoxLayout *m_buttons = nullptr;
    int m_ownButtons = 0;
};

// The fields of a registry row, as a card shows them, with the rows that belong to it below.
class RegistryCard : public QWidget
{
    Q_OBJECT

public:
    RegistryCard(Session &session, const RegistryDescriptor &registry, const WindowRegistry &windows,
                 QWidget *parent = nullptr);
    ~RegistryCard() override;

    RecordForm &form() const { return *m_form; }
    bool load(qint64 key, bool isNew);
    // The rows that belong to the card's row, or null.
    OwnedRowsPanel *rows() const { return m_rows; }
    DataGrid *rowsGrid() const;

private:
    Session &m_session;
    const RegistryDescriptor &m_registry;
    RecordForm *m_form;
    OwnedRowsPanel *m_rows = nullptr;
};

// Builds the editors of registry fields on a page of a record form. A choice with a card of its own
// gets the button that opens it when the window registry is given.
void addRegistryFields(FormPage &page, RecordForm &form, Session &session, const QList<RegistryField> &fields,
                       const WindowRegistry *windows = nullptr);
void addRegistryField(FormPage &page, RecordForm &form, Session &session, const RegistryField &field,
                      const WindowRegistry *windows = nullptr);
inline void addRegistryFields(FormPage &page, RecordForm &form, Session &session,
                              const WindowRegistry *windows, const QList<RegistryField> &fields)
{
    addRegistryFields(page, form, session, fields, windows);
}

// A card of one row laid out by the window itself (pages, buttons of its own) with the endings of
// its form: "salva", "Annulla" while the row is new (hidden once it is saved), "Indietro" and Esc.
class FormCardWindow : public CardWindow
{
    Q_OBJECT

public:
    FormCardWindow(Session &session, const QString &table, QWidget *parent = nullptr);

    RecordForm &form() const { return *m_form; }
    virtual bool save();
    void cancelNew();
    void back();

protected:
    bool leave() override;
    bool offersCancel() const override;
    bool cancelInsert() override;

    // A page of the given fields added to the tabs, in two columns when a field starts the second.
    QWidget *addFieldsPage(QTabWidget *pages, const QString &caption, const QList<RegistryField> &fields,
                           Session &session, const WindowRegistry &windows);
    // Each change of tab asks changePage() first; when it refuses, the shown page stays.
    void guardPageChanges(QTabWidget *pages);
    virtual bool changePage(int page);
    // What a "Calcola" beside a field computed goes into the field, or the reason it could not.
    void setComputed(const QString &field, const core::Result<double> &value);
    // "..." and "Apri" beside a folder field: the folder chosen through the prompter, and opened in
    // the file manager when it is there.
    void addFolderButtons(const QString &field, const char *chooseHint, const char *openHint);
    // A print of the row as saved: what is on screen is saved first.
    void printSaved(int report);

    RecordForm *m_form;
    // The card's "Annulla", shown while the row is new.
    QPushButton *m_cancel = nullptr;
    int m_shownPage = 0;

private:
    Session &m_session;
};

// The card of a registry row: "salva", "Annulla" for a row just added, "Aiuto" and "Indietro";
// only "Aiuto" and "Indietro" when the registry is only looked up.
class RegistryCardWindow : public CardWindow
{
    Q_OBJECT

public:
    RegistryCardWindow(Session &session, const RegistryDescriptor &registry, const WindowRegistry &windows,
                       qint64 key, bool isNew, QWidget *parent = nullptr);

    RegistryCard &card() const { return *m_card; }
    bool save();
    void cancelNew();
    void back();
    // A button of the card's own, before the common ones.
    void addButton(QPushButton *button);

protected:
    bool leave() override;
    bool offersCancel() const override;
    bool cancelInsert() override;

private:
    RegistryCard *m_card;
    bool m_readOnly;
    QPushButton *m_cancel = nullptr;
    QHBoxLayout *m_buttons;
    int m_ownButtons = 0;
};

// The list of a registry: its filter fields, the grid, and "Aggiungi", "Avanti", "Elimina",
// "Ricarica", "Aiuto", "Indietro". A registry without a card of its own edits the current row
// below the grid. A registry that is only looked up offers neither "Aggiungi" nor "Elimina", and
// its list always stands on a row while it has any.
class RegistryListWindow : public CardWindow
{
    Q_OBJECT

public:
    // The scope keeps the list to some rows of the registry's whatever the filter fields say.
    RegistryListWindow(Session &session, const RegistryDescriptor &registry, const WindowRegistry &windows,
                       QWidget *parent = nullptr, ListScope scope = {});
    ~RegistryListWindow() override;

    DataGrid *grid() const { return m_grid; }
    FilterBar *filterBar() const { return m_filters; }
    storage::RecordListModel &records() const { return *m_records; }
    // The card below the grid of a registry without a card window, or null.
    RegistryCard *inlineCard() const { return m_inline; }

    void reload();
    // "Aggiungi": a new row and its card.
    void add();
    void avanti();
    // "Elimina": asks, deletes the current row and stands on its neighbour.
    virtual void remove();
    // Stands on the row that holds the key.
    void showKey(qint64 key);
    // The keys of the chosen rows, in list order.
    QList<qint64> selectedKeys() const;
    // A button of the window's own, placed before the common ones.
    void addButton(QWidget *button);

signals:
    // The list was read again (its rows may be others now).
    void listReloaded();

protected:
    // The row edited below the list is saved before the list closes; a row just added there and
    // left with Esc is cancelled as "Annulla" would.
    bool leave() override { return settleInline(); }
    bool offersCancel() const override;
    bool cancelInsert() override;
    void openCard(qint64 key, bool isNew);
    // The row "Aggiungi" adds: the registry's own new row, or what the list makes (it may ask
    // first; a failure without a message is the user's choice not to add).
    virtual core::Result<qint64> createRow();
    // Conditions of filter fields of the window's own, added to those of the filter bar; false when
    // what is typed cannot be read (the window has told the user why) and the list stays as it is.
    virtual bool addListConditions(storage::ListFilter &filter);
    // Empties the filter fields, so that a new row is shown whatever they said.
    virtual void clearFilters();
    // Where the window's own filter fields stand: above the grid.
    void addFilterArea(QWidget *area);
    // The conditions the list was last read with, for what the window computes over the same rows
    // (totals); null before the first reading.
    const storage::ListFilter *listFilter() const { return m_listFilter ? &*m_listFilter : nullptr; }
    const RegistryDescriptor &registry() const { return m_registry; }
    Session &session() const { return m_session; }
    const WindowRegistry &windows() const { return m_windows; }

private:
    void currentChanged();
    bool settleInline();

    Session &m_session;
    const RegistryDescriptor &m_registry;
    const WindowRegistry &m_windows;
    ListScope m_scope;
    std::optional<storage::ListFilter> m_listFilter;
    FilterBar *m_filters;
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_records;
    RegistryCard *m_inline = nullptr;
    qint64 m_inlineKey = 0;
    QCheckBox *m_withdrawn = nullptr;
    QHBoxLayout *m_buttons = nullptr;
    int m_ownButtons = 0;
};

// Helpers of the windows built on registries: a field of a card kept without an editor of its own
// (filled by a choice, read by the checks and the save), and a row of buttons on the right.
void addHiddenField(RecordForm &form, QWidget *parent, const QString &field);
QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons);
// A page of the window whose fields stand in a column under each other.
FormPage *addFormTab(QTabWidget &pages, RecordForm &form, const QString &caption);

// Registers a registry's list window and card (the card alone when its rows belong to another
// registry's card).
void registerRegistryWindows(WindowRegistry &windows, const RegistryDescriptor &descriptor);

} // namespace rotalina::shell::ui
