// Times the import of suppliers' electronic invoices as the office runs it on the files the exchange
// system delivered: a folder of FatturaPA files from a hundred suppliers new to the archive, half
// plain .xml and half signed .xml.p7m (DER and base64), imported by the program's command line into
// a new archive, in files per second; beside it the time a38tool, a reader of FatturaPA files
// independent of the program, takes to read the same files one by one.
//   bench_import [--files N] [--postgresql ADDRESS] [--a38-files M] [--keep FOLDER]
// The import runs on SQLite, and also on the PostgreSQL database the option names (an empty one).

#include "benchsupport.h"
#include "storage/archive.h"
#include "storage/archivelocation.h"
#include "storage/archivepathfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamWriter>
#include <algorithm>
#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <optional>
#include <random>

using namespace rotalina;

namespace {

// The firm the files are addressed to.
const QString firmVatNumber = QStringLiteral("12345670017");
const QString firmSdiCode = QStringLiteral("ABC1234");
const QString firmName = QStringLiteral("Trasporti Rossi S.r.l.");

constexpr int supplierCount = 100;
// The office downloads a day's files at once: they are imported while the user waits.
constexpr double targetFilesPerSecond = 200;

core::Status check(const core::Status &status, const char *step)
{
    if (!status)
        return core::Status::failure(QString::fromLatin1(step) + QStringLiteral(": ") + status.error());
    return status;
}

// ---------------------------------------------------------------------------------------------
// The suppliers and what they sell to a haulage firm.

struct Town
{
    const char *name;
    const char *postCode;
    const char *province;
};

const Town towns[] = {
    {"Milano", "20121", "MI"},    {"Torino", "10121", "TO"},
    {"Genova", "16121", "GE"},    {"Bologna", "40121", "BO"},
    {"Verona", "37135", "VR"},    {"Padova", "35127", "PD"},
    {"Brescia", "25124", "BS"},   {"Bergamo", "24126", "BG"},
    {"Piacenza", "29122", "PC"},  {"Parma", "43122", "PR"},
    {"Modena", "41122", "MO"},    {"Reggio Emilia", "42124", "RE"},
    {"Vicenza", "36100", "VI"},   {"Treviso", "31100", "TV"},
    {"Venezia", "30175", "VE"},   {"Trento", "38121", "TN"},
    {"Bolzano", "39100", "BZ"},   {"Udine", "33100", "UD"},
    {"Novara", "28100", "NO"},    {"Alessandria", "15121", "AL"},
    {"Cuneo", "12100", "CN"},     {"Firenze", "50127", "FI"},
    {"Prato", "59100", "PO"},     {"Livorno", "57121", "LI"},
    {"La Spezia", "19121", "SP"}, {"Ancona", "60131", "AN"},
    {"Roma", "00156", "RM"},      {"Napoli", "80143", "NA"},
    {"Bari", "70123", "BA"},      {"Pescara", "65129", "PE"},
    {"Catania", "95121", "CT"},   {"Lodi", "26900", "LO"},
    {"Mantova", "46100", "MN"},   {"Cremona", "26100", "CR"},
    {"Pavia", "27100", "PV"},     {"Forlì", "47122", "FC"},
    {"Cantù", "22063", "CO"},     {"San Donà di Piave", "30027", "VE"},
};

const char *const streets[] = {"Via Roma",           "Via Garibaldi",
                               "Via dell'Industria", "Via dell'Artigianato",
                               "Viale Europa",       "Via Mazzini",
                               "Via dei Trasporti",  "Strada Statale 11",
                               "Via Cavour",         "Via San Giovanni Bosco",
                               "Corso Italia",       "Via del Lavoro"};

const char *const surnames[] = {"Bianchi", "Ferrari", "Colombo",  "Ricci",   "Marino", "Greco",
                                "Bruno",   "Gallo",   "Conti",    "De Luca", "Costa",  "Giordano",
                                "Mancini", "D'Amico", "Lombardi", "Moretti"};

const char *const legalForms[] = {"S.r.l.", "S.p.A.", "S.n.c.", "& Figli S.n.c.", "S.a.s.", "S.r.l.s."};

// What a supplier does; its articles follow.
const char *const trades[] = {
    "Carburanti",          "Pneumatici",      "Officina Veicoli Industriali", "Autotrasporti",
    "Lavaggi Industriali", "Noleggi",         "Albergo Ristorante",           "Edizioni",
    "Ricambi Auto",        "Area di Servizio"};
constexpr int tradeCount = int(std::size(trades));

struct Article
{
    int trade;
    const char *code; // the supplier's article code, or null
    const char *description;
    const char *unit;
    int vatRate;
    int minCents; // unit price range
    int maxCents;
    int minQuantity;
    int maxQuantity;
    bool discounted; // the supplier may give a discount on it
};

const Article articles[] = {
    {0, nullptr, "Gasolio per autotrazione", "LT", 22, 150, 185, 300, 900, false},
    {0, nullptr, "AdBlue sfuso", "LT", 22, 60, 95, 20, 200, false},
    {0, "OL1540", "Olio motore 15W-40", "LT", 22, 450, 900, 10, 60, true},
    {0, nullptr, "Lavaggio esterno autotreno", "NR", 22, 3500, 7000, 1, 4, false},
    {1, "PN31580", "Pneumatico 315/80 R22.5 trazione", "NR", 22, 32000, 52000, 1, 6, true},
    {1, "PN38565", "Pneumatico 385/65 R22.5 rimorchio", "NR", 22, 38000, 60000, 1, 6, true},
    {1, nullptr, "Montaggio ed equilibratura", "NR", 22, 2500, 4500, 1, 6, false},
    {1, nullptr, "Manodopera", "ORE", 22, 4500, 6500, 1, 4, false},
    {2, nullptr, "Manodopera officina", "ORE", 22, 4500, 6500, 1, 12, false},
    {2, nullptr, "Tagliando trattore stradale", "NR", 22, 45000, 95000, 1, 1, true},
    {2, "KF220", "Kit pastiglie freno asse anteriore", "NR", 22, 18000, 32000, 1, 2, true},
    {2, nullptr, "Revisione periodica semirimorchio", "NR", 22, 9000, 16000, 1, 1, false},
    {2, nullptr, "Taratura cronotachigrafo digitale", "NR", 22, 12000, 22000, 1, 1, false},
    {3, nullptr, "Trasporto in subvezione da Verona a Bari", "VIAGGI", 22, 95000, 180000, 1, 3, false},
    {3, nullptr, "Trasporto in subvezione da Milano a Napoli", "VIAGGI", 22, 110000, 190000, 1, 3, false},
    {3, nullptr, "Trasporto groupage da Bologna a Torino", "VIAGGI", 22, 45000, 80000, 1, 4, true},
    {3, nullptr, "Sosta e attesa al carico", "ORE", 22, 3000, 5000, 1, 6, false},
    {4, nullptr, "Lavaggio interno cisterna alimentare", "NR", 22, 6000, 12000, 1, 4, true},
    {4, nullptr, "Lavaggio esterno autotreno", "NR", 22, 3500, 7000, 1, 6, true},
    {4, nullptr, "Sanificazione cella frigorifera", "NR", 22, 8000, 15000, 1, 2, false},
    {5, nullptr, "Noleggio semirimorchio frigorifero (mese)", "MESE", 22, 110000, 180000, 1, 2, true},
    {5, nullptr, "Noleggio trattore stradale (giorni)", "GG", 22, 18000, 30000, 1, 20, true},
    {6, nullptr, "Pasti autisti in trasferta", "NR", 10, 1200, 1800, 1, 12, false},
    {6, nullptr, "Pernottamento autisti", "NR", 10, 5500, 9000, 1, 6, false},
    {6, nullptr, "Parcheggio custodito automezzi", "NR", 22, 1500, 3000, 1, 3, false},
    {7, "ADR25", "Manuale del trasporto di merci pericolose ADR", "NR", 4, 2500, 4500, 1, 5, true},
    {7, nullptr, "Abbonamento annuale rivista di settore", "NR", 4, 6000, 12000, 1, 1, false},
    {7, nullptr, "Corso di aggiornamento CQC", "NR", 22, 25000, 45000, 1, 4, true},
    {8, "FG10", "Filtro gasolio", "NR", 22, 2500, 6000, 1, 6, true},
    {8, "KF220", "Kit pastiglie freno asse anteriore", "NR", 22, 18000, 32000, 1, 2, true},
    {8, "OL1540", "Olio motore 15W-40", "LT", 22, 450, 900, 10, 60, true},
    {8, "BT225", "Batteria 12V 225Ah", "NR", 22, 28000, 42000, 1, 2, true},
    {9, nullptr, "Gasolio per autotrazione", "LT", 22, 155, 190, 200, 600, false},
    {9, nullptr, "Pasti autisti", "NR", 10, 1200, 1800, 1, 6, false},
    {9, nullptr, "Lavaggio esterno autotreno", "NR", 22, 3500, 7000, 1, 2, false},
};

struct Supplier
{
    QString vatNumber;
    QString name;
    QString street;
    QString streetNumber;
    const Town *town = nullptr;
    QString phone;
    QString email;
    QString iban;
    QString numberPattern; // how it numbers its invoices: "%1/2026"
    int trade = 0;
    int sent = 0;                              // files sent so far
    int nextNumber = 0;                        // of its next invoice
    QList<std::pair<QString, QDate>> invoices; // numbers and dates of its invoices so far
};

class Random
{
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T, std::size_t N> const T &pick(const T (&from)[N])
    {
        return from[std::size_t(between(0, int(N) - 1))];
    }

private:
    std::mt19937 m_engine;
};

// An Italian VAT number: seven digits, the office code, and the check digit.
QString vatNumber(Random &random)
{
    QString digits = QString::number(random.between(0, 9999999)).rightJustified(7, u'0') +
                     QString::number(random.between(1, 100)).rightJustified(3, u'0');
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        int digit = digits.at(i).digitValue();
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return digits + QString::number((10 - sum % 10) % 10);
}

// An Italian IBAN with its check digits: CIN, ABI, CAB and the account.
QString iban(Random &random)
{
    const QString bban = QChar(u'A' + random.between(0, 25)) +
                         QString::number(random.between(1000, 9999)).rightJustified(5, u'0') +
                         QString::number(random.between(10000, 99999)) +
                         QString::number(random.between(0, 999999)).rightJustified(6, u'0') +
                         QString::number(random.between(0, 999999)).rightJustified(6, u'0');
    int rest = 0;
    const QString rearranged = bban + QStringLiteral("IT00");
    for (const QChar letter : rearranged) {
        const int value = letter.isDigit() ? letter.digitValue() : letter.unicode() - u'A' + 10;
        rest = (value > 9 ? rest * 100 : rest * 10) + value;
        rest %= 97;
    }
    return QStringLiteral("IT") + QString::number(98 - rest).rightJustified(2, u'0') + bban;
}

QList<Supplier> makeSuppliers(Random &random)
{
    static const char *const patterns[] = {"%1", "%1/2026", "FT%1", "2026/%1/E", "%1/A", "FV-%1"};
    QList<Supplier> suppliers;
    QStringList vatNumbers{firmVatNumber};
    for (int i = 0; i < supplierCount; ++i) {
        Supplier supplier;
        do
            supplier.vatNumber = vatNumber(random);
        while (vatNumbers.contains(supplier.vatNumber));
        vatNumbers.append(supplier.vatNumber);
        // Trade and surname differ for every supplier of the hundred.
        supplier.trade = i % tradeCount;
        const QString surname = QString::fromUtf8(surnames[(i / tradeCount + i) % int(std::size(surnames))]);
        supplier.name = QStringLiteral("%1 %2 %3")
                            .arg(QString::fromUtf8(trades[supplier.trade]), surname,
                                 QString::fromUtf8(legalForms[(i * 3 + i / 6) % int(std::size(legalForms))]));
        supplier.street = QString::fromUtf8(random.pick(streets));
        supplier.streetNumber = QString::number(random.between(1, 180));
        supplier.town = &random.pick(towns);
        supplier.phone = QStringLiteral("0%1").arg(random.between(100000000, 999999999));
        QString mailbox = QString::fromUtf8(trades[supplier.trade]).section(u' ', 0, 0) + surname;
        mailbox.remove(u'\'').remove(u' ');
        supplier.email = QStringLiteral("amministrazione@%1.it").arg(mailbox.toLower());
        supplier.iban = iban(random);
        supplier.numberPattern = QString::fromLatin1(random.pick(patterns));
        supplier.nextNumber = random.between(1, 900);
        suppliers.append(supplier);
    }
    return suppliers;
}

// ---------------------------------------------------------------------------------------------
// The documents, with every amount in cents so that lines, summaries and total agree exactly.

struct Line
{
    const Article *article = nullptr;
    QString description;
    qint64 quantity = 0;
    qint64 unitCents = 0;
    QList<int> discounts; // percent, one after the other
    qint64 totalCents = 0;
};

struct Document
{
    QString type; // TD01, TD04
    QString number;
    QDate date;
    QList<Line> lines;
    std::optional<std::pair<QString, QDate>> credited;
    int instalments = 1;
};

QString amountText(qint64 cents)
{
    const qint64 whole = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(whole / 100)
        .arg(whole % 100, 2, 10, QChar(u'0'));
}

QString rateText(int percent)
{
    return QString::number(percent) + QStringLiteral(".00");
}

// Taxable amount and tax per rate, in cents; the tax rounded half up as the suppliers write it.
struct Summary
{
    int rate;
    qint64 taxable;
    qint64 tax;
};

QList<Summary> summaries(const QList<Line> &lines)
{
    QList<Summary> found;
    for (const Line &line : lines) {
        auto same = std::find_if(found.begin(), found.end(), [&](const Summary &summary) {
            return summary.rate == line.article->vatRate;
        });
        if (same == found.end())
            found.append({line.article->vatRate, line.totalCents, 0});
        else
            same->taxable += line.totalCents;
    }
    for (Summary &summary : found)
        summary.tax = (summary.taxable * summary.rate + 50) / 100;
    return found;
}

qint64 documentTotal(const QList<Line> &lines)
{
    qint64 total = 0;
    for (const Summary &summary : summaries(lines))
        total += summary.taxable + summary.tax;
    return total;
}

// Whether the tax of each rate, rounded by itself, adds up to the tax of the whole document
// rounded once, as the archive reckons it: otherwise the two differ by a cent.
bool roundsAlike(const QList<Line> &lines)
{
    qint64 exact = 0;
    qint64 rounded = 0;
    for (const Summary &summary : summaries(lines)) {
        exact += summary.taxable * summary.rate;
        rounded += summary.tax;
        if ((summary.taxable * summary.rate) % 100 == 50)
            return false; // a half cent: left to no rounding rule
    }
    return exact % 100 != 50 && (exact + 50) / 100 == rounded;
}

Line makeLine(Random &random, const Article &article, const QString &prefix)
{
    Line line;
    line.article = &article;
    line.description = prefix + QString::fromUtf8(article.description);
    line.quantity = random.between(article.minQuantity, article.maxQuantity);
    if (article.discounted && random.chance(30)) {
        line.discounts.append(random.between(1, 6) * 5);
        if (random.chance(20))
            line.discounts.append(random.between(1, 2) * 5);
    }
    // A price of a multiple of 20 cents for each discount of a multiple of 5 percent keeps the
    // discounted amount in whole cents.
    qint64 step = 1;
    for (int i = 0; i < line.discounts.size(); ++i)
        step *= 20;
    line.unitCents = std::max<qint64>(step, random.between(article.minCents, article.maxCents) / step * step);
    qint64 total = line.quantity * line.unitCents;
    for (int discount : line.discounts)
        total = total * (100 - discount) / 100;
    line.totalCents = total;
    return line;
}

QList<const Article *> articlesOf(int trade)
{
    QList<const Article *> found;
    for (const Article &article : articles)
        if (article.trade == trade)
            found.append(&article);
    return found;
}

Document makeDocument(Random &random, Supplier &supplier, const QDate &date)
{
    const QList<const Article *> sold = articlesOf(supplier.trade);
    Document document;
    document.date = date;
    const bool creditNote = !supplier.invoices.isEmpty() && random.chance(8);
    if (creditNote) {
        document.type = QStringLiteral("TD04");
        document.credited = supplier.invoices.at(random.between(0, int(supplier.invoices.size()) - 1));
        document.number = QStringLiteral("NC%1/2026").arg(supplier.nextNumber++);
        const QString prefix =
            random.chance(50) ? QStringLiteral("Reso: ") : QStringLiteral("Rettifica prezzo: ");
        do {
            document.lines = {makeLine(random, *sold.at(random.between(0, int(sold.size()) - 1)), prefix)};
        } while (!roundsAlike(document.lines));
    } else {
        document.type = QStringLiteral("TD01");
        document.number = supplier.numberPattern.arg(supplier.nextNumber++);
        const int lines = random.between(1, 6);
        do {
            document.lines.clear();
            for (int i = 0; i < lines; ++i)
                document.lines.append(
                    makeLine(random, *sold.at(random.between(0, int(sold.size()) - 1)), QString()));
        } while (!roundsAlike(document.lines));
        document.instalments = random.between(1, 3);
        supplier.invoices.append({document.number, document.date});
    }
    return document;
}

// The FatturaPA 1.2 file of a document, as a supplier's program writes it.
QByteArray invoiceXml(const Supplier &supplier, const Document &document)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    const auto text = [&writer](const QString &name, const QString &value) {
        writer.writeTextElement(name, value);
    };
    const auto open = [&writer](const QString &name) {
        writer.writeStartElement(name);
    };
    const auto close = [&writer] {
        writer.writeEndElement();
    };

