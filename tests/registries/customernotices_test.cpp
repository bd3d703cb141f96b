#include "registries/customernotices.h"
#include "shell/reportcatalogue.h"
#include "storage/archive.h"
#include "storage/workstationrows.h"
#include "support/testarchive.h"

#include <QDateTime>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using registries::NoticeFilter;

namespace {

const QString office = QStringLiteral("UFFICIO");
const QString warehouse = QStringLiteral("MAGAZZINO");

class CustomerNotices : public ::testing::Test
{
protected:
    qint64 customer(const QString &name, QVariantMap values = {})
    {
        values.insert(QStringLiteral("NominativoVisualizzato"), name);
        values.insert(QStringLiteral("NominativoDocumenti"), name);
        values.insert(QStringLiteral("Cliente"), name);
        return test::addRow(*archive, QStringLiteral("Clienti"), values);
    }

    // An instalment of an invoice of the customer; paid on the given day, or not yet.
    void instalment(qint64 customer, const QVariant &due, const QVariant &paid = {})
    {
        test::addRow(*archive, QStringLiteral("FatturaScadenze"),
                     {{QStringLiteral("Cliente_id"), customer},
                      {QStringLiteral("DataScadenza"), due},
                      {QStringLiteral("DataPagamento"), paid},
                      {QStringLiteral("Importo"), 100.0},
                      {QStringLiteral("Tipo"), QStringLiteral("F")}});
    }

    // The names the filter finds, in the order found.
    QStringList found(const NoticeFilter &filter)
    {
        const core::Result<QList<registries::NoticeCustomer>> customers =
            registries::findNoticeCustomers(*archive, filter);
        EXPECT_TRUE(customers) << customers.error().toStdString();
        QStringList names;
        if (customers) {
            for (const registries::NoticeCustomer &c : *customers)
                names.append(c.name);
        }
        return names;
    }

    QList<qint64> chosen(const QString &workstation)
    {
        QList<qint64> keys;
        core::Result<QSqlQuery> rows =
            storage::WorkstationRows(*archive, workstation).rows(QStringLiteral("TempAvvisiClienti"));
        EXPECT_TRUE(rows) << rows.error().toStdString();
        while (rows && rows->next())
            keys.append(rows->value(QStringLiteral("Cliente_ID")).toLongLong());
        return keys;
    }

    std::unique_ptr<storage::Archive> archive = test::newArchive();
};

} // namespace

TEST_F(CustomerNotices, WithoutRangeOrPaymentTheInstalmentsAreLeftOut)
{
    const NoticeFilter none;
    EXPECT_FALSE(none.joinsDueDates());
    const registries::NoticeStatement statement =
        registries::noticeCustomersStatement(none, archive->dialect());
    EXPECT_FALSE(statement.sql.contains(QStringLiteral("FatturaScadenze"))) << statement.sql.toStdString();
    EXPECT_FALSE(statement.sql.contains(QStringLiteral("DataPagamento"))) << statement.sql.toStdString();
    EXPECT_TRUE(statement.sql.startsWith(QStringLiteral("SELECT DISTINCT ")));

    // Customers with and without instalments, paid or not, are all found; withdrawn ones never.
    const qint64 paid = customer(QStringLiteral("Alfa Trasporti"));
    instalment(paid, QDate(2026, 3, 10), QDate(2026, 3, 12));
    const qint64 unpaid = customer(QStringLiteral("Beta Logistica"));
    instalment(unpaid, QDate(2026, 4, 15));
    instalment(unpaid, QDate(2026, 5, 15));
    customer(QStringLiteral("Gamma S.r.l."));
    customer(QStringLiteral("Cessata S.n.c."), {{QStringLiteral("Annullato"), true}});
    EXPECT_EQ(found(none), (QStringList{QStringLiteral("Alfa Trasporti"), QStringLiteral("Beta Logistica"),
                                        QStringLiteral("Gamma S.r.l.")}));
}

