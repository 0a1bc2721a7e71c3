// The dialect on both backends: the same statements through unixODBC, once on
// the local file and once with the data source naming the test server, give
// the same rows or the same SQLSTATE.

#include <gtest/gtest.h>

#include <QProcess>
#include <set>

#include "tests/drivers/odbc_client.h"
#include "tests/drivers/stores.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

class OnBothStores : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override {
        if (GetParam() == Store::Server) RX_REQUIRE_SERVER();
        ASSERT_EQ(store.setUp(), "");
        ASSERT_TRUE(db.driverConnect(store.text()).ok());
    }
    StoreFixture store{GetParam()};
    OdbcConnection db;
};

const char* const kSeed[] = {
    "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('张三','2016年11月4日9时5分','头痛','ZS')",
    "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('abc','2024-5-3','','Ab')",
    "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('ABD','2024-5-3 23:59:59','x','ab')",
    "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('O''Neil',#11/4/2016#,'x','ON')",
    "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('李_四','2024年3月1日',NULL,'L%S')",
    "INSERT INTO 检索 (姓名,首拼) values ('Äb','AB')",
    "INSERT INTO 基本资料 (姓名,年龄,登记时间) values ('张三',35,'2016-11-4 9:05')",
    "INSERT INTO 基本资料 (姓名,年龄,登记时间) values ('abc',2.5,'2024年5月3日')",
};

