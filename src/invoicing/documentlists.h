#pragma once

#include "core/result.h"
#include "invoicing/invoices.h"
#include "shell/registrydescriptor.h"
#include "storage/listfilter.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace rotalina::invoicing {

// The filter fields of the invoice list as the user typed them. A field holding only "*" asks
// nothing; customer, bank and payment mode are keys, or nothing.
struct InvoiceListFilter
{
    QString fromNumber;
    QString toNumber;
    QString fromDate;
    QString toDate;
    QString series;
    QVariant customer;
    QVariant bank;
    QVariant paymentMode;
    QString orderNumber; // part of a customer's order number
};

// The filter fields of the credit-note list.
struct CreditNoteListFilter
{
    QString number;
    QString fromDate;
    QString toDate;
    QString series;
    QVariant customer;
};

// Adds the conditions of what is typed to the filter, with bound values: dates are read day first
// and "alla Data" takes its whole day. A number or a date that cannot be read is refused with a
// message naming its field, and nothing is added.
core::Status addInvoiceListConditions(storage::ListFilter &filter, const InvoiceListFilter &typed);
core::Status addCreditNoteListConditions(storage::ListFilter &filter, const CreditNoteListFilter &typed);

// The statement of a list of customer documents with the scope and the filter's conditions, and
// the values to bind to it, in order.
struct DocumentListStatement
{
    QString sql;
    QVariantList parameters;
};
DocumentListStatement documentListStatement(CustomerDocument document, const shell::ListScope &scope,
                                            const storage::ListFilter &filter);

} // namespace rotalina::invoicing
