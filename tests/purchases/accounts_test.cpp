#include "core/money.h"
#include "purchases/accounts.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QDateTime>
#include <QHash>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::purchases;

namespace {

const QString office = QStringLiteral("UFFICIO");
const QString otherOffice = QStringLiteral("MAGAZZINO");

// Where each kind of document row finds its document.
struct RowTable
{
    const char *table;
    const char *document;
    bool purchase;
    bool creditNote;
};
const RowTable purchaseRows{"Movimenti", "Fattura_ID", true, false};
const RowTable supplierNoteRows{"NotaCreditoCaricoRighe", "NotaCredito_ID", true, true};
const RowTable saleRows{"fattdett", "NumFatt", false, false};
const RowTable customerNoteRows{"NotaCreditoRighe", "NotaCredito_ID", false, true};

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

class Accounts : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 accountClass(const QString &name)
    {
        return test::addRow(archive(), QStringLiteral("ContabilitaClassi"),
                            {{QStringLiteral("Descrizione"), name}});
    }
    qint64 group(const QString &name, const QVariant &accountClass = {})
    {
        return test::addRow(
            archive(), QStringLiteral("ContabilitaRaggruppamenti"),
            {{QStringLiteral("Descrizione"), name}, {QStringLiteral("Classe_ID"), accountClass}});
    }
    qint64 account(const QString &name, const QVariant &group = {})
    {
        return test::addRow(
            archive(), QStringLiteral("ContabilitaConti"),
            {{QStringLiteral("Descrizione"), name}, {QStringLiteral("Raggruppamento_ID"), group}});
    }

