#pragma once

#include "purchases/vatsettlement.h"
#include "shell/ui/cardwindow.h"

#include <memory>

class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell::ui {
class DataGrid;
class RecordForm;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::purchases::ui {

// A VAT settlement: the period and the carried credit, "Calcola", and on the other pages the
// totals of purchases and sales with their rows per VAT code, taxable and not subject to VAT.
class SettlementWindow : public shell::ui::CardWindow
{
    Q_OBJECT

public:
    SettlementWindow(shell::Session &session, SettlementKind kind, qint64 key, bool isNew,
                     QWidget *parent = nullptr);
    ~SettlementWindow() override;

    shell::ui::RecordForm &form() const { return *m_form; }
    QTabWidget *pages() const { return m_pages; }
    // "Calcola": asks, checks the period, rebuilds the settlement and shows it.
    void calculate();
    bool save();
    void print();

protected:
    bool leave() override;
    bool offersCancel() const override;
    bool cancelInsert() override;

private:
    QWidget *generalPage();
    QWidget *rowsPage(bool purchases, bool nonTaxable);
    void showRows();

    shell::Session &m_session;
    SettlementKind m_kind;
    const SettlementTables &m_tables;
    shell::ui::RecordForm *m_form;
    QTabWidget *m_pages;
    // The rows' lists, each with its side (purchases or sales).
    QList<std::pair<std::shared_ptr<storage::RecordListModel>, bool>> m_rows;
};

// The quarterly and the monthly settlements' lists and windows, and "ChiusuraIva", the main
// window's button that opens the list of the firm's kind of settlement.
void registerVatSettlementWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
