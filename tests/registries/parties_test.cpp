#include "core/textfile.h"
#include "registries/parties.h"
#include "support/externalreader.h"
#include "support/testarchive.h"

#include <QDir>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using registries::DuplicateAction;

namespace {

QVariant stored(storage::Archive &archive, const QString &sql, const QVariantList &params = {})
{
    const core::Result<QVariant> value = archive.scalar(sql, params);
    EXPECT_TRUE(value) << value.error().toStdString();
    return value ? *value : QVariant();
}

QStringList refusals(const shell::RecordChecks &checks, QVariantMap values, const QVariantMap &fixes)
{
    QStringList shown;
    while (const auto failure = checks.firstFailure(values)) {
        // A fix that does not mend the field ends the list at its message.
        if (!shown.isEmpty() && shown.last() == failure->message)
            break;
        shown.append(failure->message);
        if (!fixes.contains(failure->field))
            break;
        values.insert(failure->field, fixes.value(failure->field));
    }
    return shown;
}

} // namespace

TEST(Customers, ComposedNamesOfCompaniesAndPrivatePersons)
{
    const auto company =
        registries::composeCustomerNames(QStringLiteral("Alfa Logistica S.p.A."), QStringLiteral("Rossi"),
                                         QStringLiteral("Mario"), QStringLiteral("RSSMRA80A01L781X"));
    EXPECT_EQ(company.documents, QStringLiteral("Alfa Logistica S.p.A."));
    EXPECT_EQ(company.displayed, QStringLiteral("Alfa Logistica S.p.A."));
    const auto person = registries::composeCustomerNames(
        QString(), QStringLiteral("Rossi"), QStringLiteral("Mario"), QStringLiteral("RSSMRA80A01L781X"));
    EXPECT_EQ(person.documents, QStringLiteral("Rossi Mario"));
    EXPECT_EQ(person.displayed, QStringLiteral("Rossi Mario - RSSMRA80A01L781X"));
    // A one-letter company name counts as none.
    const auto letter = registries::composeCustomerNames(QStringLiteral("X"), QStringLiteral("Bianchi"),
                                                         QStringLiteral("Anna"), QString());
    EXPECT_EQ(letter.documents, QStringLiteral("Bianchi Anna"));
    EXPECT_EQ(letter.displayed, QStringLiteral("Bianchi Anna"));
}

