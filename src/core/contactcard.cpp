#include "core/contactcard.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace rotalina::core {

namespace {

using E = ContactRecord::Element;

// Backslashes and line breaks are escaped so that a multi-line note stays on its line, and in
// text values commas too, which address books would otherwise read as separating several values.
QString escaped(QString value, bool text)
{
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.remove(u'\r');
    value.replace(u'\n', QStringLiteral("\\n"));
    if (text)
        value.replace(u',', QStringLiteral("\\,"));
    return value;
}

QString unescaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            out += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else {
            out += c;
        }
    }
    return out;
}

class CardWriter
{
public:
    explicit CardWriter(const ContactRecord &contact) : m_contact(contact) {}

    QString value(E element) const
    {
        QString v = m_contact[element];
        if (element == E::HomeUrl) {
            v.remove(u';');
            v.remove(u',');
        } else {
            v.replace(u';', u',');
        }
        // Lists and addresses keep their commas: categories, web addresses, the position.
        const bool text = element != E::Categories && element != E::HomeUrl && element != E::WorkUrl &&
                          element != E::GeoPosition;
        return escaped(v, text);
    }
    bool has(E element) const { return !m_contact[element].isEmpty(); }
    void line(const QString &text) { m_text += text + u'\n'; }
    void lineIfSet(const QString &property, E element)
    {
        if (has(element))
            line(property + value(element));
    }
    QString text() const { return m_text; }

private:
    const ContactRecord &m_contact;
    QString m_text;
};

QString photoLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString type = QFileInfo(path).suffix().toLower();
    if (type == u"jpg")
        type = QStringLiteral("jpeg");
    return QStringLiteral("PHOTO;MEDIATYPE=image/") + type + u':' +
           QString::fromLatin1(file.readAll().toBase64());
}

QString address(const CardWriter &w, E street, E houseNumber, E town, E region, E postalCode)
{
    QString streetText = w.value(street);
    if (w.has(houseNumber))
        streetText += QStringLiteral(" N°") + w.value(houseNumber);
    return QStringLiteral(";;") + streetText + u';' + w.value(town) + u';' + w.value(region) + u';' +
           w.value(postalCode);
}

void fillFirstEmpty(ContactRecord &contact, std::initializer_list<E> candidates, const QString &value)
{
    for (E slot : candidates) {
        if (contact[slot].isEmpty()) {
            contact[slot] = value;
            return;
        }
    }
}

// A value written as date plus the fixed time of day is read back as the date alone.
QString withoutFixedTime(const QString &value)
{
    static const QRegularExpression stamped(QStringLiteral(R"(^(\d{8})T\d{6}Z$)"));
    const QRegularExpressionMatch match = stamped.match(value);
    return match.hasMatch() ? match.captured(1) : value;
}

void readAddress(ContactRecord &contact, bool home, const QString &value)
{
    const QStringList pieces = value.split(u';');
    const auto piece = [&](int i) {
        return i < pieces.size() ? unescaped(pieces.at(i)) : QString();
    };
    QString street = piece(2);
    QString houseNumber;
    const qsizetype mark = street.lastIndexOf(QStringLiteral(" N°"));
    if (mark >= 0) {
        houseNumber = street.mid(mark + 3);
        street = street.left(mark);
    }
    contact[home ? E::HomeStreet : E::WorkStreet] = street;
    contact[home ? E::HomeHouseNumber : E::WorkHouseNumber] = houseNumber;
    contact[home ? E::HomeTown : E::WorkTown] = piece(3);
    contact[home ? E::HomeRegion : E::WorkRegion] = piece(4);
    contact[home ? E::HomePostalCode : E::WorkPostalCode] = piece(5);
}

void readTelephone(ContactRecord &contact, const QString &params, const QString &value)
{
    const bool home = params.contains(u"HOME");
    if (params.contains(u"FAX"))
        fillFirstEmpty(contact, {home ? E::HomeFax : E::WorkFax}, value);
    else if (params.contains(u"CELL"))
        fillFirstEmpty(contact,
                       home ? std::initializer_list<E>{E::HomeMobile1, E::HomeMobile2}
                            : std::initializer_list<E>{E::WorkMobile1, E::WorkMobile2},
                       value);
    else
        fillFirstEmpty(contact,
                       home ? std::initializer_list<E>{E::HomePhone1, E::HomePhone2}
                            : std::initializer_list<E>{E::WorkPhone1, E::WorkPhone2},
                       value);
}

