#pragma once

#include <QList>
#include <optional>

namespace rotalina::core {

// One row of a document as its totals read it.
struct TotalsRow
{
    std::optional<double> quantity; // a row without quantity is left out of the amounts
    double unitValue = 0;
    double discount = 0;
    double vatRate = 0;
    double parcels = 0;
    double commission = 0; // the commission on cash on delivery
};

// The header totals of a document: rows summed unrounded, the sums rounded to the cent.
struct DocumentTotals
{
    double taxable = 0; // TotImponibile
    double vat = 0;     // TotImposta
    double total = 0;   // TotFattura = taxable + vat
    double parcels = 0;
    double commission = 0;
};
DocumentTotals documentTotals(const QList<TotalsRow> &rows);

} // namespace rotalina::core
