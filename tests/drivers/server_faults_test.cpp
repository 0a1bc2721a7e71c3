// The server under faults: a hung server, backends terminated and killed
// under three writers, a TCP server whose certificate cannot be verified, and
// the rooms' login role that may only read and add visits.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "db/statements.h"
#include "tests/drivers/odbc_client.h"
#include "tests/drivers/stores.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

using namespace std::chrono_literals;

void makeSchema(const std::string& text) {
    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(text).ok());
    for (const std::string& sql : rxdb::prescriptionSchema()) ASSERT_TRUE(db.execute(sql).ok());
}

// A hung server (every process stopped) fails a save within the statement
// timeout of the data source, not when the server comes back; the next save
// after it does goes through, and the failed one is not there.
TEST(ServerFaults, ASaveAgainstAHungServerFailsWithinItsBoundAndTheNextOneWorks) {
    PrivateCluster cluster;
    RX_REQUIRE_CLUSTER(cluster);
    TempProgramDir dir;
    dir.setDataSourceKeys(cluster.dataSourceKeys() + "PGStatementTimeout = 2\n");
    makeSchema(dir.prescriptionConnectionText());
    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
    ASSERT_TRUE(db.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());

    ASSERT_TRUE(cluster.freeze());
    std::atomic<bool> returned{false}, thawedByWatchdog{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !returned; ++i) std::this_thread::sleep_for(100ms);
        if (!returned) thawedByWatchdog = cluster.thaw();
    });
    const OdbcOutcome hung = db.execute("INSERT INTO 检索 (姓名) values ('乙')");
    returned = true;
    watchdog.join();
    EXPECT_FALSE(thawedByWatchdog) << "the save waited for the server to come back";
    EXPECT_TRUE(hung.state == "HYT00" || hung.state == "08S01") << hung.state << hung.message;

    if (!thawedByWatchdog) {
        ASSERT_TRUE(cluster.thaw());
    }
    const OdbcOutcome next = db.execute("INSERT INTO 检索 (姓名) values ('丙')");
    EXPECT_TRUE(next.ok()) << next.state << " " << next.message;
    EXPECT_EQ(db.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"丙"}}));
}

struct Save {
    std::string name;
    OdbcOutcome outcome;
};

// One save in a transaction of the application's that begins with a read.
OdbcOutcome saveInTransaction(OdbcConnection& db, const std::string& insert) {
    OdbcOutcome o;
    db.query("select count(*) from 基本资料", &o);
    if (o.ok()) o = db.execute(insert);
    const SQLSMALLINT end = o.ok() ? SQL_COMMIT : SQL_ROLLBACK;
    const OdbcOutcome ended =
        diagnose(SQL_HANDLE_DBC, db.dbc(), SQLEndTran(SQL_HANDLE_DBC, db.dbc(), end));
    return o.ok() ? ended : o;
}

