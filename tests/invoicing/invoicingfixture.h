#pragma once

#include "storage/archive.h"

#include <QDate>
#include <QString>
#include <QVariantMap>
#include <memory>

namespace rotalina::test {

// An archive with what an invoice needs: a customer, a bank and the options, set per test.
class InvoicingArchive
{
public:
    InvoicingArchive();
    storage::Archive &archive() { return *m_archive; }

    void setOption(const char *field, const QVariant &value);
    void setCompany(const char *field, const QVariant &value);
    qint64 paymentMode(int instalments, std::initializer_list<int> days = {}, const QVariantMap &more = {});
    qint64 customer(const QString &name, const QVariantMap &more = {});
    // A firm the exchange system accepts (Italian VAT number, address, tax regime), and a customer
    // firm of it with its recipient code.
    void setElectronicInvoicingCompany();
    qint64 electronicInvoicingCustomer(const QVariantMap &more = {});
    // An invoice of the customer with the given date and payment mode, created as the window does.
    qint64 invoice(qint64 customer, qint64 mode, const QDate &date);
    qint64 row(qint64 invoice, double quantity, double unitValue, double vatRate, double discount = 0);
    QVariant value(const QString &table, const char *field, qint64 key);

private:
    std::unique_ptr<storage::Archive> m_archive;
};

} // namespace rotalina::test
