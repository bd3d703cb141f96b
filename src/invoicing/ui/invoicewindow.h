#pragma once

#include "shell/ui/documentwindow.h"

namespace rotalina::invoicing::ui {

// The customer invoice (TForm7): the document window of the invoice with the rules that are its
// own: the customer's choice copies its terms, the payment mode makes the due dates again, a bank
// reaches every due date, the date-order and letter-of-intent warnings, the rows from tariffs and
// costs, "prima nota", "Esporta xml" and "Stampa".
class InvoiceWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    InvoiceWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                  QWidget *parent = nullptr);

    void customerChosen(const QVariant &customer);
    void customerCleared();
    void bankChanged(const QVariant &bank);
    // A new payment mode, or none: the due dates are made again.
    void paymentModeChanged();
    void checkDateOrder();
    void warnOfLetterOfIntent();

    // The rows.
    void addFromTariffs();
    void addTransportCosts();
    void addCollectionCosts();
    void addFreeArticle();
    void openTariffOfRow();

    void showCashBook();
    void exportXml();
    void viewXml();
    void print();

private:
    // Runs an addition of rows; a single new row opens in the row editor with "Annulla".
    void addRow(const std::function<core::Result<qint64>()> &add);
};

} // namespace rotalina::invoicing::ui
