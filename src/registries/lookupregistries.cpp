#include "registries/lookupregistries.h"

#include "registries/parties.h"
#include "storage/archive.h"

namespace rotalina::registries {

using shell::GridColumn;
using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;

namespace {

using Kind = RegistryField::Kind;

RegistryField make(const char *field, const char *caption, Kind kind)
{
    return shell::registryField(field, caption, kind);
}

RegistryField text(const char *field, const char *caption, int maxLength = 0)
{
    RegistryField f = make(field, caption, Kind::Text);
    f.maxLength = maxLength;
    return f;
}

RegistryField memo(const char *field, const char *caption)
{
    return make(field, caption, Kind::Memo);
}

RegistryField amount(const char *field, const char *caption, int decimals = 2)
{
    RegistryField f = make(field, caption, Kind::Amount);
    f.decimals = decimals;
    return f;
}

RegistryField date(const char *field, const char *caption)
{
    return make(field, caption, Kind::Date);
}

RegistryField check(const char *field, const char *caption)
{
    return make(field, caption, Kind::Check);
}

RegistryField lookup(const char *field, const char *caption, const char *sql, const char *copySql = nullptr,
                     QStringList copied = {})
{
    RegistryField f = make(field, caption, Kind::Lookup);
    f.lookupSql = QString::fromLatin1(sql);
    if (copySql)
        f.copySql = QString::fromLatin1(copySql);
    f.copiedFields = std::move(copied);
    return f;
}

RegistryField colour(const char *field, const char *caption)
{
    return make(field, caption, Kind::Colour);
}

// The municipalities chosen by name, as the registries that keep a town's name store them, with
// the province and postcode they fill.
RegistryField townByName(const char *field, const char *caption, QStringList copied)
{
    return lookup(
        field, caption,
        "SELECT Comune, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune",
        "SELECT Provincia, CAP AS Cap FROM Comuni WHERE Comune = ? ORDER BY ID", std::move(copied));
}

const char *const townsByKey =
    "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune";
const char *const nationsByKey = "SELECT IDNazione, DENOMINAZ FROM Nazioni ORDER BY DENOMINAZ";

// The invoices a tank filling may name, as the filling's text shows them.
QString fillingInvoices()
{
    return QStringLiteral(
        "SELECT fattura.ID, COALESCE(fattura.NumeroCarico, CAST(fattura.Num AS TEXT)) || ' - ' || "
        "COALESCE(fattura.Fornitore, fattura.Cliente, '') AS Testo FROM fattura");
}

GridColumn column(const char *field, const char *title, int width)
{
    return {QString::fromLatin1(field), QString::fromUtf8(title), width};
}

// A registry of descriptions only, the most common kind.
RegistryDescriptor simple(const char *list, const char *card, const char *caption, const char *table,
                          const char *deleteQuestion, const char *missing = "Attenzione manca la Descrizione")
{
    RegistryDescriptor r;
    r.listWindow = QString::fromLatin1(list);
    r.cardWindow = QString::fromLatin1(card);
    r.listCaption = QString::fromUtf8(caption);
    r.cardCaption = QString::fromUtf8(caption);
    r.table = QString::fromLatin1(table);
    r.listSql = QStringLiteral("SELECT * FROM %1").arg(r.table);
    r.order = QStringLiteral("Descrizione");
    r.columns = {column("Descrizione", "Descrizione", 320)};
    r.filters = {{QStringLiteral("Descrizione"), QStringLiteral("Descrizione")}};
    r.fields = {text("Descrizione", "Descrizione")};
    r.checks.required(QStringLiteral("Descrizione"), QString::fromUtf8(missing));
    r.deleteQuestion = QString::fromUtf8(deleteQuestion);
    return r;
}

// Copies a kind's description into the rows that keep it as text.
QString rewriteCopies(const char *rows, const char *copy, const char *key, const char *kinds,
                      const char *kindKey)
{
    return QStringLiteral(
               "UPDATE %1 SET %2 = (SELECT %4.Descrizione FROM %4 WHERE %4.%5 = %1.%3) WHERE %3 = ?")
        .arg(QLatin1String(rows), QLatin1String(copy), QLatin1String(key), QLatin1String(kinds),
             QLatin1String(kindKey));
}

QList<RegistryDescriptor> buildRegistries()
{
    QList<RegistryDescriptor> all;

    RegistryDescriptor banks =
        simple("TfrmGrigliaBanche", "TAnaBanca", "Banche", "Bank", "Sei sicuro di voler eliminare la Banca?");
    banks.cardCaption = QStringLiteral("Anagrafica Dati Bancari");
    banks.order = QStringLiteral("Banca");
    banks.columns = {column("Banca", "Banca", 240), column("Iban", "Iban", 230),
                     column("Comune", "Comune", 140), column("Telefono", "Telefono", 110),
                     column("annullato", "Annullata", 70)};
    banks.filters = {{QStringLiteral("Banca"), QStringLiteral("Banca")},
                     {QStringLiteral("Iban"), QStringLiteral("Iban")}};
    banks.fields = {text("Banca", "Descrizione"),
                    text("Iban", "Codice Iban", 34),
                    text("Beneficiario", "Beneficiario"),
                    text("Via", "Via"),
                    text("Numero", "N°", 10),
                    townByName("Comune", "Comune", {QStringLiteral("Provincia"), QStringLiteral("Cap")}),
                    text("Provincia", "Provincia", 2),
                    text("Cap", "Cap", 5),
                    text("Telefono", "Telefono"),
                    text("Fax", "Fax"),
                    text("Email", "E-mail"),
                    amount("SaldoInizioAnno", "Saldo iniziale"),
                    check("annullato", "Annullata")};
    banks.checks = {};
    banks.checks
        .required(QStringLiteral("Banca"), QStringLiteral("Attenzione manca la Descrizione della banca"))
        .required(QStringLiteral("Iban"), QStringLiteral("Attenzione manca il Codice Iban"));
    banks.newValues = {{QStringLiteral("annullato"), false}};
    banks.grid = QStringLiteral("frmGrigliaBanche_Griglia");
    all.append(banks);

    RegistryDescriptor towns =
        simple("TfrmGrigliaComuni", "TfrmComuniDett", "Comuni", "Comuni",
               "Sei sicuro di voler eliminare il Comune ?", "Attenzione manca la Descrizione del Comune");
    towns.order = QStringLiteral("Comune");
    towns.columns = {column("Comune", "Comune", 220), column("Provincia", "Prov.", 50),
                     column("CAP", "Cap", 60), column("COD_ISTAT", "Cod. Istat", 80),
                     column("CODICE_F", "Cod. Catastale", 90)};
    towns.filters = {{QStringLiteral("Comune"), QStringLiteral("Comune")},
                     {QStringLiteral("Provincia"), QStringLiteral("Provincia")},
                     {QStringLiteral("CAP"), QStringLiteral("Cap")}};
    towns.fields = {
        text("Comune", "Comune"),
        lookup("Provincia", "Provincia",
               "SELECT PROVINCIA, PROVINCIA || ' - ' || COALESCE(Descrizione, '') FROM Province ORDER BY "
               "PROVINCIA"),
        text("CAP", "Cap", 5),
        lookup("Regione_ID", "Regione", "SELECT IDRegione, Descrizione FROM Regioni ORDER BY Descrizione"),
        lookup("Nazione_ID", "Nazione", nationsByKey),
        text("COD_ISTAT", "Codice Istat", 6),
        text("CODICE_F", "Codice catastale", 4),
        text("PrefNaz", "Prefisso telefonico", 6),
        check("Capoluogo", "Capoluogo di provincia"),
        amount("Latitudine", "Latitudine", 6),
        amount("Longitudine", "Longitudine", 6)};
    towns.checks = {};
    towns.checks.required(QStringLiteral("Comune"),
                          QStringLiteral("Attenzione manca la Descrizione del Comune"));
    towns.newValues = {{QStringLiteral("Nazione_ID"), 380}, {QStringLiteral("Capoluogo"), false}};
    towns.usedBy = {
        {QStringLiteral("IndirizziItalia"), QStringLiteral("Comune_ID"), QStringLiteral("vie e cap")},
        {QStringLiteral("Clienti"), QStringLiteral("Comune_id"), QStringLiteral("clienti")},
        {QStringLiteral("Fornitor"), QStringLiteral("Comune_id"), QStringLiteral("fornitori")},
        {QStringLiteral("Indirizzi"), QStringLiteral("Comune_ID"), QStringLiteral("indirizzi")}};
    towns.inUseMessage = QStringLiteral("Attenzione il Comune è usato e non può essere eliminato:");
    towns.rows = {{[] { return registryNamed(QStringLiteral("TfrmTrovaCap")); }, QStringLiteral("Comune_ID"),
                   QStringLiteral("Indirizzi e Cap"), QStringLiteral("frmComuniDett_DBGrid1")}};
    towns.grid = QStringLiteral("frmGrigliaComuni_Griglia");
    all.append(towns);

    RegistryDescriptor provinces = simple("TfrmGrigliaProvince", "TfrmProvinceDettaglio", "Province",
                                          "Province", "Sei sicuro di voler eliminare la provincia ?");
    provinces.order = QStringLiteral("PROVINCIA");
    provinces.columns = {column("PROVINCIA", "Sigla", 60), column("Descrizione", "Provincia", 220),
                         column("CAPOLUOGO", "Capoluogo", 180)};
    provinces.filters = {{QStringLiteral("PROVINCIA"), QStringLiteral("Sigla")},
                         {QStringLiteral("Descrizione"), QStringLiteral("Provincia")}};
    provinces.fields = {
        text("PROVINCIA", "Sigla", 2), text("Descrizione", "Provincia"), text("CAPOLUOGO", "Capoluogo"),
        lookup("Regione_ID", "Regione", "SELECT IDRegione, Descrizione FROM Regioni ORDER BY Descrizione")};
    provinces.checks = {};
    provinces.checks.required(QStringLiteral("PROVINCIA"), QStringLiteral("Attenzione la Sigla"))
        .required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la provincia"));
    provinces.grid = QStringLiteral("frmGrigliaProvince");
    all.append(provinces);

    // Regions have no required field; their delete still asks, as every other one does.
    RegistryDescriptor regions = simple("TfrmGrigliaRegioni", "TfrmRegioniDettaglio", "Regioni", "Regioni",
                                        "Sei sicuro di voler eliminare la regione ?");
    regions.columns = {column("Descrizione", "Regione", 240),
                       column("CoefficienteCalcolo", "Coefficiente di calcolo", 150)};
    regions.fields = {text("Descrizione", "Regione"),
                      amount("CoefficienteCalcolo", "Coefficiente di calcolo", 4)};
    regions.checks = {};
    regions.grid = QStringLiteral("frmGrigliaRegioni");
    all.append(regions);

    RegistryDescriptor vat = simple("TfrmGrigliaIva", "TfrmModificaIva", "Iva", "Iva",
                                    "Sei sicuro di voler eliminare questa aliquota Iva ?");
    vat.columns = {column("Descrizione", "Descrizione", 260), column("Iva", "Aliquota", 80),
                   column("Pa_Natura_Codice", "Natura", 70),
                   column("NumeroRepartoFiscale", "Reparto fiscale", 100)};
    vat.fields = {
        text("Descrizione", "Descrizione"), amount("Iva", "Aliquota Iva"),
        lookup("Pa_Natura_Codice", "Natura di esenzione",
               "SELECT Codice, Codice || ' - ' || COALESCE(Descrizione, '') FROM PA_Natura ORDER BY Codice"),
        text("NumeroRepartoFiscale", "Reparto fiscale", 10)};
    vat.checks = {};
    vat.checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))
        .required(QStringLiteral("Iva"), QStringLiteral("Attenzione manca l' Aliquota Iva"))
        .add(QStringLiteral("Pa_Natura_Codice"),
             QStringLiteral("Attenzione si deve specificare la natura di esenzione dell' Aliquota Iva"),
             [](const QVariantMap &values) {
                 return values.value(QStringLiteral("Iva")).toDouble() != 0 ||
                        RecordChecks::hasValue(values.value(QStringLiteral("Pa_Natura_Codice")));
             });
    // Only an exempt rate has a nature of exemption.
    vat.normalise = [](QVariantMap &values) {
        if (values.contains(QStringLiteral("Iva")) && values.value(QStringLiteral("Iva")).toDouble() != 0)
            values.insert(QStringLiteral("Pa_Natura_Codice"), QVariant());
    };
    vat.grid = QStringLiteral("frmGrigliaIva");
    all.append(vat);

