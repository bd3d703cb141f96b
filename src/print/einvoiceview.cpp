#include "print/einvoiceview.h"

#include "core/csvreader.h"
#include "core/datetext.h"
#include "core/einvoicefile.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "core/textfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace rotalina::print {

namespace {

using Element = core::XmlElement;

// ---------------------------------------------------------------------------------------------
// Values as the office reads them.

QString escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br/>"));
}

// "1234.5600" becomes "1.234,56": at least the given decimals, more when the file has more that
// are not zeros (unit prices of eight decimals). A text that is not a number is shown as it is.
QString amountText(const QString &text, int minimumDecimals = 2)
{
    static const QRegularExpression number(QStringLiteral(R"(^[-+]?\d+(\.\d*)?$)"));
    if (!number.match(text).hasMatch())
        return text;
    int decimals = 0;
    if (const qsizetype point = text.indexOf(u'.'); point >= 0) {
        decimals = static_cast<int>(text.size() - point - 1);
        while (decimals > 0 && text.at(point + decimals) == u'0')
            --decimals;
    }
    return core::formatItalianNumber(text.toDouble(), std::clamp(decimals, minimumDecimals, 8));
}

QString rateText(const QString &text)
{
    return text.isEmpty() ? QString() : amountText(text, 0) + u'%';
}

QString dateText(const QString &text)
{
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    return date.isValid() ? core::datetext::formatShortDate(date) : text;
}

