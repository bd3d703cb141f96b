#pragma once

#include "purchases/cashbook.h"
#include "purchases/duedatebook.h"
#include "shell/ui/registrywindows.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;

namespace rotalina::storage {
class RecordListModel;
}

namespace rotalina::shell::ui {
class DataGrid;
class DateBox;
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::purchases::ui {

// The cash book "TForm5": this year's entries (or a period of the history, or the entries of one
// document, read-only), filtered as the user types, with the kind of cash, the bank and the totals of
// exactly the rows listed and the balance they reach.
class CashBookWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    CashBookWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                   const QVariantMap &parameters, QWidget *parent = nullptr);

    CashKind kind() const;
    void showTotals();

protected:
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    QButtonGroup *m_kinds;
    QComboBox *m_bank = nullptr;
    shell::ui::DateBox *m_until = nullptr;
    QLabel *m_income;
    QLabel *m_spending;
    QLabel *m_difference;
    QLabel *m_balance;
};

// The due-date book "TfrmScadenziario" in one of its four views. Deleting a paid instalment asks
// first, since its payment goes from the cash book with it.
class DueDateBookWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    DueDateBookWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, BookParty party,
                      const QVariantMap &parameters, QWidget *parent = nullptr);

    void remove() override;
};

// "Paga fatture" of a customer's or supplier's card ("TfrmPagaFatture"): the party's unpaid
// instalments on the left, those chosen for payment on the right, with their totals; then the
// payment's date, mode, details and bank ("TfrmPagaFattureModPagamento").
class CumulativePaymentWindow : public QDialog
{
    Q_OBJECT

public:
    CumulativePaymentWindow(shell::Session &session, BookParty party, qint64 partyKey,
                            QWidget *parent = nullptr);
    ~CumulativePaymentWindow() override;

    CumulativePayment &payment() { return m_payment; }
    void choose();
    void chooseAll();
    void drop();
    void dropAll();
    void pay();

private:
    void refresh();

    shell::Session &m_session;
    CumulativePayment m_payment;
    std::unique_ptr<storage::RecordListModel> m_open;
    std::unique_ptr<storage::RecordListModel> m_chosen;
    shell::ui::DataGrid *m_openGrid;
    shell::ui::DataGrid *m_chosenGrid;
    QLabel *m_due;
    QLabel *m_chosenTotal;
    QLabel *m_remaining;
};

// The second step of a cumulative payment: when, how and through which bank.
class PaymentDetailsWindow : public QDialog
{
    Q_OBJECT

public:
    PaymentDetailsWindow(shell::Session &session, QWidget *parent = nullptr);

    CumulativePayment::Details details() const;
    // "Paga fatture": the date is needed, and the user confirms.
    void confirm();

private:
    shell::Session &m_session;
    shell::ui::DateBox *m_paidOn;
    shell::ui::LookupBox *m_mode;
    QLineEdit *m_details;
    shell::ui::LookupBox *m_bank;
};

void registerCashBookWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::purchases::ui
