// Access types through the driver: quoted text converted into number and
// date-time columns, refused when it does not convert, result column types,
// SQLGetData conversions, long texts read in pieces and characters outside GBK.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"

namespace rx::test {
namespace {

class Types : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.createPrescriptionDatabase());
        ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(db.execute("CREATE TABLE 样例 (编号 COUNTER PRIMARY KEY, 文本 TEXT(10), 长文 "
                               "MEMO, 整数 LONG, "
                               "短 SHORT, 字节 BYTE, 单 SINGLE, 双 DOUBLE, 钱 CURRENCY, 时刻 "
                               "DATETIME, 是否 YESNO "
                               "NOT NULL)")
                        .ok());
    }
    TempProgramDir dir;
    OdbcConnection db;
};

struct DateCase {
    const char* text;
    const char* stored;
};

TEST_F(Types, DateTextsConvertIntoDateTimeColumns) {
    const DateCase cases[] = {
        {"2016年11月4日", "2016-11-04 00:00:00"},
        {"2016年11月4日9时", "2016-11-04 09:00:00"},
        {"2016年11月4日9时5分", "2016-11-04 09:05:00"},
        {"2016年11月4日9时5分3秒", "2016-11-04 09:05:03"},
        {"2016-11-4", "2016-11-04 00:00:00"},
        {"2016-11-4 9:05:00", "2016-11-04 09:05:00"},
        {"2016-11-4 9:05", "2016-11-04 09:05:00"},
        {"2016/11/4", "2016-11-04 00:00:00"},
        {"11/4/2016", "2016-11-04 00:00:00"},
        {"2024年2月29日", "2024-02-29 00:00:00"},
    };
    for (const DateCase& c : cases) {
        ASSERT_TRUE(db.execute("DELETE FROM 检索").ok());
        OdbcOutcome o =
            db.execute(std::string("INSERT INTO 检索 (姓名,时间) values ('x','") + c.text + "')");
        ASSERT_TRUE(o.ok()) << c.text << ": " << o.state << " " << o.message;
        Rows rows = db.query("select 时间 from 检索");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], c.stored) << c.text;
    }
}

TEST_F(Types, TextsThatDoNotConvertFailWith22018AndWriteNothing) {
    const char* const badDates[] = {"2016年13月4日", "2023年2月29日",        "昨天",
                                    "2016-11",       "2016年11月4日9时61分", ""};
    for (const char* text : badDates) {
        OdbcOutcome o =
            db.execute(std::string("INSERT INTO 检索 (姓名,时间) values ('x','") + text + "')");
        EXPECT_EQ(o.state, "22018") << text;
    }
    const char* const badAges[] = {"三十五", "35岁", "", "1e999"};
    for (const char* age : badAges) {
        OdbcOutcome o =
            db.execute(std::string("INSERT INTO 基本资料 (姓名,年龄) values ('x','") + age + "')");
        EXPECT_EQ(o.state, "22018") << age;
    }
    EXPECT_TRUE(db.query("select * from 检索").empty());
    EXPECT_TRUE(db.query("select * from 基本资料").empty());
    EXPECT_EQ(db.execute("select * from 检索 where 时间 > 'soon'").state, "22018");
}

TEST_F(Types, NumbersAreConvertedRangeCheckedAndTextIsLimitedToItsSize) {
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (文本,整数,短,字节,单,双,钱,是否) values "
                           "('0123456789',' 42 ','-7','255','1.5','2.5','12.3456',TRUE)")
                    .ok());
    Rows rows = db.query("select 文本,整数,短,字节,单,双,钱,是否 from 样例");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_THAT(rows[0], ::testing::ElementsAre("0123456789", "42", "-7", "255", "1.5", "2.5",
                                                "12.3456", "1"));
    EXPECT_EQ(db.execute("INSERT INTO 样例 (字节,是否) values ('256',0)").state, "22003");
    EXPECT_EQ(db.execute("INSERT INTO 样例 (短,是否) values (40000,0)").state, "22003");
    EXPECT_EQ(db.execute("INSERT INTO 样例 (文本,是否) values ('一二三四五六七八九十一',0)").state,
              "22001");
    EXPECT_TRUE(db.execute("INSERT INTO 样例 (文本,是否) values ('一二三四五六七八九十',0)").ok());
    EXPECT_EQ(db.execute("INSERT INTO 样例 (文本) values ('x')").state, "23000");  // 是否 NOT NULL
    EXPECT_EQ(db.query("select * from 样例").size(), 2u);
}

