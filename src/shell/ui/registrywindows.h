#pragma once

#include "shell/registries.h"

#include <QDialog>
#include <memory>

class QPushButton;

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class DataGrid;
class FilterBar;
class RecordForm;
class WindowRegistry;

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
    // The grid of the rows that belong to the card's row (streets, fillings), or null.
    DataGrid *rowsGrid() const { return m_rowsGrid; }
    void addRow();
    void editRow();
    void deleteRow();

private:
    void buildRows(const RegistryRows &rows);
    void reloadRows();
    void openRow(qint64 key, bool isNew);
    bool saveBeforeRows();

    Session &m_session;
    const RegistryDescriptor &m_registry;
    const WindowRegistry &m_windows;
    RecordForm *m_form;
    const RegistryDescriptor *m_rowsRegistry = nullptr;
    QString m_rowsOwnerField;
    DataGrid *m_rowsGrid = nullptr;
    std::unique_ptr<storage::RecordListModel> m_rows;
};

// The card of a registry row: "salva", "Annulla" for a row just added, "Aiuto" and "Indietro".
class RegistryCardWindow : public QDialog
{
    Q_OBJECT

public:
    RegistryCardWindow(Session &session, const RegistryDescriptor &registry, const WindowRegistry &windows,
                       qint64 key, bool isNew, QWidget *parent = nullptr);

    RegistryCard &card() const { return *m_card; }
    bool save();
    void cancelNew();
    void back();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    RegistryCard *m_card;
    QPushButton *m_cancel;
    bool m_closing = false;
};

// The list of a registry: its filter fields, the grid, and "Aggiungi", "Avanti", "Elimina",
// "Ricarica", "Aiuto", "Indietro". A registry without a card of its own edits the current row
// below the grid.
class RegistryListWindow : public QDialog
{
    Q_OBJECT

public:
    RegistryListWindow(Session &session, const RegistryDescriptor &registry, const WindowRegistry &windows,
                       QWidget *parent = nullptr);
    ~RegistryListWindow() override;

    DataGrid *grid() const { return m_grid; }
    FilterBar *filterBar() const { return m_filters; }
    storage::RecordListModel &records() const { return *m_records; }
    // The card below the grid of a registry without a card window, or null.
    RegistryCard *inlineCard() const { return m_inline; }

    void reload();
    void add();
    void avanti();
    void remove();
    // Stands on the row that holds the key.
    void showKey(qint64 key);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void currentChanged();
    bool settleInline();
    void openCard(qint64 key, bool isNew);

    Session &m_session;
    const RegistryDescriptor &m_registry;
    const WindowRegistry &m_windows;
    FilterBar *m_filters;
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_records;
    RegistryCard *m_inline = nullptr;
    qint64 m_inlineKey = 0;
};

// "Tipologie": the small kinds registries, a button each.
class TypesWindow : public QDialog
{
    Q_OBJECT

public:
    TypesWindow(Session &session, const WindowRegistry &windows, QWidget *parent = nullptr);
};

// Registers every lookup registry's list and card, and the "Tipologie" window.
void registerRegistryWindows(WindowRegistry &registry);

} // namespace rotalina::shell::ui
