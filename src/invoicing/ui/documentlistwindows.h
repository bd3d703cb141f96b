#pragma once

#include "invoicing/documentlists.h"
#include "invoicing/invoices.h"
#include "shell/ui/registrywindows.h"

class QLineEdit;

namespace rotalina::shell::ui {
class DateBox;
class LookupBox;
} // namespace rotalina::shell::ui

namespace rotalina::invoicing::ui {

// The lists of customer invoices ("TfrmGrigliaFatture") and credit notes ("TfrmGrigliaNoteCredito"),
// on the open documents or, from the main window's history tab, on those of a period. The invoice
// list filters when "cerca" is pressed, the credit-note list as the user types. Documents already
// exported as electronic invoices stand out; several can be chosen and exported together.
class CustomerDocumentListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    CustomerDocumentListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                               CustomerDocument document, const QVariantMap &parameters,
                               QWidget *parent = nullptr);

    bool isHistory() const { return m_history; }

    // "cerca", "reset" (invoices).
    void search();
    void resetFilters();
    // "REquery": the list and the chosen document read again from the archive.
    void requery();
    // "Esporta xml": the chosen documents as electronic invoices into a folder.
    void exportChosen();
    // "Esporta ed invia": the invoice's print into the documents folder, for the e-mail.
    void exportAndSend();
    // "Invia allo SdI": the chosen invoices' exported files by certified mail to the exchange
    // system; the day each first went is recorded on its invoice.
    void sendToExchangeSystem();

protected:
    core::Result<qint64> createRow() override;
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    void buildInvoiceFilters();
    void buildCreditNoteFilters();
    // The fields both lists filter by: the dates, the series and the customer.
    void addCommonFilters(QWidget *box);
    shell::ui::LookupBox *addLookup(const char *name, const char *sql, bool searchable = false);
    InvoiceListFilter typedInvoiceFilter() const;
    CreditNoteListFilter typedCreditNoteFilter() const;

    CustomerDocument m_document;
    bool m_history = false;
    // The invoice list's filter as applied by the last "cerca" (what is typed since does not count yet).
    InvoiceListFilter m_applied;
    QLineEdit *m_fromNumber = nullptr;
    QLineEdit *m_toNumber = nullptr;
    QLineEdit *m_number = nullptr;
    shell::ui::DateBox *m_fromDate = nullptr;
    shell::ui::DateBox *m_toDate = nullptr;
    QLineEdit *m_series = nullptr;
    shell::ui::LookupBox *m_customer = nullptr;
    shell::ui::LookupBox *m_bank = nullptr;
    shell::ui::LookupBox *m_paymentMode = nullptr;
    QLineEdit *m_orderNumber = nullptr;
};

void registerDocumentListWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::invoicing::ui
