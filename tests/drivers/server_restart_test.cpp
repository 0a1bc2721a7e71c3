// A server that goes down under a running workstation and comes back: saves
// fail while it is away, the driver connects again by itself, and no row is
// written twice. On a cluster of its own, since the shared one must stay up.

#include <gtest/gtest.h>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

TEST(ServerRestart, SavesFailWhileTheServerIsDownAndWorkAgainOnceItIsBack) {
    PrivateCluster cluster;
    RX_REQUIRE_CLUSTER(cluster);
    TempProgramDir dir;
    dir.setDataSourceKeys(cluster.dataSourceKeys());
    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
    for (const std::string& sql : rxdb::prescriptionSchema()) ASSERT_TRUE(db.execute(sql).ok());
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());

    ASSERT_TRUE(cluster.pause());
    EXPECT_EQ(db.execute("INSERT INTO 检索 (姓名) values ('乙')").state, "08001");
    OdbcOutcome query;
    EXPECT_TRUE(db.query("select 姓名 from 检索", &query).empty());
    EXPECT_EQ(query.state, "08001");

    ASSERT_TRUE(cluster.resume());
    OdbcOutcome saved = db.execute("INSERT INTO 检索 (姓名) values ('丙')");
    EXPECT_TRUE(saved.ok()) << saved.state << " " << saved.message;
    EXPECT_EQ(db.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"丙"}}));
}

}  // namespace
}  // namespace rx::test