    // A document of the kind of its rows: a purchase is dated by its registration, a sale by its
    // date; the other date is a month away so that a period on the wrong one finds nothing.
    qint64 document(const RowTable &rows, const QDateTime &when, const QString &number = QStringLiteral("7"))
    {
        const QDateTime other = when.addMonths(rows.purchase ? -1 : 1);
        QVariantMap values{{QStringLiteral("Carico"), rows.purchase},
                           {QStringLiteral("FattNota"), rows.creditNote},
                           {QStringLiteral("Data"), rows.purchase ? other : when},
                           {QStringLiteral("DataRegistrazione"), rows.purchase ? when : other},
                           {QStringLiteral("Storico"), false}};
        if (rows.purchase) {
            values.insert(QStringLiteral("NumeroCarico"), number);
            values.insert(QStringLiteral("ProgressivoCarico"), 12);
        } else {
            values.insert(QStringLiteral("Num"), number.toInt());
            values.insert(QStringLiteral("SerieFatturazione"), QStringLiteral("A"));
        }
        return test::addRow(archive(), QStringLiteral("fattura"), values);
    }
    qint64 row(const RowTable &rows, qint64 document, const QVariant &account, double amount,
               const QString &text = QStringLiteral("Riga"), const QVariantMap &more = {})
    {
        QVariantMap values{{QLatin1String(rows.document), document},
                           {QStringLiteral("ContabilitaConti_ID"), account},
                           {QStringLiteral("TotaleImponibile"), amount},
                           {QStringLiteral("Descrizione"), text}};
        values.insert(more);
        return test::addRow(archive(), QLatin1String(rows.table), values);
    }
    // A document of one row.
    qint64 booked(const RowTable &rows, const QDateTime &when, const QVariant &account, double amount)
    {
        return row(rows, document(rows, when), account, amount);
    }
    qint64 cash(const QDateTime &when, double in, double out, const QVariant &account, bool takings = false,
                double vatRate = 0, const QString &text = QStringLiteral("Movimento"))
    {
        return test::addRow(archive(), QStringLiteral("finanzia"),
                            {{QStringLiteral("Data"), when},
                             {QStringLiteral("Operazione"), text},
                             {QStringLiteral("Entrata"), in},
                             {QStringLiteral("Uscita"), out},
                             {QStringLiteral("ContabilitaConti_ID"), account},
                             {QStringLiteral("Corrispettivi"), takings},
                             {QStringLiteral("AliquotaIva"), vatRate},
                             {QStringLiteral("Storico"), false},
                             {QStringLiteral("Tipo"), QStringLiteral("A")}});
    }
    void setOption(const char *field, const QVariant &value)
    {
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET %1 = ?").arg(QLatin1String(field)),
                                      {value}));
    }
    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    // The balance of the period on this workstation: amount by account.
    QHash<qint64, double> balance(const QDate &from, const QDate &to, const QString &workstation = office)
    {
        const core::Result<int> written = fillBalance(archive(), workstation, {from, to});
        EXPECT_TRUE(written) << written.error().toStdString();
        return storedBalance(workstation);
    }
    QHash<qint64, double> storedBalance(const QString &workstation)
    {
        QHash<qint64, double> amounts;
        const auto rows = archive().readRows(
            QStringLiteral(
                "SELECT ContabilitaConti_ID, TotaleImponibile FROM TempBilancio WHERE NomeComputer = ?"),
            {workstation});
        EXPECT_TRUE(rows) << rows.error().toStdString();
        if (rows) {
            for (const QVariantList &r : rows->values) {
                EXPECT_FALSE(amounts.contains(r.value(0).toLongLong())) << "one row per account";
                amounts.insert(r.value(0).toLongLong(), r.value(1).toDouble());
            }
        }
        return amounts;
    }

    // The balance as the per-account reading gives it: for each account of the chart, each source's
    // rows of the account read one by one and added with their sign.
    QHash<qint64, double> balanceAccountByAccount(const QDate &fromDay, const QDate &toDay)
    {
        const QVariant from = storage::sqlvalue::date(fromDay);
        const QVariant to = storage::sqlvalue::endOfDay(toDay);
        const auto values = [&](const QString &sql, const QVariantList &params) {
            const auto rows = archive().readRows(sql, params);
            EXPECT_TRUE(rows) << rows.error().toStdString();
            return rows ? rows->values : QList<QVariantList>();
        };
        const qint64 takingsAccount =
            values(QStringLiteral("SELECT conto_ID_Predefinito_su_Corrispettivi FROM opzioni"), {})
                .value(0)
                .value(0)
                .toLongLong();
        QHash<qint64, double> amounts;
        for (const QVariantList &chart : values(QStringLiteral("SELECT ID FROM ContabilitaConti"), {})) {
            const qint64 key = chart.value(0).toLongLong();
            bool used = false;
            double sum = 0;
            const auto add = [&](const QString &sql, double sign) {
                for (const QVariantList &r : values(sql, {from, to, key})) {
                    used = true;
                    sum += sign * r.value(0).toDouble();
                }
            };
            for (const auto &[rows, sign] : {std::pair{purchaseRows, -1.0}, std::pair{supplierNoteRows, 1.0},
                                             std::pair{saleRows, 1.0}, std::pair{customerNoteRows, -1.0}}) {
                const QString date =
                    rows.purchase ? QStringLiteral("DataRegistrazione") : QStringLiteral("Data");
                add(QStringLiteral(
                        "SELECT r.TotaleImponibile FROM %1 r INNER JOIN fattura ON r.%2 = fattura.ID "
                        "WHERE fattura.%3 >= ? AND fattura.%3 <= ? AND fattura.Carico = %4 AND "
                        "fattura.FattNota = %5 AND r.ContabilitaConti_ID = ?%6")
                        .arg(QLatin1String(rows.table), QLatin1String(rows.document), date,
                             rows.purchase ? QStringLiteral("true") : QStringLiteral("false"),
                             rows.creditNote ? QStringLiteral("true") : QStringLiteral("false"),
                             rows.table == purchaseRows.table ? QStringLiteral(" AND r.Scarico = false")
                                                              : QString()),
                    sign);
            }
            add(QStringLiteral("SELECT Entrata FROM finanzia WHERE Corrispettivi = false AND Entrata > 0 AND "
                               "Data >= ? AND Data <= ? AND ContabilitaConti_ID = ?"),
                1);
            add(QStringLiteral("SELECT Uscita FROM finanzia WHERE Corrispettivi = false AND Uscita > 0 AND "
                               "Data >= ? AND Data <= ? AND ContabilitaConti_ID = ?"),
                -1);
            if (key == takingsAccount) {
                for (const QVariantList &r :
                     values(QStringLiteral(
                                "SELECT Entrata, Uscita, AliquotaIva FROM finanzia WHERE Corrispettivi "
                                "= true AND Data >= ? AND Data <= ?"),
                            {from, to})) {
                    used = true;
                    sum += core::calcolaValoreUnitario(1, r.value(0).toDouble() - r.value(1).toDouble(),
                                                       r.value(2).toDouble());
                }
            }
            if (used)
                amounts.insert(key, core::arrotonda(sum));
        }
        return amounts;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(Accounts, TheFinderListsEachAccountWithItsGroupAndClassInTheirOrder)
{
    const qint64 costs = accountClass(QStringLiteral("Costi"));
    const qint64 revenues = accountClass(QStringLiteral("Ricavi"));
    const qint64 fuel = group(QStringLiteral("Carburanti"), costs);
    const qint64 tolls = group(QStringLiteral("Autostrade"), costs);
    const qint64 freight = group(QStringLiteral("Noli"), revenues);
    const qint64 loose = group(QStringLiteral("Varie"));
    account(QStringLiteral("Gasolio"), fuel);
    account(QStringLiteral("AdBlue"), fuel);
    account(QStringLiteral("Telepass"), tolls);
    account(QStringLiteral("Trasporti Italia"), freight);
    account(QStringLiteral("Cancelleria"), loose);
    account(QStringLiteral("Senza raggruppamento"));
    account(QStringLiteral("Raggruppamento eliminato"), fuel + freight + loose + 100);

    const auto listed = archive().readRows(shell::accountChoiceSql());
    ASSERT_TRUE(listed) << listed.error().toStdString();
    QStringList texts;
    for (const QVariantList &r : listed->values)
        texts.append(r.value(1).toString());
    EXPECT_EQ(
        texts,
        (QStringList{QStringLiteral("Raggruppamento eliminato"), QStringLiteral("Senza raggruppamento"),
                     QStringLiteral("Varie - Cancelleria"), QStringLiteral("Costi - Autostrade - Telepass"),
                     QStringLiteral("Costi - Carburanti - AdBlue"),
                     QStringLiteral("Costi - Carburanti - Gasolio"),
                     QStringLiteral("Ricavi - Noli - Trasporti Italia")}));
}

TEST_F(Accounts, AnAccountUsedAnywhereIsKeptAndTheRefusalSaysWhereAndHowOften)
{
    const qint64 fuel = account(QStringLiteral("Gasolio"));
    const qint64 invoice = document(purchaseRows, at(2026, 2, 1));
    row(purchaseRows, invoice, fuel, 100);
    row(purchaseRows, invoice, fuel, 50);
    cash(at(2026, 2, 3), 0, 20, fuel);
    setOption("conto_ID_Predefinito_su_FattureAcquisto_Generale", fuel);

    const core::Status refused = deleteAccount(archive(), fuel);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione il Conto è usato e non può essere eliminato:\n"
                                              "- righe di fatture di acquisto: 2\n"
                                              "- movimenti di prima nota: 1\n"
                                              "- conti predefiniti nelle opzioni: 1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti WHERE ID = ?"), {fuel}), 1);

    // Through the registry, as the list's "Elimina" deletes.
    EXPECT_FALSE(shell::deleteRegistryRow(archive(), accountsRegistry(), fuel));

    const qint64 unused = account(QStringLiteral("Mai usato"));
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), accountsRegistry(), unused));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti WHERE ID = ?"), {unused}), 0);
}

