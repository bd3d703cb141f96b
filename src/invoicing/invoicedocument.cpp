#include "invoicing/invoicedocument.h"

#include "invoicing/creditnotes.h"
#include "invoicing/instalments.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicing/jobimport.h"
#include "shell/accountchoice.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QColor>
#include <QDate>
#include <QFileInfo>
#include <QSqlRecord>

namespace rotalina::invoicing {

using shell::DocumentDescriptor;
using shell::DocumentTab;
using shell::GridColumn;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;

namespace {

const char *const customers =
    "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato";
const char *const suppliers = "SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore";
const char *const banks = "SELECT Id, Banca FROM Bank ORDER BY Banca";
const char *const paymentModes = "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione";
const char *const addresses = "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale";
const char *const staff =
    "SELECT Id, COALESCE(Cognome, '') || ' ' || COALESCE(Nome, '') FROM Personale ORDER BY 2";

RegistryDescriptor buildRows(CustomerDocument document)
{
    const bool creditNote = document == CustomerDocument::CreditNote;
    RegistryDescriptor r;
    r.cardWindow =
        creditNote ? QStringLiteral("TfrmModificaNotaCreditoRighe") : QStringLiteral("TfrmModificaFatture");
    r.cardCaption =
        creditNote ? QStringLiteral("Modifica Nota di Credito") : QStringLiteral("Modifica righe Fattura");
    r.table = creditNote ? QStringLiteral("NotaCreditoRighe") : QStringLiteral("fattdett");
    r.listSql = QStringLiteral("SELECT * FROM ") + r.table;
    r.order = creditNote ? QStringLiteral("NumeroRiga, ID") : QStringLiteral("NumeroRiga, IDX");
    if (creditNote) {
        r.columns = {column("Um", "Quantita", 70),
                     column("Descrizione", "Articolo", 320),
                     column("ValoreUnitario", "Valore Unitario", 100),
                     column("AliquotaIva", "Iva", 50),
                     column("ValoreTotale", "Totale", 100),
                     column("NumeroRiga", "Num.Riga", 60)};
    } else {
        r.columns = {column("Targa1", "Mezzo", 80),
                     column("Descrizione", "Descrizione", 300),
                     column("Um", "Quantità", 70),
                     column("ValoreUnitario", "Valore Unitario", 100),
                     column("Sconto", "Sconto", 60),
                     column("AliquotaIva", "Iva", 50),
                     column("RIFDDT", "Rif. Doc.", 80),
                     column("DataDDT", "Data Doc.", 80),
                     column("Mittente", "altro Mittente", 140),
                     column("NumeroRiga", "Num.Riga", 60),
                     column("note", "Note", 160)};
    }
    // The credit note's table spells some fields its own way.
    const char *const vatField = creditNote ? "Iva_Id" : "Iva_ID";
    const char *const noteField = creditNote ? "Note" : "note";
    RegistryField vat =
        choice(vatField, "Aliquota Iva", "SELECT ID, Descrizione FROM Iva ORDER BY Iva, Descrizione");
    vat.copySql = QStringLiteral("SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?");
    vat.copiedFields = {QStringLiteral("AliquotaIva")};
    RegistryField sender = choice("Mittente_ID", "Altro Mittente", addresses);
    sender.copySql = QStringLiteral("SELECT RagioneSociale AS Mittente FROM Indirizzi WHERE ID = ?");
    sender.copiedFields = {QStringLiteral("Mittente")};
    r.fields = {
        field("Descrizione", "Descrizione", Kind::Memo),
        field("Um", "Quantità", Kind::Amount, 4),
        field("ValoreUnitario", "Valore Unitario", Kind::Amount, 4),
        field("Sconto", "Sconto", Kind::Amount),
        field("ValoreTotale", "Valore Totale", Kind::Amount),
        vat,
        field("AliquotaIva", "", Kind::Hidden),
        choice("Um_ID", "Unità di misura", "SELECT Id, Descrizione FROM UnitaMisura ORDER BY Descrizione"),
        shell::registryChoice("ContabilitaConti_ID", "Conto", shell::accountChoiceSql()),
        field("Codice", "Codice"),
        field("Imputazione", "Imputazione"),
        field("RIFDDT", "Riferimento Docum."),
        field("DataDDT", "Data Docum.", Kind::Date),
        field("RiferimentoAmministrazione", "Rif. Amministraz."),
        field("NumeroRiga", "Numero di riga", Kind::Amount, 0),
        startsColumn(field("DataInizioPeriodo", "Data Trasporto", Kind::Date)),
        field("DataFinePeriodo", "Data Fine", Kind::Date),
        choice("Personale_ID", "Autista", staff),
        choice("Targa1", "Mezzo", "SELECT Targa, Targa FROM Vetture ORDER BY Targa"),
        field("OrdineCarico", "Ordine di Carico"),
        field("Colli", "Colli", Kind::Amount, 0),
        field("Peso", "Peso Dichiarato", Kind::Amount),
        field("PesoRiconosciuto", "Peso Riconosciuto", Kind::Amount),
        field("Volume", "Volume", Kind::Amount),
        field("Chilometri", "Chilometri", Kind::Amount),
        choice("Regione_ID", "Regione", "SELECT IDRegione, Descrizione FROM Regioni ORDER BY Descrizione"),
        startsColumn(field("PercentualeProvvigione", "% Provvigione agente", Kind::Amount)),
        field("Contrassegno", "Contrassegno", Kind::Amount),
        field("ProvvigioneContrassegno", "Provvig. Contrassegno", Kind::Amount),
        sender,
        field("Mittente", "", Kind::Hidden),
        field(noteField, "Note", Kind::Memo)};
    if (creditNote) {
        // No transport-document reference or imputation; the accounts and the carrier by their own names.
        r.fields.removeIf([](const RegistryField &f) {
            return f.field == u"RIFDDT" || f.field == u"DataDDT" || f.field == u"Imputazione";
        });
        for (RegistryField &f : r.fields) {
            if (f.field == u"ContabilitaConti_ID")
                f.caption = QStringLiteral("Contabilità conto");
            else if (f.field == u"Personale_ID")
                f.caption = QStringLiteral("Trasportatore");
            else if (f.field == u"PercentualeProvvigione")
                f.caption = QStringLiteral("% Provvigione");
        }
    }
    r.checks = invoiceRowChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il record ?");
    r.ownerField = creditNote ? QStringLiteral("NotaCredito_ID") : QStringLiteral("NumFatt");
    r.save = creditNote ? saveCreditNoteRow : saveInvoiceRow;
    r.remove = creditNote ? deleteCreditNoteRow : deleteInvoiceRow;
    r.helpContext = creditNote ? 1250 : 1100;
    r.grid = creditNote ? QStringLiteral("frmNotaCredito_GrigliaRighe") : QStringLiteral("Form7_DBGrid2");
    return r;
}

RegistryDescriptor buildInstalments(bool supplier)
{
    RegistryDescriptor r;
    // The same due-date window, in its customer's or its supplier's form.
    r.cardWindow = supplier ? QStringLiteral("TfrmScadenziarioDettaglioFornitori")
                            : QStringLiteral("TfrmScadenziarioDettaglio");
    r.cardCaption = QStringLiteral("Scadenze");
    r.table = QStringLiteral("FatturaScadenze");
    r.listSql = QStringLiteral("SELECT * FROM FatturaScadenze");
    r.order = QStringLiteral("DataScadenza, Numero");
    r.columns = {column("Operazione", "Operazione", 320), column("DataScadenza", "Data Scadenza", 100),
                 column("Importo", "Importo", 100)};
    RegistryField file = field("File", "File");
    file.hint = QStringLiteral("Cerca il file del pagamento");
    r.fields = {field("Operazione", "Descrizione Operazione"),
                field("DataScadenza", "Data Scadenza", Kind::Date),
                choice("ModPagamento_Id", "Modalità di pagamento", paymentModes),
                field("Importo", "Importo Totale", Kind::Amount),
                field("Note", "Note"),
                field("DataPagamento", "Data Pagamento effettuato", Kind::Date),
                field("Numero", "N° Rata", Kind::Amount, 0),
                supplier ? choice("Fornitore_id", "Fornitore", suppliers)
                         : choice("Cliente_id", "Cliente", customers),
                field("Dettagli", "Dettagli pagamento"),
                choice("Banca_ID", "Banca", banks),
                file};
    r.fields[8].maxLength = 150;
    r.checks = instalmentChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record?");
    r.ownerField = QStringLiteral("Fattura_ID");
    r.save = [](storage::Archive &archive, qint64 key, const QVariantMap &values) {
        return saveInstalment(archive, key, values);
    };
    r.remove = deleteInstalment;
    // A due date added by hand is of the document's kind (an invoice's or a credit note's).
    r.add = [](storage::Archive &archive, const QVariant &owner) -> core::Result<qint64> {
        const core::Result<const DueDateKind *> kind = dueDateKindOf(archive, owner.toLongLong());
        if (!kind)
            return core::Result<qint64>::failure(kind.error());
        return addInstalment(archive, owner.toLongLong(), QDate::currentDate(), **kind);
    };
    // Paid instalments stand out in light blue.
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return storage::sqlvalue::toDate(row.value(QStringLiteral("DataPagamento"))).isValid()
                   ? QVariant(QColor(0xCC, 0xE8, 0xFF))
                   : QVariant();
    };
    r.helpContext = 1400;
    r.grid = QStringLiteral("Form7_DBGrid3");
    return r;
}

RegistryDescriptor buildOrders()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModificaOrdiniClienti");
    r.cardCaption = QStringLiteral("Ordini Clienti");
    r.table = QStringLiteral("OrdiniClienti");
    r.listSql = QStringLiteral("SELECT * FROM OrdiniClienti");
    r.order = QStringLiteral("NumeroRiga, Data, ID");
    r.columns = {column("Data", "Data", 90),
                 column("Numero", "Numero", 120),
                 column("CodiceCig", "Codice Cig", 110),
                 column("CodiceCup", "Codice Cup", 110),
                 column("CodiceCommessaConvenzione", "Cod.Comm.Conv.", 120),
                 column("Note", "Note", 200)};
    r.fields = {field("Numero", "Numero"),
                field("Data", "Data", Kind::Date),
                field("CodiceCig", "Codice Cig"),
                field("CodiceCup", "Codice Cup"),
                field("CodiceCommessaConvenzione", "Codice Commessa Convenzione"),
                field("Note", "Note"),
                field("NumeroRiga", "Numero di riga", Kind::Amount, 0)};
    r.fields[0].maxLength = 20;
    r.fields[2].maxLength = 15;
    r.fields[3].maxLength = 15;
    r.fields[4].maxLength = 100;
    r.checks
        .required(QStringLiteral("Numero"), QStringLiteral("E' necessario salvare il numero di Ordine!!!"))
        .required(QStringLiteral("Data"), QStringLiteral("E' necessario salvare la data di Ordine!!!"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il record ?");
    r.ownerField = QStringLiteral("Fattura_ID");
    // A new reference is dated as its invoice, or today.
    r.add = [](storage::Archive &archive, const QVariant &owner) -> core::Result<qint64> {
        const core::Result<QVariant> date =
            archive.scalar(QStringLiteral("SELECT Data FROM fattura WHERE ID = ?"), {owner});
        if (!date)
            return core::Result<qint64>::failure(date.error());
        const QDate dated = storage::sqlvalue::toDate(*date);
        return archive.insert(QStringLiteral("OrdiniClienti"),
                              {{QStringLiteral("Fattura_ID"), owner},
                               {QStringLiteral("Data"), dated.isValid() ? dated : QDate::currentDate()}});
    };
    r.helpContext = 1100;
    r.grid = QStringLiteral("Form7_GridOrdini");
    return r;
}

RegistryDescriptor buildAttachments()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModifica_Fattura_Allegati");
    r.cardCaption = QStringLiteral("Allegati");
    r.table = QStringLiteral("Fattura_Allegati");
    r.listSql = QStringLiteral("SELECT * FROM Fattura_Allegati");
    r.order = QStringLiteral("ID");
    r.columns = {column("NomeAttachment", "Nome", 180), column("DescrizioneAttachment", "Descrizione", 240),
                 column("PercorsoCompleto", "Percorso", 320)};
    r.fields = {field("DescrizioneAttachment", "Descrizione"), field("NomeAttachment", "Nome allegato"),
                field("AlgoritmoCompressione", "Algoritmo compressione"),
                field("FormatoAttachment", "Formato"), field("PercorsoCompleto", "Percorso")};
    // The lengths the electronic invoice allows.
    r.fields[0].maxLength = 100;
    r.fields[1].maxLength = 60;
    r.fields[2].maxLength = 10;
    r.fields[3].maxLength = 10;
    r.checks
        .required(QStringLiteral("NomeAttachment"), QStringLiteral("Attenzione manca il nome dell'allegato"))
        .required(QStringLiteral("PercorsoCompleto"),
                  QStringLiteral("Attenzione manca il Percorso dell'allegato"))
        .add(QStringLiteral("PercorsoCompleto"),
             QStringLiteral("Attenzione il File non risulta esistere nel percorso definito !"),
             [](const QVariantMap &values) {
                 return QFileInfo(values.value(QStringLiteral("PercorsoCompleto")).toString().trimmed())
                     .isFile();
             });
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record dell'Allegato ?");
    r.ownerField = QStringLiteral("Fattura_Id");
    r.helpContext = 1100;
    r.grid = QStringLiteral("Form7_DBGrid13");
    return r;
}

RegistryDescriptor buildSeries()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmSerieFatturazione");
    r.listCaption = QStringLiteral("Serie di Fatturazione");
    r.table = QStringLiteral("SerieFatturazione");
    r.listSql = QStringLiteral("SELECT * FROM SerieFatturazione");
    r.order = QStringLiteral("Serie");
    r.columns = {column("Serie", "Serie", 100), column("Descrizione", "Descrizione", 260),
                 column("Note", "Note", 200)};
    r.filters = {{QStringLiteral("Serie"), QStringLiteral("Serie")}};
    r.fields = {field("Serie", "Serie"), field("Descrizione", "Descrizione"), field("Note", "Note")};
    r.fields[0].maxLength = 20;
    r.checks.required(QStringLiteral("Serie"), QStringLiteral("Attenzione manca la Serie"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la Serie di Fatturazione?");
    r.helpContext = 1300;
    return r;
}

// The columns a list of customer documents reads: what it shows and what its filters ask.
const char *const documentListColumns =
    "ID, Num, SerieFatturazione, Data, DatiTrasmissione_ProgressivoInvio, Cliente, Cliente_ID, TotFattura, "
    "EsportatoXml, Banca_ID, ModPagamento_Id, Storico";

RegistryDescriptor buildDocumentList(CustomerDocument document)
{
    const bool creditNote = document == CustomerDocument::CreditNote;
    RegistryDescriptor r;
    r.listWindow =
        creditNote ? QStringLiteral("TfrmGrigliaNoteCredito") : QStringLiteral("TfrmGrigliaFatture");
    r.cardWindow = creditNote ? QStringLiteral("TfrmNotaCredito") : QStringLiteral("TForm7");
    r.listCaption = creditNote ? QStringLiteral("Note di Credito") : QStringLiteral("Fatture");
    r.table = QStringLiteral("fattura");
    // The documents of the kind as a table of their own, so that the window's scope (open or of a
    // history period) and the filter fields add their conditions to it.
    r.listSql = QStringLiteral("SELECT * FROM (SELECT %1 FROM fattura WHERE Carico = false AND "
                               "COALESCE(FattNota, false) = %2) AS documenti")
                    .arg(QLatin1String(documentListColumns),
                         creditNote ? QStringLiteral("true") : QStringLiteral("false"));
    r.order = QStringLiteral("Num, ID");
    const GridColumn exported = column("EsportatoXml", "Esp. Xml", 70);
    if (creditNote) {
        r.columns = {column("Cliente", "Cliente", 260),
                     column("SerieFatturazione", "Serie", 60),
                     column("Num", "Numero", 70),
                     column("Data", "Data", 90),
                     column("TotFattura", "Totale ", 100),
                     column("DatiTrasmissione_ProgressivoInvio", "Num. Invio", 80),
                     exported};
    } else {
        r.columns = {column("SerieFatturazione", "Serie", 60),
                     column("Num", "Numero", 70),
                     column("Data", "Data", 90),
                     column("DatiTrasmissione_ProgressivoInvio", "Num. Invio", 80),
                     column("Cliente", "Cliente", 260),
                     column("TotFattura", "Importo", 100),
                     exported};
    }
    r.fields = {field("TotFattura", "Totale", Kind::Amount), field("EsportatoXml", "Esp. Xml", Kind::Check)};
    // Documents already sent as electronic invoices stand out in light green.
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return row.value(QStringLiteral("EsportatoXml")).toBool() ? QVariant(QColor(0xD8, 0xF0, 0xD0))
                                                                  : QVariant();
    };
    r.multiSelect = true;
    r.deleteQuestion = creditNote ? QStringLiteral("Sei sicuro di voler eliminare la nota di credito?")
                                  : QStringLiteral("Sei sicuro di voler eliminare la fattura?");
    r.remove = deleteInvoice;
    r.helpContext = 1000;
    r.grid = creditNote ? QStringLiteral("frmGrigliaNoteCredito_Griglia")
                        : QStringLiteral("frmGrigliaFatture_Griglia");
    return r;
}

DocumentDescriptor buildDocument(CustomerDocument document)
{
    const bool creditNote = document == CustomerDocument::CreditNote;
    const auto caption = [creditNote](const char *invoice, const char *note) {
        return creditNote ? note : invoice;
    };
    DocumentDescriptor d;
    d.window = creditNote ? QStringLiteral("TfrmNotaCredito") : QStringLiteral("TForm7");
    d.caption = creditNote ? QStringLiteral("Note di Credito") : QStringLiteral("Fatturazione");
    d.table = QStringLiteral("fattura");
    RegistryField number =
        field("Num", creditNote ? "Numero Nota credito" : "Numero fattura", Kind::Amount, 0);
    RegistryField customer = choice("Cliente_ID", "Cliente", customers, "TfrmClientiDett", "TfrmClienti");
    customer.cardButton = QStringLiteral("SpeedButton22");
    RegistryField transmission = field("DatiTrasmissione_ProgressivoInvio", "Progressivo Trasmissione");
    transmission.maxLength = 10;
    QList<RegistryField> headerFields{
        field("Data", creditNote ? "Data" : "Data di emissione Fatt.", Kind::Date),
        number,
        choice("SerieFatturazione", "Serie", "SELECT Serie, Serie FROM SerieFatturazione ORDER BY Serie",
               nullptr, "TfrmSerieFatturazione"),
        customer,
        field("Cliente", "", Kind::Hidden),
        field("DatiTrasmissione_FormatoTrasmissione", "", Kind::Hidden),
        field("Note", "Note"),
        choice("Destinatario_ID", "Destinatario", addresses, "TfrmIndirizziDettaglio", "TfrmIndirizzi"),
        choice("Agente_id", "Agente", "SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore",
               "TfrmFornitDett", "TFornitori"),
        field("NonNumerare", "Non Numerare", Kind::Check),
        field("EsportatoXml", "Esp. Xml", Kind::Check),
        startsColumn(field("DatiTrasmissione_NumeroInterno", "Tramissione Num. Interno", Kind::Amount, 0)),
        transmission,
        field("TotImponibile", caption("Imponibile", "Totale Imponibile"), Kind::Amount),
        field("TotImposta", caption("Imposta", "Totale Imposta"), Kind::Amount),
        field("TotFattura", caption("Totale Fattura", "Totale Nota Credito"), Kind::Amount),
        field("TotColli", "Totale Colli", Kind::Amount, 0),
        field("TotProvvigioneContrassegno", caption("Provvig. Contrassegno", "Totale Provv. Contrass."),
              Kind::Amount),
        choice("Banca_ID", "Banca", banks, "TAnaBanca", "TfrmGrigliaBanche"),
        choice("ModPagamento_Id", "Modalità di Pagamento", paymentModes, "TfrmModPagamDett", "TfrmModPagam")};
    if (creditNote) {
        // The note stands in "Altro".
        headerFields.removeIf([](const RegistryField &f) { return f.field == u"Note"; });
        // The invoice credited, under the credit note's own data.
        const qsizetype at = std::find_if(headerFields.cbegin(), headerFields.cend(),
                                          [](const RegistryField &f) {
                                              return f.field == u"DatiTrasmissione_NumeroInterno";
                                          }) -
                             headerFields.cbegin();
        const QList<RegistryField> credited{field("NCFattNumRif", "Fattura di Riferimento", Kind::Amount, 0),
                                            field("NCFattDataRif", "Data fattura", Kind::Date),
                                            field("NCFatSerieRif", "Serie fattura"),
                                            field("NCFattIDRif", "", Kind::Hidden)};
        for (qsizetype i = 0; i < credited.size(); ++i)
            headerFields.insert(at + i, credited.at(i));
    }
    DocumentTab header{
        QString::fromUtf8(caption("Testata", "Testata ")),
        headerFields,
        {{[] { return &customerInstalmentsRegistry(); }, QStringLiteral("Fattura_ID"),
          QStringLiteral("Pagamenti"),
          creditNote ? QStringLiteral("frmNotaCredito_GrigliaScadenze") : QStringLiteral("Form7_DBGrid3")}}};
    const RegistryDescriptor &rowsRegistry = creditNote ? creditNoteRowsRegistry() : invoiceRowsRegistry();
    DocumentTab rows{QString::fromUtf8(caption("Righe", " Righe ")),
                     {},
                     {{[creditNote]() -> const RegistryDescriptor * {
                           return creditNote ? &creditNoteRowsRegistry() : &invoiceRowsRegistry();
                       },
                       rowsRegistry.ownerField, QStringLiteral("Righe"), rowsRegistry.grid}}};
    DocumentTab accompanying{
        QString::fromUtf8(caption("Accompagnatoria", " Accompagnatoria ")),
        {choice("Porto_ID", "Porto", "SELECT id, Descrizione FROM FatturaPorto ORDER BY Descrizione"),
         choice("Vettore_ID", "Vettore", "SELECT id, Descrizione FROM Vettore ORDER BY Descrizione"),
         choice("Aspetto_ID", "Aspetto esteriore",
                "SELECT id, Descrizione FROM FatturaAspetto ORDER BY Descrizione"),
         choice("Personale_ID", "Personale", staff),
         field("datatrasporto", "Data e ora trasporto", Kind::Date),
         field("Colli", "N° Colli", Kind::Amount, 0),
         field("DatiAnagraficiVettore", "Includi in xml", Kind::Check)},
        {}};
    DocumentTab orders{QStringLiteral("Ordini"),
                       {},
                       {{[] { return &customerOrdersRegistry(); }, QStringLiteral("Fattura_ID"),
                         QStringLiteral("Ordini del cliente"), QStringLiteral("Form7_GridOrdini")}}};
    DocumentTab attachments{
        QStringLiteral("Allegati"),
        {},
        {{[] { return &invoiceAttachmentsRegistry(); }, QStringLiteral("Fattura_Id"),
          QStringLiteral("Allegati"),
          creditNote ? QStringLiteral("frmNotaCredito_GrigliaAllegati") : QStringLiteral("Form7_DBGrid13")}}};
    // The job orders copied into the invoice; the window adds the buttons that import and remove them.
    DocumentTab imports{QStringLiteral("Importazioni"),
                        {},
                        {{[] { return &invoiceJobOrdersRegistry(); }, QStringLiteral("Fattura_ID"),
                          QStringLiteral("Commesse"), QStringLiteral("Form7_DBGrid4")}}};
    DocumentTab other{QString::fromUtf8(caption("Altro", " Altro ")),
                      {field("Causale", "Causale"),
                       field("ReferenteIva", "Referente Iva per cliente estero", Kind::Memo),
                       field("Depositata", "Pagamento depositato", Kind::Check),
                       field("ScissionePagamenti", "Scissione pagamenti", Kind::Check),
                       field("ConaiAssolto", "Contributo Conai Assolto", Kind::Check)},
                      {}};
    if (creditNote) {
        other.fields = {field("Note", "Note", Kind::Memo), field("Causale", "Causale"),
                        field("ScissionePagamenti", "Scissione pagamenti", Kind::Check)};
        // No customer's orders: a credit note refers to its invoice.
        d.tabs = {header, rows, accompanying, attachments, other};
        d.checks = creditNoteChecks();
        d.save = [](storage::Archive &archive, qint64 key, const QVariantMap &changed) {
            QVariantMap values = changed;
            values.insert(QStringLiteral("FattNota"), true);
            return saveInvoiceHeader(archive, key, values);
        };
        d.helpContext = 1250;
    } else {
        d.tabs = {header, rows, accompanying, orders, attachments, other, imports};
        d.checks = invoiceChecks();
        d.save = saveInvoiceHeader;
        d.helpContext = 1100;
    }
    d.remove = deleteInvoice;
    d.computedFields = {QStringLiteral("TotImponibile"), QStringLiteral("TotImposta"),
                        QStringLiteral("TotFattura"), QStringLiteral("TotColli"),
                        QStringLiteral("TotProvvigioneContrassegno")};
    if (creditNote)
        d.computedFields += {QStringLiteral("NCFattDataRif"), QStringLiteral("NCFatSerieRif"),
                             QStringLiteral("NCFattNumRif"), QStringLiteral("NCFattIDRif")};
    return d;
}

} // namespace