    all.append(simple("TfrmGrigliaUnitaMisura", "TfrmUnitaMisura", "Unità di Misura", "UnitaMisura",
                      "Sei sicuro di voler eliminare l' Unità di misura?"));
    all.append(simple("TfrmGrigliaColori", "TfrmColoriDett", "Colori", "Colori",
                      "Sei sicuro di voler eliminare il Colore?", "Attenzione manca la Descrizione "));
    all.append(simple("TfrmModelli", "TfrmModelliDett", "Marche", "Modelli",
                      "Sei sicuro di voler eliminare il Modello?"));
    all.last().grid = QStringLiteral("frmModelli_Griglia");

    RegistryDescriptor vehicles = simple("TfrmVeicoli", "TfrmVeicoliDettaglio", "Veicoli", "Veicoli",
                                         "Sei sicuro di voler eliminare il Veicolo");
    vehicles.columns = {column("Descrizione", "Descrizione", 260), column("Modello", "Marca", 160)};
    vehicles.fields = {
        text("Descrizione", "Descrizione"),
        shell::withList(
            lookup("Modello", "Marca", "SELECT Descrizione, Descrizione FROM Modelli ORDER BY Descrizione"),
            "TfrmModelli")};
    vehicles.afterSave = {rewriteCopies("Vetture", "VeicoloDesc", "Veicolo_ID", "Veicoli", "Id")};
    vehicles.grid = QStringLiteral("frmVeicoli");
    all.append(vehicles);