TEST_F(CustomerNotices, PaymentMadeWithoutRangeKeepsCustomersWithAPaidInstalment)
{
    const qint64 twice = customer(QStringLiteral("Alfa Trasporti"));
    instalment(twice, QDate(2026, 1, 31), QDate(2026, 2, 2));
    instalment(twice, QDate(2026, 2, 28), QDate(2026, 3, 1));
    const qint64 oneOfTwo = customer(QStringLiteral("Beta Logistica"));
    instalment(oneOfTwo, QDate(2025, 12, 31), QDate(2026, 1, 5));
    instalment(oneOfTwo, QDate(2026, 6, 30));
    const qint64 unpaid = customer(QStringLiteral("Delta Spedizioni"));
    instalment(unpaid, QDate(2026, 6, 30));
    const qint64 zeroDate = customer(QStringLiteral("Eta Traslochi"));
    instalment(zeroDate, QDate(2026, 6, 30), QDate(1899, 12, 30));
    customer(QStringLiteral("Gamma S.r.l."));
    const qint64 withdrawn =
        customer(QStringLiteral("Cessata S.n.c."), {{QStringLiteral("Annullato"), true}});
    instalment(withdrawn, QDate(2026, 1, 31), QDate(2026, 1, 31));

    NoticeFilter paid;
    paid.paid = true;
    EXPECT_TRUE(paid.joinsDueDates());
    const registries::NoticeStatement statement =
        registries::noticeCustomersStatement(paid, archive->dialect());
    EXPECT_TRUE(statement.sql.contains(
        QStringLiteral("INNER JOIN FatturaScadenze ON FatturaScadenze.Cliente_id = Clienti.Id")));
    // Two paid instalments still list the customer once.
    EXPECT_EQ(found(paid), (QStringList{QStringLiteral("Alfa Trasporti"), QStringLiteral("Beta Logistica")}));
}

TEST_F(CustomerNotices, RangeTakesTheWholeLastDayAndUnpaidInstalmentsWhenPaymentIsNotTicked)
{
    const qint64 lastDay = customer(QStringLiteral("Alfa Trasporti"));
    instalment(lastDay, QDateTime(QDate(2026, 3, 31), QTime(23, 59, 59)));
    const qint64 firstDay = customer(QStringLiteral("Beta Logistica"));
    instalment(firstDay, QDate(2026, 3, 1));
    const qint64 dayAfter = customer(QStringLiteral("Delta Spedizioni"));
    instalment(dayAfter, QDate(2026, 4, 1));
    const qint64 dayBefore = customer(QStringLiteral("Epsilon Autolinee"));
    instalment(dayBefore, QDateTime(QDate(2026, 2, 28), QTime(23, 59, 59)));
    const qint64 paidInRange = customer(QStringLiteral("Zeta Corrieri"));
    instalment(paidInRange, QDate(2026, 3, 15), QDate(2026, 3, 20));
    // Archives from older programs mark an unpaid instalment with the zero date.
    const qint64 zeroDate = customer(QStringLiteral("Eta Traslochi"));
    instalment(zeroDate, QDate(2026, 3, 20), QDate(1899, 12, 30));
    const qint64 twice = customer(QStringLiteral("Theta Cargo"));
    instalment(twice, QDate(2026, 3, 5));
    instalment(twice, QDate(2026, 3, 25));
    const qint64 withdrawn =
        customer(QStringLiteral("Cessata S.n.c."), {{QStringLiteral("Annullato"), true}});
    instalment(withdrawn, QDate(2026, 3, 15));

    NoticeFilter march;
    march.dueFrom = QDate(2026, 3, 1);
    march.dueTo = QDate(2026, 3, 31);
    EXPECT_TRUE(march.joinsDueDates());
    EXPECT_EQ(found(march), (QStringList{QStringLiteral("Alfa Trasporti"), QStringLiteral("Beta Logistica"),
                                         QStringLiteral("Eta Traslochi"), QStringLiteral("Theta Cargo")}));

    march.paid = true;
    EXPECT_EQ(found(march), QStringList{QStringLiteral("Zeta Corrieri")});

    // Either end alone is a range too.
    NoticeFilter from;
    from.dueFrom = QDate(2026, 3, 31);
    EXPECT_EQ(found(from),
              (QStringList{QStringLiteral("Alfa Trasporti"), QStringLiteral("Delta Spedizioni")}));
    NoticeFilter to;
    to.dueTo = QDate(2026, 2, 28);
    EXPECT_EQ(found(to), QStringList{QStringLiteral("Epsilon Autolinee")});
}

