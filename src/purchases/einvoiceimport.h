#pragma once

#include "core/result.h"
#include "purchases/purchases.h"
#include "purchases/receivedinvoice.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {
class Prompter;
}

namespace rotalina::purchases {

// What became of one document of a file (or of the whole file, when it could not be read).
struct ImportLine
{
    enum class Outcome { Imported, Skipped, Refused };

    QString file; // the file's name
    Outcome outcome = Outcome::Refused;
    QString documentType; // TipoDocumento: "TD01"
    QString number;
    QString supplier;
    double total = 0;    // the document's total as registered
    qint64 document = 0; // the purchase document written
    QString reason;      // why it was skipped or refused
    QStringList remarks; // what an imported document's reader should check (totals that differ)

    // "IMPORTATA <file> <tipo> <numero> <fornitore> <totale>", "SALTATA <file>: <motivo>",
    // "ERRORE <file>: <motivo>"; remarks follow an imported document after " - ".
    QString text() const;
    // "Importata", "Saltata", "Errore", for the report's grid.
    QString outcomeText() const;
};

// How an import runs.
struct ImportSettings
{
    QString workstation; // whose rows of the work tables the import uses
    QDate today = QDate::currentDate();
    // Documents whose recipient is not the company: imported without asking (the command line's
    // --anche-non-indirizzate). Otherwise the prompter asks, and without one they are refused.
    bool alsoNotAddressed = false;
    // Self-invoices and integration documents: imported without asking. Otherwise the prompter
    // asks, and without one they are skipped.
    bool alsoSelfInvoices = false;
};

// The files to import from what the user chose: files as they are, folders with their .xml and
// .p7m files in name order. What does not exist is listed in missing.
QStringList electronicInvoiceFiles(const QStringList &paths, QStringList *missing = nullptr);

// Imports suppliers' electronic invoices into purchase invoices and supplier credit notes. Each
// document of a file is written in one transaction after every check and question, so that a
// failure, a refusal or a No leaves the archive as it was.
class ElectronicInvoiceImport
{
public:
    ElectronicInvoiceImport(storage::Archive &archive, ImportSettings settings,
                            shell::Prompter *prompter = nullptr);

    // One line per document of the file, or one line for a file refused whole.
    QList<ImportLine> importFile(const QString &path);

    // The question asked for a document not addressed to the company.
    static QString notAddressedQuestion();

private:
    core::Status prepare();
    ImportLine importBody(const QString &file, const ReceivedInvoice &invoice, const ReceivedBody &body);
    bool isAddressedToCompany(const ReceivedInvoice &invoice) const;

    storage::Archive &m_archive;
    ImportSettings m_settings;
    shell::Prompter *m_prompter;
    struct Company
    {
        QString pec;
        QString sdiCode;
        QString taxCode;
        QString vatNumber;
    };
    std::optional<Company> m_company;
    bool m_updateRegistries = false; // AggiornaAutomaticamenteInformazioniDaXml
    // Towns and VAT codes already found, by what the files call them: the same few come back in
    // every file. Forgotten when a document fails, since what it added was undone with it.
    QHash<QString, QVariant> m_knownTowns;
    QHash<QString, QVariant> m_knownVatCodes;
    std::optional<PurchaseSettings> m_invoiceSettings;
    std::optional<PurchaseSettings> m_creditNoteSettings;
    QVariant m_defaultPaymentMode; // Carico_ModPagamento_Id
};

} // namespace rotalina::purchases