const DocumentDescriptor &invoiceDocument()
{
    static const DocumentDescriptor document = buildDocument(CustomerDocument::Invoice);
    return document;
}

const DocumentDescriptor &creditNoteDocument()
{
    static const DocumentDescriptor document = buildDocument(CustomerDocument::CreditNote);
    return document;
}

const RegistryDescriptor &invoiceRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows(CustomerDocument::Invoice);
    return registry;
}

const RegistryDescriptor &creditNoteRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows(CustomerDocument::CreditNote);
    return registry;
}

const RegistryDescriptor &customerInstalmentsRegistry()
{
    static const RegistryDescriptor registry = buildInstalments(false);
    return registry;
}

const RegistryDescriptor &supplierInstalmentsRegistry()
{
    static const RegistryDescriptor registry = buildInstalments(true);
    return registry;
}

const RegistryDescriptor &customerOrdersRegistry()
{
    static const RegistryDescriptor registry = buildOrders();
    return registry;
}

const RegistryDescriptor &invoiceAttachmentsRegistry()
{
    static const RegistryDescriptor registry = buildAttachments();
    return registry;
}

const RegistryDescriptor &invoiceSeriesRegistry()
{
    static const RegistryDescriptor registry = buildSeries();
    return registry;
}

const RegistryDescriptor &openInvoicesRegistry()
{
    static const RegistryDescriptor registry = buildDocumentList(CustomerDocument::Invoice);
    return registry;
}

