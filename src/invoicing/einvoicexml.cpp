#include "invoicing/einvoicexml.h"

#include "core/money.h"

#include <QBuffer>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamWriter>
#include <cmath>

namespace rotalina::invoicing {

namespace {

const QString invoiceNamespace =
    QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");

enum class Charset { Basic, Latin, Any };

struct ValueRule
{
    int minLength = 1;
    int maxLength = 0; // 0: no limit
    Charset charset = Charset::Any;
    QRegularExpression pattern;
    QString patternMeaning; // what the pattern asks, for the user
};

ValueRule text(int minLength, int maxLength, Charset charset)
{
    ValueRule r;
    r.minLength = minLength;
    r.maxLength = maxLength;
    r.charset = charset;
    return r;
}

ValueRule pattern(const QString &expression, const QString &meaning)
{
    ValueRule r;
    r.pattern = QRegularExpression(QStringLiteral("\\A(?:%1)\\z").arg(expression));
    r.patternMeaning = meaning;
    return r;
}

const ValueRule &ruleOf(ValueType type)
{
    static const QHash<int, ValueRule> rules = [] {
        QHash<int, ValueRule> r;
        r.insert(int(ValueType::Text10), text(1, 10, Charset::Basic));
        r.insert(int(ValueType::Text15), text(1, 15, Charset::Basic));
        r.insert(int(ValueType::Text20), text(1, 20, Charset::Basic));
        r.insert(int(ValueType::Text35), text(1, 35, Charset::Basic));
        r.insert(int(ValueType::Text60), text(1, 60, Charset::Basic));
        r.insert(int(ValueType::Text35LatinExt), text(1, 35, Charset::Any));
        r.insert(int(ValueType::Latin60), text(1, 60, Charset::Latin));
        r.insert(int(ValueType::Latin80), text(1, 80, Charset::Latin));
        r.insert(int(ValueType::Latin100), text(1, 100, Charset::Latin));
        r.insert(int(ValueType::Latin200), text(1, 200, Charset::Latin));
        r.insert(int(ValueType::Latin1000), text(1, 1000, Charset::Latin));
        r.insert(int(ValueType::Title), text(2, 10, Charset::Basic));
        r.insert(int(ValueType::HouseNumber), text(1, 8, Charset::Basic));
        r.insert(int(ValueType::Phone), text(5, 12, Charset::Basic));
        ValueRule contact = pattern(QStringLiteral(".+@.+[.]+.+"), QStringLiteral("un indirizzo e-mail"));
        contact.minLength = 7;
        contact.maxLength = 256;
        r.insert(int(ValueType::ContactEmail), contact);
        ValueRule certified =
            pattern(QStringLiteral(
                        "[!#-'*+/-9=?A-Z^-~-]+(\\.[!#-'*+/-9=?A-Z^-~-]+)*@[!#-'*+/-9=?A-Z^-~-]+(\\.[!#-'*+/"
                        "-9=?A-Z^-~-]+)*"),
                    QStringLiteral("un indirizzo e-mail senza spazi"));
        certified.maxLength = 256;
        r.insert(int(ValueType::CertifiedMail), certified);
        r.insert(int(ValueType::IdCode), text(1, 28, Charset::Basic));
        r.insert(int(ValueType::FiscalCode), pattern(QStringLiteral("[A-Z0-9]{11,16}"),
                                                     QStringLiteral("da 11 a 16 lettere maiuscole o cifre")));
        r.insert(int(ValueType::EoriCode), text(13, 17, Charset::Basic));
        r.insert(int(ValueType::Country),
                 pattern(QStringLiteral("[A-Z]{2}"), QStringLiteral("due lettere maiuscole")));
        r.insert(int(ValueType::Province),
                 pattern(QStringLiteral("[A-Z]{2}"), QStringLiteral("due lettere maiuscole")));
        r.insert(int(ValueType::Currency),
                 pattern(QStringLiteral("[A-Z]{3}"), QStringLiteral("tre lettere maiuscole")));
        r.insert(int(ValueType::DeliveryTerms),
                 pattern(QStringLiteral("[A-Z]{3}"), QStringLiteral("tre lettere maiuscole")));
        r.insert(int(ValueType::PostCode),
                 pattern(QStringLiteral("[0-9]{5}"), QStringLiteral("cinque cifre")));
        r.insert(int(ValueType::RecipientCode),
                 pattern(QStringLiteral("[A-Z0-9]{6,7}"), QStringLiteral("6 o 7 lettere maiuscole o cifre")));
        r.insert(int(ValueType::Iban),
                 pattern(QStringLiteral("[a-zA-Z]{2}[0-9]{2}[a-zA-Z0-9]{11,30}"),
                         QStringLiteral("un IBAN (paese, controllo e da 11 a 30 caratteri)")));
        r.insert(int(ValueType::Amount2), pattern(QStringLiteral("-?[0-9]{1,11}\\.[0-9]{2}"),
                                                  QStringLiteral("un importo al massimo di 11 cifre")));
        r.insert(int(ValueType::Amount8), pattern(QStringLiteral("-?[0-9]{1,11}\\.[0-9]{2,8}"),
                                                  QStringLiteral("un importo al massimo di 11 cifre")));
        r.insert(int(ValueType::Quantity), pattern(QStringLiteral("[0-9]{1,12}\\.[0-9]{2,8}"),
                                                   QStringLiteral("una quantità al massimo di 12 cifre")));
        r.insert(int(ValueType::Rate), pattern(QStringLiteral("(100\\.00|[0-9]{1,2}\\.[0-9]{2})"),
                                               QStringLiteral("un'aliquota da 0 a 100")));
        r.insert(int(ValueType::LineNumber),
                 pattern(QStringLiteral("[1-9][0-9]{0,3}"), QStringLiteral("un numero da 1 a 9999")));
        r.insert(int(ValueType::Date),
                 pattern(QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2}"), QStringLiteral("una data")));
        r.insert(int(ValueType::Base64), text(1, 0, Charset::Basic));
        r.insert(int(ValueType::Code), text(1, 0, Charset::Basic));
        return r;
    }();
    return *rules.constFind(int(type));
}

bool fits(QChar c, Charset charset)
{
    switch (charset) {
    case Charset::Basic:
        return c.unicode() < 0x80;
    case Charset::Latin:
        return c.unicode() < 0x100;
    case Charset::Any:
        return true;
    }
    return true;
}

QString trimmedDecimals(double value, int maxDecimals)
{
    QString text = QString::number(core::roundDecimals(value, maxDecimals), 'f', maxDecimals);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    qsizetype end = text.size();
    while (end > point + 3 && text.at(end - 1) == QLatin1Char('0'))
        --end;
    text.truncate(end);
    if (text.startsWith(QLatin1Char('-')) && text.mid(1).remove(QLatin1Char('0')) == QLatin1String("."))
        text.remove(0, 1);
    return text;
}

// Replacements for signs the schema's character sets lack, or that read badly where only basic
// Latin is allowed.
const QHash<QChar, QString> &plainSigns()
{
    static const QHash<QChar, QString> signs = {
        {QChar(0x20AC), QStringLiteral("EUR")}, {QChar(0x2018), QStringLiteral("'")},
        {QChar(0x2019), QStringLiteral("'")},   {QChar(0x201A), QStringLiteral("'")},
        {QChar(0x201B), QStringLiteral("'")},   {QChar(0x2032), QStringLiteral("'")},
        {QChar(0x201C), QStringLiteral("\"")},  {QChar(0x201D), QStringLiteral("\"")},
        {QChar(0x201E), QStringLiteral("\"")},  {QChar(0x201F), QStringLiteral("\"")},
        {QChar(0x2033), QStringLiteral("\"")},  {QChar(0x2010), QStringLiteral("-")},
        {QChar(0x2011), QStringLiteral("-")},   {QChar(0x2012), QStringLiteral("-")},
        {QChar(0x2013), QStringLiteral("-")},   {QChar(0x2014), QStringLiteral("-")},
        {QChar(0x2015), QStringLiteral("-")},   {QChar(0x2212), QStringLiteral("-")},
        {QChar(0x2026), QStringLiteral("...")}, {QChar(0x2022), QStringLiteral("-")},
        {QChar(0x00A0), QStringLiteral(" ")},   {QChar(0x0153), QStringLiteral("oe")},
        {QChar(0x0152), QStringLiteral("OE")},  {QChar(0x0142), QStringLiteral("l")},
        {QChar(0x0141), QStringLiteral("L")},   {QChar(0x0111), QStringLiteral("d")},
        {QChar(0x0110), QStringLiteral("D")},   {QChar(0x0131), QStringLiteral("i")},
    };
    return signs;
}

const QHash<QChar, QString> &basicLatinOf()
{
    static const QHash<QChar, QString> letters = {
        {QChar(0x00B0), QStringLiteral("o")},  {QChar(0x00AB), QStringLiteral("\"")},
        {QChar(0x00BB), QStringLiteral("\"")}, {QChar(0x00DF), QStringLiteral("ss")},
        {QChar(0x00C6), QStringLiteral("AE")}, {QChar(0x00E6), QStringLiteral("ae")},
        {QChar(0x00D8), QStringLiteral("O")},  {QChar(0x00F8), QStringLiteral("o")},
        {QChar(0x00D7), QStringLiteral("x")},  {QChar(0x00B7), QStringLiteral(".")},
        {QChar(0x00A7), QStringLiteral("S.")}, {QChar(0x00D0), QStringLiteral("D")},
        {QChar(0x00F0), QStringLiteral("d")},  {QChar(0x00DE), QStringLiteral("Th")},
        {QChar(0x00FE), QStringLiteral("th")},
    };
    return letters;
}

QString withoutAccents(QChar c, Charset charset)
{
    const QString parts = QString(c).normalized(QString::NormalizationForm_KD);
    QString kept;
    for (const QChar part : parts) {
        if (part.category() == QChar::Mark_NonSpacing)
            continue;
        if (!fits(part, charset))
            return QString(c);
        kept.append(part);
    }
    return kept.isEmpty() ? QString(c) : kept;
}

void check(const XmlNode &node, const QString &path, QList<EInvoiceProblem> &problems)
{
    const QString here = path.isEmpty() ? node.name : path + QLatin1Char('/') + node.name;
    if (!node.leaf) {
        for (const XmlNode &child : node.children)
            check(child, here, problems);
        return;
    }
    const ValueRule &rule = ruleOf(node.type);
    const auto report = [&](const QString &message) {
        problems.append({node.fix, message, QStringLiteral("00200"), {}, {}});
    };
    if (node.text.isEmpty()) {
        report(QStringLiteral("manca (è obbligatorio nella fattura elettronica, %1)").arg(node.name));
        return;
    }
    QString foreign;
    for (const QChar c : node.text)
        if (!fits(c, rule.charset) && !foreign.contains(c))
            foreign.append(c);
    if (!foreign.isEmpty())
        report(QStringLiteral("contiene caratteri non ammessi nella fattura elettronica: «%1»").arg(foreign));
    if (node.text.size() < rule.minLength)
        report(QStringLiteral("«%1» è troppo corto: servono almeno %2 caratteri")
                   .arg(node.text)
                   .arg(rule.minLength));
    if (rule.maxLength > 0 && node.text.size() > rule.maxLength)
        report(
            QStringLiteral("è lungo %1 caratteri, al massimo %2").arg(node.text.size()).arg(rule.maxLength));
    if (rule.pattern.isValid() && !rule.pattern.pattern().isEmpty() &&
        !rule.pattern.match(node.text).hasMatch())
        report(QStringLiteral("«%1» non è %2").arg(node.text, rule.patternMeaning));
    if (!node.allowed.isEmpty() && !node.allowed.contains(node.text))
        report(QStringLiteral("«%1» non è tra i codici ammessi (%2)")
                   .arg(node.text, node.allowed.join(QStringLiteral(", "))));
}

void write(QXmlStreamWriter &writer, const XmlNode &node)
{
    if (node.leaf) {
        writer.writeTextElement(node.name, node.text);
        return;
    }
    writer.writeStartElement(node.name);
    for (const XmlNode &child : node.children)
        write(writer, child);
    writer.writeEndElement();
}

} // namespace

XmlNode &XmlNode::group(const QString &childName)
{
    XmlNode node;
    node.name = childName;
    children.append(node);
    return children.last();
}

XmlNode &XmlNode::add(const QString &childName, const QString &value, ValueType valueType,
                      const QString &where)
{
    XmlNode node;
    node.name = childName;
    node.text = value;
    node.type = valueType;
    node.fix = where;
    node.leaf = true;
    children.append(node);
    return children.last();
}

void XmlNode::addIf(const QString &childName, const QString &value, ValueType valueType, const QString &where)
{
    if (!value.isEmpty())
        add(childName, value, valueType, where);
}

const XmlNode *XmlNode::child(const QString &childName) const
{
    for (const XmlNode &node : children)
        if (node.name == childName)
            return &node;
    return nullptr;
}

QList<const XmlNode *> XmlNode::all(const QString &childName) const
{
    QList<const XmlNode *> found;
    for (const XmlNode &node : children)
        if (node.name == childName)
            found.append(&node);
    return found;
}

QString EInvoiceProblem::text() const
{
    QString line = fix.isEmpty() ? message : fix + QStringLiteral(": ") + message;
    if (!code.isEmpty())
        line += QStringLiteral(" [%1]").arg(code);
    return line;
}

namespace einvoice_format {

QString amount2(double value)
{
    QString text = QString::number(core::arrotonda(value), 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

QString amount8(double value)
{
    return trimmedDecimals(value, 8);
}

QString quantity(double value)
{
    return trimmedDecimals(std::fabs(value), 8);
}

QString rate(double value)
{
    return amount2(value);
}

QString date(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace einvoice_format

QString acceptableText(const QString &text, bool latin1Allowed)
{
    const Charset charset = latin1Allowed ? Charset::Latin : Charset::Basic;
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        if (fits(c, charset)) {
            plain.append(c);
            continue;
        }
        if (const auto sign = plainSigns().constFind(c); sign != plainSigns().cend()) {
            plain.append(*sign);
            continue;
        }
        if (!latin1Allowed)
            if (const auto letter = basicLatinOf().constFind(c); letter != basicLatinOf().cend()) {
                plain.append(*letter);
                continue;
            }
        plain.append(withoutAccents(c, charset));
    }
    return plain.trimmed();
}

QString codeText(const QString &text)
{
    QString code = text.toUpper();
    code.removeIf([](QChar c) { return c.isSpace(); });
    return code;
}

QList<EInvoiceProblem> schemaProblems(const XmlNode &root)
{
    QList<EInvoiceProblem> problems;
    check(root, {}, problems);
    return problems;
}

QByteArray serialise(const XmlNode &root, const QString &transmissionFormat)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeNamespace(QStringLiteral("http://www.w3.org/2000/09/xmldsig#"), QStringLiteral("ds"));
    writer.writeNamespace(invoiceNamespace, QStringLiteral("p"));
    writer.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
    writer.writeStartElement(invoiceNamespace, root.name);
    writer.writeAttribute(QStringLiteral("versione"), transmissionFormat);
    writer.writeAttribute(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                          QStringLiteral("schemaLocation"),
                          invoiceNamespace + QStringLiteral(" fatturaordinaria_v1.2.1.xsd "));
    for (const XmlNode &child : root.children)
        write(writer, child);
    writer.writeEndElement();
    writer.writeEndDocument();
    return bytes;
}

} // namespace rotalina::invoicing