    all.append(simple("TfrmReparti", "TfrmRepartiDett", "Reparti", "Reparti",
                      "Sei sicuro di voler eliminare il Modello?"));
    all.last().grid = QStringLiteral("frmReparti_Griglia");

    RegistryDescriptor customerKinds =
        simple("TfrmCategorieClienti_Griglia", "TfrmCategorieClienti", "Categorie Clienti",
               "ClientiCategoria", "Sei sicuro di voler eliminare la Categoria?");
    customerKinds.columns = {column("Descrizione", "Descrizione", 260), column("Colore", "Colore", 90)};
    customerKinds.fields = {text("Descrizione", "Descrizione"), colour("Colore", "Colore")};
    // Customers keep a copy of their category's colour: a new colour reaches them, a deleted
    // category leaves them without colour and without category.
    customerKinds.afterSave = {
        QStringLiteral("UPDATE Clienti SET ColoreCategoria = (SELECT ClientiCategoria.Colore FROM "
                       "ClientiCategoria WHERE ClientiCategoria.ID = Clienti.Categoria_ID) "
                       "WHERE Categoria_ID = ?")};
    customerKinds.beforeDelete = {QStringLiteral(
        "UPDATE Clienti SET ColoreCategoria = NULL, Categoria_ID = NULL WHERE Categoria_ID = ?")};
    customerKinds.newValues = {{QStringLiteral("Colore"), 16777215}};
    all.append(customerKinds);

