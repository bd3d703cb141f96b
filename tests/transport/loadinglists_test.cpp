#include "shell/registrydescriptor.h"
#include "shell/reportcatalogue.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"
#include "transport/loadinglists.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

const char *const childArchive = "ROTALINA_LOADING_CHILD_ARCHIVE";
constexpr int listsPerChild = 12;

class LoadingLists : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 list(const QDate &today)
    {
        const core::Result<qint64> key = createLoadingList(archive(), today, false);
        EXPECT_TRUE(key) << key.error().toStdString();
        return key ? *key : 0;
    }

    QVariant value(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> read = archive().scalar(sql, params);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : QVariant();
    }

    int numberOf(qint64 key)
    {
        return value(QStringLiteral("SELECT Numero FROM DistinteCaricoTestata WHERE ID = ?"), {key}).toInt();
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(LoadingLists, NumbersAreTheHighestOfTheYearPlusOneAndANewYearStartsAgain)
{
    const qint64 first = list(QDate(2026, 3, 1));
    EXPECT_EQ(numberOf(first), 1);
    EXPECT_EQ(storage::sqlvalue::toDate(value(
                  QStringLiteral("SELECT DataConsegna FROM DistinteCaricoTestata WHERE ID = ?"), {first})),
              QDate(2026, 3, 1));
    ASSERT_TRUE(saveLoadingList(archive(), first, {{QStringLiteral("Numero"), 9}}));
    EXPECT_EQ(numberOf(list(QDate(2026, 2, 1))), 10) << "back-dated";
    // After the year is archived, the next year's lists start from 1.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE DistinteCaricoTestata SET Storico = ?"), {true}));
    EXPECT_EQ(numberOf(list(QDate(2027, 1, 3))), 1);
}

TEST_F(LoadingLists, ANumberAlreadyGivenInTheYearIsRefused)
{
    list(QDate(2026, 3, 1));
    const qint64 second = list(QDate(2026, 3, 2));
    const core::Status refused = saveLoadingList(archive(), second, {{QStringLiteral("Numero"), 1}});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), duplicateLoadingListMessage(1, 2026));
    EXPECT_EQ(numberOf(second), 2);
}

TEST_F(LoadingLists, AHeaderWithoutDriverIsAccepted)
{
    QVariantMap header{{QStringLiteral("Data"), QDate(2026, 3, 10)},
                       {QStringLiteral("Numero"), 1},
                       {QStringLiteral("Cliente_Id"), 3}};
    auto failure = loadingListChecks().firstFailure(header);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la targa"));
    header.insert(QStringLiteral("Targa1"), QStringLiteral("AB123CD"));
    EXPECT_FALSE(loadingListChecks().firstFailure(header));
    header.remove(QStringLiteral("Numero"));
    failure = loadingListChecks().firstFailure(header);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca il numero di Distinta"));
    failure = loadingListRowChecks().firstFailure({{QStringLiteral("Mittente_Id"), 2}});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca il Destinatario"));
}

TEST_F(LoadingLists, RowsTakeTheListsDateOrTodayAndKeepTheTypedAmount)
{
    const qint64 key = list(QDate(2026, 3, 10));
    const core::Result<qint64> row = addLoadingListRow(archive(), key, QDate(2026, 4, 1));
    ASSERT_TRUE(row);
    EXPECT_EQ(storage::sqlvalue::toDate(value(
                  QStringLiteral("SELECT DataTrasporto FROM DistinteCaricoRighe WHERE IDX = ?"), {*row})),
              QDate(2026, 3, 10));
    ASSERT_TRUE(shell::saveRegistryRow(archive(), loadingListRowsRegistry(), *row,
                                       {{QStringLiteral("Importo"), 120.0},
                                        {QStringLiteral("PesoTassabile"), 10.0},
                                        {QStringLiteral("TariffaQuintale"), 15.0}}));
    ASSERT_TRUE(shell::saveRegistryRow(archive(), loadingListRowsRegistry(), *row,
                                       {{QStringLiteral("PesoTassabile"), 20.0}}));
    EXPECT_DOUBLE_EQ(
        value(QStringLiteral("SELECT Importo FROM DistinteCaricoRighe WHERE IDX = ?"), {*row}).toDouble(),
        120)
        << "never derived from weight and rate";
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE DistinteCaricoTestata SET Data = NULL WHERE ID = ?"),
                                  {key}));
    const core::Result<qint64> undated = addLoadingListRow(archive(), key, QDate(2026, 4, 1));
    ASSERT_TRUE(undated);
    EXPECT_EQ(storage::sqlvalue::toDate(value(
                  QStringLiteral("SELECT DataTrasporto FROM DistinteCaricoRighe WHERE IDX = ?"), {*undated})),
              QDate(2026, 4, 1));
}

TEST_F(LoadingLists, DeletingAListTakesItsOwnRowsAndThePrintReadsThem)
{
    const qint64 kept = list(QDate(2026, 3, 1));
    ASSERT_TRUE(addLoadingListRow(archive(), kept));
    ASSERT_TRUE(addLoadingListRow(archive(), kept));
    const qint64 deleted = list(QDate(2026, 3, 2));
    ASSERT_TRUE(addLoadingListRow(archive(), deleted));

    shell::ReportContext context;
    context.key = kept;
    const shell::ReportSpec spec = shell::reportSpec(78, context, {}, archive().dialect());
    EXPECT_EQ(spec.reportFile, QStringLiteral("DistintaCarico.rpt"));
    const core::Result<storage::Archive::Rows> rows = archive().readRows(spec.query);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    EXPECT_EQ(rows->values.size(), 2);

    ASSERT_TRUE(deleteLoadingList(archive(), deleted));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM DistinteCaricoRighe")), 2);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM DistinteCaricoTestata")), 1);
}

TEST_F(LoadingLists, EveryChoiceAndListOfTheWindowsReadsTheArchive)
{
    QList<shell::RegistryField> fields;
    for (const shell::DocumentTab &tab : loadingListDocument().tabs)
        fields += tab.fields;
    fields += loadingListRowsRegistry().fields;
    for (const shell::RegistryField &field : std::as_const(fields)) {
        if (!field.lookupSql.isEmpty()) {
            EXPECT_TRUE(archive().readRows(field.lookupSql)) << field.field.toStdString();
        }
        if (!field.copySql.isEmpty()) {
            EXPECT_TRUE(archive().readRows(field.copySql, {0})) << field.field.toStdString();
        }
    }
    for (const shell::RegistryDescriptor *registry : {&loadingListsRegistry(), &loadingListRowsRegistry()})
        EXPECT_TRUE(archive().readRows(shell::registryListStatement(*registry, {})))
            << registry->table.toStdString();
}

// Run as a separate process by the test below: writes loading lists on the archive it is given.
TEST(LoadingListNumbering, WorkstationWritingLists)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by LoadingListNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < listsPerChild; ++i) {
        const auto key = createLoadingList(**archive, QDate(2026, 3, 10 - i % 3), false);
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(LoadingListNumbering, FourWorkstationsAtOnce)
{
    auto archive = test::newArchive();
    test::runAsWorkstations(QStringLiteral("LoadingListNumbering.WorkstationWritingLists"), childArchive,
                            *archive);
    EXPECT_EQ(
        test::count(*archive, QStringLiteral("SELECT COUNT(DISTINCT Numero) FROM DistinteCaricoTestata")),
        4 * listsPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT MAX(Numero) FROM DistinteCaricoTestata")),
              4 * listsPerChild);
}

} // namespace