TEST(Customers, CardChecksInTheirOrder)
{
    const QVariantMap fixes{{QStringLiteral("Cliente"), QString()},
                            {QStringLiteral("Nome"), QStringLiteral("Mario")},
                            {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                            {QStringLiteral("Sede_Nazione"), QStringLiteral("IT")},
                            {QStringLiteral("Citta"), QStringLiteral("Verona")},
                            {QStringLiteral("Cap"), QStringLiteral("37100")},
                            {QStringLiteral("Via"), QStringLiteral("Via Roma 1")}};
    QVariantMap person{{QStringLiteral("Cognome"), QStringLiteral("Rossi")}};
    EXPECT_EQ(refusals(registries::customerChecks(), person, fixes),
              (QStringList{QStringLiteral("Attenzione manca il Nome"),
                           QStringLiteral("Attenzione manca nazionalità!"),
                           QStringLiteral("Attenzione manca nazione della sede!"),
                           QStringLiteral("Attenzione manca il comune della sede!"),
                           QStringLiteral("Attenzione manca il cap della sede!"),
                           QStringLiteral("Attenzione manca l'indirizzo della sede!")}));
    EXPECT_EQ(registries::customerChecks().firstFailure({})->message,
              QStringLiteral("Attenzione manca la ragione sociale o il cognome del Cliente "));

    QVariantMap complete{{QStringLiteral("Cliente"), QStringLiteral("Müller GmbH")},
                         {QStringLiteral("IdPaese"), QStringLiteral("DE")},
                         {QStringLiteral("Sede_Nazione"), QStringLiteral("DE")},
                         {QStringLiteral("Citta"), QStringLiteral("München")},
                         {QStringLiteral("Cap"), QStringLiteral("80331")},
                         {QStringLiteral("Via"), QStringLiteral("Marienplatz 1")},
                         {QStringLiteral("Iva"), QStringLiteral("DE129273398")}};
    // A foreign company needs the recipient code of seven x, in any case.
    EXPECT_EQ(
        registries::customerChecks().firstFailure(complete)->message,
        QStringLiteral("Attenzione per le aziende straniere il codice destinatario deve essere XXXXXXX!"));
    complete.insert(QStringLiteral("Codice"), QStringLiteral("xxxxxxx"));
    EXPECT_FALSE(registries::customerChecks().firstFailure(complete));
    // A public administration needs its office code.
    QVariantMap office = complete;
    office.insert(QStringLiteral("PubblicaAmministrazione"), true);
    EXPECT_EQ(registries::customerChecks().firstFailure(office)->message,
              QStringLiteral("Attenzione manca il codice destinatario - codice univoco"));

    QVariantMap establishment = complete;
    establishment.insert(QStringLiteral("StabileOrganizzazione"), true);
    EXPECT_EQ(
        refusals(registries::customerChecks(), establishment,
                 {{QStringLiteral("StabileOrganizzazione_Indirizzo"), QStringLiteral("Via Torino 3")},
                  {QStringLiteral("StabileOrganizzazione_CAP"), QStringLiteral("2012")},
                  {QStringLiteral("StabileOrganizzazione_Comune"), QStringLiteral("Milano")}}),
        (QStringList{
            QStringLiteral("Attenzione manca l'Indirizzo dello Stabile dell'organizzazione"),
            QStringLiteral("Attenzione manca il Cap dello Stabile dell'organizzazione"),
            QStringLiteral(
                "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 Caratteri !")}));
    QVariantMap representative = complete;
    representative.insert(QStringLiteral("RappresentanteFiscale"), true);
    EXPECT_EQ(refusals(registries::customerChecks(), representative,
                       {{QStringLiteral("RappresentanteFiscale_IdCodice"), QStringLiteral("01234567897")},
                        {QStringLiteral("RappresentanteFiscale_Nazione"), QStringLiteral("IT")}}),
              (QStringList{QStringLiteral("Attenzione manca la Partita Iva"),
                           QStringLiteral("Attenzione manca la Nazione"),
                           QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome")}));
}

TEST(Customers, SavingComposesNamesAndCopiesThemIntoEveryDocumentTable)
{
    auto archive = test::newArchive();
    const qint64 customer = registries::addCustomer(*archive).value();
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT NumeroColore FROM Clienti WHERE Id = ?"), {customer}).toInt(),
        16777215);
    EXPECT_EQ(stored(*archive, QStringLiteral("SELECT Sede_Nazione FROM Clienti WHERE Id = ?"), {customer})
                  .toString(),
              QStringLiteral("IT"));
    const QStringList tables{QStringLiteral("fattura"),         QStringLiteral("Calendario"),
                             QStringLiteral("CommesseBancali"), QStringLiteral("DistinteCaricoTestata"),
                             QStringLiteral("PreventiTestata"), QStringLiteral("prezziar"),
                             QStringLiteral("TotaliCo")};
    const QStringList keys{QStringLiteral("Cliente_ID"), QStringLiteral("Cliente_ID"),
                           QStringLiteral("Cliente_Id"), QStringLiteral("Cliente_Id"),
                           QStringLiteral("Cliente_ID"), QStringLiteral("Cliente_ID"),
                           QStringLiteral("Cliente_Id")};
    const qint64 other = registries::addCustomer(*archive).value();
    for (qsizetype i = 0; i < tables.size(); ++i) {
        test::addRow(*archive, tables.at(i),
                     {{keys.at(i), customer}, {QStringLiteral("Cliente"), QStringLiteral("vecchio")}});
        test::addRow(*archive, tables.at(i),
                     {{keys.at(i), other}, {QStringLiteral("Cliente"), QStringLiteral("altro")}});
    }
    ASSERT_TRUE(
        registries::saveCustomer(*archive, customer,
                                 {{QStringLiteral("Cognome"), QStringLiteral("D'Angelo")},
                                  {QStringLiteral("Nome"), QStringLiteral("Lucia")},
                                  {QStringLiteral("CodFiscale"), QStringLiteral("DNGLCU80A41A944X")}}));
    EXPECT_EQ(stored(*archive, QStringLiteral("SELECT NominativoVisualizzato FROM Clienti WHERE Id = ?"),
                     {customer})
                  .toString(),
              QStringLiteral("D'Angelo Lucia - DNGLCU80A41A944X"));
    for (qsizetype i = 0; i < tables.size(); ++i) {
        EXPECT_EQ(stored(*archive,
                         QStringLiteral("SELECT Cliente FROM %1 WHERE %2 = ?").arg(tables.at(i), keys.at(i)),
                         {customer})
                      .toString(),
                  QStringLiteral("D'Angelo Lucia"))
            << tables.at(i).toStdString();
        EXPECT_EQ(stored(*archive,
                         QStringLiteral("SELECT Cliente FROM %1 WHERE %2 = ?").arg(tables.at(i), keys.at(i)),
                         {other})
                      .toString(),
                  QStringLiteral("altro"));
    }
    // Editing only the first name recomposes the names too.
    ASSERT_TRUE(registries::saveCustomer(*archive, customer,
                                         {{QStringLiteral("Nome"), QStringLiteral("Lucia Maria")}}));
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT Cliente FROM TotaliCo WHERE Cliente_Id = ?"), {customer})
            .toString(),
        QStringLiteral("D'Angelo Lucia Maria"));
}

TEST(Customers, PublicAdministrationFlagChangesTheFormatOfItsInvoices)
{
    auto archive = test::newArchive();
    const qint64 customer = registries::addCustomer(*archive).value();
    ASSERT_TRUE(registries::saveCustomer(*archive, customer,
                                         {{QStringLiteral("Cliente"), QStringLiteral("Comune di Verona")}}));
    const qint64 invoice =
        test::addRow(*archive, QStringLiteral("fattura"),
                     {{QStringLiteral("Cliente_ID"), customer},
                      {QStringLiteral("DatiTrasmissione_FormatoTrasmissione"), QStringLiteral("FPR12")}});
    const auto format = [&] {
        return stored(*archive,
                      QStringLiteral("SELECT DatiTrasmissione_FormatoTrasmissione FROM fattura WHERE ID = ?"),
                      {invoice})
            .toString();
    };
    ASSERT_TRUE(
        registries::saveCustomer(*archive, customer, {{QStringLiteral("PubblicaAmministrazione"), true}}));
    EXPECT_EQ(format(), QStringLiteral("FPA12"));
    ASSERT_TRUE(
        registries::saveCustomer(*archive, customer, {{QStringLiteral("PubblicaAmministrazione"), true}}));
    EXPECT_EQ(format(), QStringLiteral("FPA12"));
    ASSERT_TRUE(
        registries::saveCustomer(*archive, customer, {{QStringLiteral("PubblicaAmministrazione"), false}}));
    EXPECT_EQ(format(), QStringLiteral("FPR12"));
}

TEST(Customers, PaymentsMoveTheOpeningBalanceAndDeleteGoesWithTheCustomer)
{
    auto archive = test::newArchive();
    const qint64 customer = registries::addCustomer(*archive).value();
    ASSERT_TRUE(
        archive->update(QStringLiteral("Clienti"), customer, {{QStringLiteral("SaldoInizioAnno"), 1000.0}}));
    const auto balance = [&] {
        return stored(*archive, QStringLiteral("SELECT SaldoInizioAnno FROM Clienti WHERE Id = ?"),
                      {customer})
            .toDouble();
    };
    const registries::PaymentTable payments = registries::customerPayments();
    const qint64 payment =
        test::addRow(*archive, QStringLiteral("ClientiPagamenti"),
                     {{QStringLiteral("Cliente_id"), customer}, {QStringLiteral("Importo"), 0.0}});
    QVariantMap values{{QStringLiteral("Data"), QDate(2026, 12, 1)},
                       {QStringLiteral("Operazione"), QStringLiteral("Acconto")},
                       {QStringLiteral("Importo"), 250.0}};
    ASSERT_TRUE(registries::savePayment(*archive, payments, payment, values));
    EXPECT_DOUBLE_EQ(balance(), 750) << "the first save lowers the balance by the whole amount";
    ASSERT_TRUE(registries::savePayment(*archive, payments, payment, values));
    EXPECT_DOUBLE_EQ(balance(), 750);
    values.insert(QStringLiteral("Importo"), 200.0);
    ASSERT_TRUE(registries::savePayment(*archive, payments, payment, values));
    EXPECT_DOUBLE_EQ(balance(), 800);
    ASSERT_TRUE(
        registries::savePayment(*archive, payments, payment, {{QStringLiteral("Note"), QStringLiteral("x")}}))
        << "a save of the note alone keeps what is stored";
    EXPECT_DOUBLE_EQ(balance(), 800);
    values.insert(QStringLiteral("Operazione"), QString());
    const core::Status refused = registries::savePayment(*archive, payments, payment, values);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione manca l'Operazione"));
    ASSERT_TRUE(registries::deletePayment(*archive, payments, payment));
    EXPECT_DOUBLE_EQ(balance(), 1000);

    test::addRow(*archive, QStringLiteral("ClientiPagamenti"),
                 {{QStringLiteral("Cliente_id"), customer}, {QStringLiteral("Importo"), 5.0}});
    const qint64 invoice = test::addRow(
        *archive, QStringLiteral("fattura"),
        {{QStringLiteral("Cliente_ID"), customer}, {QStringLiteral("Cliente"), QStringLiteral("Tenuto")}});
    ASSERT_TRUE(registries::deleteCustomer(*archive, customer));
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM ClientiPagamenti WHERE Cliente_id = ?"),
                          {customer}),
              0);
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT Cliente FROM fattura WHERE ID = ?"), {invoice}).toString(),
        QStringLiteral("Tenuto"));
}

