// Several connections and several processes on one file: nothing lost, and a
// file locked by someone else is a diagnostic, not a crash.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QProcess>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"

namespace rx::test {
namespace {

class Sharing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.createPrescriptionDatabase()); }
    size_t rowsNamed(OdbcConnection& c, const std::string& prefix) {
        return c.query("select 姓名 from 检索 where 姓名 like '" + prefix + "%'").size();
    }
    TempProgramDir dir;
};

TEST_F(Sharing, TwoConnectionsInOneProcessSeeEachOthersRowsAtOnce) {
    OdbcConnection entry, query;
    ASSERT_TRUE(entry.driverConnect(dir.prescriptionConnectionText()).ok());
    ASSERT_TRUE(query.driverConnect(dir.prescriptionConnectionText()).ok());
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(
            entry.execute("INSERT INTO 检索 (姓名) values ('甲" + std::to_string(i) + "')").ok());
        ASSERT_TRUE(
            query.execute("INSERT INTO 检索 (姓名) values ('乙" + std::to_string(i) + "')").ok());
    }
    EXPECT_EQ(rowsNamed(query, "甲"), 50u);
    EXPECT_EQ(rowsNamed(entry, "乙"), 50u);
}

TEST_F(Sharing, TwoProcessesInsertingAtOnceLoseNoRow) {
    const int perProcess = 150;
    QProcess first, second;
    QStringList args1{QString::fromStdString(dir.prescriptionConnectionText()),
                      QStringLiteral("丙"), QString::number(perProcess)};
    QStringList args2{QString::fromStdString(dir.prescriptionConnectionText()),
                      QStringLiteral("丁"), QString::number(perProcess)};
    first.start(QStringLiteral(RX_INSERT_HELPER), args1);
    second.start(QStringLiteral(RX_INSERT_HELPER), args2);
    OdbcConnection here;
    ASSERT_TRUE(here.driverConnect(dir.prescriptionConnectionText()).ok());
    for (int i = 0; i < perProcess; ++i)
        ASSERT_TRUE(
            here.execute("INSERT INTO 检索 (姓名) values ('戊" + std::to_string(i) + "')").ok());
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(rowsNamed(here, "丙"), static_cast<size_t>(perProcess));
    EXPECT_EQ(rowsNamed(here, "丁"), static_cast<size_t>(perProcess));
    EXPECT_EQ(rowsNamed(here, "戊"), static_cast<size_t>(perProcess));
}

TEST_F(Sharing, FileLockedByAnotherWriterGivesADiagnosticAndWritesNothing) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(dir.prescriptionDatabasePath().toUtf8().constData(), &holder),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    OdbcConnection c;
    ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
    OdbcOutcome o =
        c.execute("INSERT INTO 检索 (姓名) values ('锁')");  // waits out the busy timeout
    EXPECT_FALSE(o.ok());
    EXPECT_EQ(o.state, "HYT00") << o.message;
    EXPECT_TRUE(c.query("select * from 检索").empty());  // readers are not blocked by the writer
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('锁')").ok());
}

}  // namespace
}  // namespace rx::test