TEST_F(CustomerNotices, EachFilterAloneNarrowsTheCustomers)
{
    const qint64 cash = test::addRow(*archive, QStringLiteral("ModPagamento"),
                                     {{QStringLiteral("Descrizione"), QStringLiteral("Rimessa diretta")}});
    const qint64 bankTransfer =
        test::addRow(*archive, QStringLiteral("ModPagamento"),
                     {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30 gg")}});
    const qint64 haulage = test::addRow(*archive, QStringLiteral("ClientiCategoria"),
                                        {{QStringLiteral("Descrizione"), QStringLiteral("Autotrasporto")}});
    const qint64 retail = test::addRow(*archive, QStringLiteral("ClientiCategoria"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Dettaglio")}});
    const qint64 verona = test::addRow(
        *archive, QStringLiteral("Comuni"),
        {{QStringLiteral("Comune"), QStringLiteral("Verona di prova")}, {QStringLiteral("Provincia"), "VR"}});
    const qint64 milano = test::addRow(
        *archive, QStringLiteral("Comuni"),
        {{QStringLiteral("Comune"), QStringLiteral("Milano di prova")}, {QStringLiteral("Provincia"), "MI"}});

    const qint64 alfa =
        customer(QStringLiteral("Alfa Trasporti"), {{QStringLiteral("Pagamento_ID"), cash},
                                                    {QStringLiteral("Categoria_ID"), haulage},
                                                    {QStringLiteral("Comune_id"), verona},
                                                    {QStringLiteral("Provincia"), "VR"},
                                                    {QStringLiteral("Note"), "Ritira in sede"}});
    instalment(alfa, QDate(2026, 3, 10), QDate(2026, 3, 12));
    const qint64 beta =
        customer(QStringLiteral("Beta Comune"), {{QStringLiteral("Pagamento_ID"), bankTransfer},
                                                 {QStringLiteral("Categoria_ID"), retail},
                                                 {QStringLiteral("Comune_id"), milano},
                                                 {QStringLiteral("Provincia"), "MI"},
                                                 {QStringLiteral("PubblicaAmministrazione"), true},
                                                 {QStringLiteral("Note"), "Consegna al piano"}});
    instalment(beta, QDate(2026, 4, 15));
    customer(QStringLiteral("Gamma S.r.l."), {{QStringLiteral("Provincia"), "TO"},
                                              {QStringLiteral("Note"), "Ritiro il lunedì: sede chiusa"}});

    struct Case
    {
        const char *what;
        NoticeFilter filter;
        QStringList expected;
    };
    const QStringList onlyAlfa{QStringLiteral("Alfa Trasporti")};
    const QStringList onlyBeta{QStringLiteral("Beta Comune")};
    std::vector<Case> cases;
    const auto add = [&cases](const char *what, const std::function<void(NoticeFilter &)> &set,
                              const QStringList &expected) {
        NoticeFilter filter;
        set(filter);
        cases.push_back({what, filter, expected});
    };
    add("nothing", [](NoticeFilter &) {},
        {QStringLiteral("Alfa Trasporti"), QStringLiteral("Beta Comune"), QStringLiteral("Gamma S.r.l.")});
    add(
        "payment terms", [&](NoticeFilter &f) { f.paymentTerms = cash; }, onlyAlfa);
    add(
        "category", [&](NoticeFilter &f) { f.category = retail; }, onlyBeta);
    add(
        "municipality", [&](NoticeFilter &f) { f.municipality = verona; }, onlyAlfa);
    add(
        "province, whatever its case", [](NoticeFilter &f) { f.province = QStringLiteral("mi"); }, onlyBeta);
    add(
        "public administration", [](NoticeFilter &f) { f.publicAdministration = true; }, onlyBeta);
    // The notes begin with the text: "Ritiro il lunedì" does not begin with "ritira".
    add(
        "notes", [](NoticeFilter &f) { f.notesStart = QStringLiteral("ritira"); }, onlyAlfa);
    add("notes in the middle", [](NoticeFilter &f) { f.notesStart = QStringLiteral("sede"); }, {});
    add(
        "payment made", [](NoticeFilter &f) { f.paid = true; }, onlyAlfa);
    add(
        "due from", [](NoticeFilter &f) { f.dueFrom = QDate(2026, 4, 1); }, onlyBeta);
    add(
        "due to, paid",
        [](NoticeFilter &f) {
            f.dueTo = QDate(2026, 3, 31);
            f.paid = true;
        },
        onlyAlfa);
    add(
        "everything of one customer",
        [&](NoticeFilter &f) {
            f.paymentTerms = bankTransfer;
            f.category = retail;
            f.municipality = milano;
            f.province = QStringLiteral("MI");
            f.publicAdministration = true;
            f.notesStart = QStringLiteral("Consegna");
            f.dueFrom = QDate(2026, 4, 15);
            f.dueTo = QDate(2026, 4, 15);
        },
        onlyBeta);
    add("two filters of different customers",
        [&](NoticeFilter &f) {
            f.paymentTerms = cash;
            f.category = retail;
        },
        {});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(found(c.filter), c.expected);
    }
}

TEST_F(CustomerNotices, ProvinceAndNotesAreBoundAsTyped)
{
    customer(QStringLiteral("Alfa Trasporti"),
             {{QStringLiteral("Provincia"), "D'A"}, {QStringLiteral("Note"), "Dell'Orto: 50% in anticipo"}});
    customer(QStringLiteral("Beta Logistica"),
             {{QStringLiteral("Provincia"), "DA"}, {QStringLiteral("Note"), "Dell'Orto: 500 in anticipo"}});

    NoticeFilter province;
    province.province = QStringLiteral("D'A");
    const registries::NoticeStatement statement =
        registries::noticeCustomersStatement(province, archive->dialect());
    EXPECT_FALSE(statement.sql.contains(QStringLiteral("D'A")));
    EXPECT_TRUE(statement.parameters.contains(QStringLiteral("D'A")));
    EXPECT_EQ(found(province), QStringList{QStringLiteral("Alfa Trasporti")});

    // A quote and the wildcard are taken as typed.
    NoticeFilter notes;
    notes.notesStart = QStringLiteral("dell'orto: 50%");
    EXPECT_EQ(found(notes), QStringList{QStringLiteral("Alfa Trasporti")});
    notes.notesStart = QStringLiteral("Dell'Orto: 50");
    EXPECT_EQ(found(notes),
              (QStringList{QStringLiteral("Alfa Trasporti"), QStringLiteral("Beta Logistica")}));

    // Text meant to change the statement finds nothing and changes nothing.
    NoticeFilter injected;
    injected.province = QStringLiteral("' OR '1'='1");
    injected.notesStart = QStringLiteral("%' OR 1=1; DELETE FROM Clienti; --");
    EXPECT_TRUE(found(injected).isEmpty());
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM Clienti")), 2);
}

TEST_F(CustomerNotices, FoundCustomersCarryWhatTheGridShows)
{
    const qint64 key =
        customer(QStringLiteral("Alfa Trasporti"), {{QStringLiteral("Codice"), "C001"},
                                                    {QStringLiteral("Iva"), "01234567890"},
                                                    {QStringLiteral("Via"), "Via Roma"},
                                                    {QStringLiteral("Numero"), "12/B"},
                                                    {QStringLiteral("Cap"), "37121"},
                                                    {QStringLiteral("Citta"), "Verona"},
                                                    {QStringLiteral("Provincia"), "VR"},
                                                    {QStringLiteral("Telefono"), "045 123456"},
                                                    {QStringLiteral("Fax"), "045 654321"},
                                                    {QStringLiteral("Cellulare"), "333 1234567"},
                                                    {QStringLiteral("EMail"), "ordini@alfa.it"},
                                                    {QStringLiteral("Note"), "Cliente storico"}});
    const core::Result<QList<registries::NoticeCustomer>> found =
        registries::findNoticeCustomers(*archive, NoticeFilter{});
    ASSERT_TRUE(found) << found.error().toStdString();
    ASSERT_EQ(found->size(), 1);
    const registries::NoticeCustomer &c = found->first();
    EXPECT_EQ(c.key, key);
    EXPECT_EQ(c.name, QStringLiteral("Alfa Trasporti"));
    EXPECT_EQ(c.code, QStringLiteral("C001"));
    EXPECT_EQ(c.vatNumber, QStringLiteral("01234567890"));
    EXPECT_EQ(c.street, QStringLiteral("Via Roma"));
    EXPECT_EQ(c.houseNumber, QStringLiteral("12/B"));
    EXPECT_EQ(c.postcode, QStringLiteral("37121"));
    EXPECT_EQ(c.town, QStringLiteral("Verona"));
    EXPECT_EQ(c.province, QStringLiteral("VR"));
    EXPECT_EQ(c.phone, QStringLiteral("045 123456"));
    EXPECT_EQ(c.fax, QStringLiteral("045 654321"));
    EXPECT_EQ(c.mobile, QStringLiteral("333 1234567"));
    EXPECT_EQ(c.email, QStringLiteral("ordini@alfa.it"));
    EXPECT_EQ(c.notes, QStringLiteral("Cliente storico"));
}

TEST_F(CustomerNotices, TheTextIsTheWorkstationsOwn)
{
    EXPECT_EQ(registries::noticeTextProblem(QString()), QStringLiteral("Attenzione manca il testo"));
    EXPECT_EQ(registries::noticeTextProblem(QStringLiteral("  \n ")),
              QStringLiteral("Attenzione manca il testo"));
    EXPECT_FALSE(registries::noticeTextProblem(QStringLiteral("Chiusura per ferie")));

    // Without the row start-up adds, the first save adds it.
    EXPECT_EQ(registries::noticeText(*archive, office).value(), QString());
    const QString text = QStringLiteral("Gentile cliente,\nl'ufficio resterà chiuso dal 10 al 20 agosto.");
    ASSERT_TRUE(registries::saveNoticeText(*archive, office, text));
    EXPECT_EQ(registries::noticeText(*archive, office).value(), text);

    // Another workstation composes its own notice.
    storage::WorkstationRows theirs(*archive, warehouse);
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempAvvisi"), {{QStringLiteral("Testo"), "Inventario"}}));
    ASSERT_TRUE(registries::saveNoticeText(*archive, office, QStringLiteral("Nuovo listino")));
    EXPECT_EQ(registries::noticeText(*archive, office).value(), QStringLiteral("Nuovo listino"));
    EXPECT_EQ(registries::noticeText(*archive, warehouse).value(), QStringLiteral("Inventario"));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM TempAvvisi WHERE NomeComputer = ?"),
                          {office}),
              1);

    // A second row of the workstation would compete with the text in the print: it goes.
    storage::WorkstationRows mine(*archive, office);
    ASSERT_TRUE(mine.insert(QStringLiteral("TempAvvisi"), {{QStringLiteral("Testo"), "Zzz vecchio"}}));
    ASSERT_TRUE(registries::saveNoticeText(*archive, office, QStringLiteral("Aumento tariffe")));
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM TempAvvisi WHERE NomeComputer = ?"),
                          {office}),
              1);
    EXPECT_EQ(registries::noticeText(*archive, office).value(), QStringLiteral("Aumento tariffe"));
    EXPECT_EQ(registries::noticeText(*archive, warehouse).value(), QStringLiteral("Inventario"));
}