    writer.writeStartDocument();
    const QString invoiceNamespace =
        QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");
    writer.writeNamespace(QStringLiteral("http://www.w3.org/2000/09/xmldsig#"), QStringLiteral("ds"));
    writer.writeNamespace(invoiceNamespace, QStringLiteral("p"));
    writer.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
    writer.writeStartElement(invoiceNamespace, QStringLiteral("FatturaElettronica"));
    writer.writeAttribute(QStringLiteral("versione"), QStringLiteral("FPR12"));

    open(QStringLiteral("FatturaElettronicaHeader"));
    open(QStringLiteral("DatiTrasmissione"));
    open(QStringLiteral("IdTrasmittente"));
    text(QStringLiteral("IdPaese"), QStringLiteral("IT"));
    text(QStringLiteral("IdCodice"), supplier.vatNumber);
    close();
    text(QStringLiteral("ProgressivoInvio"),
         QString::number(supplier.sent, 36).toUpper().rightJustified(5, u'0'));
    text(QStringLiteral("FormatoTrasmissione"), QStringLiteral("FPR12"));
    text(QStringLiteral("CodiceDestinatario"), firmSdiCode);
    close();

    open(QStringLiteral("CedentePrestatore"));
    open(QStringLiteral("DatiAnagrafici"));
    open(QStringLiteral("IdFiscaleIVA"));
    text(QStringLiteral("IdPaese"), QStringLiteral("IT"));
    text(QStringLiteral("IdCodice"), supplier.vatNumber);
    close();
    text(QStringLiteral("CodiceFiscale"), supplier.vatNumber);
    open(QStringLiteral("Anagrafica"));
    text(QStringLiteral("Denominazione"), supplier.name);
    close();
    text(QStringLiteral("RegimeFiscale"), QStringLiteral("RF01"));
    close();
    open(QStringLiteral("Sede"));
    text(QStringLiteral("Indirizzo"), supplier.street);
    text(QStringLiteral("NumeroCivico"), supplier.streetNumber);
    text(QStringLiteral("CAP"), QString::fromLatin1(supplier.town->postCode));
    text(QStringLiteral("Comune"), QString::fromUtf8(supplier.town->name));
    text(QStringLiteral("Provincia"), QString::fromLatin1(supplier.town->province));
    text(QStringLiteral("Nazione"), QStringLiteral("IT"));
    close();
    open(QStringLiteral("Contatti"));
    text(QStringLiteral("Telefono"), supplier.phone);
    text(QStringLiteral("Email"), supplier.email);
    close();
    close();