    all.append(simple("TfrmCategorieFornitori_Griglia", "TfrmCategorieFornitori", "Categorie Fornitori",
                      "FornitorCategoria", "Sei sicuro di voler eliminare la Categoria?"));
    all.append(simple("TfrmGrigliaCategoriePersonale", "TfrmCategoriePersonaleDettaglio",
                      "Categorie Personale", "CategoriePersonale",
                      "Sei sicuro di voler eliminare la Categoria?"));
    all.append(simple("TfrmGrigliaTipologieCalendario", "TfrmTipologiaCalendario", "Tipologie Calendario",
                      "TipologiaCalendario", "Sei sicuro di voler eliminare la tipologia di Calendario ?"));

    RegistryDescriptor vehicleCosts = simple(
        "TfrmGrigliaTipologiaCostiVetture", "TfrmTipologiaCostiVettureDettaglio", "Tipologie Costi Vetture",
        "TipologiaCostiVetture", "Sei sicuro di voler eliminare la tipologia di costo per le vetture?");
    vehicleCosts.columns = {column("Descrizione", "Descrizione", 260),
                            column("Straordinaria", "Straordinaria", 90)};
    vehicleCosts.fields = {text("Descrizione", "Descrizione"), check("Straordinaria", "Spesa straordinaria")};
    vehicleCosts.afterSave = {
        rewriteCopies("VettureCosti", "TipologiaCosto", "TipologiaCosto_id", "TipologiaCostiVetture", "Id")};
    vehicleCosts.newValues = {{QStringLiteral("Straordinaria"), false}};
    all.append(vehicleCosts);

    RegistryDescriptor staffCosts =
        simple("TfrmGrigliaTipologieCostiPersonale", "TfrmTipologiaCostiPersonaleDettaglio",
               "Tipologie Costi Personale", "TipologiaCostiPersonale",
               "Sei sicuro di voler eliminare la tipologia di costo per le Personale?");
    staffCosts.afterSave = {rewriteCopies("PersonaleCosti", "TipologiaCosto", "TipologiaCosto_id",
                                          "TipologiaCostiPersonale", "Id")};
    all.append(staffCosts);

    all.append(simple("TfrmGrigliaTipologieScadenzePersonale", "TfrmTipologiaScadenzaPersonale",
                      "Tipologie Scadenze Personale", "TipologiaScadenzePersonale",
                      "Sei sicuro di voler eliminare la tipologia di Scadenza ?"));

    RegistryDescriptor pallets =
        simple("TfrmGrigliaTipologiaBancali", "TfrmTipologiaBancali", "Tipologie Bancali", "TipologiaBancali",
               "Sei sicuro di voler eliminare la tipologia di Bancale ?");
    pallets.columns = {column("Codice", "Codice", 80), column("Descrizione", "Descrizione", 240),
                       column("Costo", "Costo", 90)};
    pallets.fields = {text("Descrizione", "Descrizione"), text("Codice", "Codice", 20),
                      amount("Costo", "Costo")};
    pallets.grid = QStringLiteral("frmGrigliaTipologiaBancali");
    all.append(pallets);

    all.append(simple("TfrmGrigliaTipoDocumenti", "TfrmTipoDocumenti", "Tipi di Documento", "TipoDocumenti",
                      "Sei sicuro di voler eliminare il tipo di documento?"));
    all.append(simple("TfrmStatoUso", "", "Stato di Uso", "StatoUso",
                      "Sei sicuro di voler eliminare lo Stato di Uso?"));

