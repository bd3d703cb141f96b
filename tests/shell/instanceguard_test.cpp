#include "shell/instanceguard.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina::shell;

TEST(InstanceGuard, OneCopyPerProgramFolder)
{
    QTemporaryDir first;
    QTemporaryDir second;
    InstanceGuard running(first.path());
    ASSERT_TRUE(running.acquired());
    EXPECT_FALSE(InstanceGuard(first.path()).acquired()) << "a second copy in the same folder must end";
    EXPECT_TRUE(InstanceGuard(second.path()).acquired()) << "another installation may run";
    EXPECT_EQ(InstanceGuard::alreadyRunningMessage(), QStringLiteral("Rotalina e' già in esecuzione"));
}
