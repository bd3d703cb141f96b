#pragma once

#include "purchases/purchases.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

class QLabel;

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::purchases::ui {

// The purchase invoices ("TfrmGrigliaCarico") and the suppliers' credit notes
// ("TfrmGrigliaNoteCreditoFornitori"): the open ones, or in the history view those registered in a
// period; filtered as the user types, with the totals of the rows listed.
class PurchaseListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    PurchaseListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                       PurchaseDocument document, const QVariantMap &parameters, QWidget *parent = nullptr);

    QLabel *totals() const { return m_totals; }

protected:
    core::Result<qint64> createRow() override;

private:
    void showTotals();

    PurchaseDocument m_document;
    bool m_history = false;
    QLabel *m_totals;
};

// The purchase invoice (TfrmCarico) and the supplier's credit note (TfrmNotaCreditoFornitore): the
// document window with its own rules: the supplier brings its payment mode, the payment mode makes
// the due dates again (asking before payments go), the bank reaches every due date, the warnings
// about numbers already registered, the withholding tax, the image of the paper invoice, the cost
// rows and "prima nota". A credit note also finds the purchase invoice it credits and imports its rows.
class PurchaseWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    PurchaseWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                   QWidget *parent = nullptr, PurchaseDocument document = PurchaseDocument::Invoice);

    PurchaseDocument documentKind() const { return m_document; }

    void supplierChosen(const QVariant &supplier);
    void paymentModeChanged();
    void bankChanged(const QVariant &bank);
    void warnOfDuplicate(DuplicateCheck check);
    void chooseImage();
    void showImage();
    void addCost(PurchaseCost cost);
    void showCashBook();
    // The credit note's own: "Trova Fattura" and "Importa".
    void findCreditedInvoice();
    void importCreditedRows();

private:
    void warnOfDuplicates(std::initializer_list<DuplicateCheck> checks);
    void addCreditedInvoiceButtons();

    PurchaseDocument m_document;
};

void registerPurchaseWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
