#pragma once

#include "core/result.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class QLineEdit;

namespace rotalina::storage {
class ListFilter;
class RecordListModel;
} // namespace rotalina::storage

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class DataGrid;
class DateBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// What the filter boxes of the job-order picker hold, as typed.
struct JobPickerFilter
{
    QString fromNumber;
    QString toNumber;
    QString fromDate; // dd/mm/yyyy; the day "alla Data" names is included whole
    QString toDate;
    QString plate;        // the plate begins with it
    QString loadingOrder; // the loading order begins with it
    QString note;         // the note holds it
};
// Adds the conditions of the filled boxes, with their values bound; a box that cannot be read (a
// number or a date mistyped) adds nothing and says why.
core::Status addJobPickerConditions(storage::ListFilter &filter, const JobPickerFilter &typed);

// "TfrmScegliCommesse": the job orders a customer's invoice may take (not invoiced, not cancelled,
// of the invoice's period), narrowed by "Filtra"; the confirmation, after the question, chooses
// the rows selected (or the current one) and gives their keys in list order.
class JobPickerWindow : public QDialog
{
    Q_OBJECT

public:
    JobPickerWindow(shell::Session &session, std::optional<qint64> customer, std::optional<qint64> invoice,
                    QWidget *parent = nullptr);
    ~JobPickerWindow() override;

    shell::ui::DataGrid *grid() const { return m_grid; }
    storage::RecordListModel &records() const { return *m_records; }

    // "Filtra": reads the list again with the boxes' conditions.
    void filter();
    // The keys chosen: the rows selected, or the current row, in list order.
    QList<qint64> chosenKeys() const;
    void confirm();

private:
    shell::Session &m_session;
    std::optional<qint64> m_customer;
    bool m_history = false;
    shell::ui::DataGrid *m_grid;
    std::unique_ptr<storage::RecordListModel> m_records;
    QLineEdit *m_fromNumber;
    QLineEdit *m_toNumber;
    shell::ui::DateBox *m_fromDate;
    shell::ui::DateBox *m_toDate;
    QLineEdit *m_plate;
    QLineEdit *m_loadingOrder;
    QLineEdit *m_note;
};

// Registers "TfrmScegliCommesse", opened with "cliente" (the customer's key) and "fattura" (the
// invoice's key); it chooses a list of job-order keys.
void registerJobPicker(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
