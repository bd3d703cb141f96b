#pragma once

#include "core/result.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::purchases {

// Whose instalments a view of the due-date book shows.
enum class BookParty { Customers, Suppliers };

// The due-date book "TfrmScadenziario": the instalments of every document, in four views (open and
// paid, of customers and of suppliers) told apart by the condition the main window gives. Unpaid
// instalments already due are red; "Avanti" opens the due-date window in the customer's or the
// supplier's form.
const shell::RegistryDescriptor &dueDateBookRegistry(BookParty party);
// The colour of an overdue instalment's row.
QVariant overdueColour(const QVariant &dueOn, const QVariant &paidOn, const QDate &today);

// The cumulative payment of several instalments of one customer or supplier. The choice is this
// workstation's alone (its rows in TempFatturaScadenzeCumulativo), so that two workstations can
// prepare payments of the same party at once.
class CumulativePayment
{
public:
    CumulativePayment(storage::Archive &archive, QString workstation, BookParty party, qint64 partyKey);

    // Forgets what this workstation had chosen before.
    core::Status start();

    // The party's unpaid instalments of its invoices not chosen yet, and those chosen, by due date:
    // Id, Numero, DataScadenza, Operazione, Importo, DataFattura, NumeroFattura, ModPagamento.
    QString openStatement() const;
    QString chosenStatement() const;
    QVariantList statementParameters() const;

    core::Status choose(qint64 instalment);
    core::Status chooseAll();
    core::Status drop(qint64 instalment);
    core::Status dropAll();

    // "Totale fatture:" (every unpaid instalment of the party's invoices), "Totale in pagamento:"
    // (those chosen) and "Totale da pagare:" (the difference).
    struct Totals
    {
        double due = 0;
        double chosen = 0;
        double remaining = 0;
    };
    core::Result<Totals> totals() const;

    // How the chosen instalments were paid.
    struct Details
    {
        QDate paidOn;
        QVariant paymentMode;
        QString details; // up to 150 characters
        QVariant bank;
    };
    // Pays the chosen instalments still unpaid now, each with its cash-book entry when due dates are
    // mirrored there, and forgets the choice, in one transaction. An instalment another workstation
    // paid meanwhile is left as it is and named in the result.
    struct Outcome
    {
        int paid = 0;
        QStringList alreadyPaid;
    };
    core::Result<Outcome> pay(const Details &details);

    static QString nothingChosenMessage();
    static QString noOpenInstalmentsMessage();

private:
    QString partyField() const;
    core::Result<QList<qint64>> chosenKeys() const;

    storage::Archive &m_archive;
    QString m_workstation;
    BookParty m_party;
    qint64 m_partyKey;
};

} // namespace rotalina::purchases