struct Case {
    const char* name;
    const char* sql;
    std::vector<std::vector<Cell>> rows;  // expected, in order
    const char* state = "";               // expected SQLSTATE instead of rows
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const Case kCases[] = {
    {"TextEqualityIgnoresAsciiCase",
     "select 姓名 from 检索 where 首拼 = 'ab' order by 编号",
     {{"abc"}, {"ABD"}, {"Äb"}}},
    {"OtherLettersKeepTheirCase", "select 姓名 from 检索 where 姓名 = 'äb'", {}},
    {"LikeUnderscoreAndPercent", "select 姓名 from 检索 where 姓名 like 'a_d%'", {{"ABD"}}},
    {"LikeContainsChinese", "select 姓名 from 检索 where 姓名 like '%张%'", {{"张三"}}},
    {"BracketedUnderscoreIsLiteral", "select 姓名 from 检索 where 姓名 like '李[_]%'", {{"李_四"}}},
    {"PercentInDataFoundByBrackets", "select 姓名 from 检索 where 首拼 like 'l[%]s'", {{"李_四"}}},
    {"BackslashIsNoEscape", "select 姓名 from 检索 where 姓名 like '%\\%'", {}},
    {"CharacterClassNegated",
     "select 首拼 from 检索 where 首拼 like '[!a-k]%' order by 编号",
     {{"ZS"}, {"ON"}, {"L%S"}}},
    {"NotLike",
     "select 首拼 from 检索 where 首拼 not like 'a%' order by 编号",
     {{"ZS"}, {"ON"}, {"L%S"}}},
    {"InListIgnoresCase",
     "select 姓名 from 检索 where 首拼 in ('zs','on') order by 编号",
     {{"张三"}, {"O'Neil"}}},
    {"DateBoundsTakeTheWholeDay",
     "select 姓名 from 检索 where 时间 between #2024-5-3# and #2024-5-4# order by 编号",
     {{"abc"}, {"ABD"}}},
    {"ChineseDateTextBounds",
     "select 姓名 from 检索 where 时间 between '2024年5月3日' and '2024年5月3日23时'",
     {{"abc"}}},
    {"SlashDateIsMonthFirst", "select 姓名 from 检索 where 时间 = #11/4/2016#", {{"O'Neil"}}},
    {"PointInTimeWithClock",
     "select 姓名 from 检索 where 时间 > '2016-11-4 9:00' and 时间 < "
     "'2016年11月4日10时'",
     {{"张三"}}},
    {"DatesReadBackInTheStoredForm",
     "select 时间 from 检索 where 首拼 = 'zs'",
     {{"2016-11-04 09:05:00"}}},
    {"TextSortsAsOnTheFile",
     "select 首拼 from 检索 where 首拼 like 'a%' or 首拼 like 'z%' order by 首拼 desc, 编号",
     {{"ZS"}, {"Ab"}, {"ab"}, {"AB"}}},
    {"EmptyValuesSortFirst",
     "select 主诉 from 检索 where 首拼 like 'l%' or 首拼 = 'ab' "
     "order by 主诉, 编号",
     {{std::nullopt}, {std::nullopt}, {""}, {"x"}}},
    {"EmptyValuesSortLastGoingDown",
     "select 主诉 from 检索 where 首拼 like 'l%' or 首拼 = 'zs' order by 主诉 desc",
     {{"头痛"}, {std::nullopt}}},
    {"DistinctSorted",
     "select distinct 主诉 from 检索 where 主诉 is not null order by 主诉",
     {{""}, {"x"}, {"头痛"}}},
    {"IsNull", "select 姓名 from 检索 where 时间 is null", {{"Äb"}}},
    {"CountAll", "select count(*) from 检索", {{"6"}}},
    {"TopTakesTheFirstRows", "select top 2 姓名 from 检索 order by 编号 desc", {{"Äb"}, {"李_四"}}},
    {"QuotesDoubled", "select 首拼 from 检索 where 姓名 = 'O''Neil'", {{"ON"}}},
    {"NumbersCompareAndAdd",
     "select 姓名, 年龄 from 基本资料 where 年龄 + 1 > 4 order by 年龄",
     {{"张三", "35"}}},
    {"FractionsStayExact", "select 年龄 from 基本资料 where 年龄 < 3", {{"2.5"}}},
    {"NotAndOr",
     "select 姓名 from 检索 where not (首拼 = 'ab' or 时间 is null) and 主诉 = 'x'",
     {{"O'Neil"}}},
    {"DateTextThatIsNoDate", "select * from 检索 where 时间 > '昨天'", {}, "22018"},
    {"InsertOfNoDate", "insert into 检索 (时间) values ('2016年13月1日')", {}, "22018"},
    {"UnknownTable", "select * from 病人", {}, "42S02"},
    {"UnknownColumn", "select 性别 from 检索", {}, "42S22"},
    {"SyntaxError", "selec * from 检索", {}, "42000"},
    {"OneStatementAtATime",
     "create table t (a text(2)); insert into t values ('abc')",
     {},
     "42000"},
};

class Dialect : public ::testing::TestWithParam<std::tuple<Case, Store>> {};

TEST_P(Dialect, SameAnswerOnTheFileAndTheServer) {
    const auto& [c, s] = GetParam();
    if (s == Store::Server) RX_REQUIRE_SERVER();
    StoreFixture store(s);
    ASSERT_EQ(store.setUp(), "");
    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(store.text()).ok());
    for (const char* sql : kSeed) {
        OdbcOutcome o = db.execute(sql);
        ASSERT_TRUE(o.ok()) << sql << ": " << o.state << " " << o.message;
    }
    OdbcOutcome outcome;
    Rows rows = db.query(c.sql, &outcome);
    if (*c.state) {
        EXPECT_EQ(outcome.state, c.state) << outcome.message;
        return;
    }
    ASSERT_TRUE(outcome.ok()) << outcome.state << " " << outcome.message;
    EXPECT_EQ(rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(Table, Dialect,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(Store::File, Store::Server)),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param).name) + "On" +
                                    storeName(std::get<1>(p.param));
                         });