TEST_F(Accounts, EveryFieldOfTheArchiveThatNamesAnAccountKeepsItFromBeingDeleted)
{
    int fields = 0;
    for (const storage::TableDef &table : archive().schema().tables()) {
        for (const storage::FieldDef &f : table.fields) {
            if (f.refersTo.compare(QLatin1String("ContabilitaConti.ID"), Qt::CaseInsensitive) != 0 ||
                table.isWorkTable())
                continue;
            SCOPED_TRACE(QString(table.name + u'.' + f.name).toStdString());
            ++fields;
            const qint64 used = account(QStringLiteral("Conto di %1").arg(f.name));
            if (table.name == u"opzioni")
                setOption(f.name.toLatin1().constData(), used);
            else
                test::addRow(archive(), table.name, {{f.name, used}});
            const core::Status refused = deleteAccount(archive(), used);
            ASSERT_FALSE(refused);
            EXPECT_TRUE(refused.error().endsWith(QStringLiteral(": 1"))) << refused.error().toStdString();
            if (table.name == u"opzioni")
                setOption(f.name.toLatin1().constData(), QVariant());
        }
    }
    // The four kinds of document rows, the cash book and the thirteen default accounts at least.
    EXPECT_GE(fields, 18);

    // The prints' work rows are no use: they are written again at each print.
    const qint64 printed = account(QStringLiteral("Stampato"));
    test::addRow(
        archive(), QStringLiteral("TempBilancio"),
        {{QStringLiteral("ContabilitaConti_ID"), printed}, {QStringLiteral("NomeComputer"), office}});
    EXPECT_TRUE(deleteAccount(archive(), printed));
}

