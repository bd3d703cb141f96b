#include "print/reportfixture.h"

#include "storage/archive.h"
#include "support/testarchive.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPainter>
#include <QVariantMap>

namespace rotalina::test {

namespace {

// Adds rows and keeps the first failure, so that a long seeding reads as a list of rows.
class Seeder
{
public:
    explicit Seeder(storage::Archive &archive) : m_archive(archive) {}

    qint64 add(const QString &table, const QVariantMap &values)
    {
        if (!m_error.isEmpty())
            return 0;
        const core::Result<qint64> key = m_archive.insert(table, values);
        if (!key) {
            m_error = table + QStringLiteral(": ") + key.error();
            return 0;
        }
        return *key;
    }

    qint64 find(const QString &sql, const QVariantList &params)
    {
        if (!m_error.isEmpty())
            return 0;
        const core::Result<QVariant> key = m_archive.scalar(sql, params);
        if (!key || key->isNull()) {
            m_error = QStringLiteral("non trovato: ") + sql + u' ' + params.value(0).toString();
            return 0;
        }
        return key->toLongLong();
    }

    void update(const QString &table, qint64 key, const QVariantMap &values)
    {
        if (!m_error.isEmpty())
            return;
        if (const core::Status updated = m_archive.update(table, key, values); !updated)
            m_error = table + QStringLiteral(": ") + updated.error();
    }

