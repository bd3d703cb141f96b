#include "shell/gridlayouts.h"
#include "support/shellfixture.h"

#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

TEST(ColumnLists, EveryEntryEndsWithTheSeparatorAndMayHoldIt)
{
    EXPECT_EQ(encodeColumnList({"Codice", "Descrizione", "Prezzo"}),
              QStringLiteral("Codice|Descrizione|Prezzo|"));
    EXPECT_EQ(encodeColumnList({"Da|A", "C:\\dati"}), QStringLiteral("Da\\|A|C:\\\\dati|"));
    for (const QStringList &entries :
         {QStringList{"Da|A", "Prezzo", "C:\\dati\\"}, QStringList{""}, QStringList{"|", "\\"}})
        EXPECT_EQ(decodeColumnList(encodeColumnList(entries)), entries);
    EXPECT_EQ(decodeColumnList(QStringLiteral("Codice|Descrizione|Prezzo|")),
              QStringList({"Codice", "Descrizione", "Prezzo"}))
        << "rows of the earlier form read as they always did";
    EXPECT_EQ(decodeColumnList(QStringLiteral("Data|Importo")), QStringList({"Data", "Importo"}));
    EXPECT_TRUE(decodeColumnList(QString()).isEmpty());
}

namespace {

const QList<GridColumn> design = {
    {"Codice", "Codice", 60}, {"Descrizione", "Descrizione", 240}, {"Prezzo", "Prezzo", 80}};

class GridLayoutsTest : public ::testing::Test
{
protected:
    void SetUp() override { archive = test::newArchive(); }

    QSqlRecord row(const QString &workstation = QStringLiteral("UFFICIO"))
    {
        auto query = archive->select(
            QStringLiteral("SELECT * FROM Griglie WHERE NomeComputer = ? AND NomeGriglia = ?"),
            {workstation, QStringLiteral("Form2_Griglia")});
        EXPECT_TRUE(query.ok());
        return query.ok() && query->next() ? query->record() : QSqlRecord();
    }

    std::optional<QList<GridColumn>> show(const QList<GridColumn> &designed, bool useDesign = false,
                                          const QString &workstation = QStringLiteral("UFFICIO"))
    {
        GridLayoutStore store(*archive, workstation);
        const auto columns =
            store.columnsToShow(QStringLiteral("Form2_Griglia"), designed, designed, useDesign);
        EXPECT_TRUE(columns.ok()) << columns.error().toStdString();
        return columns.ok() ? *columns : std::nullopt;
    }

    std::unique_ptr<storage::Archive> archive;
};

} // namespace

TEST_F(GridLayoutsTest, AFirstStartRecordsTheDesign)
{
    EXPECT_EQ(show(design), design);
    const QSqlRecord stored = row();
    EXPECT_EQ(stored.value(QStringLiteral("CampiUtente")).toString(),
              QStringLiteral("Codice|Descrizione|Prezzo|"));
    EXPECT_EQ(stored.value(QStringLiteral("WidthUtente")).toString(), QStringLiteral("60|240|80|"));
    EXPECT_EQ(stored.value(QStringLiteral("CaptionPredefiniti")).toString(),
              QStringLiteral("Codice|Descrizione|Prezzo|"));
    EXPECT_EQ(stored.value(QStringLiteral("TotaleCampiPredefiniti")).toInt(), 3);
}

TEST_F(GridLayoutsTest, TheUsersArrangementComesBackAndResetRestoresTheDesign)
{
    show(design);
    GridLayoutStore store(*archive, QStringLiteral("UFFICIO"));
    const QList<GridColumn> arranged = {{"Prezzo", "Prezzo €", 95}, {"Codice", "Cod.", 50}};
    ASSERT_TRUE(store.save(QStringLiteral("Form2_Griglia"), arranged, design, false).ok());
    EXPECT_EQ(show(design), arranged);
    EXPECT_EQ(show(design, true), design) << "reset shows the program's own arrangement";
    EXPECT_EQ(row().value(QStringLiteral("TotaleCampiPredefiniti")).toInt(), 3) << "saving keeps the design";
    EXPECT_EQ(show(design, false, QStringLiteral("MAGAZZINO")), design)
        << "another workstation keeps its own";
}

TEST_F(GridLayoutsTest, ADesignThatGainedAColumnStartsAgainFromIt)
{
    show(design);
    GridLayoutStore store(*archive, QStringLiteral("UFFICIO"));
    ASSERT_TRUE(store.save(QStringLiteral("Form2_Griglia"), {{"Prezzo", "Prezzo", 90}}, design, false).ok());
    QList<GridColumn> newDesign = design;
    newDesign.append({"Giacenza", "Giacenza", 70});
    EXPECT_EQ(show(newDesign), newDesign);
    EXPECT_EQ(row().value(QStringLiteral("TotaleCampiPredefiniti")).toInt(), 4);
    EXPECT_EQ(show(newDesign), newDesign);
}

TEST_F(GridLayoutsTest, ATitleWithTheSeparatorDoesNotShiftTheOthers)
{
    const QList<GridColumn> titled = {
        {"Codice", "Cod|Art", 60}, {"Descrizione", "Descrizione", 240}, {"Prezzo", "Prezzo", 80}};
    GridLayoutStore store(*archive, QStringLiteral("UFFICIO"));
    ASSERT_TRUE(store.save(QStringLiteral("Form2_Griglia"), titled, design, true).ok());
    EXPECT_EQ(show(design), titled);
}

TEST_F(GridLayoutsTest, RowsOfTheEarlierFormAndBrokenRows)
{
    // A row as the earlier program wrote it.
    ASSERT_TRUE(
        archive
            ->insert(QStringLiteral("Griglie"),
                     {{QStringLiteral("NomeComputer"), QStringLiteral("UFFICIO")},
                      {QStringLiteral("NomeGriglia"), QStringLiteral("Form2_Griglia")},
                      {QStringLiteral("CampiUtente"), QStringLiteral("Descrizione|Codice|")},
                      {QStringLiteral("WidthUtente"), QStringLiteral("300|40|")},
                      {QStringLiteral("CaptionUtente"), QStringLiteral("Articolo|Cod|")},
                      {QStringLiteral("CampiPredefiniti"), QStringLiteral("Codice|Descrizione|Prezzo|")},
                      {QStringLiteral("WidthPredefiniti"), QStringLiteral("60|240|80|")},
                      {QStringLiteral("CaptionPredefiniti"), QStringLiteral("Codice|Descrizione|Prezzo|")},
                      {QStringLiteral("TotaleCampiPredefiniti"), 3}})
            .ok());
    EXPECT_EQ(show(design), QList<GridColumn>({{"Descrizione", "Articolo", 300}, {"Codice", "Cod", 40}}));

    // Its title list was split by a "|" and no longer matches: the grid stays as it is and that is stored.
    ASSERT_TRUE(archive->execute(QStringLiteral("UPDATE Griglie SET CaptionUtente = 'Art|icolo|Cod|'")).ok());
    EXPECT_EQ(show(design), std::nullopt);
    EXPECT_EQ(row().value(QStringLiteral("CaptionUtente")).toString(),
              QStringLiteral("Codice|Descrizione|Prezzo|"));
}
