// OdbcConnection against the real driver through unixODBC, each test on its
// own temporary program directory.
#include "db/odbc_connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "tests/support/temp_program_dir.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

class OdbcConnectionTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::string error;
        ASSERT_TRUE(dir.createPrescriptionDatabase(&error)) << error;
        ASSERT_TRUE(db.Open(prescriptionConnectionText(dir.path())));
    }

    // Every row of the query, each as its column texts.
    std::vector<QStringList> rows(const QString& sql) {
        std::vector<QStringList> out;
        readAll(db, sql, [&](int handle) {
            QStringList row;
            for (int c = 1; c <= db.ColumnCount(handle); ++c)
                row << valueText(db.ReadColumn(handle, c));
            out.push_back(row);
        });
        return out;
    }

    test::TempProgramDir dir;
    OdbcConnection db;
};

TEST_F(OdbcConnectionTest, ReadsEveryTypeTheDriverHands) {
    ASSERT_TRUE(db.Execute(
        u"CREATE TABLE 类型 (编号 COUNTER PRIMARY KEY, 整数 LONG, 小数 DOUBLE, 文字 TEXT(20), "
        u"时刻 DATETIME, 是否 YESNO, 长文 LONGTEXT)"_s));
    ASSERT_TRUE(
        db.Execute(u"INSERT INTO 类型 (整数,小数,文字,时刻,是否,长文) values ("
                   u"'35','2.5','甘草','2016年11月4日9时5分7秒',true,'"_s +
                   QString(3000, u'药') + u"')"_s));
    ASSERT_TRUE(db.Execute(u"INSERT INTO 类型 (整数) values (7)"_s));

    const int h = db.Query(u"select * from 类型 order by 编号"_s);
    ASSERT_GT(h, 0);
    db.MoveFirst(h);
    ASSERT_FALSE(db.AtEnd(h));
    EXPECT_EQ(db.ReadColumn(h, 1), Value(qint64(1)));
    EXPECT_EQ(db.ReadColumn(h, 2), Value(qint64(35)));
    EXPECT_EQ(db.ReadColumn(h, 3), Value(2.5));
    EXPECT_EQ(db.ReadColumn(h, 4), Value(u"甘草"_s));
    EXPECT_EQ(db.ReadColumn(h, 5), Value(QDateTime(QDate(2016, 11, 4), QTime(9, 5, 7))));
    EXPECT_EQ(db.ReadColumn(h, 6), Value(true));
    // Longer than any first read, so it arrives in parts.
    EXPECT_EQ(db.ReadColumn(h, 7), Value(QString(3000, u'药')));
    // Reading again, and out of order, gives the same values.
    EXPECT_EQ(db.ReadColumn(h, 4), Value(u"甘草"_s));
    EXPECT_EQ(db.ReadColumn(h, 2), Value(qint64(35)));

    db.MoveNext(h);
    ASSERT_FALSE(db.AtEnd(h));
    EXPECT_EQ(db.ReadColumn(h, 2), Value(qint64(7)));
    for (int c = 3; c <= 7; ++c) EXPECT_TRUE(isNull(db.ReadColumn(h, c))) << "column " << c;
    EXPECT_TRUE(isNull(db.ReadColumn(h, 0)));
    EXPECT_TRUE(isNull(db.ReadColumn(h, 8)));

    db.MoveNext(h);
    EXPECT_TRUE(db.AtEnd(h));
    EXPECT_TRUE(isNull(db.ReadColumn(h, 2)));
    db.CloseResult(h);
    EXPECT_TRUE(db.AtEnd(h));
}

TEST_F(OdbcConnectionTest, HandlesThatAreNotOpenAreAtTheEndAndIgnoreMoves) {
    EXPECT_TRUE(db.AtEnd(0));
    EXPECT_TRUE(db.AtEnd(-1));
    EXPECT_TRUE(db.AtEnd(4711));
    db.MoveFirst(4711);
    db.MoveNext(0);
    EXPECT_TRUE(isNull(db.ReadColumn(4711, 1)));
    db.CloseResult(4711);

    ASSERT_TRUE(db.Execute(IndexInsert(u"张三"_s, u"2024年5月3日"_s, u"头痛"_s, u"ZS"_s)));
    const int a = db.Query(u"select * from 检索"_s);
    const int b = db.Query(u"select * from 检索"_s);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    db.CloseResult();
    EXPECT_TRUE(db.AtEnd(a));
    EXPECT_TRUE(db.AtEnd(b));
}

