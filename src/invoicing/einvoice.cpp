#include "invoicing/einvoice.h"

#include "core/money.h"
#include "core/taxcodes.h"
#include "invoicing/einvoicesignature.h"
#include "invoicing/invoicerows.h"
#include "storage/archive.h"
#include "storage/schema.h"
#include "storage/sqlvalue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <tuple>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace rotalina::invoicing {

namespace {

namespace fmt = einvoice_format;
using T = ValueType;

QString str(const QVariantMap &map, const QString &field)
{
    // An empty number of a PostgreSQL archive would read as "0".
    const QVariant value = map.value(field);
    return value.isNull() ? QString() : value.toString().trimmed();
}

double num(const QVariantMap &map, const QString &field)
{
    return map.value(field).toDouble();
}

QDate dateOf(const QVariantMap &map, const QString &field)
{
    return storage::sqlvalue::toDate(map.value(field));
}

bool flag(const QVariantMap &map, const QString &field)
{
    return map.value(field).toBool();
}

QString latin(const QString &text)
{
    return acceptableText(text, true);
}

QString basic(const QString &text)
{
    return acceptableText(text, false);
}

struct Column
{
    QString expression;
    QString key;
};

// Rows of a statement as maps keyed by the names the program uses, whatever case the engine
// gives its column names.
core::Result<QList<QVariantMap>> readMaps(storage::Archive &archive, const QList<Column> &columns,
                                          const QString &from, const QVariantList &params)
{
    QStringList expressions;
    for (const Column &c : columns)
        expressions.append(c.expression);
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral("SELECT %1 %2").arg(expressions.join(QStringLiteral(", ")), from), params);
    if (!rows)
        return core::Result<QList<QVariantMap>>::failure(rows.error());
    QList<QVariantMap> maps;
    maps.reserve(rows->values.size());
    for (const QVariantList &values : rows->values) {
        QVariantMap map;
        for (int c = 0; c < columns.size(); ++c)
            map.insert(columns.at(c).key, values.value(c));
        maps.append(map);
    }
    return maps;
}

core::Result<QVariantMap> readOptional(storage::Archive &archive, const QString &table, const QVariant &key)
{
    if (key.isNull() || key.toLongLong() == 0)
        return QVariantMap();
    core::Result<QVariantMap> row = archive.readRow(table, key.toLongLong());
    if (!row && row.error() == storage::Archive::missingRowMessage())
        return QVariantMap();
    return row;
}

QList<Column> rowColumns(const QString &table, const QString &vatKey)
{
    QList<Column> columns;
    for (const char *field :
         {"NumeroRiga", "Codice", "Descrizione", "Um", "DataInizioPeriodo", "DataFinePeriodo",
          "ValoreUnitario", "Sconto", "TotaleImponibile", "AliquotaIva", "RiferimentoAmministrazione"}) {
        const QString name = QString::fromLatin1(field);
        columns.append({table + QLatin1Char('.') + name, name});
    }
    columns.append({table + QLatin1Char('.') + vatKey, QStringLiteral("Iva_ID")});
    columns.append({QStringLiteral("Iva.Pa_Natura_Codice"), QStringLiteral("Natura")});
    columns.append({QStringLiteral("Iva.ID"), QStringLiteral("IvaTrovata")});
    return columns;
}

QString partyName(const QVariantMap &party, const QString &nameField)
{
    const QString name = str(party, nameField);
    if (!name.isEmpty())
        return name;
    const QString fullName =
        str(party, QStringLiteral("Nome")) + QLatin1Char(' ') + str(party, QStringLiteral("Cognome"));
    return fullName.trimmed();
}

bool isForeign(const QVariantMap &customer)
{
    const QString country = codeText(str(customer, QStringLiteral("IdPaese")));
    return !country.isEmpty() && country != QLatin1String("IT");
}

QString transmissionFormatOf(const EInvoiceSource &source)
{
    return flag(source.customer, QStringLiteral("PubblicaAmministrazione")) ? QStringLiteral("FPA12")
                                                                            : QStringLiteral("FPR12");
}

QString transmitterCode(const QVariantMap &company)
{
    return codeText(flag(company, QStringLiteral("Trasmissione_CodFisc"))
                        ? str(company, QStringLiteral("CodFisc"))
                        : str(company, QStringLiteral("PIva")));
}

// Anagrafica: the name of a firm, or the first and last name of a person.
void addRegistryName(XmlNode &parent, const QString &denomination, const QString &firstName,
                     const QString &lastName, const QString &title, const QString &eori, const QString &where)
{
    XmlNode &registry = parent.group(QStringLiteral("Anagrafica"));
    if (!denomination.isEmpty()) {
        registry.add(QStringLiteral("Denominazione"), latin(denomination), T::Latin80,
                     where + QStringLiteral(": Ragione sociale"));
    } else {
        registry.add(QStringLiteral("Nome"), latin(firstName), T::Latin60, where + QStringLiteral(": Nome"));
        registry.add(QStringLiteral("Cognome"), latin(lastName), T::Latin60,
                     where + QStringLiteral(": Cognome"));
        registry.addIf(QStringLiteral("Titolo"), basic(title), T::Title, where + QStringLiteral(": Titolo"));
    }
    registry.addIf(QStringLiteral("CodEORI"), basic(eori), T::EoriCode,
                   where + QStringLiteral(": Codice EORI"));
}

void addTaxId(XmlNode &parent, const QString &country, const QString &code, const QString &where)
{
    XmlNode &id = parent.group(QStringLiteral("IdFiscaleIVA"));
    id.add(QStringLiteral("IdPaese"), codeText(country), T::Country, where + QStringLiteral(": Nazione"));
    id.add(QStringLiteral("IdCodice"), codeText(code), T::IdCode, where + QStringLiteral(": Partita Iva"));
}

struct Address
{
    QString street, number, postCode, town, province, country;
};

void addAddress(XmlNode &parent, const QString &name, const Address &a, bool foreign, const QString &where)
{
    XmlNode &address = parent.group(name);
    address.add(QStringLiteral("Indirizzo"), latin(a.street), T::Latin60,
                where + QStringLiteral(": Indirizzo"));
    address.addIf(QStringLiteral("NumeroCivico"), basic(a.number), T::HouseNumber,
                  where + QStringLiteral(": Numero civico"));
    QString postCode = codeText(a.postCode);
    // Abroad the postcode has other shapes; the exchange system asks for zeros then.
    static const QRegularExpression fiveDigits(QStringLiteral("\\A[0-9]{5}\\z"));
    if (foreign && !fiveDigits.match(postCode).hasMatch())
        postCode = QStringLiteral("00000");
    address.add(QStringLiteral("CAP"), postCode, T::PostCode, where + QStringLiteral(": CAP"));
    address.add(QStringLiteral("Comune"), latin(a.town), T::Latin60, where + QStringLiteral(": Comune"));
    if (!foreign)
        address.addIf(QStringLiteral("Provincia"), codeText(a.province), T::Province,
                      where + QStringLiteral(": Provincia"));
    address.add(QStringLiteral("Nazione"), codeText(a.country), T::Country,
                where + QStringLiteral(": Nazione"));
}

Address branchOf(const QVariantMap &party)
{
    const auto f = [&](const char *suffix) {
        return str(party, QStringLiteral("StabileOrganizzazione_") + QString::fromLatin1(suffix));
    };
    return {f("Indirizzo"), f("NumeroCivico"), f("CAP"), f("Comune"), f("Provincia"), f("Nazione")};
}

QString yearAndSeries(const QString &number, const QDate &date, const QString &series,
                      const QVariantMap &company)
{
    QString text = number;
    if (flag(company, QStringLiteral("FatturaAnno")) && date.isValid())
        text += QLatin1Char('/') + QString::number(date.year());
    if (flag(company, QStringLiteral("FatturazioneMultipla")) && !series.isEmpty())
        text += QLatin1Char('/') + series;
    return text;
}

QString whole(double value)
{
    return QString::number(static_cast<qint64>(std::llround(value)));
}

