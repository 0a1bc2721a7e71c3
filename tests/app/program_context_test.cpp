#include "platform/program/program_context.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "platform/program/program_directory.h"
#include "tests/support/test_program.h"

namespace {

TEST(ProgramDirectory, HasNoTrailingSeparatorAndJoinsFixedPiecesWithOne) {
    const rx::ProgramContext context(QStringLiteral("/opt/门诊/"), rx::Build::Standalone);
    EXPECT_EQ(context.directory(), QStringLiteral("/opt/门诊"));
    EXPECT_EQ(context.path(QStringLiteral("/data/sj.accdb")),
              QStringLiteral("/opt/门诊/data/sj.accdb"));
    EXPECT_EQ(rx::withoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
}

TEST(ProgramDirectory, IsTheFolderOfTheExecutable) {
    const QString folder = rx::executableFolder();
    EXPECT_FALSE(folder.endsWith(u'/'));
    EXPECT_EQ(QDir(folder).canonicalPath(),
              QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

// Two programs in one process share nothing: each has its own folder, build,
// clock, boxes and end.
TEST(ProgramContext, TwoProgramsSideBySideShareNothing) {
    rx::test::TestProgram standalone(QStringLiteral("/a"));
    rx::test::TestProgram hostLinked(QStringLiteral("/b"), rx::Build::HostLinked);
    hostLinked.fixClock(QDateTime(QDate(2024, 3, 5), QTime(9, 5)));
    standalone.context().showMessage(QStringLiteral("登陆失败！"));
    hostLinked.context().endProgram(0);

    EXPECT_FALSE(standalone.context().hostLinked());
    EXPECT_TRUE(hostLinked.context().hostLinked());
    EXPECT_EQ(hostLinked.context().today(), QDate(2024, 3, 5));
    EXPECT_LE(qAbs(standalone.context().now().secsTo(QDateTime::currentDateTime())), 5);
    ASSERT_EQ(standalone.shown().size(), 1u);
    EXPECT_EQ(standalone.shown()[0].title, QStringLiteral("信息："));
    EXPECT_TRUE(hostLinked.shown().empty());
    EXPECT_EQ(standalone.endedWith(), -1);
    EXPECT_EQ(hostLinked.endedWith(), 0);
}

}  // namespace
