// rxdb with a server: the tables made there, a clinic's files copied to it
// and back without losing a row or changing a value, all or nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tests/tools/rxdb_command.h"
#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {
namespace {

using test::OdbcConnection;
using test::Rows;
using ::testing::HasSubstr;

const std::string kDsn = "MS ACCESS DATABASE";

// Row count and one digest per column of every table, read through the driver.
using Fingerprint = std::map<std::string, std::pair<size_t, std::vector<std::string>>>;

Fingerprint fingerprint(OdbcConnection& c, const std::vector<std::string>& tables) {
    Fingerprint out;
    for (const std::string& t : tables) {
        Rows rows = c.query("select * from " + t + " order by 编号");
        std::vector<QByteArray> columns;
        for (const auto& row : rows) {
            columns.resize(row.size());
            for (size_t i = 0; i < row.size(); ++i) {
                const std::string cell = row[i] ? "v" + *row[i] : "null";
                columns[i] += QByteArray::number(static_cast<qsizetype>(cell.size())) + ':' +
                              QByteArray::fromStdString(cell);
            }
        }
        auto& [count, digests] = out[t];
        count = rows.size();
        for (const QByteArray& column : columns)
            digests.push_back(
                QCryptographicHash::hash(column, QCryptographicHash::Sha256).toHex().toStdString());
    }
    return out;
}

class RxdbServer : public ::testing::Test {
protected:
    void SetUp() override {
        RX_REQUIRE_SERVER();
        ASSERT_TRUE(server.ok()) << server.error();
        // Before anything reads the data source: unixODBC keeps what it read.
        dir.setDataSourceKeys(server.dataSourceKeys("sj.accdb xs.mdb"));
        ASSERT_TRUE(dir.createPrescriptionDatabase());
        ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}, {"GC", "甘草", "500g"}},
                                           {{"AMXL", "阿莫西林胶囊", "0.25g*24粒"}}));
    }
    std::string file() const { return dir.prescriptionDatabasePath().toStdString(); }
    std::string drugs() const { return dir.drugDatabasePath().toStdString(); }
    // The local file itself, whatever the data source says.
    std::string fileText(const std::string& path) const {
        return "DRIVER=" + test::TempProgramDir::driverPath().toStdString() + ";DBQ=" + path;
    }
    std::string driver() const { return test::TempProgramDir::driverPath().toStdString(); }

    test::ServerDatabase server;
    test::TempProgramDir dir;
};

TEST_F(RxdbServer, AFileGoesToTheServerAndBackUnchanged) {
    {
        OdbcConnection c;
        ASSERT_TRUE(c.driverConnect(fileText(file())).ok());
        const std::string longText(20000, 'x');
        for (int i = 0; i < 120; ++i) {
            const std::string n = std::to_string(i);
            ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('张" + n +
                                  " O''Neil 𠀀','2024年5月" + std::to_string(i % 28 + 1) + "日9时" +
                                  std::to_string(i % 60) + "分','" + (i % 7 ? "头痛" : longText) +
                                  "'," + (i % 5 ? "'ZS'" : "NULL") + ")")
                            .ok());
            ASSERT_TRUE(c.execute("INSERT INTO 基本资料 (姓名,年龄,登记时间,中药处方) values ('李" +
                                  n + "'," + std::to_string(i) +
                                  ".25,'2016-11-4 9:05','当归,甘草')")
                            .ok());
        }
        ASSERT_TRUE(c.execute("DELETE FROM 检索 WHERE 编号 IN (3, 4, 50)").ok());  // gaps stay gaps
    }
    const std::vector<std::string> tables = {"基本资料", "检索"};
    OdbcConnection original;
    ASSERT_TRUE(original.driverConnect(fileText(file())).ok());
    const Fingerprint before = fingerprint(original, tables);
    ASSERT_EQ(before.at("检索").first, 117u);

    Status created = createPrescriptionTables(kDsn, file());
    ASSERT_TRUE(created) << created.message;
    Status copied = copyToServer(file(), kDsn, driver());
    ASSERT_TRUE(copied) << copied.message;
    EXPECT_EQ(copied.message, "copied 基本资料 120, 检索 117 rows");
    ASSERT_TRUE(createDrugTables(kDsn, drugs()));
    EXPECT_EQ(copyToServer(drugs(), kDsn, driver()).message, "copied 仓库 2, 西药 1 rows");

    OdbcConnection onServer;
    ASSERT_TRUE(onServer.driverConnect(dir.prescriptionConnectionText()).ok());
    EXPECT_EQ(fingerprint(onServer, tables), before);
    EXPECT_EQ(server.query("SELECT count(*) FROM \"检索\"")[0][0], "117");
    // The next save is numbered after the copied rows.
    ASSERT_TRUE(onServer.execute("INSERT INTO 检索 (姓名) values ('新')").ok());
    EXPECT_EQ(onServer.query("select 编号 from 检索 where 姓名 = '新'"), (Rows{{"121"}}));
    ASSERT_TRUE(onServer.execute("DELETE FROM 检索 WHERE 姓名 = '新'").ok());

    QDir().mkpath(dir.path() + QStringLiteral("/back"));
    const std::string back = dir.path().toStdString() + "/back/sj.accdb";
    ASSERT_TRUE(createPrescriptionDatabase(back, driver()));
    Status returned = copyFromServer(kDsn, back, driver());
    ASSERT_TRUE(returned) << returned.message;
    OdbcConnection again;
    ASSERT_TRUE(again.driverConnect(fileText(back)).ok());
    EXPECT_EQ(fingerprint(again, tables), before);
}

