#include "purchases/receivedinvoice.h"

#include <QHash>
#include <QStringList>
#include <cmath>

namespace rotalina::purchases {

using core::XmlElement;

namespace {

// Reads the numbers and dates of one body, remembering the first that is not one.
class ValueReader
{
public:
    // A number written with the point ("1234.50"); 0 when absent.
    double number(const XmlElement &owner, QStringView path)
    {
        return optionalNumber(owner, path).value_or(0.0);
    }

    std::optional<double> optionalNumber(const XmlElement &owner, QStringView path)
    {
        const QString text = owner.value(path);
        if (text.isEmpty())
            return std::nullopt;
        bool valid = false;
        // QString::toDouble reads the point whatever the workstation's language.
        const double value = text.toDouble(&valid);
        if (!valid || !std::isfinite(value)) {
            fail(QStringLiteral("%1 \"%2\" non è un numero").arg(path.toString(), text));
            return std::nullopt;
        }
        return value;
    }

    QDate date(const XmlElement &owner, QStringView path)
    {
        const QString text = owner.value(path);
        if (text.isEmpty())
            return {};
        const QDate read = QDate::fromString(text.left(10), Qt::ISODate);
        if (!read.isValid())
            fail(QStringLiteral("%1 \"%2\" non è una data").arg(path.toString(), text));
        return read;
    }