TEST_F(OdbcConnectionTest, FailedStatementsReportFalseOrHandleZero) {
    EXPECT_EQ(db.Query(QString()), 0);
    EXPECT_FALSE(db.Execute(QString()));
    EXPECT_EQ(db.Query(u"select * from 没有这张表"_s), 0);
    ASSERT_TRUE(db.lastError());
    EXPECT_EQ(db.lastError()->sqlState.left(2), u"42"_s);
    // The log line carries the SQLSTATE, the driver's own code and its message.
    EXPECT_EQ(describe(*db.lastError()),
              u"SQLSTATE "_s + db.lastError()->sqlState + u", native error "_s +
                  QString::number(db.lastError()->native) + u": "_s + db.lastError()->message);
    EXPECT_TRUE(db.lastError()->message.contains(u"没有这张表"_s));
    EXPECT_EQ(db.Query(u"select * from 检索 where"_s), 0);
    EXPECT_FALSE(db.Execute(u"INSERT INTO 检索 (没有这列) values ('x')"_s));
    // A date column refuses text that is no date.
    EXPECT_FALSE(db.Execute(IndexInsert(u"张三"_s, u"不是日期"_s, QString(), QString())));
    EXPECT_TRUE(rows(u"select * from 检索"_s).empty());
}

TEST_F(OdbcConnectionTest, MoveFirstGoesBackToTheFirstRow) {
    for (const QString& name : {u"甲"_s, u"乙"_s, u"丙"_s})
        ASSERT_TRUE(db.Execute(IndexInsert(name, u"2024年5月3日"_s, QString(), QString())));
    const int h = db.Query(u"select 姓名 from 检索 order by 编号"_s);
    db.MoveFirst(h);
    db.MoveNext(h);
    db.MoveNext(h);
    EXPECT_EQ(db.ReadColumn(h, 1), Value(u"丙"_s));
    db.MoveFirst(h);
    EXPECT_EQ(db.ReadColumn(h, 1), Value(u"甲"_s));
    db.CloseResult(h);
}

TEST_F(OdbcConnectionTest, IndexRowsAreFoundByDayAndPartOfTheName) {
    const auto add = [&](const QString& name, const QDate& day) {
        return db.Execute(IndexInsert(name, dateToText(day), u"咳嗽"_s, u"X"_s));
    };
    ASSERT_TRUE(add(u"张三"_s, QDate(2024, 5, 2)));
    ASSERT_TRUE(add(u"张四"_s, QDate(2024, 5, 3)));
    ASSERT_TRUE(add(u"李四"_s, QDate(2024, 5, 3)));
    ASSERT_TRUE(add(u"O'Neil"_s, QDate(2024, 5, 3)));
    ASSERT_TRUE(add(u"王_五"_s, QDate(2025, 1, 7)));
    ASSERT_TRUE(db.Execute(u"INSERT INTO 检索 (时间) values ('2024年5月3日')"_s));  // no name

    const QDate may3(2024, 5, 3);
    EXPECT_EQ(
        rows(IndexSearch(may3, may3, u"张"_s)),
        (std::vector<QStringList>{{u"2"_s, u"张四"_s, u"2024年5月3日"_s, u"咳嗽"_s, u"X"_s}}));
    // Newest first; a row without a name never matches the empty filter.
    EXPECT_EQ(rows(IndexSearch(QDate(2024, 1, 1), QDate(2025, 12, 31), QString())).size(), 5u);
    EXPECT_EQ(rows(IndexSearch(QDate(2024, 1, 1), QDate(2025, 12, 31), QString())).front().at(1),
              u"王_五"_s);
    EXPECT_EQ(rows(IndexSearch(may3, may3, u"O'Neil"_s)).size(), 1u);
    // "_" typed into the filter matches any one character.
    EXPECT_EQ(rows(IndexSearch(QDate(2024, 1, 1), QDate(2025, 12, 31), u"四"_s)).size(), 2u);
    EXPECT_EQ(rows(IndexSearch(QDate(2024, 1, 1), QDate(2025, 12, 31), u"_四"_s)).size(), 2u);
    EXPECT_EQ(rows(IndexSearch(QDate(2025, 1, 7), QDate(2025, 1, 7), u"王%五"_s)).size(), 1u);
    EXPECT_TRUE(rows(IndexSearch(QDate(2024, 5, 4), QDate(2024, 12, 31), QString())).empty());
}

TEST_F(OdbcConnectionTest, VisitRowRoundTripsWithItsTypes) {
    Visit v = {u"O'Neil"_s,
               u"男"_s,
               u"35"_s,
               u"岁"_s,
               u"北京路1号"_s,
               u"感冒"_s,
               dateToText(QDate(2016, 11, 4)),
               u"20161104012047"_s,
               u"一日三次"_s,
               u"水煎服"_s,
               u"g"_s,
               u"发热两天"_s,
               u"当归10g,甘草6g,"_s,
               u"饭后"_s,
               QString(),
               u"新"_s};
    ASSERT_TRUE(db.Execute(VisitInsert(v)));
    v.age = u"2.5"_s;
    v.name = u"张三"_s;
    ASSERT_TRUE(db.Execute(VisitInsert(v)));

    const int h = db.Query(VisitSearch(QDate(2016, 11, 4), QDate(2016, 11, 4), u"O'"_s));
    db.MoveFirst(h);
    ASSERT_FALSE(db.AtEnd(h));
    EXPECT_EQ(db.ReadColumn(h, 2), Value(u"O'Neil"_s));
    EXPECT_EQ(valueText(db.ReadColumn(h, 4)), u"35"_s);
    EXPECT_EQ(db.ReadColumn(h, 8), Value(QDateTime(QDate(2016, 11, 4), QTime(0, 0))));
    EXPECT_EQ(valueText(db.ReadColumn(h, 8)), u"2016年11月4日"_s);
    EXPECT_EQ(db.ReadColumn(h, 14), Value(u"当归10g,甘草6g,"_s));
    EXPECT_EQ(valueText(db.ReadColumn(h, 16)), QString());
    db.MoveNext(h);
    EXPECT_TRUE(db.AtEnd(h));
    db.CloseResult(h);
    EXPECT_EQ(rows(VisitSearch(QDate(2016, 11, 4), QDate(2016, 11, 4), u"张"_s)).at(0).at(3),
              u"2.5"_s);
}

