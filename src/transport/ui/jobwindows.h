#pragma once

#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

class QButtonGroup;
class QComboBox;
class QLabel;

namespace rotalina::shell::ui {
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// The job order "TfrmConto": the document with its prints, the order's image, rows from tariffs
// and free rows, and the letter-of-intent warning when it is left.
class JobOrderWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    JobOrderWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                   QWidget *parent = nullptr);

    // "Aggiungi" of the rows: tariffs chosen in the tariff list, each completed in the row editor.
    void addFromTariffs();
    // "Articolo non in archivio".
    void addFreeRow();
    void print(int report);
    // The order's image: a file chosen, shown with the desktop, or acquired from a scanner.
    void chooseImage();
    void showImage();
    void scanImage();

private:
    void openNewRows(const QList<qint64> &rows);
    shell::ui::OwnedRowsPanel *jobRows() const;
    // The quotes of the "Altro" page: the open quotes of the customer, taken one or all at once.
    void addQuoteControls();
    void showOfferedQuotes();
    void takeQuotes(const QList<qint64> &quotes, bool all);
    void afterQuotesChanged();

    QComboBox *m_quotes = nullptr;
};

// The list "TfrmGrigliaConti": its filters, closed job orders in red, the totals of exactly the
// listed job orders, and "Esporta ed invia".
class JobListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    JobListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                  const QVariantMap &parameters, QWidget *parent = nullptr);

    void showTotals();
    void exportAndSend();

protected:
    core::Result<qint64> createRow() override;
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    shell::ui::LookupBox *addLookup(const char *name, const char *sql);

    bool m_history;
    QList<std::pair<shell::ui::LookupBox *, QString>> m_choices; // lookup and its field
    QButtonGroup *m_state;
    QLabel *m_taxable;
    QLabel *m_total;
    QLabel *m_ownerDrivers;
    QLabel *m_packages;
};

// The rules of the row editors of job orders and quotes: the total with VAT from the price and back,
// the minutes; for a job order's rows also the unit value from the volume and the region's
// coefficient, and the cash-on-delivery print.
void addPricedRowEditorRules(shell::ui::RegistryCardWindow &window, shell::Session &session,
                             bool transportRow);

// The row editor of job orders or quotes, with its rules.
void registerPricedRowEditor(shell::ui::WindowRegistry &windows, const shell::RegistryDescriptor &rows,
                             bool transportRow);
// The fields of a document the program computes from its rows: shown, not typed.
void showComputedFieldsOnly(shell::ui::DocumentWindow &window);

void registerJobWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
