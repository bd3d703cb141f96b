#include "purchases/purchasedocument.h"

#include "invoicing/invoicedocument.h"
#include "shell/accountchoice.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"

namespace rotalina::purchases {

using shell::DocumentDescriptor;
using shell::DocumentTab;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;

namespace {

const char *const vehicles = "SELECT ID, Targa FROM Vetture ORDER BY Targa";

RegistryDescriptor buildRows(PurchaseDocument document)
{
    const bool creditNote = document == PurchaseDocument::CreditNote;
    const PurchaseRowTable &table = rowTableOf(document);
    const QByteArray quantity = table.quantity.toLatin1();
    const QByteArray gross = table.gross.toLatin1();
    const QByteArray vatCode = table.vat.toLatin1();
    RegistryDescriptor r;
    r.cardWindow = creditNote ? QStringLiteral("TfrmModificaNotaCreditoFornitoreRighe")
                              : QStringLiteral("TfrmModificaCaricoRighe");
    r.cardCaption = creditNote ? QStringLiteral("Modifica righe Nota di Credito Fornitore")
                               : QStringLiteral("Modifica righe fatture Acquisto");
    r.table = table.table;
    r.listSql = QStringLiteral("SELECT * FROM ") + table.table;
    r.order = QStringLiteral("NumeroRiga, ID");
    r.columns = {column("NumeroRiga", "Riga", 45),
                 column("Codice", "Codice", 80),
                 column("Descrizione", "Articolo", 280),
                 column(quantity.constData(), "Quantita", 70),
                 column("ValoreUnitario", "Valore Unitario", 100),
                 column("Sconto", "Sconto", 55),
                 column("TotaleImponibile", "Imponibile", 100),
                 column("AliquotaIva", "Iva", 45),
                 column(gross.constData(), "Prezzo Finale", 100)};
    RegistryField vat = choice(vatCode.constData(), "Aliquota Iva",
                               "SELECT ID, Descrizione FROM Iva ORDER BY Iva, Descrizione");
    vat.copySql = QStringLiteral("SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?");
    vat.copiedFields = {QStringLiteral("AliquotaIva")};
    RegistryField account = shell::registryChoice("ContabilitaConti_ID", "Conto", shell::accountChoiceSql());
    account.hint = QStringLiteral("Cerca il tipo di Conto");
    r.fields = {field("NumeroRiga", "Numero di riga", Kind::Amount, 0),
                field("Codice", "Codice"),
                field("Descrizione", "Descrizione", Kind::Memo),
                field(quantity.constData(), "Quantità", Kind::Amount, 4),
                field("ValoreUnitario", "Valore Unitario", Kind::Amount, 4),
                field("Sconto", "Sconto", Kind::Amount),
                field("Sconto2", "+", Kind::Amount),
                field("Sconto3", "+", Kind::Amount),
                field("Sconto4", "+", Kind::Amount),
                field("TotaleImponibile", "Totale Imponibile", Kind::Amount),
                vat,
                field("AliquotaIva", "", Kind::Hidden),
                field(gross.constData(), "Valore Totale", Kind::Amount),
                startsColumn(account)};
    if (creditNote) {
        r.fields.append(field("Note", "Note"));
        r.fields.append(field("TipoRiga", "", Kind::Hidden));
    } else {
        r.columns.append(column("Targa1", "Vettura", 80));
        RegistryField vehicle = choice("Vettura_ID", "Vettura", vehicles);
        vehicle.copySql = QStringLiteral("SELECT Targa AS Targa1 FROM Vetture WHERE ID = ?");
        vehicle.copiedFields = {QStringLiteral("Targa1")};
        r.fields += {field("RIFDDT", "Rifermento Docum."),
                     field("DataDDT", "Data Docum.", Kind::Date),
                     field("Imputazione", "Imputazione"),
                     vehicle,
                     field("Targa1", "", Kind::Hidden),
                     field("Chilometri", "Km", Kind::Amount, 0),
                     field("Note", "Note")};
    }
    r.checks = purchaseRowChecks(document);
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il record ?");
    r.ownerField = table.owner;
    r.save = [document](storage::Archive &archive, qint64 key, const QVariantMap &values) {
        return savePurchaseRow(archive, document, key, values);
    };
    r.remove = [document](storage::Archive &archive, qint64 key) {
        return deletePurchaseRow(archive, document, key);
    };
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addPurchaseRow(archive, owner.toLongLong());
    };
    r.helpContext = creditNote ? 3600 : 3100;
    r.grid =
        creditNote ? QStringLiteral("frmNotaCreditoFornitore_DBGrid1") : QStringLiteral("frmCarico_DBGrid1");
    return r;
}

RegistryDescriptor buildList(PurchaseDocument document)
{
    const bool creditNote = document == PurchaseDocument::CreditNote;
    RegistryDescriptor r;
    r.listWindow =
        creditNote ? QStringLiteral("TfrmGrigliaNoteCreditoFornitori") : QStringLiteral("TfrmGrigliaCarico");
    r.cardWindow = creditNote ? QStringLiteral("TfrmNotaCreditoFornitore") : QStringLiteral("TfrmCarico");
    r.listCaption =
        creditNote ? QStringLiteral("Note di credito fornitori") : QStringLiteral("Fatture di Acquisto");
    r.table = QStringLiteral("fattura");
    // The documents of the kind as a table of their own, so that the window's scope and the filter
    // fields add their conditions to it.
    r.listSql =
        QStringLiteral(
            "SELECT * FROM (SELECT ID, Fornitore, Fornitore_ID, DataRegistrazione, ProgressivoCarico, "
            "NumeroCarico, Data, TotImponibile, TotImposta, TotFattura, Storico FROM fattura WHERE Carico = "
            "true "
            "AND COALESCE(FattNota, false) = %1) AS documenti")
            .arg(creditNote ? QStringLiteral("true") : QStringLiteral("false"));
    r.order = QStringLiteral("DataRegistrazione, ProgressivoCarico, ID");
    r.columns = {column("Fornitore", "Fornitore", 260),
                 column("DataRegistrazione", "Data Reg.", 90),
                 column("ProgressivoCarico", "N° Progressivo", 90),
                 column("NumeroCarico", "Numero", 100),
                 column("Data", "Data", 90),
                 column("TotFattura", "Totale", 100)};
    r.filters = {{QStringLiteral("Fornitore"), QStringLiteral("Fornitore")},
                 {QStringLiteral("NumeroCarico"), QStringLiteral("Numero")}};
    r.filtersBeginWith = true;
    r.fields = {field("TotFattura", "Totale", Kind::Amount)};
    r.deleteQuestion = creditNote ? QStringLiteral("Sei sicuro di voler eliminare la nota di credito?")
                                  : QStringLiteral("Sei sicuro di voler eliminare la fattura?");
    r.remove = deletePurchase;
    r.helpContext = creditNote ? 3600 : 3100;
    r.grid = creditNote ? QStringLiteral("frmGrigliaNoteCreditoFornitori")
                        : QStringLiteral("frmGrigliaCarico_Griglia");
    return r;
}

DocumentDescriptor buildDocument(PurchaseDocument document)
{
    const bool creditNote = document == PurchaseDocument::CreditNote;
    DocumentDescriptor d;
    d.window = creditNote ? QStringLiteral("TfrmNotaCreditoFornitore") : QStringLiteral("TfrmCarico");
    d.caption =
        creditNote ? QStringLiteral("Note di credito fornitori") : QStringLiteral("Fatture di Acquisto");
    d.table = QStringLiteral("fattura");
    RegistryField supplier =
        choice("Fornitore_ID", "Fornitore", "SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore",
               "TfrmFornitDett", "TFornitori");
    RegistryField number = field("NumeroCarico", creditNote ? "N° Nota di Credito" : "N° Fattura");
    number.maxLength = 20;
    RegistryField image = field("Immagine", "Immagine");
    image.hint = QStringLiteral("Il file dell'immagine della fattura");
    QList<RegistryField> headerFields{
        field("ProgressivoCarico", "Progressivo", Kind::Amount, 0),
        field("DataRegistrazione", "Data Registrazione", Kind::Date),
        number,
        field("Data", "Data", Kind::Date),
        supplier,
        field("Fornitore", "", Kind::Hidden),
        image,
        choice("Personale_ID", "Autista",
               "SELECT Id, COALESCE(Cognome, '') || ' ' || COALESCE(Nome, '') FROM Personale ORDER BY 2"),
        choice("Vettura_ID", "Vettura", vehicles),
        startsColumn(field("TotImponibile", "Totale Imponibile", Kind::Amount)),
        field("TotImposta", "Totale Imposta", Kind::Amount),
        field("RitenutaAcconto", "Ritenuta d'acconto", Kind::Amount),
        field("TotFattura", "Totale Fattura", Kind::Amount),
        choice("Banca_ID", "Banca", "SELECT Id, Banca FROM Bank ORDER BY Banca", "TAnaBanca",
               "TfrmGrigliaBanche"),
        choice("ModPagamento_Id", "Mod. Pagam.",
               "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione", "TfrmModPagamDett",
               "TfrmModPagam"),
        field("Note", "Note"),
        field("ImportatoXml", "importato da xml", Kind::Check)};
    if (creditNote) {
        // The purchase invoice credited, under the credit note's own data.
        const qsizetype at =
            std::find_if(headerFields.cbegin(), headerFields.cend(),
                         [](const RegistryField &f) { return f.field == u"TotImponibile"; }) -
            headerFields.cbegin();
        const QList<RegistryField> credited{field("NCFattNumRifCarico", "Fattura di Riferimento"),
                                            field("NCFattDataRif", "Data fattura", Kind::Date),
                                            field("NCFattIDRif", "", Kind::Hidden)};
        for (qsizetype i = 0; i < credited.size(); ++i)
            headerFields.insert(at + i, credited.at(i));
    }
    const RegistryDescriptor &rowsRegistry =
        creditNote ? purchaseCreditNoteRowsRegistry() : purchaseInvoiceRowsRegistry();
    DocumentTab header{QStringLiteral("   Testata   "),
                       headerFields,
                       {{[] { return &invoicing::supplierInstalmentsRegistry(); },
                         QStringLiteral("Fattura_ID"), QStringLiteral("Scadenza Pagamenti"),
                         creditNote ? QStringLiteral("frmNotaCreditoFornitore_DBGrid3")
                                    : QStringLiteral("frmCarico_DBGrid3")}}};
    DocumentTab rows{QStringLiteral("   Righe   "),
                     {},
                     {{[creditNote]() -> const RegistryDescriptor * {
                           return creditNote ? &purchaseCreditNoteRowsRegistry()
                                             : &purchaseInvoiceRowsRegistry();
                       },
                       rowsRegistry.ownerField, QStringLiteral("Righe"), rowsRegistry.grid}}};
    d.tabs = {header, rows};
    d.checks = purchaseChecks(document);
    d.save = savePurchaseHeader;
    d.remove = deletePurchase;
    d.computedFields = {QStringLiteral("TotImponibile"), QStringLiteral("TotImposta"),
                        QStringLiteral("TotFattura")};
    if (creditNote)
        d.computedFields += {QStringLiteral("NCFattNumRifCarico"), QStringLiteral("NCFattDataRif"),
                             QStringLiteral("NCFattIDRif")};
    d.helpContext = creditNote ? 3600 : 3100;
    return d;
}

} // namespace

const DocumentDescriptor &purchaseInvoiceDocument()
{
    static const DocumentDescriptor document = buildDocument(PurchaseDocument::Invoice);
    return document;
}

const DocumentDescriptor &purchaseCreditNoteDocument()
{
    static const DocumentDescriptor document = buildDocument(PurchaseDocument::CreditNote);
    return document;
}

const RegistryDescriptor &purchaseInvoiceRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows(PurchaseDocument::Invoice);
    return registry;
}

const RegistryDescriptor &purchaseCreditNoteRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows(PurchaseDocument::CreditNote);
    return registry;
}

const RegistryDescriptor &purchaseInvoicesRegistry()
{
    static const RegistryDescriptor registry = buildList(PurchaseDocument::Invoice);
    return registry;
}

const RegistryDescriptor &purchaseCreditNotesRegistry()
{
    static const RegistryDescriptor registry = buildList(PurchaseDocument::CreditNote);
    return registry;
}

} // namespace rotalina::purchases
