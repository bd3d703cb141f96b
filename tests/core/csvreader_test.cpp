#include "core/csvreader.h"

#include <gtest/gtest.h>

using namespace rotalina::core;

TEST(Csv, ReadsQuotedFieldsAndLineEnds)
{
    const Result<CsvTable> table = parseCsv(QStringLiteral("Codice,Descrizione\r\n"
                                                           "00001,\"Nome file, non valido\"\r\n"
                                                           "00002,\"Disse \"\"no\"\"\nsu due righe\"\n"
                                                           "00003,\n"));
    ASSERT_TRUE(table.ok()) << table.error().toStdString();
    EXPECT_EQ(table->header, QStringList({QStringLiteral("Codice"), QStringLiteral("Descrizione")}));
    ASSERT_EQ(table->rows.size(), 3);
    EXPECT_EQ(table->rows[0][0], QStringLiteral("00001"));
    EXPECT_EQ(table->rows[0][1], QStringLiteral("Nome file, non valido"));
    EXPECT_EQ(table->rows[1][1], QStringLiteral("Disse \"no\"\nsu due righe"));
    EXPECT_EQ(table->rows[2][1], QString());
    EXPECT_EQ(table->lineNumbers, QList<int>({2, 3, 5}));
}

TEST(Csv, RefusesBrokenFiles)
{
    EXPECT_FALSE(parseCsv(QString()).ok());
    EXPECT_FALSE(parseCsv(QStringLiteral("a,b\n\"open,1\n")).ok());
    const Result<CsvTable> ragged = parseCsv(QStringLiteral("a,b\n1,2\n3\n"));
    ASSERT_FALSE(ragged.ok());
    EXPECT_TRUE(ragged.error().contains(QStringLiteral("Riga 3")));
}

TEST(Csv, SkipsTheByteOrderMarkAndBlankLines)
{
    const Result<CsvTable> table = parseCsv(QStringLiteral("\xFEFF"
                                                           "a;b\n\n1;2\n"),
                                            u';');
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table->header.first(), QStringLiteral("a"));
    EXPECT_EQ(table->rows.size(), 1);
}
