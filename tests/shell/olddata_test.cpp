#include "shell/olddata.h"
#include "storage/workstationrows.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

namespace {

int rows(storage::Archive &archive, const QString &table)
{
    return test::count(archive, QStringLiteral("SELECT COUNT(*) FROM ") + table);
}

} // namespace

TEST(OldData, DocumentsUpToTheLimitGoWithAllTheirRows)
{
    auto archive = test::newArchive();
    const qint64 oldInvoice =
        test::addRow(*archive, QStringLiteral("fattura"), {{QStringLiteral("Data"), QDate(2023, 5, 5)}});
    const qint64 newInvoice =
        test::addRow(*archive, QStringLiteral("fattura"), {{QStringLiteral("Data"), QDate(2024, 5, 5)}});
    for (qint64 invoice : {oldInvoice, newInvoice}) {
        test::addRow(*archive, QStringLiteral("fattdett"), {{QStringLiteral("NumFatt"), invoice}});
        test::addRow(*archive, QStringLiteral("FatturaScadenze"), {{QStringLiteral("Fattura_ID"), invoice}});
    }
    const qint64 oldPurchase = test::addRow(*archive, QStringLiteral("fattura"),
                                            {{QStringLiteral("Carico"), true},
                                             {QStringLiteral("Data"), QDate(2023, 12, 20)},
                                             {QStringLiteral("DataRegistrazione"), QDate(2024, 2, 1)}});
    test::addRow(*archive, QStringLiteral("Movimenti"), {{QStringLiteral("Fattura_ID"), oldPurchase}});
    const qint64 oldJob =
        test::addRow(*archive, QStringLiteral("TotaliCo"), {{QStringLiteral("Data"), QDate(2022, 1, 1)}});
    test::addRow(*archive, QStringLiteral("Conti"), {{QStringLiteral("Testata_ID"), oldJob}});
    test::addRow(*archive, QStringLiteral("finanzia"), {{QStringLiteral("Data"), QDate(2023, 1, 1)}});
    test::addRow(*archive, QStringLiteral("finanzia"), {{QStringLiteral("Data"), QDate(2024, 1, 2)}});
    storage::WorkstationRows mine(*archive, QStringLiteral("UFFICIO"));
    storage::WorkstationRows theirs(*archive, QStringLiteral("MAGAZZINO"));
    ASSERT_TRUE(mine.insert(QStringLiteral("TempStampa"), {}).ok());
    ASSERT_TRUE(theirs.insert(QStringLiteral("TempStampa"), {}).ok());
    ASSERT_TRUE(mine.insert(QStringLiteral("TempAvvisi"),
                            {{QStringLiteral("Testo"), QStringLiteral("Gentile cliente")}})
                    .ok());
    ASSERT_TRUE(mine.insert(QStringLiteral("TempAvvisiClienti"), {}).ok());

    ASSERT_TRUE(deleteOldData(*archive, QStringLiteral("UFFICIO")).ok());
    EXPECT_EQ(rows(*archive, QStringLiteral("fattura")), 2)
        << "the 2024 invoice and the purchase registered in 2024";
    EXPECT_EQ(rows(*archive, QStringLiteral("fattdett")), 1);
    EXPECT_EQ(rows(*archive, QStringLiteral("FatturaScadenze")), 1);
    EXPECT_EQ(rows(*archive, QStringLiteral("Movimenti")), 1);
    EXPECT_EQ(rows(*archive, QStringLiteral("TotaliCo")), 0);
    EXPECT_EQ(rows(*archive, QStringLiteral("Conti")), 0);
    EXPECT_EQ(rows(*archive, QStringLiteral("finanzia")), 1);
    EXPECT_EQ(*mine.count(QStringLiteral("TempStampa")), 0);
    EXPECT_EQ(*theirs.count(QStringLiteral("TempStampa")), 1) << "another workstation's work rows stay";
    EXPECT_EQ(*mine.count(QStringLiteral("TempAvvisi")), 1) << "the notice being written stays";
    EXPECT_EQ(*mine.count(QStringLiteral("TempAvvisiClienti")), 1) << "and so do the customers chosen for it";
    EXPECT_GE(rows(*archive, QStringLiteral("Comuni")), 7800) << "code tables are not touched";
}

TEST(OldData, AFailureDeletesNothing)
{
    auto archive = test::newArchive();
    test::addRow(*archive, QStringLiteral("finanzia"), {{QStringLiteral("Data"), QDate(2020, 1, 1)}});
    const qint64 job =
        test::addRow(*archive, QStringLiteral("TotaliCo"), {{QStringLiteral("Data"), QDate(2020, 1, 1)}});
    test::addRow(*archive, QStringLiteral("Conti"), {{QStringLiteral("Testata_ID"), job}});
    // A table the clean-up needs is gone: it must stop without having deleted anything.
    ASSERT_TRUE(archive->execute(QStringLiteral("DROP TABLE PreventiRighe")).ok());
    EXPECT_FALSE(deleteOldData(*archive, QStringLiteral("UFFICIO")).ok());
    EXPECT_EQ(rows(*archive, QStringLiteral("finanzia")), 1);
    EXPECT_EQ(rows(*archive, QStringLiteral("Conti")), 1);
}