TEST_F(RxdbServer, ACopyIsAllOrNothing) {
    {
        OdbcConnection c;
        ASSERT_TRUE(c.driverConnect(fileText(file())).ok());
        ASSERT_TRUE(c.execute("INSERT INTO 基本资料 (姓名) values ('甲')").ok());
        ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    }
    // Only the first table is there: its row must not stay behind.
    OdbcConnection onServer;
    ASSERT_TRUE(onServer.driverConnect(dir.prescriptionConnectionText()).ok());
    ASSERT_TRUE(onServer.execute(prescriptionSchema()[0]).ok());
    Status s = copyToServer(file(), kDsn, driver());
    EXPECT_FALSE(s);
    EXPECT_THAT(s.message, HasSubstr("nothing was copied"));
    EXPECT_EQ(server.query("SELECT count(*) FROM \"基本资料\"")[0][0], "0");

    ASSERT_TRUE(onServer.execute(prescriptionSchema()[1]).ok());
    ASSERT_TRUE(copyToServer(file(), kDsn, driver()));
    s = copyToServer(file(), kDsn, driver());  // a second run must not double the visits
    EXPECT_FALSE(s);
    EXPECT_THAT(s.message, HasSubstr("already holds rows"));
    EXPECT_EQ(server.query("SELECT count(*) FROM \"检索\"")[0][0], "1");
    EXPECT_FALSE(createPrescriptionTables(kDsn, file()));  // tables already there
}

TEST_F(RxdbServer, ADataSourceWithoutAServerIsRefused) {
    Status s = copyToServer(file(), "NO SUCH DSN", driver());
    EXPECT_FALSE(s);
    const std::string other = dir.path().toStdString() + "/data/other.accdb";
    ASSERT_TRUE(createPrescriptionDatabase(other, driver()));
    s = createPrescriptionTables(kDsn, other);
    EXPECT_FALSE(s);
    EXPECT_THAT(s.message, HasSubstr("local file"));
}

// The server's commands with the clinic's files in a folder whose name a
// connection text could mistake for its own punctuation: the data source
// must still see sj.accdb and xs.mdb, and the copies take every row.
TEST_F(RxdbServer, EveryServerCommandReachesTheFileItWasGiven) {
    const std::filesystem::path top = dir.path().toStdString() + "/top";
    const std::filesystem::path awkward = top / test::kAwkwardFolder;
    std::filesystem::create_directories(awkward / "back");
    const std::string d = driver();
    const std::string fixtures = RX_ACCESS_FIXTURES;
    test::runSteps(
        top, awkward,
        {
            {{"--dsn", kDsn, "create-prescriptions", "@/sj.accdb"},
             "created the tables",
             "",
             "基本资料",
             0},
            {{"--dsn", kDsn, "create-drugs", "@/xs.mdb"}, "created the tables", "", "仓库", 0},
            {{"--driver", d, "import-access", fixtures + "/sj.accdb", "@/sj.accdb"},
             "imported into",
             "@/sj.accdb",
             "基本资料",
             22},
            {{"--driver", d, "--dsn", kDsn, "copy", "@/sj.accdb"},
             "copied 基本资料 22, 检索 11",
             "",
             "检索",
             11},
            {{"--driver", d, "create-prescriptions", "@/back/sj.accdb"},
             "created",
             "@/back/sj.accdb",
             "检索",
             0},
            {{"--driver", d, "--dsn", kDsn, "copy-back", "@/back/sj.accdb"},
             "copied",
             "@/back/sj.accdb",
             "基本资料",
             22},
            {{"--driver", d, "--dsn", kDsn, "import-access", fixtures + "/xs.mdb"},
             "imported into the server",
             "",
             "仓库",
             20},
            {{"--dsn", kDsn, "backup", "@/back", "@/"}, "kept on the server", "", "检索", 11},
        },
        [this](const std::string& table) {
            return std::stoll(server.query("SELECT count(*) FROM \"" + table + "\"")[0][0]);
        });
}

}  // namespace
}  // namespace rx::rxdb
