// The program's six statements, written out by hand exactly as the program
// joins them, run on a fresh database through unixODBC and this driver: on
// the local file and on the server. The drug catalogue stays a local file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/drivers/odbc_client.h"
#include "tests/drivers/stores.h"
#include "tests/support/temp_program_dir.h"

namespace rx::test {
namespace {

using ::testing::ElementsAre;

std::string joinValues(const std::vector<std::string>& values) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "','" : "") + values[i];
    return out;
}

std::string visitInsert(const std::vector<std::string>& v) {
    return "INSERT INTO 基本资料 "
           "(姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,用量单位,现病史,中药处方,"
           "备注,备注2,记录) values ('" +
           joinValues(v) + "')";
}

std::string indexInsert(const std::string& name, const std::string& date,
                        const std::string& complaint, const std::string& initials) {
    return "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('" + name + "','" + date + "','" +
           complaint + "','" + initials + "')";
}

std::string indexSearch(const std::string& from, const std::string& to, const std::string& name) {
    return "select * from 检索 where 时间 BETWEEN " + from + " and " + to + "and 姓名 like'%" +
           name + "%' order by 时间 desc";
}

std::string visitSearch(const std::string& from, const std::string& to, const std::string& name) {
    return "select * from 基本资料 where 登记时间 BETWEEN " + from + " and " + to +
           "and 姓名 like'%" + name + "%' order by 登记时间 desc";
}

std::string herbalLookup(const std::string& code) {
    return "select * from 仓库 where 存货编码 like '%" + code + "%'";
}
std::string westernLookup(const std::string& code) {
    return "select * from 西药 where 存货编码 like '%" + code + "%'";
}

std::vector<std::string> visit(const std::string& name, const std::string& age,
                               const std::string& date) {
    return {
        name,       "男",     age, "岁",       "城关镇",          "感冒", date, "20240503093000",
        "每日一剂", "水煎服", "g", "发热两天", "当归10g,甘草6g,", "",     "",   "张医生"};
}

class ProgramStatements : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        if (GetParam() == Store::Server) RX_REQUIRE_SERVER();
        ASSERT_EQ(store.setUp(), "");
        std::string error;
        ASSERT_TRUE(dir.createDrugDatabase(
            {{"DG", "当归", "1kg"}, {"GC", "甘草", "1kg"}, {"DGS", "党参", "500g"}},
            {{"AMXLJN", "阿莫西林胶囊", "0.25g*24粒"}}, &error))
            << error;
        ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
    }

    size_t count(const std::string& table) { return db.query("select * from " + table).size(); }

    StoreFixture store{GetParam()};
    TempProgramDir& dir = store.dir;
    OdbcConnection db;
};

TEST_P(ProgramStatements, IndexSearchExampleFindsTheRowsInRangeNewestFirst) {
    ASSERT_TRUE(db.execute(indexInsert("张三", "2024年3月1日", "头痛", "ZS")).ok());
    ASSERT_TRUE(db.execute(indexInsert("李四", "2024年4月2日", "咳嗽", "LS")).ok());
    ASSERT_TRUE(db.execute(indexInsert("张小花", "2024年5月3日", "发热", "ZXH")).ok());
    ASSERT_TRUE(db.execute(indexInsert("张五", "2024年5月4日", "腹痛", "ZW")).ok());
    Rows rows = db.query(
        "select * from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 like'%张%' "
        "order by 时间 desc");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(std::vector<Cell>(rows[0].begin() + 1, rows[0].end()),
                ElementsAre("张小花", "2024-05-03 00:00:00", "发热", "ZXH"));
    EXPECT_EQ(rows[1][1], "张三");
}

TEST_P(ProgramStatements, VisitInsertStoresAgeAsNumberAndVisitSearchReadsAllColumnsInOrder) {
    ASSERT_TRUE(db.execute(visitInsert(visit("王五", "35", "2024年5月3日"))).ok());
    ASSERT_TRUE(db.execute(visitInsert(visit("王小", "2.5", "2024年5月3日"))).ok());
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect(visitSearch("#2024-5-3#", "#2024-5-3#", "王")).ok());
    SQLSMALLINT columns = 0;
    SQLNumResultCols(s.get(), &columns);
    EXPECT_EQ(columns, 17);
    std::vector<double> ages;
    while (SQL_SUCCEEDED(SQLFetch(s.get()))) {
        double age = 0;
        SQLLEN ind = 0;
        ASSERT_EQ(SQLGetData(s.get(), 4, SQL_C_DOUBLE, &age, 0, &ind), SQL_SUCCESS);
        ages.push_back(age);
        EXPECT_EQ(s.text(17), "张医生");
        EXPECT_EQ(s.text(14), "当归10g,甘草6g,");
    }
    EXPECT_THAT(ages, ::testing::UnorderedElementsAre(35.0, 2.5));
    SQLSMALLINT type = 0;
    SQLDescribeCol(s.get(), 4, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr);
    EXPECT_EQ(type, SQL_DOUBLE);
}

