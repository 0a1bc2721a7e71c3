// rxdb --dsn ... import-access: the Access fixtures onto the PostgreSQL test
// server, every value read back exactly through the driver.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tests/tools/written_values.h"
#include "tools/rxdb/import_access.h"

namespace rx::rxdb {
namespace {

using ::testing::HasSubstr;

TEST(AccessImportServer, EveryValueArrivesExactlyOnTheServer) {
    RX_REQUIRE_SERVER();
    test::ServerDatabase server;
    ASSERT_TRUE(server.ok()) << server.error();
    test::TempProgramDir dir;
    // Before anything reads the data source: unixODBC keeps what it read.
    dir.setDataSourceKeys(server.dataSourceKeys("sj.accdb xs.mdb"));
    ImportOptions o;
    o.driver = test::TempProgramDir::driverPath().toStdString();
    const ImportTarget onServer{"", "MS ACCESS DATABASE"};
    for (const char* file : {"sj.accdb", "xs.mdb"}) {
        Status s = importAccess(test::accessFixture(file), onServer, o);
        ASSERT_TRUE(s) << s.message;
        EXPECT_THAT(s.message, HasSubstr("imported into the server of MS ACCESS DATABASE"));
        test::OdbcConnection c;
        ASSERT_TRUE(c.driverConnect("DSN=MS ACCESS DATABASE;DBQ=" + std::string(file)).ok());
        test::expectEveryWrittenValue(c, file);
    }
    EXPECT_EQ(server.query("SELECT count(*) FROM \"基本资料\"")[0][0], "22");
    EXPECT_EQ(server.query("SELECT count(*) FROM \"仓库\"")[0][0], "20");

    // Again without --replace: refused, nothing doubled; with it: the same rows.
    Status again = importAccess(test::accessFixture("sj.accdb"), onServer, o);
    EXPECT_THAT(again.message, HasSubstr("table 基本资料 already holds 22 rows"));
    o.replace = true;
    ASSERT_TRUE(importAccess(test::accessFixture("sj.accdb"), onServer, o));
    EXPECT_EQ(server.query("SELECT count(*) FROM \"检索\"")[0][0], "11");
    // The next save is numbered after the imported rows.
    test::OdbcConnection c;
    ASSERT_TRUE(c.driverConnect("DSN=MS ACCESS DATABASE;DBQ=sj.accdb").ok());
    ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('新')").ok());
    EXPECT_EQ(c.query("select 编号 from 检索 where 姓名 = '新'"), (test::Rows{{"12"}}));
}

}  // namespace
}  // namespace rx::rxdb