    void fail(const QString &problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
    }
    const QString &problem() const { return m_problem; }

private:
    QString m_problem;
};

ReceivedParty readParty(const XmlElement &party)
{
    ReceivedParty read;
    if (const XmlElement *data = party.find(u"DatiAnagrafici")) {
        read.country = data->value(u"IdFiscaleIVA/IdPaese");
        read.vatNumber = data->value(u"IdFiscaleIVA/IdCodice");
        read.taxCode = data->value(u"CodiceFiscale");
        read.name = data->value(u"Anagrafica/Denominazione");
        read.firstName = data->value(u"Anagrafica/Nome");
        read.lastName = data->value(u"Anagrafica/Cognome");
        read.title = data->value(u"Anagrafica/Titolo");
        read.eori = data->value(u"Anagrafica/CodEORI");
    }
    if (const XmlElement *seat = party.find(u"Sede")) {
        read.street = seat->value(u"Indirizzo");
        read.streetNumber = seat->value(u"NumeroCivico");
        read.postCode = seat->value(u"CAP");
        read.town = seat->value(u"Comune");
        read.province = seat->value(u"Provincia");
        read.nation = seat->value(u"Nazione");
    }
    if (const XmlElement *contacts = party.find(u"Contatti")) {
        read.phone = contacts->value(u"Telefono");
        read.fax = contacts->value(u"Fax");
        read.email = contacts->value(u"Email");
    }
    return read;
}

// "[TipoDato:|INTENTO]Testo:|...]Numero:|...]Data:|...]]", each part only when the file has it.
QString otherDataText(const XmlElement &line)
{
    QString text;
    for (const XmlElement *data : line.all(u"AltriDatiGestionali")) {
        text += QStringLiteral("[TipoDato:") + data->value(u"TipoDato") + u'|';
        if (data->has(u"RiferimentoTesto"))
            text += QStringLiteral("Testo:|") + data->value(u"RiferimentoTesto") + u']';
        if (data->has(u"RiferimentoNumero"))
            text += QStringLiteral("Numero:|") + data->value(u"RiferimentoNumero") + u']';
        if (data->has(u"RiferimentoData"))
            text += QStringLiteral("Data:|") + data->value(u"RiferimentoData") + u']';
        text += u']';
    }
    return text;
}

ReceivedLine readLine(const XmlElement &line, ValueReader &values)
{
    ReceivedLine read;
    read.number = line.value(u"NumeroLinea").toInt();
    if (const XmlElement *code = line.find(u"CodiceArticolo")) {
        read.codeType = code->value(u"CodiceTipo");
        read.codeValue = code->value(u"CodiceValore");
    }
    read.description = line.value(u"Descrizione");
    read.quantity = values.optionalNumber(line, u"Quantita").value_or(1.0);
    read.unit = line.value(u"UnitaMisura");
    read.unitPrice = values.number(line, u"PrezzoUnitario");
    read.totalPrice = values.number(line, u"PrezzoTotale");
    read.vatRate = values.number(line, u"AliquotaIVA");
    read.withholding = line.value(u"Ritenuta");
    read.nature = line.value(u"Natura");
    read.administrationReference = line.value(u"RiferimentoAmministrazione");
    read.otherData = otherDataText(line);

    // Percent discounts fill the four discount fields in order; mark-ups, discounts by amount and
    // discounts beyond the fourth change the unit price, so that nothing of the file is lost.
    std::size_t nextDiscount = 0;
    for (const XmlElement *change : line.all(u"ScontoMaggiorazione")) {
        const bool markUp = change->value(u"Tipo") == u"MG";
        const std::optional<double> percent = values.optionalNumber(*change, u"Percentuale");
        const double amount = values.number(*change, u"Importo");
        if (percent && !markUp && nextDiscount < read.discounts.size())
            read.discounts[nextDiscount++] = *percent;
        else if (percent)
            read.unitPrice += read.unitPrice * *percent * 0.01 * (markUp ? 1 : -1);
        else
            read.unitPrice += markUp ? amount : -amount;
    }
    // The file's line amount is what the supplier charged: when the archive's arithmetic does not
    // reach it (rounding of a discounted price, a discount by amount on the whole line) the line
    // keeps its quantity at the unit price that gives that amount.
    const double net =
        core::arrotonda(core::calcolaImponibile(false, read.quantity, read.unitPrice, read.discounts));
    if (std::fabs(net - core::arrotonda(read.totalPrice)) >= 0.005) {
        read.discounts = {};
        if (read.quantity == 0)
            read.quantity = 1;
        read.unitPrice = core::roundDecimals(read.totalPrice / read.quantity, 8);
        if (std::fabs(core::arrotonda(read.quantity * read.unitPrice) - core::arrotonda(read.totalPrice)) >=
            0.005) {
            read.unitPrice = read.totalPrice;
            read.quantity = 1;
        }
    }
    return read;
}

ReceivedPayment readPayment(const QString &conditions, const XmlElement &detail, ValueReader &values)
{
    ReceivedPayment read;
    read.conditions = conditions;
    read.beneficiary = detail.value(u"Beneficiario");
    read.method = detail.value(u"ModalitaPagamento");
    read.referenceDate = values.date(detail, u"DataRiferimentoTerminiPagamento");
    if (const std::optional<double> days = values.optionalNumber(detail, u"GiorniTerminiPagamento"))
        read.days = static_cast<int>(*days);
    read.dueDate = values.date(detail, u"DataScadenzaPagamento");
    read.amount = values.number(detail, u"ImportoPagamento");
    read.institute = detail.value(u"IstitutoFinanziario");
    read.iban = detail.value(u"IBAN");
    read.code = detail.value(u"CodicePagamento");
    return read;
}

core::Result<ReceivedBody> readBody(const XmlElement &body, int position)
{
    using R = core::Result<ReceivedBody>;
    ValueReader values;
    ReceivedBody read;
    const XmlElement *general = body.find(u"DatiGenerali/DatiGeneraliDocumento");
    if (!general)
        return R::failure(
            QStringLiteral("il documento %1 non ha i dati generali (DatiGeneraliDocumento)").arg(position));
    read.type = general->value(u"TipoDocumento");
    read.currency = general->value(u"Divisa");
    read.date = values.date(*general, u"Data");
    read.number = general->value(u"Numero");
    read.documentTotal = values.optionalNumber(*general, u"ImportoTotaleDocumento");
    read.documentRounding = values.number(*general, u"Arrotondamento");
    for (const XmlElement *withholding : general->all(u"DatiRitenuta"))
        read.withholding += values.number(*withholding, u"ImportoRitenuta");
    read.stamp = values.number(*general, u"DatiBollo/ImportoBollo");
    for (const XmlElement *fund : general->all(u"DatiCassaPrevidenziale"))
        read.pensionContributions.append({fund->value(u"TipoCassa"),
                                          values.number(*fund, u"ImportoContributoCassa"),
                                          values.number(*fund, u"AliquotaIVA"), fund->value(u"Natura")});
    if (const XmlElement *generalData = body.find(u"DatiGenerali")) {
        for (const XmlElement *linked : generalData->all(u"DatiFattureCollegate")) {
            const QString number = linked->value(u"IdDocumento");
            const QDate date = values.date(*linked, u"Data");
            const QList<const XmlElement *> lines = linked->all(u"RiferimentoNumeroLinea");
            if (lines.isEmpty())
                read.linkedInvoices.append({number, date, 0});
            for (const XmlElement *line : lines)
                read.linkedInvoices.append({number, date, line->text.trimmed().toInt()});
        }
    }
    if (const XmlElement *goods = body.find(u"DatiBeniServizi")) {
        for (const XmlElement *line : goods->all(u"DettaglioLinee"))
            read.lines.append(readLine(*line, values));
        for (const XmlElement *summary : goods->all(u"DatiRiepilogo"))
            read.summaries.append({values.number(*summary, u"AliquotaIVA"), summary->value(u"Natura"),
                                   values.number(*summary, u"ImponibileImporto"),
                                   values.number(*summary, u"Imposta"),
                                   values.number(*summary, u"Arrotondamento")});
    }
    for (const XmlElement *payment : body.all(u"DatiPagamento")) {
        const QString conditions = payment->value(u"CondizioniPagamento");
        for (const XmlElement *detail : payment->all(u"DettaglioPagamento"))
            read.payments.append(readPayment(conditions, *detail, values));
    }
    if (!values.problem().isEmpty())
        return R::failure(QStringLiteral("documento %1: %2").arg(position).arg(values.problem()));
    if (read.number.isEmpty() || !read.date.isValid())
        return R::failure(QStringLiteral("il documento %1 non ha il numero o la data").arg(position));
    if (read.lines.isEmpty())
        return R::failure(QStringLiteral("il documento %1 (numero %2) non ha righe (DettaglioLinee)")
                              .arg(position)
                              .arg(read.number));
    return read;
}

} // namespace

QString ReceivedParty::displayName() const
{
    if (!name.isEmpty())
        return name;
    return QStringList{lastName, firstName}.join(u' ').trimmed();
}

QDate ReceivedPayment::effectiveDueDate(const QDate &fallback) const
{
    if (dueDate.isValid())
        return dueDate;
    if (referenceDate.isValid())
        return referenceDate.addDays(days.value_or(0));
    return fallback;
}

ReceivedKind receivedKindOf(const QString &documentType)
{
    static const QHash<QString, ReceivedKind> kinds = {
        {QStringLiteral("TD01"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD02"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD03"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD05"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD06"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD24"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD25"), ReceivedKind::PurchaseInvoice},
        {QStringLiteral("TD04"), ReceivedKind::SupplierCreditNote},
        {QStringLiteral("TD16"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD17"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD18"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD19"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD20"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD21"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD27"), ReceivedKind::SelfInvoice},
        {QStringLiteral("TD28"), ReceivedKind::SelfInvoice},
    };
    return kinds.value(documentType.trimmed().toUpper(), ReceivedKind::NotImported);
}

QString receivedKindText(const QString &documentType)
{
    switch (receivedKindOf(documentType)) {
    case ReceivedKind::PurchaseInvoice:
        return QStringLiteral("Fattura");
    case ReceivedKind::SupplierCreditNote:
        return QStringLiteral("Nota di credito");
    case ReceivedKind::SelfInvoice:
        return QStringLiteral("Autofattura");
    case ReceivedKind::NotImported:
        break;
    }
    return QStringLiteral("Documento");
}

std::optional<UnreadableInvoice> checkInvoiceRoot(const XmlElement &root)
{
    if (root.name == u"FatturaElettronica")
        return std::nullopt;
    if (root.name == u"MetadatiInvioFile")
        return UnreadableInvoice{
            NotAnInvoice::Companion,
            QStringLiteral("file dei metadati del Sistema di Interscambio, non una fattura")};
    if (root.name == u"FatturaElettronicaSemplificata")
        return UnreadableInvoice{
            NotAnInvoice::Other,
            QStringLiteral("fattura semplificata: si importano solo le fatture ordinarie")};
    static const QStringList receipts{QStringLiteral("RicevutaConsegna"),
                                      QStringLiteral("NotificaScarto"),
                                      QStringLiteral("NotificaMancataConsegna"),
                                      QStringLiteral("NotificaEsito"),
                                      QStringLiteral("NotificaEsitoCommittente"),
                                      QStringLiteral("ScartoEsitoCommittente"),
                                      QStringLiteral("NotificaDecorrenzaTermini"),
                                      QStringLiteral("AttestazioneTrasmissioneFattura"),
                                      QStringLiteral("RicevutaImpossibilitaRecapito"),
                                      QStringLiteral("RicevutaScarto")};
    if (receipts.contains(root.name))
        return UnreadableInvoice{
            NotAnInvoice::Other,
            QStringLiteral("ricevuta del Sistema di Interscambio (%1), non una fattura").arg(root.name)};
    return UnreadableInvoice{
        NotAnInvoice::Other,
        QStringLiteral("non è una fattura elettronica: il documento XML inizia con <%1>").arg(root.name)};
}

core::Result<ReceivedInvoice> readReceivedInvoice(const XmlElement &root)
{
    using R = core::Result<ReceivedInvoice>;
    if (const std::optional<UnreadableInvoice> refused = checkInvoiceRoot(root))
        return R::failure(refused->reason);
    const XmlElement *header = root.find(u"FatturaElettronicaHeader");
    if (!header)
        return R::failure(QStringLiteral("mancano i dati di testata (FatturaElettronicaHeader)"));
    ReceivedInvoice invoice;
    if (const XmlElement *transmission = header->find(u"DatiTrasmissione")) {
        invoice.transmission.format = transmission->value(u"FormatoTrasmissione");
        invoice.transmission.progressive = transmission->value(u"ProgressivoInvio");
        invoice.transmission.recipientCode = transmission->value(u"CodiceDestinatario");
        invoice.transmission.recipientPec = transmission->value(u"PECDestinatario");
    }
    const XmlElement *supplier = header->find(u"CedentePrestatore");
    if (!supplier)
        return R::failure(QStringLiteral("manca il fornitore (CedentePrestatore)"));
    invoice.supplier = readParty(*supplier);
    if (invoice.supplier.vatNumber.isEmpty() && invoice.supplier.taxCode.isEmpty())
        return R::failure(QStringLiteral("il fornitore non ha né partita IVA né codice fiscale"));
    if (invoice.supplier.displayName().isEmpty())
        return R::failure(QStringLiteral("il fornitore non ha né denominazione né nome e cognome"));
    if (const XmlElement *recipient = header->find(u"CessionarioCommittente"))
        invoice.recipient = readParty(*recipient);
    const QList<const XmlElement *> bodies = root.all(u"FatturaElettronicaBody");
    if (bodies.isEmpty())
        return R::failure(QStringLiteral("mancano i documenti (FatturaElettronicaBody)"));
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        core::Result<ReceivedBody> body = readBody(*bodies.at(i), int(i + 1));
        if (!body)
            return R::failure(body.error());
        invoice.bodies.append(std::move(body).value());
    }
    return invoice;
}

} // namespace rotalina::purchases