    RegistryDescriptor fuels =
        simple("TfrmGrigliaCarburanti", "TfrmCarburantiDettaglio", "Carburanti", "Carburanti",
               "Sei sicuro di voler eliminare il tipo di Carburante?", "Attenzione la descrizione");
    fuels.cardCaption = QStringLiteral("Carburante");
    fuels.columns = {column("Descrizione", "Descrizione", 240), column("Prezzo", "Prezzo al litro", 110)};
    fuels.fields = {text("Descrizione", "Descrizione"), amount("Prezzo", "Prezzo al litro", 3)};
    fuels.checks.required(QStringLiteral("Prezzo"), QStringLiteral("Attenzione manca il Prezzo"));
    fuels.grid = QStringLiteral("frmGrigliaCarburanti");
    all.append(fuels);

    RegistryDescriptor stations = simple(
        "TfrmGrigliaRifornimenti", "TfrmRifornimentiDettaglio", "Rifornimenti", "Rifornimenti",
        "Sei sicuro di voler eliminare il Rifornimento ?", "Attenzione la denominazione del rifornimento");
    stations.columns = {column("Descrizione", "Denominazione", 240), column("Indirizzo", "Indirizzo", 200),
                        column("Comune", "Comune", 150)};
    stations.fields = {text("Descrizione", "Denominazione"), text("Indirizzo", "Indirizzo"),
                       townByName("Comune", "Comune", {}), memo("Note", "Note")};
    stations.grid = QStringLiteral("frmGrigliaRifornimenti");
    all.append(stations);

    RegistryDescriptor tanks = simple("TfrmGrigliaCisterne", "TfrmCisterneDettaglio", "Cisterne", "Cisterne",
                                      "Sei sicuro di voler eliminare la cisterna?");
    tanks.listSql = QStringLiteral("SELECT Cisterne.*, Carburanti.Descrizione AS Carburante FROM Cisterne "
                                   "LEFT JOIN Carburanti ON Cisterne.Carburante_ID = Carburanti.id");
    tanks.order = QStringLiteral("Cisterne.Descrizione");
    tanks.columns = {column("Descrizione", "Descrizione", 220), column("Carburante", "Carburante", 140),
                     column("Litri", "Litri", 100)};
    tanks.filters = {{QStringLiteral("Cisterne.Descrizione"), QStringLiteral("Descrizione")}};
    tanks.fields = {text("Descrizione", "Descrizione"), amount("Litri", "Litri"),
                    shell::withList(lookup("Carburante_ID", "Carburante",
                                           "SELECT id, Descrizione FROM Carburanti ORDER BY Descrizione"),
                                    "TfrmGrigliaCarburanti"),
                    memo("Note", "Note")};
    tanks.checks.required(QStringLiteral("Litri"), QStringLiteral("Attenzione manca il numero dei litri"))
        .required(QStringLiteral("Carburante_ID"), QStringLiteral("Attenzione manca il tipo di carburante"));
    tanks.afterSave = {rewriteCopies("VettureCarburante", "Cisterna", "Cisterna_ID", "Cisterne", "id")};
    tanks.usedBy = {
        {QStringLiteral("CisterneCarico"), QStringLiteral("Cisterna_ID"), QStringLiteral("carichi")},
        {QStringLiteral("VettureCarburante"), QStringLiteral("Cisterna_ID"),
         QStringLiteral("rifornimenti delle vetture")}};
    tanks.inUseMessage =
        QStringLiteral("Attenzione la cisterna ha dei movimenti e non può essere eliminata:");
    tanks.rows = {{[] { return registryNamed(QStringLiteral("TfrmModificaCisterneRighe")); },
                   QStringLiteral("Cisterna_ID"), QStringLiteral("Carichi"),
                   QStringLiteral("frmCisterneDettaglio_DBGrid1")}};
    tanks.grid = QStringLiteral("frmGrigliaCisterne");
    all.append(tanks);

    RegistryDescriptor carriage = simple("TfrmPorto", "", "Porto", "FatturaPorto",
                                         "Sei sicuro di voler eliminare la tipologia di Porto?");
    carriage.columns = {column("Codice", "Codice", 80), column("Descrizione", "Descrizione", 260)};
    carriage.fields = {text("Descrizione", "Descrizione"), text("Codice", "Codice", 20)};
    carriage.checks.required(QStringLiteral("Codice"), QStringLiteral("Attenzione manca il Codice"));
    all.append(carriage);

    all.append(simple("TfrmAspetto", "", "Aspetto dei beni", "FatturaAspetto",
                      "Sei sicuro di voler eliminare la tipologia di Aspetto merce?",
                      "Attenzione manca la Descrizione dei tipo di Aspetto merce"));

