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

}  // namespace rx::test

// Tests that need the server skip where none could be started; in CI that is a failure.
#define RX_REQUIRE_SERVER()                                                               \
    do {                                                                                  \
        const ::rx::test::TestServer& rxServer = ::rx::test::TestServer::get();           \
        if (!rxServer.available) {                                                        \
            if (std::getenv("CI")) FAIL() << "no PostgreSQL server: " << rxServer.reason; \
            GTEST_SKIP() << "no PostgreSQL server: " << rxServer.reason;                  \
        }                                                                                 \
    } while (0)
