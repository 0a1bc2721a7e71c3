// The dialect without ODBC: tokenizing, parsing and the translation into
// SQLite with bound parameters, against a fixed catalog.

#include <gtest/gtest.h>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sql/parser.h"
#include "drivers/access_sqlite/sql/translator.h"

namespace rx::access {
namespace {

class FixedCatalog : public Catalog {
public:
    FixedCatalog() {
        table_.name = "检索";
        table_.columns = {{"编号", {AccessType::Counter, 0}, false, true},
                          {"姓名", {AccessType::LongText, 0}},
                          {"时间", {AccessType::DateTime, 0}},
                          {"年龄", {AccessType::Double, 0}},
                          {"Code", {AccessType::Text, 5}}};
    }
    const TableInfo* findTable(std::string_view t) const override {
        return sameName(t, table_.name) ? &table_ : nullptr;
    }

private:
    TableInfo table_;
};

struct Case {
    const char* name;
    const char* access;
    const char* sqlite;  // nullptr when it must fail
    const char* state;   // expected SQLSTATE on failure
};

// Test listings name the case instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::string translated(const char* access, std::string* state,
                       std::vector<BoundValue>* params = nullptr,
                       Dialect dialect = Dialect::Sqlite) {
    ParseResult p = parse(access);
    if (!p.statement) {
        *state = "42000";
        return {};
    }
    try {
        Translation t = translate(*p.statement, FixedCatalog(), dialect);
        if (params) *params = t.params;
        return t.sql;
    } catch (const DriverError& e) {
        *state = sqlState(e.kind);
        return {};
    }
}

class Dialect : public ::testing::TestWithParam<Case> {};

TEST_P(Dialect, TranslatesOrRefuses) {
    const Case& c = GetParam();
    std::string state;
    std::string sql = translated(c.access, &state);
    if (c.sqlite) {
        EXPECT_EQ(sql, c.sqlite) << state;
    } else {
        EXPECT_EQ(state, c.state) << sql;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statements, Dialect,
    ::testing::Values(
        Case{"NoSpaceBeforeAndOrQuote",
             "select * from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 like'%张%' "
             "order by 时间 desc",
             "SELECT \"编号\", \"姓名\", \"时间\", \"年龄\", \"Code\" FROM \"检索\" WHERE "
             "((\"姓名\" LIKE ?) AND (+\"时间\" BETWEEN ? AND ?)) ORDER BY \"时间\" DESC",
             ""},
        Case{"KeywordsAnyCaseBracketsAndQualifiedNames",
             "SeLeCt [姓名], 检索.年龄 FROM [检索] WhErE NOT 年龄 >= 3 Or 姓名 IS NOT NULL ORDER "
             "BY 年龄, 姓名 ASC",
             "SELECT \"姓名\", \"年龄\" FROM \"检索\" WHERE (NOT (\"年龄\" >= ?) OR (\"姓名\" IS "
             "NOT NULL)) "
             "ORDER BY \"年龄\", \"姓名\"",
             ""},
        Case{"InListAndNotLike",
             "select 姓名 from 检索 where 年龄 in (1, 2.5, '3') and 姓名 not like 'a_'",
             "SELECT \"姓名\" FROM \"检索\" WHERE ((\"姓名\" NOT LIKE ?) AND (\"年龄\" IN (?, ?, "
             "?)))",
             ""},
        Case{"TopAndCount", "select top 5 count(*) from 检索",
             "SELECT count(*) FROM \"检索\" LIMIT 5", ""},
        Case{"UpdateAndDeleteStar", "delete * from 检索 where 编号 = 3",
             "DELETE FROM \"检索\" WHERE (\"编号\" = ?)", ""},
        Case{"Update", "UPDATE 检索 SET 年龄 = '4', 姓名 = NULL WHERE 编号 <> 1",
             "UPDATE \"检索\" SET \"年龄\" = ?, \"姓名\" = ? WHERE (\"编号\" <> ?)", ""},
        Case{"CreateWithAccessTypes",
             "create table t (id autoincrement primary key, a varchar(20) not null, b memo, c "
             "yesno, d currency)",
             "CREATE TABLE \"t\" (\"id\" INTEGER PRIMARY KEY AUTOINCREMENT, \"a\" TEXT(20) NOT "
             "NULL COLLATE NOCASE, "
             "\"b\" LONGTEXT COLLATE NOCASE, \"c\" YESNO, \"d\" CURRENCY)",
             ""},
        Case{
            "UnaryOperatorsAddNoParentheses",
            "select 姓名 from 检索 where NOT NOT 年龄 = - -1 and -(NOT 年龄 = 1) = 0",
            "SELECT \"姓名\" FROM \"检索\" WHERE (NOT NOT (\"年龄\" = - -?) AND (-(NOT (\"年龄\" = "
            "?)) = ?))",
            ""},
        Case{"BracketedWildcardIsEscapedInLike", "select 姓名 from 检索 where 姓名 like '[_]%'",
             "SELECT \"姓名\" FROM \"检索\" WHERE (\"姓名\" LIKE ? ESCAPE '\\')", ""},
        Case{"CharacterClassBecomesGlob", "select 姓名 from 检索 where 姓名 not like '[!A-c]%'",
             "SELECT \"姓名\" FROM \"检索\" WHERE (lower(\"姓名\") NOT GLOB ?)", ""},
        Case{"DropTable", "DROP TABLE 检索", "DROP TABLE \"检索\"", ""},
        Case{"UnbalancedQuote", "INSERT INTO 检索 (姓名) values ('O'Neil')", nullptr, "42000"},
        Case{"TwoStatements", "select * from 检索; select * from 检索", nullptr, "42000"},
        Case{"UnknownTable", "select * from 病人", nullptr, "42S02"},
        Case{"UnknownColumn", "select * from 检索 where 性别 = '男'", nullptr, "42S22"},
        Case{"UnknownOrderColumn", "select * from 检索 order by 性别", nullptr, "42S22"},
        Case{"ValueCountMismatch", "INSERT INTO 检索 (姓名,年龄) values ('a')", nullptr, "21S01"},
        Case{"TextTooLong", "INSERT INTO 检索 (Code) values ('abcdef')", nullptr, "22001"},
        Case{"NotANumber", "INSERT INTO 检索 (年龄) values ('abc')", nullptr, "22018"},
        Case{"NumberBeyondTheDates", "INSERT INTO 检索 (时间) values (1e308)", nullptr, "22018"},
        Case{"NegativeNumberBeyondTheDates", "INSERT INTO 检索 (时间) values (-9999999)", nullptr,
             "22018"},
        Case{"BadDateLiteral", "select * from 检索 where 时间 = #2024-13-1#", nullptr, "42000"},
        Case{"TableExists", "create table 检索 (a long)", nullptr, "42S01"},
        Case{"TwoAutoNumbersWithKeys",
             "create table t (id autoincrement primary key, e autoincrement primary key, a long)",
             nullptr, "42000"},
        Case{"TwoAutoNumbers", "create table t (id counter, e autoincrement, a long)", nullptr,
             "42000"},
        Case{"TwoColumnKeys", "create table t (a long primary key, b text(5) primary key)", nullptr,
             "42000"},
        Case{"ColumnAndTableKey", "create table t (a long primary key, b long, primary key (b))",
             nullptr, "42000"},
        Case{"TwoTableKeys",
             "create table t (a long, b long, primary key (a), constraint k primary key (b))",
             nullptr, "42000"},
        Case{"SystemTable", "select * from sqlite_master", nullptr, "42S02"},
        Case{"Garbage", "selec * from 检索", nullptr, "42000"}),
    [](const auto& p) { return std::string(p.param.name); });

// The same AST written for a server: numbered parameters, text folded by
// the "C" rules on both sides, empty values sorted as the file sorts them,
// character classes as anchored regular expressions.
class ServerDialect : public ::testing::TestWithParam<Case> {};

TEST_P(ServerDialect, TranslatesOrRefuses) {
    const Case& c = GetParam();
    std::string state;
    std::vector<BoundValue> params;
    std::string sql = translated(c.access, &state, &params, access::Dialect::Postgres);
    if (c.sqlite) {
        EXPECT_EQ(sql, c.sqlite) << state;
    } else {
        EXPECT_EQ(state, c.state) << sql;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ServerDialect,
    ::testing::Values(
        Case{"TextComparedFoldedDatesAsTheyAre",
             "select 姓名 from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3# and 姓名 = 'a' "
             "order by 时间 desc, 姓名",
             "SELECT \"姓名\" FROM \"检索\" WHERE ((\"时间\" BETWEEN $1 AND $2) AND "
             "(lower((\"姓名\")::text COLLATE \"C\") = lower(($3)::text COLLATE \"C\"))) "
             "ORDER BY \"时间\" DESC NULLS LAST, lower(\"姓名\"::text COLLATE \"C\") NULLS FIRST",
             ""},
        Case{"LikeHasNoEscapeUnlessBracketsAskForOne",
             "select 姓名 from 检索 where 姓名 like '%张%' or 姓名 like '[_]%'",
             "SELECT \"姓名\" FROM \"检索\" WHERE ((lower((\"姓名\")::text COLLATE \"C\") LIKE "
             "lower(($1)::text COLLATE \"C\") ESCAPE '') OR (lower((\"姓名\")::text COLLATE "
             "\"C\") LIKE lower(($2)::text COLLATE \"C\") ESCAPE '\\'))",
             ""},
        Case{"CharacterClassBecomesARegularExpression",
             "select 姓名 from 检索 where 姓名 not like '[!A-c]%'",
             "SELECT \"姓名\" FROM \"检索\" WHERE (lower((\"姓名\")::text COLLATE \"C\") !~ $1)",
             ""},
        Case{"NumbersAreNotFolded", "select 姓名 from 检索 where 年龄 in (1, 2)",
             "SELECT \"姓名\" FROM \"检索\" WHERE (\"年龄\" IN ($1, $2))", ""},
        Case{"DistinctSortedOutside", "select distinct 姓名 from 检索 order by 姓名",
             "SELECT * FROM (SELECT DISTINCT \"姓名\" FROM \"检索\") AS rx_distinct ORDER BY "
             "lower(\"姓名\"::text COLLATE \"C\") NULLS FIRST",
             ""},
        Case{"CreateKeepsTheAccessTypesAsComments",
             "create table t (id counter primary key, a text(20) not null, d datetime)",
             "CREATE TABLE \"t\" (\"id\" integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
             "\"a\" varchar(20) NOT NULL, \"d\" timestamp(0)); COMMENT ON COLUMN \"t\".\"id\" "
             "IS 'COUNTER'; COMMENT ON COLUMN \"t\".\"a\" IS 'TEXT(20)'; COMMENT ON COLUMN "
             "\"t\".\"d\" IS 'DATETIME'",
             ""},
        Case{"UnknownTable", "select * from 病人", nullptr, "42S02"},
        Case{"NotADate", "select * from 检索 where 时间 > 'soon'", nullptr, "22018"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ServerDialectValues, ClassesBecomeAnchoredExpressionsOverFoldedText) {
    std::string state;
    std::vector<BoundValue> p;
    translated("select * from 检索 where 姓名 like '[!A-c]_%.[*]'", &state, &p,
               access::Dialect::Postgres);
    ASSERT_EQ(p.size(), 1u) << state;
    EXPECT_EQ(p[0].text, "^[^a-c]..*\\.\\*$");
}

// Hostile statements are refused as syntax errors instead of exhausting the
// stack of whatever program loaded the driver.
TEST(DialectLimits, RunawayNestingAndHugeExpressionsAreRefused) {
    auto repeated = [](const std::string& piece, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) out += piece;
        return out;
    };
    const std::string statements[] = {
        "select * from 检索 where " + repeated("NOT ", 200000) + "年龄 = 1",
        "select * from 检索 where 年龄 = " + repeated("-", 200000) + "1",
        "select * from 检索 where " + repeated("(", 100000) + "年龄 = 1" + repeated(")", 100000),
        "select * from 检索 where 年龄 = 1" + repeated(" or 年龄 = 1", 100000),
    };
    for (const std::string& sql : statements) {
        std::string state;
        EXPECT_TRUE(translated(sql.c_str(), &state).empty());
        EXPECT_EQ(state, "42000") << sql.substr(0, 60);
    }
    std::string state;
    EXPECT_FALSE(
        translated(("select * from 检索 where " + repeated("NOT ", 50) + "年龄 = 1").c_str(),
                   &state)
            .empty());
}

TEST(DialectValues, LiteralsTakeTheTypeOfTheColumnTheyMeet) {
    std::string state;
    std::vector<BoundValue> p;
    translated(
        "select * from 检索 where 时间 BETWEEN #5/3/2024# and '2024年5月3日9时' and 年龄 = '2.5' "
        "and 姓名 = 3",
        &state, &p);
    ASSERT_EQ(p.size(), 4u) << state;
    EXPECT_EQ(p[0].text, "2024-05-03 00:00:00");
    EXPECT_EQ(p[1].text, "2024-05-03 09:00:00");
    EXPECT_EQ(p[2].kind, BoundValue::Kind::Real);
    EXPECT_DOUBLE_EQ(p[2].real, 2.5);
    EXPECT_EQ(p[3].kind, BoundValue::Kind::Text);
    EXPECT_EQ(p[3].text, "3");
}

TEST(DialectValues, DoubledQuotesAndNegativeNumbersReachTheirColumns) {
    std::string state;
    std::vector<BoundValue> p;
    translated("INSERT INTO 检索 (姓名,年龄,时间) values ('O''Neil', -1.5, #2024-5-3 9:05:00#)",
               &state, &p);
    ASSERT_EQ(p.size(), 3u) << state;
    EXPECT_EQ(p[0].text, "O'Neil");
    EXPECT_DOUBLE_EQ(p[1].real, -1.5);
    EXPECT_EQ(p[2].text, "2024-05-03 09:05:00");
}

}  // namespace
}  // namespace rx::access