    RegistryDescriptor addresses = simple("TfrmIndirizzi", "TfrmIndirizziDettaglio", "Indirizzi", "Indirizzi",
                                          "Sei sicuro di voler eliminare l'indirizzo?");
    addresses.listSql =
        QStringLiteral("SELECT Indirizzi.*, Comuni.Comune, Comuni.Provincia, Nazioni.DENOMINAZ AS Nazione "
                       "FROM Indirizzi LEFT JOIN Comuni ON Indirizzi.Comune_ID = Comuni.ID "
                       "LEFT JOIN Nazioni ON Indirizzi.Nazione_ID = Nazioni.IDNazione");
    addresses.order = QStringLiteral("Indirizzi.RagioneSociale, Indirizzi.Indirizzo");
    addresses.columns = {column("RagioneSociale", "Ragione sociale", 220),
                         column("Indirizzo", "Indirizzo", 200),
                         column("Cap", "Cap", 60),
                         column("Comune", "Comune", 150),
                         column("Provincia", "Prov.", 45),
                         column("Nazione", "Nazione", 110),
                         column("Telefono1", "Telefono", 110)};
    addresses.filters = {{QStringLiteral("Indirizzi.RagioneSociale"), QStringLiteral("Ragione sociale")},
                         {QStringLiteral("Indirizzi.Indirizzo"), QStringLiteral("Indirizzo")},
                         {QStringLiteral("Comuni.Comune"), QStringLiteral("Comune")},
                         {QStringLiteral("Nazioni.DENOMINAZ"), QStringLiteral("Nazione")}};
    addresses.fields = {
        text("RagioneSociale", "Ragione sociale"),
        text("Indirizzo", "Indirizzo"),
        lookup("Comune_ID", "Comune", townsByKey, "SELECT CAP AS Cap FROM Comuni WHERE ID = ?"),
        text("Cap", "Cap", 10),
        lookup("Nazione_ID", "Nazione", nationsByKey),
        text("PartitaIva", "Partita iva", 28),
        text("CodFiscale", "Cod. Fiscale", 16),
        text("Telefono1", "Telefono"),
        text("Telefono2", "2° Telefono"),
        text("fax", "Fax"),
        text("email", "E-mail"),
        memo("Note", "Note")};
    addresses.checks = {};
    addresses.checks.required(QStringLiteral("Indirizzo"), QStringLiteral("Attenzione manca l'Indirizzo"))
        .required(QStringLiteral("Comune_ID"), QStringLiteral("Attenzione manca il Comune"));
    addresses.newValues = {{QStringLiteral("Nazione_ID"), 380}};
    addresses.helpContext = 5310;
    addresses.grid = QStringLiteral("frmIndirizzi");
    all.append(addresses);

    RegistryDescriptor postcodes = simple("TfrmTrovaCap", "TfrmIndirizziItaliaDettaglio", "Trova Cap",
                                          "IndirizziItalia", "Sei sicuro di voler eliminare l'Indirizzo ?");
    postcodes.cardCaption = QStringLiteral("Cap di Italia");
    postcodes.listSql =
        QStringLiteral("SELECT IndirizziItalia.*, Comuni.Comune, Comuni.Provincia FROM IndirizziItalia "
                       "LEFT JOIN Comuni ON IndirizziItalia.Comune_ID = Comuni.ID");
    postcodes.order = QStringLiteral("Comuni.Comune, IndirizziItalia.Frazione, IndirizziItalia.Indirizzo");
    postcodes.columns = {column("CAP", "Cap", 60),
                         column("Comune", "Comune", 170),
                         column("Provincia", "Prov.", 45),
                         column("Frazione", "Frazione", 150),
                         column("Indirizzo", "Indirizzo", 220),
                         column("NumeroCivico", "Numeri civici", 110)};
    postcodes.filters = {{QStringLiteral("Comuni.Comune"), QStringLiteral("Comune")},
                         {QStringLiteral("IndirizziItalia.Indirizzo"), QStringLiteral("Indirizzo")},
                         {QStringLiteral("IndirizziItalia.Frazione"), QStringLiteral("Frazione")},
                         {QStringLiteral("IndirizziItalia.CAP"), QStringLiteral("Cap")}};
    postcodes.fields = {text("CAP", "Cap", 5), lookup("Comune_ID", "Comune", townsByKey),
                        text("Frazione", "Frazione"), text("Indirizzo", "Indirizzo"),
                        text("NumeroCivico", "Numeri civici")};
    postcodes.checks = {};
    postcodes.checks.required(QStringLiteral("CAP"), QStringLiteral("Attenzione manca il Cap "));
    postcodes.ownerField = QStringLiteral("Comune_ID");
    postcodes.helpContext = 5310;
    postcodes.grid = QStringLiteral("frmTrovaCap");
    all.append(postcodes);

    RegistryDescriptor notices = simple("TfrmGrigliaAvvisi", "TfrmAvvisi", "Avvisi", "Avvisi",
                                        "Sei sicuro di voler eliminare il tipo di avviso ?");
    notices.fields = {text("Descrizione", "Descrizione"), memo("Testo", "Testo")};
    notices.checks.required(QStringLiteral("Testo"), QStringLiteral("Attenzione manca il testo"));
    notices.grid = QStringLiteral("frmGrigliaAvvisi");
    all.append(notices);

