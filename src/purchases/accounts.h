#pragma once

#include "core/result.h"
#include "shell/accountchoice.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QString>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::purchases {

// The chart of accounts: classes, their groups and the groups' accounts, each a registry with its
// list and card ("TfrmGrigliaContabilitaClassi" / "TfrmContabilitaClassi", and the same for
// "Raggruppamenti" and "Conti").
const shell::RegistryDescriptor &accountClassesRegistry();
const shell::RegistryDescriptor &accountGroupsRegistry();
const shell::RegistryDescriptor &accountsRegistry();

// Where an account is used: by the rows of the documents, the cash-book entries and the default
// accounts of the options, with how many of each; one line each, empty when it is not used.
core::Result<QStringList> accountUses(storage::Archive &archive, qint64 account);

// Deletes an account that nothing uses. A used one is refused with a message that says where:
// documents would otherwise lose the account their amounts are booked on.
core::Status deleteAccount(storage::Archive &archive, qint64 account);
// Deletes a group with its accounts, or a class with its groups and their accounts, in one
// transaction; refused, with the account and where it is used, while any of those accounts is used.
core::Status deleteAccountGroup(storage::Archive &archive, qint64 group);
core::Status deleteAccountClass(storage::Archive &archive, qint64 accountClass);

// The period of the accounting prints, from "Dalla data" and "Alla data": both are needed.
struct AccountingPeriod
{
    QDate from;
    QDate to;
};

enum class AccountingPeriodField { From, To };

struct AccountingPeriodProblem
{
    AccountingPeriodField field;
    QString message;
};

// The first date missing or wrong, with its message, or nothing when the period can be printed.
std::optional<AccountingPeriodProblem> checkAccountingPeriod(const QString &fromText, const QString &toText);
// The period of two typed dates that passed the check.
AccountingPeriod accountingPeriod(const QString &fromText, const QString &toText);
// "Dal 01/01/2026 al 31/03/2026", the period as the prints head it.
QString periodDescription(const AccountingPeriod &period);

// The balance by account ("Bilancio") of the period in this workstation's TempBilancio rows, which
// replace those it had: for each account of the chart the net amounts of the rows booked on it,
// purchases and customer credit notes less, sales and supplier credit notes more, cash-book income
// more and expenses less, and the daily takings net of VAT on the takings account of the options.
// An account gets a row when something of the period is booked on it. The number of rows written.
core::Result<int> fillBalance(storage::Archive &archive, const QString &workstation,
                              const AccountingPeriod &period);

// The statement of one account ("Situazione Conto") in this workstation's TempContabilitaConto
// rows: each document row and cash-book entry of the period booked on it, in six kinds, with the
// signs the balance gives them (purchases, customer credit notes and expenses less), so that the
// statement adds up as the balance does. The number of rows written.
core::Result<int> fillAccountStatement(storage::Archive &archive, const QString &workstation, qint64 account,
                                       const AccountingPeriod &period);

// The kinds of the statement's rows (DescrizioneTipologia).
QStringList accountStatementKinds();

} // namespace rotalina::purchases