TEST_F(Types, ResultColumnsReportTheirOdbcTypes) {
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select * from 样例").ok());
    const SQLSMALLINT expected[] = {SQL_INTEGER,  SQL_VARCHAR,        SQL_LONGVARCHAR, SQL_INTEGER,
                                    SQL_SMALLINT, SQL_TINYINT,        SQL_REAL,        SQL_DOUBLE,
                                    SQL_NUMERIC,  SQL_TYPE_TIMESTAMP, SQL_BIT};
    SQLSMALLINT n = 0;
    SQLNumResultCols(s.get(), &n);
    ASSERT_EQ(n, 11);
    for (SQLUSMALLINT i = 1; i <= n; ++i) {
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        ASSERT_TRUE(SQL_SUCCEEDED(
            SQLDescribeCol(s.get(), i, nullptr, 0, nullptr, &type, &size, nullptr, nullptr)));
        EXPECT_EQ(type, expected[i - 1]) << "column " << i;
        if (i == 2) {
            EXPECT_EQ(size, 10u);
        }
    }
    SQLLEN autoUnique = 0;
    SQLColAttribute(s.get(), 1, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique);
    EXPECT_EQ(autoUnique, SQL_TRUE);
}

TEST_F(Types, GetDataConvertsToTheRequestedCTypes) {
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (文本,整数,双,时刻,是否) values "
                           "('12',2147483647,'2.75','2024年5月3日9时5分',1)")
                    .ok());
    ASSERT_TRUE(db.execute("INSERT INTO 样例 (是否) values (0)").ok());
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select 文本,整数,双,时刻,是否 from 样例 order by 编号").ok());
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    SQLINTEGER slong = 0;
    SQLBIGINT big = 0;
    double dbl = 0;
    SQL_TIMESTAMP_STRUCT ts{};
    unsigned char bit = 9;
    SQLLEN ind = 0;
    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_SLONG, &slong, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(slong, 12);  // text that holds a number
    EXPECT_EQ(SQLGetData(s.get(), 2, SQL_C_SBIGINT, &big, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(big, 2147483647);
    EXPECT_EQ(SQLGetData(s.get(), 3, SQL_C_DOUBLE, &dbl, 0, &ind), SQL_SUCCESS);
    EXPECT_DOUBLE_EQ(dbl, 2.75);
    EXPECT_EQ(SQLGetData(s.get(), 4, SQL_C_TYPE_TIMESTAMP, &ts, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(ts.year, 2024);
    EXPECT_EQ(ts.month, 5);
    EXPECT_EQ(ts.day, 3);
    EXPECT_EQ(ts.hour, 9);
    EXPECT_EQ(ts.minute, 5);
    EXPECT_EQ(SQLGetData(s.get(), 5, SQL_C_BIT, &bit, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(bit, 1);
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_SLONG, &slong, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, SQL_NULL_DATA);
    EXPECT_EQ(SQLGetData(s.get(), 4, SQL_C_TYPE_TIMESTAMP, &ts, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, SQL_NULL_DATA);
    EXPECT_EQ(SQLFetch(s.get()), SQL_NO_DATA);
}

TEST_F(Types, LongTextComesBackInPiecesWithTruncationWarnings) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char>('a' + i % 26);
    text.replace(50000, 3, "中");  // one character that takes two GB18030 bytes in the middle
    ASSERT_TRUE(db.execute("INSERT INTO 基本资料 (姓名,现病史) values ('长','" + text + "')").ok());
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select 现病史 from 基本资料").ok());
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    char buf[1000];
    SQLLEN ind = 0;
    SQLRETURN rc = SQLGetData(s.get(), 1, SQL_C_CHAR, buf, sizeof buf, &ind);
    EXPECT_EQ(rc, SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(s.outcome(rc).state, "01004");
    EXPECT_GT(ind, 99000);
    std::string gb(buf);
    int pieces = 1;
    while ((rc = SQLGetData(s.get(), 1, SQL_C_CHAR, buf, sizeof buf, &ind)) != SQL_NO_DATA) {
        ASSERT_TRUE(SQL_SUCCEEDED(rc));
        gb += buf;
        ++pieces;
    }
    EXPECT_GT(pieces, 99);
    EXPECT_EQ(fromGb(gb), text);
}

TEST_F(Types, CharactersOutsideGbkSurviveBothAsGb18030AndAsWideText) {
    const std::string name =
        "𠀀珺𪚥€";  // CJK extension B, a GBK character, extension B again, the euro sign
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('" + name + "')").ok());
    Rows rows = db.query("select 姓名 from 检索 where 姓名 like '%𪚥%'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], name);
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select 姓名 from 检索").ok());
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    SQLWCHAR wide[32] = {};
    SQLLEN ind = 0;
    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, wide, sizeof wide, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, 6 * 2);  // two surrogate pairs and two single units
    EXPECT_EQ(wide[0], 0xD840);
    EXPECT_EQ(wide[1], 0xDC00);
    EXPECT_EQ(wide[2], 0x73FA);
    EXPECT_EQ(wide[5], 0x20AC);
}

// Bytes that are no GB18030 are refused with the offset of the first bad one,
// never stored as replacement characters; valid four-byte forms are kept.
TEST_F(Types, InvalidGb18030BytesAreRefusedAtTheirOffsetAndNothingIsStored) {
    const std::string head = "INSERT INTO 检索 (姓名) values ('";
    const std::string headGb = toGb(head);
    const struct {
        std::string text;  // GB18030 bytes between the quotes
        size_t offset;     // of the first bad byte within the text
    } cases[] = {
        {"\xB5\xB1\xFF", 2},  // 当, then 0xFF
        {"a\x80"
         "b",
         1},                          // a lone 0x80
        {"\xB5\xB1\x81\x30\x81", 2},  // 当, then a four-byte form cut at the end
        {"\x81\x30z\x30", 0},         // a four-byte form broken in the middle
    };
    for (const auto& c : cases) {
        std::string sql = headGb + c.text + "')";
        OdbcStatement s(db);
        OdbcOutcome o = s.outcome(SQLExecDirect(s.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                                static_cast<SQLINTEGER>(sql.size())));
        EXPECT_EQ(o.state, "22018") << o.message;
        EXPECT_NE(o.message.find("at byte offset " + std::to_string(headGb.size() + c.offset)),
                  std::string::npos)
            << o.message;
    }
    EXPECT_TRUE(db.query("select * from 检索").empty());
    std::string valid = headGb + "\x81\x30\x81\x30\x95\x32\x82\x36')";  // U+0080, U+20000
    OdbcStatement s(db);
    ASSERT_TRUE(s.outcome(SQLExecDirect(s.get(), reinterpret_cast<SQLCHAR*>(valid.data()),
                                        static_cast<SQLINTEGER>(valid.size())))
                    .ok());
    EXPECT_EQ(db.query("select 姓名 from 检索"), (Rows{{"\u0080\U00020000"}}));
}

TEST_F(Types, WideTextFillsTheBufferToTheLastWholeUnitEvenInsideASurrogatePair) {
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('当归𠀀甘')")
                    .ok());  // 5 units, a pair in the middle
    struct Case {
        const char* name;
        SQLLEN room;  // bytes, terminator included
        SQLRETURN first;
        int units;  // in the first part
    };
    const Case cases[] = {{"room to spare", 14, SQL_SUCCESS, 5},
                          {"exactly room", 12, SQL_SUCCESS, 5},
                          {"one unit short", 10, SQL_SUCCESS_WITH_INFO, 4},
                          {"pair cut at the edge", 8, SQL_SUCCESS_WITH_INFO, 3},
                          {"odd room", 9, SQL_SUCCESS_WITH_INFO, 3}};
    const std::u16string whole = u"当归\U00020000甘";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OdbcStatement s(db);
        ASSERT_TRUE(s.execDirect("select 姓名 from 检索").ok());
        ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
        SQLWCHAR wide[8];
        std::fill(std::begin(wide), std::end(wide), SQLWCHAR(0xFFFF));
        SQLLEN ind = 0;
        ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, wide, c.room, &ind), c.first);
        EXPECT_EQ(ind, 5 * 2);
        std::u16string read(reinterpret_cast<const char16_t*>(wide), std::size_t(c.units));
        EXPECT_EQ(wide[c.units], 0);
        while (SQLGetData(s.get(), 1, SQL_C_WCHAR, wide, sizeof wide, &ind) != SQL_NO_DATA)
            read += reinterpret_cast<const char16_t*>(wide);
        EXPECT_EQ(read, whole);
    }
}

// One read of the single row's 姓名 in pieces of `room` bytes, checked piece by piece.
void readInPieces(OdbcConnection& db, SQLSMALLINT cType, const std::string& whole, SQLLEN room) {
    const bool wide = cType == SQL_C_WCHAR;
    const size_t terminator = wide ? 2 : 1;
    // Whole units only, less the terminator.
    const size_t usable = wide ? size_t(room) / 2 * 2 : size_t(room);
    const size_t capacity = usable >= terminator ? usable - terminator : 0;
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select 姓名 from 检索").ok());
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    alignas(char16_t) unsigned char buf[16];
    SQLLEN ind = 0;
    auto get = [&](SQLLEN length) {
        std::fill(std::begin(buf), std::end(buf), 0xAB);
        ind = -99;
        return SQLGetData(s.get(), 1, cType, buf, length, &ind);
    };
    auto untouchedPast = [&](SQLLEN length) {
        return std::all_of(buf + length, std::end(buf), [](unsigned char b) { return b == 0xAB; });
    };
    // A length probe (unixODBC refuses a null buffer itself) hands
    // out nothing and is no stalled read.
    ASSERT_EQ(get(0), SQL_SUCCESS_WITH_INFO);
    EXPECT_TRUE(untouchedPast(0));
    EXPECT_EQ(ind, SQLLEN(whole.size()));
    if (capacity == 0) {
        SQLRETURN rc = get(room);
        EXPECT_TRUE(untouchedPast(room));
        ASSERT_EQ(rc, SQL_SUCCESS_WITH_INFO);
        EXPECT_EQ(s.outcome(rc).state, "01004");
        EXPECT_EQ(ind, SQLLEN(whole.size()));
        rc = get(room);
        EXPECT_TRUE(untouchedPast(room));
        ASSERT_EQ(rc, SQL_ERROR);
        EXPECT_EQ(s.outcome(rc).state, "HY090");
        return;
    }
    std::string joined;
    size_t calls = 0;
    for (SQLRETURN rc = SQL_SUCCESS_WITH_INFO; rc == SQL_SUCCESS_WITH_INFO; ++calls) {
        ASSERT_LT(calls, whole.size()) << "no end in sight";
        rc = get(room);
        ASSERT_TRUE(untouchedPast(room));
        ASSERT_TRUE(SQL_SUCCEEDED(rc)) << s.outcome(rc).state;
        ASSERT_EQ(ind, SQLLEN(whole.size() - joined.size()));
        const size_t piece = rc == SQL_SUCCESS ? size_t(ind) : capacity;
        ASSERT_LE(piece, capacity);
        if (rc == SQL_SUCCESS_WITH_INFO) {
            EXPECT_EQ(s.outcome(rc).state, "01004");
        }
        const std::string after(reinterpret_cast<char*>(buf) + piece, terminator);
        EXPECT_EQ(after, std::string(terminator, '\0')) << "terminator";
        joined.append(reinterpret_cast<const char*>(buf), piece);
    }
    EXPECT_EQ(get(room), SQL_NO_DATA);
    EXPECT_EQ(joined, whole);
}

// A client reading in pieces with one buffer size, as a loop on 01004 does,
// joins the pieces as bytes: they must make the whole value whatever character
// a piece boundary cuts, each indicator tells what is left, nothing lands past
// BufferLength, and a buffer with no room beside the terminator gets one 01004
// and then HY090 rather than 01004 for ever.
TEST_F(Types, PiecesOfEveryBufferSizeJoinToTheWholeValue) {
    struct Text {
        const char* name;
        const char* utf8;
    };
    const Text texts[] = {
        {"one-byte", "Rx 2024-05"},
        {"two-byte", "当归甘草黄芪"},
        {"four-byte", "𠮷😀𠮷"},  // GB18030 four-byte, UTF-16 surrogate pairs
        {"mixed", "a当𠮷b😀归c"},
    };
    for (const Text& text : texts) {
        ASSERT_TRUE(db.execute("DELETE FROM 检索").ok());
        ASSERT_TRUE(
            db.execute(std::string("INSERT INTO 检索 (姓名) values ('") + text.utf8 + "')").ok());
        const std::u16string units = QString::fromUtf8(text.utf8).toStdU16String();
        for (SQLSMALLINT cType : {SQL_C_CHAR, SQL_C_WCHAR}) {
            const bool wide = cType == SQL_C_WCHAR;
            const std::string whole =
                wide ? std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2)
                     : toGb(text.utf8);
            for (SQLLEN room = 1; room <= 9; ++room) {
                SCOPED_TRACE(std::string(text.name) + (wide ? ", wide" : ", char") +
                             ", BufferLength " + std::to_string(room));
                ASSERT_NO_FATAL_FAILURE(readInPieces(db, cType, whole, room));
            }
        }
    }
}