    open(QStringLiteral("CessionarioCommittente"));
    open(QStringLiteral("DatiAnagrafici"));
    open(QStringLiteral("IdFiscaleIVA"));
    text(QStringLiteral("IdPaese"), QStringLiteral("IT"));
    text(QStringLiteral("IdCodice"), firmVatNumber);
    close();
    open(QStringLiteral("Anagrafica"));
    text(QStringLiteral("Denominazione"), firmName);
    close();
    close();
    open(QStringLiteral("Sede"));
    text(QStringLiteral("Indirizzo"), QStringLiteral("Via Roma"));
    text(QStringLiteral("NumeroCivico"), QStringLiteral("1"));
    text(QStringLiteral("CAP"), QStringLiteral("20100"));
    text(QStringLiteral("Comune"), QStringLiteral("Milano"));
    text(QStringLiteral("Provincia"), QStringLiteral("MI"));
    text(QStringLiteral("Nazione"), QStringLiteral("IT"));
    close();
    close();
    close();

    const qint64 total = documentTotal(document.lines);
    open(QStringLiteral("FatturaElettronicaBody"));
    open(QStringLiteral("DatiGenerali"));
    open(QStringLiteral("DatiGeneraliDocumento"));
    text(QStringLiteral("TipoDocumento"), document.type);
    text(QStringLiteral("Divisa"), QStringLiteral("EUR"));
    text(QStringLiteral("Data"), document.date.toString(Qt::ISODate));
    text(QStringLiteral("Numero"), document.number);
    text(QStringLiteral("ImportoTotaleDocumento"), amountText(total));
    if (document.credited)
        text(QStringLiteral("Causale"),
             QStringLiteral("Nota di credito a storno parziale della fattura n. %1 del %2")
                 .arg(document.credited->first,
                      document.credited->second.toString(QStringLiteral("dd/MM/yyyy"))));
    close();
    if (document.credited) {
        open(QStringLiteral("DatiFattureCollegate"));
        text(QStringLiteral("IdDocumento"), document.credited->first);
        text(QStringLiteral("Data"), document.credited->second.toString(Qt::ISODate));
        close();
    }
    close();