TEST_F(Accounts, EachKindOfUseIsNamedInTheRefusal)
{
    for (const auto &[rows, caption] : {std::pair{purchaseRows, "righe di fatture di acquisto"},
                                        std::pair{supplierNoteRows, "righe di note di credito dei fornitori"},
                                        std::pair{saleRows, "righe di fatture di vendita"},
                                        std::pair{customerNoteRows, "righe di note di credito ai clienti"}}) {
        const qint64 used = account(QString::fromLatin1(rows.table));
        booked(rows, at(2026, 1, 1), used, 1);
        const core::Status refused = deleteAccount(archive(), used);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error(),
                  QStringLiteral("Attenzione il Conto è usato e non può essere eliminato:\n- %1: 1")
                      .arg(QString::fromUtf8(caption)));
    }
}

TEST_F(Accounts, AGroupGoesWithItsAccountsUnlessOneOfThemIsUsed)
{
    const qint64 fuel = group(QStringLiteral("Carburanti"));
    const qint64 other = group(QStringLiteral("Altro"));
    const qint64 diesel = account(QStringLiteral("Gasolio"), fuel);
    const qint64 adblue = account(QStringLiteral("AdBlue"), fuel);
    const qint64 kept = account(QStringLiteral("Cancelleria"), other);
    const qint64 entry = cash(at(2026, 1, 10), 0, 80, adblue);

    const core::Status refused = deleteAccountGroup(archive(), fuel);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(),
              QStringLiteral("Attenzione il Raggruppamento non può essere eliminato: il conto "
                             "\"AdBlue\" è usato:\n- movimenti di prima nota: 1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti")), 3) << "nothing deleted";
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaRaggruppamenti")), 2);

    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM finanzia WHERE ID = ?"), {entry}));
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), accountGroupsRegistry(), fuel));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti WHERE ID IN (?, ?)"), {diesel, adblue}),
        0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti WHERE ID = ?"), {kept}), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaRaggruppamenti WHERE Id = ?"), {other}),
              1);
}

TEST_F(Accounts, AClassGoesWithItsGroupsAndTheirAccountsUnlessOneIsUsed)
{
    const qint64 costs = accountClass(QStringLiteral("Costi"));
    const qint64 revenues = accountClass(QStringLiteral("Ricavi"));
    const qint64 fuel = group(QStringLiteral("Carburanti"), costs);
    const qint64 tolls = group(QStringLiteral("Autostrade"), costs);
    const qint64 freight = group(QStringLiteral("Noli"), revenues);
    account(QStringLiteral("Gasolio"), fuel);
    const qint64 telepass = account(QStringLiteral("Telepass"), tolls);
    const qint64 italy = account(QStringLiteral("Trasporti Italia"), freight);
    setOption("conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso", telepass);

    const core::Status refused = deleteAccountClass(archive(), costs);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione la Classe non può essere eliminata: il conto "
                                              "\"Telepass\" è usato:\n- conti predefiniti nelle opzioni: 1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti")), 3);

    setOption("conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso", QVariant());
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), accountClassesRegistry(), costs));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaClassi")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaRaggruppamenti")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ContabilitaConti WHERE ID = ?"), {italy}), 1);
}