void buildHeader(const EInvoiceSource &s, const QString &format, XmlNode &root)
{
    const QVariantMap &company = s.company;
    const QVariantMap &customer = s.customer;
    const QString companyWhere = QStringLiteral("Ditta");
    const QString customerWhere =
        QStringLiteral("Cliente «%1»").arg(partyName(customer, QStringLiteral("Cliente")));
    const QString documentWhere =
        s.creditNote ? QStringLiteral("Nota di credito") : QStringLiteral("Fattura");
    const bool foreign = isForeign(customer);
    XmlNode &header = root.group(QStringLiteral("FatturaElettronicaHeader"));

    XmlNode &transmission = header.group(QStringLiteral("DatiTrasmissione"));
    XmlNode &transmitter = transmission.group(QStringLiteral("IdTrasmittente"));
    transmitter.add(QStringLiteral("IdPaese"), codeText(str(company, QStringLiteral("IdPaese"))), T::Country,
                    companyWhere + QStringLiteral(": Nazione"));
    transmitter.add(QStringLiteral("IdCodice"), transmitterCode(company), T::IdCode,
                    companyWhere + (flag(company, QStringLiteral("Trasmissione_CodFisc"))
                                        ? QStringLiteral(": Codice fiscale")
                                        : QStringLiteral(": Partita Iva")));
    transmission.add(QStringLiteral("ProgressivoInvio"),
                     basic(str(s.header, QStringLiteral("DatiTrasmissione_ProgressivoInvio"))), T::Text10,
                     documentWhere + QStringLiteral(": Progressivo Trasmissione"));
    XmlNode &formatNode =
        transmission.add(QStringLiteral("FormatoTrasmissione"), format, T::Code, documentWhere);
    formatNode.allowed = {QStringLiteral("FPA12"), QStringLiteral("FPR12")};
    QString recipient;
    QString recipientWhere = customerWhere + QStringLiteral(": Codice SDI");
    if (format == QLatin1String("FPA12")) {
        recipient = codeText(str(customer, QStringLiteral("CodiceUnivocoUfficio")));
        recipientWhere = customerWhere + QStringLiteral(": Codice Univoco Ufficio");
    } else if (foreign) {
        recipient = QStringLiteral("XXXXXXX");
    } else {
        recipient = codeText(str(customer, QStringLiteral("Codice")));
        if (recipient.isEmpty())
            recipient = QStringLiteral("0000000");
    }
    transmission.add(QStringLiteral("CodiceDestinatario"), recipient, T::RecipientCode, recipientWhere);
    const QString phone = basic(str(company, QStringLiteral("Tel")));
    const QString email = str(company, QStringLiteral("Email"));
    if (!phone.isEmpty() || !email.isEmpty()) {
        XmlNode &contacts = transmission.group(QStringLiteral("ContattiTrasmittente"));
        contacts.addIf(QStringLiteral("Telefono"), phone, T::Phone,
                       companyWhere + QStringLiteral(": Telefono"));
        contacts.addIf(QStringLiteral("Email"), basic(email), T::ContactEmail,
                       companyWhere + QStringLiteral(": Email"));
    }
    const QString pec = str(customer, QStringLiteral("Pec"));
    if (recipient == QLatin1String("0000000") && !pec.isEmpty())
        transmission.add(QStringLiteral("PECDestinatario"), basic(pec), T::CertifiedMail,
                         customerWhere + QStringLiteral(": Pec"));

    XmlNode &seller = header.group(QStringLiteral("CedentePrestatore"));
    XmlNode &sellerData = seller.group(QStringLiteral("DatiAnagrafici"));
    addTaxId(sellerData, str(company, QStringLiteral("IdPaese")), str(company, QStringLiteral("PIva")),
             companyWhere);
    sellerData.addIf(QStringLiteral("CodiceFiscale"), codeText(str(company, QStringLiteral("CodFisc"))),
                     T::FiscalCode, companyWhere + QStringLiteral(": Codice fiscale"));
    addRegistryName(sellerData, str(company, QStringLiteral("RagSoc")), str(company, QStringLiteral("Nome")),
                    str(company, QStringLiteral("Cognome")), str(company, QStringLiteral("Titolo")),
                    str(company, QStringLiteral("CodEori")), companyWhere);
    sellerData.addIf(QStringLiteral("AlboProfessionale"),
                     latin(str(company, QStringLiteral("AlboProfessionale"))), T::Latin60,
                     companyWhere + QStringLiteral(": Albo professionale"));
    sellerData.addIf(QStringLiteral("ProvinciaAlbo"), codeText(str(company, QStringLiteral("ProvinciaAlbo"))),
                     T::Province, companyWhere + QStringLiteral(": Provincia albo"));
    sellerData.addIf(QStringLiteral("NumeroIscrizioneAlbo"),
                     basic(str(company, QStringLiteral("NumeroIscrizioneAlbo"))), T::Text60,
                     companyWhere + QStringLiteral(": Numero iscrizione albo"));
    if (const QDate enrolled = dateOf(company, QStringLiteral("DataIscrizioneAlbo")); enrolled.isValid())
        sellerData.add(QStringLiteral("DataIscrizioneAlbo"), fmt::date(enrolled), T::Date,
                       companyWhere + QStringLiteral(": Data iscrizione albo"));
    XmlNode &regime = sellerData.add(QStringLiteral("RegimeFiscale"),
                                     codeText(str(company, QStringLiteral("RegimeFiscale"))), T::Code,
                                     companyWhere + QStringLiteral(": Regime fiscale"));
    for (int code : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19})
        regime.allowed.append(QStringLiteral("RF%1").arg(code, 2, 10, QLatin1Char('0')));
    addAddress(seller, QStringLiteral("Sede"),
               {str(company, QStringLiteral("Via")), str(company, QStringLiteral("Numero")),
                str(company, QStringLiteral("Cap")), str(company, QStringLiteral("Comune")),
                str(company, QStringLiteral("Provincia")), str(company, QStringLiteral("IdPaese"))},
               false, companyWhere);
    if (flag(company, QStringLiteral("StabileOrganizzazione")))
        addAddress(seller, QStringLiteral("StabileOrganizzazione"), branchOf(company), false,
                   companyWhere + QStringLiteral(" (stabile organizzazione)"));
    if (flag(company, QStringLiteral("Iscrizione_REA"))) {
        XmlNode &rea = seller.group(QStringLiteral("IscrizioneREA"));
        rea.add(QStringLiteral("Ufficio"), codeText(str(company, QStringLiteral("Iscrizione_REA_Ufficio"))),
                T::Province, companyWhere + QStringLiteral(": Ufficio REA"));
        rea.add(QStringLiteral("NumeroREA"), basic(str(company, QStringLiteral("Iscrizione_REA_NumeroREA"))),
                T::Text20, companyWhere + QStringLiteral(": Numero REA"));
        if (const double capital = num(company, QStringLiteral("Iscrizione_REA_CapitaleSociale"));
            capital != 0)
            rea.add(QStringLiteral("CapitaleSociale"), fmt::amount2(capital), T::Amount2,
                    companyWhere + QStringLiteral(": Capitale sociale"));
        const QString single = codeText(str(company, QStringLiteral("Iscrizione_REA_SocioUnico")));
        if (!single.isEmpty())
            rea.add(QStringLiteral("SocioUnico"), single, T::Code,
                    companyWhere + QStringLiteral(": Socio unico"))
                .allowed = {QStringLiteral("SU"), QStringLiteral("SM")};
        rea.add(QStringLiteral("StatoLiquidazione"),
                codeText(str(company, QStringLiteral("Iscrizione_REA_StatoLiquidazione"))), T::Code,
                companyWhere + QStringLiteral(": Stato liquidazione"))
            .allowed = {QStringLiteral("LS"), QStringLiteral("LN")};
    }
    if (flag(company, QStringLiteral("Contatti"))) {
        XmlNode &contacts = seller.group(QStringLiteral("Contatti"));
        contacts.addIf(QStringLiteral("Telefono"), phone, T::Phone,
                       companyWhere + QStringLiteral(": Telefono"));
        contacts.addIf(QStringLiteral("Fax"), basic(str(company, QStringLiteral("Fax"))), T::Phone,
                       companyWhere + QStringLiteral(": Fax"));
        contacts.addIf(QStringLiteral("Email"), basic(email), T::ContactEmail,
                       companyWhere + QStringLiteral(": Email"));
    }
    seller.addIf(QStringLiteral("RiferimentoAmministrazione"),
                 basic(str(company, QStringLiteral("RiferimentoAmministrazione"))), T::Text20,
                 companyWhere + QStringLiteral(": Riferimento amministrazione"));

    if (flag(company, QStringLiteral("RappresentanteFiscale"))) {
        const auto f = [&](const char *suffix) {
            return str(company,
                       QStringLiteral("RappresentanteFiscale_DatiAnagrafici_") + QString::fromLatin1(suffix));
        };
        const QString where = QStringLiteral("Rappresentante fiscale");
        XmlNode &data =
            header.group(QStringLiteral("RappresentanteFiscale")).group(QStringLiteral("DatiAnagrafici"));
        addTaxId(data, f("IdPaese"), f("IdCodice"), where);
        data.addIf(QStringLiteral("CodiceFiscale"), codeText(f("CodiceFiscale")), T::FiscalCode,
                   where + QStringLiteral(": Codice fiscale"));
        addRegistryName(data, f("Denominazione"), f("Nome"), f("Cognome"), f("Titolo"), f("CodEORI"), where);
    }

    XmlNode &buyer = header.group(QStringLiteral("CessionarioCommittente"));
    XmlNode &buyerData = buyer.group(QStringLiteral("DatiAnagrafici"));
    const QString vat = codeText(str(customer, QStringLiteral("Iva")));
    const QString fiscalCode = codeText(str(customer, QStringLiteral("CodFiscale")));
    const QString country = str(customer, QStringLiteral("IdPaese"));
    if (!vat.isEmpty())
        addTaxId(buyerData, country, vat, customerWhere);
    else if (foreign && !fiscalCode.isEmpty())
        addTaxId(buyerData, country, fiscalCode, customerWhere);
    // Abroad the code stands as the tax identifier: the Italian fiscal code has another shape.
    if (!foreign)
        buyerData.addIf(QStringLiteral("CodiceFiscale"), fiscalCode, T::FiscalCode,
                        customerWhere + QStringLiteral(": Codice fiscale"));
    addRegistryName(buyerData, str(customer, QStringLiteral("Cliente")),
                    str(customer, QStringLiteral("Nome")), str(customer, QStringLiteral("Cognome")),
                    str(customer, QStringLiteral("Titolo")), str(customer, QStringLiteral("CodEORI")),
                    customerWhere);
    addAddress(buyer, QStringLiteral("Sede"),
               {str(customer, QStringLiteral("Via")), str(customer, QStringLiteral("Numero")),
                str(customer, QStringLiteral("Cap")), str(customer, QStringLiteral("Citta")),
                str(customer, QStringLiteral("Provincia")),
                country.isEmpty() ? QStringLiteral("IT") : country},
               foreign, customerWhere);
    if (flag(customer, QStringLiteral("StabileOrganizzazione")))
        addAddress(buyer, QStringLiteral("StabileOrganizzazione"), branchOf(customer), false,
                   customerWhere + QStringLiteral(" (stabile organizzazione)"));
    if (flag(customer, QStringLiteral("RappresentanteFiscale"))) {
        const QString where = customerWhere + QStringLiteral(" (rappresentante fiscale)");
        XmlNode &representative = buyer.group(QStringLiteral("RappresentanteFiscale"));
        addTaxId(representative, str(customer, QStringLiteral("RappresentanteFiscale_Nazione")),
                 str(customer, QStringLiteral("RappresentanteFiscale_IdCodice")), where);
        const QString name = str(customer, QStringLiteral("RappresentanteFiscale_Denominazione"));
        if (!name.isEmpty()) {
            representative.add(QStringLiteral("Denominazione"), latin(name), T::Latin80,
                               where + QStringLiteral(": Ragione sociale"));
        } else {
            representative.add(QStringLiteral("Nome"),
                               latin(str(customer, QStringLiteral("RappresentanteFiscale_Nome"))), T::Latin60,
                               where + QStringLiteral(": Nome"));
            representative.add(QStringLiteral("Cognome"),
                               latin(str(customer, QStringLiteral("RappresentanteFiscale_Cognome"))),
                               T::Latin60, where + QStringLiteral(": Cognome"));
        }
    }

    if (flag(company, QStringLiteral("TerzoIntermediarioOSoggettoEmittente"))) {
        const auto f = [&](const char *suffix) {
            return str(company,
                       QStringLiteral("TerzoIntermediarioOSoggettoEmittente_") + QString::fromLatin1(suffix));
        };
        const QString where = QStringLiteral("Terzo intermediario");
        XmlNode &data = header.group(QStringLiteral("TerzoIntermediarioOSoggettoEmittente"))
                            .group(QStringLiteral("DatiAnagrafici"));
        if (!f("IdCodice").isEmpty())
            addTaxId(data, f("IdPaese"), f("IdCodice"), where);
        data.addIf(QStringLiteral("CodiceFiscale"), codeText(f("CodiceFiscale")), T::FiscalCode,
                   where + QStringLiteral(": Codice fiscale"));
        addRegistryName(data, f("Denominazione"), f("Nome"), f("Cognome"), f("Titolo"), f("CodEORI"), where);
    }
    const QString issuer = codeText(str(company, QStringLiteral("SoggettoEmittente")));
    if (!issuer.isEmpty())
        header
            .add(QStringLiteral("SoggettoEmittente"), issuer, T::Code,
                 companyWhere + QStringLiteral(": Soggetto emittente"))
            .allowed = {QStringLiteral("CC"), QStringLiteral("TZ")};
}