// Types, length limits, counters and transactions, which need more than one statement.
TEST_P(OnBothStores, AccessTypesRoundTripAndKeepTheirLimits) {
    ASSERT_TRUE(db.execute("CREATE TABLE 样例 (编号 COUNTER PRIMARY KEY, 文本 TEXT(4), 整数 LONG, "
                           "短 SHORT, 字节 BYTE, 单 SINGLE, 双 DOUBLE, 钱 CURRENCY, 是否 YESNO)")
                    .ok());
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (文本,整数,短,字节,单,双,钱,是否) values "
                           "('一二三四',' 42 ','-7','255','0.1','2.5','12.3456',TRUE)")
                    .ok());
    EXPECT_EQ(db.query("select 文本,整数,短,字节,单,双,钱,是否 from 样例"),
              (Rows{{"一二三四", "42", "-7", "255", "0.100000001490116", "2.5", "12.3456", "1"}}));
    EXPECT_EQ(db.query("select 文本 from 样例 where 单 = 0.1"), (Rows{{"一二三四"}}));
    EXPECT_EQ(db.execute("INSERT INTO 样例 (文本) values ('一二三四五')").state, "22001");
    EXPECT_EQ(db.execute("INSERT INTO 样例 (字节) values (256)").state, "22003");
    EXPECT_EQ(db.execute("INSERT INTO 样例 (整数) values ('四十二')").state, "22018");
    EXPECT_EQ(db.execute("CREATE TABLE 样例 (a LONG)").state, "42S01");
    // A row given its number keeps it, and the next one is numbered after it.
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (编号, 文本) values (40, 'x')").ok());
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (文本) values ('y')").ok());
    EXPECT_EQ(db.query("select 编号 from 样例 where 文本 = 'Y'"), (Rows{{"41"}}));
    EXPECT_EQ(db.execute("INSERT INTO 样例 (编号, 文本) values (40, 'z')").state, "23000");
}

TEST_P(OnBothStores, AFailedStatementLeavesTheTransactionAsItWas) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    EXPECT_EQ(db.execute("INSERT INTO 检索 (时间) values ('不是日期')").state, "22018");
    EXPECT_EQ(db.execute("select * from 病人").state, "42S02");
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (编号, 姓名) values (10, '乙')").ok());
    // Refused by the store itself, with the counter's move that goes with it.
    EXPECT_EQ(db.execute("INSERT INTO 检索 (编号, 姓名) values (10, '丁')").state, "23000");
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('戊')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('丙')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_ROLLBACK)));
    EXPECT_EQ(db.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"乙"}, {"戊"}}));
    EXPECT_EQ(db.query("select 编号 from 检索 where 姓名 = '戊'"), (Rows{{"11"}}));
}

// A text with a NUL in it is refused whole on both stores, in a value and in
// a filter, and nothing of it is kept.
TEST_P(OnBothStores, ATextWithANulIsRefusedAndNothingStored) {
    using namespace std::string_literals;
    for (const std::string& sql : {"INSERT INTO 检索 (姓名,主诉) values ('张\0三','x')"s,
                                   "INSERT INTO 基本资料 (住址) values ('地址\0秘密')"s,
                                   "UPDATE 检索 SET 主诉 = 'a\0' WHERE 姓名 = '甲'"s}) {
        OdbcOutcome o = db.execute(sql);
        EXPECT_EQ(o.state, "22021") << o.message;
    }
    OdbcOutcome filter;
    db.query("select 姓名 from 检索 where 姓名 like '%\0%'"s, &filter);
    EXPECT_EQ(filter.state, "22021");
    EXPECT_EQ(db.query("select count(*) from 检索"), (Rows{{"0"}}));
    EXPECT_EQ(db.query("select count(*) from 基本资料"), (Rows{{"0"}}));
}

