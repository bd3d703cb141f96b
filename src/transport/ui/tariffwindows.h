#pragma once

#include "shell/ui/cardwindow.h"
#include "transport/tariffs.h"

#include <QDialog>
#include <QHash>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class AmountBox;
class DataGrid;
class LookupBox;
class RecordForm;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

using shell::Session;
using shell::ui::AmountBox;
using shell::ui::DataGrid;
using shell::ui::LookupBox;
using shell::ui::RecordForm;
using shell::ui::WindowRegistry;

// The tariff list (TForm2): a registry opened from the main window, or a picker opened by a
// document with the tariffs it may use (not withdrawn, perhaps one customer's). The search boxes
// narrow it as the user types; "Avanti" chooses the rows selected, in the order they were selected.
class TariffListWindow : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Registry, Picker };
    TariffListWindow(Session &session, const WindowRegistry &windows, Mode mode,
                     std::optional<qint64> customer = {}, QWidget *parent = nullptr);
    ~TariffListWindow() override;

    DataGrid *grid() const { return m_grid; }
    storage::RecordListModel &records() const { return *m_records; }
    QLineEdit *searchBox(const QString &name) const;
    // Reads the tariffs again; search() narrows those read to the boxes' texts.
    void reload();
    void search();
    // The keys the list shows now: what the bulk changes act on.
    QList<qint64> listedKeys() const;

    void avanti();
    void add();
    void remove();
    void copy();
    void countRecords();
    void changePrices();
    void changeVat();

    // The picker's outcome: whether "Avanti" closed it, and the clause of the chosen tariffs.
    bool chosen() const { return m_chosen; }
    const QString &selectionClause() const { return m_selectionClause; }

private:
    void trackSelection();
    void openCard(qint64 key, bool isNew);

    Session &m_session;
    const WindowRegistry &m_windows;
    Mode m_mode;
    std::optional<qint64> m_customer;
    QList<QPair<QString, QLineEdit *>> m_search;
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_records;
    QList<qint64> m_selectionOrder;
    QHash<qint64, TariffTexts> m_texts; // the searched texts of each tariff read, folded once
    bool m_chosen = false;
    QString m_selectionClause;
};

// The tariff card (TForm3): "Generale", "Percorso", "Prezzi", "Altro".
class TariffCardWindow : public shell::ui::CardWindow
{
    Q_OBJECT

public:
    TariffCardWindow(Session &session, const WindowRegistry &windows, qint64 key, bool isNew,
                     QWidget *parent = nullptr);

    RecordForm &form() const { return *m_form; }
    QTabWidget *pages() const { return m_pages; }
    // The final price from unit value, discount and VAT; and the unit value from the final price.
    void computeFinalPrice();
    void computeUnitValue();
    void checkMinutes();
    // The address beside the departure (or arrival): the town's addresses, or a new one.
    void findAddress(bool departure);
    bool back();
    void cancelNew();

protected:
    bool leave() override { return back(); }
    bool offersCancel() const override;
    bool cancelInsert() override;

private:
    Session &m_session;
    const WindowRegistry &m_windows;
    RecordForm *m_form;
    QTabWidget *m_pages;
};

// "Cambia il Valore Unitario": a percentage or a fixed amount up or down, over the listed tariffs.
class TariffPriceChangeWindow : public QDialog
{
    Q_OBJECT

public:
    TariffPriceChangeWindow(Session &session, QList<qint64> keys, QWidget *parent = nullptr);
    void apply(PriceChange change);
    AmountBox *percentage() const { return m_percentage; }
    AmountBox *fixed() const { return m_fixed; }

private:
    Session &m_session;
    QList<qint64> m_keys;
    AmountBox *m_percentage;
    AmountBox *m_fixed;
};

// "Cambia l'aliquota iva": another VAT rate over the listed tariffs.
class TariffVatChangeWindow : public QDialog
{
    Q_OBJECT

public:
    TariffVatChangeWindow(Session &session, QList<qint64> keys, QWidget *parent = nullptr);
    void apply();
    LookupBox *vat() const { return m_vat; }

private:
    Session &m_session;
    QList<qint64> m_keys;
    LookupBox *m_vat;
};

void registerTariffWindows(WindowRegistry &registry);

} // namespace rotalina::transport::ui