struct SummaryGroup
{
    double rate = 0;
    QString nature;
    double taxable = 0;
};

void buildBody(const EInvoiceSource &s, XmlNode &root, QList<EInvoiceProblem> &problems)
{
    const QVariantMap &h = s.header;
    const QString documentWhere =
        s.creditNote ? QStringLiteral("Nota di credito") : QStringLiteral("Fattura");
    XmlNode &body = root.group(QStringLiteral("FatturaElettronicaBody"));
    XmlNode &general = body.group(QStringLiteral("DatiGenerali"));
    XmlNode &document = general.group(QStringLiteral("DatiGeneraliDocumento"));
    document.add(QStringLiteral("TipoDocumento"),
                 s.creditNote ? QStringLiteral("TD04") : QStringLiteral("TD01"), T::Code, documentWhere);
    QString currency = codeText(str(h, QStringLiteral("DatiGenerali_Divisa")));
    document.add(QStringLiteral("Divisa"), currency.isEmpty() ? QStringLiteral("EUR") : currency, T::Currency,
                 documentWhere + QStringLiteral(": Divisa"));
    document.add(QStringLiteral("Data"), fmt::date(dateOf(h, QStringLiteral("Data"))), T::Date,
                 documentWhere + QStringLiteral(": Data"));
    document.add(QStringLiteral("Numero"), basic(eInvoiceNumber(s)), T::Text20,
                 documentWhere + QStringLiteral(": Numero"));
    if (const double stamp = num(h, QStringLiteral("ImportoMarcaBollo")); stamp > 0) {
        XmlNode &duty = document.group(QStringLiteral("DatiBollo"));
        duty.add(QStringLiteral("BolloVirtuale"), QStringLiteral("SI"), T::Code, documentWhere);
        duty.add(QStringLiteral("ImportoBollo"), fmt::amount2(stamp), T::Amount2,
                 documentWhere + QStringLiteral(": Importo marca da bollo"));
    }
    if (!h.value(QStringLiteral("TotFattura")).isNull())
        document.add(QStringLiteral("ImportoTotaleDocumento"),
                     fmt::amount2(num(h, QStringLiteral("TotFattura"))), T::Amount2,
                     documentWhere + QStringLiteral(": Totale"));
    // The reason may be longer than one element holds: it goes on in the next ones.
    QString reason = latin(str(h, QStringLiteral("Causale")));
    while (!reason.isEmpty()) {
        document.add(QStringLiteral("Causale"), reason.left(200).trimmed(), T::Latin200,
                     documentWhere + QStringLiteral(": Causale"));
        reason = reason.mid(200);
    }

    for (const QVariantMap &order : s.orders) {
        const QString where =
            QStringLiteral("Ordine del cliente «%1»").arg(str(order, QStringLiteral("Numero")));
        XmlNode &o = general.group(QStringLiteral("DatiOrdineAcquisto"));
        o.add(QStringLiteral("IdDocumento"), basic(str(order, QStringLiteral("Numero"))), T::Text20,
              where + QStringLiteral(": Numero"));
        if (const QDate d = dateOf(order, QStringLiteral("Data")); d.isValid())
            o.add(QStringLiteral("Data"), fmt::date(d), T::Date, where + QStringLiteral(": Data"));
        o.addIf(QStringLiteral("CodiceCommessaConvenzione"),
                latin(str(order, QStringLiteral("CodiceCommessaConvenzione"))), T::Latin100,
                where + QStringLiteral(": Commessa/Convenzione"));
        o.addIf(QStringLiteral("CodiceCUP"), codeText(str(order, QStringLiteral("CodiceCup"))), T::Text15,
                where + QStringLiteral(": CUP"));
        o.addIf(QStringLiteral("CodiceCIG"), codeText(str(order, QStringLiteral("CodiceCig"))), T::Text15,
                where + QStringLiteral(": CIG"));
    }
    if (s.creditNote && (!h.value(QStringLiteral("NCFattIDRif")).isNull() ||
                         !str(h, QStringLiteral("NCFattNumRif")).isEmpty())) {
        const QString where = QStringLiteral("Fattura di riferimento");
        XmlNode &linked = general.group(QStringLiteral("DatiFattureCollegate"));
        const QDate linkedDate = dateOf(h, QStringLiteral("NCFattDataRif"));
        linked.add(QStringLiteral("IdDocumento"),
                   basic(yearAndSeries(str(h, QStringLiteral("NCFattNumRif")), linkedDate,
                                       str(h, QStringLiteral("NCFatSerieRif")), s.company)),
                   T::Text20, where + QStringLiteral(": Numero"));
        if (linkedDate.isValid())
            linked.add(QStringLiteral("Data"), fmt::date(linkedDate), T::Date,
                       where + QStringLiteral(": Data"));
    }
    if (flag(h, QStringLiteral("DatiAnagraficiVettore")) && !s.carrier.isEmpty() &&
        !str(s.carrier, QStringLiteral("Iva")).isEmpty()) {
        const QVariantMap &c = s.carrier;
        const QString where = QStringLiteral("Personale «%1»").arg(partyName(c, QStringLiteral("Personale")));
        XmlNode &transport = general.group(QStringLiteral("DatiTrasporto"));
        XmlNode &carrier = transport.group(QStringLiteral("DatiAnagraficiVettore"));
        addTaxId(carrier,
                 str(c, QStringLiteral("IdPaese")).isEmpty() ? QStringLiteral("IT")
                                                             : str(c, QStringLiteral("IdPaese")),
                 str(c, QStringLiteral("Iva")), where);
        carrier.addIf(QStringLiteral("CodiceFiscale"), codeText(str(c, QStringLiteral("CodFisc"))),
                      T::FiscalCode, where + QStringLiteral(": Codice fiscale"));
        addRegistryName(carrier, str(c, QStringLiteral("Personale")), str(c, QStringLiteral("Nome")),
                        str(c, QStringLiteral("Cognome")), str(c, QStringLiteral("Titolo")),
                        str(c, QStringLiteral("CodEORI")), where);
        carrier.addIf(QStringLiteral("NumeroLicenzaGuida"),
                      basic(str(c, QStringLiteral("NumeroLicenzaGuida"))), T::Text20,
                      where + QStringLiteral(": Numero licenza di guida"));
        const qint64 parcels = h.value(QStringLiteral("Colli")).toLongLong();
        if (parcels >= 1 && parcels <= 9999)
            transport.add(QStringLiteral("NumeroColli"), QString::number(parcels), T::LineNumber,
                          documentWhere + QStringLiteral(": N° Colli"));
        transport.addIf(QStringLiteral("Descrizione"), latin(s.aspect), T::Latin100,
                        documentWhere + QStringLiteral(": Aspetto esteriore"));
        if (const QDate start = dateOf(h, QStringLiteral("datatrasporto")); start.isValid())
            transport.add(QStringLiteral("DataInizioTrasporto"), fmt::date(start), T::Date,
                          documentWhere + QStringLiteral(": Data trasporto"));
        transport.addIf(QStringLiteral("TipoResa"), codeText(s.deliveryTerms), T::DeliveryTerms,
                        documentWhere + QStringLiteral(": Porto"));
    }

    XmlNode &goods = body.group(QStringLiteral("DatiBeniServizi"));
    QList<SummaryGroup> groups;
    qint64 position = 0;
    for (const QVariantMap &row : s.rows) {
        // A row kept from older data without its number takes its place in the document.
        ++position;
        const qint64 stored = std::llround(num(row, QStringLiteral("NumeroRiga")));
        const QString line = QString::number(stored > 0 ? stored : position);
        const QString where = QStringLiteral("Riga %1").arg(line);
        XmlNode &detail = goods.group(QStringLiteral("DettaglioLinee"));
        detail.add(QStringLiteral("NumeroLinea"), line, T::LineNumber, where + QStringLiteral(": Num.Riga"));
        const QString article = str(row, QStringLiteral("Codice"));
        if (!article.isEmpty()) {
            XmlNode &code = detail.group(QStringLiteral("CodiceArticolo"));
            code.add(QStringLiteral("CodiceTipo"), QStringLiteral("CodiceInterno"), T::Text35, where);
            code.add(QStringLiteral("CodiceValore"), article, T::Text35LatinExt,
                     where + QStringLiteral(": Codice"));
        }
        detail.add(QStringLiteral("Descrizione"), latin(str(row, QStringLiteral("Descrizione"))).left(1000),
                   T::Latin1000, where + QStringLiteral(": Descrizione"));
        const QVariant quantity = row.value(QStringLiteral("Um"));
        double price = num(row, QStringLiteral("ValoreUnitario"));
        // The quantity has no sign in the file: a negative one becomes a negative price.
        if (!quantity.isNull()) {
            if (quantity.toDouble() < 0)
                price = -price;
            detail.add(QStringLiteral("Quantita"), fmt::quantity(quantity.toDouble()), T::Quantity,
                       where + QStringLiteral(": Quantità"));
        }
        if (const QDate from = dateOf(row, QStringLiteral("DataInizioPeriodo")); from.isValid())
            detail.add(QStringLiteral("DataInizioPeriodo"), fmt::date(from), T::Date,
                       where + QStringLiteral(": Inizio periodo"));
        if (const QDate to = dateOf(row, QStringLiteral("DataFinePeriodo")); to.isValid())
            detail.add(QStringLiteral("DataFinePeriodo"), fmt::date(to), T::Date,
                       where + QStringLiteral(": Fine periodo"));
        detail.add(QStringLiteral("PrezzoUnitario"), fmt::amount8(price), T::Amount8,
                   where + QStringLiteral(": Valore Unitario"));
        const double discount = num(row, QStringLiteral("Sconto"));
        if (discount > 0) {
            XmlNode &d = detail.group(QStringLiteral("ScontoMaggiorazione"));
            d.add(QStringLiteral("Tipo"), QStringLiteral("SC"), T::Code, where);
            d.add(QStringLiteral("Percentuale"), fmt::rate(discount), T::Rate,
                  where + QStringLiteral(": Sconto"));
            d.add(QStringLiteral("Importo"), fmt::amount8(std::fabs(price) * discount * 0.01), T::Amount8,
                  where + QStringLiteral(": Sconto"));
        }
        const double taxable = num(row, QStringLiteral("TotaleImponibile"));
        detail.add(QStringLiteral("PrezzoTotale"), fmt::amount8(taxable), T::Amount8,
                   where + QStringLiteral(": Totale"));
        const double rate = num(row, QStringLiteral("AliquotaIva"));
        detail.add(QStringLiteral("AliquotaIVA"), fmt::rate(rate), T::Rate, where + QStringLiteral(": Iva"));
        const QString nature = rate == 0 ? codeText(str(row, QStringLiteral("Natura"))) : QString();
        detail.addIf(QStringLiteral("Natura"), nature, T::Code, where + QStringLiteral(": natura dell'Iva"));
        detail.addIf(QStringLiteral("RiferimentoAmministrazione"),
                     basic(str(row, QStringLiteral("RiferimentoAmministrazione"))), T::Text20,
                     where + QStringLiteral(": Riferimento amministrazione"));
        const QString rateText = fmt::rate(rate);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const SummaryGroup &g) {
            return fmt::rate(g.rate) == rateText && g.nature == nature;
        });
        if (group == groups.end()) {
            groups.append({rate, nature, 0});
            group = groups.end() - 1;
        }
        group->taxable += taxable;
    }
    std::sort(groups.begin(), groups.end(), [](const SummaryGroup &a, const SummaryGroup &b) {
        return a.rate != b.rate ? a.rate < b.rate : a.nature < b.nature;
    });
    const bool split = flag(h, QStringLiteral("ScissionePagamenti"));
    for (const SummaryGroup &g : groups) {
        const QString where = QStringLiteral("Riepilogo Iva %1%").arg(fmt::rate(g.rate));
        XmlNode &summary = goods.group(QStringLiteral("DatiRiepilogo"));
        summary.add(QStringLiteral("AliquotaIVA"), fmt::rate(g.rate), T::Rate, where);
        summary.addIf(QStringLiteral("Natura"), g.nature, T::Code, where);
        summary.add(QStringLiteral("ImponibileImporto"), fmt::amount2(g.taxable), T::Amount2, where);
        summary.add(QStringLiteral("Imposta"), fmt::amount2(g.taxable * 0.01 * g.rate), T::Amount2, where);
        summary.add(QStringLiteral("EsigibilitaIVA"), split ? QStringLiteral("S") : QStringLiteral("I"),
                    T::Code, where);
    }

    if (!s.dueDates.isEmpty()) {
        XmlNode &payment = body.group(QStringLiteral("DatiPagamento"));
        const bool modeFound = !s.paymentMode.isEmpty();
        const bool oneOff = modeFound && s.paymentMode.value(QStringLiteral("NumeroScadenze")).toInt() == 0;
        payment.add(QStringLiteral("CondizioniPagamento"),
                    oneOff ? QStringLiteral("TP02") : QStringLiteral("TP01"), T::Code, documentWhere);
        const QString defaultMethod =
            codeText(str(s.paymentMode, QStringLiteral("PA_ModalitaPagamento_Codice")));
        for (qsizetype i = 0; i < s.dueDates.size(); ++i) {
            const QVariantMap &due = s.dueDates.at(i);
            const QString where = QStringLiteral("Scadenza %1").arg(i + 1);
            XmlNode &detail = payment.group(QStringLiteral("DettaglioPagamento"));
            const bool bankFound = flag(due, QStringLiteral("BancaTrovata"));
            if (bankFound)
                detail.addIf(
                    QStringLiteral("Beneficiario"), latin(str(due, QStringLiteral("Beneficiario"))),
                    T::Latin200,
                    QStringLiteral("Banca «%1»: Beneficiario").arg(str(due, QStringLiteral("Banca"))));
            QString method = codeText(str(due, QStringLiteral("ModalitaPagamento")));
            if (method.isEmpty())
                method = defaultMethod;
            if (method.isEmpty())
                problems.append(
                    {where,
                     QStringLiteral("manca la modalità di pagamento della fattura elettronica (MP..): "
                                    "impostarla nella modalità di pagamento"),
                     {},
                     {},
                     {}});
            XmlNode &m = detail.add(QStringLiteral("ModalitaPagamento"), method, T::Code,
                                    where + QStringLiteral(": Modalità di pagamento"));
            for (int code = 1; code <= 23; ++code)
                m.allowed.append(QStringLiteral("MP%1").arg(code, 2, 10, QLatin1Char('0')));
            if (const QDate d = dateOf(due, QStringLiteral("DataScadenza")); d.isValid())
                detail.add(QStringLiteral("DataScadenzaPagamento"), fmt::date(d), T::Date,
                           where + QStringLiteral(": Data scadenza"));
            detail.add(QStringLiteral("ImportoPagamento"), fmt::amount2(num(due, QStringLiteral("Importo"))),
                       T::Amount2, where + QStringLiteral(": Importo"));
            if (i == s.dueDates.size() - 1 && bankFound) {
                const QString bankWhere = QStringLiteral("Banca «%1»").arg(str(due, QStringLiteral("Banca")));
                detail.addIf(QStringLiteral("IstitutoFinanziario"), latin(str(due, QStringLiteral("Banca"))),
                             T::Latin80, bankWhere + QStringLiteral(": Banca"));
                detail.addIf(QStringLiteral("IBAN"), codeText(str(due, QStringLiteral("Iban"))), T::Iban,
                             bankWhere + QStringLiteral(": Iban"));
            }
        }
    }

    for (const QVariantMap &attachment : s.attachments) {
        const QString name = str(attachment, QStringLiteral("NomeAttachment"));
        const QString where = QStringLiteral("Allegato «%1»").arg(name);
        if (flag(attachment, QStringLiteral("Mancante"))) {
            problems.append({where,
                             QStringLiteral("Attenzione non è più presente il file allegato : %1")
                                 .arg(str(attachment, QStringLiteral("PercorsoCompleto"))),
                             {},
                             {},
                             {}});
            continue;
        }
        XmlNode &a = body.group(QStringLiteral("Allegati"));
        a.add(QStringLiteral("NomeAttachment"), latin(name), T::Latin60,
              where + QStringLiteral(": Nome allegato"));
        a.addIf(QStringLiteral("AlgoritmoCompressione"),
                basic(str(attachment, QStringLiteral("AlgoritmoCompressione"))), T::Text10,
                where + QStringLiteral(": Algoritmo compressione"));
        a.addIf(QStringLiteral("FormatoAttachment"),
                basic(str(attachment, QStringLiteral("FormatoAttachment"))), T::Text10,
                where + QStringLiteral(": Formato"));
        a.addIf(QStringLiteral("DescrizioneAttachment"),
                latin(str(attachment, QStringLiteral("DescrizioneAttachment"))), T::Latin100,
                where + QStringLiteral(": Descrizione"));
        a.add(QStringLiteral("Attachment"),
              QString::fromLatin1(attachment.value(QStringLiteral("Contenuto")).toByteArray().toBase64()),
              T::Base64, where + QStringLiteral(": Percorso"));
    }
}