    open(QStringLiteral("DatiBeniServizi"));
    int number = 0;
    for (const Line &line : document.lines) {
        open(QStringLiteral("DettaglioLinee"));
        text(QStringLiteral("NumeroLinea"), QString::number(++number));
        if (line.article->code) {
            open(QStringLiteral("CodiceArticolo"));
            text(QStringLiteral("CodiceTipo"), QStringLiteral("CODICE FORNITORE"));
            text(QStringLiteral("CodiceValore"), QString::fromLatin1(line.article->code));
            close();
        }
        text(QStringLiteral("Descrizione"), line.description);
        text(QStringLiteral("Quantita"), QString::number(line.quantity) + QStringLiteral(".00"));
        text(QStringLiteral("UnitaMisura"), QString::fromLatin1(line.article->unit));
        text(QStringLiteral("PrezzoUnitario"), amountText(line.unitCents));
        for (int discount : line.discounts) {
            open(QStringLiteral("ScontoMaggiorazione"));
            text(QStringLiteral("Tipo"), QStringLiteral("SC"));
            text(QStringLiteral("Percentuale"), rateText(discount));
            close();
        }
        text(QStringLiteral("PrezzoTotale"), amountText(line.totalCents));
        text(QStringLiteral("AliquotaIVA"), rateText(line.article->vatRate));
        close();
    }
    for (const Summary &summary : summaries(document.lines)) {
        open(QStringLiteral("DatiRiepilogo"));
        text(QStringLiteral("AliquotaIVA"), rateText(summary.rate));
        text(QStringLiteral("ImponibileImporto"), amountText(summary.taxable));
        text(QStringLiteral("Imposta"), amountText(summary.tax));
        text(QStringLiteral("EsigibilitaIVA"), QStringLiteral("I"));
        close();
    }
    close();