TEST(Customers, VatNumberAndFiscalCodeWarnings)
{
    auto archive = test::newArchive();
    const qint64 first = registries::addCustomer(*archive).value();
    const qint64 second = registries::addCustomer(*archive).value();
    ASSERT_TRUE(registries::saveCustomer(*archive, first,
                                         {{QStringLiteral("Cliente"), QStringLiteral("Alfa")},
                                          {QStringLiteral("Iva"), QStringLiteral("01234567897")},
                                          {QStringLiteral("CodFiscale"), QStringLiteral("01234567897")}}));
    EXPECT_EQ(registries::vatNumberWarnings(*archive, QStringLiteral("Clienti"), second,
                                            QStringLiteral("01234567890"),
                                            registries::customerDuplicateMessage()),
              QStringList{QStringLiteral("Attenzione la partita Iva appena inserita non è valida!!!")});
    EXPECT_EQ(registries::vatNumberWarnings(*archive, QStringLiteral("Clienti"), second,
                                            QStringLiteral("01234567897"),
                                            registries::customerDuplicateMessage()),
              (QStringList{
                  QStringLiteral("Attenzione la partita Iva 01234567897 è già presente in altri 1 Record."),
                  QStringLiteral("Attenzione si è caricato un cliente già presente in archivio")}));
    EXPECT_TRUE(registries::vatNumberWarnings(*archive, QStringLiteral("Clienti"), first,
                                              QStringLiteral("01234567897"),
                                              registries::customerDuplicateMessage())
                    .isEmpty())
        << "its own number is no duplicate";
    EXPECT_EQ(registries::fiscalCodeWarnings(*archive, QStringLiteral("Clienti"), second,
                                             QStringLiteral("01234567897"),
                                             registries::customerDuplicateMessage())
                  .value(0),
              QStringLiteral("Attenzione il Codice fiscale 01234567897 è già presente in altri 1 Record."));
}