// Physical lines joined: a line that starts with a blank continues the previous one.
QStringList unfoldedLines(const QString &text)
{
    QStringList lines;
    for (QString line : QString(text).remove(u'\r').split(u'\n')) {
        if ((line.startsWith(u' ') || line.startsWith(u'\t')) && !lines.isEmpty())
            lines.last() += line.mid(1);
        else
            lines.append(line);
    }
    return lines;
}

} // namespace

QString scriviVCard(const ContactRecord &contact)
{
    CardWriter w(contact);
    w.line(QString());
    w.line(QStringLiteral("BEGIN:VCARD"));
    w.line(QStringLiteral("VERSION:4.0"));
    if (w.has(E::FormattedName))
        w.line(QStringLiteral("FN:") + w.value(E::FormattedName));
    else if (w.has(E::FamilyName))
        w.line(QStringLiteral("FN:") + w.value(E::GivenName) + u' ' + w.value(E::FamilyName));
    if (w.has(E::FamilyName))
        w.line(QStringLiteral("N:") + w.value(E::FamilyName) + u';' + w.value(E::GivenName) + u';' +
               w.value(E::AdditionalNames) + u';' + w.value(E::NamePrefix) + u';' + w.value(E::NameSuffix));
    w.lineIfSet(QStringLiteral("CATEGORIES:"), E::Categories);
    w.lineIfSet(QStringLiteral("URL;HOME:"), E::HomeUrl);
    w.lineIfSet(QStringLiteral("URL;WORK:"), E::WorkUrl);
    w.lineIfSet(QStringLiteral("ORG:"), E::FormattedName);
    w.lineIfSet(QStringLiteral("TITLE:"), E::Title);
    if (w.has(E::PhotoFile)) {
        const QString photo = photoLine(contact[E::PhotoFile]);
        if (!photo.isEmpty())
            w.line(photo);
    }
    w.lineIfSet(QStringLiteral("TEL;HOME;VOICE:"), E::HomePhone1);
    w.lineIfSet(QStringLiteral("TEL;HOME;VOICE:"), E::HomePhone2);
    w.lineIfSet(QStringLiteral("TEL;WORK;VOICE:"), E::WorkPhone1);
    w.lineIfSet(QStringLiteral("TEL;WORK;VOICE:"), E::WorkPhone2);
    w.lineIfSet(QStringLiteral("TEL;HOME;FAX;VOICE:"), E::HomeFax);
    w.lineIfSet(QStringLiteral("TEL;WORK;FAX;VOICE:"), E::WorkFax);
    w.lineIfSet(QStringLiteral("TEL;HOME;CELL;VOICE:"), E::HomeMobile1);
    w.lineIfSet(QStringLiteral("TEL;HOME;CELL;VOICE:"), E::HomeMobile2);
    w.lineIfSet(QStringLiteral("TEL;WORK;CELL;VOICE:"), E::WorkMobile1);
    w.lineIfSet(QStringLiteral("TEL;WORK;CELL;VOICE:"), E::WorkMobile2);
    for (E email : {E::HomeEmail1, E::HomeEmail2, E::HomeEmail3, E::HomeEmail4})
        w.lineIfSet(QStringLiteral("EMAIL;HOME;PREF;INTERNET:"), email);
    for (E email : {E::WorkEmail1, E::WorkEmail2, E::WorkEmail3, E::WorkEmail4})
        w.lineIfSet(QStringLiteral("EMAIL;WORK;PREF;INTERNET:"), email);
    if (w.has(E::HomeStreet))
        w.line(QStringLiteral("ADR;HOME:") +
               address(w, E::HomeStreet, E::HomeHouseNumber, E::HomeTown, E::HomeRegion, E::HomePostalCode));
    if (w.has(E::WorkStreet))
        w.line(QStringLiteral("ADR;WORK:") +
               address(w, E::WorkStreet, E::WorkHouseNumber, E::WorkTown, E::WorkRegion, E::WorkPostalCode));
    const QString uid = w.value(E::UidSecondPart) + w.value(E::UidFirstPart);
    if (!uid.isEmpty())
        w.line(QStringLiteral("UID:") + uid);
    w.lineIfSet(QStringLiteral("NOTE:"), E::Note);
    w.lineIfSet(QStringLiteral("ROLE:"), E::Role);
    w.lineIfSet(QStringLiteral("GEO:geo:"), E::GeoPosition);
    w.lineIfSet(QStringLiteral("KEY:"), E::Key);
    if (w.has(E::Revision))
        w.line(QStringLiteral("REV:") + w.value(E::Revision) + QStringLiteral("T195243Z"));
    if (w.has(E::Birthday))
        w.line(QStringLiteral("BDAY:") + w.value(E::Birthday) + QStringLiteral("T195243Z"));
    w.lineIfSet(QStringLiteral("LABEL:"), E::Label);
    w.line(QStringLiteral("END:VCARD"));
    return w.text();
}