    // Instalments at the end of the month, 30, 60 and 90 days on; the last takes the odd cents.
    open(QStringLiteral("DatiPagamento"));
    text(QStringLiteral("CondizioniPagamento"),
         document.instalments > 1 ? QStringLiteral("TP01") : QStringLiteral("TP02"));
    for (int i = 0; i < document.instalments; ++i) {
        const qint64 share = total / document.instalments;
        const qint64 amount =
            i + 1 < document.instalments ? share : total - share * (document.instalments - 1);
        QDate due = document.date.addDays(30 * (i + 1));
        due.setDate(due.year(), due.month(), due.daysInMonth());
        open(QStringLiteral("DettaglioPagamento"));
        text(QStringLiteral("ModalitaPagamento"), QStringLiteral("MP05"));
        text(QStringLiteral("DataScadenzaPagamento"), due.toString(Qt::ISODate));
        text(QStringLiteral("ImportoPagamento"), amountText(amount));
        text(QStringLiteral("IBAN"), supplier.iban);
        close();
    }
    close();
    close();
    writer.writeEndDocument();
    return xml;
}

// ---------------------------------------------------------------------------------------------
// The signature of the .p7m files: a test certificate made here, signed in CMS as the suppliers'
// signing programs do (content inside the envelope).

struct KeyFree
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct CertificateFree
{
    void operator()(X509 *certificate) const { X509_free(certificate); }
};
struct BioFree
{
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct CmsFree
{
    void operator()(CMS_ContentInfo *cms) const { CMS_ContentInfo_free(cms); }
};

class Signer
{
public:
    Signer()
    {
        m_key.reset(EVP_RSA_gen(2048));
        m_certificate.reset(X509_new());
        if (!m_key || !m_certificate)
            return;
        X509 *certificate = m_certificate.get();
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
        X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
        X509_gmtime_adj(X509_getm_notAfter(certificate), 3L * 365 * 24 * 3600);
        X509_set_pubkey(certificate, m_key.get());
        X509_NAME *name = X509_get_subject_name(certificate);
        const auto add = [name](const char *field, const char *value) {
            X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                       reinterpret_cast<const unsigned char *>(value), -1, -1, 0);
        };
        add("C", "IT");
        add("O", "Firme di prova");
        add("CN", "Mario Bianchi");
        X509_set_issuer_name(certificate, name);
        m_ready = X509_sign(certificate, m_key.get(), EVP_sha256()) > 0;
    }

