#pragma once

#include "purchases/purchases.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

class QLabel;

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::purchases::ui {

// The purchase invoices ("TfrmGrigliaCarico"): the open ones, or in the history view those
// registered in a period; filtered as the user types, with the totals of the rows listed.
class PurchaseListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    PurchaseListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                       const QVariantMap &parameters, QWidget *parent = nullptr);

    QLabel *totals() const { return m_totals; }

protected:
    core::Result<qint64> createRow() override;

private:
    void showTotals();

    bool m_history = false;
    QLabel *m_totals;
};

// The purchase invoice (TfrmCarico): the document window with its own rules: the supplier brings its
// payment mode, the payment mode makes the due dates again (asking before payments go), the bank
// reaches every due date, the warnings about numbers already registered, the withholding tax, the
// image of the paper invoice, the cost rows and "prima nota".
class PurchaseWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    PurchaseWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                   QWidget *parent = nullptr);

    void supplierChosen(const QVariant &supplier);
    void paymentModeChanged();
    void bankChanged(const QVariant &bank);
    void warnOfDuplicate(DuplicateCheck check);
    void chooseImage();
    void showImage();
    void addCost(PurchaseCost cost);
    void showCashBook();

private:
    void warnOfDuplicates(std::initializer_list<DuplicateCheck> checks);
};

void registerPurchaseWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