// A date and time as written in the file, without converting it to another time zone.
QString dateTimeText(const QString &text)
{
    const QDateTime moment = QDateTime::fromString(text.left(19), Qt::ISODate);
    if (!moment.isValid() || text.size() < 16)
        return dateText(text);
    return moment.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

QString joined(const QStringList &pieces, const QString &separator)
{
    QStringList present;
    for (const QString &piece : pieces)
        if (!piece.trimmed().isEmpty())
            present.append(piece.trimmed());
    return present.join(separator);
}

// "RF01 Regime ordinario": a code with its meaning, or the code alone when it has none.
QString coded(const QString &code, const QString &description)
{
    if (code.isEmpty())
        return {};
    return description.isEmpty() ? code : code + u' ' + description;
}

// The code tables the program ships for new archives (natures, payment methods, tax regimes,
// company register); read once.
QString shippedDescription(const QString &code)
{
    static const QHash<QString, QString> descriptions = [] {
        QHash<QString, QString> all;
        for (const char *file : {"pa_natura.csv", "pa_modalita_pagamento.csv", "pa_regime_fiscale.csv",
                                 "pa_iscrizrea_sociounico.csv", "pa_iscrizrea_statoliquidazione.csv"}) {
            const core::Result<QString> text =
                core::readTextFile(QStringLiteral(":/data/") + QLatin1String(file));
            if (!text)
                continue;
            const core::Result<core::CsvTable> table = core::parseCsv(*text);
            if (!table)
                continue;
            for (const QStringList &row : table->rows)
                if (row.size() >= 2)
                    all.insert(row.at(0).trimmed(), row.at(1).trimmed());
        }
        return all;
    }();
    return descriptions.value(code);
}

QString documentTypeDescription(const QString &code)
{
    static const QHash<QString, QString> types = {
        {QStringLiteral("TD01"), QStringLiteral("Fattura")},
        {QStringLiteral("TD02"), QStringLiteral("Acconto/anticipo su fattura")},
        {QStringLiteral("TD03"), QStringLiteral("Acconto/anticipo su parcella")},
        {QStringLiteral("TD04"), QStringLiteral("Nota di credito")},
        {QStringLiteral("TD05"), QStringLiteral("Nota di debito")},
        {QStringLiteral("TD06"), QStringLiteral("Parcella")},
        {QStringLiteral("TD16"), QStringLiteral("Integrazione fattura reverse charge interno")},
        {QStringLiteral("TD17"), QStringLiteral("Integrazione/autofattura per acquisto servizi dall'estero")},
        {QStringLiteral("TD18"), QStringLiteral("Integrazione per acquisto di beni intracomunitari")},
        {QStringLiteral("TD19"),
         QStringLiteral("Integrazione/autofattura per acquisto di beni ex art. 17 c. 2 DPR 633/72")},
        {QStringLiteral("TD20"),
         QStringLiteral("Autofattura per regolarizzazione e integrazione delle fatture")},
        {QStringLiteral("TD21"), QStringLiteral("Autofattura per splafonamento")},
        {QStringLiteral("TD22"), QStringLiteral("Estrazione beni da Deposito IVA")},
        {QStringLiteral("TD23"), QStringLiteral("Estrazione beni da Deposito IVA con versamento dell'IVA")},
        {QStringLiteral("TD24"), QStringLiteral("Fattura differita (art. 21, c. 4, lett. a DPR 633/72)")},
        {QStringLiteral("TD25"), QStringLiteral("Fattura differita (art. 21, c. 4, lett. b DPR 633/72)")},
        {QStringLiteral("TD26"), QStringLiteral("Cessione di beni ammortizzabili e per passaggi interni")},
        {QStringLiteral("TD27"),
         QStringLiteral("Fattura per autoconsumo o per cessioni gratuite senza rivalsa")},
        {QStringLiteral("TD28"), QStringLiteral("Acquisti da San Marino con IVA (fattura cartacea)")},
    };
    return types.value(code);
}

// The word at the top of the document: the usual kinds by name, the others by their code.
QString documentKind(const QString &code)
{
    static const QStringList named = {QStringLiteral("TD01"), QStringLiteral("TD02"), QStringLiteral("TD03"),
                                      QStringLiteral("TD04"), QStringLiteral("TD05"), QStringLiteral("TD06")};
    if (named.contains(code))
        return documentTypeDescription(code);
    return code.isEmpty() ? QStringLiteral("Documento") : QStringLiteral("Documento ") + code;
}

QString withholdingDescription(const QString &code)
{
    static const QHash<QString, QString> types = {
        {QStringLiteral("RT01"), QStringLiteral("Ritenuta d'acconto persone fisiche")},
        {QStringLiteral("RT02"), QStringLiteral("Ritenuta d'acconto persone giuridiche")},
        {QStringLiteral("RT03"), QStringLiteral("Contributo INPS")},
        {QStringLiteral("RT04"), QStringLiteral("Contributo ENASARCO")},
        {QStringLiteral("RT05"), QStringLiteral("Contributo ENPAM")},
        {QStringLiteral("RT06"), QStringLiteral("Altro contributo previdenziale")},
    };
    return types.value(code);
}

QString pensionFundDescription(const QString &code)
{
    static const QHash<QString, QString> funds = {
        {QStringLiteral("TC01"), QStringLiteral("Cassa nazionale avvocati e procuratori legali")},
        {QStringLiteral("TC02"), QStringLiteral("Cassa dottori commercialisti")},
        {QStringLiteral("TC03"), QStringLiteral("Cassa geometri")},
        {QStringLiteral("TC04"), QStringLiteral("Cassa ingegneri e architetti liberi professionisti")},
        {QStringLiteral("TC05"), QStringLiteral("Cassa nazionale del notariato")},
        {QStringLiteral("TC06"), QStringLiteral("Cassa ragionieri e periti commerciali")},
        {QStringLiteral("TC07"), QStringLiteral("ENASARCO")},
        {QStringLiteral("TC08"), QStringLiteral("ENPACL")},
        {QStringLiteral("TC09"), QStringLiteral("ENPAM")},
        {QStringLiteral("TC10"), QStringLiteral("ENPAF")},
        {QStringLiteral("TC11"), QStringLiteral("ENPAV")},
        {QStringLiteral("TC12"), QStringLiteral("ENPAIA")},
        {QStringLiteral("TC13"), QStringLiteral("Fondo impiegati imprese di spedizione e agenzie marittime")},
        {QStringLiteral("TC14"), QStringLiteral("INPGI")},
        {QStringLiteral("TC15"), QStringLiteral("ONAOSI")},
        {QStringLiteral("TC16"), QStringLiteral("CASAGIT")},
        {QStringLiteral("TC17"), QStringLiteral("EPPI")},
        {QStringLiteral("TC18"), QStringLiteral("EPAP")},
        {QStringLiteral("TC19"), QStringLiteral("ENPAB")},
        {QStringLiteral("TC20"), QStringLiteral("ENPAPI")},
        {QStringLiteral("TC21"), QStringLiteral("ENPAP")},
        {QStringLiteral("TC22"), QStringLiteral("INPS")},
    };
    return funds.value(code);
}

QString paymentTermsDescription(const QString &code)
{
    static const QHash<QString, QString> terms = {
        {QStringLiteral("TP01"), QStringLiteral("pagamento a rate")},
        {QStringLiteral("TP02"), QStringLiteral("pagamento completo")},
        {QStringLiteral("TP03"), QStringLiteral("anticipo")},
    };
    return terms.value(code);
}

QString vatDueDescription(const QString &code)
{
    static const QHash<QString, QString> due = {
        {QStringLiteral("I"), QStringLiteral("immediata")},
        {QStringLiteral("D"), QStringLiteral("differita")},
        {QStringLiteral("S"), QStringLiteral("scissione dei pagamenti")},
    };
    return due.value(code, code);
}

QString lineKindDescription(const QString &code)
{
    static const QHash<QString, QString> kinds = {
        {QStringLiteral("SC"), QStringLiteral("Sconto")},
        {QStringLiteral("PR"), QStringLiteral("Premio")},
        {QStringLiteral("AB"), QStringLiteral("Abbuono")},
        {QStringLiteral("AC"), QStringLiteral("Spesa accessoria")},
    };
    return kinds.value(code, code);
}

QString transmissionFormatDescription(const QString &code)
{
    if (code == u"FPA12")
        return QStringLiteral("fattura verso la pubblica amministrazione");
    if (code == u"FPR12")
        return QStringLiteral("fattura verso privati");
    return {};
}

QString yesNo(const QString &value)
{
    return value == u"SI" ? QStringLiteral("Sì") : value;
}

// "Sconto 10%" or "Maggiorazione 5,00" for each discount or surcharge of a line or a document.
QStringList discountTexts(const Element &owner)
{
    QStringList texts;
    for (const Element *discount : owner.all(u"ScontoMaggiorazione")) {
        const QString kind = discount->value(u"Tipo");
        const QString word = kind == u"SC"   ? QStringLiteral("Sconto")
                             : kind == u"MG" ? QStringLiteral("Maggiorazione")
                                             : kind;
        const QString percent = discount->value(u"Percentuale");
        const QString amount = discount->value(u"Importo");
        QStringList pieces{word};
        if (!percent.isEmpty())
            pieces.append(rateText(percent));
        if (!amount.isEmpty())
            pieces.append(percent.isEmpty() ? amountText(amount) : u'(' + amountText(amount) + u')');
        texts.append(pieces.join(u' '));
    }
    return texts;
}

// ---------------------------------------------------------------------------------------------
// The HTML pieces.

const QString borderColour = QStringLiteral("#b8c2cc");
const QString headColour = QStringLiteral("#e0e8f0");

// A cell: its text and, in small print below, the details that go with it.
struct Cell
{
    Cell(QString text = {}, QString detail = {}) : text(std::move(text)), detail(std::move(detail)) {}
    QString text;
    QString detail;
};

struct Column
{
    QString title;
    int width; // percent
    bool right = false;
};

QString cellHtml(const Cell &cell)
{
    QString html = escaped(cell.text);
    if (!cell.detail.isEmpty())
        html += QStringLiteral("<br/><span style=\"font-size:7pt; color:#505860;\">%1</span>")
                    .arg(escaped(cell.detail));
    return html;
}

QString sectionTitle(const QString &title)
{
    return QStringLiteral("<p style=\"margin-top:10px; margin-bottom:3px; font-size:10pt;\"><b>%1</b></p>")
        .arg(escaped(title));
}

QString tableHtml(const QList<Column> &columns, const QList<QList<Cell>> &rows)
{
    QString html =
        QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                       "style=\"border-collapse:collapse; border-style:solid; border-color:%1;\"><thead><tr>")
            .arg(borderColour);
    for (const Column &column : columns)
        html += QStringLiteral("<th width=\"%1%\" bgcolor=\"%2\" align=\"%3\">%4</th>")
                    .arg(column.width)
                    .arg(headColour, column.right ? QStringLiteral("right") : QStringLiteral("left"),
                         escaped(column.title));
    html += QStringLiteral("</tr></thead><tbody>");
    for (const QList<Cell> &row : rows) {
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < columns.size(); ++c)
            html += QStringLiteral("<td align=\"%1\" valign=\"top\">%2</td>")
                        .arg(columns.at(c).right ? QStringLiteral("right") : QStringLiteral("left"),
                             cellHtml(row.value(c)));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</tbody></table>");
}

