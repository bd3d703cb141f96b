#include "purchases/purchasedocument.h"

#include "invoicing/invoicedocument.h"
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

RegistryDescriptor buildRows()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModificaCaricoRighe");
    r.cardCaption = QStringLiteral("Modifica righe fatture Acquisto");
    r.table = QStringLiteral("Movimenti");
    r.listSql = QStringLiteral("SELECT * FROM Movimenti");
    r.order = QStringLiteral("NumeroRiga, ID");
    r.columns = {column("NumeroRiga", "Riga", 45),
                 column("Codice", "Codice", 80),
                 column("Descrizione", "Articolo", 280),
                 column("Um", "Quantita", 70),
                 column("ValoreUnitario", "Valore Unitario", 100),
                 column("Sconto", "Sconto", 55),
                 column("TotaleImponibile", "Imponibile", 100),
                 column("AliquotaIva", "Iva", 45),
                 column("PrezzoCompleto", "Prezzo Finale", 100),
                 column("Targa1", "Vettura", 80)};
    RegistryField vat =
        choice("Iva_id", "Aliquota Iva", "SELECT ID, Descrizione FROM Iva ORDER BY Iva, Descrizione");
    vat.copySql = QStringLiteral("SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?");
    vat.copiedFields = {QStringLiteral("AliquotaIva")};
    RegistryField vehicle = choice("Vettura_ID", "Vettura", vehicles);
    vehicle.copySql = QStringLiteral("SELECT Targa AS Targa1 FROM Vetture WHERE ID = ?");
    vehicle.copiedFields = {QStringLiteral("Targa1")};
    RegistryField account = choice("ContabilitaConti_ID", "Conto",
                                   "SELECT ID, Descrizione FROM ContabilitaConti ORDER BY Descrizione");
    account.hint = QStringLiteral("Cerca il tipo di Conto");
    r.fields = {field("NumeroRiga", "Numero di riga", Kind::Amount, 0),
                field("Codice", "Codice"),
                field("Descrizione", "Descrizione", Kind::Memo),
                field("Um", "Quantità", Kind::Amount, 4),
                field("ValoreUnitario", "Valore Unitario", Kind::Amount, 4),
                field("Sconto", "Sconto", Kind::Amount),
                field("Sconto2", "+", Kind::Amount),
                field("Sconto3", "+", Kind::Amount),
                field("Sconto4", "+", Kind::Amount),
                field("TotaleImponibile", "Totale Imponibile", Kind::Amount),
                vat,
                field("AliquotaIva", "", Kind::Hidden),
                field("PrezzoCompleto", "Valore Totale", Kind::Amount),
                startsColumn(account),
                field("RIFDDT", "Rifermento Docum."),
                field("DataDDT", "Data Docum.", Kind::Date),
                field("Imputazione", "Imputazione"),
                vehicle,
                field("Targa1", "", Kind::Hidden),
                field("Chilometri", "Km", Kind::Amount, 0),
                field("Note", "Note")};
    r.checks = purchaseRowChecks(PurchaseDocument::Invoice);
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il record ?");
    r.ownerField = QStringLiteral("Fattura_ID");
    r.save = [](storage::Archive &archive, qint64 key, const QVariantMap &values) {
        return savePurchaseRow(archive, PurchaseDocument::Invoice, key, values);
    };
    r.remove = [](storage::Archive &archive, qint64 key) {
        return deletePurchaseRow(archive, PurchaseDocument::Invoice, key);
    };
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addPurchaseRow(archive, owner.toLongLong());
    };
    r.helpContext = 3100;
    r.grid = QStringLiteral("frmCarico_DBGrid1");
    return r;
}

RegistryDescriptor buildList()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaCarico");
    r.cardWindow = QStringLiteral("TfrmCarico");
    r.listCaption = QStringLiteral("Fatture di Acquisto");
    r.table = QStringLiteral("fattura");
    // The purchase invoices as a table of their own, so that the window's scope and the filter
    // fields add their conditions to it.
    r.listSql = QStringLiteral(
        "SELECT * FROM (SELECT ID, Fornitore, Fornitore_ID, DataRegistrazione, ProgressivoCarico, "
        "NumeroCarico, "
        "Data, TotImponibile, TotImposta, TotFattura, Storico FROM fattura WHERE Carico = true AND "
        "COALESCE(FattNota, false) = false) AS documenti");
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
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la fattura?");
    r.remove = deletePurchase;
    r.helpContext = 3100;
    r.grid = QStringLiteral("frmGrigliaCarico_Griglia");
    return r;
}

DocumentDescriptor buildInvoice()
{
    DocumentDescriptor d;
    d.window = QStringLiteral("TfrmCarico");
    d.caption = QStringLiteral("Fatture di Acquisto");
    d.table = QStringLiteral("fattura");
    RegistryField supplier =
        choice("Fornitore_ID", "Fornitore", "SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore",
               "TfrmFornitDett", "TFornitori");
    RegistryField number = field("NumeroCarico", "N° Fattura");
    number.maxLength = 20;
    RegistryField image = field("Immagine", "Immagine");
    image.hint = QStringLiteral("Il file dell'immagine della fattura");
    DocumentTab header{
        QStringLiteral("   Testata   "),
        {field("ProgressivoCarico", "Progressivo", Kind::Amount, 0),
         field("DataRegistrazione", "Data Registrazione", Kind::Date), number,
         field("Data", "Data", Kind::Date), supplier, field("Fornitore", "", Kind::Hidden), image,
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
         field("Note", "Note"), field("ImportatoXml", "importato da xml", Kind::Check)},
        {{[] { return &invoicing::supplierInstalmentsRegistry(); }, QStringLiteral("Fattura_ID"),
          QStringLiteral("Scadenza Pagamenti"), QStringLiteral("frmCarico_DBGrid3")}}};
    DocumentTab rows{QStringLiteral("   Righe   "),
                     {},
                     {{[] { return &purchaseInvoiceRowsRegistry(); }, QStringLiteral("Fattura_ID"),
                       QStringLiteral("Righe"), QStringLiteral("frmCarico_DBGrid1")}}};
    d.tabs = {header, rows};
    d.checks = purchaseChecks(PurchaseDocument::Invoice);
    d.save = savePurchaseHeader;
    d.remove = deletePurchase;
    d.computedFields = {QStringLiteral("TotImponibile"), QStringLiteral("TotImposta"),
                        QStringLiteral("TotFattura")};
    d.helpContext = 3100;
    return d;
}

} // namespace

const DocumentDescriptor &purchaseInvoiceDocument()
{
    static const DocumentDescriptor document = buildInvoice();
    return document;
}

const RegistryDescriptor &purchaseInvoiceRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows();
    return registry;
}

const RegistryDescriptor &purchaseInvoicesRegistry()
{
    static const RegistryDescriptor registry = buildList();
    return registry;
}

} // namespace rotalina::purchases
