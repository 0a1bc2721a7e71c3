// Several connections and several processes on one file: nothing lost, and a
// file locked by someone else is a diagnostic, not a crash.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QProcess>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

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

// Three processes saving at once while this one searches, as three windows on
// three workstations and a query window would: every save goes in, once.
TEST_F(Sharing, ThreeWritingProcessesAndASearchLoseAndDoubleNoRow) {
    const int perProcess = 500;
    const char* const names[] = {"甲", "乙", "丙"};
    QProcess writers[3];
    for (int w = 0; w < 3; ++w)
        writers[w].start(QStringLiteral(RX_INSERT_HELPER),
                         {QString::fromStdString(dir.prescriptionConnectionText()),
                          QString::fromUtf8(names[w]), QString::number(perProcess)});
    OdbcConnection reader;
    ASSERT_TRUE(reader.driverConnect(dir.prescriptionConnectionText()).ok());
    int searches = 0;
    auto running = [&] {
        bool any = false;
        for (QProcess& p : writers) {
            p.waitForFinished(1);
            any = any || p.state() != QProcess::NotRunning;
        }
        return any;
    };
    while (running()) {
        OdbcOutcome o;
        reader.query(
            "select * from 检索 where 时间 BETWEEN #2024-1-1# and #2024-12-31# and 姓名 "
            "like '%乙%' order by 时间 desc",
            &o);
        ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
        ++searches;
    }
    for (QProcess& p : writers) {
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    std::vector<std::string> expected, stored;
    for (const char* name : names)
        for (int i = 0; i < perProcess; ++i) expected.push_back(name + std::to_string(i));
    for (const auto& row : reader.query("select 姓名 from 检索"))
        stored.push_back(row[0].value_or(""));
    std::sort(expected.begin(), expected.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, expected) << "after " << searches << " searches";
}

// Two readers searching back to back leave no moment without a reader, which
// SQLite's passive checkpoints need before the write-ahead log can start over;
// the log must still stay bounded instead of growing with every save.
TEST_F(Sharing, TheLogStartsOverUnderReadersThatNeverPause) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            OdbcConnection reader;
            if (!reader.driverConnect(dir.prescriptionConnectionText()).ok()) return;
            while (!stop) reader.query("select * from 检索");
        });
    OdbcConnection writer;
    ASSERT_TRUE(writer.driverConnect(dir.prescriptionConnectionText()).ok());
    const std::string complaint(100000, 'x');
    const std::string log = dir.prescriptionDatabasePath().toStdString() + "-wal";
    long long largest = 0;
    for (int i = 0; i < 300; ++i) {  // 30 MB of log if it never started over
        ASSERT_TRUE(writer
                        .execute("INSERT INTO 检索 (姓名,主诉) values ('甲" + std::to_string(i) +
                                 "','" + complaint + "')")
                        .ok());
        struct stat st {};
        if (::stat(log.c_str(), &st) == 0) largest = std::max<long long>(largest, st.st_size);
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_LT(largest, 24LL << 20) << "the log grew to " << (largest >> 20) << " MB";
    EXPECT_EQ(rowsNamed(writer, "甲"), 300u);
}

// A connection that is already reading when it saves, with an open result or
// in a transaction that began with a read, waits for a writer that holds the
// lock for a moment instead of failing at once; one that holds it past the
// busy timeout gives HYT00.
TEST_F(Sharing, SaveOnAConnectionThatIsReadingWaitsItsTurn) {
    enum class Reading { OpenResult, TransactionThatRead };
    const struct {
        const char* name;
        Reading reading;
        bool released;  // the other writer lets go after a moment
    } cases[] = {
        {"open result", Reading::OpenResult, true},
        {"transaction that read first", Reading::TransactionThatRead, true},
        {"open result, lock never released", Reading::OpenResult, false},
    };
    int saved = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OdbcConnection entry;
        ASSERT_TRUE(entry.driverConnect(dir.prescriptionConnectionText()).ok());
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(entry.execute("INSERT INTO 检索 (姓名) values ('已有')").ok());
        const bool manual = c.reading == Reading::TransactionThatRead;
        if (manual) {
            ASSERT_TRUE(SQL_SUCCEEDED(
                SQLSetConnectAttr(entry.dbc(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
        }
        OdbcStatement list(entry);
        ASSERT_TRUE(list.execDirect("select 姓名 from 检索").ok());
        ASSERT_EQ(SQLFetch(list.get()), SQL_SUCCESS);  // the rest of the result is still unread
        if (manual) SQLCloseCursor(list.get());

        sqlite3* holder = nullptr;
        ASSERT_EQ(sqlite3_open(dir.prescriptionDatabasePath().toUtf8().constData(), &holder),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::thread release;
        if (c.released)
            release = std::thread([holder] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
            });
        OdbcOutcome o = entry.execute("INSERT INTO 检索 (姓名) values ('新')");
        if (release.joinable()) release.join();
        if (c.released) {
            EXPECT_TRUE(o.ok()) << o.state << " " << o.message;
        } else {
            EXPECT_EQ(o.state, "HYT00") << o.message;
            sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        sqlite3_close(holder);
        SQLCloseCursor(list.get());
        if (manual) {
            ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, entry.dbc(), SQL_COMMIT)));
        }
        saved += c.released;
        EXPECT_EQ(rowsNamed(entry, "新"), static_cast<size_t>(saved));
    }
}

}  // namespace
}  // namespace rx::test