TEST_F(Accounts, ANewAccountNeverTakesTheKeyOfADeletedOne)
{
    account(QStringLiteral("Primo"));
    const qint64 highest = account(QStringLiteral("Secondo"));
    ASSERT_TRUE(deleteAccount(archive(), highest));
    // A document that kept the deleted key must not find its account in a new one.
    const core::Result<qint64> added = shell::addRegistryRow(archive(), accountsRegistry());
    ASSERT_TRUE(added) << added.error().toStdString();
    EXPECT_GT(*added, highest);

    const qint64 emptied = group(QStringLiteral("Gruppo"));
    ASSERT_TRUE(deleteAccountGroup(archive(), emptied));
    EXPECT_GT(group(QStringLiteral("Nuovo gruppo")), emptied);
}

TEST_F(Accounts, TheRegistriesRefuseAnEmptyDescriptionWithTheirMessages)
{
    for (const auto &[registry, message] :
         {std::pair{&accountClassesRegistry(), "Attenzione manca la Descrizione"},
          std::pair{&accountGroupsRegistry(), "Attenzione manca la Descrizione"},
          std::pair{&accountsRegistry(), "Attenzione manca la Descrizione del Conto"}}) {
        const auto failure =
            registry->checks.firstFailure({{QStringLiteral("Descrizione"), QStringLiteral("  ")}});
        ASSERT_TRUE(failure) << registry->listWindow.toStdString();
        EXPECT_EQ(failure->message, QString::fromUtf8(message));
        EXPECT_FALSE(
            registry->checks.firstFailure({{QStringLiteral("Descrizione"), QStringLiteral("Costi")}}));
    }
    EXPECT_EQ(accountClassesRegistry().deleteQuestion,
              QStringLiteral("Sei sicuro di voler eliminare la Classe ?"));
    EXPECT_EQ(accountGroupsRegistry().deleteQuestion,
              QStringLiteral("Sei sicuro di voler eliminare il Raggruppamento ?"));
    EXPECT_EQ(accountsRegistry().deleteQuestion, QStringLiteral("Sei sicuro di voler eliminare il Conto ?"));
}