TEST_F(CustomerNotices, StoredNoticeTextIsRead)
{
    const qint64 notice = test::addRow(
        *archive, QStringLiteral("Avvisi"),
        {{QStringLiteral("Descrizione"), "Ferie"}, {QStringLiteral("Testo"), "Chiusi per ferie."}});
    EXPECT_EQ(registries::storedNoticeText(*archive, notice).value(), QStringLiteral("Chiusi per ferie."));
    EXPECT_FALSE(registries::storedNoticeText(*archive, notice + 100));
}

TEST_F(CustomerNotices, ChosenCustomersReplaceOnlyTheWorkstationsOwnAndFeedThePrint)
{
    const qint64 alfa = customer(QStringLiteral("Alfa Trasporti"));
    const qint64 beta = customer(QStringLiteral("Beta Logistica"));
    const qint64 gamma = customer(QStringLiteral("Gamma S.r.l."));
    storage::WorkstationRows theirs(*archive, warehouse);
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempAvvisiClienti"), {{QStringLiteral("Cliente_ID"), gamma}}));
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempAvvisi"), {{QStringLiteral("Testo"), "Inventario"}}));

    ASSERT_TRUE(registries::chooseNoticeCustomers(*archive, office, {alfa, beta, gamma}));
    EXPECT_EQ(chosen(office), (QList<qint64>{alfa, beta, gamma}));
    ASSERT_TRUE(registries::chooseNoticeCustomers(*archive, office, {gamma, alfa}));
    EXPECT_EQ(chosen(office), (QList<qint64>{gamma, alfa}));
    EXPECT_EQ(chosen(warehouse), QList<qint64>{gamma}) << "another workstation's choice stays";

    // The print reads this workstation's customers and its text.
    ASSERT_TRUE(registries::saveNoticeText(*archive, office, QStringLiteral("Chiusi per ferie.")));
    shell::ReportContext context;
    context.workstation = office;
    const shell::ReportSpec request =
        shell::reportSpec(registries::noticesReport, context, {}, archive->dialect());
    EXPECT_EQ(request.reportFile, QStringLiteral("Avvisi.rpt"));
    core::Result<QSqlQuery> printed = archive->select(request.query);
    ASSERT_TRUE(printed) << printed.error().toStdString();
    QStringList rows;
    while (printed->next())
        rows.append(printed->value(QStringLiteral("Cliente")).toString() + u'|' +
                    printed->value(QStringLiteral("Testo")).toString());
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Alfa Trasporti|Chiusi per ferie."),
                                 QStringLiteral("Gamma S.r.l.|Chiusi per ferie.")}));

    ASSERT_TRUE(registries::chooseNoticeCustomers(*archive, office, {}));
    EXPECT_TRUE(chosen(office).isEmpty());
    EXPECT_EQ(chosen(warehouse), QList<qint64>{gamma});
}
