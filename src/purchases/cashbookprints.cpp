#include "purchases/cashbookprints.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "purchases/cashbook.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>

namespace rotalina::purchases {

namespace {

const QString missingMonth = QStringLiteral("Attenzione E' necessario definire il mese...");
const QString missingBank = QStringLiteral("Attenzione E' necessario definire la Banca...");
const QString missingYear = QStringLiteral("Attenzione E' necessario definire l'anno...");
const QString missingBalance = QStringLiteral("Attenzione E' necessario definire il Saldo Iniziale...");

core::Result<QDate> firstDayOf(int month, int year)
{
    const QDate first(year, month, 1);
    if (!first.isValid() || year < 1000 || year > 9999)
        return core::Result<QDate>::failure(month < 1 || month > 12 ? missingMonth : missingYear);
    return first;
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

std::optional<CashBookPrintProblem> firstMissing(const CashBookPrintChoice &choice, CashBookPrintKind kind,
                                                 bool withBalance)
{
    if (choice.month < 1 || choice.month > 12)
        return CashBookPrintProblem{CashBookPrintField::Month, missingMonth};
    if (kind == CashBookPrintKind::ByBank && !choice.bank)
        return CashBookPrintProblem{CashBookPrintField::Bank, missingBank};
    if (!typedYear(choice.year))
        return CashBookPrintProblem{CashBookPrintField::Year, missingYear};
    if (withBalance) {
        bool ok = false;
        core::parseItalianNumber(choice.openingBalance.trimmed(), &ok);
        if (choice.openingBalance.trimmed().isEmpty() || !ok)
            return CashBookPrintProblem{CashBookPrintField::OpeningBalance, missingBalance};
    }
    return std::nullopt;
}

} // namespace

core::Result<double> cashBookOpeningBalance(storage::Archive &archive, int month, int year)
{
    const core::Result<QDate> first = firstDayOf(month, year);
    if (!first)
        return core::Result<double>::failure(first.error());
    return cashBalance(archive, first->addDays(-1));
}

core::Result<double> bankOpeningBalance(storage::Archive &archive, qint64 bank, int month, int year)
{
    const core::Result<QDate> first = firstDayOf(month, year);
    if (!first)
        return core::Result<double>::failure(first.error());
    return cashBalance(archive, first->addDays(-1), bank);
}

std::optional<int> typedYear(const QString &text)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[1-9][0-9]{3}$"));
    const QString year = text.trimmed();
    if (!fourDigits.match(year).hasMatch())
        return std::nullopt;
    return year.toInt();
}

std::optional<CashBookPrintProblem> checkCashBookPrint(const CashBookPrintChoice &choice,
                                                       CashBookPrintKind kind)
{
    return firstMissing(choice, kind, true);
}

std::optional<CashBookPrintProblem> checkOpeningBalanceRequest(const CashBookPrintChoice &choice,
                                                               CashBookPrintKind kind)
{
    return firstMissing(choice, kind, false);
}

std::optional<SituationProblem> checkSituationPeriod(const QString &fromText, const QString &toText)
{
    const bool fromGiven = hasDigit(fromText);
    const bool toGiven = hasDigit(toText);
    const std::optional<QDate> from = core::datetext::parseShortDate(fromText);
    const std::optional<QDate> to = core::datetext::parseShortDate(toText);
    if (fromGiven && !from)
        return SituationProblem{
            SituationField::From,
            QStringLiteral("Attenzione la data di inizio %1 non è valida...").arg(fromText)};
    if (toGiven && !to)
        return SituationProblem{SituationField::To,
                                QStringLiteral("Attenzione la data di fine %1 non è valida...").arg(toText)};
    if (from && to && *to < *from)
        return SituationProblem{
            SituationField::To,
            QStringLiteral("Attenzione la data di fine non può essere precedente alla data di inizio...")};
    return std::nullopt;
}

SituationPeriod situationPeriod(const QString &fromText, const QString &toText)
{
    return {core::datetext::parseShortDate(fromText).value_or(QDate()),
            core::datetext::parseShortDate(toText).value_or(QDate())};
}

} // namespace rotalina::purchases
