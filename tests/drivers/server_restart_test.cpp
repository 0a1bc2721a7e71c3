// A server that goes down under a running workstation and comes back: saves
// fail while it is away, the driver connects again by itself, and no row is
// written twice. On a cluster of its own, since the shared one must stay up.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <map>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

class OwnCluster {
public:
    OwnCluster() {
        started_ = run("start") == 0;
        std::ifstream in(state_.path().toStdString() + "/pg.env");
        for (std::string line; std::getline(in, line);)
            if (size_t eq = line.find('='); eq != std::string::npos)
                env_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    ~OwnCluster() { run("stop"); }
    // Empty when the cluster runs, else why not.
    std::string unavailable() const {
        if (!started_) return "scripts/pg-cluster.sh start failed";
        auto it = env_.find("RX_PG_UNAVAILABLE");
        return it == env_.end() ? std::string() : it->second;
    }
    std::string dataSourceKeys() const {
        return "PGHost = " + env_.at("PGHOST") + "\nPGPort = " + env_.at("PGPORT") +
               "\nPGDatabase = postgres\nPGUser = " + env_.at("PGUSER") +
               "\nPGConnectTimeout = 2\n";
    }
    int run(const char* action) const {
        const std::string command = std::string("'") + RX_PG_CLUSTER_SCRIPT + "' " + action + " '" +
                                    state_.path().toStdString() + "'";
        return std::system(command.c_str());
    }

private:
    QTemporaryDir state_;
    bool started_ = false;
    std::map<std::string, std::string> env_;
};

TEST(ServerRestart, SavesFailWhileTheServerIsDownAndWorkAgainOnceItIsBack) {
    OwnCluster cluster;
    if (const std::string why = cluster.unavailable(); !why.empty()) {
        if (std::getenv("CI")) FAIL() << "no PostgreSQL server: " << why;
        GTEST_SKIP() << "no PostgreSQL server: " << why;
    }
    TempProgramDir dir;
    dir.setDataSourceKeys(cluster.dataSourceKeys());
    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
    for (const std::string& sql : rxdb::prescriptionSchema()) ASSERT_TRUE(db.execute(sql).ok());
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());

    ASSERT_EQ(cluster.run("pause"), 0);
    EXPECT_EQ(db.execute("INSERT INTO 检索 (姓名) values ('乙')").state, "08001");
    OdbcOutcome query;
    EXPECT_TRUE(db.query("select 姓名 from 检索", &query).empty());
    EXPECT_EQ(query.state, "08001");

    ASSERT_EQ(cluster.run("resume"), 0);
    OdbcOutcome saved = db.execute("INSERT INTO 检索 (姓名) values ('丙')");
    EXPECT_TRUE(saved.ok()) << saved.state << " " << saved.message;
    EXPECT_EQ(db.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"丙"}}));
}

}  // namespace
}  // namespace rx::test