TEST(AccountingPeriods, BothDatesAreNeededRealAndInOrder)
{
    const auto failing = [](const char *from, const char *to) {
        const auto problem = checkAccountingPeriod(QString::fromLatin1(from), QString::fromLatin1(to));
        return problem ? problem->message : QString();
    };
    EXPECT_EQ(failing("  /  /    ", "31/03/2026"),
              QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
    EXPECT_EQ(failing("", ""), QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
    EXPECT_EQ(failing("01/01/2026", "  /  /    "),
              QStringLiteral("Attenzione E' necessario definire la data di fine..."));
    EXPECT_EQ(checkAccountingPeriod(QStringLiteral("01/01/2026"), QString())->field,
              AccountingPeriodField::To);
    EXPECT_EQ(failing("30/02/2026", "31/03/2026"),
              QStringLiteral("Attenzione la data di inizio 30/02/2026 non è valida..."));
    EXPECT_EQ(failing("01/04/2026", "31/03/2026"),
              QStringLiteral("Attenzione la data di fine non può essere precedente alla data di inizio..."));
    EXPECT_EQ(failing("01/01/2026", "31/03/2026"), QString());

    const AccountingPeriod period =
        accountingPeriod(QStringLiteral("01/01/2026"), QStringLiteral("31/03/2026"));
    EXPECT_EQ(period.from, QDate(2026, 1, 1));
    EXPECT_EQ(period.to, QDate(2026, 3, 31));
    EXPECT_EQ(periodDescription(period), QStringLiteral("Dal 01/01/2026 al 31/03/2026"));
}

TEST_F(Accounts, APurchaseOf100AndACashIncomeOf30OnTheSameAccountGiveMinus70)
{
    const qint64 a = account(QStringLiteral("A"));
    booked(purchaseRows, at(2026, 2, 10), a, 100);
    cash(at(2026, 2, 11), 30, 0, a);
    const QHash<qint64, double> amounts = balance(QDate(2026, 2, 1), QDate(2026, 2, 28));
    EXPECT_EQ(amounts.size(), 1);
    EXPECT_DOUBLE_EQ(amounts.value(a), -70.0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempBilancio WHERE DescrizioneData = ?"),
                    {QStringLiteral("Dal 01/02/2026 al 28/02/2026")}),
              1);
}

TEST_F(Accounts, TakingsOf122At22PercentAdd100ToTheTakingsAccount)
{
    const qint64 takings = account(QStringLiteral("Corrispettivi"));
    const qint64 entryAccount = account(QStringLiteral("Cassa"));
    setOption("conto_ID_Predefinito_su_Corrispettivi", takings);
    // The takings go on the takings account whatever account the entry names, and are not income.
    cash(at(2026, 3, 2), 122.0, 0, entryAccount, true, 22);
    QHash<qint64, double> amounts = balance(QDate(2026, 3, 1), QDate(2026, 3, 31));
    EXPECT_EQ(amounts.size(), 1);
    EXPECT_DOUBLE_EQ(amounts.value(takings), 100.0);

    // Takings returned (out) take away, each entry brought back to net at four decimals.
    cash(at(2026, 3, 3), 0, 12.2, {}, true, 22);
    cash(at(2026, 3, 4), 10.0, 0, {}, true, 4); // 9.6154
    cash(at(2026, 3, 5), 10.0, 0, {}, true, 4);
    amounts = balance(QDate(2026, 3, 1), QDate(2026, 3, 31));
    EXPECT_DOUBLE_EQ(amounts.value(takings), 109.23) << "90 + 2 x 9,6154 rounded to the cent once";

    // Without a takings account they are in no account's balance.
    setOption("conto_ID_Predefinito_su_Corrispettivi", QVariant());
    EXPECT_TRUE(balance(QDate(2026, 3, 1), QDate(2026, 3, 31)).isEmpty());
}

TEST_F(Accounts, ThePeriodTakesTheWholeOfItsLastDayAndNothingOutside)
{
    const qint64 a = account(QStringLiteral("A"));
    booked(purchaseRows, at(2026, 1, 31, 23, 59, 59), a, 1);  // before the period
    booked(purchaseRows, at(2026, 2, 1), a, 10);              // first moment
    booked(purchaseRows, at(2026, 2, 28, 23, 59, 0), a, 100); // last day, 23:59
    booked(purchaseRows, at(2026, 3, 1), a, 1000);            // after
    cash(at(2026, 2, 28, 23, 59, 59), 0, 10000, a);           // the last second
    cash(at(2026, 3, 1, 0, 0, 0), 0, 100000, a);
    EXPECT_DOUBLE_EQ(balance(QDate(2026, 2, 1), QDate(2026, 2, 28)).value(a), -10110.0);
}

TEST_F(Accounts, EachSourceCountsWithItsSignOnItsDate)
{
    const qint64 a = account(QStringLiteral("A"));
    const qint64 b = account(QStringLiteral("B"));
    const QDateTime inside = at(2026, 5, 15, 10, 30);
    booked(purchaseRows, inside, a, 100);
    booked(supplierNoteRows, inside, a, 20);
    booked(saleRows, inside, a, 1000);
    booked(customerNoteRows, inside, a, 300);
    cash(inside, 5, 0, a);
    cash(inside, 0, 7, a);
    // A row that unloads goods is no cost.
    row(purchaseRows, document(purchaseRows, inside), a, 5000, QStringLiteral("Scarico"),
        {{QStringLiteral("Scarico"), true}});
    // A sale booked on another account, and rows without an account or on a deleted one.
    booked(saleRows, inside, b, 44);
    booked(saleRows, inside, {}, 55);
    booked(saleRows, inside, b + 50, 66);
    cash(inside, 3, 0, {});

    const QHash<qint64, double> amounts = balance(QDate(2026, 5, 1), QDate(2026, 5, 31));
    EXPECT_EQ(amounts.size(), 2);
    EXPECT_DOUBLE_EQ(amounts.value(a), -100 + 20 + 1000 - 300 + 5 - 7);
    EXPECT_DOUBLE_EQ(amounts.value(b), 44.0);

    // The documents are dated by registration (purchases) and by date (sales): a period holding
    // only the other date of each finds none of them.
    EXPECT_TRUE(balance(QDate(2026, 4, 1), QDate(2026, 4, 30)).isEmpty());
    EXPECT_TRUE(balance(QDate(2026, 6, 1), QDate(2026, 6, 30)).isEmpty());
}

TEST_F(Accounts, TheSumsByAccountAreThoseOfReadingEachAccountInTurn)
{
    const qint64 costs = accountClass(QStringLiteral("Costi"));
    QList<qint64> accounts;
    for (int i = 0; i < 6; ++i)
        accounts.append(account(QStringLiteral("Conto %1").arg(i),
                                i % 2 ? group(QStringLiteral("G%1").arg(i), costs) : QVariant()));
    setOption("conto_ID_Predefinito_su_Corrispettivi", accounts.at(3));
    const RowTable kinds[] = {purchaseRows, supplierNoteRows, saleRows, customerNoteRows};
    for (int i = 0; i < 60; ++i) {
        const QDateTime when = at(2026, 1 + i % 4, 1 + (i * 7) % 28, (i * 5) % 24, (i * 13) % 60);
        const QVariant on = i % 9 == 0 ? QVariant() : QVariant(accounts.at(i % accounts.size()));
        const double amount = 0.01 * ((i * 7919) % 100000) + 0.005;
        booked(kinds[i % 4], when, on, amount);
        if (i % 3 == 0)
            cash(when, amount, 0, on);
        if (i % 4 == 1)
            cash(when, 0, amount / 3, on);
        if (i % 5 == 2)
            cash(when, amount, i % 2 ? 0.0 : 1.5, on, true, i % 2 ? 22 : 10);
    }
    for (const auto &[from, to] :
         {std::pair{QDate(2026, 1, 1), QDate(2026, 4, 30)}, std::pair{QDate(2026, 2, 8), QDate(2026, 3, 15)},
          std::pair{QDate(2026, 4, 22), QDate(2026, 4, 22)}}) {
        SCOPED_TRACE(from.toString(Qt::ISODate).toStdString());
        const QHash<qint64, double> aggregated = balance(from, to);
        const QHash<qint64, double> accountByAccount = balanceAccountByAccount(from, to);
        EXPECT_GE(accountByAccount.size(), 3) << "a period with something on several accounts";
        EXPECT_EQ(aggregated.keys().size(), accountByAccount.keys().size());
        for (auto it = accountByAccount.cbegin(); it != accountByAccount.cend(); ++it)
            EXPECT_DOUBLE_EQ(aggregated.value(it.key(), -1e9), it.value()) << it.key();
    }
}

TEST_F(Accounts, TheBalanceReplacesThisWorkstationsRowsAndLeavesTheOthers)
{
    const qint64 a = account(QStringLiteral("A"));
    booked(saleRows, at(2026, 1, 5), a, 10);
    ASSERT_TRUE(fillBalance(archive(), otherOffice, {QDate(2026, 1, 1), QDate(2026, 1, 31)}));
    ASSERT_TRUE(fillBalance(archive(), office, {QDate(2026, 1, 1), QDate(2026, 1, 31)}));
    booked(saleRows, at(2026, 1, 6), a, 5);
    const core::Result<int> written = fillBalance(archive(), office, {QDate(2026, 1, 1), QDate(2026, 1, 31)});
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(*written, 1);
    EXPECT_DOUBLE_EQ(storedBalance(office).value(a), 15.0);
    EXPECT_EQ(storedBalance(office).size(), 1) << "the earlier print's row is gone";
    EXPECT_DOUBLE_EQ(storedBalance(otherOffice).value(a), 10.0) << "another workstation's print stays";
}

TEST_F(Accounts, TheStatementListsTheAccountsRowsOfThePeriodInSixKinds)
{
    const qint64 a = account(QStringLiteral("A"));
    const qint64 b = account(QStringLiteral("B"));
    const qint64 purchase = document(purchaseRows, at(2026, 4, 2), QStringLiteral("FT 55/B"));
    row(purchaseRows, purchase, a, 100, QStringLiteral("Gasolio"));
    row(purchaseRows, purchase, b, 999, QStringLiteral("Altro conto"));
    row(supplierNoteRows, document(supplierNoteRows, at(2026, 4, 3)), a, 20, QStringLiteral("Reso"));
    row(saleRows, document(saleRows, at(2026, 4, 4), QStringLiteral("31")), a, 1000,
        QStringLiteral("Viaggio"));
    row(customerNoteRows, document(customerNoteRows, at(2026, 4, 5), QStringLiteral("4")), a, 300,
        QStringLiteral("Storno"));
    cash(at(2026, 4, 6), 5, 0, a, false, 0, QStringLiteral("Incasso"));
    cash(at(2026, 4, 7), 0, 7, a, false, 0, QStringLiteral("Pagamento"));
    cash(at(2026, 5, 7), 0, 8, a, false, 0, QStringLiteral("Fuori periodo"));
    test::addRow(archive(), QStringLiteral("TempContabilitaConto"),
                 {{QStringLiteral("NomeComputer"), otherOffice}, {QStringLiteral("ContabilitaConti_ID"), b}});
    test::addRow(archive(), QStringLiteral("TempContabilitaConto"),
                 {{QStringLiteral("NomeComputer"), office}, {QStringLiteral("ContabilitaConti_ID"), b}});

    const core::Result<int> written =
        fillAccountStatement(archive(), office, a, {QDate(2026, 4, 1), QDate(2026, 4, 30)});
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(*written, 6);
    const auto rows = archive().readRows(
        QStringLiteral(
            "SELECT Tipologia, DescrizioneTipologia, TotaleImponibile, Descrizione, NumeroDocumento, "
            "SerieFatturazione, ProgressivoCarico, DataDocumento, DataRegistrazione, DescrizioneData, "
            "ContabilitaConti_ID FROM TempContabilitaConto WHERE NomeComputer = ? ORDER BY ID"),
        {office});
    ASSERT_TRUE(rows) << rows.error().toStdString();
    ASSERT_EQ(rows->values.size(), 6);
    QStringList kinds;
    double total = 0;
    for (const QVariantList &r : rows->values) {
        kinds.append(r.value(1).toString());
        total += r.value(2).toDouble();
        EXPECT_EQ(r.value(9).toString(), QStringLiteral("Dal 01/04/2026 al 30/04/2026"));
        EXPECT_EQ(r.value(10).toLongLong(), a);
    }
    EXPECT_EQ(kinds, accountStatementKinds());
    EXPECT_EQ(
        kinds,
        (QStringList{QStringLiteral("Fatture di Acquisto"), QStringLiteral("Note di Credito da Fornitore"),
                     QStringLiteral("Fatture di Vendita"), QStringLiteral("Note di credito di Vendita"),
                     QStringLiteral("Prima Nota in Dare"), QStringLiteral("Prima Nota in Avere")}));
    EXPECT_DOUBLE_EQ(total, -100 + 20 + 1000 - 300 + 5 - 7) << "the account's balance";

    const QVariantList &bought = rows->values.at(0);
    EXPECT_EQ(bought.value(0).toString(), QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(bought.value(2).toDouble(), -100.0);
    EXPECT_EQ(bought.value(3).toString(), QStringLiteral("Gasolio"));
    EXPECT_EQ(bought.value(4).toString(), QStringLiteral("FT 55/B"));
    EXPECT_EQ(bought.value(6).toInt(), 12);
    EXPECT_EQ(storage::sqlvalue::toDate(bought.value(7)), QDate(2026, 3, 2)) << "the supplier's date";
    EXPECT_EQ(storage::sqlvalue::toDate(bought.value(8)), QDate(2026, 4, 2));
    const QVariantList &sold = rows->values.at(2);
    EXPECT_EQ(sold.value(4).toString(), QStringLiteral("31"));
    EXPECT_EQ(sold.value(5).toString(), QStringLiteral("A"));
    EXPECT_EQ(storage::sqlvalue::toDate(sold.value(7)), QDate(2026, 4, 4));
    const QVariantList &paid = rows->values.at(5);
    EXPECT_EQ(paid.value(3).toString(), QStringLiteral("Pagamento"));
    EXPECT_EQ(storage::sqlvalue::toDate(paid.value(7)), QDate(2026, 4, 7));

    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempContabilitaConto WHERE NomeComputer = ?"),
                    {otherOffice}),
              1);
}

} // namespace