double numberIn(const XmlNode *node)
{
    return node ? node->text.toDouble() : 0;
}

const XmlNode *path(const XmlNode &from, const QStringList &names)
{
    const XmlNode *node = &from;
    for (const QString &name : names) {
        node = node->child(name);
        if (!node)
            return nullptr;
    }
    return node;
}

QString fixOf(const XmlNode *node, const QString &otherwise)
{
    return node ? node->fix : otherwise;
}

// The exchange system's own checks on what the schema lets through.
void semanticProblems(const EInvoiceSource &s, const XmlNode &root, const QString &format,
                      QList<EInvoiceProblem> &problems)
{
    static const QRegularExpression knownNature(
        QStringLiteral("\\AN([1457]|2\\.[12]|3\\.[1-6]|6\\.[1-9])\\z"));
    const auto add = [&](const QString &fix, const QString &message, const char *code) {
        problems.append({fix, message, QString::fromLatin1(code), {}, {}});
    };
    const XmlNode *header = root.child(QStringLiteral("FatturaElettronicaHeader"));
    const XmlNode *body = root.child(QStringLiteral("FatturaElettronicaBody"));
    if (!header || !body)
        return;
    const XmlNode *recipient =
        path(*header, {QStringLiteral("DatiTrasmissione"), QStringLiteral("CodiceDestinatario")});
    if (recipient) {
        const bool publicOffice = format == QLatin1String("FPA12");
        if (publicOffice && recipient->text.size() != 6)
            add(recipient->fix,
                QStringLiteral("il codice univoco ufficio di una pubblica amministrazione ha 6 caratteri"),
                "00427");
        if (!publicOffice && recipient->text.size() != 7)
            add(recipient->fix, QStringLiteral("il codice destinatario di un privato ha 7 caratteri"),
                "00427");
    }
    const QString customerWhere =
        QStringLiteral("Cliente «%1»").arg(partyName(s.customer, QStringLiteral("Cliente")));
    const XmlNode *buyerData =
        path(*header, {QStringLiteral("CessionarioCommittente"), QStringLiteral("DatiAnagrafici")});
    if (buyerData && !buyerData->child(QStringLiteral("IdFiscaleIVA")) &&
        !buyerData->child(QStringLiteral("CodiceFiscale")))
        add(customerWhere + QStringLiteral(": Partita Iva o Codice fiscale"),
            QStringLiteral("il cliente va identificato con la partita Iva o con il codice fiscale"), "00417");
    // Italian numbers carry their own check digit.
    const auto italianNumber = [&](const QString &country, const QString &code) {
        return codeText(country) == QLatin1String("IT") && !code.isEmpty();
    };
    if (italianNumber(str(s.company, QStringLiteral("IdPaese")), str(s.company, QStringLiteral("PIva"))) &&
        !core::isValidPartitaIva(codeText(str(s.company, QStringLiteral("PIva")))))
        add(QStringLiteral("Ditta: Partita Iva"), QStringLiteral("la partita Iva della ditta non è valida"),
            "00301");
    if (buyerData) {
        if (const XmlNode *id = buyerData->child(QStringLiteral("IdFiscaleIVA"))) {
            const XmlNode *country = id->child(QStringLiteral("IdPaese"));
            const XmlNode *code = id->child(QStringLiteral("IdCodice"));
            if (country && code && italianNumber(country->text, code->text) &&
                !core::isValidPartitaIva(code->text))
                add(code->fix, QStringLiteral("la partita Iva del cliente non è valida"), "00305");
        }
        if (const XmlNode *code = buyerData->child(QStringLiteral("CodiceFiscale"))) {
            const bool valid = code->text.size() == 11 ? core::isValidPartitaIva(code->text)
                                                       : core::isValidCodiceFiscale(code->text);
            if (!valid)
                add(code->fix, QStringLiteral("il codice fiscale del cliente non è valido"), "00306");
        }
    }

    const XmlNode *document =
        path(*body, {QStringLiteral("DatiGenerali"), QStringLiteral("DatiGeneraliDocumento")});
    if (const XmlNode *number = document ? document->child(QStringLiteral("Numero")) : nullptr)
        if (std::none_of(number->text.cbegin(), number->text.cend(), [](QChar c) { return c.isDigit(); }))
            add(number->fix, QStringLiteral("il numero del documento deve contenere almeno una cifra"),
                "00425");
    if (const XmlNode *linked =
            path(*body, {QStringLiteral("DatiGenerali"), QStringLiteral("DatiFattureCollegate"),
                         QStringLiteral("Data")})) {
        const QDate linkedDate = dateOf(s.header, QStringLiteral("NCFattDataRif"));
        if (linkedDate > dateOf(s.header, QStringLiteral("Data")))
            add(linked->fix,
                QStringLiteral("la fattura di riferimento non può essere successiva alla nota di credito"),
                "00418");
    }

    const XmlNode *goods = body->child(QStringLiteral("DatiBeniServizi"));
    if (!goods)
        return;
    QMap<QString, double> linesByGroup; // "rate|nature" -> sum of line totals
    for (const XmlNode *line : goods->all(QStringLiteral("DettaglioLinee"))) {
        const XmlNode *rate = line->child(QStringLiteral("AliquotaIVA"));
        const XmlNode *nature = line->child(QStringLiteral("Natura"));
        const QString where =
            fixOf(line->child(QStringLiteral("NumeroLinea")), QString()).section(QLatin1Char(':'), 0, 0);
        if (rate && rate->text.toDouble() == 0 && !nature)
            add(where + QStringLiteral(": Iva"),
                QStringLiteral(
                    "con l'aliquota 0 serve la natura dell'Iva: sceglierne una con la natura (N1-N7)"),
                "00400");
        if (nature && rate && rate->text.toDouble() != 0)
            add(nature->fix, QStringLiteral("la natura va indicata solo con l'aliquota 0"), "00401");
        if (nature && QStringList{QStringLiteral("N2"), QStringLiteral("N3"), QStringLiteral("N6")}.contains(
                          nature->text))
            add(nature->fix,
                QStringLiteral(
                    "la natura %1 non è più ammessa: usare una delle sue voci di dettaglio (%1.1, %1.2, ...)")
                    .arg(nature->text),
                "00445");
        else if (nature && !knownNature.match(nature->text).hasMatch())
            add(nature->fix, QStringLiteral("«%1» non è una natura dell'Iva").arg(nature->text), "00200");
        const double quantity =
            line->child(QStringLiteral("Quantita")) ? numberIn(line->child(QStringLiteral("Quantita"))) : 1.0;
        double price = numberIn(line->child(QStringLiteral("PrezzoUnitario")));
        if (const XmlNode *discount = line->child(QStringLiteral("ScontoMaggiorazione")))
            price -= std::fabs(price) * numberIn(discount->child(QStringLiteral("Percentuale"))) * 0.01 *
                     (price < 0 ? -1 : 1);
        const XmlNode *total = line->child(QStringLiteral("PrezzoTotale"));
        if (total && std::fabs(quantity * price - total->text.toDouble()) > 0.01 + 1e-9)
            add(total->fix,
                QStringLiteral("%1 non è quantità × prezzo meno lo sconto (%2)")
                    .arg(total->text, fmt::amount2(quantity * price)),
                "00423");
        const QString key =
            (rate ? rate->text : QString()) + QLatin1Char('|') + (nature ? nature->text : QString());
        linesByGroup[key] += total ? total->text.toDouble() : 0;
    }
    QSet<QString> summarised;
    for (const XmlNode *summary : goods->all(QStringLiteral("DatiRiepilogo"))) {
        const XmlNode *rate = summary->child(QStringLiteral("AliquotaIVA"));
        const XmlNode *nature = summary->child(QStringLiteral("Natura"));
        const XmlNode *taxable = summary->child(QStringLiteral("ImponibileImporto"));
        const XmlNode *tax = summary->child(QStringLiteral("Imposta"));
        if (!rate || !taxable || !tax)
            continue;
        const QString key = rate->text + QLatin1Char('|') + (nature ? nature->text : QString());
        summarised.insert(key);
        if (rate->text.toDouble() == 0 && !nature)
            add(rate->fix, QStringLiteral("con l'aliquota 0 il riepilogo deve indicare la natura dell'Iva"),
                "00429");
        if (std::fabs(linesByGroup.value(key) - taxable->text.toDouble()) > 0.01 + 1e-9)
            add(taxable->fix,
                QStringLiteral("l'imponibile %1 non è la somma delle righe (%2)")
                    .arg(taxable->text, fmt::amount2(linesByGroup.value(key))),
                "00422");
        if (std::fabs(taxable->text.toDouble() * rate->text.toDouble() * 0.01 - tax->text.toDouble()) >
            0.01 + 1e-9)
            add(tax->fix, QStringLiteral("l'imposta %1 non è l'imponibile per l'aliquota").arg(tax->text),
                "00421");
    }
    for (auto it = linesByGroup.cbegin(); it != linesByGroup.cend(); ++it)
        if (!summarised.contains(it.key()))
            add(QStringLiteral("Riepilogo Iva %1").arg(it.key().section(QLatin1Char('|'), 0, 0)),
                QStringLiteral("manca il riepilogo di un'aliquota delle righe"), "00419");
}

