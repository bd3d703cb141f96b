#include "storage/listfilter.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

TEST(ListFilter, TypedTextsAndDatesNarrowTheList)
{
    auto archive = test::newArchive();
    const struct
    {
        const char *name;
        QDate date;
    } rows[] = {{"Trasporti Città", QDate(2024, 1, 10)},
                {"Autolinee Rossi", QDate(2024, 2, 10)},
                {"Città Nuova Logistica", QDate(2024, 3, 31)},
                {"50% Sconti", QDate(2024, 3, 31)}};
    for (const auto &row : rows)
        ASSERT_TRUE(archive
                        ->insert(QStringLiteral("Calendario"),
                                 {{QStringLiteral("Cliente"), QString::fromUtf8(row.name)},
                                  {QStringLiteral("Data"), row.date}})
                        .ok());
    const auto shown = [&](const ListFilter &filter) {
        return archive
            ->scalar(QStringLiteral("SELECT COUNT(*) FROM Calendario") + filter.whereClause(),
                     filter.parameters())
            .value()
            .toInt();
    };
    ListFilter all(archive->dialect());
    all.contains(QStringLiteral("Cliente"), QStringLiteral("   "));
    EXPECT_TRUE(all.isEmpty()) << "a blank field filters nothing";
    EXPECT_EQ(shown(all), 4);

    ListFilter town(archive->dialect());
    town.contains(QStringLiteral("Cliente"), QStringLiteral("CITTA"));
    EXPECT_EQ(shown(town), 2);
    town.dateFrom(QStringLiteral("Data"), QDate(2024, 2, 1))
        .dateTo(QStringLiteral("Data"), QDate(2024, 3, 31));
    EXPECT_EQ(shown(town), 1) << "both conditions hold, the last day included";
    EXPECT_EQ(town.conditions().count(QStringLiteral(" AND ")), 2);

    ListFilter percent(archive->dialect());
    percent.startsWith(QStringLiteral("Cliente"), QStringLiteral("50%"));
    EXPECT_EQ(shown(percent), 1);
}