TEST_P(ProgramStatements, UnescapedQuoteFailsWithSyntaxErrorAndWritesNothingDoubledQuoteIsSaved) {
    OdbcOutcome bad = db.execute(indexInsert("O'Neil", "2024年5月3日", "头痛", "O"));
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.state, "42000");
    OdbcOutcome badVisit = db.execute(visitInsert(visit("O'Neil", "35", "2024年5月3日")));
    EXPECT_EQ(badVisit.state, "42000");
    EXPECT_EQ(count("检索"), 0u);
    EXPECT_EQ(count("基本资料"), 0u);
    OdbcOutcome searchBad;
    EXPECT_TRUE(db.query(indexSearch("#2024-5-3#", "#2024-5-3#", "O'Neil"), &searchBad).empty());
    EXPECT_EQ(searchBad.state, "42000");

    ASSERT_TRUE(db.execute(indexInsert("O''Neil", "2024年5月3日", "头痛", "O")).ok());
    Rows rows = db.query(indexSearch("#2024-5-3#", "#2024-5-3#", "O''Neil"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "O'Neil");
}

TEST_P(ProgramStatements, WildcardsAndNullNames) {
    ASSERT_TRUE(db.execute(indexInsert("张三", "2024年5月3日", "a", "ZS")).ok());
    ASSERT_TRUE(db.execute(indexInsert("张三丰", "2024年5月3日", "b", "ZSF")).ok());
    ASSERT_TRUE(db.execute(indexInsert("100%纯", "2024年5月3日", "c", "C")).ok());
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (时间,主诉) values ('2024年5月3日','无名')").ok());
    auto names = [&](const std::string& filter) {
        std::vector<Cell> out;
        for (const auto& r : db.query(indexSearch("#2024-5-3#", "#2024-5-3#", filter)))
            out.push_back(r[1]);
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(names("").size(), 3u) << "like'%%' never matches a NULL name";
    EXPECT_THAT(names("张_"), ElementsAre("张三", "张三丰"));  // '%张_%': 张 and at least one more
    EXPECT_THAT(names("三_"), ElementsAre("张三丰"));
    EXPECT_THAT(names("%纯"), ElementsAre("100%纯"));
    EXPECT_EQ(names("李").size(), 0u);
}

TEST_P(ProgramStatements, DateBoundsArePointsInTimeSoATimeOfDayAfterMidnightFallsOutside) {
    ASSERT_TRUE(db.execute(indexInsert("张早", "2024年5月3日", "", "")).ok());
    ASSERT_TRUE(db.execute(indexInsert("张晚", "2024年5月3日9时5分", "", "")).ok());
    ASSERT_TRUE(db.execute(indexInsert("张前", "2024年5月2日23时59分59秒", "", "")).ok());
    Rows sameDay = db.query(indexSearch("#2024-5-3#", "#2024-5-3#", "张"));
    ASSERT_EQ(sameDay.size(), 1u);
    EXPECT_EQ(sameDay[0][1], "张早");
    Rows twoDays = db.query(indexSearch("#2024-5-2#", "#2024-5-4#", "张"));
    ASSERT_EQ(twoDays.size(), 3u);
    EXPECT_EQ(twoDays[0][1], "张晚");  // newest first, by time of day too
    EXPECT_EQ(twoDays[0][2], "2024-05-03 09:05:00");
    EXPECT_EQ(twoDays[2][1], "张前");
}

TEST_P(ProgramStatements, DrugLookupsMatchPartOfTheCodeWithoutRegardToCase) {
    OdbcConnection drugs;
    ASSERT_TRUE(drugs
                    .driverConnect("DRIVER={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=" +
                                   dir.drugDatabasePath().toStdString() + ";ReadOnly=1")
                    .ok());
    Rows dg = drugs.query(herbalLookup("dg"));
    ASSERT_EQ(dg.size(), 2u);
    EXPECT_EQ(dg[0][1], "DG");
    EXPECT_EQ(dg[0][2], "当归");
    EXPECT_EQ(dg[0][3], "1kg");
    EXPECT_EQ(drugs.query(herbalLookup("GS")).size(), 1u);
    Rows western = drugs.query(westernLookup("AMX"));
    ASSERT_EQ(western.size(), 1u);
    EXPECT_EQ(western[0][2], "阿莫西林胶囊");
    OdbcOutcome quote;
    EXPECT_TRUE(drugs.query(herbalLookup("D'G"), &quote).empty());
    EXPECT_EQ(quote.state, "42000");
}

// An administrator's patterns: brackets hold a literal wildcard or a class,
// matched without regard to case as LIKE is; a lone '[' is itself.
TEST_P(ProgramStatements, BracketsInLikeMatchLiteralWildcardsAndCharacterClasses) {
    for (const char* name : {"a_b", "axb", "a%b", "A[b", "Ab", "cb", "张b", "a*b"})
        ASSERT_TRUE(db.execute(indexInsert(name, "2024年3月1日", "", "")).ok());
    const struct {
        const char* pattern;
        Rows names;
    } cases[] = {
        {"a_b", {{"a_b"}, {"axb"}, {"a%b"}, {"A[b"}, {"a*b"}}},
        {"a[_]b", {{"a_b"}}},
        {"a[%]b", {{"a%b"}}},
        {"%[[]%", {{"A[b"}}},
        {"%[%", {{"A[b"}}},
        {"a[*]b", {{"a*b"}}},
        {"[abc]b", {{"Ab"}, {"cb"}}},
        {"[A-C]_", {{"Ab"}, {"cb"}}},
        {"[!a-c]b", {{"张b"}}},
        {"[张x]%", {{"张b"}}},
        {"a[x%]b", {{"axb"}, {"a%b"}}},
    };
    for (const auto& c : cases) {
        OdbcOutcome o;
        Rows found = db.query(
            std::string("select 姓名 from 检索 where 姓名 like '") + c.pattern + "' order by 编号",
            &o);
        EXPECT_EQ(found, c.names) << c.pattern << ": " << o.state << " " << o.message;
    }
}

// Whatever SQLite would refuse for its size (its parser stack, its expression
// depth, its column limit) is refused by the driver first as a syntax error;
// what fits just inside runs.
// SQLite's limits, on the file only: a server has limits of its own (1 664
// result columns, for one), which it refuses as syntax errors too.
class FileStatements : public ProgramStatements {};

TEST_P(FileStatements, StatementsTooLargeForSqliteAreSyntaxErrorsAndSmallerOnesRun) {
    auto repeated = [](const std::string& piece, int times, const std::string& separator = "") {
        std::string out;
        for (int i = 0; i < times; ++i) out += (i ? separator : "") + piece;
        return out;
    };
    const std::string select = "select 姓名 from 检索 where ";
    const struct {
        std::string sql;
        bool runs;
    } cases[] = {
        {select + repeated("NOT ", 60) + "编号 = 1", true},
        {select + repeated("NOT ", 95) + "编号 = 1", false},
        {select + "编号 = " + repeated("-", 60, " ") + "1", true},
        {select + "编号 = " + repeated("-", 95, " ") + "1", false},
        // Parentheses that only group are not written out again.
        {select + repeated("(", 150) + "编号 = 1" + repeated(")", 150), true},
        {select + repeated("(编号 = 1 and ", 20) + "编号 = 1" + repeated(")", 20), true},
        {select + repeated("(编号 = 1 and ", 32) + "编号 = 1" + repeated(")", 32), false},
        {select + repeated("编号 = 1", 800, " or "), true},
        {select + repeated("编号 = 1", 1000, " or "), false},
        {select + "编号 = " + repeated("1", 800, " + "), true},
        {select + "编号 = " + repeated("1", 1000, " + "), false},
        {"select " + repeated("姓名", 2000, ", ") + " from 检索", true},
        {"select " + repeated("姓名", 2001, ", ") + " from 检索", false},
        {"select " + repeated("*", 401, ", ") + " from 检索", false},
    };
    for (const auto& c : cases) {
        OdbcOutcome o;
        db.query(c.sql, &o);
        if (c.runs) {
            EXPECT_TRUE(o.ok()) << c.sql.substr(0, 80) << ": " << o.state << " " << o.message;
        } else {
            EXPECT_EQ(o.state, "42000") << c.sql.substr(0, 80) << ": " << o.message;
            EXPECT_NE(o.message.find("Syntax error"), std::string::npos) << o.message;
        }
    }
}

}  // namespace
}  // namespace rx::test