TEST_F(OdbcConnectionTest, TextsBeyondGbkSurvive) {
    const QString rare = u"𠀋丽"_s;  // outside GBK
    ASSERT_TRUE(db.Execute(IndexInsert(rare, u"2024年5月3日"_s, QString(), QString())));
    EXPECT_EQ(rows(IndexSearch(QDate(2024, 5, 3), QDate(2024, 5, 3), u"𠀋"_s)).at(0).at(1), rare);
}

TEST(OdbcConnectionOpen, RefusesATextWithoutTheOdbcPrefix) {
    test::TempProgramDir dir;
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    const QString text = prescriptionConnectionText(dir.path());
    OdbcConnection db;
    EXPECT_FALSE(db.Open(text.mid(5)));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.Open(u"ODBC "_s + text.mid(5)));
    EXPECT_TRUE(db.Open(u"odbc;"_s + text.mid(5)));
    EXPECT_TRUE(db.IsOpen());
    EXPECT_TRUE(db.Execute(IndexInsert(u"a"_s, u"2024年5月3日"_s, QString(), QString())));
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.Execute(IndexInsert(u"a"_s, u"2024年5月3日"_s, QString(), QString())));
}

TEST(OdbcConnectionOpen, MissingDatabaseFailsQuietlyAndIsNotCreated) {
    test::TempProgramDir dir;
    OdbcConnection db;
    EXPECT_FALSE(db.Open(prescriptionConnectionText(dir.path())));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.Execute(IndexInsert(u"a"_s, u"2024年5月3日"_s, QString(), QString())));
    EXPECT_EQ(db.Query(IndexSearch(QDate(2024, 5, 3), QDate(2024, 5, 3), QString())), 0);
    EXPECT_TRUE(db.AtEnd(0));
    EXPECT_FALSE(QFile::exists(dir.prescriptionDatabasePath()));
}

TEST(OdbcConnectionOpen, ReadOnlyConnectionReadsButDoesNotWrite) {
    test::TempProgramDir dir;
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    OdbcConnection writer, reader;
    ASSERT_TRUE(writer.Open(prescriptionConnectionText(dir.path())));
    ASSERT_TRUE(reader.Open(prescriptionConnectionText(dir.path()), true));
    ASSERT_TRUE(writer.Execute(IndexInsert(u"甲"_s, u"2024年5月3日"_s, QString(), QString())));
    EXPECT_FALSE(reader.Execute(IndexInsert(u"乙"_s, u"2024年5月3日"_s, QString(), QString())));
    int count = 0;
    readAll(reader, u"select * from 检索"_s, [&](int) { ++count; });
    EXPECT_EQ(count, 1);
}

// What a file holds comes back whole, or the read says it failed: a NUL inside
// a text past the first piece, a date column holding what is no date, and a
// driver message longer than any fixed buffer.
TEST_F(OdbcConnectionTest, ReadsAreWholeOrFailAndErrorsAreWhole) {
    const QString withNul =
        QString(50, u'药') + QChar(0) + QString(255, u'甘');  // NUL in the first piece
    {
        sqlite3* file = nullptr;
        ASSERT_EQ(sqlite3_open(dir.prescriptionDatabasePath().toUtf8().constData(), &file),
                  SQLITE_OK);
        sqlite3_stmt* insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(file, "INSERT INTO 检索 (姓名, 时间, 主诉) values (?, ?, 'x')",
                                     -1, &insert, nullptr),
                  SQLITE_OK);
        const QByteArray name = withNul.toUtf8();
        for (const char* when : {"2024-05-03 00:00:00", "not a date"}) {
            sqlite3_bind_text(insert, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, when, -1, SQLITE_STATIC);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_close(file);
    }
    QStringList names;
    const bool whole = readAll(db, u"select * from 检索 order by 编号"_s, [&](int h) {
        names << valueText(db.ReadColumn(h, 2));
        db.ReadColumn(h, 3);
    });
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names[0].size(), withNul.size());
    EXPECT_EQ(names[0], withNul);
    EXPECT_FALSE(whole) << "a 时间 that is no date read as an empty value";

    const QString longName = QString(3000, u'表');
    EXPECT_FALSE(db.Execute(u"select * from "_s + longName));
    ASSERT_TRUE(db.lastError());
    EXPECT_EQ(db.lastError()->sqlState, u"42S02"_s);
    EXPECT_TRUE(db.lastError()->message.contains(longName)) << db.lastError()->message.size();
}

}  // namespace
}  // namespace rx::db