TEST(Suppliers, NameReachesThePurchaseDocumentsAndDeleteTakesThePayments)
{
    auto archive = test::newArchive();
    const qint64 supplier = registries::addSupplier(*archive).value();
    const qint64 invoice =
        test::addRow(*archive, QStringLiteral("fattura"), {{QStringLiteral("Fornitore_ID"), supplier}});
    ASSERT_TRUE(registries::saveSupplier(
        *archive, supplier, {{QStringLiteral("Fornitore"), QStringLiteral("Carburanti Nord S.r.l.")}}));
    EXPECT_EQ(
        stored(*archive, QStringLiteral("SELECT Fornitore FROM fattura WHERE ID = ?"), {invoice}).toString(),
        QStringLiteral("Carburanti Nord S.r.l."));
    EXPECT_EQ(registries::supplierChecks().firstFailure({})->message,
              QStringLiteral("Attenzione manca la denominazione del fornitore"));
    test::addRow(*archive, QStringLiteral("FornitoriPagamenti"),
                 {{QStringLiteral("Fornitore_id"), supplier}, {QStringLiteral("Importo"), 9.0}});
    ASSERT_TRUE(registries::deleteSupplier(*archive, supplier));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM FornitoriPagamenti")), 0);
}

TEST(Customers, EmailAddressesOfTheChosenOnes)
{
    auto archive = test::newArchive();
    QList<qint64> keys;
    for (const char *mail : {"a@alfa.it", "", "b@beta.it", "A@ALFA.IT"})
        keys.append(test::addRow(*archive, QStringLiteral("Clienti"),
                                 {{QStringLiteral("EMail"), QString::fromLatin1(mail)}}));
    EXPECT_EQ(registries::emailAddresses(*archive, QStringLiteral("Clienti"), QStringLiteral("EMail"), keys)
                  .value(),
              QStringLiteral("a@alfa.it; b@beta.it"));
    EXPECT_EQ(
        registries::emailAddresses(*archive, QStringLiteral("Clienti"), QStringLiteral("EMail"), {}).value(),
        QString());
}

