#pragma once

#include <QByteArray>
#include <QString>

namespace rotalina::test {

// A line of goods as a supplier's program writes it.
inline QString line(int number, const QString &description, const QString &quantity, const QString &unitPrice,
                    const QString &total, const QString &rate = QStringLiteral("22.00"),
                    const QString &more = {})
{
    QString text = QStringLiteral("<DettaglioLinee><NumeroLinea>%1</NumeroLinea>").arg(number);
    text += QStringLiteral("<Descrizione>%1</Descrizione>").arg(description);
    if (!quantity.isEmpty())
        text += QStringLiteral("<Quantita>%1</Quantita>").arg(quantity);
    text += QStringLiteral("<PrezzoUnitario>%1</PrezzoUnitario>").arg(unitPrice) + more;
    text += QStringLiteral("<PrezzoTotale>%1</PrezzoTotale><AliquotaIVA>%2</AliquotaIVA>").arg(total, rate);
    if (rate.toDouble() == 0)
        text += QStringLiteral("<Natura>N2.2</Natura>");
    return text + QStringLiteral("</DettaglioLinee>");
}

inline QString summary(const QString &rate, const QString &taxable, const QString &tax)
{
    return QStringLiteral(
               "<DatiRiepilogo><AliquotaIVA>%1</AliquotaIVA>%4<ImponibileImporto>%2</ImponibileImporto>"
               "<Imposta>%3</Imposta></DatiRiepilogo>")
        .arg(rate, taxable, tax, rate.toDouble() == 0 ? QStringLiteral("<Natura>N2.2</Natura>") : QString());
}

inline QString payment(const QString &due, const QString &amount,
                       const QString &method = QStringLiteral("MP05"))
{
    QString text =
        QStringLiteral("<DettaglioPagamento><ModalitaPagamento>%1</ModalitaPagamento>").arg(method);
    if (!due.isEmpty())
        text += QStringLiteral("<DataScadenzaPagamento>%1</DataScadenzaPagamento>").arg(due);
    return text + QStringLiteral("<ImportoPagamento>%1</ImportoPagamento></DettaglioPagamento>").arg(amount);
}

// An invoice of a supplier to the firm, one body unless told, ready to be changed by each test.
struct TestInvoice
{
    QString prefix = QStringLiteral("p");
    QString type = QStringLiteral("TD01");
    QString number = QStringLiteral("F-101");
    QString date = QStringLiteral("2026-03-02");
    QString supplierVat = QStringLiteral("01234567897");
    QString supplierName = QStringLiteral("SOCIETA' ALPHA S.R.L.");
    QString person; // "<Nome>..</Nome><Cognome>..</Cognome>" instead of the name
    QString town = QStringLiteral("L'AQUILA");
    QString province = QStringLiteral("AQ");
    QString postCode = QStringLiteral("67100");
    QString contacts;
    QString recipientVat = QStringLiteral("12345670017");
    QString recipientCode = QStringLiteral("0000000");
    QString general; // more of DatiGeneraliDocumento after the number
    QString linked;  // DatiFattureCollegate
    QString lines = line(1, QStringLiteral("Gasolio autotrazione"), QStringLiteral("10.00"),
                         QStringLiteral("1.50000000"), QStringLiteral("15.00"));
    QString summaries = summary(QStringLiteral("22.00"), QStringLiteral("15.00"), QStringLiteral("3.30"));
    QString total = QStringLiteral("18.30");
    QString payments = QStringLiteral("<DatiPagamento><CondizioniPagamento>TP02</CondizioniPagamento>") +
                       payment(QStringLiteral("2026-04-30"), QStringLiteral("18.30")) +
                       QStringLiteral("</DatiPagamento>");
    int bodies = 1;

    QByteArray xml(const QString &encoding = QStringLiteral("UTF-8")) const
    {
        const QString p = prefix.isEmpty() ? QString() : prefix + u':';
        QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(encoding);
        text +=
            QStringLiteral(
                "<%1FatturaElettronica versione=\"FPR12\" xmlns%2=\"http://ivaservizi.agenziaentrate.gov.it/"
                "docs/xsd/fatture/v1.2\">")
                .arg(p, prefix.isEmpty() ? QString() : u':' + prefix);
        text += QStringLiteral(
                    "<FatturaElettronicaHeader><DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese>"
                    "<IdCodice>%1</IdCodice></IdTrasmittente><ProgressivoInvio>00001</ProgressivoInvio>"
                    "<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>%2"
                    "</CodiceDestinatario></DatiTrasmissione>")
                    .arg(supplierVat, recipientCode);
        text +=
            QStringLiteral(
                "<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>%1"
                "</IdCodice></IdFiscaleIVA><Anagrafica>%2</Anagrafica><RegimeFiscale>RF01"
                "</RegimeFiscale></DatiAnagrafici><Sede><Indirizzo>Via Roma</Indirizzo><CAP>%3</CAP>"
                "<Comune>%4</Comune><Provincia>%5</Provincia><Nazione>IT</Nazione></Sede>%6"
                "</CedentePrestatore>")
                .arg(supplierVat,
                     person.isEmpty() ? QStringLiteral("<Denominazione>%1</Denominazione>").arg(supplierName)
                                      : person,
                     postCode, town, province, contacts);
        text +=
            QStringLiteral("<CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese>"
                           "<IdCodice>%1</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Trasporti Rossi"
                           "</Denominazione></Anagrafica></DatiAnagrafici><Sede><Indirizzo>Via Po</Indirizzo>"
                           "<CAP>20100</CAP><Comune>Milano</Comune><Nazione>IT</Nazione></Sede>"
                           "</CessionarioCommittente></FatturaElettronicaHeader>")
                .arg(recipientVat);
        for (int body = 0; body < bodies; ++body) {
            const QString bodyNumber = body == 0 ? number : number + QStringLiteral("-%1").arg(body + 1);
            text += QStringLiteral(
                        "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><TipoDocumento>%1"
                        "</TipoDocumento><Divisa>EUR</Divisa><Data>%2</Data><Numero>%3</Numero>%4")
                        .arg(type, date, bodyNumber, general);
            if (!total.isEmpty())
                text += QStringLiteral("<ImportoTotaleDocumento>%1</ImportoTotaleDocumento>").arg(total);
            text += QStringLiteral(
                        "</DatiGeneraliDocumento>%1</DatiGenerali><DatiBeniServizi>%2%3</DatiBeniServizi>%4"
                        "</FatturaElettronicaBody>")
                        .arg(linked, lines, summaries, payments);
        }
        text += QStringLiteral("</%1FatturaElettronica>\n").arg(p);
        if (encoding.compare(QStringLiteral("UTF-8"), Qt::CaseInsensitive) == 0)
            return text.toUtf8();
        return text.toLatin1();
    }
};

} // namespace rotalina::test
