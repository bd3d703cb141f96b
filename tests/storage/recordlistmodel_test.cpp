#include "storage/recordlistmodel.h"
#include "support/testarchive.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::storage;

namespace {

class ColourList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        archive = test::newArchive();
        list = std::make_unique<RecordListModel>(*archive, QStringLiteral("ID"));
        list->setStatement(QStringLiteral("SELECT ID, Descrizione FROM Colori ORDER BY Descrizione"));
        list->setColumns({{QStringLiteral("Descrizione"), QStringLiteral("Colore")}});
        tester = std::make_unique<QAbstractItemModelTester>(
            list.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
    }

    void add(const QStringList &names)
    {
        for (const QString &name : names)
            ASSERT_TRUE(
                archive->insert(QStringLiteral("Colori"), {{QStringLiteral("Descrizione"), name}}).ok());
        ASSERT_TRUE(list->reload().ok());
    }

    QStringList shown() const
    {
        QStringList names;
        for (int row = 0; row < list->rowCount(); ++row)
            names.append(list->data(list->index(row, 0)).toString());
        return names;
    }

    int rowOf(const QString &name) const { return static_cast<int>(shown().indexOf(name)); }

    std::unique_ptr<Archive> archive;
    std::unique_ptr<RecordListModel> list;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

} // namespace

TEST_F(ColourList, ShowsItsColumnsWithTheirTitles)
{
    add({QStringLiteral("Rosso"), QStringLiteral("Blu")});
    EXPECT_EQ(list->columnCount(), 1);
    EXPECT_EQ(list->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Colore"));
    EXPECT_EQ(shown(), QStringList({QStringLiteral("Blu"), QStringLiteral("Rosso")}));
    EXPECT_EQ(list->value(1, QStringLiteral("descrizione")).toString(), QStringLiteral("Rosso"));
    EXPECT_FALSE(list->keyAt(2).has_value());
    EXPECT_EQ(list->rowOfKey(*list->keyAt(1)), 1);
}

TEST_F(ColourList, AfterASaveTheListStandsOnTheSavedRow)
{
    add({QStringLiteral("Rosso"), QStringLiteral("Blu"), QStringLiteral("Verde")});
    const auto added = saveRecord(*archive, *list, QStringLiteral("Colori"), std::nullopt,
                                  {{QStringLiteral("Descrizione"), QStringLiteral("Giallo")}});
    ASSERT_TRUE(added.ok()) << added.error().toStdString();
    EXPECT_EQ(*added, rowOf(QStringLiteral("Giallo")));
    EXPECT_EQ(*added, 1);

    const qint64 green = *list->keyAt(rowOf(QStringLiteral("Verde")));
    const auto changed = saveRecord(*archive, *list, QStringLiteral("Colori"), green,
                                    {{QStringLiteral("Descrizione"), QStringLiteral("Arancio")}});
    ASSERT_TRUE(changed.ok());
    EXPECT_EQ(*changed, 0) << "the renamed row moved to the top and the list follows it";
    EXPECT_EQ(*list->keyAt(*changed), green);
}

TEST_F(ColourList, AfterADeleteTheListStandsOnTheNeighbour)
{
    add({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    auto at = deleteRecord(*archive, *list, QStringLiteral("Colori"), 2); // C
    ASSERT_TRUE(at.ok());
    EXPECT_EQ(shown(), QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("D")}));
    EXPECT_EQ(*at, rowOf(QStringLiteral("B"))) << "the row before the deleted one";

    at = deleteRecord(*archive, *list, QStringLiteral("Colori"), 0); // A
    ASSERT_TRUE(at.ok());
    EXPECT_EQ(*at, rowOf(QStringLiteral("B"))) << "deleting the first stands on the one that followed";
    EXPECT_EQ(*at, 0);

    at = deleteRecord(*archive, *list, QStringLiteral("Colori"), 1); // D
    ASSERT_TRUE(at.ok());
    EXPECT_EQ(*at, 0);
    at = deleteRecord(*archive, *list, QStringLiteral("Colori"), 0); // B, the only one
    ASSERT_TRUE(at.ok());
    EXPECT_EQ(*at, -1);
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_FALSE(deleteRecord(*archive, *list, QStringLiteral("Colori"), 0).ok()) << "nothing left to delete";
}

TEST(RecordList, DatesAndLongTextsAreShownForTheGrid)
{
    auto archive = test::newArchive();
    ASSERT_TRUE(archive
                    ->insert(QStringLiteral("TotaliCo"), {{QStringLiteral("Numero"), 7},
                                                          {QStringLiteral("Data"), QDate(2024, 3, 5)},
                                                          {QStringLiteral("Note"), QString(150, u'n')}})
                    .ok());
    RecordListModel list(*archive, QStringLiteral("ID"));
    list.setStatement(QStringLiteral("SELECT ID, Numero, Data, Note FROM TotaliCo WHERE Numero = ?"), {7});
    list.setColumns(
        {{QStringLiteral("Data"), QStringLiteral("Data")}, {QStringLiteral("Note"), QStringLiteral("Note")}});
    list.setMemoFields({QStringLiteral("Note")});
    ASSERT_TRUE(list.reload().ok());
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.data(list.index(0, 0)).toString(), QStringLiteral("05/03/2024"));
    EXPECT_EQ(list.data(list.index(0, 1)).toString().size(), 100);
    EXPECT_EQ(list.data(list.index(0, 1), Qt::EditRole).toString().size(), 150);
}
