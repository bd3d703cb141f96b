#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "storage/listfilter.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// The tariffs (prezziar): priced routes and articles, kept as a registry and picked by documents.

// The final price the tariff card shows: the unit value less the discount, plus VAT at the rate taken
// as a whole number, to the cent.
double tariffFinalPrice(double unitValue, double discount, double vatRate);
// The final price the bulk changes write: the exact rate.
double tariffBulkFinalPrice(double unitValue, double discount, double vatRate);
// The unit value that gives the final price after discount and VAT.
double tariffUnitValue(double finalPrice, double discount, double vatRate);

// The search boxes of the tariff list, in the order they narrow it. A box holding only "*" asks
// nothing.
struct TariffSearch
{
    QString description;
    QString code;
    QString from;
    QString to;
    QString customer;
    QString department;
    QString note;
};
// The list's conditions in the archive: the base ones of the caller (withdrawn tariffs hidden, one
// customer's tariffs).
storage::ListFilter tariffBaseFilter(const storage::SqlDialect &dialect, bool hideWithdrawn,
                                     std::optional<qint64> customer);
// The texts of a tariff the boxes search, in the boxes' order, folded for comparing (lower case,
// no accents): description, code, departure, arrival, customer, department, note.
using TariffTexts = std::array<QString, 7>;
TariffTexts foldedTariffTexts(const QString &description, const QString &code, const QString &from,
                              const QString &to, const QString &customer, const QString &department,
                              const QString &note);
// The boxes ready for comparing: trimmed and folded, a lone "*" counted as empty.
TariffSearch foldedSearch(const TariffSearch &typed);
// Whether each box of a folded search is the start of its field.
bool tariffMatches(const TariffSearch &folded, const TariffTexts &texts);
bool tariffSearchIsEmpty(const TariffSearch &folded);
QString tariffListStatement(const QString &conditions);

// The selection clause of the picker: "where prezziar.id = 7 or prezziar.id =12", in the order the
// rows were chosen; empty for no key.
QString tariffSelectionClause(const QList<qint64> &keys);

shell::RecordChecks tariffChecks();

// A new tariff: the standard VAT of the options, not withdrawn, created today, the stored defaults.
core::Result<qint64> addTariff(storage::Archive &archive, const QDate &today);
// Writes the card's fields; an empty cost is 0.
core::Status saveTariff(storage::Archive &archive, qint64 key, QVariantMap values);
// A copy of a tariff created today, "(COPIA)" after its description when it has room for it.
core::Result<qint64> copyTariff(storage::Archive &archive, qint64 key, const QDate &today);

// The bulk changes over the tariffs the list shows, each in one transaction: the unit value up or
// down by a percentage or by a fixed amount, or another VAT rate; the final price follows.
enum class PriceChange { Increase, Decrease };
core::Status changeTariffPrices(storage::Archive &archive, const QList<qint64> &keys, PriceChange change,
                                std::optional<double> percentage, std::optional<double> fixed);
core::Status changeTariffVat(storage::Archive &archive, const QList<qint64> &keys, qint64 vat);

// "Cambia tutte le tariffe": every tariff in use (not withdrawn) takes the default VAT rate and its
// full price is computed again from its price and discount. One transaction; the number of
// tariffs changed.
core::Result<int> changeAllTariffsVat(storage::Archive &archive, const QVariant &vatId, double rate);

// The addresses of a town, for the search beside the tariff's departure and arrival.
core::Result<int> addressesInTown(storage::Archive &archive, qint64 town);

} // namespace rotalina::transport
