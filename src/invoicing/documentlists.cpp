#include "invoicing/documentlists.h"

#include "core/datetext.h"
#include "invoicing/invoicedocument.h"
#include "shell/recordchecks.h"
#include "storage/sqlvalue.h"

namespace rotalina::invoicing {

namespace {

// What a field asks: nothing when it is blank or holds only "*".
QString asked(const QString &typed)
{
    const QString text = typed.trimmed();
    return text == u"*" ? QString() : text;
}

core::Status addNumber(storage::ListFilter &filter, const QString &typed, const QString &caption,
                       const char *comparison)
{
    const QString text = asked(typed);
    if (text.isEmpty())
        return {};
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber)
        return core::Status::failure(
            QStringLiteral("Attenzione \"%1\" deve essere un numero: \"%2\" non lo è").arg(caption, text));
    filter.condition(QStringLiteral("Num %1 ?").arg(QLatin1String(comparison)), {number});
    return {};
}

core::Status addDate(storage::ListFilter &filter, const QString &typed, const QString &caption, bool upTo)
{
    const QString text = asked(typed);
    if (text.isEmpty())
        return {};
    const std::optional<QDate> date = core::datetext::parseShortDate(text);
    if (!date)
        return core::Status::failure(
            QStringLiteral("Attenzione \"%1\" non è una data: scrivere la data come gg/mm/aaaa (\"%2\")")
                .arg(caption, text));
    if (upTo)
        filter.dateTo(QStringLiteral("Data"), *date);
    else
        filter.dateFrom(QStringLiteral("Data"), *date);
    return {};
}

void addKey(storage::ListFilter &filter, const QString &field, const QVariant &key)
{
    if (shell::RecordChecks::hasValue(key))
        filter.equals(field, key.toLongLong());
}

void addSeries(storage::ListFilter &filter, const QString &typed)
{
    if (const QString series = asked(typed); !series.isEmpty())
        filter.equals(QStringLiteral("SerieFatturazione"), series);
}

} // namespace

core::Status addInvoiceListConditions(storage::ListFilter &filter, const InvoiceListFilter &typed)
{
    // Everything is read before anything is added, so that a refused field leaves the filter whole.
    storage::ListFilter read = filter;
    for (const core::Status &added : {addNumber(read, typed.fromNumber, QStringLiteral("Dal numero"), ">="),
                                      addNumber(read, typed.toNumber, QStringLiteral("al numero"), "<="),
                                      addDate(read, typed.fromDate, QStringLiteral("Dalla Data"), false),
                                      addDate(read, typed.toDate, QStringLiteral("alla Data"), true)}) {
        if (!added)
            return added;
    }
    addSeries(read, typed.series);
    addKey(read, QStringLiteral("Cliente_ID"), typed.customer);
    addKey(read, QStringLiteral("Banca_ID"), typed.bank);
    addKey(read, QStringLiteral("ModPagamento_Id"), typed.paymentMode);
    if (const QString order = asked(typed.orderNumber); !order.isEmpty()) {
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
    for (const core::Status &added : {addNumber(read, typed.number, QStringLiteral("Numero"), "="),
                                      addDate(read, typed.fromDate, QStringLiteral("Dalla Data"), false),
                                      addDate(read, typed.toDate, QStringLiteral("alla Data"), true)}) {
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
