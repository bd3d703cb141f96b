#include "invoicing/documentlists.h"

#include "core/datetext.h"
#include "invoicing/invoicedocument.h"
#include "shell/recordchecks.h"
#include "shell/typedfilters.h"
#include "storage/sqlvalue.h"

namespace rotalina::invoicing {

namespace {

void addKey(storage::ListFilter &filter, const QString &field, const QVariant &key)
{
    if (shell::RecordChecks::hasValue(key))
        filter.equals(field, key.toLongLong());
}

void addSeries(storage::ListFilter &filter, const QString &typed)
{
    if (const QString series = shell::typedSearch(typed); !series.isEmpty())
        filter.equals(QStringLiteral("SerieFatturazione"), series);
}

} // namespace

core::Status addInvoiceListConditions(storage::ListFilter &filter, const InvoiceListFilter &typed)
{
    // Everything is read before anything is added, so that a refused field leaves the filter whole.
    storage::ListFilter read = filter;
    for (const core::Status &added : {shell::addTypedNumber(read, QStringLiteral("Num"), typed.fromNumber,
                                                            QStringLiteral("Dal numero"), ">="),
                                      shell::addTypedNumber(read, QStringLiteral("Num"), typed.toNumber,
                                                            QStringLiteral("al numero"), "<="),
                                      shell::addTypedDate(read, QStringLiteral("Data"), typed.fromDate,
                                                          QStringLiteral("Dalla Data"), false),
                                      shell::addTypedDate(read, QStringLiteral("Data"), typed.toDate,
                                                          QStringLiteral("alla Data"), true)}) {
        if (!added)
            return added;
    }
    addSeries(read, typed.series);
    addKey(read, QStringLiteral("Cliente_ID"), typed.customer);
    addKey(read, QStringLiteral("Banca_ID"), typed.bank);
    addKey(read, QStringLiteral("ModPagamento_Id"), typed.paymentMode);
    if (const QString order = shell::typedSearch(typed.orderNumber); !order.isEmpty()) {
        // The invoices whose customer's order number contains the text: none when no order has it.
        read.condition(
            QStringLiteral("ID IN (SELECT Fattura_ID FROM OrdiniClienti WHERE Fattura_ID IS NOT NULL "
                           "AND %1)")
                .arg(read.dialect().foldedLike(QStringLiteral("Numero"))),
            {storage::SqlDialect::containsPattern(order)});
    }
    filter = read;
    return {};
}

core::Status addCreditNoteListConditions(storage::ListFilter &filter, const CreditNoteListFilter &typed)
{
    storage::ListFilter read = filter;
    for (const core::Status &added :
         {shell::addTypedNumber(read, QStringLiteral("Num"), typed.number, QStringLiteral("Numero"), "="),
          shell::addTypedDate(read, QStringLiteral("Data"), typed.fromDate, QStringLiteral("Dalla Data"),
                              false),
          shell::addTypedDate(read, QStringLiteral("Data"), typed.toDate, QStringLiteral("alla Data"),
                              true)}) {
        if (!added)
            return added;
    }
    addKey(read, QStringLiteral("Cliente_ID"), typed.customer);
    addSeries(read, typed.series);
    filter = read;
    return {};
}

DocumentListStatement documentListStatement(CustomerDocument document, const shell::ListScope &scope,
                                            const storage::ListFilter &filter)
{
    const shell::RegistryDescriptor &list =
        document == CustomerDocument::CreditNote ? openCreditNotesRegistry() : openInvoicesRegistry();
    QStringList conditions;
    if (!scope.condition.isEmpty())
        conditions.append(u'(' + scope.condition + u')');
    if (!filter.isEmpty())
        conditions.append(filter.conditions());
    return {shell::registryListStatement(list, conditions.join(QStringLiteral(" AND "))),
            scope.parameters + filter.parameters()};
}

} // namespace rotalina::invoicing