// Another workstation's open transaction that holds 甲's row.
void holdTheRowOf甲(OdbcConnection& holder, const std::string& connectionText) {
    ASSERT_TRUE(holder.driverConnect(connectionText).ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        holder.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    ASSERT_TRUE(holder.execute("UPDATE 检索 SET 主诉 = 'held' WHERE 姓名 = '甲'").ok());
}

// A save that waits for a lock another workstation holds gives up with HYT00
// after the driver's five seconds, and the row is not written.
TEST_P(OnBothStores, ALockHeldTooLongIsATimeout) {
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    OdbcConnection holder;
    ASSERT_NO_FATAL_FAILURE(holdTheRowOf甲(holder, store.text()));
    OdbcOutcome o = db.execute("UPDATE 检索 SET 主诉 = 'mine' WHERE 姓名 = '甲'");
    EXPECT_EQ(o.state, "HYT00") << o.message;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, holder.dbc(), SQL_ROLLBACK)));
    EXPECT_EQ(db.query("select 主诉 from 检索"), (Rows{{std::nullopt}}));
}

// The application's own query timeout bounds the same wait, well inside the
// five seconds, and the connection saves again once the lock is gone.
TEST_P(OnBothStores, TheApplicationsQueryTimeoutBoundsTheWait) {
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    OdbcConnection holder;
    ASSERT_NO_FATAL_FAILURE(holdTheRowOf甲(holder, store.text()));
    OdbcStatement waiting(db);
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetStmtAttr(waiting.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0)));
    SQLULEN timeout = 0;
    SQLGetStmtAttr(waiting.get(), SQL_ATTR_QUERY_TIMEOUT, &timeout, 0, nullptr);
    EXPECT_EQ(timeout, 1u);
    const auto start = std::chrono::steady_clock::now();
    OdbcOutcome o = waiting.execDirect("UPDATE 检索 SET 主诉 = 'mine' WHERE 姓名 = '甲'");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(o.state, "HYT00") << o.message;
    EXPECT_LT(waited, std::chrono::seconds(4));  // the lock's own bound is 5 s
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, holder.dbc(), SQL_ROLLBACK)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('乙')").ok());
    EXPECT_EQ(db.query("select 姓名, 主诉 from 检索 order by 编号"),
              (Rows{{"甲", std::nullopt}, {"乙", std::nullopt}}));
}

// A result read only in part does not hold the connection: another statement
// runs in between, the rest of the result is still there, and one left
// halfway is let go of.
TEST_P(OnBothStores, AResultReadInPartLeavesTheConnectionFree) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(
            db.execute("INSERT INTO 检索 (姓名) values ('" + std::to_string(i) + "')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0)));
    OdbcStatement reading(db), halfway(db);
    ASSERT_TRUE(reading.execDirect("select 姓名 from 检索 order by 编号").ok());
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(reading.get())));
        EXPECT_EQ(reading.text(1), std::to_string(i));
    }
    ASSERT_TRUE(halfway.execDirect("select 姓名 from 检索").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(halfway.get())));
    ASSERT_TRUE(db.execute("INSERT INTO 基本资料 (姓名) values ('甲')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFreeStmt(halfway.get(), SQL_CLOSE)));
    int next = 10;
    while (SQL_SUCCEEDED(SQLFetch(reading.get())))
        EXPECT_EQ(reading.text(1), std::to_string(next++));
    EXPECT_EQ(next, 300);
    EXPECT_EQ(db.query("select 姓名 from 基本资料"), (Rows{{"甲"}}));
}

// Three workstations saving at once, each in its own process: on the server
// every visit arrives exactly once; the file, under the same load, shows
// what it does (its lock makes them take turns).
TEST_P(OnBothStores, ThreeWorkstationsSaveAThousandVisitsEachAtOnce) {
    const int perProcess = 1000;
    const QString names[] = {QStringLiteral("诊室一"), QStringLiteral("诊室二"),
                             QStringLiteral("诊室三")};
    std::vector<std::unique_ptr<QProcess>> rooms;
    for (const QString& name : names) {
        rooms.push_back(std::make_unique<QProcess>());
        rooms.back()->start(QStringLiteral(RX_INSERT_HELPER), {QString::fromStdString(store.text()),
                                                               name, QString::number(perProcess)});
    }
    for (auto& room : rooms) {
        ASSERT_TRUE(room->waitForFinished(280000));
        EXPECT_EQ(room->exitCode(), 0) << room->readAllStandardError().toStdString();
    }
    Rows rows = db.query("select 姓名 from 检索 where 时间 = #2024-5-3# order by 编号");
    std::set<std::string> distinct;
    for (const auto& row : rows) distinct.insert(*row[0]);
    EXPECT_EQ(rows.size(), 3u * perProcess);
    EXPECT_EQ(distinct.size(), 3u * perProcess);
    for (const QString& name : names)
        EXPECT_EQ(
            db.query("select count(*) from 检索 where 姓名 like '" + name.toStdString() + "%'"),
            (Rows{{std::to_string(perProcess)}}));
}

INSTANTIATE_TEST_SUITE_P(Stores, OnBothStores, ::testing::Values(Store::File, Store::Server),
                         [](const auto& p) { return storeName(p.param); });

// Only the server can go away under a running workstation.
class ServerConnection : public ::testing::Test {
protected:
    void SetUp() override {
        RX_REQUIRE_SERVER();
        ASSERT_EQ(store.setUp(), "");
        ASSERT_TRUE(db.driverConnect(store.text()).ok());
    }
    size_t rows() { return store.server->query("SELECT * FROM \"检索\"").size(); }
    StoreFixture store{Store::Server};
    OdbcConnection db;
};

TEST_F(ServerConnection, TheNextSaveAfterTheServerDroppedTheConnectionGoesThroughOnce) {
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    ASSERT_TRUE(store.server->dropConnections());
    OdbcOutcome o = db.execute("INSERT INTO 检索 (姓名) values ('乙')");
    EXPECT_TRUE(o.ok()) << o.state << " " << o.message;
    EXPECT_EQ(db.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"乙"}}));
    EXPECT_EQ(rows(), 2u);
}

