#pragma once

#include "shell/ui/registrywindows.h"
#include "storage/recordlistmodel.h"

#include <QDialog>

class QLineEdit;
class QTabWidget;

namespace rotalina::registries::ui {

using shell::Session;
using shell::ui::DataGrid;
using shell::ui::FormPage;
using shell::ui::OwnedRowsPanel;
using shell::ui::RecordForm;
using shell::ui::RegistryListWindow;
using shell::ui::WindowRegistry;

// The list of customers (TfrmClienti) or suppliers (TFornitori): the registry list with the
// choice of several rows, their e-mail addresses copied, and their vCards written (and, for
// customers, read).
class PartyListWindow : public RegistryListWindow
{
    Q_OBJECT

public:
    PartyListWindow(Session &session, bool customers, const WindowRegistry &windows,
                    QWidget *parent = nullptr);

    void copyEmails();
    // "Invia Email": the e-mail window addressed to the chosen rows.
    void sendEmails();
    void selectAll();
    void exportContacts();
    void importContacts();

private:
    Session &m_session;
    bool m_customers;
};

// The card of a customer (TfrmClientiDett) or supplier (TfrmFornitDett): its pages, the checks in
// order, the warnings on VAT number and fiscal code, the payments outside documents, the privacy
// statement, and for customers the public-administration finder.
class PartyCardWindow : public shell::ui::CardWindow
{
    Q_OBJECT

public:
    PartyCardWindow(Session &session, bool customers, const WindowRegistry &windows, qint64 key, bool isNew,
                    QWidget *parent = nullptr);

    RecordForm &form() const { return *m_form; }
    QTabWidget *pages() const { return m_pages; }
    OwnedRowsPanel *payments() const { return m_payments; }
    bool save();
    void cancelNew();
    void back();
    void print();
    void findPublicAdministration();
    // The warnings when the VAT number or the fiscal code is left.
    void checkVatNumber();
    void checkFiscalCode();
    // The postcode chosen among the streets and hamlets of the customer's town.
    void findPostcode();

protected:
    bool leave() override;
    bool offersCancel() const override { return m_openedNew; }
    bool cancelInsert() override;

private:
    void buildCustomerPages();
    void buildSupplierPages();
    void buildPaymentsPage();
    void watchTaxCodes();
    bool changePage(int page);
    QWidget *pageWithColumns(FormPage *&left, FormPage *&right);

    Session &m_session;
    const WindowRegistry &m_windows;
    bool m_customers;
    RecordForm *m_form;
    QTabWidget *m_pages;
    OwnedRowsPanel *m_payments = nullptr;
    QPushButton *m_cancel = nullptr;
    int m_shownPage = 0;
    bool m_openedNew = false;
    QString m_checkedVat;
    QString m_checkedFiscalCode;
};

// The public-administration finder (TfrmTrovaPA): the offices of the public administrations, by
// town, name, code, office, fiscal code, province, address or kind; the chosen office becomes the
// customer's electronic-invoice data.
class PublicAdministrationFinder : public QDialog
{
    Q_OBJECT

public:
    PublicAdministrationFinder(Session &session, qint64 customer, QWidget *parent = nullptr);
    ~PublicAdministrationFinder() override;

    void search();
    void reset();
    // Loads the offices from the index's open-data file the user picks.
    void importOffices();
    // "Avanti": asks, then writes the chosen office into the customer and closes.
    void choose();
    storage::RecordListModel &results() const { return *m_results; }
    DataGrid *grid() const { return m_grid; }

private:
    Session &m_session;
    qint64 m_customer;
    QList<QPair<QString, QLineEdit *>> m_criteria;
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_results;
};

// The streets and hamlets of a town with their postcodes; "Avanti" chooses one.
class PostcodeChooser : public QDialog
{
    Q_OBJECT

public:
    PostcodeChooser(Session &session, qint64 town, QWidget *parent = nullptr);
    ~PostcodeChooser() override;

    storage::RecordListModel &rows() const { return *m_rows; }
    DataGrid *grid() const { return m_grid; }
    void choose();
    const QString &chosen() const { return m_chosen; }

private:
    DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_rows;
    QString m_chosen;
};

// The streets of a town (its key bound) with their postcodes.
QString postcodesOfTown();

void registerPartyWindows(WindowRegistry &registry);

} // namespace rotalina::registries::ui
