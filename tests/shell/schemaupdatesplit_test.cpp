#include "shell/schemaupdatescript.h"

#include <gtest/gtest.h>

using namespace rotalina::shell;

TEST(SchemaUpdateSplit, PiecesLieBetweenTheSemicolons)
{
    EXPECT_EQ(splitSchemaUpdate(QStringLiteral("a;b;c")), QStringList({"a", "b", "c"}));
    EXPECT_EQ(splitSchemaUpdate(QStringLiteral("a;b;c;")), QStringList({"a", "b", "c"}));
    EXPECT_EQ(splitSchemaUpdate(QStringLiteral("a; b\n;c;\n")), QStringList({"a", " b\n", "c", "\n"}))
        << "pieces are not trimmed, and what follows the last ';' is a piece of its own";
    EXPECT_EQ(splitSchemaUpdate(QStringLiteral("a;;b")), QStringList({"a", "", "b"}));
    EXPECT_TRUE(splitSchemaUpdate(QString()).isEmpty());
}