ContactRecord leggiVCard(const QString &text)
{
    ContactRecord contact;
    bool inside = false;
    for (const QString &line : unfoldedLines(text)) {
        const QString upper = line.trimmed().toUpper();
        if (upper == u"BEGIN:VCARD") {
            inside = true;
            continue;
        }
        if (upper == u"END:VCARD")
            break;
        const qsizetype colon = line.indexOf(u':');
        if (!inside || colon < 0)
            continue;
        const QString head = line.left(colon).toUpper();
        const QString property = head.section(u';', 0, 0);
        const QString params = head.section(u';', 1);
        const QString raw = line.mid(colon + 1);
        const QString value = unescaped(raw);

        if (property == u"N") {
            const QStringList parts = raw.split(u';');
            for (int i = 0; i < 5; ++i)
                contact[static_cast<E>(E::FamilyName + i)] =
                    i < parts.size() ? unescaped(parts.at(i)) : QString();
        } else if (property == u"FN" || property == u"NAME") {
            if (contact[E::FormattedName].isEmpty())
                contact[E::FormattedName] = value;
        } else if (property == u"ORG") {
            contact[E::FormattedName] = value;
        } else if (property == u"UID") {
            contact[E::UidSecondPart] = value;
        } else if (property == u"TITLE") {
            contact[E::Title] = value;
        } else if (property == u"PHOTO") {
            contact[E::PhotoFile] = value;
        } else if (property == u"LABEL") {
            contact[E::Label] = value;
        } else if (property == u"NOTE") {
            contact[E::Note] = value;
        } else if (property == u"ROLE") {
            contact[E::Role] = value;
        } else if (property == u"GEO") {
            contact[E::GeoPosition] = value.startsWith(u"geo:") ? value.mid(4) : value;
        } else if (property == u"KEY") {
            contact[E::Key] = value;
        } else if (property == u"CATEGORIES") {
            contact[E::Categories] = value;
        } else if (property == u"REV") {
            contact[E::Revision] = withoutFixedTime(value);
        } else if (property == u"BDAY") {
            contact[E::Birthday] = withoutFixedTime(value);
        } else if (property == u"TEL") {
            readTelephone(contact, params, value);
        } else if (property == u"EMAIL") {
            if (params.contains(u"HOME"))
                fillFirstEmpty(contact, {E::HomeEmail1, E::HomeEmail2, E::HomeEmail3, E::HomeEmail4}, value);
            else
                fillFirstEmpty(contact, {E::WorkEmail1, E::WorkEmail2, E::WorkEmail3, E::WorkEmail4}, value);
        } else if (property == u"URL") {
            contact[params.contains(u"HOME") ? E::HomeUrl : E::WorkUrl] = value;
        } else if (property == u"ADR") {
            readAddress(contact, params.contains(u"HOME"), raw);
        }
    }
    return contact;
}

} // namespace rotalina::core