    // The fillings of a tank are edited in their own window; their list is the tank card's.
    RegistryDescriptor fillings =
        simple("TfrmModificaCisterneRighe", "TfrmModificaCisterneRighe", "Modifica Cisterne",
               "CisterneCarico", "Sei sicuro di voler eliminare il carico ?");
    fillings.order = QStringLiteral("Data DESC");
    fillings.columns = {column("Data", "Data", 90), column("Litri", "Litri", 90),
                        column("Importo", "Importo", 100), column("FatturaDescrizione", "Fattura", 240)};
    fillings.filters = {};
    fillings.fields = {date("Data", "Data"), amount("Litri", "Litri"), amount("Importo", "Importo"),
                       lookup("Fattura_ID", "Fattura di acquisto", "")};
    fillings.fields.last().lookupSql = tankFillingInvoicesSql();
    fillings.checks = tankFillingChecks();
    fillings.ownerField = QStringLiteral("Cisterna_ID");
    fillings.remove = deleteTankFilling;
    fillings.save = [](storage::Archive &archive, qint64 key, const QVariantMap &changed) {
        core::Result<QVariantMap> values = archive.readRow(QStringLiteral("CisterneCarico"), key);
        if (!values)
            return core::Status::failure(values.error());
        for (auto it = changed.cbegin(); it != changed.cend(); ++it)
            values->insert(it.key(), it.value());
        TankFilling filling{values->value(QStringLiteral("Cisterna_ID")).toLongLong(),
                            values->value(QStringLiteral("Data")),
                            values->value(QStringLiteral("Litri")),
                            values->value(QStringLiteral("Importo")),
                            values->value(QStringLiteral("Fattura_ID")),
                            {}};
        if (RecordChecks::hasValue(filling.invoice)) {
            const core::Result<QVariant> text =
                archive.scalar(QStringLiteral("SELECT invoice.Testo FROM (%1) invoice WHERE invoice.ID = ?")
                                   .arg(fillingInvoices()),
                               {filling.invoice});
            if (!text)
                return core::Status::failure(text.error());
            filling.invoiceText = text->toString();
        }
        const core::Result<qint64> saved = saveTankFilling(archive, key, filling);
        return saved ? core::Status() : core::Status::failure(saved.error());
    };
    all.append(fillings);

    // Payments of customers and suppliers outside documents: edited from the party's card.
    for (const auto &[window, caption, payments] :
         {std::tuple{"TfrmModificaClientiPagamenti", "Modifica Clienti Pagamenti", customerPayments()},
          std::tuple{"TfrmModificaFornitoriPagamenti", "Modifica Fornitori Pagamenti", supplierPayments()}}) {
        RegistryDescriptor paid =
            simple(window, window, caption, "", "Sei sicuro di voler eliminare il record ?");
        paid.table = payments.table;
        paid.listSql =
            QStringLiteral("SELECT %1.*, ModPagamento.Descrizione AS ModalitaPagamento, Bank.Banca, "
                           "TipologiaPrimaNota.Descrizione AS Tipologia FROM %1 "
                           "LEFT JOIN ModPagamento ON %1.ModPagamento_Id = ModPagamento.id "
                           "LEFT JOIN Bank ON %1.Banca_ID = Bank.Id "
                           "LEFT JOIN TipologiaPrimaNota ON %1.Tipologia_ID = TipologiaPrimaNota.Id")
                .arg(payments.table);
        paid.order = payments.table + QStringLiteral(".Data DESC");
        paid.columns = {
            column("Data", "Data", 90),        column("Operazione", "Operazione", 220),
            column("Importo", "Importo", 100), column("ModalitaPagamento", "Modalità Pagamento", 160),
            column("Banca", "Banca", 150),     column("Tipologia", "Tipologia", 90),
            column("Note", "Note", 160)};
        paid.filters = {};
        paid.fields = {
            date("Data", "Data"),
            text("Operazione", "Operazione"),
            amount("Importo", "Importo"),
            text("Note", "Note"),
            lookup("ModPagamento_Id", "Modalità Pagamento",
                   "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione"),
            shell::withList(lookup("Banca_ID", "Banca", "SELECT Id, Banca FROM Bank ORDER BY Banca"),
                            "TfrmGrigliaBanche"),
            lookup("Tipologia_ID", "Tipologia",
                   "SELECT Id, Descrizione FROM TipologiaPrimaNota ORDER BY Descrizione")};
        paid.checks = paymentChecks();
        paid.ownerField = payments.partyField;
        paid.newValues = {{QStringLiteral("Importo"), 0.0}};
        paid.todayField = QStringLiteral("Data");
        paid.helpContext = 5100;
        paid.save = [payments](storage::Archive &archive, qint64 key, const QVariantMap &values) {
            return savePayment(archive, payments, key, values);
        };
        paid.remove = [payments](storage::Archive &archive, qint64 key) {
            return deletePayment(archive, payments, key);
        };
        all.append(paid);
    }

    return all;
}

} // namespace

