#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::purchases {

// The VAT of a period: what purchases, sales and daily takings owe or give back, per VAT code.
// Firms settle every quarter or every month; each way has its own tables, which differ only in
// their names and in the field of the period.
enum class SettlementKind { Quarterly, Monthly };

struct SettlementTables
{
    QString header;         // ContabilitaChiusuraIvaTrimestre
    QString rows;           // ...Righe
    QString nonTaxableRows; // ...RigheNonSoggetta
    QString ownerField;     // the rows' key of the header
    QString periodField;    // Trimestre or Mese
    QString carriedField;   // the credit carried from the previous period
    QString listWindow;
    QString cardWindow;
    QString caption;
};
const SettlementTables &settlementTables(SettlementKind kind);

// One quarter (1-4) or one month (1-12) of a year.
struct SettlementPeriod
{
    SettlementKind kind = SettlementKind::Quarterly;
    int year = 0;
    int number = 0;

    // "T1"..."T4" or "M1"..."M12", as the accountant writes them on the command line.
    static std::optional<SettlementPeriod> parse(int year, const QString &period);
    // The period that comes after it (the first of the next year after the last).
    SettlementPeriod next() const;
    SettlementPeriod previous() const;
    QDate firstDay() const;
    QDate lastDay() const;
    // "1° trimestre 2024", "Gennaio 2024".
    QString name() const;
    bool operator==(const SettlementPeriod &other) const = default;
};

// The checks "Calcola" makes before it changes anything; the message, or nothing when the period
// can be calculated.
std::optional<QString> settlementPeriodProblem(SettlementKind kind, const QVariant &year,
                                               const QVariant &number);

// One row of a settlement: a VAT code (or the rate of rows without a valid code) on one side.
struct SettlementLine
{
    QVariant vatCode; // null for rows whose code is empty or no longer exists
    QString description;
    bool purchases = false;
    bool takings = false;
    double taxable = 0;
    double tax = 0;
};

struct SettlementFigures
{
    qint64 key = 0;
    SettlementPeriod period;
    double carriedCredit = 0;
    double payable = 0;    // TotaleIvaDebito
    double receivable = 0; // TotaleIvaCredito
    double purchasesTaxable = 0;
    double purchasesTax = 0;
    double salesTaxable = 0;
    double salesTax = 0;
    double takingsTaxable = 0;
    double takingsTax = 0;
    double purchasesNonTaxable = 0;
    double salesNonTaxable = 0;
    double takingsNonTaxable = 0;
    QList<SettlementLine> lines;
    QList<SettlementLine> nonTaxableLines;
    // The documents and entries whose rows carry no valid VAT code, as a user reads them.
    QStringList withoutVatCode;
};

// The credit carried into a period from the settlement before it: its credit and its own carried
// credit less its debt, never below zero; 0 when there is none.
core::Result<double> carriedCredit(storage::Archive &archive, const SettlementPeriod &period);

// "Aggiungi": the settlement of the period after the last one (of today's without any), with the
// credit carried from it. Two workstations adding at once get two periods.
core::Result<qint64> addNextSettlement(storage::Archive &archive, SettlementKind kind, const QDate &today);
// The settlement of the period, added when there is none.
core::Result<qint64> settlementOf(storage::Archive &archive, const SettlementPeriod &period);
// A settlement already kept for the period, other than the one given.
core::Result<std::optional<qint64>> otherSettlementOf(storage::Archive &archive,
                                                      const SettlementPeriod &period, qint64 except = 0);

// "Calcola": rebuilds the rows and the totals of the settlement for its period, in one
// transaction. The header's year and period are those given (the window's, maybe not saved yet).
core::Result<SettlementFigures> calculateSettlement(storage::Archive &archive, SettlementKind kind,
                                                    qint64 key, int year, int number);
// What a settlement holds.
core::Result<SettlementFigures> readSettlement(storage::Archive &archive, SettlementKind kind, qint64 key);
// The header and its rows, in one transaction.
core::Status deleteSettlement(storage::Archive &archive, SettlementKind kind, qint64 key);

// The settlement as the command line prints it.
QString settlementText(const SettlementFigures &figures);
// The message that names the documents whose rows have no valid VAT code; empty when none.
QString withoutVatCodeMessage(const SettlementFigures &figures);

} // namespace rotalina::purchases
