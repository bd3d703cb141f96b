#pragma once

#include "core/result.h"

#include <QDate>
#include <QString>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::purchases {

// The opening balance of the cash book for a month: the options' opening balance plus what came in
// less what went out before the first day of the month, in every earlier year and in the history
// too. The sums are made by the archive and the result is rounded to the cent once.
core::Result<double> cashBookOpeningBalance(storage::Archive &archive, int month, int year);

// The same for one bank: its opening balance (Bank.SaldoInizioAnno) plus its own entries before the
// first day of the month.
core::Result<double> bankOpeningBalance(storage::Archive &archive, qint64 bank, int month, int year);

// What the month and bank print windows hold when "Calcola" or "Stampa" is pressed.
struct CashBookPrintChoice
{
    int month = 0;              // 1 to 12; 0 while no month is chosen
    std::optional<qint64> bank; // asked by the bank print only
    QString year;               // as typed
    QString openingBalance;     // as typed
};

enum class CashBookPrintField { Month, Bank, Year, OpeningBalance };

struct CashBookPrintProblem
{
    CashBookPrintField field;
    QString message;
};

enum class CashBookPrintKind { ByMonth, ByBank };

// "Stampa": the month, the bank (bank print only), the year and the opening balance, in this order;
// the first one missing with its message, or nothing when the print can go.
std::optional<CashBookPrintProblem> checkCashBookPrint(const CashBookPrintChoice &choice,
                                                       CashBookPrintKind kind);
// "Calcola": the same checks but the balance, which is what it computes.
std::optional<CashBookPrintProblem> checkOpeningBalanceRequest(const CashBookPrintChoice &choice,
                                                               CashBookPrintKind kind);

// The year typed in "Anno": four digits, or nothing.
std::optional<int> typedYear(const QString &text);

// The period of a customer or supplier situation print. Either date may be left blank (no bound on
// that side); a date typed must be a real one, and the period must not end before it starts.
struct SituationPeriod
{
    QDate from; // invalid when not given
    QDate to;
};

enum class SituationField { From, To };

struct SituationProblem
{
    SituationField field;
    QString message;
};

// The period typed in "Dalla data" and "Alla data" (dd/mm/yyyy, a box with no digit is blank), or the
// first field that is wrong with its message.
std::optional<SituationProblem> checkSituationPeriod(const QString &fromText, const QString &toText);
SituationPeriod situationPeriod(const QString &fromText, const QString &toText);

} // namespace rotalina::purchases
