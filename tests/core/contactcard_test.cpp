#include "core/contactcard.h"
#include "core/textfile.h"
#include "support/externalreader.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina::core;
using rotalina::test::ExternalReading;
using rotalina::test::readWithPython;
using E = ContactRecord::Element;

namespace {

ContactRecord fullContact()
{
    ContactRecord c;
    c[E::FamilyName] = QStringLiteral("Rossi");
    c[E::GivenName] = QStringLiteral("Mario");
    c[E::FormattedName] = QStringLiteral("Trasporti Rossi; S.r.l.");
    c[E::Title] = QStringLiteral("Titolare");
    c[E::WorkPhone1] = QStringLiteral("0521 123456");
    c[E::WorkPhone2] = QStringLiteral("0521 654321");
    c[E::WorkFax] = QStringLiteral("0521 000000");
    c[E::WorkMobile1] = QStringLiteral("333 1234567");
    c[E::HomeMobile1] = QStringLiteral("347 7654321");
    c[E::WorkEmail1] = QStringLiteral("info@rossi.example");
    c[E::WorkEmail2] = QStringLiteral("amministrazione@rossi.example");
    c[E::HomeEmail1] = QStringLiteral("mario@casa.example");
    c[E::WorkUrl] = QStringLiteral("https://rossi.example");
    c[E::WorkStreet] = QStringLiteral("Via Emilia");
    c[E::WorkHouseNumber] = QStringLiteral("12/A");
    c[E::WorkTown] = QStringLiteral("Parma");
    c[E::WorkRegion] = QStringLiteral("PR");
    c[E::WorkPostalCode] = QStringLiteral("43121");
    c[E::Note] = QStringLiteral("Consegne solo al mattino\nChiamare prima");
    c[E::Categories] = QStringLiteral("Clienti");
    c[E::UidSecondPart] = QStringLiteral("cliente-42");
    return c;
}

} // namespace

TEST(VCard, OnlyAFormattedName)
{
    ContactRecord c;
    c[E::FormattedName] = QStringLiteral("Autotrasporti Bianchi");
    EXPECT_EQ(scriviVCard(c), QStringLiteral("\nBEGIN:VCARD\nVERSION:4.0\nFN:Autotrasporti Bianchi\n"
                                             "ORG:Autotrasporti Bianchi\nEND:VCARD\n"));
}

TEST(VCard, WritesTheDocumentedLines)
{
    ContactRecord c;
    c[E::FamilyName] = QStringLiteral("Verdi");
    c[E::GivenName] = QStringLiteral("Anna");
    c[E::HomeUrl] = QStringLiteral("https://a;b,c.example");
    c[E::HomeStreet] = QStringLiteral("Via Roma");
    c[E::HomeHouseNumber] = QStringLiteral("5");
    c[E::HomeTown] = QStringLiteral("Modena");
    c[E::HomeRegion] = QStringLiteral("MO");
    c[E::HomePostalCode] = QStringLiteral("41121");
    c[E::Revision] = QStringLiteral("20240314");
    const QString text = scriviVCard(c);
    EXPECT_TRUE(text.contains(QStringLiteral("\nFN:Anna Verdi\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nN:Verdi;Anna;;;\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nURL;HOME:https://abc.example\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nADR;HOME:;;Via Roma N°5;Modena;MO;41121\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nREV:20240314T195243Z\n")));
    EXPECT_FALSE(text.contains(u'\r'));
    EXPECT_FALSE(text.contains(QStringLiteral("ORG:")));
}

TEST(VCard, ReadsBackWhatItWrites)
{
    const ContactRecord written = fullContact();
    ContactRecord expected = written;
    expected[E::FormattedName] = QStringLiteral("Trasporti Rossi, S.r.l."); // ";" is not kept in values
    EXPECT_EQ(leggiVCard(scriviVCard(written)), expected);
}

