#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace rotalina::invoicing {

// What the exchange system accepts in one element of an electronic invoice: the value types of the
// FatturaPA 1.2.2 schema that the program writes.
enum class ValueType {
    Text10,         // basic Latin, 1-10
    Text15,         // basic Latin, 1-15
    Text20,         // basic Latin, 1-20
    Text35,         // basic Latin, 1-35
    Text60,         // basic Latin, 1-60
    Text35LatinExt, // any character, 1-35
    Latin60,        // Latin-1, 1-60
    Latin80,
    Latin100,
    Latin200,
    Latin1000,
    Title,         // basic Latin, 2-10
    HouseNumber,   // basic Latin, 1-8
    Phone,         // basic Latin, 5-12
    ContactEmail,  // 7-256, something@something.something
    CertifiedMail, // a plain e-mail address
    IdCode,        // 1-28
    FiscalCode,    // 11-16 capital letters or digits
    EoriCode,      // 13-17
    Country,       // two capital letters
    Province,      // two capital letters
    Currency,      // three capital letters
    DeliveryTerms, // three capital letters
    PostCode,      // five digits
    RecipientCode, // six or seven capital letters or digits
    Iban,
    Amount2,
    Amount8,
    Quantity,
    Rate,
    LineNumber, // 1-9999
    Date,
    Base64,
    Code, // one of a list, checked where it is made
};

// One element of the document being written: a value with the place where the user fixes it
// ("Cliente: CAP"), or a group of elements.
struct XmlNode
{
    QString name;
    QString text;
    ValueType type = ValueType::Code;
    QString fix;
    QStringList allowed; // the accepted codes of a ValueType::Code element (empty: any)
    QList<XmlNode> children;
    bool leaf = false;

    XmlNode &group(const QString &childName);
    XmlNode &add(const QString &childName, const QString &value, ValueType valueType, const QString &where);
    // Adds the element only when the value is not empty.
    void addIf(const QString &childName, const QString &value, ValueType valueType, const QString &where);
    const XmlNode *child(const QString &childName) const;
    QList<const XmlNode *> all(const QString &childName) const;
};

// A problem that the exchange system would reject, with the place to fix it and its error code.
struct EInvoiceProblem
{
    QString fix;
    QString message;
    QString code; // the exchange system's error code, or empty
    QString title;
    QString suggestion;

    QString text() const; // "Cliente: CAP: ... [00200]"
};

namespace einvoice_format {
QString amount2(double value);  // 1234.5 -> "1234.50", never "-0.00"
QString amount8(double value);  // 2 to 8 decimals: 12.345 -> "12.345", 12 -> "12.00"
QString quantity(double value); // as amount8, without sign
QString rate(double value);     // 22 -> "22.00"
QString date(const QDate &date);
QString shortInteger(qint64 value); // the first four digits
} // namespace einvoice_format

// A text the schema accepts: typographic signs made plain ("€" -> "EUR", quotes, dashes), letters
// without their accents where only basic Latin is allowed, control characters dropped, blanks at
// the ends removed. Characters with no readable equivalent are kept and reported by the checks.
QString acceptableText(const QString &text, bool latin1Allowed);
// A code as the schema writes it: capitals, no blanks.
QString codeText(const QString &text);

// The schema rules of every element of the tree, in document order.
QList<EInvoiceProblem> schemaProblems(const XmlNode &root);

// The document in UTF-8: only the root element bears the prefix "p".
QByteArray serialise(const XmlNode &root, const QString &transmissionFormat);

} // namespace rotalina::invoicing