    const QString &error() const { return m_error; }

private:
    storage::Archive &m_archive;
    QString m_error;
};

QDate day(int y, int m, int d)
{
    return QDate(y, m, d);
}

ReportCase listCase(int code, QStringList expected, QStringList absent = {})
{
    ReportCase c;
    c.code = code;
    c.name = QString::number(code);
    c.expected = std::move(expected);
    c.absent = std::move(absent);
    return c;
}

ReportCase documentCase(int code, qint64 key, QStringList expected, QStringList absent = {})
{
    ReportCase c = listCase(code, std::move(expected), std::move(absent));
    c.context.key = key;
    return c;
}

} // namespace

QByteArray sampleLogo()
{
    QImage image(240, 120, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(20, 90, 160));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(8, 20, 150, 70), 14, 14);
    painter.setBrush(QColor(240, 140, 20));
    painter.drawEllipse(QRectF(30, 78, 34, 34));
    painter.drawEllipse(QRectF(110, 78, 34, 34));
    painter.drawRect(QRectF(160, 45, 60, 45));
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

core::Result<QList<ReportCase>> seedReportArchive(storage::Archive &archive)
{
    Seeder s(archive);
    const QString ws = reportWorkstation;
    const QString other = otherWorkstation;

    const core::Result<QVariant> companyRow = archive.scalar(QStringLiteral("SELECT ID FROM ditta"));
    const QVariantMap company{{QStringLiteral("RagSoc"), QStringLiteral("Trasporti Rossi S.r.l.")},
                              {QStringLiteral("Via"), QStringLiteral("Via dell'Industria")},
                              {QStringLiteral("Numero"), QStringLiteral("12")},
                              {QStringLiteral("Cap"), QStringLiteral("37135")},
                              {QStringLiteral("Comune"), QStringLiteral("Verona")},
                              {QStringLiteral("Provincia"), QStringLiteral("VR")},
                              {QStringLiteral("PIva"), QStringLiteral("01234567897")},
                              {QStringLiteral("CodFisc"), QStringLiteral("01234567897")},
                              {QStringLiteral("Tel"), QStringLiteral("045 8201234")},
                              {QStringLiteral("Email"), QStringLiteral("amministrazione@trasportirossi.it")},
                              {QStringLiteral("Logo"), sampleLogo()}};
    if (companyRow && !companyRow->isNull())
        s.update(QStringLiteral("ditta"), companyRow->toLongLong(), company);
    else
        s.add(QStringLiteral("ditta"), company);

    const QString townSql = QStringLiteral("SELECT ID FROM Comuni WHERE Comune = ? AND Provincia = ?");
    const qint64 verona = s.find(townSql, {QStringLiteral("Verona"), QStringLiteral("VR")});
    const qint64 milano = s.find(townSql, {QStringLiteral("Milano"), QStringLiteral("MI")});
    const qint64 bologna = s.find(townSql, {QStringLiteral("Bologna"), QStringLiteral("BO")});
    const qint64 lombardia = s.find(QStringLiteral("SELECT IDRegione FROM Regioni WHERE Descrizione = ?"),
                                    {QStringLiteral("Lombardia")});
    const qint64 cashType = s.find(QStringLiteral("SELECT Id FROM TipologiaPrimaNota WHERE Descrizione = ?"),
                                   {QStringLiteral("Banca")});

    // Code tables of the firm.
    const qint64 vat22 =
        s.add(QStringLiteral("Iva"),
              {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22%")}, {QStringLiteral("Iva"), 22.0}});
    const qint64 vatExcluded =
        s.add(QStringLiteral("Iva"), {{QStringLiteral("Descrizione"), QStringLiteral("Esclusa art. 15")},
                                      {QStringLiteral("Iva"), 0.0},
                                      {QStringLiteral("Pa_Natura_Codice"), QStringLiteral("N1")}});
    const qint64 trip =
        s.add(QStringLiteral("UnitaMisura"), {{QStringLiteral("Descrizione"), QStringLiteral("Viaggio")}});
    const qint64 transfer =
        s.add(QStringLiteral("ModPagamento"),
              {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico bancario 30/60 gg d.f.")},
               {QStringLiteral("NumeroScadenze"), 2},
               {QStringLiteral("NonVisualizzareStampa"), false}});
    const qint64 cash = s.add(QStringLiteral("ModPagamento"),
                              {{QStringLiteral("Descrizione"), QStringLiteral("Rimessa diretta")},
                               {QStringLiteral("NumeroScadenze"), 1},
                               {QStringLiteral("NonVisualizzareStampa"), true}});
    const qint64 bank = s.add(QStringLiteral("Bank"),
                              {{QStringLiteral("Banca"), QStringLiteral("Banca Popolare di Verona")},
                               {QStringLiteral("Iban"), QStringLiteral("IT60X0542811101000000123456")}});
    const qint64 category = s.add(QStringLiteral("ClientiCategoria"),
                                  {{QStringLiteral("Descrizione"), QStringLiteral("Logistica")}});
    const qint64 carrier = s.add(QStringLiteral("Vettore"),
                                 {{QStringLiteral("Descrizione"), QStringLiteral("Mezzo del mittente")}});
    const qint64 port = s.add(QStringLiteral("FatturaPorto"),
                              {{QStringLiteral("Descrizione"), QStringLiteral("Franco destino")}});
    const qint64 look =
        s.add(QStringLiteral("FatturaAspetto"), {{QStringLiteral("Descrizione"), QStringLiteral("Bancali")}});
    const qint64 account =
        s.add(QStringLiteral("ContabilitaConti"),
              {{QStringLiteral("Descrizione"), QStringLiteral("Carburanti e lubrificanti")}});
    const qint64 palletType = s.add(QStringLiteral("TipologiaBancali"),
                                    {{QStringLiteral("Descrizione"), QStringLiteral("EPAL 80x120")}});
    const qint64 driverCategory = s.add(QStringLiteral("CategoriePersonale"),
                                        {{QStringLiteral("Descrizione"), QStringLiteral("Autista")}});
    const qint64 diesel =
        s.add(QStringLiteral("Carburanti"), {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}});
    const qint64 tractor = s.add(QStringLiteral("Veicoli"),
                                 {{QStringLiteral("Descrizione"), QStringLiteral("Trattore stradale")}});
    const qint64 station = s.add(QStringLiteral("Rifornimenti"),
                                 {{QStringLiteral("Descrizione"), QStringLiteral("Distributore interno")}});

    // Parties.
    const qint64 alfa =
        s.add(QStringLiteral("Clienti"),
              {{QStringLiteral("NominativoDocumenti"), QStringLiteral("Alfa Logistica S.p.A.")},
               {QStringLiteral("Via"), QStringLiteral("Corso Porta Nuova")},
               {QStringLiteral("NumCasa"), QStringLiteral("45")},
               {QStringLiteral("Cap"), QStringLiteral("37122")},
               {QStringLiteral("Citta"), QStringLiteral("Verona")},
               {QStringLiteral("Provincia"), QStringLiteral("VR")},
               {QStringLiteral("Iva"), QStringLiteral("03456789012")},
               {QStringLiteral("CodFiscale"), QStringLiteral("03456789012")},
               {QStringLiteral("Telefono"), QStringLiteral("045 555 1234")},
               {QStringLiteral("EMail"), QStringLiteral("ordini@alfalogistica.it")},
               {QStringLiteral("Codice"), QStringLiteral("M5UXCR1")},
               {QStringLiteral("Categoria_ID"), category},
               {QStringLiteral("SaldoInizioAnno"), 1250.5},
               {QStringLiteral("Annullato"), false}});
    const qint64 bottega = s.add(QStringLiteral("Clienti"),
                                 {{QStringLiteral("NominativoDocumenti"), QStringLiteral("Bottega D'Angelo")},
                                  {QStringLiteral("Via"), QStringLiteral("Via Mazzini")},
                                  {QStringLiteral("NumCasa"), QStringLiteral("3")},
                                  {QStringLiteral("Cap"), QStringLiteral("40121")},
                                  {QStringLiteral("Citta"), QStringLiteral("Bologna")},
                                  {QStringLiteral("Provincia"), QStringLiteral("BO")},
                                  {QStringLiteral("CodFiscale"), QStringLiteral("DNGMRA70A01A944X")},
                                  {QStringLiteral("Telefono"), QStringLiteral("051 223344")},
                                  {QStringLiteral("Annullato"), false}});
    s.add(QStringLiteral("Clienti"),
          {{QStringLiteral("NominativoDocumenti"), QStringLiteral("Cliente Cessato S.n.c.")},
           {QStringLiteral("Annullato"), true}});
    const qint64 fuelSupplier = s.add(
        QStringLiteral("Fornitor"), {{QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord S.r.l.")},
                                     {QStringLiteral("VIA"), QStringLiteral("Via Brennero 200")},
                                     {QStringLiteral("Cap"), QStringLiteral("38121")},
                                     {QStringLiteral("Comune"), QStringLiteral("Trento")},
                                     {QStringLiteral("Provincia"), QStringLiteral("TN")},
                                     {QStringLiteral("Iva"), QStringLiteral("04567890123")},
                                     {QStringLiteral("Telefono"), QStringLiteral("0461 998877")},
                                     {QStringLiteral("Annullato"), false}});
    const qint64 agent = s.add(QStringLiteral("Fornitor"),
                               {{QStringLiteral("Fornitore"), QStringLiteral("Mario Bianchi Agente")},
                                {QStringLiteral("Comune"), QStringLiteral("Vicenza")},
                                {QStringLiteral("Annullato"), false}});
    s.add(QStringLiteral("Fornitor"), {{QStringLiteral("Fornitore"), QStringLiteral("Fornitore Dismesso")},
                                       {QStringLiteral("Annullato"), true}});
    const qint64 ownerDriver =
        s.add(QStringLiteral("Padroncini"),
              {{QStringLiteral("RagioneSociale"), QStringLiteral("Autotrasporti Verdi di Luca Verdi")},
               {QStringLiteral("Indirizzo"), QStringLiteral("Via Po 3")},
               {QStringLiteral("Comune_Id"), verona},
               {QStringLiteral("Iva"), QStringLiteral("02345678901")},
               {QStringLiteral("Tel"), QStringLiteral("348 1122334")},
               {QStringLiteral("TariffaOraria"), 35.0},
               {QStringLiteral("ScadenzaDurc"), day(2027, 3, 31)}});
    const qint64 driver =
        s.add(QStringLiteral("Personale"), {{QStringLiteral("Personale"), QStringLiteral("Giuseppe Neri")},
                                            {QStringLiteral("Indirizzo"), QStringLiteral("Via Roma 5")},
                                            {QStringLiteral("Cap"), QStringLiteral("37100")},
                                            {QStringLiteral("Comune_Id"), verona},
                                            {QStringLiteral("CodFisc"), QStringLiteral("NREGPP80A01L781X")},
                                            {QStringLiteral("Tel"), QStringLiteral("347 5566778")},
                                            {QStringLiteral("DataNascita"), day(1980, 1, 1)},
                                            {QStringLiteral("DataAssunzione"), day(2015, 3, 1)},
                                            {QStringLiteral("CategoriaPersonale_ID"), driverCategory},
                                            {QStringLiteral("PagaMensile"), 1850.0},
                                            {QStringLiteral("Annullato"), false}});
    s.add(QStringLiteral("Personale"), {{QStringLiteral("Personale"), QStringLiteral("Ex Dipendente")},
                                        {QStringLiteral("Annullato"), true}});
    const auto place = [&](const QString &name, const QString &street, const QString &cap, qint64 town) {
        return s.add(QStringLiteral("Indirizzi"), {{QStringLiteral("RagioneSociale"), name},
                                                   {QStringLiteral("Indirizzo"), street},
                                                   {QStringLiteral("Cap"), cap},
                                                   {QStringLiteral("Comune_ID"), town},
                                                   {QStringLiteral("Nazione_ID"), 380}});
    };
    const qint64 warehouse = place(QStringLiteral("Magazzino Alfa Verona"),
                                   QStringLiteral("Via dell'Artigianato 4"), QStringLiteral("37135"), verona);
    const qint64 depot = place(QStringLiteral("Deposito Beta Milano"), QStringLiteral("Via Mecenate 90"),
                               QStringLiteral("20138"), milano);
    place(QStringLiteral("Ferramenta Gialli"), QStringLiteral("Via Emilia 100"), QStringLiteral("40127"),
          bologna);

    s.add(QStringLiteral("prezziar"),
          {{QStringLiteral("Codice"), QStringLiteral("VR-MI")},
           {QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano bilico completo")},
           {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
           {QStringLiteral("Cliente_ID"), alfa},
           {QStringLiteral("Partenza_ID"), verona},
           {QStringLiteral("Fine_ID"), milano},
           {QStringLiteral("Partenza_Indirizzo"), warehouse},
           {QStringLiteral("Fine_Indirizzo"), depot},
           {QStringLiteral("Chilometri"), 160.0},
           {QStringLiteral("Um_Id"), trip},
           {QStringLiteral("Prezzo"), 650.0},
           {QStringLiteral("AliquotaIva"), 22.0},
           {QStringLiteral("PrezzoCompleto"), 793.0},
           {QStringLiteral("Annullato"), false}});
    s.add(QStringLiteral("prezziar"), {{QStringLiteral("Descrizione"), QStringLiteral("Tariffa ritirata")},
                                       {QStringLiteral("Annullato"), true}});

    // Fleet.
    const qint64 truck = s.add(QStringLiteral("Vetture"),
                               {{QStringLiteral("Targa"), QStringLiteral("AB123CD")},
                                {QStringLiteral("Modello"), QStringLiteral("Stralis 480")},
                                {QStringLiteral("VeicoloDesc"), QStringLiteral("Trattore stradale")},
                                {QStringLiteral("Veicolo_ID"), tractor},
                                {QStringLiteral("Carburante_id"), diesel},
                                {QStringLiteral("DataImmatricolazione"), day(2019, 5, 10)},
                                {QStringLiteral("NumTelaio"), QStringLiteral("WJMM1VSH40C123456")},
                                {QStringLiteral("CostoAcquisto"), 98000.0},
                                {QStringLiteral("Chilometri"), 412000.0},
                                {QStringLiteral("Personale_ID"), driver}});
    const qint64 tank = s.add(QStringLiteral("Cisterne"),
                              {{QStringLiteral("Descrizione"), QStringLiteral("Cisterna gasolio")},
                               {QStringLiteral("Carburante_ID"), diesel},
                               {QStringLiteral("Litri"), 9000.0}});
    s.add(QStringLiteral("CisterneCarico"),
          {{QStringLiteral("Cisterna_ID"), tank},
           {QStringLiteral("Data"), day(2026, 10, 28)},
           {QStringLiteral("Litri"), 5000.0},
           {QStringLiteral("Importo"), 7500.0},
           {QStringLiteral("FatturaDescrizione"), QStringLiteral("Fattura A/770")}});
    s.add(QStringLiteral("VettureCarburante"),
          {{QStringLiteral("Vettura_ID"), truck},
           {QStringLiteral("Data"), day(2026, 11, 2)},
           {QStringLiteral("Carburante_id"), diesel},
           {QStringLiteral("Litri"), 400.0},
           {QStringLiteral("Importo"), 640.0},
           {QStringLiteral("KmPartenza"), 411000},
           {QStringLiteral("KmArrivo"), 411900},
           {QStringLiteral("KmDifferenza"), 900},
           {QStringLiteral("Rifornimento_ID"), station},
           {QStringLiteral("Cisterna_ID"), tank},
           {QStringLiteral("Cisterna"), QStringLiteral("Cisterna gasolio")},
           {QStringLiteral("Personale_ID"), driver}});
    s.add(QStringLiteral("VettureCarburante"),
          {{QStringLiteral("Vettura_ID"), truck},
           {QStringLiteral("Data"), day(2026, 11, 9)},
           {QStringLiteral("Carburante_id"), diesel},
           {QStringLiteral("Litri"), 380.0},
           {QStringLiteral("Importo"), 608.0},
           {QStringLiteral("Note"), QStringLiteral("Stazione A4 Soave")}});
    s.add(QStringLiteral("VettureCosti"), {{QStringLiteral("Vettura_ID"), truck},
                                           {QStringLiteral("Data"), day(2026, 10, 15)},
                                           {QStringLiteral("TipologiaCosto"), QStringLiteral("Tagliando")},
                                           {QStringLiteral("Importo"), 850.0}});
    s.add(QStringLiteral("VettureScadenze"),
          {{QStringLiteral("Vettura_ID"), truck},
           {QStringLiteral("Descrizione"), QStringLiteral("Revisione annuale")},
           {QStringLiteral("DataScadenza"), day(2027, 5, 10)},
           {QStringLiteral("DataAvviso"), day(2027, 4, 10)},
           {QStringLiteral("Validato"), false}});
    s.add(QStringLiteral("VettureScadenze"), {{QStringLiteral("Vettura_ID"), truck},
                                              {QStringLiteral("Descrizione"), QStringLiteral("Bollo pagato")},
                                              {QStringLiteral("DataScadenza"), day(2026, 1, 31)},
                                              {QStringLiteral("Validato"), true}});
    s.add(QStringLiteral("VettureSchede"), {{QStringLiteral("Vettura_ID"), truck},
                                            {QStringLiteral("Scheda"), QStringLiteral("Carta carburante")},
                                            {QStringLiteral("Numero"), QStringLiteral("7001 2345")},
                                            {QStringLiteral("Pin"), QStringLiteral("4321")}});

    // Staff.
    s.add(QStringLiteral("PersonaleCosti"),
          {{QStringLiteral("Personale_ID"), driver},
           {QStringLiteral("Data"), day(2026, 11, 3)},
           {QStringLiteral("TipologiaCosto"), QStringLiteral("Visita medica")},
           {QStringLiteral("Importo"), 120.0}});
    s.add(QStringLiteral("PersonaleScadenze"),
          {{QStringLiteral("Personale_ID"), driver},
           {QStringLiteral("Descrizione"), QStringLiteral("Rinnovo CQC")},
           {QStringLiteral("Tipologia"), QStringLiteral("Patente")},
           {QStringLiteral("DataScadenza"), day(2027, 2, 28)},
           {QStringLiteral("DataAvviso"), day(2027, 1, 31)},
           {QStringLiteral("Validato"), false}});
    s.add(QStringLiteral("PersonaleStipendi"),
          {{QStringLiteral("Personale_ID"), driver},
           {QStringLiteral("Anno"), 2026},
           {QStringLiteral("Mese"), 11},
           {QStringLiteral("Base"), 1600.0},
           {QStringLiteral("Giorni"), 22.0},
           {QStringLiteral("Trasferta"), 350.0},
           {QStringLiteral("Addebiti"), 100.0},
           {QStringLiteral("Addebiti_Descrizione"), QStringLiteral("Anticipo del 15/11")},
           {QStringLiteral("TotaleParziale"), 1850.0},
           {QStringLiteral("ImportoBonifico"), 1850.0},
           {QStringLiteral("DataPagamento"), day(2026, 12, 5)}});
    s.add(QStringLiteral("Calendario"),
          {{QStringLiteral("Data"), day(2026, 12, 10)},
           {QStringLiteral("DataAvviso"), day(2026, 12, 8)},
           {QStringLiteral("TipologiaCalendario"), QStringLiteral("Manutenzione")},
           {QStringLiteral("Personale"), QStringLiteral("Giuseppe Neri")},
           {QStringLiteral("Note"), QStringLiteral("Cambio pneumatici AB123CD")},
           {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("PadronciniScadenze"), {{QStringLiteral("Padroncino_ID"), ownerDriver},
                                                 {QStringLiteral("Numero"), 1},
                                                 {QStringLiteral("DataRiferimento"), day(2026, 11, 30)},
                                                 {QStringLiteral("DataScadenza"), day(2026, 12, 15)},
                                                 {QStringLiteral("Importo"), 400.0},
                                                 {QStringLiteral("ModPagamento_Id"), transfer},
                                                 {QStringLiteral("pagato"), false}});
    s.add(QStringLiteral("PadronciniScadenze"), {{QStringLiteral("Padroncino_ID"), ownerDriver},
                                                 {QStringLiteral("Numero"), 1},
                                                 {QStringLiteral("DataRiferimento"), day(2026, 10, 31)},
                                                 {QStringLiteral("DataScadenza"), day(2026, 11, 15)},
                                                 {QStringLiteral("Importo"), 380.0},
                                                 {QStringLiteral("DataPagamento"), day(2026, 11, 14)},
                                                 {QStringLiteral("pagato"), true}});

    // Customer invoice 15: two trips at 22 % and an expense outside VAT, paid in two instalments.
    const qint64 invoice =
        s.add(QStringLiteral("fattura"),
              {{QStringLiteral("Num"), 15},
               {QStringLiteral("Data"), day(2026, 11, 30)},
               {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
               {QStringLiteral("Cliente_ID"), alfa},
               {QStringLiteral("Agente_id"), agent},
               {QStringLiteral("ModPagamento_Id"), transfer},
               {QStringLiteral("Banca_ID"), bank},
               {QStringLiteral("Vettore_ID"), carrier},
               {QStringLiteral("Porto_ID"), port},
               {QStringLiteral("Aspetto_ID"), look},
               {QStringLiteral("Destinatario_ID"), depot},
               {QStringLiteral("Causale"), QStringLiteral("Trasporti del mese di novembre")},
               {QStringLiteral("TotImponibile"), 1345.0},
               {QStringLiteral("TotImposta"), 286.0},
               {QStringLiteral("TotFattura"), 1631.0},
               {QStringLiteral("Carico"), false},
               {QStringLiteral("FattNota"), false},
               {QStringLiteral("Storico"), false}});
    const auto invoiceRow = [&](qint64 document, int number, const QString &text, double value, double rate,
                                qint64 vat, QVariant region) {
        return s.add(QStringLiteral("fattdett"),
                     {{QStringLiteral("NumFatt"), document},
                      {QStringLiteral("NumeroRiga"), number},
                      {QStringLiteral("Descrizione"), text},
                      {QStringLiteral("Um"), 1.0},
                      {QStringLiteral("Um_ID"), trip},
                      {QStringLiteral("ValoreUnitario"), value},
                      {QStringLiteral("AliquotaIva"), rate},
                      {QStringLiteral("Iva_ID"), vat},
                      {QStringLiteral("TotaleImponibile"), value},
                      {QStringLiteral("ValoreTotale"), value * (100 + rate) / 100},
                      {QStringLiteral("Colli"), rate > 0 ? 12.0 : 0.0},
                      {QStringLiteral("Peso"), rate > 0 ? 8500.0 : 0.0},
                      {QStringLiteral("Volume"), rate > 0 ? 30.0 : 0.0},
                      {QStringLiteral("RIFDDT"), rate > 0 ? QStringLiteral("DDT 88") : QString()},
                      {QStringLiteral("Mittente"), QStringLiteral("Magazzino Alfa Verona")},
                      {QStringLiteral("Mittente_ID"), warehouse},
                      {QStringLiteral("Regione_ID"), region},
                      {QStringLiteral("PercentualeProvvigione"), 5.0}});
    };
    const qint64 firstTrip = invoiceRow(
        invoice, 1, QStringLiteral("Trasporto Verona - Milano del 12/11/2026"), 650, 22, vat22, lombardia);
    invoiceRow(invoice, 2, QStringLiteral("Trasporto Verona - Milano del 19/11/2026"), 650, 22, vat22,
               lombardia);
    invoiceRow(invoice, 3, QStringLiteral("Anticipazione spese doganali"), 45, 0, vatExcluded, QVariant());
    const auto instalment = [&](qint64 document, int number, const QVariant &customer,
                                const QVariant &supplier, const QString &kind, const QDate &due,
                                double amount, const QVariant &paid) {
        s.add(QStringLiteral("FatturaScadenze"), {{QStringLiteral("Fattura_ID"), document},
                                                  {QStringLiteral("Numero"), number},
                                                  {QStringLiteral("Cliente_id"), customer},
                                                  {QStringLiteral("Fornitore_id"), supplier},
                                                  {QStringLiteral("Tipo"), kind},
                                                  {QStringLiteral("DataScadenza"), due},
                                                  {QStringLiteral("Importo"), amount},
                                                  {QStringLiteral("ModPagamento_Id"), transfer},
                                                  {QStringLiteral("Banca_ID"), bank},
                                                  {QStringLiteral("DataPagamento"), paid},
                                                  {QStringLiteral("Pagato"), paid.isValid()}});
    };
    instalment(invoice, 1, alfa, QVariant(), QStringLiteral("F"), day(2026, 12, 31), 815.5, QVariant());
    instalment(invoice, 2, alfa, QVariant(), QStringLiteral("F"), day(2027, 1, 31), 815.5, QVariant());

    // Invoice 16, cash: its due date is not printed on the invoice.
    const qint64 cashInvoice =
        s.add(QStringLiteral("fattura"), {{QStringLiteral("Num"), 16},
                                          {QStringLiteral("Data"), day(2026, 12, 1)},
                                          {QStringLiteral("Cliente"), QStringLiteral("Bottega D'Angelo")},
                                          {QStringLiteral("Cliente_ID"), bottega},
                                          {QStringLiteral("ModPagamento_Id"), cash},
                                          {QStringLiteral("TotImponibile"), 300.0},
                                          {QStringLiteral("TotImposta"), 66.0},
                                          {QStringLiteral("TotFattura"), 366.0},
                                          {QStringLiteral("Carico"), false},
                                          {QStringLiteral("FattNota"), false},
                                          {QStringLiteral("Storico"), false}});
    invoiceRow(cashInvoice, 1, QStringLiteral("Consegna urgente Bologna centro"), 300, 22, vat22, QVariant());
    instalment(cashInvoice, 1, bottega, QVariant(), QStringLiteral("F"), day(2026, 12, 2), 366.0,
               day(2026, 12, 1));

    // Credit note 3 on invoice 15.
    const qint64 creditNote = s.add(QStringLiteral("fattura"),
                                    {{QStringLiteral("Num"), 3},
                                     {QStringLiteral("Data"), day(2026, 11, 30)},
                                     {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
                                     {QStringLiteral("Cliente_ID"), alfa},
                                     {QStringLiteral("Agente_id"), agent},
                                     {QStringLiteral("ModPagamento_Id"), transfer},
                                     {QStringLiteral("Banca_ID"), bank},
                                     {QStringLiteral("NCFattNumRif"), 15},
                                     {QStringLiteral("NCFattDataRif"), day(2026, 11, 30)},
                                     {QStringLiteral("TotImponibile"), 100.0},
                                     {QStringLiteral("TotImposta"), 22.0},
                                     {QStringLiteral("TotFattura"), 122.0},
                                     {QStringLiteral("Carico"), false},
                                     {QStringLiteral("FattNota"), true},
                                     {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("NotaCreditoRighe"),
          {{QStringLiteral("NotaCredito_ID"), creditNote},
           {QStringLiteral("NumeroRiga"), 1},
           {QStringLiteral("Descrizione"), QStringLiteral("Storno parziale trasporto del 12/11/2026")},
           {QStringLiteral("Um"), 1.0},
           {QStringLiteral("Um_ID"), trip},
           {QStringLiteral("ValoreUnitario"), 100.0},
           {QStringLiteral("AliquotaIva"), 22.0},
           {QStringLiteral("Iva_Id"), vat22},
           {QStringLiteral("TotaleImponibile"), 100.0},
           {QStringLiteral("ValoreTotale"), 122.0},
           {QStringLiteral("PercentualeProvvigione"), 5.0}});
    instalment(creditNote, 1, alfa, QVariant(), QStringLiteral("F"), day(2026, 12, 31), 122.0, QVariant());

    // A purchase invoice of diesel charged to the truck, half paid, and a supplier credit note.
    const qint64 purchase = s.add(QStringLiteral("fattura"),
                                  {{QStringLiteral("NumeroCarico"), QStringLiteral("A/778")},
                                   {QStringLiteral("ProgressivoCarico"), 21},
                                   {QStringLiteral("Data"), day(2026, 11, 20)},
                                   {QStringLiteral("DataRegistrazione"), day(2026, 11, 22)},
                                   {QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord S.r.l.")},
                                   {QStringLiteral("Fornitore_ID"), fuelSupplier},
                                   {QStringLiteral("ModPagamento_Id"), transfer},
                                   {QStringLiteral("TotImponibile"), 1000.0},
                                   {QStringLiteral("TotImposta"), 220.0},
                                   {QStringLiteral("TotFattura"), 1220.0},
                                   {QStringLiteral("Carico"), true},
                                   {QStringLiteral("FattNota"), false},
                                   {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("Movimenti"),
          {{QStringLiteral("Fattura_ID"), purchase},
           {QStringLiteral("NumeroRiga"), 1},
           {QStringLiteral("Descrizione"), QStringLiteral("Gasolio autotrazione")},
           {QStringLiteral("Um"), 625.0},
           {QStringLiteral("ValoreUnitario"), 1.6},
           {QStringLiteral("TotaleImponibile"), 1000.0},
           {QStringLiteral("AliquotaIva"), 22.0},
           {QStringLiteral("Vettura_ID"), truck},
           {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
           {QStringLiteral("Scarico"), false}});
    instalment(purchase, 1, QVariant(), fuelSupplier, QStringLiteral("C"), day(2026, 12, 20), 610.0,
               QVariant());
    instalment(purchase, 2, QVariant(), fuelSupplier, QStringLiteral("C"), day(2026, 11, 25), 610.0,
               day(2026, 11, 25));
    s.add(QStringLiteral("fattura"), {{QStringLiteral("NumeroCarico"), QStringLiteral("NC/12")},
                                      {QStringLiteral("ProgressivoCarico"), 22},
                                      {QStringLiteral("Data"), day(2026, 11, 26)},
                                      {QStringLiteral("DataRegistrazione"), day(2026, 11, 27)},
                                      {QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord S.r.l.")},
                                      {QStringLiteral("Fornitore_ID"), fuelSupplier},
                                      {QStringLiteral("TotImponibile"), 50.0},
                                      {QStringLiteral("TotImposta"), 11.0},
                                      {QStringLiteral("TotFattura"), 61.0},
                                      {QStringLiteral("Carico"), true},
                                      {QStringLiteral("FattNota"), true},
                                      {QStringLiteral("Storico"), false}});

    // Quote 7.
    const qint64 quote = s.add(QStringLiteral("PreventiTestata"),
                               {{QStringLiteral("Numero"), 7},
                                {QStringLiteral("Data"), day(2026, 11, 18)},
                                {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
                                {QStringLiteral("Cliente_ID"), alfa},
                                {QStringLiteral("Note"), QStringLiteral("Validità 30 giorni")},
                                {QStringLiteral("TotImponibile"), 1200.0},
                                {QStringLiteral("TotImposta"), 264.0},
                                {QStringLiteral("TotalePreventivo"), 1464.0},
                                {QStringLiteral("Chiuso"), false},
                                {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("PreventiRighe"),
          {{QStringLiteral("Prev_ID"), quote},
           {QStringLiteral("NumeroRiga"), 1},
           {QStringLiteral("Descrizione"), QStringLiteral("Trasporto Verona - Napoli bilico completo")},
           {QStringLiteral("Um"), 1.0},
           {QStringLiteral("Um_ID"), trip},
           {QStringLiteral("ValoreUnitario"), 1200.0},
           {QStringLiteral("AliquotaIva"), 22.0},
           {QStringLiteral("Iva_ID"), vat22},
           {QStringLiteral("TotaleImponibile"), 1200.0},
           {QStringLiteral("ValoreTotale"), 1464.0},
           {QStringLiteral("Chilometri"), 780.0}});

    // Job order 101 with its owner-driver, and a withdrawn one.
    const qint64 jobOrder =
        s.add(QStringLiteral("TotaliCo"),
              {{QStringLiteral("Numero"), 101},
               {QStringLiteral("Data"), day(2026, 11, 12)},
               {QStringLiteral("DataCarico"), day(2026, 11, 12)},
               {QStringLiteral("DataScarico"), day(2026, 11, 13)},
               {QStringLiteral("OrdineCarico"), QStringLiteral("ORD-5521")},
               {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
               {QStringLiteral("Cliente_Id"), alfa},
               {QStringLiteral("Mittente_ID"), warehouse},
               {QStringLiteral("Destinatario_ID"), depot},
               {QStringLiteral("Personale_ID"), driver},
               {QStringLiteral("Padroncino_id"), ownerDriver},
               {QStringLiteral("Porto_ID"), port},
               {QStringLiteral("Aspetto_ID"), look},
               {QStringLiteral("ModPagamento_Id"), transfer},
               {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
               {QStringLiteral("NoteDestinatario"), QStringLiteral("Scarico dalle 8 alle 12")},
               {QStringLiteral("TotImponibile"), 650.0},
               {QStringLiteral("TotImposta"), 143.0},
               {QStringLiteral("TotFattura"), 793.0},
               {QStringLiteral("TotColli"), 12.0},
               {QStringLiteral("CostoPadroncino"), 400.0},
               {QStringLiteral("Annullato"), false},
               {QStringLiteral("Storico"), false},
               {QStringLiteral("Chiusa"), false},
               {QStringLiteral("Fatturato"), true}});
    const qint64 jobRow =
        s.add(QStringLiteral("Conti"),
              {{QStringLiteral("Testata_ID"), jobOrder},
               {QStringLiteral("NumeroRiga"), 1},
               {QStringLiteral("Descrizione"), QStringLiteral("Trasporto Verona - Milano bilico")},
               {QStringLiteral("Um"), 1.0},
               {QStringLiteral("Um_Id"), trip},
               {QStringLiteral("ValoreUnitario"), 650.0},
               {QStringLiteral("AliquotaIva"), 22.0},
               {QStringLiteral("Iva_ID"), vat22},
               {QStringLiteral("TotaleImponibile"), 650.0},
               {QStringLiteral("ValoreTotale"), 793.0},
               {QStringLiteral("Colli"), 12.0},
               {QStringLiteral("Peso"), 8500.0},
               {QStringLiteral("Volume"), 30.0},
               {QStringLiteral("Contrassegno"), 250.0},
               {QStringLiteral("Costo"), 400.0},
               {QStringLiteral("RIFDDT"), QStringLiteral("DDT 88")}});
    s.add(QStringLiteral("TotaliCo"), {{QStringLiteral("Numero"), 102},
                                       {QStringLiteral("Data"), day(2026, 11, 14)},
                                       {QStringLiteral("Cliente"), QStringLiteral("Commessa Annullata Srl")},
                                       {QStringLiteral("Padroncino_id"), ownerDriver},
                                       {QStringLiteral("Annullato"), true},
                                       {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("CommesseBancali"),
          {{QStringLiteral("Testata_ID"), jobOrder},
           {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
           {QStringLiteral("Cliente_Id"), alfa},
           {QStringLiteral("Mittente"), QStringLiteral("Magazzino Alfa Verona")},
           {QStringLiteral("Destinatario"), QStringLiteral("Deposito Beta Milano")},
           {QStringLiteral("TipologiaBancali_ID"), palletType},
           {QStringLiteral("PedaneRicevute"), 12},
           {QStringLiteral("PedaneConsegnate"), 12},
           {QStringLiteral("PedaneReseMittente"), 10},
           {QStringLiteral("PedaneScartate"), 2},
           {QStringLiteral("RifDDT"), QStringLiteral("DDT 88")}});

    // Transport document 88 and loading list 5.
    const qint64 transportDocument =
        s.add(QStringLiteral("Ddt"), {{QStringLiteral("Numero"), 88},
                                      {QStringLiteral("Data"), day(2026, 11, 12)},
                                      {QStringLiteral("Ora"), QStringLiteral("08:30")},
                                      {QStringLiteral("Cliente_ID"), alfa},
                                      {QStringLiteral("Destinatario_ID"), depot},
                                      {QStringLiteral("Natura"), QStringLiteral("Merci varie su bancali")},
                                      {QStringLiteral("Qualita"), QStringLiteral("Bancali")},
                                      {QStringLiteral("Quantita"), 12.0},
                                      {QStringLiteral("Vettore_ID"), carrier},
                                      {QStringLiteral("Personale_ID"), driver},
                                      {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("DDTRighe"), {{QStringLiteral("DDT_ID"), transportDocument},
                                       {QStringLiteral("NumeroRiga"), 1},
                                       {QStringLiteral("Descrizione"), QStringLiteral("Detersivi in fusti")},
                                       {QStringLiteral("Um"), 8.0}});
    s.add(QStringLiteral("DDTRighe"), {{QStringLiteral("DDT_ID"), transportDocument},
                                       {QStringLiteral("NumeroRiga"), 2},
                                       {QStringLiteral("Descrizione"), QStringLiteral("Carta in bobine")},
                                       {QStringLiteral("Um"), 4.0}});
    const qint64 loadingList = s.add(QStringLiteral("DistinteCaricoTestata"),
                                     {{QStringLiteral("Numero"), 5},
                                      {QStringLiteral("Data"), day(2026, 11, 14)},
                                      {QStringLiteral("DataConsegna"), day(2026, 11, 15)},
                                      {QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A.")},
                                      {QStringLiteral("Cliente_Id"), alfa},
                                      {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                                      {QStringLiteral("Personale_ID"), driver},
                                      {QStringLiteral("Chiusa"), false},
                                      {QStringLiteral("Storico"), false}});
    s.add(QStringLiteral("DistinteCaricoRighe"),
          {{QStringLiteral("Testata_ID"), loadingList},
           {QStringLiteral("NumeroRiga"), 1},
           {QStringLiteral("Mittente"), QStringLiteral("Magazzino Alfa Verona")},
           {QStringLiteral("Destinatario"), QStringLiteral("Deposito Beta Milano")},
           {QStringLiteral("Colli"), 6.0},
           {QStringLiteral("Peso"), 1200.0},
           {QStringLiteral("PesoTassabile"), 1250.0},
           {QStringLiteral("TariffaQuintale"), 4.5},
           {QStringLiteral("Importo"), 56.25}});
    s.add(QStringLiteral("DistinteCaricoRighe"),
          {{QStringLiteral("Testata_ID"), loadingList},
           {QStringLiteral("NumeroRiga"), 2},
           {QStringLiteral("Mittente"), QStringLiteral("Magazzino Alfa Verona")},
           {QStringLiteral("Destinatario"), QStringLiteral("Ferramenta Gialli")},
           {QStringLiteral("Colli"), 3.0},
           {QStringLiteral("Peso"), 300.0},
           {QStringLiteral("Importo"), 18.0},
           {QStringLiteral("Contrassegno"), 150.0}});

    // Cash book: a collection and a payment through the bank in November, postage in October.
    const auto entry = [&](const QDate &date, const QString &text, double in, double out,
                           const QVariant &customer, const QVariant &supplier, const QVariant &entryBank) {
        s.add(QStringLiteral("finanzia"),
              {{QStringLiteral("Data"), date},
               {QStringLiteral("Operazione"), text},
               {QStringLiteral("Entrata"), in},
               {QStringLiteral("Uscita"), out},
               {QStringLiteral("Cliente_id"), customer},
               {QStringLiteral("Fornitore_id"), supplier},
               {QStringLiteral("Banca_ID"), entryBank},
               {QStringLiteral("ModPagamento_Id"), transfer},
               {QStringLiteral("Tipologia_ID"), cashType},
               {QStringLiteral("ContabilitaConti_ID"), supplier.isValid() ? QVariant(account) : QVariant()},
               {QStringLiteral("Storico"), false}});
    };
    entry(day(2026, 11, 5), QStringLiteral("Incasso fattura 12/2026"), 500, 0, alfa, QVariant(), bank);
    entry(day(2026, 11, 25), QStringLiteral("Pagamento fattura A/778"), 0, 610, QVariant(), fuelSupplier,
          bank);
    entry(day(2026, 10, 3), QStringLiteral("Spese postali"), 0, 18.4, QVariant(), QVariant(), QVariant());

    // VAT settlements of November and of the fourth quarter.
    const qint64 month = s.add(QStringLiteral("ContabilitaChiusuraIvaMensile"),
                               {{QStringLiteral("Anno"), 2026},
                                {QStringLiteral("Mese"), 11},
                                {QStringLiteral("DescrizioneMese"), QStringLiteral("Novembre")},
                                {QStringLiteral("VenditaImponibile"), 1345.0},
                                {QStringLiteral("VenditaImposta"), 286.0},
                                {QStringLiteral("AcquistiImponibile"), 1000.0},
                                {QStringLiteral("AcquistiImposta"), 220.0},
                                {QStringLiteral("TotaleIvaDebito"), 66.0},
                                {QStringLiteral("TotaleIvaCredito"), 0.0}});
    s.add(QStringLiteral("ContabilitaChiusuraIvaMensileRighe"),
          {{QStringLiteral("ContabilitaChiusuraIvaMensile_ID"), month},
           {QStringLiteral("IvaDescrizione"), QStringLiteral("Iva 22%")},
           {QStringLiteral("Carico"), false},
           {QStringLiteral("TotaleImponibile"), 1300.0},
           {QStringLiteral("TotaleIva"), 286.0}});
    s.add(QStringLiteral("ContabilitaChiusuraIvaMensileRighe"),
          {{QStringLiteral("ContabilitaChiusuraIvaMensile_ID"), month},
           {QStringLiteral("IvaDescrizione"), QStringLiteral("Iva 22%")},
           {QStringLiteral("Carico"), true},
           {QStringLiteral("TotaleImponibile"), 1000.0},
           {QStringLiteral("TotaleIva"), 220.0}});
    const qint64 quarter = s.add(QStringLiteral("ContabilitaChiusuraIvaTrimestre"),
                                 {{QStringLiteral("Anno"), 2026},
                                  {QStringLiteral("Trimestre"), 4},
                                  {QStringLiteral("VenditaImponibile"), 4035.0},
                                  {QStringLiteral("VenditaImposta"), 858.0},
                                  {QStringLiteral("AcquistiImponibile"), 3000.0},
                                  {QStringLiteral("AcquistiImposta"), 660.0},
                                  {QStringLiteral("TotaleIvaDebito"), 198.0},
                                  {QStringLiteral("TotaleIvaCredito"), 0.0}});
    s.add(QStringLiteral("ContabilitaChiusuraIvaTrimestreRighe"),
          {{QStringLiteral("ContabilitaChiusuraIvaTrimestre_ID"), quarter},
           {QStringLiteral("IvaDescrizione"), QStringLiteral("Iva 22%")},
           {QStringLiteral("Carico"), false},
           {QStringLiteral("TotaleImponibile"), 3900.0},
           {QStringLiteral("TotaleIva"), 858.0}});

    // The work rows of this workstation, and of another one that none of its reports may show.
    for (const QString &station : {ws, other}) {
        const bool mine = station == ws;
        s.add(QStringLiteral("TempBilancio"),
              {{QStringLiteral("NomeComputer"), station},
               {QStringLiteral("DescrizioneData"),
                mine ? QStringLiteral("Anno 2026") : QStringLiteral("Riga di altra postazione")},
               {QStringLiteral("ContabilitaConti_ID"), account},
               {QStringLiteral("Carico"), true},
               {QStringLiteral("TotaleImponibile"), 1000.0},
               {QStringLiteral("TotaleIva"), 220.0}});
        s.add(QStringLiteral("TempContabilitaConto"),
              {{QStringLiteral("NomeComputer"), station},
               {QStringLiteral("ContabilitaConti_ID"), account},
               {QStringLiteral("DataDocumento"), day(2026, 11, 20)},
               {QStringLiteral("DataRegistrazione"), day(2026, 11, 22)},
               {QStringLiteral("NumeroDocumento"),
                mine ? QStringLiteral("A/778") : QStringLiteral("Riga di altra postazione")},
               {QStringLiteral("Descrizione"), QStringLiteral("Carburanti Nord S.r.l.")},
               {QStringLiteral("TotaleImponibile"), 1000.0}});
        s.add(QStringLiteral("TempoEtichette"),
              {{QStringLiteral("NomeComputer"), station},
               {QStringLiteral("Descrizione"), mine ? QStringLiteral("Spedizione 101 - Deposito Beta Milano")
                                                    : QStringLiteral("Riga di altra postazione")}});
        s.add(QStringLiteral("TempVettureRiepilogo"),
              {{QStringLiteral("NomeComputer"), station},
               {QStringLiteral("Targa"), mine ? QStringLiteral("AB123CD") : QStringLiteral("ZZ999ZZ")},
               {QStringLiteral("DescrizioneData"), QStringLiteral("Novembre 2026")},
               {QStringLiteral("Tipologia"), QStringLiteral("Gasolio")},
               {QStringLiteral("Entrata"), false},
               {QStringLiteral("Importo"), 1248.0}});
        s.add(QStringLiteral("TempPersonaleRiepilogo"),
              {{QStringLiteral("NomeComputer"), station},
               {QStringLiteral("Personale_id"), driver},
               {QStringLiteral("DescrizioneData"),
                mine ? QStringLiteral("Novembre 2026") : QStringLiteral("Riga di altra postazione")},
               {QStringLiteral("Tipologia"), QStringLiteral("Stipendio")},
               {QStringLiteral("Entrata"), false},
               {QStringLiteral("Importo"), 1850.0}});
        s.add(
            QStringLiteral("TempAvvisi"),
            {{QStringLiteral("NomeComputer"), station},
             {QStringLiteral("Testo"), mine ? QStringLiteral("Il magazzino resterà chiuso dal 24/12 al 6/1.")
                                            : QStringLiteral("Riga di altra postazione")}});
    }
    s.add(QStringLiteral("TempVettureRiepilogo"),
          {{QStringLiteral("NomeComputer"), ws},
           {QStringLiteral("Targa"), QStringLiteral("AB123CD")},
           {QStringLiteral("DescrizioneData"), QStringLiteral("Novembre 2026")},
           {QStringLiteral("Tipologia"), QStringLiteral("Ricavi trasporti")},
           {QStringLiteral("Entrata"), true},
           {QStringLiteral("Importo"), 1300.0}});
    s.add(QStringLiteral("TempAvvisiClienti"),
          {{QStringLiteral("NomeComputer"), ws}, {QStringLiteral("Cliente_ID"), alfa}});
    s.add(QStringLiteral("TempAvvisiClienti"),
          {{QStringLiteral("NomeComputer"), ws}, {QStringLiteral("Cliente_ID"), bottega}});

    if (!s.error().isEmpty())
        return core::Result<QList<ReportCase>>::failure(s.error());

    const QString otherRow = QStringLiteral("Riga di altra postazione");
    QList<ReportCase> cases;
    cases << listCase(1,
                      {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Bottega D'Angelo"),
                       QStringLiteral("03456789012")},
                      {QStringLiteral("Cliente Cessato")})
          << listCase(2, {QStringLiteral("Verona - Milano bilico completo"), QStringLiteral("650,00")},
                      {QStringLiteral("Tariffa ritirata")})
          << listCase(3, {QStringLiteral("Carburanti Nord S.r.l."), QStringLiteral("04567890123")},
                      {QStringLiteral("Fornitore Dismesso")});
    for (const bool withVat : {true, false}) {
        ReportCase note = documentCase(4, creditNote,
                                       {QStringLiteral("Alfa Logistica S.p.A."),
                                        QStringLiteral("Storno parziale trasporto"), QStringLiteral("100,00"),
                                        QStringLiteral("122,00"), QStringLiteral("31/12/2026")});
        note.options.rowsWithVat = withVat;
        note.name = withVat ? QStringLiteral("4") : QStringLiteral("4 senza IVA nelle righe");
        cases << note;
    }
    for (const auto &[withVat, prices] :
         {std::pair{true, true}, std::pair{false, true}, std::pair{true, false}}) {
        ReportCase c = documentCase(
            5, quote, {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Trasporto Verona - Napoli")});
        c.options.rowsWithVat = withVat;
        c.options.quotePrices = prices;
        if (prices)
            c.expected << QStringLiteral("1.464,00");
        else
            c.absent << QStringLiteral("1.464,00");
        c.name = QStringLiteral("5") + (withVat ? QString() : QStringLiteral(" senza IVA nelle righe")) +
                 (prices ? QString() : QStringLiteral(" senza prezzi"));
        cases << c;
    }
    cases << listCase(6,
                      {QStringLiteral("Autotrasporti Verdi di Luca Verdi"), QStringLiteral("02345678901")});
    for (const bool withVat : {true, false}) {
        ReportCase order = documentCase(7, jobOrder,
                                        {QStringLiteral("101"), QStringLiteral("Alfa Logistica S.p.A."),
                                         QStringLiteral("Trasporto Verona - Milano bilico"),
                                         QStringLiteral("Deposito Beta Milano"), QStringLiteral("650,00")});
        order.options.rowsWithVat = withVat;
        order.name = withVat ? QStringLiteral("7") : QStringLiteral("7 senza IVA nelle righe");
        cases << order;
        ReportCase bill = documentCase(
            8, invoice,
            {QStringLiteral("15"), QStringLiteral("30/11/2026"), QStringLiteral("Alfa Logistica S.p.A."),
             QStringLiteral("Trasporto Verona - Milano del 12/11/2026"),
             QStringLiteral("Trasporto Verona - Milano del 19/11/2026"),
             QStringLiteral("Anticipazione spese doganali"), QStringLiteral("1.345,00"),
             QStringLiteral("286,00"), QStringLiteral("1.631,00"), QStringLiteral("815,50"),
             QStringLiteral("31/01/2027"), QStringLiteral("IT60X0542811101000000123456")});
        bill.options.rowsWithVat = withVat;
        bill.name = withVat ? QStringLiteral("8") : QStringLiteral("8 senza IVA nelle righe");
        cases << bill;
    }
    ReportCase cashBill =
        documentCase(8, cashInvoice, {QStringLiteral("Bottega D'Angelo"), QStringLiteral("366,00")},
                     {QStringLiteral("02/12/2026")});
    cashBill.name = QStringLiteral("8 rimessa diretta senza scadenze");
    cases << cashBill;
    for (const int code : {9, 10, 11}) {
        ReportCase c =
            listCase(code, {QStringLiteral("Incasso fattura 12/2026"),
                            QStringLiteral("Pagamento fattura A/778"), QStringLiteral("1.500,00")});
        c.options.cashBookOpening = 1500;
        cases << c;
    }
    cases << listCase(12, {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("815,50")})
          << listCase(13, {QStringLiteral("Carburanti Nord S.r.l."), QStringLiteral("A/778"),
                           QStringLiteral("610,00")})
          << listCase(14, {QStringLiteral("NC/12"), QStringLiteral("61,00")}, {QStringLiteral("A/778")})
          << listCase(15, {QStringLiteral("Anno 2026"), QStringLiteral("Carburanti e lubrificanti")},
                      {otherRow})
          << listCase(16,
                      {QStringLiteral("Autotrasporti Verdi"), QStringLiteral("400,00"),
                       QStringLiteral("15/12/2026")},
                      {QStringLiteral("380,00")})
          << listCase(17, {QStringLiteral("Autotrasporti Verdi"), QStringLiteral("380,00")},
                      {QStringLiteral("15/12/2026")})
          << documentCase(
                 18, driver,
                 {QStringLiteral("Giuseppe Neri"), QStringLiteral("Visita medica"), QStringLiteral("120,00")})
          << listCase(19, {QStringLiteral("Giuseppe Neri"), QStringLiteral("Visita medica")})
          << listCase(20,
                      {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("815,50"),
                       QStringLiteral("31/12/2026")},
                      {QStringLiteral("Bottega D'Angelo"), QStringLiteral("Carburanti Nord")})
          << listCase(21, {QStringLiteral("Bottega D'Angelo"), QStringLiteral("366,00")},
                      {QStringLiteral("815,50")})
          << listCase(22, {QStringLiteral("Cisterna gasolio"), QStringLiteral("Fattura A/770"),
                           QStringLiteral("AB123CD"), QStringLiteral("5.000")})
          << listCase(23, {QStringLiteral("Cambio pneumatici AB123CD"), QStringLiteral("10/12/2026")})
          << listCase(24, {QStringLiteral("Novembre"), QStringLiteral("1.345,00")})
          << listCase(25, {QStringLiteral("Giuseppe Neri"), QStringLiteral("NREGPP80A01L781X")},
                      {QStringLiteral("Ex Dipendente")})
          << listCase(26, {QStringLiteral("Spedizione 101 - Deposito Beta Milano")}, {otherRow});
    for (const int code : {27, 28, 29}) {
        ReportCase c = listCase(code, {QStringLiteral("Incasso fattura 12/2026"), QStringLiteral("2.000,00")},
                                {QStringLiteral("Spese postali")});
        c.context.month = 11;
        c.context.year = 2026;
        c.context.parameter = QStringLiteral("2.000,00");
        cases << c;
    }
    cases << listCase(30,
                      {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("1.631,00"),
                       QStringLiteral("366,00")},
                      {QStringLiteral("A/778"), QStringLiteral("122,00")})
          << listCase(31, {QStringLiteral("A/778"), QStringLiteral("1.220,00")}, {QStringLiteral("NC/12")})
          << listCase(32, {QStringLiteral("101"), QStringLiteral("Alfa Logistica S.p.A.")},
                      {QStringLiteral("Commessa Annullata")})
          << listCase(33, {QStringLiteral("122,00")}, {QStringLiteral("1.631,00")})
          << listCase(34, {QStringLiteral("AB123CD"), QStringLiteral("1.248,00"), QStringLiteral("1.300,00")},
                      {QStringLiteral("ZZ999ZZ")})
          << listCase(35, {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("1.464,00")})
          << listCase(36, {QStringLiteral("Giuseppe Neri"), QStringLiteral("1.850,00")}, {otherRow})
          << documentCase(37, transportDocument,
                          {QStringLiteral("88"), QStringLiteral("Detersivi in fusti"),
                           QStringLiteral("Carta in bobine"), QStringLiteral("Deposito Beta Milano"),
                           QStringLiteral("Alfa Logistica S.p.A.")})
          << listCase(38,
                      {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Corso Porta Nuova"),
                       QStringLiteral("Bottega D'Angelo")},
                      {QStringLiteral("Cliente Cessato")});
    for (const int code : {39, 40})
        cases << listCase(code, {QStringLiteral("Autotrasporti Verdi"), QStringLiteral("250,00")},
                          {QStringLiteral("Commessa Annullata")});
    cases << listCase(41, {QStringLiteral("Trasporti Rossi S.r.l."), QStringLiteral("Via dell'Industria")})
          << listCase(42, {QStringLiteral("Carburanti Nord S.r.l."), QStringLiteral("20/12/2026")},
                      {QStringLiteral("Alfa Logistica")})
          << listCase(43, {QStringLiteral("Carburanti Nord S.r.l."), QStringLiteral("25/11/2026")},
                      {QStringLiteral("20/12/2026")})
          << documentCase(44, truck,
                          {QStringLiteral("AB123CD"), QStringLiteral("Tagliando"), QStringLiteral("850,00")})
          << documentCase(45, truck,
                          {QStringLiteral("AB123CD"), QStringLiteral("640,00"), QStringLiteral("608,00")})
          << listCase(46, {QStringLiteral("AB123CD"), QStringLiteral("Tagliando")})
          << listCase(47, {QStringLiteral("AB123CD"), QStringLiteral("1.248,00")})
          << documentCase(48, truck,
                          {QStringLiteral("AB123CD"), QStringLiteral("Stralis 480"),
                           QStringLiteral("WJMM1VSH40C123456")})
          << documentCase(49, truck, {QStringLiteral("Revisione annuale"), QStringLiteral("10/05/2027")})
          << documentCase(50, truck, {QStringLiteral("Carta carburante"), QStringLiteral("7001 2345")})
          << listCase(51, {QStringLiteral("Revisione annuale")}, {QStringLiteral("Bollo pagato")})
          << listCase(52, {QStringLiteral("AB123CD"), QStringLiteral("Giuseppe Neri")})
          << documentCase(53, jobOrder,
                          {QStringLiteral("101"), QStringLiteral("AB123CD"),
                           QStringLiteral("Deposito Beta Milano"), QStringLiteral("Giuseppe Neri")})
          << documentCase(54, driver, {QStringLiteral("Rinnovo CQC"), QStringLiteral("28/02/2027")})
          << listCase(55, {QStringLiteral("Giuseppe Neri"), QStringLiteral("Rinnovo CQC")})
          << listCase(56, {QStringLiteral("88"), QStringLiteral("Deposito Beta Milano")})
          << documentCase(57, truck,
                          {QStringLiteral("Gasolio autotrazione"), QStringLiteral("1.000,00"),
                           QStringLiteral("A/778")})
          << documentCase(58, alfa, {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("2016/679")})
          // A private customer without a VAT number: no empty "Partita IVA" line.
          << documentCase(58, bottega,
                          {QStringLiteral("Bottega D'Angelo"), QStringLiteral("DNGMRA70A01A944X")},
                          {QStringLiteral("Partita IVA")})
          << documentCase(59, fuelSupplier,
                          {QStringLiteral("Carburanti Nord S.r.l."), QStringLiteral("2016/679")})
          << documentCase(60, driver, {QStringLiteral("Giuseppe Neri"), QStringLiteral("NREGPP80A01L781X")})
          << listCase(61, {QStringLiteral("EPAL 80x120"), QStringLiteral("Alfa Logistica S.p.A.")})
          << listCase(62, {QStringLiteral("101"), QStringLiteral("Trasporto Verona - Milano bilico")},
                      {QStringLiteral("Commessa Annullata")})
          << listCase(63, {QStringLiteral("Magazzino Alfa Verona"), QStringLiteral("Ferramenta Gialli"),
                           QStringLiteral("Milano")})
          << listCase(64, {QStringLiteral("Autotrasporti Verdi"),
                           QStringLiteral("Trasporto Verona - Milano bilico"), QStringLiteral("400,00")})
          << listCase(65, {QStringLiteral("Giuseppe Neri"), QStringLiteral("1.850,00")})
          << listCase(66, {QStringLiteral("Giuseppe Neri"), QStringLiteral("Novembre")})
          << listCase(67, {QStringLiteral("Giuseppe Neri"), QStringLiteral("Anticipo del 15/11")});
    ReportCase customerSituation = listCase(
        68,
        {QStringLiteral("1.631,00"), QStringLiteral("Incasso fattura 12/2026"), QStringLiteral("1.509,00")},
        {QStringLiteral("366,00")});
    customerSituation.context.partyKey = alfa;
    customerSituation.context.from = day(2026, 11, 1);
    customerSituation.context.to = day(2026, 11, 30);
    ReportCase supplierSituation =
        listCase(69, {QStringLiteral("A/778"), QStringLiteral("Pagamento fattura A/778")});
    supplierSituation.context.partyKey = fuelSupplier;
    supplierSituation.context.from = day(2026, 11, 1);
    supplierSituation.context.to = day(2026, 11, 30);
    cases << customerSituation << supplierSituation
          << listCase(70, {QStringLiteral("Lombardia"), QStringLiteral("Regione non indicata")})
          << listCase(71, {QStringLiteral("2026"), QStringLiteral("858,00")})
          << listCase(72, {QStringLiteral("Mario Bianchi Agente"), QStringLiteral("32,50")})
          << listCase(73, {QStringLiteral("Mario Bianchi Agente"), QStringLiteral("5,00")});
    ReportCase bankBook = listCase(74,
                                   {QStringLiteral("Incasso fattura 12/2026"),
                                    QStringLiteral("Pagamento fattura A/778"), QStringLiteral("3.000,00")},
                                   {QStringLiteral("Spese postali")});
    bankBook.context.month = 11;
    bankBook.context.year = 2026;
    bankBook.context.bankKey = bank;
    bankBook.context.parameter = QStringLiteral("3.000,00");
    cases << bankBook
          << listCase(75, {QStringLiteral("A/778"), QStringLiteral("Carburanti e lubrificanti")}, {otherRow});
    for (const bool variant : {false, true}) {
        ReportCase note = documentCase(76, invoice,
                                       {QStringLiteral("Magazzino Alfa Verona"),
                                        QStringLiteral("Trasporto Verona - Milano del 12/11/2026")},
                                       {QStringLiteral("Trasporto Verona - Milano del 19/11/2026")});
        note.context.rowKey = firstTrip;
        note.context.deliveryVariant = variant;
        note.name = variant ? QStringLiteral("76 porto franco") : QStringLiteral("76");
        cases << note;
    }
    ReportCase cod =
        documentCase(77, jobOrder, {QStringLiteral("250,00"), QStringLiteral("Deposito Beta Milano")});
    cod.context.rowKey = jobRow;
    cases << cod
          << documentCase(
                 78, loadingList,
                 {QStringLiteral("Ferramenta Gialli"), QStringLiteral("56,25"), QStringLiteral("AB123CD")})
          << listCase(79, {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Giuseppe Neri")})
          << documentCase(80, jobOrder,
                          {QStringLiteral("Autotrasporti Verdi di Luca Verdi"),
                           QStringLiteral("Deposito Beta Milano")})
          << listCase(81,
                      {QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Bottega D'Angelo"),
                       QStringLiteral("Il magazzino resterà chiuso")},
                      {otherRow});
    for (ReportCase &c : cases)
        c.context.workstation = ws;
    return cases;
}

SeededReportArchive::SeededReportArchive() : archive(newArchive())
{
    core::Result<QList<ReportCase>> seeded = seedReportArchive(*archive);
    if (!seeded)
        throw std::runtime_error("sample archive not filled: " + seeded.error().toStdString());
    cases = std::move(seeded).value();
}

SeededReportArchive::~SeededReportArchive() = default;

const ReportCase &SeededReportArchive::find(const QString &name) const
{
    for (const ReportCase &c : cases) {
        if (c.name == name)
            return c;
    }
    throw std::runtime_error("no report case " + name.toStdString());
}

} // namespace rotalina::test
