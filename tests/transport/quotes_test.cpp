#include "storage/archive.h"
#include "support/testarchive.h"
#include "transport/joborders.h"
#include "transport/quotes.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

const char *const childArchive = "ROTALINA_QUOTE_CHILD_ARCHIVE";
constexpr int quotesPerChild = 12;

class Quotes : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    QVariant value(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> read = archive().scalar(sql, params);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : QVariant();
    }

    qint64 quote(qint64 customer)
    {
        const core::Result<qint64> key = createQuote(archive(), QDate(2026, 3, 2), false);
        EXPECT_TRUE(key) << key.error().toStdString();
        EXPECT_TRUE(archive().update(QStringLiteral("PreventiTestata"), *key,
                                     {{QStringLiteral("Cliente_ID"), customer}}));
        return *key;
    }

    qint64 tariff(double price, double kilometres = 0)
    {
        return test::addRow(archive(), QStringLiteral("prezziar"),
                            {{QStringLiteral("Descrizione"), QStringLiteral("Tratta")},
                             {QStringLiteral("Prezzo"), price},
                             {QStringLiteral("AliquotaIva"), 22.0},
                             {QStringLiteral("Iva_Id"), 1},
                             {QStringLiteral("Chilometri"), kilometres},
                             {QStringLiteral("Annullato"), false}});
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
    qint64 customer = test::addRow(archive(), QStringLiteral("Clienti"),
                                   {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")}});
};

TEST_F(Quotes, ThreeTariffsAtOnceAndAFreeRowOfItsOwnCode)
{
    const qint64 key = quote(customer);
    EXPECT_EQ(value(QStringLiteral("SELECT Numero FROM PreventiTestata WHERE ID = ?"), {key}).toInt(), 1);
    const core::Result<QList<qint64>> rows = addPricedTariffRows(
        archive(), quotePricing(), key, {tariff(100), tariff(200), tariff(50)}, QDate(2026, 3, 2));
    ASSERT_TRUE(rows) << rows.error().toStdString();
    EXPECT_EQ(rows->size(), 3);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM PreventiRighe WHERE Um = 1 AND Prev_ID = ?"),
                          {key}),
              3);
    EXPECT_DOUBLE_EQ(
        value(QStringLiteral("SELECT TotalePreventivo FROM PreventiTestata WHERE ID = ?"), {key}).toDouble(),
        427);
    const core::Result<qint64> free = addPricedFreeRow(archive(), quotePricing(), key, QDate(2026, 3, 2));
    ASSERT_TRUE(free);
    EXPECT_EQ(value(QStringLiteral("SELECT Codice FROM PreventiRighe WHERE ID = ?"), {*free}).toString(),
              QStringLiteral("00000"));
    const core::Result<qint64> job = createJobOrder(archive(), {QDate(2026, 3, 2), false});
    ASSERT_TRUE(job);
    const core::Result<qint64> jobFree = addJobFreeRow(archive(), *job);
    ASSERT_TRUE(jobFree);
    EXPECT_TRUE(value(QStringLiteral("SELECT Codice FROM Conti WHERE IDX = ?"), {*jobFree}).isNull())
        << "a job order's free row has no code";
    EXPECT_EQ(
        value(QStringLiteral("SELECT Numero FROM PreventiTestata WHERE ID = ?"), {quote(customer)}).toInt(),
        2);
}

