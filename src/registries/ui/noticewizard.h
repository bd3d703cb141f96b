#pragma once

#include "registries/customernotices.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QList>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace rotalina::shell {
class Session;
}
namespace rotalina::shell::ui {
class DateBox;
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::registries::ui {

// The customers found for a notice, each with its check mark: checked ones get the notice.
class NoticeCustomerModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Name, // carries the check mark
        Code,
        VatNumber,
        Street,
        HouseNumber,
        Postcode,
        Town,
        Province,
        Phone,
        Fax,
        Mobile,
        Email,
        Notes,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The customers found, all checked: the office usually writes to everyone the filters found.
    void setCustomers(QList<NoticeCustomer> customers);
    const NoticeCustomer &customer(int row) const { return m_customers.at(row); }
    bool isChecked(int row) const { return m_checked.at(row); }
    void setChecked(int row, bool checked);
    // The keys of the checked customers, in the order shown.
    QList<qint64> checkedKeys() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // Views ask about the root too (an invalid index): that is no cell of this model.
    bool holds(const QModelIndex &index) const;

    QList<NoticeCustomer> m_customers;
    QList<bool> m_checked;
};

// "Avvisi per Clienti": the notice text, the filters that find the customers and the grid of the
// customers found, shown in turn in one window. Each page keeps what was typed when the user goes
// back to an earlier one. Each page carries the name of the step it is: TfrmAvvisiClienti_Campi,
// TfrmAvvisiClienti_Filtri and TfrmAvvisiClienti_Griglia.
class NoticeWizard : public QDialog
{
    Q_OBJECT

public:
    explicit NoticeWizard(shell::Session &session, QWidget *parent = nullptr);

    QWidget *currentPage() const;
    NoticeCustomerModel &customers() { return *m_customers; }

    // "Salva": keeps the text; false (after telling why) when it cannot.
    bool saveText();
    // "Continua" of the text page: keeps the text and shows the filters.
    void continueToFilters();
    // Asks, then puts the text of the stored notice chosen in the list in place of the text typed.
    void importStoredNotice();
    // "Continua" of the filter page: finds the customers and shows them.
    void findCustomers();
    // "Stampa": the checked customers become the workstation's and their notices are printed.
    void print();

private:
    QWidget *buildTextPage();
    QWidget *buildFilterPage();
    QWidget *buildGridPage();
    void showPage(QWidget *page);
    // The filter as typed; nothing when a date cannot be read (the user has been told).
    std::optional<NoticeFilter> typedFilter();

    shell::Session &m_session;
    QStackedWidget *m_pages;
    QWidget *m_textPage = nullptr;
    QWidget *m_filterPage = nullptr;
    QWidget *m_gridPage = nullptr;

    QPlainTextEdit *m_text = nullptr;
    shell::ui::LookupBox *m_storedNotices = nullptr;
    QPushButton *m_import = nullptr;

    shell::ui::LookupBox *m_paymentTerms = nullptr;
    shell::ui::LookupBox *m_category = nullptr;
    shell::ui::LookupBox *m_municipality = nullptr;
    shell::ui::LookupBox *m_province = nullptr;
    QLineEdit *m_notes = nullptr;
    shell::ui::DateBox *m_dueFrom = nullptr;
    shell::ui::DateBox *m_dueTo = nullptr;
    QCheckBox *m_publicAdministration = nullptr;
    QCheckBox *m_paid = nullptr;

    NoticeCustomerModel *m_customers;
    QTableView *m_grid = nullptr;
};

// Registers the wizard under the name the main window's "Avvisi Clienti" button opens.
void registerNoticeWizard(shell::ui::WindowRegistry &windows);

} // namespace rotalina::registries::ui
