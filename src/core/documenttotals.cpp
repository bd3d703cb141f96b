#include "core/documenttotals.h"

#include "core/money.h"

namespace rotalina::core {

DocumentTotals documentTotals(const QList<TotalsRow> &rows)
{
    double taxable = 0;
    double vat = 0;
    double parcels = 0;
    double commission = 0;
    for (const TotalsRow &row : rows) {
        if (row.quantity) {
            taxable += calcolaImponibile(false, *row.quantity, row.unitValue, {row.discount, 0, 0, 0});
            vat += calcolaImposta(*row.quantity, row.unitValue, row.vatRate, {row.discount, 0, 0, 0});
        }
        parcels += row.parcels;
        commission += row.commission;
    }
    DocumentTotals totals;
    totals.taxable = arrotonda(taxable);
    totals.vat = arrotonda(vat);
    totals.total = arrotonda(totals.taxable + totals.vat);
    totals.parcels = arrotonda(parcels);
    totals.commission = arrotonda(commission);
    return totals;
}

} // namespace rotalina::core
