// The file and the server give the same answers: 500 random LIKE filters over
// names full of wildcards, brackets and letters of both cases, and 30 odd age
// and date texts put into number and date columns. Seeded, so that a
// difference found once is found again.

#include <gtest/gtest.h>

#include <random>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

// Both folders and the server's data source exist before either is opened:
// unixODBC keeps the odbc.ini it has read. The server takes only its own
// folder's sj.accdb.
class FileAgainstServer : public ::testing::Test {
protected:
    void SetUp() override {
        RX_REQUIRE_SERVER();
        ASSERT_TRUE(server.ok()) << server.error();
        serverDir.setDataSourceKeys(
            server.dataSourceKeys(serverDir.prescriptionDatabasePath().toStdString()));
        std::string error;
        ASSERT_TRUE(fileDir.createPrescriptionDatabase(&error)) << error;
        const rxdb::Status s =
            rxdb::createPrescriptionTables(TempProgramDir::dataSourceName().toStdString(),
                                           serverDir.prescriptionDatabasePath().toStdString());
        ASSERT_TRUE(s) << s.message;
        ASSERT_TRUE(file.driverConnect(fileDir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(onServer.driverConnect(serverDir.prescriptionConnectionText()).ok());
    }
    // The same statement on both; the rows, or the SQLSTATE when it fails.
    Rows expectSame(const std::string& sql) {
        OdbcOutcome a, b;
        const Rows fromFile = file.query(sql, &a);
        const Rows fromServer = onServer.query(sql, &b);
        EXPECT_EQ(a.state, b.state) << sql << "\nfile: " << a.message << "\nserver: " << b.message;
        EXPECT_EQ(fromFile, fromServer) << sql;
        return fromFile;
    }
    void bothExecute(const std::string& sql) {
        ASSERT_TRUE(file.execute(sql).ok()) << sql;
        ASSERT_TRUE(onServer.execute(sql).ok()) << sql;
    }

    ServerDatabase server;
    TempProgramDir fileDir;
    TempProgramDir serverDir;
    OdbcConnection file;
    OdbcConnection onServer;
};

// Pieces of names and of patterns: letters of both cases, Chinese, the
// wildcards and brackets as data, a quote.
const char* const kLetters[] = {"a", "B", "b", "z", "Z",  "张", "三", "李", "_", "%",
                                "[", "]", "!", "-", "''", " ",  "1",  "é",  "É", "𠮷"};
const char* const kWildcards[] = {"%", "_", "[a-c]", "[!a]", "[%]", "[_]", "[张李]", "[!张]"};

std::string randomText(std::mt19937& random, const char* const* pieces, size_t count, int length) {
    std::uniform_int_distribution<size_t> pick(0, count - 1);
    std::string out;
    for (int i = 0; i < length; ++i) out += pieces[pick(random)];
    return out;
}

TEST_F(FileAgainstServer, FiveHundredRandomLikeFiltersFindTheSameRows) {
    std::mt19937 random(20241208);
    std::uniform_int_distribution<int> length(0, 5), kind(0, 2);
    for (int i = 0; i < 200; ++i)
        bothExecute("INSERT INTO 检索 (姓名,首拼) values ('" +
                    randomText(random, kLetters, std::size(kLetters), length(random)) + "','" +
                    std::to_string(i) + "')");
    int finding = 0;  // filters that find something, so that not every answer is empty
    for (int i = 0; i < 500; ++i) {
        std::string pattern;
        for (int p = 0, n = length(random); p < n; ++p)
            pattern += kind(random) == 0 ? randomText(random, kWildcards, std::size(kWildcards), 1)
                                         : randomText(random, kLetters, std::size(kLetters), 1);
        finding +=
            !expectSame("select 首拼 from 检索 where 姓名 like '" + pattern + "' order by 编号")
                 .empty();
    }
    EXPECT_GT(finding, 100);
}

TEST_F(FileAgainstServer, OddAgeAndDateTextsAreTakenOrRefusedAlike) {
    const char* const ages[] = {" 35 ", "35.5", "-1",  "1e3", "0x10", "３５",
                                "",     "35岁", "2,5", "+7",  ".5",   "99999999999999999999",
                                "NaN",  "inf",  "0"};
    const char* const dates[] = {
        "2024-2-30",          "2024年13月1日",  "2024/3/5",   "3/5/2024",   "2024-03-05T09:30",
        "2024年3月5日9时5分", "2024-3-5 24:00", "1899-12-30", "0001-01-01", "9999-12-31 23:59:59",
        "  2024-3-5  ",       "2024-3-5 9:5",   "20240305",   "昨天",       ""};
    for (const char* age : ages) {
        const std::string sql =
            std::string("INSERT INTO 基本资料 (姓名,年龄) values ('age','") + age + "')";
        EXPECT_EQ(file.execute(sql).state, onServer.execute(sql).state) << sql;
    }
    for (const char* date : dates) {
        const std::string sql =
            std::string("INSERT INTO 基本资料 (姓名,登记时间) values ('date','") + date + "')";
        EXPECT_EQ(file.execute(sql).state, onServer.execute(sql).state) << sql;
        expectSame(std::string("select 姓名 from 基本资料 where 登记时间 < '") + date + "'");
    }
    const Rows taken = expectSame("select 姓名, 年龄, 登记时间 from 基本资料 order by 编号");
    EXPECT_GT(taken.size(), 10u);
    EXPECT_LT(taken.size(), std::size(ages) + std::size(dates));
}

}  // namespace
}  // namespace rx::test
