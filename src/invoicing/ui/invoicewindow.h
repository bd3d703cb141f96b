#pragma once

#include "invoicing/invoices.h"
#include "shell/ui/documentwindow.h"

class QComboBox;

namespace rotalina::invoicing {
struct DueDateKind;
}

namespace rotalina::invoicing::ui {

// The customer invoice (TForm7) and the customer credit note (TfrmNotaCredito): the document window
// with the rules that are their own: the customer's choice copies its terms, the payment mode makes
// the due dates again, a bank reaches every due date, the date-order and letter-of-intent warnings,
// the rows from tariffs and costs, the customer's job orders imported on the tab "Importazioni",
// "prima nota", "Esporta xml" and "Stampa". A credit note also finds the invoice it credits,
// imports its rows and recomputes its totals on request.
class InvoiceWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    InvoiceWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                  QWidget *parent = nullptr, CustomerDocument document = CustomerDocument::Invoice);

    bool isCreditNote() const { return m_document == CustomerDocument::CreditNote; }

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

    // The job orders ("Importazioni"): the one chosen in the list after the question, all of those
    // offered, those chosen in "TfrmScegliCommesse", and the removal of the current link.
    void importChosenJobOrder(int index);
    void importAllJobOrders();
    void chooseJobOrders();
    void unlinkJobOrder();
    // The job orders offered again (the customer or the links changed).
    void offerJobOrders();

    // The credit note's own: "Trova Fattura", "Importa Righe", "Totali".
    void findCreditedInvoice();
    void importCreditedRows();
    void recomputeTotals();

    void showCashBook();
    void exportXml();
    void viewXml();
    void print();

private:
    // Runs an addition of rows; a single new row opens in the row editor with "Annulla".
    void addRow(const std::function<core::Result<qint64>()> &add);
    void addInvoiceRowButtons();
    void addCreditedInvoiceButtons();
    void addJobOrderButtons();
    // Runs an import of job orders on the saved invoice and shows its outcome.
    void importJobOrders(const std::function<core::Result<int>()> &import);
    shell::ui::OwnedRowsPanel *documentRows() const;
    void warnOfOverCredit();
    void describeCreditedRows();

    CustomerDocument m_document;
    const DueDateKind &m_dueDates;
    QString m_rowsTable;
    QComboBox *m_jobOrders = nullptr;
};

} // namespace rotalina::invoicing::ui