// Writes a file whole under a temporary name beside it and puts it in place with one rename, so
// that no half-written invoice is ever seen under its own name.
core::Status replaceFile(const QString &path, const QByteArray &content)
{
    QFile file(path + QStringLiteral(".parziale"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() ||
        !file.flush()) {
        const QString reason = file.errorString();
        file.remove();
        return core::Status::failure(
            QStringLiteral("Attenzione non è stato possibile scrivere il file %1: %2").arg(path, reason));
    }
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) !=
        0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.remove();
        return core::Status::failure(
            QStringLiteral("Attenzione non è stato possibile scrivere il file %1: %2").arg(path, reason));
    }
    return core::Status();
}

// Makes the files written so far durable, once for a whole group of them.
void flushFilesToDisk()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

} // namespace

core::Result<QVariantMap> readCompany(storage::Archive &archive)
{
    const core::Result<QVariant> key =
        archive.scalar(QStringLiteral("SELECT ID FROM ditta ORDER BY ID LIMIT 1"));
    if (!key)
        return core::Result<QVariantMap>::failure(key.error());
    return readOptional(archive, QStringLiteral("ditta"), *key);
}

namespace {

// "?, ?, ?": the placeholders of a list of keys, bound one by one.
QString placeholders(qsizetype count)
{
    QStringList marks;
    marks.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

QVariantList keyList(const QList<qint64> &keys)
{
    QVariantList list;
    list.reserve(keys.size());
    for (const qint64 key : keys)
        list.append(key);
    return list;
}

// Rows that belong to the documents, each list in the statement's order.
core::Result<QHash<qint64, QList<QVariantMap>>>
readOwnedRows(storage::Archive &archive, QList<Column> columns, const QString &ownerExpression,
              const QString &from, const QString &order, const QList<qint64> &owners)
{
    using R = core::Result<QHash<qint64, QList<QVariantMap>>>;
    QHash<qint64, QList<QVariantMap>> owned;
    if (owners.isEmpty())
        return owned;
    columns.append({ownerExpression, QStringLiteral("__owner")});
    const core::Result<QList<QVariantMap>> rows =
        readMaps(archive, columns,
                 QStringLiteral("%1 WHERE %2 IN (%3) ORDER BY %4")
                     .arg(from, ownerExpression, placeholders(owners.size()), order),
                 keyList(owners));
    if (!rows)
        return R::failure(rows.error());
    for (QVariantMap row : *rows) {
        const qint64 owner = row.take(QStringLiteral("__owner")).toLongLong();
        owned[owner].append(row);
    }
    return owned;
}

core::Status readMissing(storage::Archive &archive, const QString &table, QSet<qint64> wanted,
                         QHash<qint64, QVariantMap> &known)
{
    wanted.remove(0);
    QList<qint64> missing;
    for (const qint64 key : std::as_const(wanted))
        if (!known.contains(key))
            missing.append(key);
    const core::Result<QHash<qint64, QVariantMap>> rows = archive.readRowsByKey(table, missing);
    if (!rows)
        return core::Status::failure(rows.error());
    known.insert(*rows);
    return core::Status();
}

qint64 keyOf(const QVariantMap &row, const QString &field)
{
    const QVariant value = row.value(field);
    return value.isNull() ? 0 : value.toLongLong();
}

} // namespace

core::Result<QList<EInvoiceSource>>
readEInvoiceSources(storage::Archive &archive, const QList<qint64> &documents, EInvoiceReadCache *cache)
{
    using R = core::Result<QList<EInvoiceSource>>;
    EInvoiceReadCache local;
    EInvoiceReadCache &known = cache ? *cache : local;
    const core::Result<QHash<qint64, QVariantMap>> headers =
        archive.readRowsByKey(QStringLiteral("fattura"), documents);
    if (!headers)
        return R::failure(headers.error());
    for (const qint64 document : documents)
        if (!headers->contains(document))
            return R::failure(storage::Archive::missingRowMessage());
    if (!known.company) {
        core::Result<QVariantMap> company = readCompany(archive);
        if (!company)
            return R::failure(company.error());
        known.company = *company;
    }
    if (!known.aspectsAndPorts) {
        for (const auto &[table, field, target] :
             {std::tuple(QStringLiteral("FatturaAspetto"), QStringLiteral("Descrizione"), &known.aspects),
              std::tuple(QStringLiteral("FatturaPorto"), QStringLiteral("Codice"), &known.deliveryTerms)}) {
            const core::Result<storage::Archive::Rows> all =
                archive.readRows(QStringLiteral("SELECT id, %1 FROM %2").arg(field, table));
            if (!all)
                return R::failure(all.error());
            for (const QVariantList &row : all->values)
                target->insert(row.value(0).toLongLong(),
                               row.value(1).isNull() ? QString() : row.value(1).toString().trimmed());
        }
        known.aspectsAndPorts = true;
    }
    QSet<qint64> customers, carriers, modes;
    QList<qint64> invoices, creditNotes;
    for (const QVariantMap &header : *headers) {
        customers.insert(keyOf(header, QStringLiteral("Cliente_ID")));
        carriers.insert(keyOf(header, QStringLiteral("Personale_ID")));
        modes.insert(keyOf(header, QStringLiteral("ModPagamento_Id")));
    }
    for (const qint64 document : documents)
        (flag(headers->value(document), QStringLiteral("FattNota")) ? creditNotes : invoices)
            .append(document);
    for (const auto &[table, wanted, target] :
         {std::tuple(QStringLiteral("Clienti"), &customers, &known.customers),
          std::tuple(QStringLiteral("Personale"), &carriers, &known.carriers),
          std::tuple(QStringLiteral("ModPagamento"), &modes, &known.paymentModes)})
        if (core::Status read = readMissing(archive, table, *wanted, *target); !read)
            return R::failure(read.error());

    const core::Result<QHash<qint64, QList<QVariantMap>>> invoiceRows = readOwnedRows(
        archive, rowColumns(QStringLiteral("fattdett"), QStringLiteral("Iva_ID")),
        QStringLiteral("fattdett.NumFatt"),
        QStringLiteral("FROM fattdett LEFT JOIN Iva ON fattdett.Iva_ID = Iva.ID"),
        QStringLiteral("fattdett.NumFatt, CASE WHEN fattdett.NumeroRiga IS NULL THEN 1 ELSE 0 END, "
                       "fattdett.NumeroRiga, fattdett.IDX"),
        invoices);
    if (!invoiceRows)
        return R::failure(invoiceRows.error());
    const core::Result<QHash<qint64, QList<QVariantMap>>> creditRows = readOwnedRows(
        archive, rowColumns(QStringLiteral("NotaCreditoRighe"), QStringLiteral("Iva_Id")),
        QStringLiteral("NotaCreditoRighe.NotaCredito_ID"),
        QStringLiteral("FROM NotaCreditoRighe LEFT JOIN Iva ON NotaCreditoRighe.Iva_Id = Iva.ID"),
        QStringLiteral(
            "NotaCreditoRighe.NotaCredito_ID, CASE WHEN NotaCreditoRighe.NumeroRiga IS NULL THEN 1 ELSE "
            "0 END, NotaCreditoRighe.NumeroRiga, NotaCreditoRighe.ID"),
        creditNotes);
    if (!creditRows)
        return R::failure(creditRows.error());
    // An instalment's bank is its own, or the document's.
    const core::Result<QHash<qint64, QList<QVariantMap>>> dues = readOwnedRows(
        archive,
        {{QStringLiteral("FatturaScadenze.DataScadenza"), QStringLiteral("DataScadenza")},
         {QStringLiteral("FatturaScadenze.Importo"), QStringLiteral("Importo")},
         {QStringLiteral("ModPagamento.PA_ModalitaPagamento_Codice"), QStringLiteral("ModalitaPagamento")},
         {QStringLiteral("Bank.Id"), QStringLiteral("BancaTrovata")},
         {QStringLiteral("Bank.Beneficiario"), QStringLiteral("Beneficiario")},
         {QStringLiteral("Bank.Banca"), QStringLiteral("Banca")},
         {QStringLiteral("Bank.Iban"), QStringLiteral("Iban")}},
        QStringLiteral("FatturaScadenze.Fattura_ID"),
        QStringLiteral("FROM FatturaScadenze INNER JOIN fattura ON fattura.ID = FatturaScadenze.Fattura_ID "
                       "LEFT JOIN ModPagamento ON FatturaScadenze.ModPagamento_Id = ModPagamento.id "
                       "LEFT JOIN Bank ON Bank.Id = CASE WHEN COALESCE(FatturaScadenze.Banca_ID, 0) <> 0 "
                       "THEN FatturaScadenze.Banca_ID ELSE fattura.Banca_ID END"),
        QStringLiteral("FatturaScadenze.Fattura_ID, FatturaScadenze.Numero, FatturaScadenze.DataScadenza, "
                       "FatturaScadenze.Id"),
        documents);
    if (!dues)
        return R::failure(dues.error());
    const core::Result<QHash<qint64, QList<QVariantMap>>> orders = readOwnedRows(
        archive,
        {{QStringLiteral("Data"), QStringLiteral("Data")},
         {QStringLiteral("Numero"), QStringLiteral("Numero")},
         {QStringLiteral("CodiceCig"), QStringLiteral("CodiceCig")},
         {QStringLiteral("CodiceCup"), QStringLiteral("CodiceCup")},
         {QStringLiteral("CodiceCommessaConvenzione"), QStringLiteral("CodiceCommessaConvenzione")}},
        QStringLiteral("Fattura_ID"), QStringLiteral("FROM OrdiniClienti"),
        QStringLiteral("Fattura_ID, NumeroRiga, ID"), documents);
    if (!orders)
        return R::failure(orders.error());
    const core::Result<QHash<qint64, QList<QVariantMap>>> attachments =
        readOwnedRows(archive,
                      {{QStringLiteral("NomeAttachment"), QStringLiteral("NomeAttachment")},
                       {QStringLiteral("AlgoritmoCompressione"), QStringLiteral("AlgoritmoCompressione")},
                       {QStringLiteral("FormatoAttachment"), QStringLiteral("FormatoAttachment")},
                       {QStringLiteral("DescrizioneAttachment"), QStringLiteral("DescrizioneAttachment")},
                       {QStringLiteral("PercorsoCompleto"), QStringLiteral("PercorsoCompleto")}},
                      QStringLiteral("Fattura_Id"), QStringLiteral("FROM Fattura_Allegati"),
                      QStringLiteral("Fattura_Id, ID"), documents);
    if (!attachments)
        return R::failure(attachments.error());

    QList<EInvoiceSource> sources;
    sources.reserve(documents.size());
    for (const qint64 document : documents) {
        EInvoiceSource s;
        s.header = headers->value(document);
        s.creditNote = flag(s.header, QStringLiteral("FattNota"));
        s.company = *known.company;
        s.customer = known.customers.value(keyOf(s.header, QStringLiteral("Cliente_ID")));
        s.carrier = known.carriers.value(keyOf(s.header, QStringLiteral("Personale_ID")));
        s.paymentMode = known.paymentModes.value(keyOf(s.header, QStringLiteral("ModPagamento_Id")));
        s.rows = (s.creditNote ? *creditRows : *invoiceRows).value(document);
        s.dueDates = dues->value(document);
        for (QVariantMap &due : s.dueDates)
            due.insert(QStringLiteral("BancaTrovata"), !due.value(QStringLiteral("BancaTrovata")).isNull());
        s.orders = orders->value(document);
        for (QVariantMap attachment : attachments->value(document)) {
            const QString file = str(attachment, QStringLiteral("PercorsoCompleto"));
            if (file.isEmpty())
                continue;
            QFile content(file);
            if (content.open(QIODevice::ReadOnly))
                attachment.insert(QStringLiteral("Contenuto"), content.readAll());
            else
                attachment.insert(QStringLiteral("Mancante"), true);
            s.attachments.append(attachment);
        }
        s.aspect = known.aspects.value(keyOf(s.header, QStringLiteral("Aspetto_ID")));
        s.deliveryTerms = known.deliveryTerms.value(keyOf(s.header, QStringLiteral("Porto_ID")));
        sources.append(s);
    }
    return sources;
}

core::Result<EInvoiceSource> readEInvoiceSource(storage::Archive &archive, qint64 document)
{
    core::Result<QList<EInvoiceSource>> sources = readEInvoiceSources(archive, {document});
    if (!sources)
        return core::Result<EInvoiceSource>::failure(sources.error());
    return sources->first();
}

std::optional<ExportStop> exportStop(const EInvoiceSource &source)
{
    const QString error = QStringLiteral("Messaggio di errore");
    if (str(source.header, QStringLiteral("DatiTrasmissione_ProgressivoInvio")).isEmpty())
        return ExportStop{error, QStringLiteral("Attenzione manca il numero progressivo di trasmissione")};
    if (source.rows.isEmpty())
        return ExportStop{
            QStringLiteral("Messaggio di avviso"),
            source.creditNote
                ? QStringLiteral(
                      "Attenzione mancano le Righe di dettaglio della nota di credito! Prego inserirle")
                : QStringLiteral("Attenzione mancano le Righe di dettaglio della fattura! Prego inserirle")};
    if (source.customer.isEmpty())
        return ExportStop{error, QStringLiteral("Attenzione manca il Cliente")};
    if (flag(source.customer, QStringLiteral("PubblicaAmministrazione"))) {
        if (str(source.customer, QStringLiteral("CodiceUnivocoUfficio")).isEmpty())
            return ExportStop{
                error,
                QStringLiteral(
                    "Attenzione ! Nella scheda anagrafica del Cliente della fattura non è impostato il "
                    "Codice Univoco Ufficio, necessario per le fatture elettroniche ! Prego impostarlo "
                    "nella scheda anagrafica !")};
    } else if (!isForeign(source.customer) && str(source.customer, QStringLiteral("Codice")).isEmpty() &&
               str(source.customer, QStringLiteral("Pec")).isEmpty() &&
               !str(source.customer, QStringLiteral("Iva")).isEmpty()) {
        return ExportStop{
            error,
            QStringLiteral("Attenzione ! Nella scheda anagrafica del Cliente della fattura non è impostato "
                           "la pec o il codice sdi. Necessarii per le fatture elettroniche verso i privati! "
                           "Prego impostarlo nella scheda anagrafica !")};
    }
    return std::nullopt;
}

QString consistencyReport(const EInvoiceSource &source)
{
    QString report;
    double netSum = 0;
    double vatSum = 0;
    for (const QVariantMap &row : source.rows) {
        const double quantity = num(row, QStringLiteral("Um"));
        const double unit = num(row, QStringLiteral("ValoreUnitario"));
        const double discount = num(row, QStringLiteral("Sconto"));
        const double rate = num(row, QStringLiteral("AliquotaIva"));
        const double net = rowNet(quantity, unit, discount);
        netSum += net;
        vatSum += rowGross(quantity, unit, rate, discount) - net;
        const double stored = num(row, QStringLiteral("TotaleImponibile"));
        // Stored amounts are rounded to the cent: a difference below half a cent is the rounding.
        if (std::fabs(stored - net) >= 0.005)
            report +=
                QStringLiteral("La riga numero:%1 ha un imponibile di : %2 diverso da quello calcolato: %3\n")
                    .arg(str(row, QStringLiteral("NumeroRiga")), fmt::amount2(stored), fmt::amount2(net));
    }
    const auto compare = [&](const QString &what, const QString &verb, double stored, double computed) {
        if (std::fabs(stored - computed) >= 0.005)
            report += QStringLiteral("%1 ha %2 : %3 diverso da quello calcolato: %4\n")
                          .arg(what, verb, fmt::amount2(stored), fmt::amount2(computed));
    };
    const double net = core::arrotonda(netSum);
    const double vat = core::arrotonda(vatSum);
    compare(QStringLiteral("Il totale imponibile della fattura:"), QStringLiteral("un imponibile di"),
            num(source.header, QStringLiteral("TotImponibile")), net);
    compare(QStringLiteral("Il totale imposta della fattura:"), QStringLiteral("un valore di"),
            num(source.header, QStringLiteral("TotImposta")), vat);
    compare(QStringLiteral("Il totale della fattura:"), QStringLiteral("un valore di"),
            num(source.header, QStringLiteral("TotFattura")), net + vat);
    return report;
}

QString consistencyQuestionTitle()
{
    return QStringLiteral("Messaggio di errore vuoi proseguire lo stesso ?");
}

QString eInvoiceFileName(const EInvoiceSource &source)
{
    QString progressive = basic(str(source.header, QStringLiteral("DatiTrasmissione_ProgressivoInvio")));
    static const QRegularExpression notAlphanumeric(QStringLiteral("[^A-Za-z0-9]"));
    progressive.remove(notAlphanumeric);
    return codeText(str(source.company, QStringLiteral("IdPaese"))) + transmitterCode(source.company) +
           QLatin1Char('_') + progressive.rightJustified(5, QLatin1Char('0')) + QStringLiteral(".xml");
}

QString eInvoiceNumber(const EInvoiceSource &source)
{
    const QVariant number = source.header.value(QStringLiteral("Num"));
    return yearAndSeries(number.isNull() ? QString() : whole(number.toDouble()),
                         dateOf(source.header, QStringLiteral("Data")),
                         str(source.header, QStringLiteral("SerieFatturazione")), source.company);
}

EInvoiceDocument buildEInvoice(const EInvoiceSource &source)
{
    EInvoiceDocument built;
    built.transmissionFormat = transmissionFormatOf(source);
    built.fileName = eInvoiceFileName(source);
    built.root.name = QStringLiteral("FatturaElettronica");
    buildHeader(source, built.transmissionFormat, built.root);
    buildBody(source, built.root, built.problems);
    built.problems += schemaProblems(built.root);
    semanticProblems(source, built.root, built.transmissionFormat, built.problems);
    if (built.problems.isEmpty())
        built.xml = serialise(built.root, built.transmissionFormat);
    return built;
}

core::Status explainProblems(storage::Archive &archive, QList<EInvoiceProblem> &problems)
{
    QHash<QString, std::pair<QString, QString>> known;
    for (EInvoiceProblem &problem : problems) {
        if (problem.code.isEmpty())
            continue;
        if (!known.contains(problem.code)) {
            const core::Result<storage::Archive::Rows> found = archive.readRows(
                QStringLiteral("SELECT Titolo, Suggerimenti FROM PA_Errori WHERE Codice = ?"),
                {problem.code});
            if (!found)
                return core::Status::failure(found.error());
            known.insert(problem.code, found->values.isEmpty()
                                           ? std::pair<QString, QString>()
                                           : std::pair(found->values.first().value(0).toString().trimmed(),
                                                       found->values.first().value(1).toString().trimmed()));
        }
        problem.title = known.value(problem.code).first;
        problem.suggestion = known.value(problem.code).second;
    }
    return core::Status();
}

core::Status writeEInvoiceFiles(storage::Archive &archive, qint64 document, const EInvoiceDocument &built,
                                const QString &path, const DocumentSigner *signer)
{
    const auto failed = [](const QString &file, const QString &reason) {
        return core::Status::failure(
            QStringLiteral("Attenzione non è stato possibile scrivere il file %1: %2").arg(file, reason));
    };
    if (built.xml.isEmpty())
        return core::Status::failure(
            QStringLiteral("Attenzione la fattura elettronica ha dei problemi da correggere"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(built.xml) != built.xml.size())
        return failed(path, file.errorString());
    std::optional<QSaveFile> signedFile;
    if (signer) {
        const core::Result<QByteArray> envelope = signer->sign(built.xml);
        if (!envelope) {
            file.cancelWriting();
            return core::Status::failure(envelope.error());
        }
        signedFile.emplace(path + QStringLiteral(".p7m"));
        if (!signedFile->open(QIODevice::WriteOnly) || signedFile->write(*envelope) != envelope->size()) {
            file.cancelWriting();
            return failed(signedFile->fileName(), signedFile->errorString());
        }
    }
    storage::Transaction transaction(archive);
    if (!transaction.isActive()) {
        file.cancelWriting();
        return core::Status::failure(transaction.error());
    }
    if (core::Status marked = archive.update(
            QStringLiteral("fattura"), document,
            {{QStringLiteral("EsportatoXml"), true},
             {QStringLiteral("DatiTrasmissione_FormatoTrasmissione"), built.transmissionFormat},
             {QStringLiteral("NomeFileXml"), QDir::cleanPath(path)}});
        !marked) {
        file.cancelWriting();
        return marked;
    }
    if (!file.commit())
        return failed(path, file.errorString());
    if (signedFile && !signedFile->commit()) {
        QFile::remove(path);
        return failed(signedFile->fileName(), signedFile->errorString());
    }
    if (core::Status committed = transaction.commit(); !committed) {
        QFile::remove(path);
        if (signedFile)
            QFile::remove(signedFile->fileName());
        return committed;
    }
    return core::Status();
}

QString exportedMessage(bool creditNote)
{
    return creditNote ? QStringLiteral("Nota di credito esportata con successo !")
                      : QStringLiteral("Fattura esportata con successo !");
}

namespace {

struct WrittenFile
{
    qint64 document;
    QString format;
    QString path;
};

// The documents written, marked exported with the format they were written in and the file they
// went to (sending them to the exchange system attaches that file), in one transaction.
core::Status markExported(storage::Archive &archive, const QList<WrittenFile> &written)
{
    QHash<QString, QList<qint64>> byFormat;
    for (const WrittenFile &file : written)
        byFormat[file.format].append(file.document);
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    for (auto it = byFormat.cbegin(); it != byFormat.cend(); ++it) {
        QVariantList params{storage::Archive::archiveValue(storage::FieldKind::Boolean, true), it.key()};
        params += keyList(it.value());
        const core::Result<int> changed = archive.execute(
            QStringLiteral("UPDATE fattura SET EsportatoXml = ?, DatiTrasmissione_FormatoTrasmissione = ? "
                           "WHERE ID IN (%1)")
                .arg(placeholders(it.value().size())),
            params);
        if (!changed)
            return core::Status::failure(changed.error());
    }
    for (const WrittenFile &file : written) {
        const core::Result<int> changed =
            archive.execute(QStringLiteral("UPDATE fattura SET NomeFileXml = ? WHERE ID = ?"),
                            {QDir::cleanPath(file.path), file.document});
        if (!changed)
            return core::Status::failure(changed.error());
    }
    return transaction.commit();
}

} // namespace

QString BatchLine::text() const
{
    if (written)
        return QStringLiteral("OK %1 %2").arg(number, file);
    return QStringLiteral("ERRORE %1: %2").arg(number, problems.join(QStringLiteral("; ")));
}

core::Result<QList<BatchLine>> exportEInvoices(storage::Archive &archive, const BatchExport &request,
                                               const std::function<void(const BatchLine &)> &done)
{
    using R = core::Result<QList<BatchLine>>;
    QString where = QStringLiteral("WHERE COALESCE(Carico, false) = false");
    QVariantList params;
    if (request.from.isValid()) {
        where += QStringLiteral(" AND Data >= ?");
        params.append(request.from);
    }
    if (request.to.isValid()) {
        where += QStringLiteral(" AND Data < ?");
        params.append(request.to.addDays(1));
    }
    if (!request.alsoExported)
        where += QStringLiteral(" AND COALESCE(EsportatoXml, false) = false");
    core::Result<storage::Archive::Rows> documents = storage::Archive::Rows{};
    if (request.documents.isEmpty()) {
        documents = archive.readRows(
            QStringLiteral("SELECT ID FROM fattura %1 ORDER BY Data, Num, ID").arg(where), params);
        if (!documents)
            return R::failure(documents.error());
    } else {
        for (const qint64 document : request.documents)
            documents->values.append(QVariantList{document});
    }
    const int total = int(documents->values.size());
    bool stopped = false;
    EInvoiceReadCache cache;
    constexpr qsizetype groupSize = 250;
    const core::Result<QVariant> checkFirst = archive.scalar(QStringLiteral(
        "SELECT VerificaCoerenza_FattureElett_PrimaEsportazione FROM opzioni ORDER BY ID LIMIT 1"));
    if (!checkFirst)
        return R::failure(checkFirst.error());
    QList<BatchLine> lines;
    // Files are written a group at a time: each one whole under a temporary name and renamed, then
    // all of them made durable at once before the group is marked exported in one transaction.
    QList<BatchLine> group;
    QList<WrittenFile> written;
    const auto finishGroup = [&] {
        if (!written.isEmpty()) {
            flushFilesToDisk();
            core::Status marked = markExported(archive, written);
            if (!marked) {
                for (BatchLine &line : group)
                    if (line.written) {
                        QFile::remove(line.file);
                        line.written = false;
                        line.problems.append(marked.error());
                    }
            }
        }
        for (const BatchLine &line : std::as_const(group)) {
            lines.append(line);
            if (done)
                done(line);
        }
        group.clear();
        written.clear();
    };
    for (qsizetype first = 0; first < documents->values.size(); first += groupSize) {
        QList<qint64> keys;
        for (const QVariantList &row : documents->values.mid(first, groupSize))
            keys.append(row.value(0).toLongLong());
        const core::Result<QList<EInvoiceSource>> sources = readEInvoiceSources(archive, keys, &cache);
        if (!sources)
            return R::failure(sources.error());
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (request.progress && !request.progress(int(first + i), total)) {
                stopped = true;
                break;
            }
            const qint64 document = keys.at(i);
            const EInvoiceSource *source = &sources->at(i);
            BatchLine line;
            line.number = eInvoiceNumber(*source);
            if (const std::optional<ExportStop> stop = exportStop(*source)) {
                line.problems.append(stop->message);
            } else {
                if (checkFirst->toBool())
                    for (const QString &difference :
                         consistencyReport(*source).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                        line.problems.append(difference);
                EInvoiceDocument built = buildEInvoice(*source);
                for (const EInvoiceProblem &problem : built.problems)
                    line.problems.append(problem.text());
                if (line.problems.isEmpty()) {
                    line.file = QDir(request.folder).filePath(built.fileName);
                    if (core::Status saved = replaceFile(line.file, built.xml); !saved) {
                        line.problems.append(saved.error());
                    } else {
                        line.written = true;
                        written.append({document, built.transmissionFormat, line.file});
                    }
                }
            }
            group.append(line);
        }
        finishGroup();
        if (stopped)
            break;
    }
    if (request.progress && !stopped)
        request.progress(total, total);
    return lines;
}

} // namespace rotalina::invoicing
