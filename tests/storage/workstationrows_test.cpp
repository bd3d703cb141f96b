#include "storage/workstationrows.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

TEST(WorkstationRows, EachWorkstationSeesAndClearsOnlyItsOwnRows)
{
    auto office = test::newArchive();
    auto warehouse = test::openAgain(office->location());
    WorkstationRows first(*office, QStringLiteral("UFFICIO"));
    WorkstationRows second(*warehouse, QStringLiteral("MAGAZZINO"));

    for (const QString &query : {QStringLiteral("select 1"), QStringLiteral("select 2")})
        ASSERT_TRUE(first.insert(QStringLiteral("TempStampa"), {{QStringLiteral("Query"), query}}).ok());
    ASSERT_TRUE(
        second.insert(QStringLiteral("tempstampa"), {{QStringLiteral("Query"), QStringLiteral("select 3")}})
            .ok());
    ASSERT_TRUE(
        second.insert(QStringLiteral("TempAvvisi"), {{QStringLiteral("Testo"), QStringLiteral("avviso")}})
            .ok());

    EXPECT_EQ(*first.count(QStringLiteral("TempStampa")), 2);
    EXPECT_EQ(*second.count(QStringLiteral("TempStampa")), 1);
    auto rows = second.rows(QStringLiteral("TempStampa"), {QStringLiteral("Query")});
    ASSERT_TRUE(rows.ok());
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->value(QStringLiteral("Query")).toString(), QStringLiteral("select 3"));
    EXPECT_FALSE(rows->next());

    const auto cleared = first.clear(QStringLiteral("TempStampa"));
    ASSERT_TRUE(cleared.ok());
    EXPECT_EQ(*cleared, 2);
    EXPECT_EQ(*first.count(QStringLiteral("TempStampa")), 0);
    EXPECT_EQ(*second.count(QStringLiteral("TempStampa")), 1) << "the other workstation's rows are untouched";
    EXPECT_EQ(*second.count(QStringLiteral("TempAvvisi")), 1);
}

TEST(WorkstationRows, OnlyWorkTablesAreScoped)
{
    auto archive = test::newArchive();
    WorkstationRows rows(*archive, QStringLiteral("UFFICIO"));
    const auto refused = rows.clear(QStringLiteral("fattura"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), QStringLiteral("fattura non è una tabella di lavoro della postazione."));
    EXPECT_FALSE(rows.rows(QStringLiteral("TempStampa"), {QStringLiteral("Inesistente")}).ok());
}