TEST(VCard, ReadsCardsOfOtherAddressBooks)
{
    const QString text =
        QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Luca Neri\r\nN:Neri;Luca;;Dott.;\r\n"
                       "TEL;TYPE=HOME,VOICE:051 111\r\nTEL;TYPE=CELL:340 222\r\n"
                       "EMAIL;TYPE=INTERNET:luca@neri.example\r\n"
                       "NOTE:prima riga\\nseconda riga\r\n ancora\r\nX-CUSTOM:ignorato\r\nEND:VCARD\r\n");
    const ContactRecord c = leggiVCard(text);
    EXPECT_EQ(c[E::FamilyName], QStringLiteral("Neri"));
    EXPECT_EQ(c[E::NamePrefix], QStringLiteral("Dott."));
    EXPECT_EQ(c[E::FormattedName], QStringLiteral("Luca Neri"));
    EXPECT_EQ(c[E::HomePhone1], QStringLiteral("051 111"));
    EXPECT_EQ(c[E::WorkMobile1], QStringLiteral("340 222"));
    EXPECT_EQ(c[E::WorkEmail1], QStringLiteral("luca@neri.example"));
    EXPECT_EQ(c[E::Note], QStringLiteral("prima riga\nseconda rigaancora"));
    EXPECT_EQ(leggiVCard(QStringLiteral("no card here")), ContactRecord());
}

TEST(VCard, EmbedsThePictureFile)
{
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("logo.jpg"));
    ASSERT_TRUE(writeTextFile(photo, QStringLiteral("JPEGDATA")).ok());
    ContactRecord c;
    c[E::FormattedName] = QStringLiteral("Ditta");
    c[E::PhotoFile] = photo;
    EXPECT_TRUE(scriviVCard(c).contains(QStringLiteral("\nPHOTO;MEDIATYPE=image/jpeg:SlBFR0RBVEE=\n")));
    c[E::PhotoFile] = dir.filePath(QStringLiteral("missing.png"));
    EXPECT_FALSE(scriviVCard(c).contains(QStringLiteral("PHOTO")));
}

TEST(VCard, AnIndependentReaderUnderstandsIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rossi.vcf"));
    ASSERT_TRUE(writeTextFile(file, scriviVCard(fullContact())).ok());
    const QString script = QStringLiteral(R"(
import json, sys, vobject
card = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
print(json.dumps({
  'fn': card.fn.value,
  'family': card.n.value.family,
  'given': card.n.value.given,
  'tel': sorted(t.value for t in card.contents.get('tel', [])),
  'email': sorted(e.value for e in card.contents.get('email', [])),
  'street': card.adr.value.street,
  'city': card.adr.value.city,
  'code': card.adr.value.code,
  'note': card.note.value,
}))
)");
    const ExternalReading reading = readWithPython(QStringLiteral("vobject"), script, file);
    if (reading.skipped)
        GTEST_SKIP() << reading.message.toStdString();
    ASSERT_TRUE(reading.ok) << reading.message.toStdString();
    const QJsonObject card = reading.json.object();
    EXPECT_EQ(card[QStringLiteral("fn")].toString(), QStringLiteral("Trasporti Rossi, S.r.l."));
    EXPECT_EQ(card[QStringLiteral("family")].toString(), QStringLiteral("Rossi"));
    EXPECT_EQ(card[QStringLiteral("given")].toString(), QStringLiteral("Mario"));
    EXPECT_EQ(card[QStringLiteral("tel")].toArray().size(), 5);
    EXPECT_EQ(card[QStringLiteral("email")].toArray().size(), 3);
    EXPECT_EQ(card[QStringLiteral("street")].toString(), QStringLiteral("Via Emilia N°12/A"));
    EXPECT_EQ(card[QStringLiteral("city")].toString(), QStringLiteral("Parma"));
    EXPECT_EQ(card[QStringLiteral("code")].toString(), QStringLiteral("43121"));
    EXPECT_EQ(card[QStringLiteral("note")].toString(),
              QStringLiteral("Consegne solo al mattino\nChiamare prima"));
}
