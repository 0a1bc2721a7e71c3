#pragma once
// The private PostgreSQL cluster that CTest's pg_cluster fixture starts
// (scripts/pg-cluster.sh), and a fresh database on it for each test.
//
//   RX_REQUIRE_SERVER();                 // skips, or fails under CI, without a server
//   rx::test::ServerDatabase server;     // rx_<pid>_<n>, dropped again by the destructor
//   dir.setDataSourceKeys(server.dataSourceKeys());  // the DSN now keeps its rows there
//   auto rows = server.query("SELECT count(*) FROM \"检索\"");  // straight through libpq

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rx::test {

struct TestServer {
    bool available = false;
    std::string reason;  // why there is none
    std::string host, port, user;
    // Read once from the fixture's pg.env (RX_TEST_PG_ENV overrides where it is).
    static const TestServer& get();
};

class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }
    // The odbc.ini lines that put a data source's prescription rows here.
    std::string dataSourceKeys(const std::string& files = {}) const;
    // Rows as text through libpq; a failure is one row holding "ERROR: ...".
    std::vector<std::vector<std::string>> query(const std::string& sql) const;
    // Ends every other session on this database, as a server restart would.
    bool dropConnections() const;

private:
    std::string name_;
    std::string error_;
};

// A cluster of the test's own (scripts/pg-cluster.sh), for a test that stops
// and starts its server, which the shared one must never be. It serves its
// "postgres" database; the destructor stops it and removes its folder.
class PrivateCluster {
public:
    enum class Tls { Off, On };
    // Tls::On: it also listens on 127.0.0.1 with a certificate of a throwaway CA.
    explicit PrivateCluster(Tls tls = Tls::Off);
    ~PrivateCluster();
    PrivateCluster(const PrivateCluster&) = delete;
    PrivateCluster& operator=(const PrivateCluster&) = delete;
    // Empty when the cluster runs, else why not.
    const std::string& unavailable() const { return unavailable_; }
    std::string dataSourceKeys() const;
    bool pause() const { return run("pause") == 0; }  // the server goes down, its data stays
    bool resume() const { return run("resume") == 0; }
    bool freeze() const { return run("freeze") == 0; }  // every server process stops: a hang
    bool thaw() const { return run("thaw") == 0; }
    // Rows as text through libpq as the cluster's superuser; a failure is one "ERROR: ..." row.
    std::vector<std::vector<std::string>> query(const std::string& sql) const;
    // With Tls::On: the TCP port, the CA that signed the server's certificate, and one that did
    // not.
    const std::string& tcpPort() const { return tcpPort_; }
    const std::string& ca() const { return ca_; }
    const std::string& otherCa() const { return otherCa_; }
    const std::string& user() const { return user_; }

private:
    int run(const char* action, const char* environment = "") const;
    std::string state_;
    std::string host_, port_, user_;
    std::string tcpPort_, ca_, otherCa_;
    std::string unavailable_;
};

}  // namespace rx::test

// Tests that need the server skip where none could be started; in CI that is a failure.
// The same for a PrivateCluster.
#define RX_REQUIRE_CLUSTER(cluster)                                                               \
    do {                                                                                          \
        if (!(cluster).unavailable().empty()) {                                                   \
            if (std::getenv("CI")) FAIL() << "no PostgreSQL server: " << (cluster).unavailable(); \
            GTEST_SKIP() << "no PostgreSQL server: " << (cluster).unavailable();                  \
        }                                                                                         \
    } while (0)

#define RX_REQUIRE_SERVER()                                                               \
    do {                                                                                  \
        const ::rx::test::TestServer& rxServer = ::rx::test::TestServer::get();           \
        if (!rxServer.available) {                                                        \
            if (std::getenv("CI")) FAIL() << "no PostgreSQL server: " << rxServer.reason; \
            GTEST_SKIP() << "no PostgreSQL server: " << rxServer.reason;                  \
        }                                                                                 \
    } while (0)