    bool ready() const { return m_ready; }

    // The envelope in DER; empty when the signature could not be made.
    QByteArray sign(const QByteArray &content) const
    {
        std::unique_ptr<BIO, BioFree> in(BIO_new_mem_buf(content.constData(), int(content.size())));
        std::unique_ptr<CMS_ContentInfo, CmsFree> cms(
            CMS_sign(m_certificate.get(), m_key.get(), nullptr, in.get(), CMS_BINARY | CMS_NOSMIMECAP));
        std::unique_ptr<BIO, BioFree> out(BIO_new(BIO_s_mem()));
        if (!cms || !out || i2d_CMS_bio(out.get(), cms.get()) != 1)
            return {};
        char *bytes = nullptr;
        const long size = BIO_get_mem_data(out.get(), &bytes);
        return QByteArray(bytes, qsizetype(size));
    }

private:
    std::unique_ptr<EVP_PKEY, KeyFree> m_key;
    std::unique_ptr<X509, CertificateFree> m_certificate;
    bool m_ready = false;
};

// The base64 envelope some signing programs save: on one line, or wrapped with CR LF.
QByteArray base64Envelope(const QByteArray &der, bool wrapped)
{
    const QByteArray text = der.toBase64();
    if (!wrapped)
        return text;
    QByteArray lines;
    for (qsizetype at = 0; at < text.size(); at += 76)
        lines += text.mid(at, 76) + "\r\n";
    return lines;
}

struct GeneratedFiles
{
    QStringList a38Readable; // .xml and DER .p7m
    int plain = 0;
    int der = 0;
    int base64 = 0;
    int creditNotes = 0;
    int lines = 0;
};

core::Result<GeneratedFiles> writeFiles(const QString &folder, int count)
{
    using R = core::Result<GeneratedFiles>;
    if (!QDir().mkpath(folder))
        return R::failure(QStringLiteral("cannot make ") + folder);
    const Signer signer;
    if (!signer.ready())
        return R::failure(QStringLiteral("the test certificate could not be made"));
    Random random(20261207);
    QList<Supplier> suppliers = makeSuppliers(random);
    GeneratedFiles files;
    // Three months of purchases, in the order they were sent.
    const QDate first(2026, 9, 1);
    const int days = int(first.daysTo(QDate(2026, 11, 30))) + 1;
    for (int i = 0; i < count; ++i) {
        Supplier &supplier = suppliers[random.between(0, supplierCount - 1)];
        ++supplier.sent;
        const Document document = makeDocument(random, supplier, first.addDays(qint64(i) * days / count));
        files.creditNotes += document.type == u"TD04";
        files.lines += int(document.lines.size());
        QByteArray content = invoiceXml(supplier, document);
        // The name the exchange system gives: the sender's country and VAT number, the progressive.
        QString name = QStringLiteral("IT%1_%2.xml")
                           .arg(supplier.vatNumber,
                                QString::number(supplier.sent, 36).toUpper().rightJustified(5, u'0'));
        const int kind = random.between(1, 100);
        bool readable = true;
        if (kind > 50) {
            content = signer.sign(content);
            if (content.isEmpty())
                return R::failure(QStringLiteral("the signature of ") + name +
                                  QStringLiteral(" could not be made"));
            name += QStringLiteral(".p7m");
            if (kind > 85) {
                content = base64Envelope(content, kind > 92);
                readable = false;
                ++files.base64;
            } else {
                ++files.der;
            }
        } else {
            ++files.plain;
        }
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return R::failure(QStringLiteral("cannot write ") + file.fileName());
        if (readable)
            files.a38Readable.append(file.fileName());
    }
    return files;
}

// ---------------------------------------------------------------------------------------------
// The import by the program's command line.

