#include "core/workstation.h"

#include <gtest/gtest.h>

using namespace rotalina::core;

TEST(Workstation, NameIsTheHostCutToFifteenCharacters)
{
    EXPECT_EQ(workstationNameFromHost(QStringLiteral("UFFICIO-AMMINISTRAZIONE")),
              QStringLiteral("UFFICIO-AMMINIS"));
    EXPECT_EQ(workstationNameFromHost(QStringLiteral("pc1")), QStringLiteral("pc1"));
    EXPECT_EQ(workstationNameFromHost(QString()), QStringLiteral("SenzaNome"));
    EXPECT_EQ(workstationNameFromHost(QStringLiteral("   ")), QStringLiteral("SenzaNome"));
    EXPECT_LE(workstationName().size(), 15);
    EXPECT_FALSE(workstationName().isEmpty());
}

TEST(Workstation, ProgramFolderFollowsTheEnvironment)
{
    qputenv("ROTALINA_HOME", "/tmp/rotalina-home");
    EXPECT_EQ(programFolder(), QStringLiteral("/tmp/rotalina-home/"));
    qunsetenv("ROTALINA_HOME");
    EXPECT_TRUE(programFolder().endsWith(u'/'));
}