const RegistryDescriptor &openCreditNotesRegistry()
{
    static const RegistryDescriptor registry = buildDocumentList(CustomerDocument::CreditNote);
    return registry;
}

core::Status saveInvoiceHeader(storage::Archive &archive, qint64 invoice, const QVariantMap &changed)
{
    QVariantMap values = changed;
    // The flags are never left empty.
    if (values.contains(QStringLiteral("ConaiAssolto")) &&
        !values.value(QStringLiteral("ConaiAssolto")).toBool())
        values.insert(QStringLiteral("ConaiAssolto"), false);
    values.insert(QStringLiteral("Carico"), false);
    const core::Result<const DueDateKind *> kind = dueDateKindOf(archive, invoice);
    if (!kind)
        return core::Status::failure(kind.error());
    storage::Transaction transaction(archive);
    if (core::Status written = archive.update(QStringLiteral("fattura"), invoice, values); !written)
        return written;
    // A new date moves the due dates (those paid stay); the rest changes their amounts or texts.
    if (changed.contains(QStringLiteral("Data"))) {
        if (core::Status dates =
                generateDueDates(archive, invoice, DueDateMode::NewDates, PaidInstalments::Keep, **kind);
            !dates)
            return dates;
        return transaction.commit();
    }
    static const QStringList describedBy{QStringLiteral("Num"), QStringLiteral("SerieFatturazione"),
                                         QStringLiteral("Cliente_ID"), QStringLiteral("ScissionePagamenti")};
    for (const QString &field : describedBy) {
        if (changed.contains(field)) {
            if (core::Status dates =
                    generateDueDates(archive, invoice, DueDateMode::KeepDates, PaidInstalments::Keep, **kind);
                !dates)
                return dates;
            break;
        }
    }
    return transaction.commit();
}

} // namespace rotalina::invoicing
