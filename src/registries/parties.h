#pragma once

#include "core/contactcard.h"
#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::registries {

// The customers and suppliers of the firm: what their registries check, compose and copy when a
// row is saved or deleted.

// The names of a customer: printed on documents, and shown in lists. A company name of fewer than
// two characters counts as none: a private customer is "Surname Name", shown with " - " and the
// fiscal code after it.
struct CustomerNames
{
    QString documents;
    QString displayed;
};
CustomerNames composeCustomerNames(const QString &company, const QString &surname, const QString &firstName,
                                   const QString &fiscalCode);

// The checks of the customer card, in the order the office expects them. The first three also
// guard a change of page.
shell::RecordChecks customerChecks();
shell::RecordChecks customerPageChecks();
shell::RecordChecks supplierChecks();

// Warnings when a VAT number or a fiscal code is left: not a valid Italian VAT number, or already
// in other rows of the same registry. They never stop the save.
// The Italian check of the number is made for Italian parties only.
QStringList vatNumberWarnings(storage::Archive &archive, const QString &table, qint64 key,
                              const QString &vatNumber, const QString &duplicateMessage, bool italian = true);
QStringList fiscalCodeWarnings(storage::Archive &archive, const QString &table, qint64 key,
                               const QString &fiscalCode, const QString &duplicateMessage);
QString customerDuplicateMessage();
QString supplierDuplicateMessage();

// A new customer: white colour, not withdrawn, no split payment, Italian, and the stored defaults.
core::Result<qint64> addCustomer(storage::Archive &archive);
// Saves the card's fields in one transaction: the composed names (whenever a part of them
// changed), the transmission format of the customer's invoices when the public-administration flag
// changed, and the new name on every document and table that keeps a copy of it.
core::Status saveCustomer(storage::Archive &archive, qint64 key, QVariantMap values);
// Deletes the customer and the payments that are not on documents; documents keep their copy of
// the name.
core::Status deleteCustomer(storage::Archive &archive, qint64 key);

core::Result<qint64> addSupplier(storage::Archive &archive);
core::Status saveSupplier(storage::Archive &archive, qint64 key, const QVariantMap &values);
core::Status deleteSupplier(storage::Archive &archive, qint64 key);

// Payments outside documents (customers' ClientiPagamenti, suppliers' FornitoriPagamenti): saving
// one lowers the party's opening balance by what the amount grew, deleting one gives its amount
// back.
struct PaymentTable
{
    QString table;      // "ClientiPagamenti"
    QString partyField; // "Cliente_id"
    QString parties;    // "Clienti"
    QString partyKey;   // "Id"
};
PaymentTable customerPayments();
PaymentTable supplierPayments();
shell::RecordChecks paymentChecks();
// The changed fields are written over the stored row after the checks.
core::Status savePayment(storage::Archive &archive, const PaymentTable &payments, qint64 key,
                         const QVariantMap &changed);
core::Status deletePayment(storage::Archive &archive, const PaymentTable &payments, qint64 key);

// The e-mail addresses of the chosen customers, ready to paste in a mail program ("a; b").
core::Result<QString> emailAddresses(storage::Archive &archive, const QString &table, const QString &field,
                                     const QList<qint64> &keys);

// vCard export and import of customers.
core::Result<core::ContactRecord> customerContact(storage::Archive &archive, qint64 key);
core::Result<core::ContactRecord> supplierContact(storage::Archive &archive, qint64 key);
// The file name a customer's card is written to: its displayed name made safe for a file system.
QString contactFileName(const QString &name);

// The lists of the two registries (their cards are windows of their own).
const shell::RegistryDescriptor &customerRegistry();
const shell::RegistryDescriptor &supplierRegistry();

enum class DuplicateAction { Ask = 0, Skip = 1, Update = 2 };
struct ContactImport
{
    int added = 0;
    int updated = 0;
    int skipped = 0;
    QStringList unreadable; // files that hold no card
};
// Imports the cards of the files as new customers. A customer already there (same company name,
// or same surname and first name) is skipped or updated as the action says; Ask asks the question
// once (true = skip) and applies the answer to the rest. Each card is one transaction.
core::Result<ContactImport> importCustomerContacts(storage::Archive &archive, const QStringList &files,
                                                   DuplicateAction action,
                                                   const std::function<bool(const QString &name)> &askSkip);
// The same for suppliers: a supplier already there has the same name, or surname and first name.
core::Result<ContactImport> importSupplierContacts(storage::Archive &archive, const QStringList &files,
                                                   DuplicateAction action,
                                                   const std::function<bool(const QString &name)> &askSkip);

} // namespace rotalina::registries