// Saves one visit after another until told to stop, connecting again whenever
// the connection could not be made; the last writer in transactions of its own.
void writeUntil(const std::string& text, int writer, const std::atomic<bool>& stop,
                std::vector<Save>& saves) {
    OdbcConnection db;
    bool connected = false;
    const bool manual = writer == 2;
    if (manual)
        SQLSetConnectAttr(db.dbc(), SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    for (int n = 0; !stop; ++n) {
        if (!connected && !(connected = db.driverConnect(text).ok())) {
            std::this_thread::sleep_for(50ms);
            continue;
        }
        const std::string name = "w" + std::to_string(writer) + "-" + std::to_string(n);
        const std::string insert = "INSERT INTO 检索 (姓名) values ('" + name + "')";
        saves.push_back({name, manual ? saveInTransaction(db, insert) : db.execute(insert)});
    }
}

// Three writers (one in transactions that begin with a read) while every
// workstation backend is terminated each 100 ms and two are killed outright (the server restarts
// all sessions then): every save reported done is there once, every one reported failed is absent,
// and none is left in doubt.
TEST(ServerFaults, SavesUnderTerminatedAndKilledBackendsAreAcknowledgedOnceOrAbsent) {
    PrivateCluster cluster;
    RX_REQUIRE_CLUSTER(cluster);
    TempProgramDir dir;
    dir.setDataSourceKeys(cluster.dataSourceKeys());
    const std::string text = dir.prescriptionConnectionText();
    makeSchema(text);

    constexpr auto kRun = 30s;  // two shared cores: long enough for a few thousand saves
    std::atomic<bool> stop{false};
    std::vector<std::vector<Save>> saves(3);
    std::vector<std::thread> writers;
    for (int w = 0; w < 3; ++w)
        writers.emplace_back([&, w] { writeUntil(text, w, stop, saves[w]); });
    const std::string ours =
        "FROM pg_stat_activity WHERE application_name = 'rx_workstation' AND pid <> "
        "pg_backend_pid()";
    const auto start = std::chrono::steady_clock::now();
    int kills = 0;
    while (std::chrono::steady_clock::now() - start < kRun) {
        std::this_thread::sleep_for(100ms);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (kills < 2 && elapsed > kRun * (kills + 1) / 3) {
            auto pid = cluster.query("SELECT pid " + ours + " LIMIT 1");
            if (!pid.empty() && pid[0][0].find("ERROR") == std::string::npos &&
                ::kill(std::stoi(pid[0][0]), SIGKILL) == 0)
                ++kills;
            continue;
        }
        cluster.query("SELECT pg_terminate_backend(pid) " + ours);
    }
    stop = true;
    for (auto& w : writers) w.join();
    EXPECT_EQ(kills, 2);

    std::map<std::string, int> stored;
    for (const auto& row : cluster.query("SELECT \"姓名\", count(*) FROM \"检索\" GROUP BY 1"))
        stored[row[0]] = row.size() > 1 ? std::stoi(row[1]) : -1;
    int acknowledged = 0, failed = 0;
    for (const auto& writer : saves)
        for (const Save& s : writer) {
            SCOPED_TRACE(s.name + ": " + s.outcome.state + " " + s.outcome.message);
            if (s.outcome.ok()) {
                ++acknowledged;
                EXPECT_EQ(stored[s.name], 1);
            } else {
                ++failed;
                EXPECT_EQ(stored[s.name], 0);
                EXPECT_EQ(s.outcome.message.find("whether the change was saved"),
                          std::string::npos);
            }
        }
    EXPECT_GT(acknowledged, 0);
    EXPECT_GT(failed, 0);
    std::cerr << acknowledged << " saves acknowledged, " << failed << " failed\n";
}

// Over TCP the driver asks for a certificate that the configured root vouches
// for, unless the data source's PGSSLMode says otherwise. In a process of its
// own each, since unixODBC keeps the odbc.ini it has read.
TEST(ServerTls, ATcpConnectionIsMadeOnlyToAServerTheConfiguredRootVouchesFor) {
    PrivateCluster cluster(PrivateCluster::Tls::On);
    RX_REQUIRE_CLUSTER(cluster);
    ASSERT_FALSE(cluster.tcpPort().empty());
    QTemporaryDir home;  // no ~/.postgresql/root.crt of the caller's
    const std::string tcp = "PGHost = 127.0.0.1\nPGPort = " + cluster.tcpPort() +
                            "\nPGDatabase = postgres\nPGUser = " + cluster.user() +
                            "\nPGConnectTimeout = 5\n";
    const struct {
        const char* name;
        std::string keys;
        bool connects;
    } cases[] = {
        {"no root configured", "", false},
        {"a root that signed nothing of this server", "PGSSLRootCert = " + cluster.otherCa(),
         false},
        {"the root that signed its certificate", "PGSSLRootCert = " + cluster.ca(), true},
        {"the administrator's own choice of TLS without verification", "PGSSLMode = require", true},
    };
    TempProgramDir dir;
    dir.setDataSourceKeys(cluster.dataSourceKeys());
    makeSchema(dir.prescriptionConnectionText());
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.setDataSourceKeys(tcp + c.keys + "\n");
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        helper.setProcessEnvironment(env);
        helper.start(QStringLiteral(RX_INSERT_HELPER),
                     {QString::fromStdString(dir.prescriptionConnectionText()),
                      QStringLiteral("tls%1-").arg(++n), QStringLiteral("1")});
        ASSERT_TRUE(helper.waitForFinished(60000));
        const QByteArray err = helper.readAllStandardError();
        if (c.connects) {
            EXPECT_EQ(helper.exitCode(), 0) << err.toStdString();
        } else {
            EXPECT_EQ(helper.exitCode(), 3) << err.toStdString();
            EXPECT_TRUE(err.startsWith("08001")) << err.toStdString();
        }
    }
    EXPECT_EQ(cluster.query("SELECT count(*) FROM \"检索\""),
              (std::vector<std::vector<std::string>>{{"2"}}));
}