// A new archive with the firm the files are addressed to, named in the folder's path file.
core::Status prepareArchive(const storage::ArchiveLocation &location, const QString &homePath)
{
    if (!QDir().mkpath(homePath))
        return core::Status::failure(QStringLiteral("cannot make ") + homePath);
    storage::OpenOptions options;
    options.createIfMissing = true;
    auto archive = storage::Archive::open(location, options);
    if (!archive)
        return core::Status::failure(archive.error());
    const core::Result<QVariant> documents =
        (*archive)->scalar(QStringLiteral("SELECT COUNT(*) FROM fattura"));
    if (!documents)
        return core::Status::failure(documents.error());
    if (documents->toInt() > 0)
        return core::Status::failure(
            location.displayText() +
            QStringLiteral(" already holds documents: the import needs an empty archive"));
    const core::Result<int> firm = (*archive)->execute(
        QStringLiteral("UPDATE ditta SET IdPaese = 'IT', PIva = ?, CodFisc = ?, CodiceSdi = ?, RagSoc = ?, "
                       "Via = 'Via Roma', Numero = '1', Cap = '20100', Comune = 'Milano', Provincia = 'MI', "
                       "RegimeFiscale = 'RF01'"),
        {firmVatNumber, firmVatNumber, firmSdiCode, firmName});
    if (!firm)
        return core::Status::failure(firm.error());
    if (*firm != 1)
        return core::Status::failure(
            QStringLiteral("the archive has %1 firm rows instead of one").arg(*firm));
    // The suppliers are new to the archive: the import adds them.
    if (const core::Result<int> options = (*archive)->execute(
            QStringLiteral("UPDATE opzioni SET AggiornaAutomaticamenteInformazioniDaXml = ?"), {true});
        !options)
        return core::Status::failure(options.error());
    return check(storage::writeArchivePath(homePath, (*archive)->location()), "path file");
}

struct ImportRun
{
    double seconds = 0;
    int exitCode = -1;
    QString ending; // "exit status 0", or how the program failed to end normally
    int imported = 0;
    QStringList refused;  // ERRORE lines
    QStringList skipped;  // SALTATA lines
    QStringList remarked; // imported documents whose totals differ from the file's
    QString errors;       // what the program wrote on its error output
};

ImportRun runImport(const QString &homePath, const QString &folder)
{
    ImportRun run;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ROTALINA_HOME"), homePath);
    program.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina"),
                  {QStringLiteral("--importa-fatture-xml"), folder});
    const bool finished = program.waitForFinished(-1);
    run.seconds = timer.elapsed() / 1000.0;
    if (finished && program.exitStatus() == QProcess::NormalExit) {
        run.exitCode = program.exitCode();
        run.ending = QStringLiteral("exit status %1").arg(run.exitCode);
    } else if (finished || program.error() == QProcess::Crashed) {
        run.ending = QStringLiteral("ENDED ABNORMALLY (crashed or killed)");
    } else {
        run.ending = QStringLiteral("DID NOT RUN: ") + program.errorString();
    }
    run.errors = QString::fromUtf8(program.readAllStandardError()).trimmed();
    const QStringList lines =
        QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("IMPORTATA "))) {
            ++run.imported;
            if (line.contains(QStringLiteral(" - ")))
                run.remarked.append(line);
        } else if (line.startsWith(QStringLiteral("SALTATA "))) {
            run.skipped.append(line);
        } else {
            run.refused.append(line);
        }
    }
    return run;
}

// Prints how the import went; true when every file was imported.
bool report(QTextStream &out, const QString &engine, const ImportRun &run, int files)
{
    // The rate counts the files the program went through, when it stopped before the end too.
    const qsizetype handled = run.imported + run.skipped.size() + run.refused.size();
    const double rate = handled / run.seconds;
    out << QStringLiteral("import into %1: %2 of %3 files imported in %4 s, %5 files per second, %6: "
                          "target of %7 files per second %8")
               .arg(engine)
               .arg(run.imported)
               .arg(files)
               .arg(run.seconds, 0, 'f', 2)
               .arg(rate, 0, 'f', 0)
               .arg(run.ending)
               .arg(targetFilesPerSecond, 0, 'f', 0)
               .arg(rate >= targetFilesPerSecond ? QStringLiteral("met") : QStringLiteral("NOT MET"))
        << Qt::endl;
    const auto show = [&out](const QString &what, const QStringList &lines) {
        if (lines.isEmpty())
            return;
        out << QStringLiteral("  %1 %2 lines:").arg(lines.size()).arg(what) << Qt::endl;
        for (const QString &line : lines.mid(0, 20))
            out << "    " << line << Qt::endl;
        if (lines.size() > 20)
            out << "    ..." << Qt::endl;
    };
    show(QStringLiteral("ERRORE"), run.refused);
    show(QStringLiteral("SALTATA"), run.skipped);
    show(QStringLiteral("IMPORTATA with remarks"), run.remarked);
    if (!run.errors.isEmpty())
        out << "  error output: " << run.errors << Qt::endl;
    const bool complete = run.exitCode == 0 && run.imported == files;
    if (!complete)
        out << "  THE IMPORT FAILED" << Qt::endl;
    return complete;
}