TEST_F(ServerConnection, ATransactionTheServerLostFailsItsCommit) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    ASSERT_TRUE(store.server->dropConnections());
    EXPECT_EQ(db.execute("INSERT INTO 检索 (姓名) values ('乙')").state, "08S01");
    EXPECT_EQ(db.execute("INSERT INTO 检索 (姓名) values ('丙')").state, "08S01");
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT);
    EXPECT_EQ(diagnose(SQL_HANDLE_DBC, db.dbc(), rc).state, "08S01");
    // Ended now: the connection is made again and the next transaction is whole.
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('丁')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT)));
    EXPECT_EQ(db.query("select 姓名 from 检索"), (Rows{{"丁"}}));
}

// In a process of its own: unixODBC keeps the odbc.ini it has read.
TEST_F(ServerConnection, AServerThatCannotBeReachedIs08001) {
    store.dir.setDataSourceKeys("PGHost = " + store.dir.path().toStdString() +
                                "\nPGDatabase = rx\nPGConnectTimeout = 2\n");
    QProcess helper;
    helper.start(QStringLiteral(RX_INSERT_HELPER),
                 {QString::fromStdString(store.text()), QStringLiteral("甲"), QStringLiteral("1")});
    ASSERT_TRUE(helper.waitForFinished(60000));
    EXPECT_EQ(helper.exitCode(), 3);
    EXPECT_TRUE(helper.readAllStandardError().startsWith("08001"));
}

TEST_F(ServerConnection, TheDrugCatalogueStaysALocalFileUnlessListed) {
    ASSERT_TRUE(store.dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    const std::string drugs =
        "DSN=MS ACCESS DATABASE;DBQ=" + store.dir.drugDatabasePath().toStdString() + ";ReadOnly=1";
    OdbcConnection c;
    ASSERT_TRUE(c.driverConnect(drugs).ok());
    EXPECT_EQ(c.query("select 存货名称 from 仓库"), (Rows{{"当归"}}));
    EXPECT_TRUE(store.server->query("SELECT * FROM pg_tables WHERE tablename = '仓库'").empty());
}

}  // namespace
}  // namespace rx::test
