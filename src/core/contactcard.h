#pragma once

#include <QString>
#include <array>

namespace rotalina::core {

// A contact as the registries exchange it with address books: 48 text elements, an empty
// element meaning that the item is absent.
class ContactRecord
{
public:
    enum Element {
        FamilyName = 0,
        GivenName,
        AdditionalNames,
        NamePrefix,
        NameSuffix,
        FormattedName, // also the organisation
        Title,
        PhotoFile,
        HomePhone1,
        HomePhone2,
        HomeFax,
        WorkPhone1,
        WorkPhone2,
        WorkFax,
        HomeMobile1,
        HomeMobile2,
        WorkMobile1,
        WorkMobile2,
        HomeEmail1,
        HomeEmail2,
        HomeEmail3,
        HomeEmail4,
        WorkEmail1,
        WorkEmail2,
        WorkEmail3,
        WorkEmail4,
        HomeUrl,
        WorkUrl,
        HomeStreet,
        WorkStreet,
        HomeRegion,
        WorkRegion,
        HomeTown,
        WorkTown,
        HomeHouseNumber,
        WorkHouseNumber,
        HomePostalCode,
        WorkPostalCode,
        Label,
        UidFirstPart,
        UidSecondPart,
        Note,
        Role,
        Revision,
        Birthday,
        Key,
        GeoPosition,
        Categories,
        ElementCount
    };

    const QString &operator[](Element element) const { return m_elements[element]; }
    QString &operator[](Element element) { return m_elements[element]; }
    bool operator==(const ContactRecord &other) const = default;

private:
    std::array<QString, ElementCount> m_elements;
};

// The vCard 4.0 text of a contact, lines ended by a single line feed. A picture named in
// PhotoFile is embedded in Base64 when the file can be read.
QString scriviVCard(const ContactRecord &contact);

// The contact of the first vCard in the text (an empty record when there is none).
ContactRecord leggiVCard(const QString &text);

} // namespace rotalina::core