const QList<RegistryDescriptor> &lookupRegistries()
{
    static const QList<RegistryDescriptor> registries = buildRegistries();
    return registries;
}

const RegistryDescriptor *registryNamed(const QString &window)
{
    for (const RegistryDescriptor &registry : lookupRegistries()) {
        if (registry.listWindow == window ||
            (!registry.cardWindow.isEmpty() && registry.cardWindow == window))
            return &registry;
    }
    return nullptr;
}

QList<QPair<QString, QString>> typeRegistries()
{
    return {
        {QStringLiteral("Veicoli"), QStringLiteral("TfrmVeicoli")},
        {QStringLiteral("Categorie Clienti"), QStringLiteral("TfrmCategorieClienti_Griglia")},
        {QStringLiteral("Categorie Fornitori"), QStringLiteral("TfrmCategorieFornitori_Griglia")},
        {QStringLiteral("Categorie Personale"), QStringLiteral("TfrmGrigliaCategoriePersonale")},
        {QStringLiteral("Tipologie Calendario"), QStringLiteral("TfrmGrigliaTipologieCalendario")},
        {QStringLiteral("Tipologie Costi Vetture"), QStringLiteral("TfrmGrigliaTipologiaCostiVetture")},
        {QStringLiteral("Tipologie Costi Personale"), QStringLiteral("TfrmGrigliaTipologieCostiPersonale")},
        {QStringLiteral("Tipologie Scadenze Personale"),
         QStringLiteral("TfrmGrigliaTipologieScadenzePersonale")},
        {QStringLiteral("Tipologie Bancali"), QStringLiteral("TfrmGrigliaTipologiaBancali")},
        {QStringLiteral("Tipi di Documento"), QStringLiteral("TfrmGrigliaTipoDocumenti")},
        {QStringLiteral("Stato di Uso"), QStringLiteral("TfrmStatoUso")},
        {QStringLiteral("Porto"), QStringLiteral("TfrmPorto")},
        {QStringLiteral("Aspetto dei beni"), QStringLiteral("TfrmAspetto")},
        {QStringLiteral("Cap di Italia"), QStringLiteral("TfrmTrovaCap")}};
}

RecordChecks tankFillingChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la Data"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l' Importo"))
        .required(QStringLiteral("Litri"), QStringLiteral("Attenzione mancano i Litri"));
    return checks;
}

QString tankFillingInvoicesSql()
{
    return fillingInvoices() +
           QStringLiteral(" ORDER BY fattura.DataRegistrazione DESC, fattura.ProgressivoCarico");
}

core::Result<qint64> saveTankFilling(storage::Archive &archive, std::optional<qint64> key,
                                     const TankFilling &filling)
{
    using R = core::Result<qint64>;
    const QVariantMap values{{QStringLiteral("Cisterna_ID"), filling.tank},
                             {QStringLiteral("Data"), filling.date},
                             {QStringLiteral("Litri"), filling.litres},
                             {QStringLiteral("Importo"), filling.amount},
                             {QStringLiteral("Fattura_ID"), filling.invoice},
                             {QStringLiteral("FatturaDescrizione"), filling.invoiceText}};
    if (const std::optional<RecordChecks::Failure> failure = tankFillingChecks().firstFailure(values))
        return R::failure(failure->message);
    storage::Transaction transaction(archive);
    double before = 0;
    if (key) {
        const core::Result<QVariant> stored =
            archive.scalar(QStringLiteral("SELECT Litri FROM CisterneCarico WHERE ID = ?"), {*key});
        if (!stored)
            return R::failure(stored.error());
        before = stored->toDouble();
    }
    qint64 saved = key.value_or(0);
    if (key) {
        if (core::Status written = archive.update(QStringLiteral("CisterneCarico"), *key, values); !written)
            return R::failure(written.error());
    } else {
        core::Result<qint64> added = archive.insert(QStringLiteral("CisterneCarico"), values);
        if (!added)
            return R::failure(added.error());
        saved = *added;
    }
    const double change = filling.litres.toDouble() - before;
    if (change != 0) {
        if (core::Result<int> run = archive.execute(
                QStringLiteral("UPDATE Cisterne SET Litri = COALESCE(Litri, 0) + ? WHERE id = ?"),
                {change, filling.tank});
            !run)
            return R::failure(run.error());
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return saved;
}

core::Status deleteTankFilling(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (core::Result<int> run = archive.execute(
            QStringLiteral(
                "UPDATE Cisterne SET Litri = COALESCE(Litri, 0) - COALESCE((SELECT Litri FROM CisterneCarico "
                "WHERE ID = ?), 0) WHERE id = (SELECT Cisterna_ID FROM CisterneCarico WHERE ID = ?)"),
            {key, key});
        !run)
        return core::Status::failure(run.error());
    if (core::Status removed = archive.remove(QStringLiteral("CisterneCarico"), key); !removed)
        return removed;
    return transaction.commit();
}

} // namespace rotalina::registries