// The rooms' role, given only what rxdb's GRANTs give, runs every statement
// the program sends and is refused every change of old visits and of the
// schema. The role comes from libpq's PGUSER, so that one data source serves
// the owner who makes the tables and then the rooms.
TEST(ServerRoles, TheRoomsRoleReadsAndAddsVisitsAndNothingElse) {
    RX_REQUIRE_SERVER();
    ServerDatabase server;
    ASSERT_TRUE(server.ok()) << server.error();
    const TestServer& s = TestServer::get();
    TempProgramDir dir;
    dir.setDataSourceKeys("PGHost = " + s.host + "\nPGPort = " + s.port +
                          "\nPGDatabase = " + server.name() + "\n");
    const std::string role = "rx_rooms_" + std::to_string(::getpid());
    ::setenv("PGUSER", s.user.c_str(), 1);
    const rxdb::Status made =
        rxdb::createPrescriptionTables(TempProgramDir::dataSourceName().toStdString(),
                                       dir.prescriptionDatabasePath().toStdString());
    ASSERT_TRUE(made) << made.message;
    server.query("DROP ROLE IF EXISTS " + role);
    ASSERT_TRUE(server.query("CREATE ROLE " + role + " LOGIN").empty());
    ASSERT_TRUE(server.query(rxdb::roomsGrants(role)).empty());
    ::setenv("PGUSER", role.c_str(), 1);

    OdbcConnection db;
    ASSERT_TRUE(db.driverConnect(dir.prescriptionConnectionText()).ok());
    db::Visit visit;
    visit.name = QStringLiteral("张三");
    visit.age = QStringLiteral("35");
    visit.registered = QStringLiteral("2024-03-05 09:30:12");
    const QDate day(2024, 3, 5);
    const std::string programs[] = {db::VisitInsert(visit).toStdString(),
                                    db::IndexInsert(visit.name, QStringLiteral("2024-3-5"),
                                                    QStringLiteral("头痛"), QStringLiteral("ZS"))
                                        .toStdString(),
                                    db::VisitSearch(day, day, QStringLiteral("张")).toStdString(),
                                    db::IndexSearch(day, day, QStringLiteral("张")).toStdString()};
    for (const std::string& sql : programs) {
        OdbcOutcome o = db.execute(sql);
        EXPECT_TRUE(o.ok()) << sql << ": " << o.state << " " << o.message;
    }
    for (const char* sql : {"UPDATE 基本资料 SET 姓名 = '李四'", "DELETE FROM 检索",
                            "CREATE TABLE 病人 (姓名 TEXT(10))", "DROP TABLE 检索"}) {
        OdbcOutcome o = db.execute(sql);
        EXPECT_FALSE(o.ok()) << sql;
        EXPECT_TRUE(o.message.find("permission denied") != std::string::npos ||
                    o.message.find("must be owner") != std::string::npos)
            << sql << o.message;
    }
    EXPECT_EQ(db.query("select 姓名 from 基本资料"), (Rows{{"张三"}}));
    EXPECT_EQ(db.query("select count(*) from 检索"), (Rows{{"1"}}));
    ::unsetenv("PGUSER");
    server.dropConnections();
    server.query("DROP OWNED BY " + role);
    server.query("DROP ROLE IF EXISTS " + role);
}

}  // namespace
}  // namespace rx::test