namespace rx::test {
namespace {

// An administrator's long condition runs: chains of one operator are not
// nested in parentheses that SQLite's parser could not hold.
TEST_P(ProgramStatements, LongChainsOfOneOperatorRunAndKeepTheirOrder) {
    std::string where = "存货编码 = 'X0'";
    for (int i = 1; i < 400; ++i) where += " or 存货编码 = 'X" + std::to_string(i) + "'";
    where += " or 存货编码 = 'GC'";
    OdbcConnection drugs;
    ASSERT_TRUE(drugs
                    .driverConnect("DRIVER={" + TempProgramDir::driverName().toStdString() +
                                   "};DBQ=" + dir.drugDatabasePath().toStdString() + ";ReadOnly=1")
                    .ok());
    OdbcOutcome o;
    EXPECT_EQ(drugs.query("select 存货名称 from 仓库 where " + where, &o), (Rows{{"甘草"}}))
        << o.message;
    ASSERT_TRUE(db.execute(indexInsert("算式", "2024年3月1日", "", "")).ok());
    // Left to right, as written: (20 - 5) - 3 and (24 / 4) / 2.
    EXPECT_EQ(
        db.query("select 编号 from 检索 where 20 - 5 - 3 = 12 and 24 / 4 / 2 = 3 and 编号 > 0")
            .size(),
        1u);
}

INSTANTIATE_TEST_SUITE_P(File, FileStatements, ::testing::Values(Store::File),
                         [](const auto& p) { return storeName(p.param); });
INSTANTIATE_TEST_SUITE_P(Stores, ProgramStatements, ::testing::Values(Store::File, Store::Server),
                         [](const auto& p) { return storeName(p.param); });

}  // namespace
}  // namespace rx::test