TEST(CustomerContacts, ExportReadByVobjectAndImportOfItsCards)
{
    auto archive = test::newArchive();
    const qint64 category = test::addRow(
        *archive, QStringLiteral("ClientiCategoria"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Logistica")}, {QStringLiteral("Colore"), 255}});
    const qint64 customer = registries::addCustomer(*archive).value();
    ASSERT_TRUE(registries::saveCustomer(
        *archive, customer,
        {{QStringLiteral("Cliente"), QStringLiteral("Alfa Logistica S.p.A. \"Nord\"")},
         {QStringLiteral("Telefono"), QStringLiteral("045 555 1234")},
         {QStringLiteral("EMail"), QStringLiteral("ordini@alfa.it")},
         {QStringLiteral("Via"), QStringLiteral("Corso Porta Nuova")},
         {QStringLiteral("Numero"), QStringLiteral("45")},
         {QStringLiteral("Citta"), QStringLiteral("Verona")},
         {QStringLiteral("Cap"), QStringLiteral("37122")},
         {QStringLiteral("Categoria_ID"), category},
         {QStringLiteral("DestinazioneMerce"), QStringLiteral("Magazzino 2\nrampa B")}}));
    const core::Result<core::ContactRecord> contact = registries::customerContact(*archive, customer);
    ASSERT_TRUE(contact);
    QTemporaryDir folder;
    const QString file =
        folder.filePath(registries::contactFileName(QStringLiteral("Alfa: Logistica/Verona")));
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Alfa_ Logistica_Verona.vcf"));
    ASSERT_TRUE(core::writeTextFile(file, core::scriviVCard(*contact)));

    const QString script = QStringLiteral(
        "import sys, json, vobject\n"
        "card = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())\n"
        "print(json.dumps({'fn': card.fn.value, 'tel': card.tel.value, 'email': card.email.value,\n"
        "  'categories': card.categories.value, 'note': card.note.value}))\n");
    const test::ExternalReading reading = test::readWithPython(QStringLiteral("vobject"), script, file);
    if (!reading.skipped) {
        ASSERT_TRUE(reading.ok) << reading.message.toStdString();
        const QJsonObject card = reading.json.object();
        EXPECT_EQ(card.value(QStringLiteral("fn")).toString(),
                  QStringLiteral("Alfa Logistica S.p.A. \"Nord\""));
        EXPECT_EQ(card.value(QStringLiteral("tel")).toString(), QStringLiteral("045 555 1234"));
        EXPECT_EQ(card.value(QStringLiteral("email")).toString(), QStringLiteral("ordini@alfa.it"));
        EXPECT_EQ(card.value(QStringLiteral("note")).toString(), QStringLiteral("Magazzino 2\nrampa B"));
    }

    // Our own card comes back as the same customer: the question is asked once, its answer kept.
    const qint64 person = registries::addCustomer(*archive).value();
    ASSERT_TRUE(registries::saveCustomer(*archive, person,
                                         {{QStringLiteral("Cognome"), QStringLiteral("Bianchi")},
                                          {QStringLiteral("Nome"), QStringLiteral("Anna")}}));
    const QString both = folder.filePath(QStringLiteral("due.vcf"));
    ASSERT_TRUE(core::writeTextFile(
        both, core::scriviVCard(*contact) +
                  core::scriviVCard(registries::customerContact(*archive, person).value())));
    QStringList asked;
    const core::Result<registries::ContactImport> again = registries::importCustomerContacts(
        *archive, {both}, DuplicateAction::Ask, [&asked](const QString &name) {
            asked.append(name);
            return true;
        });
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_EQ(asked, QStringList{QStringLiteral("Alfa Logistica S.p.A. \"Nord\"")});
    EXPECT_EQ(again->skipped, 2);
    EXPECT_EQ(again->added, 0);
}

TEST(CustomerContacts, CardsOfOtherProgramsBecomeCustomersAndBrokenFilesAreNamed)
{
    auto archive = test::newArchive();
    test::addRow(*archive, QStringLiteral("ClientiCategoria"),
                 {{QStringLiteral("Descrizione"), QStringLiteral("Logistica")}});
    QTemporaryDir folder;
    const QString made = folder.filePath(QStringLiteral("vobject.vcf"));
    const QString script =
        QStringLiteral("import sys, json, vobject\n"
                       "card = vobject.vCard()\n"
                       "card.add('n').value = vobject.vcard.Name(family='Müller', given='Jürgen')\n"
                       "card.add('fn').value = 'Jürgen Müller'\n"
                       "t = card.add('tel'); t.value = '+49 89 123456'; t.type_param = 'WORK'\n"
                       "e = card.add('email'); e.value = 'jm@example.de'; e.type_param = 'WORK'\n"
                       "a = card.add('adr'); a.value = vobject.vcard.Address(street='Via Roma 5', "
                       "city='Verona', code='37121', country='Italia'); a.type_param = 'WORK'\n"
                       "card.add('categories').value = ['Logistica']\n"
                       "open(sys.argv[1], 'w', encoding='utf-8').write(card.serialize())\n"
                       "print('{}')\n");
    const test::ExternalReading written = test::readWithPython(QStringLiteral("vobject"), script, made);
    if (written.skipped)
        GTEST_SKIP() << written.message.toStdString();
    ASSERT_TRUE(written.ok) << written.message.toStdString();
    const QString notCard = folder.filePath(QStringLiteral("lettera.vcf"));
    ASSERT_TRUE(
        core::writeTextFile(notCard, QStringLiteral("Gentile cliente,\nnon è un biglietto da visita.\n")));
    const QString cut = folder.filePath(QStringLiteral("tagliato.vcf"));
    ASSERT_TRUE(core::writeTextFile(cut, QStringLiteral("BEGIN:VCARD\nVERSION:4.0\nFN:Mezzo Biglietto\n")));

    const core::Result<registries::ContactImport> imported = registries::importCustomerContacts(
        *archive, {notCard, made, cut}, DuplicateAction::Skip, [](const QString &) { return true; });
    ASSERT_TRUE(imported) << imported.error().toStdString();
    EXPECT_EQ(imported->added, 1);
    EXPECT_EQ(imported->unreadable,
              (QStringList{QStringLiteral("lettera.vcf"), QStringLiteral("tagliato.vcf")}));
    core::Result<QSqlQuery> row = archive->select(
        QStringLiteral("SELECT Cognome, Nome, Cliente, Telefono, EMail, Citta, Provincia, Cap, "
                       "NominativoDocumenti, Categoria_ID FROM Clienti"));
    ASSERT_TRUE(row && row->next());
    EXPECT_EQ(row->value(0).toString(), QStringLiteral("Müller"));
    EXPECT_EQ(row->value(1).toString(), QStringLiteral("Jürgen"));
    EXPECT_TRUE(row->value(2).toString().isEmpty()) << "a person is no company";
    EXPECT_EQ(row->value(3).toString(), QStringLiteral("+49 89 123456"));
    EXPECT_EQ(row->value(4).toString(), QStringLiteral("jm@example.de"));
    EXPECT_EQ(row->value(5).toString(), QStringLiteral("Verona"));
    EXPECT_EQ(row->value(6).toString(), QStringLiteral("VR"));
    EXPECT_EQ(row->value(7).toString(), QStringLiteral("37121"));
    EXPECT_EQ(row->value(8).toString(), QStringLiteral("Müller Jürgen"));
    EXPECT_FALSE(row->value(9).isNull());
}

TEST(SupplierContacts, CardsBecomeSuppliersWithTheirTownAndCategoryAndComeBackAsTheSame)
{
    auto archive = test::newArchive();
    const qint64 category = test::addRow(*archive, QStringLiteral("FornitorCategoria"),
                                         {{QStringLiteral("Descrizione"), QStringLiteral("Officine")}});
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("fornitori.vcf"));
    ASSERT_TRUE(core::writeTextFile(
        file, QStringLiteral("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Officina Verdi Snc\r\n"
                             "ORG:Officina Verdi Snc\r\nCATEGORIES:Officine\r\n"
                             "TEL;TYPE=work:045 111222\r\nEMAIL;TYPE=work:info@verdi.it\r\n"
                             "ADR;TYPE=work:;;Via dell'Artigianato 4;forli;;47121;\r\n"
                             "END:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Mario Neri\r\n"
                             "N:Neri;Mario;;;\r\nEND:VCARD\r\n")));
    const auto imported = registries::importSupplierContacts(*archive, {file}, DuplicateAction::Ask,
                                                             [](const QString &) { return true; });
    ASSERT_TRUE(imported) << imported.error().toStdString();
    EXPECT_EQ(imported->added, 2);
    const auto row = [&](const char *sql) {
        return archive->scalar(QString::fromUtf8(sql)).value();
    };
    EXPECT_EQ(row("SELECT Email FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toString(),
              QStringLiteral("info@verdi.it"));
    EXPECT_EQ(row("SELECT Comune FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toString(),
              QStringLiteral("Forlì"))
        << "the town as the municipalities write it";
    EXPECT_EQ(row("SELECT Provincia FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toString(),
              QStringLiteral("FC"));
    EXPECT_EQ(row("SELECT Categoria_ID FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toLongLong(),
              category);
    EXPECT_EQ(row("SELECT IdPaese FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toString(),
              QStringLiteral("IT"));
    EXPECT_EQ(
        row("SELECT COUNT(*) FROM Fornitor WHERE Fornitore = 'Mario Neri' AND Cognome = 'Neri'").toInt(), 1)
        << "a person's card gives the supplier its name";

    // Its own export read back: the same supplier, updated where the card says more.
    const qint64 verdi = row("SELECT Id FROM Fornitor WHERE Fornitore = 'Officina Verdi Snc'").toLongLong();
    const QString own = folder.filePath(QStringLiteral("verdi.vcf"));
    ASSERT_TRUE(
        core::writeTextFile(own, core::scriviVCard(registries::supplierContact(*archive, verdi).value())));
    const auto again = registries::importSupplierContacts(*archive, {own}, DuplicateAction::Update, {});
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_EQ(again->updated, 1);
    EXPECT_EQ(again->added, 0);
    EXPECT_EQ(row("SELECT COUNT(*) FROM Fornitor").toInt(), 2);
}