TEST_F(Types, LengthProbeThenARealBufferReadsTheWholeValue) {
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('中𠀀')").ok());
    OdbcStatement s(db);
    ASSERT_TRUE(s.execDirect("select 姓名 from 检索").ok());
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    char buf[16] = {'x'};
    SQLLEN ind = 0;
    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_CHAR, buf, 0, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_CHAR, buf, 1, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(ind, 6);
    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_CHAR, buf, 1, &ind), SQL_ERROR);  // stuck twice in a row
    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS);
    EXPECT_EQ(fromGb(buf), "中𠀀");
}

TEST_F(Types, UnknownStatementAttributesAnswerHy092) {
    OdbcStatement s(db);
    SQLULEN value = 0;
    EXPECT_EQ(SQLGetStmtAttr(s.get(), SQL_ATTR_FETCH_BOOKMARK_PTR, &value, sizeof value, nullptr),
              SQL_ERROR);
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[256];
    SQLSMALLINT length = 0;
    ASSERT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, s.get(), 1, state, &native, message, sizeof message,
                            &length),
              SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<const char*>(state), "HY092");
    EXPECT_EQ(SQLGetStmtAttr(s.get(), SQL_ATTR_ROW_ARRAY_SIZE, &value, sizeof value, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(value, 1u);
}

TEST_F(Types, MaxRowsLimitsEachQueryAsItWasWhenTheQueryRan) {
    for (int i = 1; i <= 5; ++i)
        ASSERT_TRUE(
            db.execute("INSERT INTO 检索 (姓名) values ('" + std::to_string(i) + "')").ok());
    OdbcStatement s(db);
    auto setMax = [&](SQLULEN n) {
        return SQLSetStmtAttr(s.get(), SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(n), 0);
    };
    auto names = [&] {
        std::string out;
        while (SQLFetch(s.get()) == SQL_SUCCESS) out += *s.text(1);
        SQLCloseCursor(s.get());
        return out;
    };
    struct Case {
        SQLULEN max;
        const char* names;
    };
    for (const Case& c :
         {Case{3, "123"}, Case{1, "1"}, Case{5, "12345"}, Case{9, "12345"}, Case{0, "12345"}}) {
        SCOPED_TRACE(c.max);
        ASSERT_EQ(setMax(c.max), SQL_SUCCESS);
        SQLULEN reported = 99;
        ASSERT_EQ(SQLGetStmtAttr(s.get(), SQL_ATTR_MAX_ROWS, &reported, sizeof reported, nullptr),
                  SQL_SUCCESS);
        EXPECT_EQ(reported, c.max);
        ASSERT_TRUE(s.execDirect("select 姓名 from 检索 order by 编号").ok());
        EXPECT_EQ(names(), c.names);
    }
    // A prepared query takes the limit at each execute; an open result keeps its own.
    std::string sql = toGb("select 姓名 from 检索 order by 编号");
    ASSERT_EQ(SQLPrepare(s.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(setMax(2), SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(s.get()), SQL_SUCCESS);
    ASSERT_EQ(setMax(4), SQL_SUCCESS);
    EXPECT_EQ(names(), "12");
    ASSERT_EQ(SQLExecute(s.get()), SQL_SUCCESS);
    EXPECT_EQ(names(), "1234");
}

TEST_F(Types, AutocommitOffKeepsWorkUntilEndTran) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
        db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('回滚')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_ROLLBACK)));
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('提交')").ok());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT)));
    Rows rows = db.query("select 姓名 from 检索");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "提交");
}

}  // namespace
}  // namespace rx::test
