// The client layer against the real driver through unixODBC: connection texts
// that reach the right file whatever the folder is called, a piecewise read
// that fails loudly, and a transaction guard that rolls back.
#include "platform/odbc/odbc.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text/gb18030.h"
#include "tests/support/temp_program_dir.h"

namespace rx::odbc {
namespace {

// Every SQLGetData of this program comes here first. When armed, the call
// after the first piece of a value asks the driver for a column that is not
// there, so the driver itself fails part way through the value.
int failAfterCalls = -1;

}  // namespace
}  // namespace rx::odbc

extern "C" SQLRETURN SQL_API SQLGetData(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType,
                                        SQLPOINTER target, SQLLEN length, SQLLEN* indicator) {
    using GetData = SQLRETURN(SQL_API*)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN,
                                        SQLLEN*);
    static const auto next = reinterpret_cast<GetData>(dlsym(RTLD_NEXT, "SQLGetData"));
    if (rx::odbc::failAfterCalls == 0) column = 999;
    if (rx::odbc::failAfterCalls >= 0) --rx::odbc::failAfterCalls;
    return next(statement, column, cType, target, length, indicator);
}

namespace rx::odbc {
namespace {

std::string gb(const std::string& utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}

class OdbcLayerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::string error;
        ASSERT_TRUE(dir.createPrescriptionDatabase(&error)) << error;
    }
    Connection open() {
        return Connection(gb(ConnectionText()
                                 .add("DSN", "MS ACCESS DATABASE")
                                 .add("DBQ", dir.prescriptionDatabasePath().toStdString())
                                 .str()));
    }
    test::TempProgramDir dir;
};

TEST_F(OdbcLayerTest, AFolderOfAnyNameIsTheFileThatOpens) {
    struct Row {
        const char* folder;
        const char* value;  // as it stands after DBQ=, for the folder alone
    };
    const Row rows[] = {
        {"plain", "plain"},
        {"c;d", "{c;d}"},
        {"{open", "{{open}"},
        {"close}", "{close}}}"},
        {"a}}b{", "{a}}}}b{}"},
        {" lead", "{ lead}"},
        {"trail ", "{trail }"},
        {"k=v", "{k=v}"},
        {"仓库 药品", "仓库 药品"},
        {"倉亇", "倉亇"},  // GB18030 forms ending in the byte of '}'
        {"诊 {室};1=二 ", "{诊 {室}};1=二 }"},
    };
    const std::filesystem::path source = dir.prescriptionDatabasePath().toStdString();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        EXPECT_EQ(connectionValue(row.folder), row.value);
        // Each folder's own file, marked with the folder's name.
        const std::filesystem::path folder = source.parent_path() / row.folder;
        std::filesystem::create_directory(folder);
        std::filesystem::copy_file(source, folder / "sj.accdb");
        const std::string text =
            ConnectionText().add("DSN", "MS ACCESS DATABASE").add("DBQ", (folder / "sj.accdb").string()).str();
        try {
            Connection db(gb(text));
            db.execute(gb(std::string("CREATE TABLE 标记 (名称 TEXT(50))")));
            db.execute(gb(std::string("INSERT INTO 标记 (名称) VALUES ('") + row.folder + "')"));
        } catch (const Error& e) {
            ADD_FAILURE() << e.logLine();
        }
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        const std::filesystem::path file = source.parent_path() / row.folder / "sj.accdb";
        Connection db(gb(ConnectionText().add("DSN", "MS ACCESS DATABASE").add("DBQ", file.string()).str()));
        Result marks = db.query(gb("SELECT 名称 FROM 标记"));
        ASSERT_TRUE(marks.next());
        EXPECT_EQ(marks.text(0), gb(row.folder));
        EXPECT_FALSE(marks.next());
    }
}

TEST_F(OdbcLayerTest, APieceThatFailsFailsTheValueLoudly) {
    Connection db = open();
    const std::string longText(3000, 'x');  // more than one piece
    db.execute(gb("CREATE TABLE 长 (文字 LONGTEXT)"));
    db.execute(gb("INSERT INTO 长 (文字) VALUES ('" + longText + "')"));
    {
        Result rows = db.query(gb("SELECT 文字 FROM 长"));
        ASSERT_TRUE(rows.next());
        EXPECT_EQ(rows.text(0), longText);  // whole, when nothing fails
    }
    Result rows = db.query(gb("SELECT 文字 FROM 长"));
    ASSERT_TRUE(rows.next());
    std::string into = "earlier";
    failAfterCalls = 1;
    try {
        rows.read(0, SQL_C_CHAR, into);
        ADD_FAILURE() << "a value read " << into.size() << " bytes short came back as whole";
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlState, "07009") << e.logLine();
        EXPECT_NE(e.logLine().find("SQLSTATE 07009, native error "), std::string::npos);
    }
    failAfterCalls = -1;
    EXPECT_TRUE(into.empty());
}

TEST_F(OdbcLayerTest, ATransactionRollsBackUnlessCommitted) {
    Connection db = open();
    db.execute(gb("CREATE TABLE 计数 (n LONG)"));
    const auto count = [&] {
        Result rows = db.query(gb("SELECT COUNT(*) FROM 计数"));
        EXPECT_TRUE(rows.next());
        return rows.integer(0).value_or(-1);
    };
    {
        Transaction t(db);
        db.execute(gb("INSERT INTO 计数 (n) VALUES (1)"));
    }
    EXPECT_EQ(count(), 0);
    try {
        Transaction t(db);
        db.execute(gb("INSERT INTO 计数 (n) VALUES (2)"));
        db.execute(gb("INSERT INTO 没有 (n) VALUES (3)"));
        t.commit();
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlState, "42S02");
    }
    EXPECT_EQ(count(), 0);
    {
        Transaction t(db);
        db.execute(gb("INSERT INTO 计数 (n) VALUES (4)"));
        t.commit();
    }
    EXPECT_EQ(count(), 1);
    // Autocommit is back: a second connection sees a plain insert at once.
    db.execute(gb("INSERT INTO 计数 (n) VALUES (5)"));
    Connection other = open();
    Result rows = other.query(gb("SELECT COUNT(*) FROM 计数"));
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.integer(0), 2);
}

}  // namespace
}  // namespace rx::odbc