// ---------------------------------------------------------------------------------------------
// a38tool, one run per file as one checks a file by hand.

// Prints how long a38tool takes; true when it read every file it was given.
bool timeA38(QTextStream &out, const GeneratedFiles &files, int limit)
{
    const QString a38 = QStandardPaths::findExecutable(QStringLiteral("a38tool"));
    if (a38.isEmpty()) {
        out << "a38tool: skipped, not installed (Debian package python3-a38)" << Qt::endl;
        return true;
    }
    const QStringList &readable = files.a38Readable;
    // A limit takes files spread over the whole folder, so that plain and signed ones stay mixed.
    QStringList timed;
    if (limit > 0 && limit < readable.size()) {
        for (qsizetype i = 0; i < limit; ++i)
            timed.append(readable.at(i * readable.size() / limit));
    } else {
        timed = readable;
    }
    QStringList unread;
    QElapsedTimer timer;
    timer.start();
    for (const QString &file : timed) {
        QProcess reader;
        reader.start(a38, {QStringLiteral("json"), file});
        reader.waitForFinished(-1);
        // Its exit status stays 0 when it fails: a file is read when it wrote the document and nothing
        // on its error output.
        const QByteArray document = reader.readAllStandardOutput();
        const QByteArray errors = reader.readAllStandardError().trimmed();
        if (document.trimmed().isEmpty() || !errors.isEmpty())
            unread.append(QFileInfo(file).fileName() + QStringLiteral(": ") +
                          QString::fromUtf8(errors.mid(errors.lastIndexOf('\n') + 1)));
    }
    const double seconds = timer.elapsed() / 1000.0;
    const double rate = timed.size() / seconds;
    out << QStringLiteral("a38tool json, one run per file: %1 of %2 files read in %3 s, %4 files per second "
                          "(it reads the %5 .xml and DER .p7m files, not the %6 base64 .p7m)")
               .arg(timed.size() - unread.size())
               .arg(timed.size())
               .arg(seconds, 0, 'f', 2)
               .arg(rate, 0, 'f', 1)
               .arg(readable.size())
               .arg(files.base64)
        << Qt::endl;
    if (timed.size() < readable.size())
        out << QStringLiteral("  %1 of the %2 timed: about %3 s for all of them")
                   .arg(timed.size())
                   .arg(readable.size())
                   .arg(readable.size() / rate, 0, 'f', 0)
            << Qt::endl;
    for (const QString &file : unread.mid(0, 10))
        out << "  not read: " << file << Qt::endl;
    return unread.isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("files"),
                      QStringLiteral("Files of suppliers' invoices to import (2000)."), QStringLiteral("n"),
                      QStringLiteral("2000")});
    parser.addOption(
        {QStringLiteral("a38-files"),
         QStringLiteral("Time a38tool on this many of the files it can read and reckon the rest (all)."),
         QStringLiteral("m"), QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("keep"),
         QStringLiteral("Work in this new folder and leave it there (files, archives) to look into."),
         QStringLiteral("folder")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);

    const int count = parser.value(QStringLiteral("files")).toInt();
    if (count <= 0) {
        out << "--files wants a number of files" << Qt::endl;
        return 1;
    }
    QTemporaryDir temporary;
    const QString workPath =
        parser.isSet(QStringLiteral("keep")) ? parser.value(QStringLiteral("keep")) : temporary.path();
    const QString folder = QDir(workPath).filePath(QStringLiteral("fatture"));

    QElapsedTimer timer;
    timer.start();
    const core::Result<GeneratedFiles> files = writeFiles(folder, count);
    if (!files) {
        out << files.error() << Qt::endl;
        return 1;
    }
    out << QStringLiteral("%1 files from %2 suppliers written in %3 s: %4 .xml, %5 DER .p7m, %6 base64 .p7m; "
                          "%7 credit notes, %8 lines")
               .arg(count)
               .arg(supplierCount)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
               .arg(files->plain)
               .arg(files->der)
               .arg(files->base64)
               .arg(files->creditNotes)
               .arg(files->lines)
        << Qt::endl;

    QList<std::pair<QString, storage::ArchiveLocation>> engines{
        {QStringLiteral("SQLite"), storage::ArchiveLocation::sqliteFile(
                                       QDir(workPath).filePath(QStringLiteral("sqlite/archivio.db")))}};
    if (parser.isSet(QStringLiteral("postgresql"))) {
        const auto location = storage::ArchiveLocation::parse(parser.value(QStringLiteral("postgresql")));
        if (!location) {
            out << location.error() << Qt::endl;
            return 1;
        }
        engines.append({QStringLiteral("PostgreSQL"), *location});
    }
    bool complete = true;
    for (const auto &[engine, location] : engines) {
        const QString homePath = QDir(workPath).filePath(engine.toLower());
        if (core::Status prepared = prepareArchive(location, homePath); !prepared) {
            out << engine << ": " << prepared.error() << Qt::endl;
            return 1;
        }
        complete = report(out, engine, runImport(homePath, folder), count) && complete;
    }

    const bool read = timeA38(out, *files, parser.value(QStringLiteral("a38-files")).toInt());
    return complete && read ? 0 : 1;
}
