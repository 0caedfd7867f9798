#include "platform/ProgramDir.h"
#include "support/TempProgramDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

TEST(ProgramDir, FollowsTheEnvironmentAndEndsInASlash) {
    TempProgramDir dir;
    EXPECT_EQ(ProgramDir(), QDir(dir.path()).absolutePath() + '/');
}

TEST(ProgramDir, DefaultsToTheExecutablesFolder) {
    const QByteArray saved = qgetenv("R9_PROGRAM_DIR");
    qunsetenv("R9_PROGRAM_DIR");
    EXPECT_EQ(ProgramDir(), QCoreApplication::applicationDirPath() + '/');
    if (!saved.isEmpty())
        qputenv("R9_PROGRAM_DIR", saved);
}
