#include "shell/olddata.h"
#include "storage/workstationrows.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

namespace {

int count(storage::Archive &archive, const QString &table)
{
    return archive.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).value().toInt();
}

qint64 add(storage::Archive &archive, const char *table, const QVariantMap &values)
{
    const auto key = archive.insert(QString::fromLatin1(table), values);
    EXPECT_TRUE(key.ok()) << key.error().toStdString();
    return key.ok() ? *key : 0;
}

} // namespace

TEST(OldData, DocumentsUpToTheLimitGoWithAllTheirRows)
{
    auto archive = test::newArchive();
    const qint64 oldInvoice = add(*archive, "fattura", {{QStringLiteral("Data"), QDate(2023, 5, 5)}});
    const qint64 newInvoice = add(*archive, "fattura", {{QStringLiteral("Data"), QDate(2024, 5, 5)}});
    for (qint64 invoice : {oldInvoice, newInvoice}) {
        add(*archive, "fattdett", {{QStringLiteral("NumFatt"), invoice}});
        add(*archive, "FatturaScadenze", {{QStringLiteral("Fattura_ID"), invoice}});
    }
    const qint64 oldPurchase = add(*archive, "fattura",
                                   {{QStringLiteral("Carico"), true},
                                    {QStringLiteral("Data"), QDate(2023, 12, 20)},
                                    {QStringLiteral("DataRegistrazione"), QDate(2024, 2, 1)}});
    add(*archive, "Movimenti", {{QStringLiteral("Fattura_ID"), oldPurchase}});
    const qint64 oldJob = add(*archive, "TotaliCo", {{QStringLiteral("Data"), QDate(2022, 1, 1)}});
    add(*archive, "Conti", {{QStringLiteral("Testata_ID"), oldJob}});
    add(*archive, "finanzia", {{QStringLiteral("Data"), QDate(2023, 1, 1)}});
    add(*archive, "finanzia", {{QStringLiteral("Data"), QDate(2024, 1, 2)}});
    storage::WorkstationRows mine(*archive, QStringLiteral("UFFICIO"));
    storage::WorkstationRows theirs(*archive, QStringLiteral("MAGAZZINO"));
    ASSERT_TRUE(mine.insert(QStringLiteral("TempStampa"), {}).ok());
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempStampa"), {}).ok());

    ASSERT_TRUE(deleteOldData(*archive, QStringLiteral("UFFICIO")).ok());
    EXPECT_EQ(count(*archive, QStringLiteral("fattura")), 2)
        << "the 2024 invoice and the purchase registered in 2024";
    EXPECT_EQ(count(*archive, QStringLiteral("fattdett")), 1);
    EXPECT_EQ(count(*archive, QStringLiteral("FatturaScadenze")), 1);
    EXPECT_EQ(count(*archive, QStringLiteral("Movimenti")), 1);
    EXPECT_EQ(count(*archive, QStringLiteral("TotaliCo")), 0);
    EXPECT_EQ(count(*archive, QStringLiteral("Conti")), 0);
    EXPECT_EQ(count(*archive, QStringLiteral("finanzia")), 1);
    EXPECT_EQ(*mine.count(QStringLiteral("TempStampa")), 0);
    EXPECT_EQ(*theirs.count(QStringLiteral("TempStampa")), 1) << "another workstation's work rows stay";
    EXPECT_GE(count(*archive, QStringLiteral("Comuni")), 7800) << "code tables are not touched";
}

TEST(OldData, AFailureDeletesNothing)
{
    auto archive = test::newArchive();
    add(*archive, "finanzia", {{QStringLiteral("Data"), QDate(2020, 1, 1)}});
    const qint64 job = add(*archive, "TotaliCo", {{QStringLiteral("Data"), QDate(2020, 1, 1)}});
    add(*archive, "Conti", {{QStringLiteral("Testata_ID"), job}});
    // A table the clean-up needs is gone: it must stop without having deleted anything.
    ASSERT_TRUE(archive->execute(QStringLiteral("DROP TABLE PreventiRighe")).ok());
    EXPECT_FALSE(deleteOldData(*archive, QStringLiteral("UFFICIO")).ok());
    EXPECT_EQ(count(*archive, QStringLiteral("finanzia")), 1);
    EXPECT_EQ(count(*archive, QStringLiteral("Conti")), 1);
}
