#include "app/program_directory.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

namespace {

TEST(ProgramDirectory, HasNoTrailingSeparatorAndJoinsFixedPiecesWithOne) {
    rx::setProgramDirectory(QStringLiteral("/opt/门诊/"));
    EXPECT_EQ(rx::programDirectory(), QStringLiteral("/opt/门诊"));
    EXPECT_EQ(rx::programPath(QStringLiteral("/data/sj.accdb")), QStringLiteral("/opt/门诊/data/sj.accdb"));
    EXPECT_EQ(rx::withoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
}

TEST(ProgramDirectory, IsTheFolderOfTheExecutable) {
    const QString folder = rx::executableFolder();
    EXPECT_FALSE(folder.endsWith(u'/'));
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

}  // namespace