using Pairs = QList<QPair<QString, QString>>;

// Captions and values two by two across the page; the empty ones are left out.
QString pairsHtml(const Pairs &pairs)
{
    Pairs present;
    for (const auto &pair : pairs)
        if (!pair.second.trimmed().isEmpty())
            present.append(pair);
    if (present.isEmpty())
        return {};
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
    for (qsizetype i = 0; i < present.size(); i += 2) {
        html += QStringLiteral("<tr>");
        for (qsizetype j = i; j < i + 2; ++j) {
            if (j < present.size())
                html += QStringLiteral("<td width=\"20%\" valign=\"top\"><b>%1</b></td>"
                                       "<td width=\"30%\" valign=\"top\">%2</td>")
                            .arg(escaped(present.at(j).first), escaped(present.at(j).second));
            else
                html += QStringLiteral("<td width=\"20%\"></td><td width=\"30%\"></td>");
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

// ---------------------------------------------------------------------------------------------
// The sections of an invoice.

QString vatNumber(const Element *taxId)
{
    if (!taxId)
        return {};
    return taxId->value(u"IdPaese") + taxId->value(u"IdCodice");
}

QString personName(const Element *anagrafica)
{
    if (!anagrafica)
        return {};
    const QString company = anagrafica->value(u"Denominazione");
    if (!company.isEmpty())
        return company;
    return joined({anagrafica->value(u"Titolo"), anagrafica->value(u"Nome"), anagrafica->value(u"Cognome")},
                  QStringLiteral(" "));
}

// Two lines: street and number, then postcode, town, province and (when abroad) country.
QStringList addressLines(const Element *address)
{
    if (!address)
        return {};
    const QString province = address->value(u"Provincia");
    const QString country = address->value(u"Nazione");
    QStringList lines{
        joined({address->value(u"Indirizzo"), address->value(u"NumeroCivico")}, QStringLiteral(", ")),
        joined({address->value(u"CAP"), address->value(u"Comune"),
                province.isEmpty() ? QString() : u'(' + province + u')',
                country == u"IT" ? QString() : country},
               QStringLiteral(" "))};
    lines.removeAll(QString());
    return lines;
}

// The lines of a party's box: its name first, then its identity and address.
QStringList partyLines(const Element &party, bool supplier)
{
    const Element *data = party.find(u"DatiAnagrafici");
    QStringList lines;
    const QString name = data ? personName(data->find(u"Anagrafica")) : QString();
    lines.append(name.isEmpty() ? QStringLiteral("(senza nome)") : name);
    if (!data)
        return lines;
    if (const QString vat = vatNumber(data->find(u"IdFiscaleIVA")); !vat.isEmpty())
        lines.append(QStringLiteral("Partita IVA: ") + vat);
    if (const QString code = data->value(u"CodiceFiscale"); !code.isEmpty())
        lines.append(QStringLiteral("Codice fiscale: ") + code);
    lines.append(addressLines(party.find(u"Sede")));
    if (const QString place = addressLines(party.find(u"StabileOrganizzazione")).join(QStringLiteral(" - "));
        !place.isEmpty())
        lines.append(QStringLiteral("Stabile organizzazione: ") + place);
    if (supplier) {
        const QString regime = data->value(u"RegimeFiscale");
        if (!regime.isEmpty())
            lines.append(QStringLiteral("Regime fiscale: ") + coded(regime, shippedDescription(regime)));
        if (const QString professionalRoll =
                joined({data->value(u"AlboProfessionale"), data->value(u"ProvinciaAlbo"),
                        data->value(u"NumeroIscrizioneAlbo")},
                       QStringLiteral(" "));
            !professionalRoll.isEmpty())
            lines.append(QStringLiteral("Albo professionale: ") + professionalRoll);
        if (const Element *rea = party.find(u"IscrizioneREA")) {
            QStringList pieces{
                QStringLiteral("REA ") +
                joined({rea->value(u"Ufficio"), rea->value(u"NumeroREA")}, QStringLiteral("-"))};
            if (const QString capital = rea->value(u"CapitaleSociale"); !capital.isEmpty())
                pieces.append(QStringLiteral("capitale sociale ") + amountText(capital));
            for (const QString &code : {rea->value(u"SocioUnico"), rea->value(u"StatoLiquidazione")})
                if (!code.isEmpty())
                    pieces.append(shippedDescription(code).isEmpty() ? code
                                                                     : shippedDescription(code).toLower());
            lines.append(pieces.join(QStringLiteral(", ")));
        }
        if (const Element *contacts = party.find(u"Contatti")) {
            const QString phone = contacts->value(u"Telefono");
            const QString fax = contacts->value(u"Fax");
            const QString email = contacts->value(u"Email");
            if (const QString text = joined({phone.isEmpty() ? QString() : QStringLiteral("Tel. ") + phone,
                                             fax.isEmpty() ? QString() : QStringLiteral("Fax ") + fax, email},
                                            QStringLiteral(" - "));
                !text.isEmpty())
                lines.append(text);
        }
        if (const QString reference = party.value(u"RiferimentoAmministrazione"); !reference.isEmpty())
            lines.append(QStringLiteral("Riferimento amministrazione: ") + reference);
    } else if (const Element *representative = party.find(u"RappresentanteFiscale")) {
        const QString representativeName =
            joined({representative->value(u"Denominazione"), representative->value(u"Nome"),
                    representative->value(u"Cognome")},
                   QStringLiteral(" "));
        const QString vat = vatNumber(representative->find(u"IdFiscaleIVA"));
        lines.append(QStringLiteral("Rappresentante fiscale: ") +
                     joined({representativeName, vat.isEmpty() ? QString() : QStringLiteral("P. IVA ") + vat},
                            QStringLiteral(", ")));
    }
    return lines;
}

// Other parties in one line each: a tax representative, an intermediary.
QString otherPartyLine(const QString &caption, const Element *party)
{
    if (!party)
        return {};
    const Element *data = party->find(u"DatiAnagrafici");
    if (!data)
        return {};
    const QString vat = vatNumber(data->find(u"IdFiscaleIVA"));
    const QString code = data->value(u"CodiceFiscale");
    return caption + QStringLiteral(": ") +
           joined({personName(data->find(u"Anagrafica")),
                   vat.isEmpty() ? QString() : QStringLiteral("P. IVA ") + vat,
                   code.isEmpty() || code == vat.mid(2) ? QString() : QStringLiteral("C.F. ") + code},
                  QStringLiteral(", "));
}

QString boxHtml(const QString &title, const QStringList &lines)
{
    QString html =
        QStringLiteral("<span style=\"font-size:7.5pt; color:#505860;\">%1</span>").arg(escaped(title));
    for (qsizetype i = 0; i < lines.size(); ++i)
        html += i == 0 ? QStringLiteral("<br/><span style=\"font-size:10pt;\"><b>%1</b></span>")
                             .arg(escaped(lines.at(i)))
                       : QStringLiteral("<br/>%1").arg(escaped(lines.at(i)));
    return html;
}

QString partiesHtml(const Element &header)
{
    const Element *supplier = header.find(u"CedentePrestatore");
    const Element *customer = header.find(u"CessionarioCommittente");
    QString html =
        QStringLiteral(
            "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"6\" "
            "style=\"border-collapse:collapse; border-style:solid; border-color:%1;\"><tr>"
            "<td width=\"50%\" valign=\"top\">%2</td><td width=\"50%\" valign=\"top\">%3</td></tr></table>")
            .arg(borderColour,
                 boxHtml(QStringLiteral("Fornitore (cedente/prestatore)"),
                         supplier ? partyLines(*supplier, true)
                                  : QStringList{QStringLiteral("(non indicato)")}),
                 boxHtml(QStringLiteral("Cliente (cessionario/committente)"),
                         customer ? partyLines(*customer, false)
                                  : QStringList{QStringLiteral("(non indicato)")}));
    QStringList others{otherPartyLine(QStringLiteral("Rappresentante fiscale del fornitore"),
                                      header.find(u"RappresentanteFiscale")),
                       otherPartyLine(QStringLiteral("Terzo intermediario o soggetto emittente"),
                                      header.find(u"TerzoIntermediarioOSoggettoEmittente"))};
    const QString issuer = header.value(u"SoggettoEmittente");
    if (issuer == u"CC")
        others.append(QStringLiteral("Documento emesso dal cliente (cessionario/committente)"));
    else if (issuer == u"TZ")
        others.append(QStringLiteral("Documento emesso da un terzo"));
    others.removeAll(QString());
    if (!others.isEmpty())
        html += QStringLiteral("<p style=\"margin-top:3px;\">%1</p>").arg(escaped(others.join(u'\n')));
    return html;
}

QString transmissionHtml(const Element &header)
{
    const Element *data = header.find(u"DatiTrasmissione");
    if (!data)
        return {};
    const QString format = data->value(u"FormatoTrasmissione");
    const Element *contacts = data->find(u"ContattiTrasmittente");
    return sectionTitle(QStringLiteral("Dati di trasmissione")) +
           pairsHtml({
               {QStringLiteral("Trasmittente"), vatNumber(data->find(u"IdTrasmittente"))},
               {QStringLiteral("Progressivo invio"), data->value(u"ProgressivoInvio")},
               {QStringLiteral("Formato"), coded(format, transmissionFormatDescription(format))},
               {QStringLiteral("Codice destinatario"), data->value(u"CodiceDestinatario")},
               {QStringLiteral("PEC destinatario"), data->value(u"PECDestinatario")},
               {QStringLiteral("Contatti trasmittente"),
                contacts
                    ? joined({contacts->value(u"Telefono"), contacts->value(u"Email")}, QStringLiteral(" - "))
                    : QString()},
           });
}

QString linkedDocumentsHtml(const Element &general)
{
    const QList<QPair<QString, QString>> kinds = {
        {QStringLiteral("DatiOrdineAcquisto"), QStringLiteral("Ordine d'acquisto")},
        {QStringLiteral("DatiContratto"), QStringLiteral("Contratto")},
        {QStringLiteral("DatiConvenzione"), QStringLiteral("Convenzione")},
        {QStringLiteral("DatiRicezione"), QStringLiteral("Ricezione")},
        {QStringLiteral("DatiFattureCollegate"), QStringLiteral("Fattura collegata")},
    };
    QList<QList<Cell>> rows;
    for (const auto &[element, caption] : kinds) {
        for (const Element *document : general.all(element)) {
            QStringList lines;
            for (const Element *line : document->all(u"RiferimentoNumeroLinea"))
                lines.append(line->text.trimmed());
            rows.append({caption, document->value(u"IdDocumento"), dateText(document->value(u"Data")),
                         lines.join(QStringLiteral(", ")), document->value(u"NumItem"),
                         document->value(u"CodiceCommessaConvenzione"), document->value(u"CodiceCUP"),
                         document->value(u"CodiceCIG")});
        }
    }
    QString html;
    if (!rows.isEmpty())
        html += sectionTitle(QStringLiteral("Documenti collegati")) +
                tableHtml({{QStringLiteral("Tipo"), 18},
                           {QStringLiteral("Documento"), 15},
                           {QStringLiteral("Data"), 12},
                           {QStringLiteral("Righe"), 7},
                           {QStringLiteral("Voce"), 7},
                           {QStringLiteral("Commessa/convenzione"), 15},
                           {QStringLiteral("CUP"), 13},
                           {QStringLiteral("CIG"), 13}},
                          rows);
    QStringList phases;
    for (const Element *phase : general.all(u"DatiSAL"))
        phases.append(phase->value(u"RiferimentoFase"));
    phases.removeAll(QString());
    if (!phases.isEmpty())
        html += QStringLiteral("<p>Stato avanzamento lavori, fase %1</p>")
                    .arg(escaped(phases.join(QStringLiteral(", "))));

    QList<QList<Cell>> deliveries;
    for (const Element *note : general.all(u"DatiDDT")) {
        QStringList lines;
        for (const Element *line : note->all(u"RiferimentoNumeroLinea"))
            lines.append(line->text.trimmed());
        deliveries.append(
            {note->value(u"NumeroDDT"), dateText(note->value(u"DataDDT")), lines.join(QStringLiteral(", "))});
    }
    if (!deliveries.isEmpty())
        html += sectionTitle(QStringLiteral("Documenti di trasporto (DDT)")) +
                tableHtml({{QStringLiteral("Numero DDT"), 35},
                           {QStringLiteral("Data"), 20},
                           {QStringLiteral("Righe"), 45}},
                          deliveries);
    return html;
}

QString transportHtml(const Element &general)
{
    QString html;
    if (const Element *transport = general.find(u"DatiTrasporto")) {
        const Element *carrier = transport->find(u"DatiAnagraficiVettore");
        QString carrierText;
        if (carrier) {
            const QString vat = vatNumber(carrier->find(u"IdFiscaleIVA"));
            carrierText = joined({personName(carrier->find(u"Anagrafica")),
                                  vat.isEmpty() ? QString() : QStringLiteral("P. IVA ") + vat},
                                 QStringLiteral(", "));
        }
        const QString unit = transport->value(u"UnitaMisuraPeso");
        const auto weight = [&](const QString &value) {
            return value.isEmpty() ? QString() : joined({amountText(value), unit}, QStringLiteral(" "));
        };
        html += sectionTitle(QStringLiteral("Dati del trasporto")) +
                pairsHtml({
                    {QStringLiteral("Vettore"), carrierText},
                    {QStringLiteral("Licenza di guida"),
                     carrier ? carrier->value(u"NumeroLicenzaGuida") : QString()},
                    {QStringLiteral("Mezzo di trasporto"), transport->value(u"MezzoTrasporto")},
                    {QStringLiteral("Causale del trasporto"), transport->value(u"CausaleTrasporto")},
                    {QStringLiteral("Numero colli"), transport->value(u"NumeroColli")},
                    {QStringLiteral("Descrizione"), transport->value(u"Descrizione")},
                    {QStringLiteral("Peso lordo"), weight(transport->value(u"PesoLordo"))},
                    {QStringLiteral("Peso netto"), weight(transport->value(u"PesoNetto"))},
                    {QStringLiteral("Ritiro"), dateTimeText(transport->value(u"DataOraRitiro"))},
                    {QStringLiteral("Inizio trasporto"), dateText(transport->value(u"DataInizioTrasporto"))},
                    {QStringLiteral("Resa"), transport->value(u"TipoResa")},
                    {QStringLiteral("Indirizzo di resa"),
                     addressLines(transport->find(u"IndirizzoResa")).join(QStringLiteral(" - "))},
                    {QStringLiteral("Consegna"), dateTimeText(transport->value(u"DataOraConsegna"))},
                });
    }
    if (const Element *main = general.find(u"FatturaPrincipale"))
        html += pairsHtml({{QStringLiteral("Fattura principale"),
                            joined({QStringLiteral("n. ") + main->value(u"NumeroFatturaPrincipale"),
                                    QStringLiteral("del ") + dateText(main->value(u"DataFatturaPrincipale"))},
                                   QStringLiteral(" "))}});
    return html;
}

QString linesHtml(const Element &goods)
{
    QList<QList<Cell>> rows;
    for (const Element *line : goods.all(u"DettaglioLinee")) {
        QStringList codes;
        for (const Element *code : line->all(u"CodiceArticolo"))
            codes.append(
                joined({code->value(u"CodiceTipo"), code->value(u"CodiceValore")}, QStringLiteral(" ")));
        QStringList details;
        const QString from = line->value(u"DataInizioPeriodo");
        const QString to = line->value(u"DataFinePeriodo");
        if (!from.isEmpty() || !to.isEmpty())
            details.append(joined({from.isEmpty() ? QString() : QStringLiteral("dal ") + dateText(from),
                                   to.isEmpty() ? QString() : QStringLiteral("al ") + dateText(to)},
                                  QStringLiteral(" ")));
        if (const QString kind = line->value(u"TipoCessionePrestazione"); !kind.isEmpty())
            details.append(lineKindDescription(kind));
        if (line->value(u"Ritenuta") == u"SI")
            details.append(QStringLiteral("Soggetta a ritenuta"));
        if (const QString reference = line->value(u"RiferimentoAmministrazione"); !reference.isEmpty())
            details.append(QStringLiteral("Riferimento amministrazione: ") + reference);
        for (const Element *other : line->all(u"AltriDatiGestionali")) {
            const QString number = other->value(u"RiferimentoNumero");
            const QString date = other->value(u"RiferimentoData");
            details.append(joined({other->value(u"TipoDato") + u':', other->value(u"RiferimentoTesto"),
                                   number.isEmpty() ? QString() : amountText(number, 0),
                                   date.isEmpty() ? QString() : dateText(date)},
                                  QStringLiteral(" ")));
        }
        const QString nature = line->value(u"Natura");
        const QString rate = line->value(u"AliquotaIVA");
        const QString quantity = line->value(u"Quantita");
        rows.append({line->value(u"NumeroLinea"), codes.join(u'\n'),
                     Cell(line->value(u"Descrizione"), details.join(u'\n')),
                     quantity.isEmpty() ? QString() : amountText(quantity), line->value(u"UnitaMisura"),
                     amountText(line->value(u"PrezzoUnitario")), discountTexts(*line).join(u'\n'),
                     amountText(line->value(u"PrezzoTotale")), nature.isEmpty() ? rateText(rate) : nature});
    }
    if (rows.isEmpty())
        return {};
    return sectionTitle(QStringLiteral("Dettaglio")) +
           tableHtml({{QStringLiteral("N."), 4},
                      {QStringLiteral("Codice"), 11},
                      {QStringLiteral("Descrizione"), 29},
                      {QStringLiteral("Quantità"), 10, true},
                      {QStringLiteral("U.M."), 6},
                      {QStringLiteral("Prezzo unitario"), 11, true},
                      {QStringLiteral("Sconti"), 10, true},
                      {QStringLiteral("Importo"), 11, true},
                      {QStringLiteral("IVA"), 8, true}},
                     rows);
}

QString summaryHtml(const Element &goods)
{
    QList<QList<Cell>> rows;
    for (const Element *summary : goods.all(u"DatiRiepilogo")) {
        const QString nature = summary->value(u"Natura");
        QStringList notes{summary->value(u"RiferimentoNormativo")};
        if (const QString costs = summary->value(u"SpeseAccessorie"); !costs.isEmpty())
            notes.append(QStringLiteral("Spese accessorie: ") + amountText(costs));
        if (const QString rounding = summary->value(u"Arrotondamento"); !rounding.isEmpty())
            notes.append(QStringLiteral("Arrotondamento: ") + amountText(rounding));
        notes.removeAll(QString());
        const QString due = summary->value(u"EsigibilitaIVA");
        rows.append({rateText(summary->value(u"AliquotaIVA")), Cell(nature, shippedDescription(nature)),
                     amountText(summary->value(u"ImponibileImporto")), amountText(summary->value(u"Imposta")),
                     due.isEmpty() ? QString() : vatDueDescription(due), notes.join(u'\n')});
    }
    if (rows.isEmpty())
        return {};
    return sectionTitle(QStringLiteral("Riepilogo IVA")) +
           tableHtml({{QStringLiteral("Aliquota"), 11, true},
                      {QStringLiteral("Natura"), 25},
                      {QStringLiteral("Imponibile"), 13, true},
                      {QStringLiteral("Imposta"), 12, true},
                      {QStringLiteral("Esigibilità"), 12},
                      {QStringLiteral("Riferimento normativo"), 27}},
                     rows);
}

QString withholdingsHtml(const Element &document)
{
    QString html;
    QList<QList<Cell>> withholdings;
    for (const Element *tax : document.all(u"DatiRitenuta")) {
        const QString kind = tax->value(u"TipoRitenuta");
        withholdings.append({Cell(kind, withholdingDescription(kind)),
                             rateText(tax->value(u"AliquotaRitenuta")),
                             amountText(tax->value(u"ImportoRitenuta")), tax->value(u"CausalePagamento")});
    }
    if (!withholdings.isEmpty())
        html +=
            sectionTitle(QStringLiteral("Ritenute")) + tableHtml({{QStringLiteral("Tipo"), 46},
                                                                  {QStringLiteral("Aliquota"), 14, true},
                                                                  {QStringLiteral("Importo"), 16, true},
                                                                  {QStringLiteral("Causale pagamento"), 24}},
                                                                 withholdings);
    QList<QList<Cell>> funds;
    for (const Element *fund : document.all(u"DatiCassaPrevidenziale")) {
        const QString kind = fund->value(u"TipoCassa");
        const QString nature = fund->value(u"Natura");
        funds.append({Cell(kind, pensionFundDescription(kind)), rateText(fund->value(u"AlCassa")),
                      amountText(fund->value(u"ImportoContributoCassa")),
                      amountText(fund->value(u"ImponibileCassa")),
                      nature.isEmpty() ? rateText(fund->value(u"AliquotaIVA")) : nature,
                      yesNo(fund->value(u"Ritenuta")), fund->value(u"RiferimentoAmministrazione")});
    }
    if (!funds.isEmpty())
        html += sectionTitle(QStringLiteral("Cassa previdenziale")) +
                tableHtml({{QStringLiteral("Cassa"), 26},
                           {QStringLiteral("Aliquota"), 10, true},
                           {QStringLiteral("Contributo"), 12, true},
                           {QStringLiteral("Imponibile"), 12, true},
                           {QStringLiteral("IVA"), 8, true},
                           {QStringLiteral("Ritenuta"), 11},
                           {QStringLiteral("Rif. amministrazione"), 21}},
                          funds);
    if (const Element *stamp = document.find(u"DatiBollo"))
        html += sectionTitle(QStringLiteral("Bollo")) +
                pairsHtml({{QStringLiteral("Bollo virtuale"), yesNo(stamp->value(u"BolloVirtuale"))},
                           {QStringLiteral("Importo del bollo"), amountText(stamp->value(u"ImportoBollo"))}});
    return html;
}

// The totals at the right: taxable amount and VAT of the summary, then the document's total as
// the file states it (worked out from the summary, and said so, when the file leaves it out).
QString totalsHtml(const Element &document, const Element *goods)
{
    double taxable = 0;
    double vat = 0;
    if (goods) {
        for (const Element *summary : goods->all(u"DatiRiepilogo")) {
            taxable += summary->value(u"ImponibileImporto").toDouble();
            vat += summary->value(u"Imposta").toDouble();
        }
    }
    taxable = core::arrotonda(taxable);
    vat = core::arrotonda(vat);
    const QString currency = document.value(u"Divisa");
    Pairs rows{{QStringLiteral("Totale imponibile"), core::formatItalianNumber(taxable + 0.0, 2)},
               {QStringLiteral("Totale IVA"), core::formatItalianNumber(vat + 0.0, 2)}};
    for (const QString &discount : discountTexts(document))
        rows.append({QStringLiteral("Sconto/maggiorazione sul documento"), discount});
    if (const QString rounding = document.value(u"Arrotondamento"); !rounding.isEmpty())
        rows.append({QStringLiteral("Arrotondamento"), amountText(rounding)});
    QString caption = QStringLiteral("Totale documento");
    QString total = document.value(u"ImportoTotaleDocumento");
    if (total.isEmpty()) {
        caption = QStringLiteral("Totale (imponibile + IVA)");
        total = amountText(QString::number(core::arrotonda(taxable + vat), 'f', 2));
    } else {
        total = amountText(total);
    }
    QString html = QStringLiteral(
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" style=\"margin-top:8px;\">");
    for (const auto &[label, value] : rows)
        html += QStringLiteral("<tr><td width=\"55%\"></td><td width=\"27%\">%1</td>"
                               "<td width=\"18%\" align=\"right\">%2</td></tr>")
                    .arg(escaped(label), escaped(value));
    html += QStringLiteral(
                "<tr><td></td><td bgcolor=\"%1\" style=\"font-size:11pt;\"><b>%2</b></td>"
                "<td bgcolor=\"%1\" align=\"right\" style=\"font-size:11pt;\"><b>%3</b></td></tr></table>")
                .arg(headColour, escaped(caption), escaped(joined({total, currency}, QStringLiteral(" "))));
    return html;
}

QString paymentsHtml(const Element &body)
{
    QString html;
    for (const Element *payment : body.all(u"DatiPagamento")) {
        const QString terms = payment->value(u"CondizioniPagamento");
        QList<QList<Cell>> rows;
        for (const Element *due : payment->all(u"DettaglioPagamento")) {
            const QString method = due->value(u"ModalitaPagamento");
            QString when = dateText(due->value(u"DataScadenzaPagamento"));
            if (when.isEmpty()) {
                const QString days = due->value(u"GiorniTerminiPagamento");
                const QString from = due->value(u"DataRiferimentoTerminiPagamento");
                if (!days.isEmpty())
                    when = joined({days + QStringLiteral(" giorni"),
                                   from.isEmpty() ? QString() : QStringLiteral("dal ") + dateText(from)},
                                  QStringLiteral(" "));
            }
            QStringList notes;
            if (const QString payee = due->value(u"Beneficiario"); !payee.isEmpty())
                notes.append(QStringLiteral("Beneficiario: ") + payee);
            const QString abi = due->value(u"ABI");
            const QString cab = due->value(u"CAB");
            if (!abi.isEmpty() || !cab.isEmpty())
                notes.append(joined({abi.isEmpty() ? QString() : QStringLiteral("ABI ") + abi,
                                     cab.isEmpty() ? QString() : QStringLiteral("CAB ") + cab},
                                    QStringLiteral(" ")));
            if (const QString bic = due->value(u"BIC"); !bic.isEmpty())
                notes.append(QStringLiteral("BIC ") + bic);
            const QString receiver =
                joined({due->value(u"TitoloQuietanzante"), due->value(u"NomeQuietanzante"),
                        due->value(u"CognomeQuietanzante"), due->value(u"CFQuietanzante")},
                       QStringLiteral(" "));
            if (!receiver.isEmpty())
                notes.append(QStringLiteral("Quietanzante: ") + receiver);
            if (const QString office = due->value(u"CodUfficioPostale"); !office.isEmpty())
                notes.append(QStringLiteral("Ufficio postale: ") + office);
            const auto withDate = [](const QString &text, const QString &word, const QString &date) {
                return date.isEmpty() ? text : text + u' ' + word + u' ' + dateText(date);
            };
            if (const QString early = due->value(u"ScontoPagamentoAnticipato"); !early.isEmpty())
                notes.append(withDate(QStringLiteral("Sconto per pagamento anticipato: ") + amountText(early),
                                      QStringLiteral("entro il"),
                                      due->value(u"DataLimitePagamentoAnticipato")));
            if (const QString late = due->value(u"PenalitaPagamentiRitardati"); !late.isEmpty())
                notes.append(withDate(QStringLiteral("Penale per ritardo: ") + amountText(late),
                                      QStringLiteral("dal"), due->value(u"DataDecorrenzaPenale")));
            if (const QString code = due->value(u"CodicePagamento"); !code.isEmpty())
                notes.append(QStringLiteral("Codice pagamento: ") + code);
            rows.append({Cell(method, shippedDescription(method)), when,
                         amountText(due->value(u"ImportoPagamento")), due->value(u"IBAN"),
                         due->value(u"IstitutoFinanziario"), notes.join(u'\n')});
        }
        html +=
            sectionTitle(joined({QStringLiteral("Pagamento"), coded(terms, paymentTermsDescription(terms))},
                                QStringLiteral(": ")));
        if (!rows.isEmpty())
            html += tableHtml({{QStringLiteral("Modalità"), 17},
                               {QStringLiteral("Scadenza"), 11},
                               {QStringLiteral("Importo"), 12, true},
                               {QStringLiteral("IBAN"), 24},
                               {QStringLiteral("Istituto"), 14},
                               {QStringLiteral("Note"), 22}},
                              rows);
    }
    return html;
}

QString attachmentsHtml(const Element &body)
{
    QList<QList<Cell>> rows;
    for (const Element *attachment : body.all(u"Allegati")) {
        // The size of what the base64 text holds, without decoding it.
        const Element *content = attachment->find(u"Attachment");
        qsizetype characters = 0;
        if (content)
            for (const QChar c : content->text)
                characters += c.isLetterOrNumber() || c == u'+' || c == u'/' ? 1 : 0;
        const qsizetype bytes = characters * 3 / 4;
        const QString size =
            bytes < 1024 ? QStringLiteral("%1 byte").arg(bytes)
                         : core::formatItalianNumber(std::ceil(bytes / 1024.0), 0) + QStringLiteral(" KB");
        rows.append({attachment->value(u"NomeAttachment"), attachment->value(u"FormatoAttachment"),
                     attachment->value(u"DescrizioneAttachment"), attachment->value(u"AlgoritmoCompressione"),
                     content ? size : QString()});
    }
    if (rows.isEmpty())
        return {};
    return sectionTitle(QStringLiteral("Allegati")) + tableHtml({{QStringLiteral("Nome"), 26},
                                                                 {QStringLiteral("Formato"), 10},
                                                                 {QStringLiteral("Descrizione"), 32},
                                                                 {QStringLiteral("Compressione"), 16},
                                                                 {QStringLiteral("Dimensione"), 16, true}},
                                                                rows);
}

QString bodyHtml(const Element &header, const Element &body, bool newPage)
{
    static const Element empty;
    const Element *general = body.find(u"DatiGenerali");
    const Element *documentData = general ? general->find(u"DatiGeneraliDocumento") : nullptr;
    const Element &document = documentData ? *documentData : empty;
    const Element *goods = body.find(u"DatiBeniServizi");
    const QString kind = document.value(u"TipoDocumento");
    const QString number = document.value(u"Numero");
    const QString date = dateText(document.value(u"Data"));

    QString html = QStringLiteral("<p style=\"font-size:15pt; margin-bottom:6px;%1\"><b>%2</b></p>")
                       .arg(newPage ? QStringLiteral(" page-break-before:always;") : QString(),
                            escaped(joined({documentKind(kind),
                                            number.isEmpty() ? QString() : QStringLiteral("n. ") + number,
                                            date.isEmpty() ? QString() : QStringLiteral("del ") + date},
                                           QStringLiteral(" "))));
    html += partiesHtml(header);
    html += transmissionHtml(header);
    html += sectionTitle(QStringLiteral("Dati del documento")) +
            pairsHtml({{QStringLiteral("Tipo documento"), coded(kind, documentTypeDescription(kind))},
                       {QStringLiteral("Numero"), number},
                       {QStringLiteral("Data"), date},
                       {QStringLiteral("Divisa"), document.value(u"Divisa")},
                       {QStringLiteral("Art. 73"), yesNo(document.value(u"Art73"))}});
    QStringList reasons;
    for (const Element *reason : document.all(u"Causale"))
        reasons.append(reason->text.trimmed());
    reasons.removeAll(QString());
    if (!reasons.isEmpty())
        html += QStringLiteral("<p style=\"margin-top:3px;\"><b>Causale:</b> %1</p>")
                    .arg(escaped(reasons.join(u'\n')));
    if (general) {
        html += linkedDocumentsHtml(*general);
        html += transportHtml(*general);
    }
    if (goods) {
        html += linesHtml(*goods);
        html += summaryHtml(*goods);
    }
    if (const Element *vehicle = body.find(u"DatiVeicoli"))
        html += pairsHtml({{QStringLiteral("Veicolo immatricolato il"), dateText(vehicle->value(u"Data"))},
                           {QStringLiteral("Percorso totale"), vehicle->value(u"TotalePercorso")}});
    html += withholdingsHtml(document);
    html += totalsHtml(document, goods);
    html += paymentsHtml(body);
    html += attachmentsHtml(body);
    return html;
}

} // namespace

core::Result<QString> electronicInvoiceHtml(const QByteArray &xml)
{
    using R = core::Result<QString>;
    core::Result<Element> parsed = core::parseXmlElements(xml);
    if (!parsed)
        return R::failure(parsed.error());
    const Element &root = *parsed;
    if (root.name != u"FatturaElettronica")
        return R::failure(
            QStringLiteral("Il documento XML non è una fattura elettronica FatturaPA: inizia con "
                           "<%1> invece di <FatturaElettronica>.")
                .arg(root.name));
    const Element *header = root.find(u"FatturaElettronicaHeader");
    const QList<const Element *> bodies = root.all(u"FatturaElettronicaBody");
    if (!header || bodies.isEmpty())
        return R::failure(QStringLiteral("La fattura elettronica è incompleta: mancano %1.")
                              .arg(!header ? QStringLiteral("i dati di testata (FatturaElettronicaHeader)")
                                           : QStringLiteral("i documenti (FatturaElettronicaBody)")));
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\"/>"
                       "<title>Fattura elettronica</title></head>"
                       "<body style=\"font-family:'DejaVu Sans',Arial,sans-serif; font-size:9pt;\">");
    for (qsizetype i = 0; i < bodies.size(); ++i)
        html += bodyHtml(*header, *bodies.at(i), i > 0);
    return QString(html + QStringLiteral("</body></html>\n"));
}

core::Result<TextDocumentPages> electronicInvoicePages(const QString &path)
{
    using R = core::Result<TextDocumentPages>;
    const core::Result<core::ElectronicInvoiceFile> file = core::readElectronicInvoiceFile(path);
    if (!file)
        return R::failure(file.error());
    const QString name = QFileInfo(path).fileName();
    const core::Result<QString> html = electronicInvoiceHtml(file->xml);
    if (!html)
        return R::failure(QStringLiteral("Il file %1 non è una fattura elettronica leggibile.\n%2")
                              .arg(name, html.error()));
    TextDocumentPages pages;
    // "IT01234567890_FPA01.xml.p7m" is the invoice "IT01234567890_FPA01".
    QString base = name;
    for (const QString &suffix : {QStringLiteral(".p7m"), QStringLiteral(".xml")})
        if (base.endsWith(suffix, Qt::CaseInsensitive))
            base.chop(suffix.size());
    pages.title = QStringLiteral("Fattura elettronica ") + base;
    pages.html = *html;
    pages.footnote = name;
    if (file->signedEnvelope)
        pages.footnote += file->signatureIntact
                              ? QStringLiteral(" - firmato digitalmente")
                              : QStringLiteral(" - ATTENZIONE: firma digitale non valida o non verificabile");
    return pages;
}

} // namespace rotalina::print
