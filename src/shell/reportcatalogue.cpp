#include "shell/reportcatalogue.h"

#include "core/datetext.h"
#include "core/numbertext.h"
#include "storage/sqldialect.h"

namespace rotalina::shell {

namespace {

using core::datetext::Bound;
using storage::SqlDialect;

QString number(qint64 value)
{
    return QString::number(value);
}

QString dateLiteral(const QDate &date, Bound bound = Bound::StartOfDay)
{
    return core::datetext::sqlLiteral(date, bound);
}

// The job orders of the driver chosen in the print window, as first or second driver; nothing
// when no driver was chosen.
QString driverCondition(const ReportContext &context)
{
    return context.partyKey
               ? QStringLiteral(" AND (TotaliCo.Personale_ID = %1 OR TotaliCo.Personale2_ID = %1)")
                     .arg(number(*context.partyKey))
               : QString();
}

// The conditions of a situation print: each only when its box was filled.
QString situationConditions(const QString &partyField, const QString &dateField, const ReportContext &context)
{
    QString conditions;
    if (context.partyKey)
        conditions += QStringLiteral(" AND %1 = %2").arg(partyField, number(*context.partyKey));
    if (context.from.isValid())
        conditions += QStringLiteral(" AND %1 >= %2").arg(dateField, dateLiteral(context.from));
    if (context.to.isValid())
        conditions +=
            QStringLiteral(" AND %1 <= %2").arg(dateField, dateLiteral(context.to, Bound::EndOfDay));
    return conditions;
}

// The columns of a customer's address as documents print it.
const QString customerColumns = QStringLiteral(
    "Clienti.NominativoDocumenti AS Cliente, Clienti.Via, Clienti.NumCasa, Clienti.Cap, Clienti.Citta, "
    "Clienti.Provincia, Clienti.Iva AS PartitaIva, Clienti.CodFiscale, Clienti.Telefono, Clienti.EMail, "
    "Clienti.CodiceUnivocoUfficio, Clienti.Codice AS CodiceDestinatario, Clienti.Pec");

// The due dates of one document, unless its payment terms say not to print them.
QString dueDates(qint64 document)
{
    return QStringLiteral(
               "SELECT FatturaScadenze.Numero, FatturaScadenze.DataScadenza, FatturaScadenze.Importo, "
               "ModPagamento.Descrizione AS ModalitaPagamento, FatturaScadenze.DataPagamento "
               "FROM FatturaScadenze LEFT JOIN ModPagamento ON FatturaScadenze.ModPagamento_Id = "
               "ModPagamento.id "
               "WHERE FatturaScadenze.Fattura_ID = %1 AND NOT EXISTS (SELECT 1 FROM fattura f "
               "INNER JOIN ModPagamento m ON f.ModPagamento_Id = m.id WHERE f.ID = %1 AND "
               "m.NonVisualizzareStampa = true) ORDER BY FatturaScadenze.Numero")
        .arg(number(document));
}

QString cashBook(const QString &where)
{
    return QStringLiteral(
               "SELECT finanzia.Data, TipologiaPrimaNota.Descrizione AS Tipologia, finanzia.Operazione, "
               "Fornitor.Fornitore, Clienti.NominativoDocumenti AS Cliente, finanzia.Entrata, "
               "finanzia.Uscita, "
               "finanzia.Note, finanzia.Tipologia_ID, ModPagamento.Descrizione AS ModalitaPagamento, "
               "Bank.Banca, "
               "Bank.Iban, ContabilitaConti.Descrizione AS ContabilitaConto, finanzia.Corrispettivi, "
               "finanzia.AliquotaIva "
               "FROM finanzia LEFT JOIN Clienti ON finanzia.Cliente_id = Clienti.Id "
               "LEFT JOIN Fornitor ON finanzia.Fornitore_id = Fornitor.Id "
               "LEFT JOIN ModPagamento ON finanzia.ModPagamento_Id = ModPagamento.id "
               "LEFT JOIN Bank ON finanzia.Banca_ID = Bank.Id "
               "LEFT JOIN TipologiaPrimaNota ON finanzia.Tipologia_ID = TipologiaPrimaNota.Id "
               "LEFT JOIN ContabilitaConti ON finanzia.ContabilitaConti_ID = ContabilitaConti.ID%1")
        .arg(where);
}

QString customerDueDates(const QString &paid, bool suppliers)
{
    return QStringLiteral(
               "SELECT FatturaScadenze.DataScadenza, %1, ClientiCategoria.Descrizione AS CategoriaCliente, "
               "ModPagamento.Descrizione AS ModalitaPagamento, FatturaScadenze.Importo, fattura.Data AS "
               "DataFattura, "
               "fattura.Num AS NumeroFattura, fattura.NumeroCarico, fattura.DataRegistrazione, "
               "FatturaScadenze.Operazione, "
               "fattura.SerieFatturazione, fattura.FattNota, Bank.Banca, Bank.Iban, "
               "FatturaScadenze.DataPagamento, "
               "Clienti.Telefono, Clienti.Cellulare "
               "FROM FatturaScadenze INNER JOIN fattura ON FatturaScadenze.Fattura_ID = fattura.ID "
               "LEFT JOIN Clienti ON FatturaScadenze.Cliente_id = Clienti.Id "
               "LEFT JOIN Fornitor ON FatturaScadenze.Fornitore_id = Fornitor.Id "
               "LEFT JOIN Bank ON FatturaScadenze.Banca_ID = Bank.Id "
               "LEFT JOIN ModPagamento ON FatturaScadenze.ModPagamento_Id = ModPagamento.id "
               "LEFT JOIN ClientiCategoria ON Clienti.Categoria_ID = ClientiCategoria.ID "
               "WHERE FatturaScadenze.DataPagamento %2 AND %3 ORDER BY FatturaScadenze.DataScadenza")
        .arg(suppliers ? QStringLiteral("Fornitor.Fornitore AS Fornitore")
                       : QStringLiteral("Clienti.NominativoDocumenti AS Cliente"),
             paid,
             suppliers ? QStringLiteral("(FatturaScadenze.Tipo = 'C' OR FatturaScadenze.Tipo = 'B')")
                       : QStringLiteral("FatturaScadenze.Tipo <> 'C' AND FatturaScadenze.Tipo <> 'B'"));
}

QString documentList(const QString &where, const QString &order)
{
    return QStringLiteral(
               "SELECT fattura.ID, fattura.Num AS Numero, fattura.SerieFatturazione, fattura.Data, "
               "fattura.NumeroCarico, fattura.DataRegistrazione, fattura.ProgressivoCarico, "
               "COALESCE(fattura.Cliente, fattura.Fornitore) AS Intestatario, fattura.Cliente, "
               "fattura.Fornitore, "
               "ModPagamento.Descrizione AS ModalitaPagamento, fattura.TotImponibile, fattura.TotImposta, "
               "fattura.TotFattura, fattura.EsportatoXml "
               "FROM fattura LEFT JOIN ModPagamento ON fattura.ModPagamento_Id = ModPagamento.id "
               "WHERE %1 ORDER BY %2")
        .arg(where, order);
}

QString vatSettlements(bool monthly, const std::optional<qint64> &key)
{
    const QString header = monthly ? QStringLiteral("ContabilitaChiusuraIvaMensile")
                                   : QStringLiteral("ContabilitaChiusuraIvaTrimestre");
    const QString period =
        monthly
            ? QStringLiteral("%1.Mese AS Periodo, %1.DescrizioneMese AS DescrizionePeriodo, "
                             "%1.CreditoResiduoMesePassato AS CreditoPrecedente")
            : QStringLiteral("%1.Trimestre AS Periodo, ContabilitaTrimestri.Descrizione AS "
                             "DescrizionePeriodo, %1.CreditoResiduoTrimestrePassato AS CreditoPrecedente");
    const QString quarters =
        monthly
            ? QString()
            : QStringLiteral(" LEFT JOIN ContabilitaTrimestri ON %1.Trimestre = ContabilitaTrimestri.Numero")
                  .arg(header);
    return QStringLiteral(
               "SELECT %1.id, %1.Anno, %2, %1.VenditaImponibile, %1.VenditaImposta, %1.AcquistiImponibile, "
               "%1.AcquistiImposta, %1.CorrispettiviImponibile, %1.CorrispettiviImposta, %1.TotaleIvaDebito, "
               "%1.TotaleIvaCredito, Righe.IvaDescrizione, Righe.Carico, Righe.Corrispettivi, "
               "Righe.TotaleImponibile, Righe.TotaleIva "
               "FROM %1 LEFT JOIN %1Righe Righe ON Righe.%1_ID = %1.id%3%4 ORDER BY %1.Anno, Periodo, "
               "Righe.Carico DESC, Righe.Corrispettivi, Righe.IvaDescrizione")
        .arg(header, period.arg(header), quarters,
             key ? QStringLiteral(" WHERE %1.id = %2").arg(header).arg(*key) : QString());
}

// The owner-drivers' instalments, paid or not: of the owner-driver and the period of the context
// when it names them (the card prints one owner-driver's), else all of them.
QString ownerDriverInstalments(const QString &paid, const QString &dateField, const ReportContext &context)
{
    return QStringLiteral(
               "SELECT PadronciniScadenze.DataScadenza, Padroncini.RagioneSociale AS Padroncino, "
               "PadronciniScadenze.Numero, PadronciniScadenze.DataRiferimento, PadronciniScadenze.Importo, "
               "ModPagamento.Descrizione AS ModalitaPagamento, Bank.Banca, PadronciniScadenze.DataPagamento, "
               "PadronciniScadenze.Note FROM PadronciniScadenze "
               "INNER JOIN Padroncini ON PadronciniScadenze.Padroncino_ID = Padroncini.id "
               "LEFT JOIN ModPagamento ON PadronciniScadenze.ModPagamento_Id = ModPagamento.id "
               "LEFT JOIN Bank ON PadronciniScadenze.Banca_ID = Bank.Id "
               "WHERE PadronciniScadenze.pagato = %1%2 ORDER BY PadronciniScadenze.DataScadenza, "
               "Padroncini.RagioneSociale")
        .arg(paid,
             situationConditions(QStringLiteral("PadronciniScadenze.Padroncino_ID"), dateField, context));
}

QString staffCosts(const QString &where)
{
    return QStringLiteral("SELECT Personale.Personale, PersonaleCosti.Data, PersonaleCosti.TipologiaCosto, "
                          "PersonaleCosti.Importo, PersonaleCosti.Note FROM PersonaleCosti "
                          "INNER JOIN Personale ON PersonaleCosti.Personale_ID = Personale.Id%1 "
                          "ORDER BY Personale.Personale, PersonaleCosti.Data")
        .arg(where);
}

QString staffDeadlines(const QString &where)
{
    return QStringLiteral(
               "SELECT Personale.Personale, PersonaleScadenze.DataScadenza, PersonaleScadenze.DataAvviso, "
               "PersonaleScadenze.Descrizione, PersonaleScadenze.Tipologia, PersonaleScadenze.Validato, "
               "PersonaleScadenze.Note FROM PersonaleScadenze "
               "INNER JOIN Personale ON PersonaleScadenze.Personale_ID = Personale.Id%1 "
               "ORDER BY Personale.Personale, PersonaleScadenze.DataScadenza")
        .arg(where);
}

QString staffSalaries(const QString &order)
{
    return QStringLiteral(
               "SELECT Personale.Personale, PersonaleStipendi.Anno, PersonaleStipendi.Mese, Mesi.Descrizione "
               "AS "
               "NomeMese, PersonaleStipendi.Base, PersonaleStipendi.Giorni, PersonaleStipendi.Trasferta, "
               "PersonaleStipendi.Assegni, PersonaleStipendi.Addebiti, "
               "PersonaleStipendi.Addebiti_Descrizione, "
               "PersonaleStipendi.Accrediti, PersonaleStipendi.Accrediti_Descrizione, "
               "PersonaleStipendi.TotaleParziale, "
               "PersonaleStipendi.ImportoBonifico, PersonaleStipendi.DataPagamento, PersonaleStipendi.Note "
               "FROM PersonaleStipendi INNER JOIN Personale ON PersonaleStipendi.Personale_ID = Personale.Id "
               "LEFT JOIN Mesi ON PersonaleStipendi.Mese = Mesi.numero ORDER BY %1")
        .arg(order);
}

QString vehicles(const QString &where)
{
    return QStringLiteral(
               "SELECT Vetture.ID, Vetture.Targa, Vetture.Modello, Vetture.VeicoloDesc, Veicoli.Descrizione "
               "AS "
               "Veicolo, Carburanti.Descrizione AS Carburante, Vetture.Colore, Vetture.Cilindrata, "
               "Vetture.DataImmatricolazione, Vetture.NumTelaio, Vetture.CostoAcquisto, Vetture.Chilometri, "
               "Personale.Personale AS Autista, Vetture.TotaleCarburante, Vetture.TotaleLitriCarburante, "
               "Vetture.TotaleCostoManutenzione, Vetture.Note FROM Vetture "
               "LEFT JOIN Veicoli ON Vetture.Veicolo_ID = Veicoli.Id "
               "LEFT JOIN Carburanti ON Vetture.Carburante_id = Carburanti.id "
               "LEFT JOIN Personale ON Vetture.Personale_ID = Personale.Id%1 ORDER BY Vetture.Targa")
        .arg(where);
}

QString vehicleCosts(const QString &where)
{
    return QStringLiteral(
               "SELECT Vetture.Targa, Vetture.Modello, VettureCosti.Data, VettureCosti.TipologiaCosto, "
               "VettureCosti.Importo, VettureCosti.Note FROM VettureCosti "
               "INNER JOIN Vetture ON VettureCosti.Vettura_ID = Vetture.ID%1 ORDER BY Vetture.Targa, "
               "VettureCosti.Data")
        .arg(where);
}

QString vehicleFuel(const QString &where, const QString &order)
{
    return QStringLiteral(
               "SELECT Vetture.Targa, VettureCarburante.Data, Carburanti.Descrizione AS Carburante, "
               "VettureCarburante.Litri, VettureCarburante.Importo, VettureCarburante.KmPartenza, "
               "VettureCarburante.KmArrivo, VettureCarburante.KmDifferenza, Rifornimenti.Descrizione AS "
               "Rifornimento, VettureCarburante.Cisterna, Personale.Personale AS Autista, "
               "VettureCarburante.Note "
               "FROM VettureCarburante INNER JOIN Vetture ON VettureCarburante.Vettura_ID = Vetture.ID "
               "LEFT JOIN Carburanti ON VettureCarburante.Carburante_id = Carburanti.id "
               "LEFT JOIN Rifornimenti ON VettureCarburante.Rifornimento_ID = Rifornimenti.id "
               "LEFT JOIN Personale ON VettureCarburante.Personale_ID = Personale.Id%1 ORDER BY %2")
        .arg(where, order);
}

QString vehicleDeadlines(const QString &where)
{
    return QStringLiteral("SELECT Vetture.Targa, Vetture.Modello, VettureScadenze.DataScadenza, "
                          "VettureScadenze.DataAvviso, "
                          "VettureScadenze.Descrizione, VettureScadenze.Validato, VettureScadenze.Note FROM "
                          "VettureScadenze "
                          "INNER JOIN Vetture ON VettureScadenze.Vettura_ID = Vetture.ID%1 "
                          "ORDER BY VettureScadenze.DataScadenza, Vetture.Targa")
        .arg(where);
}

QString jobOrder(qint64 key, const QString &rowCondition)
{
    return QStringLiteral(
               "SELECT TotaliCo.ID, TotaliCo.Numero, TotaliCo.Serie, TotaliCo.Data, TotaliCo.DataCarico, "
               "TotaliCo.DataScarico, "
               "TotaliCo.OrdineCarico, TotaliCo.Targa1, TotaliCo.Targa2, TotaliCo.Note AS NoteCommessa, "
               "TotaliCo.NoteDestinatario, "
               "TotaliCo.TotImponibile, TotaliCo.TotImposta, TotaliCo.TotFattura, TotaliCo.TotColli, "
               "TotaliCo.CostoPadroncino, "
               "%1, Mittente.RagioneSociale AS Mittente, Mittente.Indirizzo AS MittenteIndirizzo, "
               "ComuneMittente.Comune AS MittenteComune, ComuneMittente.Provincia AS MittenteProvincia, "
               "Destinatario.RagioneSociale AS Destinatario, Destinatario.Indirizzo AS "
               "DestinatarioIndirizzo, "
               "ComuneDestinatario.Comune AS DestinatarioComune, ComuneDestinatario.Provincia AS "
               "DestinatarioProvincia, "
               "NazioneDestinatario.DENOMINAZ AS DestinatarioNazione, Autista.Personale AS Autista, "
               "Autista2.Personale AS "
               "Autista2, FatturaPorto.Descrizione AS Porto, FatturaAspetto.Descrizione AS Aspetto, "
               "Padroncini.RagioneSociale "
               "AS Padroncino, Padroncini.Indirizzo AS PadroncinoIndirizzo, ComunePadroncino.Comune AS "
               "PadroncinoComune, "
               "ComunePadroncino.Provincia AS PadroncinoProvincia, Padroncini.Iva AS PadroncinoIva, "
               "Padroncini.CodFisc AS "
               "PadroncinoCodFiscale, "
               "ModPagamento.Descrizione AS ModalitaPagamento, Conti.IDX, Conti.NumeroRiga, Conti.Codice, "
               "Conti.Descrizione, "
               "Conti.Um AS Quantita, UnitaMisura.Descrizione AS UnitaMisura, Conti.ValoreUnitario, "
               "Conti.Sconto, "
               "Conti.AliquotaIva, Iva.Descrizione AS DescrizioneIva, Conti.TotaleImponibile, "
               "Conti.ValoreTotale, Conti.Colli, "
               "Conti.Peso, Conti.Volume, "
               "Conti.Chilometri, Conti.Contrassegno, Conti.ProvvigioneContrassegno, Conti.RIFDDT, "
               "Conti.DataDDT, "
               "Conti.DataInizioPeriodo, Conti.Note AS NoteRiga "
               "FROM TotaliCo LEFT JOIN Conti ON Conti.Testata_ID = TotaliCo.ID%2 "
               "LEFT JOIN Clienti ON TotaliCo.Cliente_Id = Clienti.Id "
               "LEFT JOIN Indirizzi Mittente ON TotaliCo.Mittente_ID = Mittente.ID "
               "LEFT JOIN Comuni ComuneMittente ON Mittente.Comune_ID = ComuneMittente.ID "
               "LEFT JOIN Indirizzi Destinatario ON TotaliCo.Destinatario_ID = Destinatario.ID "
               "LEFT JOIN Comuni ComuneDestinatario ON Destinatario.Comune_ID = ComuneDestinatario.ID "
               "LEFT JOIN Nazioni NazioneDestinatario ON Destinatario.Nazione_ID = "
               "NazioneDestinatario.IDNazione "
               "LEFT JOIN Personale Autista ON TotaliCo.Personale_ID = Autista.Id "
               "LEFT JOIN Personale Autista2 ON TotaliCo.Personale2_ID = Autista2.Id "
               "LEFT JOIN FatturaPorto ON TotaliCo.Porto_ID = FatturaPorto.id "
               "LEFT JOIN FatturaAspetto ON TotaliCo.Aspetto_ID = FatturaAspetto.id "
               "LEFT JOIN Padroncini ON TotaliCo.Padroncino_id = Padroncini.id "
               "LEFT JOIN Comuni ComunePadroncino ON Padroncini.Comune_Id = ComunePadroncino.ID "
               "LEFT JOIN ModPagamento ON TotaliCo.ModPagamento_Id = ModPagamento.id "
               "LEFT JOIN UnitaMisura ON Conti.Um_Id = UnitaMisura.Id LEFT JOIN Iva ON Conti.Iva_ID = Iva.ID "
               "WHERE TotaliCo.ID = %3 ORDER BY Conti.NumeroRiga")
        .arg(customerColumns, rowCondition, number(key));
}

QString invoice(qint64 key, const QString &rowCondition)
{
    return QStringLiteral(
               "SELECT fattura.ID, fattura.Num AS NumeroFattura, fattura.SerieFatturazione, fattura.Data AS "
               "DataFattura, "
               "fattura.Causale, fattura.Note AS NoteFattura, fattura.TotImponibile, fattura.TotImposta, "
               "fattura.TotFattura, "
               "fattura.TotColli, fattura.datatrasporto, NULLIF(fattura.ImportoMarcaBollo, 0) AS "
               "ImportoMarcaBollo, CASE WHEN "
               "fattura.ScissionePagamenti = true THEN 'Scissione dei pagamenti - art. 17-ter DPR 633/72' "
               "END AS "
               "NotaScissione, %1, "
               "Vettore.Descrizione AS Vettore, FatturaPorto.Descrizione AS Porto, "
               "FatturaAspetto.Descrizione AS Aspetto, "
               "ModPagamento.Descrizione AS ModalitaPagamento, Bank.Banca, Bank.Iban, "
               "Destinatario.RagioneSociale AS "
               "Destinatario, Destinatario.Indirizzo AS DestinatarioIndirizzo, ComuneDestinatario.Comune AS "
               "DestinatarioComune, fattdett.IDX, fattdett.NumeroRiga, fattdett.Codice, "
               "fattdett.Descrizione, fattdett.Um AS "
               "Quantita, UnitaMisura.Descrizione AS UnitaMisura, fattdett.ValoreUnitario, fattdett.Sconto, "
               "fattdett.AliquotaIva, Iva.Descrizione AS DescrizioneIva, fattdett.TotaleImponibile, "
               "fattdett.ValoreTotale, "
               "fattdett.RIFDDT, fattdett.DataDDT, fattdett.Mittente, fattdett.Colli, fattdett.Peso, "
               "fattdett.Volume, "
               "fattdett.Contrassegno, fattdett.Targa1, fattdett.NoteDestinatario, "
               "MittenteRiga.RagioneSociale AS "
               "MittenteRiga, MittenteRiga.Indirizzo AS MittenteIndirizzo "
               "FROM fattura LEFT JOIN fattdett ON fattdett.NumFatt = fattura.ID%2 "
               "LEFT JOIN Clienti ON fattura.Cliente_ID = Clienti.Id "
               "LEFT JOIN Vettore ON fattura.Vettore_ID = Vettore.id "
               "LEFT JOIN FatturaPorto ON fattura.Porto_ID = FatturaPorto.id "
               "LEFT JOIN FatturaAspetto ON fattura.Aspetto_ID = FatturaAspetto.id "
               "LEFT JOIN ModPagamento ON fattura.ModPagamento_Id = ModPagamento.id "
               "LEFT JOIN Bank ON fattura.Banca_ID = Bank.Id "
               "LEFT JOIN Indirizzi Destinatario ON fattura.Destinatario_ID = Destinatario.ID "
               "LEFT JOIN Comuni ComuneDestinatario ON Destinatario.Comune_ID = ComuneDestinatario.ID "
               "LEFT JOIN Indirizzi MittenteRiga ON fattdett.Mittente_ID = MittenteRiga.ID "
               "LEFT JOIN Iva ON fattdett.Iva_ID = Iva.ID LEFT JOIN UnitaMisura ON fattdett.Um_ID = "
               "UnitaMisura.Id "
               "WHERE fattura.ID = %3 ORDER BY fattdett.NumeroRiga")
        .arg(customerColumns, rowCondition, number(key));
}

} // namespace

QString landscapeName(const QString &file)
{
    return file.endsWith(QStringLiteral(".rpt")) ? file.chopped(4) + QStringLiteral("Lan.rpt") : file;
}

bool isDocumentReport(int code)
{
    switch (code) {
    case 4:
    case 5:
    case 7:
    case 8:
    case 18:
    case 37:
    case 44:
    case 45:
    case 48:
    case 49:
    case 50:
    case 53:
    case 54:
    case 57:
    case 58:
    case 59:
    case 60:
    case 76:
    case 77:
    case 78:
    case 80:
        return true;
    default:
        return false;
    }
}

ReportSpec reportSpec(int code, const ReportContext &context, const ReportOptions &options,
                      const SqlDialect &dialect)
{
    ReportSpec spec;
    if (code < firstReportCode || code > lastReportCode)
        return spec;
    spec.withHeader = code != 26 && code != 38 && code != 41;
    // A document report acts only on a document: without its key the request stays empty.
    if (isDocumentReport(code) && (!context.key || ((code == 76 || code == 77) && !context.rowKey))) {
        spec.withHeader = true;
        return spec;
    }
    const qint64 key = context.key.value_or(0);
    const QString workstation = SqlDialect::textLiteral(context.workstation);
    const QString withVat = options.rowsWithVat ? QString() : QStringLiteral("NoRigaIva");
    const auto file = [&](const QString &name) {
        spec.reportFile = name;
        spec.landscapeFile = landscapeName(name);
    };

    switch (code) {
    case 1:
        file(QStringLiteral("Clienti.rpt"));
        spec.query = QStringLiteral(
            "SELECT Clienti.NominativoDocumenti AS Cliente, Clienti.Via, Clienti.Telefono, Clienti.Fax, "
            "Clienti.Cellulare, Clienti.EMail, Clienti.Citta, Clienti.Iva, Clienti.Provincia, Clienti.Cap, "
            "Clienti.CodFiscale, Clienti.Numero, Clienti.Codice, Clienti.SaldoInizioAnno FROM Clienti "
            "WHERE Clienti.Annullato = false ORDER BY Clienti.NominativoDocumenti");
        break;
    case 2:
        file(QStringLiteral("Tariffe.rpt"));
        spec.query = QStringLiteral(
            "SELECT prezziar.Codice, prezziar.Descrizione, prezziar.Cliente, Partenza.Comune AS Partenza, "
            "Arrivo.Comune AS "
            "Arrivo, IndirizzoPartenza.RagioneSociale AS IndirizzoPartenza, IndirizzoArrivo.RagioneSociale "
            "AS IndirizzoArrivo, "
            "prezziar.Chilometri, UnitaMisura.Descrizione AS UnitaMisura, prezziar.Prezzo, prezziar.Sconto, "
            "prezziar.AliquotaIva, "
            "prezziar.PrezzoCompleto, prezziar.PrezzoFornitore, prezziar.Reparto FROM prezziar "
            "LEFT JOIN Comuni Partenza ON prezziar.Partenza_ID = Partenza.ID LEFT JOIN Comuni Arrivo ON "
            "prezziar.Fine_ID = Arrivo.ID "
            "LEFT JOIN Indirizzi IndirizzoPartenza ON prezziar.Partenza_Indirizzo = IndirizzoPartenza.ID "
            "LEFT JOIN Indirizzi IndirizzoArrivo ON prezziar.Fine_Indirizzo = IndirizzoArrivo.ID "
            "LEFT JOIN UnitaMisura ON prezziar.Um_Id = UnitaMisura.Id WHERE prezziar.Annullato = false "
            "ORDER BY prezziar.Cliente, prezziar.Descrizione");
        break;
    case 3:
        file(QStringLiteral("Fornitori.rpt"));
        spec.query = QStringLiteral(
            "SELECT Fornitor.Fornitore, Fornitor.VIA AS Via, Fornitor.Telefono, Fornitor.Fax, "
            "Fornitor.Cellulare, Fornitor.Email, Fornitor.Comune AS Citta, Fornitor.Iva, Fornitor.Provincia, "
            "Fornitor.Cap, Fornitor.CodFiscale, Fornitor.Numero, Fornitor.Codice, Fornitor.SaldoInizioAnno "
            "FROM Fornitor WHERE Fornitor.Annullato = false ORDER BY Fornitor.Fornitore");
        break;
    case 4:
        file(QStringLiteral("NoteCredito%1.rpt").arg(withVat));
        spec.query =
            QStringLiteral(
                "SELECT fattura.ID, fattura.Num AS NumeroNota, fattura.SerieFatturazione, fattura.Data AS "
                "DataNota, "
                "fattura.NCFattNumRif, fattura.NCFattDataRif, fattura.NCFatSerieRif, fattura.Causale, "
                "fattura.Note AS "
                "NoteNota, fattura.TotImponibile, fattura.TotImposta, fattura.TotFattura, %1, Bank.Banca, "
                "Bank.Iban, "
                "ModPagamento.Descrizione AS ModalitaPagamento, NotaCreditoRighe.ID AS IDRiga, "
                "NotaCreditoRighe.NumeroRiga, "
                "NotaCreditoRighe.Codice, NotaCreditoRighe.Descrizione, NotaCreditoRighe.Um AS Quantita, "
                "UnitaMisura.Descrizione AS UnitaMisura, NotaCreditoRighe.ValoreUnitario, "
                "NotaCreditoRighe.Sconto, "
                "NotaCreditoRighe.AliquotaIva, Iva.Descrizione AS DescrizioneIva, "
                "NotaCreditoRighe.TotaleImponibile, "
                "NotaCreditoRighe.ValoreTotale FROM fattura "
                "LEFT JOIN NotaCreditoRighe ON NotaCreditoRighe.NotaCredito_ID = fattura.ID "
                "LEFT JOIN Clienti ON fattura.Cliente_ID = Clienti.Id LEFT JOIN Bank ON fattura.Banca_ID = "
                "Bank.Id "
                "LEFT JOIN ModPagamento ON fattura.ModPagamento_Id = ModPagamento.id "
                "LEFT JOIN Iva ON NotaCreditoRighe.Iva_Id = Iva.ID LEFT JOIN UnitaMisura ON "
                "NotaCreditoRighe.Um_ID = "
                "UnitaMisura.Id WHERE fattura.ID = %2 ORDER BY NotaCreditoRighe.NumeroRiga")
                .arg(customerColumns, number(key));
        spec.subQuery1 = dueDates(key);
        break;
    case 5:
        file(options.quotePrices ? QStringLiteral("Preventivi%1.rpt").arg(withVat)
                                 : QStringLiteral("Preventivi2.rpt"));
        if (!options.quotePrices)
            spec.landscapeFile = QStringLiteral("PreventiviLan2.rpt");
        spec.query =
            QStringLiteral(
                "SELECT PreventiTestata.ID, PreventiTestata.Numero, PreventiTestata.Data, "
                "PreventiTestata.Note AS "
                "NotePreventivo, PreventiTestata.TotImponibile, PreventiTestata.TotImposta, "
                "PreventiTestata.TotalePreventivo, "
                "PreventiTestata.Targa1, %1, PreventiRighe.ID AS IDRiga, PreventiRighe.NumeroRiga, "
                "PreventiRighe.Codice, "
                "PreventiRighe.Descrizione, PreventiRighe.Um AS Quantita, UnitaMisura.Descrizione AS "
                "UnitaMisura, "
                "PreventiRighe.ValoreUnitario, PreventiRighe.Sconto, PreventiRighe.AliquotaIva, "
                "Iva.Descrizione AS "
                "DescrizioneIva, PreventiRighe.TotaleImponibile, PreventiRighe.ValoreTotale, "
                "PreventiRighe.Chilometri "
                "FROM PreventiTestata LEFT JOIN PreventiRighe ON PreventiRighe.Prev_ID = PreventiTestata.ID "
                "LEFT JOIN Clienti ON PreventiTestata.Cliente_ID = Clienti.Id LEFT JOIN Iva ON "
                "PreventiRighe.Iva_ID = Iva.ID "
                "LEFT JOIN UnitaMisura ON PreventiRighe.Um_ID = UnitaMisura.Id WHERE PreventiTestata.ID = %2 "
                "ORDER BY PreventiRighe.NumeroRiga")
                .arg(customerColumns, number(key));
        break;
    case 6:
        file(QStringLiteral("Padroncini.rpt"));
        spec.query = QStringLiteral(
            "SELECT Padroncini.RagioneSociale, Padroncini.Indirizzo, Comuni.Comune, Comuni.Provincia, "
            "Padroncini.Iva, Padroncini.CodFisc, Padroncini.Tel, Padroncini.Cell, Padroncini.Email, "
            "Padroncini.TariffaOraria, Padroncini.TariffaGiornaliera, Padroncini.ScadenzaDurc, "
            "Padroncini.SaldoInizioAnno FROM Padroncini LEFT JOIN Comuni ON Padroncini.Comune_Id = Comuni.ID "
            "ORDER BY Padroncini.RagioneSociale");
        break;
    case 7:
        file(QStringLiteral("Conti%1.rpt").arg(withVat));
        spec.query = jobOrder(key, QString());
        break;
    case 8:
        file(QStringLiteral("Fatture%1.rpt").arg(withVat));
        spec.query = invoice(key, QString());
        spec.subQuery1 = dueDates(key);
        break;
    case 9:
    case 10:
    case 11:
        file(code == 9    ? QStringLiteral("PrimaNota.rpt")
             : code == 10 ? QStringLiteral("PrimaNotaClienti.rpt")
                          : QStringLiteral("PrimaNotaFornitori.rpt"));
        spec.query =
            cashBook(QStringLiteral(" ORDER BY finanzia.Tipologia_ID, finanzia.Data, finanzia.Operazione"));
        spec.parameter = core::formatItalianNumber(options.cashBookOpening, 2);
        break;
    case 12:
    case 13: {
        const bool purchases = code == 13;
        file(purchases ? QStringLiteral("SituazioneFornitori.rpt") : QStringLiteral("SituazioneClienti.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT %1 AS Intestatario, fattura.Num AS NumeroFattura, fattura.NumeroCarico, fattura.Data "
                "AS DataFattura, "
                "fattura.DataRegistrazione, fattura.SerieFatturazione, fattura.TotFattura, "
                "FatturaScadenze.Numero AS Rata, "
                "FatturaScadenze.DataScadenza, FatturaScadenze.Importo, FatturaScadenze.DataPagamento, "
                "FatturaScadenze.Pagato FROM fattura LEFT JOIN FatturaScadenze ON FatturaScadenze.Fattura_ID "
                "= fattura.ID "
                "WHERE fattura.Carico = %2 AND fattura.FattNota = false ORDER BY Intestatario, fattura.%3, "
                "FatturaScadenze.Numero")
                .arg(purchases ? QStringLiteral("fattura.Fornitore") : QStringLiteral("fattura.Cliente"),
                     purchases ? QStringLiteral("true") : QStringLiteral("false"),
                     purchases ? QStringLiteral("DataRegistrazione") : QStringLiteral("Data"));
        break;
    }
    case 14:
        file(QStringLiteral("NotaCreditoFornitoreLista.rpt"));
        spec.query = documentList(QStringLiteral("fattura.Carico = true AND fattura.FattNota = true"),
                                  QStringLiteral("fattura.ProgressivoCarico, fattura.DataRegistrazione"));
        break;
    case 15:
        file(QStringLiteral("Bilancio.rpt"));
        // One signed amount per account, with its group and class, in the order of the chart.
        spec.query =
            QStringLiteral(
                "SELECT TempBilancio.DescrizioneData, ContabilitaClassi.Descrizione AS Classe, "
                "ContabilitaRaggruppamenti.Descrizione AS Raggruppamento, ContabilitaConti.Descrizione AS "
                "Conto, TempBilancio.TotaleImponibile FROM TempBilancio "
                "LEFT JOIN ContabilitaConti ON TempBilancio.ContabilitaConti_ID = ContabilitaConti.ID "
                "LEFT JOIN ContabilitaRaggruppamenti "
                "ON ContabilitaConti.Raggruppamento_ID = ContabilitaRaggruppamenti.Id "
                "LEFT JOIN ContabilitaClassi ON ContabilitaRaggruppamenti.Classe_ID = ContabilitaClassi.Id "
                "WHERE TempBilancio.NomeComputer = %1 ORDER BY COALESCE(ContabilitaClassi.Descrizione, ''), "
                "COALESCE(ContabilitaRaggruppamenti.Descrizione, ''), ContabilitaConti.Descrizione, "
                "TempBilancio.ID")
                .arg(workstation);
        break;
    case 16:
        file(QStringLiteral("ScadenziarioPadroncini.rpt"));
        spec.query = ownerDriverInstalments(QStringLiteral("false"),
                                            QStringLiteral("PadronciniScadenze.DataScadenza"), context);
        break;
    case 17:
        file(QStringLiteral("PagamentiPadroncini.rpt"));
        spec.query = ownerDriverInstalments(QStringLiteral("true"),
                                            QStringLiteral("PadronciniScadenze.DataPagamento"), context);
        break;
    case 18:
        file(QStringLiteral("PersonaleCosti.rpt"));
        spec.query = staffCosts(QStringLiteral(" WHERE Personale.Id = %1").arg(number(key)));
        break;
    case 19:
        file(QStringLiteral("PersonaleCosti.rpt"));
        spec.query = staffCosts(QString());
        break;
    case 20:
        file(QStringLiteral("Scadenziario.rpt"));
        spec.query = customerDueDates(QStringLiteral("IS NULL"), false);
        break;
    case 21:
        file(QStringLiteral("Pagamenti.rpt"));
        spec.query = customerDueDates(QStringLiteral("IS NOT NULL"), false);
        break;
    case 22:
        file(QStringLiteral("Cisterne.rpt"));
        spec.query = QStringLiteral(
            "SELECT Cisterne.id, Cisterne.Descrizione, Carburanti.Descrizione AS Carburante, Cisterne.Litri, "
            "Cisterne.Note FROM Cisterne LEFT JOIN Carburanti ON Cisterne.Carburante_ID = Carburanti.id "
            "ORDER BY Cisterne.Descrizione");
        spec.subQuery1 = QStringLiteral(
            "SELECT Cisterne.Descrizione AS Cisterna, CisterneCarico.Data, CisterneCarico.Litri, "
            "CisterneCarico.Importo, CisterneCarico.FatturaDescrizione FROM CisterneCarico "
            "INNER JOIN Cisterne ON CisterneCarico.Cisterna_ID = Cisterne.id "
            "ORDER BY Cisterne.Descrizione, CisterneCarico.Data");
        spec.subQuery2 =
            QStringLiteral("SELECT Cisterne.Descrizione AS Cisterna, VettureCarburante.Data, Vetture.Targa, "
                           "VettureCarburante.Litri, VettureCarburante.KmArrivo FROM VettureCarburante "
                           "INNER JOIN Cisterne ON VettureCarburante.Cisterna_ID = Cisterne.id "
                           "LEFT JOIN Vetture ON VettureCarburante.Vettura_ID = Vetture.ID "
                           "ORDER BY Cisterne.Descrizione, VettureCarburante.Data");
        break;
    case 23:
        file(QStringLiteral("Calendario.rpt"));
        spec.query = QStringLiteral(
            "SELECT Calendario.Data, Calendario.DataAvviso, Calendario.TipologiaCalendario, "
            "Calendario.Personale, Calendario.Cliente, Calendario.Note, Calendario.Conclusa FROM Calendario "
            "ORDER BY Calendario.Data, Calendario.Personale");
        break;
    case 24:
        file(QStringLiteral("ChiusuraIvaMensile.rpt"));
        spec.query = vatSettlements(true, context.key);
        break;
    case 25:
        file(QStringLiteral("Personale.rpt"));
        spec.query = QStringLiteral(
            "SELECT Personale.Personale, Personale.Indirizzo, Personale.Cap, Comuni.Comune, "
            "Personale.CodFisc, "
            "Personale.Tel, Personale.Cell, Personale.Email, Personale.DataNascita, "
            "Personale.DataAssunzione, "
            "Personale.NumeroLicenzaGuida, Personale.CQC, CategoriePersonale.Descrizione AS Categoria, "
            "Personale.PagaMensile FROM Personale LEFT JOIN Comuni ON Personale.Comune_Id = Comuni.ID "
            "LEFT JOIN CategoriePersonale ON Personale.CategoriaPersonale_ID = CategoriePersonale.Id "
            "WHERE Personale.Annullato = false ORDER BY Personale.Personale");
        break;
    case 26:
        spec.reportFile = spec.landscapeFile = QStringLiteral("Etichette.rpt");
        spec.query = QStringLiteral("SELECT TempoEtichette.Descrizione FROM TempoEtichette WHERE "
                                    "TempoEtichette.NomeComputer = %1 "
                                    "ORDER BY TempoEtichette.Descrizione")
                         .arg(workstation);
        break;
    case 27:
    case 28:
    case 29:
        file(QStringLiteral("PrimaNotaMese.rpt"));
        spec.query = cashBook(
            QStringLiteral(" WHERE %1 = %2 AND %3 = %4 ORDER BY finanzia.Tipologia_ID, finanzia.Data, "
                           "finanzia.Operazione")
                .arg(dialect.monthOf(QStringLiteral("finanzia.Data")))
                .arg(context.month)
                .arg(dialect.yearOf(QStringLiteral("finanzia.Data")))
                .arg(context.year));
        spec.parameter = context.parameter;
        break;
    case 30:
        file(QStringLiteral("FattureLista.rpt"));
        spec.query = documentList(QStringLiteral("fattura.Carico = false AND fattura.FattNota = false"),
                                  QStringLiteral("fattura.Data, fattura.Num"));
        break;
    case 31:
        file(QStringLiteral("CaricoLista.rpt"));
        spec.query = documentList(QStringLiteral("fattura.Carico = true AND fattura.FattNota = false"),
                                  QStringLiteral("fattura.ProgressivoCarico, fattura.DataRegistrazione"));
        break;
    case 32: {
        file(QStringLiteral("ContiLista.rpt"));
        const QString driver = driverCondition(context);
        spec.query =
            QStringLiteral(
                "SELECT TotaliCo.Numero, TotaliCo.Serie, TotaliCo.Data, TotaliCo.Cliente, TotaliCo.Targa1, "
                "Personale.Personale AS Autista, TotaliCo.OrdineCarico, TotaliCo.TotImponibile, "
                "TotaliCo.TotFattura, TotaliCo.Fatturato, TotaliCo.Chiusa FROM TotaliCo "
                "LEFT JOIN Personale ON TotaliCo.Personale_ID = Personale.Id "
                "WHERE TotaliCo.Annullato = false%1 ORDER BY TotaliCo.Numero")
                .arg(driver);
        break;
    }
    case 33:
        file(QStringLiteral("NoteCreditoLista.rpt"));
        spec.query = documentList(QStringLiteral("fattura.Carico = false AND fattura.FattNota = true"),
                                  QStringLiteral("fattura.Data, fattura.Num"));
        break;
    case 34:
        file(QStringLiteral("VettureRiepilogo.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Targa, DescrizioneData, Tipologia, Entrata, CASE WHEN Entrata = true THEN Importo "
                "ELSE 0 "
                "END AS Entrate, CASE WHEN Entrata = true THEN 0 ELSE Importo END AS Uscite FROM "
                "TempVettureRiepilogo WHERE NomeComputer = %1 AND Mese IS NULL "
                "ORDER BY Targa, Entrata DESC, ID")
                .arg(workstation);
        break;
    case 35:
        file(QStringLiteral("PreventiviLista.rpt"));
        spec.query = QStringLiteral(
            "SELECT PreventiTestata.Numero, PreventiTestata.Data, PreventiTestata.Cliente, "
            "PreventiTestata.Targa1, PreventiTestata.TotImponibile, PreventiTestata.TotalePreventivo, "
            "PreventiTestata.Chiuso FROM PreventiTestata ORDER BY PreventiTestata.Numero");
        break;
    case 36:
        file(QStringLiteral("PersonaleRiepilogo.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Personale.Personale, TempPersonaleRiepilogo.DescrizioneData, "
                "TempPersonaleRiepilogo.Tipologia, "
                "CASE WHEN TempPersonaleRiepilogo.Entrata = true THEN TempPersonaleRiepilogo.Importo ELSE 0 "
                "END AS "
                "Entrate, CASE WHEN TempPersonaleRiepilogo.Entrata = true THEN 0 ELSE "
                "TempPersonaleRiepilogo.Importo "
                "END AS Uscite FROM TempPersonaleRiepilogo LEFT JOIN Personale ON "
                "TempPersonaleRiepilogo.Personale_id "
                "= Personale.Id WHERE TempPersonaleRiepilogo.NomeComputer = %1 AND "
                "TempPersonaleRiepilogo.Mese IS NULL ORDER BY Personale.Personale, "
                "TempPersonaleRiepilogo.Entrata DESC, TempPersonaleRiepilogo.ID")
                .arg(workstation);
        break;
    case 37:
        file(QStringLiteral("DDT.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Ddt.Id, Ddt.Numero, Ddt.Data, Ddt.Ora, Ddt.Natura, Ddt.Qualita, Ddt.Quantita AS "
                "QuantitaMerce, %1, "
                "Destinatario.RagioneSociale AS Destinatario, Destinatario.Indirizzo AS "
                "DestinatarioIndirizzo, "
                "ComuneDestinatario.Comune AS DestinatarioComune, ComuneDestinatario.Provincia AS "
                "DestinatarioProvincia, "
                "Vettore.Descrizione AS Vettore, Personale.Personale AS Autista, DDTRighe.ID AS IDRiga, "
                "DDTRighe.NumeroRiga, "
                "DDTRighe.Codice, DDTRighe.Descrizione, DDTRighe.Um AS Quantita, DDTRighe.Note AS NoteRiga "
                "FROM Ddt "
                "LEFT JOIN DDTRighe ON DDTRighe.DDT_ID = Ddt.Id LEFT JOIN Clienti ON Ddt.Cliente_ID = "
                "Clienti.Id "
                "LEFT JOIN Indirizzi Destinatario ON Ddt.Destinatario_ID = Destinatario.ID "
                "LEFT JOIN Comuni ComuneDestinatario ON Destinatario.Comune_ID = ComuneDestinatario.ID "
                "LEFT JOIN Vettore ON Ddt.Vettore_ID = Vettore.id LEFT JOIN Personale ON Ddt.Personale_ID = "
                "Personale.Id "
                "WHERE Ddt.Id = %2 ORDER BY DDTRighe.NumeroRiga")
                .arg(customerColumns, number(key));
        break;
    case 38:
        spec.reportFile = spec.landscapeFile = QStringLiteral("EtichetteClienti.rpt");
        spec.query = QStringLiteral(
            "SELECT Clienti.NominativoDocumenti AS Cliente, Clienti.Via, Clienti.NumCasa, Clienti.Cap, "
            "Clienti.Citta, Clienti.Provincia FROM Clienti WHERE Clienti.Annullato = false "
            "ORDER BY Clienti.NominativoDocumenti");
        break;
    case 39:
    case 40:
        file(QStringLiteral("UtiliPadroncino.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Padroncini.RagioneSociale AS Padroncino, TotaliCo.Numero, TotaliCo.Data, "
                "TotaliCo.Cliente, "
                "TotaliCo.Targa1, TotaliCo.TotImponibile AS Ricavo, TotaliCo.CostoPadroncino AS Costo, "
                "TotaliCo.TotImponibile - COALESCE(TotaliCo.CostoPadroncino, 0) AS Utile FROM TotaliCo "
                "INNER JOIN Padroncini ON TotaliCo.Padroncino_id = Padroncini.id WHERE TotaliCo.Annullato = "
                "false%1 "
                "ORDER BY Padroncini.RagioneSociale, TotaliCo.Data, TotaliCo.Numero")
                .arg(situationConditions(QStringLiteral("TotaliCo.Padroncino_id"),
                                         QStringLiteral("TotaliCo.Data"), context));
        break;
    case 41:
        spec.reportFile = spec.landscapeFile = QStringLiteral("EtichetteAzienda.rpt");
        spec.query = QStringLiteral(
            "SELECT ditta.RagSoc, ditta.Via, ditta.Numero, ditta.Cap, ditta.Comune, ditta.Provincia, "
            "ditta.PIva FROM ditta");
        break;
    case 42:
        file(QStringLiteral("ScadenziarioFornitori.rpt"));
        spec.query = customerDueDates(QStringLiteral("IS NULL"), true);
        break;
    case 43:
        file(QStringLiteral("PagamentiFornitori.rpt"));
        spec.query = customerDueDates(QStringLiteral("IS NOT NULL"), true);
        break;
    case 44:
        file(QStringLiteral("VettureCosti.rpt"));
        spec.query = vehicleCosts(QStringLiteral(" WHERE Vetture.ID = %1").arg(number(key)));
        break;
    case 45:
        file(QStringLiteral("VettureCarburante.rpt"));
        spec.query = vehicleFuel(QStringLiteral(" WHERE Vetture.ID = %1").arg(number(key)),
                                 QStringLiteral("VettureCarburante.Data DESC"));
        break;
    case 46:
        file(QStringLiteral("VettureCostiElenco.rpt"));
        spec.query = vehicleCosts(QString());
        break;
    case 47:
        file(QStringLiteral("VettureCarburanteElenco.rpt"));
        spec.query = vehicleFuel(QString(), QStringLiteral("Vetture.Targa, VettureCarburante.Data"));
        break;
    case 48:
        file(QStringLiteral("VettureGenerale.rpt"));
        spec.query = vehicles(QStringLiteral(" WHERE Vetture.ID = %1").arg(number(key)));
        break;
    case 49:
        file(QStringLiteral("VettureScadenze.rpt"));
        spec.query = vehicleDeadlines(QStringLiteral(" WHERE Vetture.ID = %1").arg(number(key)));
        break;
    case 50:
        file(QStringLiteral("VettureSchede.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Vetture.Targa, VettureSchede.Scheda, VettureSchede.Numero, VettureSchede.Pin, "
                "VettureSchede.Note FROM VettureSchede INNER JOIN Vetture ON VettureSchede.Vettura_ID = "
                "Vetture.ID "
                "WHERE Vetture.ID = %1 ORDER BY VettureSchede.Scheda")
                .arg(number(key));
        break;
    case 51:
        file(QStringLiteral("VettureScadenzeElenco.rpt"));
        spec.query =
            vehicleDeadlines(QStringLiteral(" WHERE VettureScadenze.Validato = false AND "
                                            "(Vetture.Annullato = false OR Vetture.Annullato IS NULL)"));
        break;
    case 52:
        file(QStringLiteral("VettureElenco.rpt"));
        spec.query = vehicles(QString());
        break;
    case 53:
        file(QStringLiteral("FoglioViaggio.rpt"));
        spec.query = jobOrder(key, QString());
        break;
    case 54:
        file(QStringLiteral("PersonaleScadenze.rpt"));
        spec.query = staffDeadlines(QStringLiteral(" WHERE Personale.Id = %1").arg(number(key)));
        break;
    case 55:
        file(QStringLiteral("PersonaleScadenze.rpt"));
        // The due-date print lists what is still to be dealt with, as the start-up reminder does.
        spec.query =
            staffDeadlines(QStringLiteral(" WHERE PersonaleScadenze.Validato = false AND "
                                          "(Personale.Annullato = false OR Personale.Annullato IS NULL)"));
        break;
    case 56:
        file(QStringLiteral("DDTLista.rpt"));
        spec.query = QStringLiteral(
            "SELECT Ddt.Numero, Ddt.Data, Ddt.Ora, Clienti.NominativoDocumenti AS Cliente, "
            "Destinatario.RagioneSociale "
            "AS Destinatario, Ddt.Natura, Ddt.Quantita, Vettore.Descrizione AS Vettore FROM Ddt "
            "LEFT JOIN Clienti ON Ddt.Cliente_ID = Clienti.Id LEFT JOIN Indirizzi Destinatario ON "
            "Ddt.Destinatario_ID = Destinatario.ID LEFT JOIN Vettore ON Ddt.Vettore_ID = Vettore.id "
            "ORDER BY Ddt.Data, Ddt.Numero");
        break;
    case 57:
        file(QStringLiteral("VettureCaricoRighe.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Vetture.Targa, fattura.Fornitore, fattura.NumeroCarico, fattura.Data AS DataFattura, "
                "fattura.DataRegistrazione, Movimenti.Codice, Movimenti.Descrizione, Movimenti.Um AS "
                "Quantita, "
                "Movimenti.ValoreUnitario, Movimenti.TotaleImponibile, Movimenti.AliquotaIva FROM Movimenti "
                "INNER JOIN fattura ON Movimenti.Fattura_ID = fattura.ID INNER JOIN Vetture ON "
                "Movimenti.Vettura_ID = Vetture.ID WHERE Vetture.ID = %1 AND (Movimenti.Scarico = false OR "
                "Movimenti.Scarico IS NULL) "
                "ORDER BY fattura.DataRegistrazione, Movimenti.NumeroRiga")
                .arg(number(key));
        break;
    case 58:
        file(QStringLiteral("PrivacyClienti.rpt"));
        spec.query = QStringLiteral(
                         "SELECT Clienti.NominativoDocumenti AS Interessato, Clienti.Via AS Indirizzo, "
                         "Clienti.NumCasa, "
                         "Clienti.Cap, Clienti.Citta, Clienti.Provincia, Clienti.CodFiscale, Clienti.Iva AS "
                         "PartitaIva FROM Clienti WHERE Clienti.Id = %1")
                         .arg(number(key));
        break;
    case 59:
        file(QStringLiteral("PrivacyFornitori.rpt"));
        spec.query = QStringLiteral(
                         "SELECT Fornitor.Fornitore AS Interessato, Fornitor.VIA AS Indirizzo, Fornitor.Cap, "
                         "Fornitor.Comune AS Citta, Fornitor.Provincia, Fornitor.CodFiscale, Fornitor.Iva AS "
                         "PartitaIva FROM Fornitor WHERE Fornitor.Id = %1")
                         .arg(number(key));
        break;
    case 60:
        file(QStringLiteral("PrivacyPersonale.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Personale.Personale AS Interessato, Personale.Indirizzo, Personale.Cap, "
                "Comuni.Comune AS Citta, Comuni.Provincia, Personale.CodFisc AS CodFiscale FROM "
                "Personale LEFT JOIN Comuni ON Personale.Comune_Id = Comuni.ID WHERE Personale.Id = %1")
                .arg(number(key));
        break;
    case 61:
        file(QStringLiteral("Bancali.rpt"));
        spec.query = QStringLiteral(
            "SELECT COALESCE(CommesseBancali.Cliente, TotaliCo.Cliente) AS Cliente, TotaliCo.Numero, "
            "TotaliCo.Data, CommesseBancali.Mittente, CommesseBancali.Destinatario, "
            "COALESCE(TipologiaBancali.Descrizione, CommesseBancali.TipologiaBancali) AS Tipologia, "
            "CommesseBancali.PedaneRicevute, CommesseBancali.PedaneConsegnate, "
            "CommesseBancali.PedaneReseMittente, "
            "CommesseBancali.PedaneScartate, CommesseBancali.Buoni, CommesseBancali.RifDDT FROM "
            "CommesseBancali "
            "INNER JOIN TotaliCo ON CommesseBancali.Testata_ID = TotaliCo.ID LEFT JOIN TipologiaBancali ON "
            "CommesseBancali.TipologiaBancali_ID = TipologiaBancali.id WHERE TotaliCo.Annullato = false "
            "ORDER BY Cliente, TotaliCo.Data, TotaliCo.Numero");
        break;
    case 62:
        file(QStringLiteral("ContiListaCompleta.rpt"));
        // The extended form of list 32, from the same window: the same job orders, the same driver.
        spec.query =
            QStringLiteral("SELECT TotaliCo.Numero, TotaliCo.Data, TotaliCo.Cliente, TotaliCo.Targa1, "
                           "TotaliCo.TotImponibile, "
                           "Conti.NumeroRiga, Conti.Descrizione, Conti.Um AS Quantita, Conti.ValoreUnitario, "
                           "Conti.Sconto, Conti.TotaleImponibile FROM TotaliCo LEFT JOIN Conti ON "
                           "Conti.Testata_ID = TotaliCo.ID WHERE TotaliCo.Annullato = false%1 ORDER BY "
                           "TotaliCo.Numero, Conti.NumeroRiga")
                .arg(driverCondition(context));
        break;
    case 63:
        file(QStringLiteral("Indirizzi.rpt"));
        spec.query = QStringLiteral(
            "SELECT Indirizzi.RagioneSociale, Indirizzi.Indirizzo, Indirizzi.Cap, Comuni.Comune, "
            "Comuni.Provincia, "
            "Nazioni.DENOMINAZ AS Nazione, Indirizzi.PartitaIva, Indirizzi.CodFiscale, Indirizzi.Telefono1, "
            "Indirizzi.email FROM Indirizzi LEFT JOIN Comuni ON Indirizzi.Comune_ID = Comuni.ID "
            "LEFT JOIN Nazioni ON Indirizzi.Nazione_ID = Nazioni.IDNazione ORDER BY "
            "Indirizzi.RagioneSociale");
        break;
    case 64:
        file(QStringLiteral("ResocontoPadroncino.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT Padroncini.RagioneSociale AS Padroncino, TotaliCo.Numero, TotaliCo.Data, "
                "TotaliCo.Cliente, "
                "Conti.Descrizione, Conti.Um AS Quantita, Conti.TotaleImponibile, Conti.Costo FROM Conti "
                "INNER JOIN TotaliCo ON Conti.Testata_ID = TotaliCo.ID INNER JOIN Padroncini ON "
                "TotaliCo.Padroncino_id = Padroncini.id WHERE TotaliCo.Annullato = false%1 "
                "ORDER BY Padroncini.RagioneSociale, TotaliCo.Data, TotaliCo.Numero, Conti.NumeroRiga")
                .arg(situationConditions(QStringLiteral("TotaliCo.Padroncino_id"),
                                         QStringLiteral("TotaliCo.Data"), context));
        break;
    case 65:
        file(QStringLiteral("PersonaleStipendi.rpt"));
        spec.query = staffSalaries(
            QStringLiteral("Personale.Personale, PersonaleStipendi.Anno, PersonaleStipendi.Mese"));
        break;
    case 66:
        file(QStringLiteral("PersonaleStipendiMese.rpt"));
        spec.query = staffSalaries(
            QStringLiteral("PersonaleStipendi.Anno, PersonaleStipendi.Mese, Personale.Personale"));
        break;
    case 67:
        file(QStringLiteral("PersonaleStipendiDescrizioni.rpt"));
        spec.query = staffSalaries(
            QStringLiteral("Personale.Personale, PersonaleStipendi.Anno, PersonaleStipendi.Mese"));
        break;
    case 68:
    case 69: {
        const bool suppliers = code == 69;
        file(suppliers ? QStringLiteral("PrimaNotaSituazioneFornitori.rpt")
                       : QStringLiteral("PrimaNotaSituazioneClienti.rpt"));
        const QString dateField =
            suppliers ? QStringLiteral("fattura.DataRegistrazione") : QStringLiteral("fattura.Data");
        spec.query =
            QStringLiteral(
                "SELECT fattura.ID, %1 AS Intestatario, fattura.Num AS NumeroFattura, fattura.NumeroCarico, "
                "fattura.Data AS DataFattura, fattura.DataRegistrazione, fattura.FattNota, "
                "fattura.TotFattura, CASE WHEN "
                "fattura.FattNota = true THEN -fattura.TotFattura ELSE fattura.TotFattura END AS Importo "
                "FROM fattura WHERE fattura.Carico = %2%3 ORDER BY Intestatario, %4")
                .arg(suppliers ? QStringLiteral("fattura.Fornitore") : QStringLiteral("fattura.Cliente"),
                     suppliers ? QStringLiteral("true") : QStringLiteral("false"),
                     situationConditions(suppliers ? QStringLiteral("fattura.Fornitore_ID")
                                                   : QStringLiteral("fattura.Cliente_ID"),
                                         dateField, context),
                     dateField);
        // The payments of the same party and period; without a party, those of every party of the
        // print's side.
        spec.subQuery1 =
            QStringLiteral(
                "SELECT finanzia.Data, finanzia.Operazione, finanzia.Entrata, finanzia.Uscita, "
                "ModPagamento.Descrizione AS ModalitaPagamento FROM finanzia LEFT JOIN ModPagamento ON "
                "finanzia.ModPagamento_Id = ModPagamento.id WHERE finanzia.%1 IS NOT NULL AND finanzia.%1 <> "
                "0%2 ORDER BY finanzia.Data")
                .arg(suppliers ? QStringLiteral("Fornitore_id") : QStringLiteral("Cliente_id"),
                     situationConditions(suppliers ? QStringLiteral("finanzia.Fornitore_id")
                                                   : QStringLiteral("finanzia.Cliente_id"),
                                         QStringLiteral("finanzia.Data"), context));
        break;
    }
    case 70:
        file(QStringLiteral("PesoVolumeRegionale.rpt"));
        spec.query = QStringLiteral(
            "SELECT COALESCE(Regioni.Descrizione, 'Regione non indicata') AS Regione, COUNT(*) AS Righe, "
            "SUM(fattdett.Colli) AS Colli, SUM(fattdett.Peso) AS Peso, SUM(fattdett.PesoRiconosciuto) AS "
            "PesoRiconosciuto, SUM(fattdett.Volume) AS Volume, SUM(fattdett.TotaleImponibile) AS Imponibile "
            "FROM fattdett INNER JOIN fattura ON fattdett.NumFatt = fattura.ID LEFT JOIN Regioni ON "
            "fattdett.Regione_ID = Regioni.IDRegione GROUP BY Regioni.Descrizione "
            "ORDER BY Regione");
        break;
    case 71:
        file(QStringLiteral("ChiusuraIva.rpt"));
        spec.query = vatSettlements(false, context.key);
        break;
    case 72:
    case 73: {
        const bool notes = code == 73;
        file(notes ? QStringLiteral("Provvigioni_note.rpt") : QStringLiteral("Provvigioni_fatt.rpt"));
        const QString rows = notes ? QStringLiteral("NotaCreditoRighe") : QStringLiteral("fattdett");
        const QString link =
            notes ? QStringLiteral("NotaCreditoRighe.NotaCredito_ID") : QStringLiteral("fattdett.NumFatt");
        spec.query =
            QStringLiteral("SELECT Fornitor.Fornitore AS Agente, fattura.Num AS NumeroDocumento, "
                           "fattura.Data AS DataDocumento, "
                           "fattura.Cliente, %1.Descrizione, %1.TotaleImponibile, %1.PercentualeProvvigione, "
                           "%1.TotaleImponibile * %1.PercentualeProvvigione / 100 AS Provvigione FROM %1 "
                           "INNER JOIN fattura "
                           "ON %2 = fattura.ID INNER JOIN Fornitor ON fattura.Agente_id = Fornitor.Id WHERE "
                           "fattura.Carico = false AND fattura.FattNota = %3 ORDER BY "
                           "Fornitor.Fornitore, fattura.Data, fattura.Num")
                .arg(rows, link, notes ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    }
    case 74:
        file(QStringLiteral("PrimaNotaBanca.rpt"));
        spec.query = cashBook(
            QStringLiteral(" WHERE %1 = %2 AND %3 = %4 AND finanzia.Banca_ID = %5 ORDER BY finanzia.Data, "
                           "finanzia.Operazione")
                .arg(dialect.monthOf(QStringLiteral("finanzia.Data")))
                .arg(context.month)
                .arg(dialect.yearOf(QStringLiteral("finanzia.Data")))
                .arg(context.year)
                .arg(number(context.bankKey.value_or(0))));
        spec.parameter = context.parameter;
        break;
    case 75:
        file(QStringLiteral("ContabilitaSituazioneConto.rpt"));
        spec.query = QStringLiteral(
                         "SELECT ContabilitaConti.Descrizione AS Conto, TempContabilitaConto.DataDocumento, "
                         "TempContabilitaConto.DataRegistrazione, TempContabilitaConto.NumeroDocumento, "
                         "TempContabilitaConto.SerieFatturazione, TempContabilitaConto.ProgressivoCarico, "
                         "TempContabilitaConto.Descrizione, TempContabilitaConto.DescrizioneTipologia, "
                         "TempContabilitaConto.TotaleImponibile FROM TempContabilitaConto LEFT JOIN "
                         "ContabilitaConti ON "
                         "TempContabilitaConto.ContabilitaConti_ID = ContabilitaConti.ID WHERE "
                         "TempContabilitaConto.NomeComputer = %1 ORDER BY TempContabilitaConto.DataDocumento")
                         .arg(workstation);
        break;
    case 76:
        file(context.deliveryVariant ? QStringLiteral("BollettaPF.rpt") : QStringLiteral("Bolletta.rpt"));
        spec.query = invoice(key, QStringLiteral(" AND fattdett.IDX = %1").arg(number(*context.rowKey)));
        break;
    case 77:
        file(QStringLiteral("Contrassegno.rpt"));
        spec.query = jobOrder(key, QStringLiteral(" AND Conti.IDX = %1").arg(number(*context.rowKey)));
        break;
    case 78:
        file(QStringLiteral("DistintaCarico.rpt"));
        spec.query =
            QStringLiteral(
                "SELECT DistinteCaricoTestata.ID, DistinteCaricoTestata.Numero, DistinteCaricoTestata.Serie, "
                "DistinteCaricoTestata.Data, DistinteCaricoTestata.DataConsegna, "
                "DistinteCaricoTestata.Targa1, "
                "DistinteCaricoTestata.Targa2, DistinteCaricoTestata.Note AS NoteDistinta, %1, "
                "Autista.Personale AS "
                "Autista, Autista2.Personale AS Autista2, DistinteCaricoRighe.IDX, "
                "DistinteCaricoRighe.NumeroRiga, "
                "DistinteCaricoRighe.Mittente, DistinteCaricoRighe.Destinatario, DistinteCaricoRighe.Colli, "
                "DistinteCaricoRighe.Peso, DistinteCaricoRighe.PesoTassabile, DistinteCaricoRighe.Volume, "
                "DistinteCaricoRighe.TariffaQuintale, DistinteCaricoRighe.Importo, "
                "DistinteCaricoRighe.Contrassegno, "
                "DistinteCaricoRighe.RIFDDT, DistinteCaricoRighe.DataDDT FROM DistinteCaricoTestata "
                "LEFT JOIN DistinteCaricoRighe ON DistinteCaricoRighe.Testata_ID = DistinteCaricoTestata.ID "
                "LEFT JOIN Clienti ON DistinteCaricoTestata.Cliente_Id = Clienti.Id LEFT JOIN Personale "
                "Autista ON "
                "DistinteCaricoTestata.Personale_ID = Autista.Id LEFT JOIN Personale Autista2 ON "
                "DistinteCaricoTestata.Personale2_ID = Autista2.Id WHERE DistinteCaricoTestata.ID = %2 "
                "ORDER BY DistinteCaricoRighe.NumeroRiga")
                .arg(customerColumns, number(key));
        break;
    case 79:
        file(QStringLiteral("DistinteCaricoLista.rpt"));
        spec.query = QStringLiteral(
            "SELECT DistinteCaricoTestata.Numero, DistinteCaricoTestata.Serie, DistinteCaricoTestata.Data, "
            "DistinteCaricoTestata.DataConsegna, DistinteCaricoTestata.Cliente, "
            "DistinteCaricoTestata.Targa1, "
            "Personale.Personale AS Autista, DistinteCaricoTestata.Chiusa FROM DistinteCaricoTestata "
            "LEFT JOIN Personale ON DistinteCaricoTestata.Personale_ID = Personale.Id "
            "ORDER BY DistinteCaricoTestata.Numero");
        break;
    case 80:
        file(QStringLiteral("ConferimentoTrasporto.rpt"));
        spec.query = jobOrder(key, QString());
        break;
    case 81:
        file(QStringLiteral("Avvisi.rpt"));
        spec.query =
            QStringLiteral("SELECT %1, (SELECT MAX(TempAvvisi.Testo) FROM TempAvvisi WHERE "
                           "TempAvvisi.NomeComputer = %2) AS "
                           "Testo FROM TempAvvisiClienti INNER JOIN Clienti ON TempAvvisiClienti.Cliente_ID "
                           "= Clienti.Id "
                           "WHERE TempAvvisiClienti.NomeComputer = %2 ORDER BY Clienti.NominativoDocumenti")
                .arg(customerColumns, workstation);
        break;
    default:
        break;
    }
    // Lists may be narrowed by the print program; documents and the workstation's work rows not.
    static const QList<int> unfiltered = {4,  5,  7,  8,  18, 26, 27, 28, 29, 34, 36, 37, 41, 44, 45, 48,
                                          49, 50, 53, 54, 58, 59, 60, 68, 69, 74, 75, 76, 77, 78, 80, 81};
    spec.filter = !unfiltered.contains(code);
    return spec;
}

} // namespace rotalina::shell
