#include "core/textfile.h"
#include "storage/archivepathfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {
QString pathFileText(const QTemporaryDir &dir)
{
    return core::readTextFile(dir.filePath(QStringLiteral("percorso.txt"))).value();
}
} // namespace

TEST(ArchivePathFile, AMissingFileIsWrittenWithTheDefaultArchive)
{
    QTemporaryDir dir;
    const auto choice = locateArchive(dir.path());
    ASSERT_TRUE(choice.ok()) << choice.error().toStdString();
    const QString expected = QDir(dir.path()).filePath(QStringLiteral("archivio.db"));
    EXPECT_EQ(choice->location.filePath(), expected);
    EXPECT_TRUE(choice->isDefaultArchive);
    EXPECT_EQ(pathFileText(dir), expected + u'\n');
}

TEST(ArchivePathFile, BlankContentCountsAsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(
        core::writeTextFile(dir.filePath(QStringLiteral("percorso.txt")), QStringLiteral("\n  \n\n")).ok());
    const auto choice = locateArchive(dir.path());
    ASSERT_TRUE(choice.ok());
    EXPECT_TRUE(choice->isDefaultArchive);
    EXPECT_EQ(pathFileText(dir), QDir(dir.path()).filePath(QStringLiteral("archivio.db")) + u'\n');
}

TEST(ArchivePathFile, ANamedArchiveIsUsedAsWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(core::writeTextFile(dir.filePath(QStringLiteral("percorso.txt")),
                                    QStringLiteral("/mnt/server/archivio.db\n"))
                    .ok());
    const auto choice = locateArchive(dir.path());
    ASSERT_TRUE(choice.ok());
    EXPECT_EQ(choice->location.filePath(), QStringLiteral("/mnt/server/archivio.db"));
    EXPECT_FALSE(choice->isDefaultArchive) << "an archive named elsewhere is never created";
    EXPECT_EQ(pathFileText(dir), QStringLiteral("/mnt/server/archivio.db\n")) << "the file is left as it was";

    ASSERT_TRUE(core::writeTextFile(dir.filePath(QStringLiteral("percorso.txt")),
                                    QStringLiteral("postgresql://u:p@db:5432/ditta\n"))
                    .ok());
    const auto remote = locateArchive(dir.path());
    ASSERT_TRUE(remote.ok());
    EXPECT_EQ(remote->location.engine(), Engine::PostgreSQL);
    EXPECT_FALSE(remote->isDefaultArchive);
}

TEST(ArchivePathFile, WritingAChoiceKeepsItForLaterRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(
        writeArchivePath(dir.path(), ArchiveLocation::sqliteFile(QStringLiteral("/dati/archivio.db"))).ok());
    EXPECT_EQ(locateArchive(dir.path())->location.filePath(), QStringLiteral("/dati/archivio.db"));
}
