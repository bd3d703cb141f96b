#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>

namespace rotalina::storage {
class Archive;
class SqlDialect;
} // namespace rotalina::storage

namespace rotalina::registries {

// Customer notices ("Avvisi per Clienti"): a text composed on one workstation, the customers found
// by a few filters, and the ones chosen for the print, which lays out one notice per customer.
// The text and the chosen customers live in the workstation's work rows (TempAvvisi,
// TempAvvisiClienti), where the print program reads them.

// The report that prints the notices.
constexpr int noticesReport = 81;

// What the filter page asks; a field left empty asks nothing.
struct NoticeFilter
{
    std::optional<qint64> paymentTerms; // Clienti.Pagamento_ID
    std::optional<qint64> category;     // Clienti.Categoria_ID
    std::optional<qint64> municipality; // Clienti.Comune_id, the municipality of residence
    QString province;                   // matched whole, whatever its case
    QString notesStart;                 // the customer's notes begin with it
    QDate dueFrom;                      // an instalment due on or after this day...
    QDate dueTo;                        // ...and up to the end of this one
    bool publicAdministration = false;  // public administrations only
    bool paid = false;                  // "Pagamento effettuato": an instalment already paid

    // Whether the customers' instalments are joined: only then can one customer be found through
    // several instalments, and only then are the paid and unpaid ones told apart.
    bool joinsDueDates() const { return paid || dueFrom.isValid() || dueTo.isValid(); }
};

// A statement with the values to bind to it, in order.
struct NoticeStatement
{
    QString sql;
    QVariantList parameters;
};

// The customers the filter finds, each once, withdrawn customers never, ordered by name.
NoticeStatement noticeCustomersStatement(const NoticeFilter &filter, const storage::SqlDialect &dialect);

// A customer found for a notice, with what the grid shows of it.
struct NoticeCustomer
{
    qint64 key = 0;
    QString name; // NominativoVisualizzato
    QString code;
    QString vatNumber;
    QString street;
    QString houseNumber;
    QString postcode;
    QString town;
    QString province;
    QString phone;
    QString fax;
    QString mobile;
    QString email;
    QString notes;
};

core::Result<QList<NoticeCustomer>> findNoticeCustomers(storage::Archive &archive,
                                                        const NoticeFilter &filter);

// The message of a notice without text, or nothing when the text can be saved.
std::optional<QString> noticeTextProblem(const QString &text);

// The notice text the workstation is composing (empty when it has none yet).
core::Result<QString> noticeText(storage::Archive &archive, const QString &workstation);
// Keeps the text in the workstation's notice row, adding the row when start-up has not. The
// workstation is left with that one row, so that the print can only find this text.
core::Status saveNoticeText(storage::Archive &archive, const QString &workstation, const QString &text);

// The text of a notice stored in the "Avvisi" registry.
core::Result<QString> storedNoticeText(storage::Archive &archive, qint64 notice);

// The customers chosen for the print replace the workstation's earlier ones, in one transaction;
// other workstations' choices stay.
core::Status chooseNoticeCustomers(storage::Archive &archive, const QString &workstation,
                                   const QList<qint64> &customers);

} // namespace rotalina::registries