TEST_F(Quotes, ATakenQuoteLeavesTheOfferAndComesBackWithTheOdometerWhereItStarted)
{
    ASSERT_TRUE(
        archive().execute(QStringLiteral("UPDATE opzioni SET IncrementaChilometriDaCommesse = ?"), {true}));
    const qint64 truck = test::addRow(
        archive(), QStringLiteral("Vetture"),
        {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}, {QStringLiteral("Chilometri"), 1000.0}});
    const auto odometer = [&] {
        return value(QStringLiteral("SELECT Chilometri FROM Vetture WHERE ID = ?"), {truck}).toDouble();
    };
    const qint64 priced = quote(customer);
    ASSERT_TRUE(addPricedTariffRows(archive(), quotePricing(), priced, {tariff(300, 120), tariff(80)},
                                    QDate(2026, 3, 2)));
    const qint64 other =
        quote(test::addRow(archive(), QStringLiteral("Clienti"),
                           {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Beta")}}));
    const core::Result<qint64> job = createJobOrder(archive(), {QDate(2026, 3, 10), false});
    ASSERT_TRUE(job);
    ASSERT_TRUE(archive().update(
        QStringLiteral("TotaliCo"), *job,
        {{QStringLiteral("Cliente_Id"), customer}, {QStringLiteral("Targa1"), QStringLiteral("AB123CD")}}));
    core::Result<QList<OfferedQuote>> offered = offeredQuotes(archive(), *job);
    ASSERT_TRUE(offered);
    ASSERT_EQ(offered->size(), 1) << "only the customer's open quotes";
    EXPECT_EQ(offered->first().key, priced);
    EXPECT_TRUE(offered->first().text.startsWith(QStringLiteral("N° 1 Data: 02/03/2026")));
    EXPECT_NE(offered->first().key, other);

    ASSERT_TRUE(importQuotes(archive(), *job, {priced}));
    ASSERT_TRUE(importQuotes(archive(), *job, {priced})) << "a second import replaces the first";
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Conti WHERE Testata_ID = ?"), {*job}), 2);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM CommessePreventiviRighe")), 1);
    EXPECT_DOUBLE_EQ(odometer(), 1120) << "the kilometres of the replaced rows went back first";
    EXPECT_EQ(
        value(QStringLiteral("SELECT Note FROM Conti WHERE Testata_ID = ? ORDER BY IDX LIMIT 1"), {*job})
            .toString(),
        QStringLiteral("Preventivo N°1 Data: 02/03/2026"));
    EXPECT_DOUBLE_EQ(
        value(QStringLiteral("SELECT TotImponibile FROM TotaliCo WHERE ID = ?"), {*job}).toDouble(), 380);
    EXPECT_TRUE(value(QStringLiteral("SELECT Chiuso FROM PreventiTestata WHERE ID = ?"), {priced}).toBool());
    offered = offeredQuotes(archive(), *job);
    EXPECT_TRUE(offered && offered->isEmpty()) << "a taken quote is offered no more";

    const core::Status refused = deleteQuote(archive(), priced);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(),
              QStringLiteral("Attenzione il preventivo è nella commessa n. 1 del 10/03/2026: per "
                             "eliminarlo toglierlo prima dalla commessa."));

    const qint64 link = value(QStringLiteral("SELECT ID FROM CommessePreventiviRighe")).toLongLong();
    ASSERT_TRUE(unlinkQuote(archive(), link));
    EXPECT_DOUBLE_EQ(odometer(), 1000);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Conti")), 0);
    EXPECT_DOUBLE_EQ(
        value(QStringLiteral("SELECT TotImponibile FROM TotaliCo WHERE ID = ?"), {*job}).toDouble(), 0);
    offered = offeredQuotes(archive(), *job);
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->size(), 1) << "the quote is offered again";
    ASSERT_TRUE(deleteQuote(archive(), priced));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM PreventiRighe WHERE Prev_ID = ?"),
                          {priced}),
              0);

    const core::Status unsaved = importQuotes(archive(), 0, {other});
    ASSERT_FALSE(unsaved);
    EXPECT_EQ(unsaved.error(), quoteNotSavedMessage());
}

// Run as a separate process by the test below: creates quotes on the archive it is given.
TEST(QuoteNumbering, WorkstationCreatingQuotes)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by QuoteNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < quotesPerChild; ++i) {
        const auto key = createQuote(**archive, QDate(2026, 3, 10), false);
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(QuoteNumbering, FourWorkstationsAtOnce)
{
    auto archive = test::newArchive();
    test::runAsWorkstations(QStringLiteral("QuoteNumbering.WorkstationCreatingQuotes"), childArchive,
                            *archive);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(DISTINCT Numero) FROM PreventiTestata")),
              4 * quotesPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT MAX(Numero) FROM PreventiTestata")),
              4 * quotesPerChild);
}

} // namespace
