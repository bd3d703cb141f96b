#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {

// A small archive in two versions: version 2 adds a field, a table with a reference, and fills
// the new field of the rows that existed.
QList<TableDef> vehicleTables()
{
    return {
        TableDef(QStringLiteral("Mezzi"),
                 {{QStringLiteral("ID"), FieldKind::Key},
                  {QStringLiteral("Targa"), FieldKind::Text},
                  {QStringLiteral("Km"), FieldKind::Double, QString(), 2},
                  {QStringLiteral("Attivo"), FieldKind::Boolean, QString(), 2}},
                 {IndexDef({QStringLiteral("Targa")})}),
        TableDef(QStringLiteral("Revisioni"),
                 {{QStringLiteral("ID"), FieldKind::Key},
                  {QStringLiteral("Mezzo_ID"), FieldKind::Ref, QStringLiteral("Mezzi.ID")},
                  {QStringLiteral("Data"), FieldKind::Date}},
                 {}, 2),
    };
}

MigrationStep fillKilometres(bool fail)
{
    return {2, QStringLiteral("Chilometri dei mezzi"), [fail](Archive &archive) -> core::Status {
                if (core::Status done =
                        core::Status::from(archive.execute(QStringLiteral("UPDATE Mezzi SET Km = 0")));
                    !done)
                    return done;
                return fail ? core::Status::failure(QStringLiteral("passo non riuscito")) : core::Status();
            }};
}

std::unique_ptr<Archive> openWith(const ArchiveLocation &location, const SchemaDefinition &schema,
                                  bool create, QString *error = nullptr)
{
    OpenOptions options;
    options.createIfMissing = create;
    options.seedCodeTables = false;
    options.schema = &schema;
    auto archive = Archive::open(location, options);
    if (!archive) {
        if (error)
            *error = archive.error();
        return nullptr;
    }
    return std::move(archive).value();
}

ArchiveLocation archiveAtVersionOne()
{
    const SchemaDefinition first(1, vehicleTables());
    const ArchiveLocation location = test::freshLocation();
    auto archive = openWith(location, first, true);
    EXPECT_NE(archive, nullptr);
    EXPECT_EQ(archive->existingFields(QStringLiteral("Mezzi")),
              QStringList({QStringLiteral("id"), QStringLiteral("targa")}));
    EXPECT_FALSE(archive->existingTables().contains(QStringLiteral("revisioni")));
    EXPECT_TRUE(
        archive->insert(QStringLiteral("Mezzi"), {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}})
            .ok());
    return location;
}

} // namespace

TEST(SchemaUpgrade, BringsAnOlderArchiveToTheNewVersion)
{
    const ArchiveLocation location = archiveAtVersionOne();
    const SchemaDefinition second(2, vehicleTables(), {fillKilometres(false)});
    QString error;
    auto archive = openWith(location, second, false, &error);
    ASSERT_NE(archive, nullptr) << error.toStdString();
    EXPECT_EQ(archive->version(), 2);
    EXPECT_TRUE(archive->existingTables().contains(QStringLiteral("revisioni")));
    auto row = archive->select(QStringLiteral("SELECT Targa, Km, Attivo FROM Mezzi"));
    ASSERT_TRUE(row.ok());
    ASSERT_TRUE(row->next());
    EXPECT_EQ(row->value(0).toString(), QStringLiteral("AB123CD"));
    EXPECT_EQ(row->value(1).toDouble(), 0.0);
    EXPECT_FALSE(row->value(2).toBool());
    EXPECT_TRUE(archive->insert(QStringLiteral("Revisioni"), {{QStringLiteral("Mezzo_ID"), 1}}).ok());

    // A second opening finds nothing to do.
    archive.reset();
    archive = openWith(location, second, false, &error);
    ASSERT_NE(archive, nullptr) << error.toStdString();
    EXPECT_EQ(archive->version(), 2);
}

TEST(SchemaUpgrade, AFailedUpgradeLeavesTheArchiveAsItWas)
{
    const ArchiveLocation location = archiveAtVersionOne();
    const SchemaDefinition broken(2, vehicleTables(), {fillKilometres(true)});
    QString error;
    EXPECT_EQ(openWith(location, broken, false, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("rimasto com'era"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("passo non riuscito")));

    const SchemaDefinition first(1, vehicleTables());
    auto archive = openWith(location, first, false, &error);
    ASSERT_NE(archive, nullptr) << error.toStdString();
    EXPECT_EQ(archive->version(), 1);
    EXPECT_FALSE(archive->existingTables().contains(QStringLiteral("revisioni")));
    EXPECT_EQ(archive->existingFields(QStringLiteral("Mezzi")).size(), 2);
}
