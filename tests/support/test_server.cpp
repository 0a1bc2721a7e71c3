#include "tests/support/test_server.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace rx::test {
namespace {

std::map<std::string, std::string> readEnvFile(const std::string& path) {
    std::map<std::string, std::string> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

PGconn* connectTo(const std::string& host, const std::string& port, const std::string& user,
                  const std::string& database) {
    const char* keys[] = {"host", "port", "user", "dbname", "client_encoding", nullptr};
    const char* values[] = {host.c_str(),     port.c_str(), user.c_str(),
                            database.c_str(), "UTF8",       nullptr};
    return PQconnectdbParams(keys, values, 0);
}

PGconn* connectTo(const TestServer& s, const std::string& database) {
    return connectTo(s.host, s.port, s.user, database);
}

std::vector<std::vector<std::string>> rowsOf(PGconn* c, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
        for (int i = 0; i < PQntuples(r); ++i) {
            rows.emplace_back();
            for (int j = 0; j < PQnfields(r); ++j) rows.back().emplace_back(PQgetvalue(r, i, j));
        }
    } else if (PQresultStatus(r) != PGRES_COMMAND_OK) {
        rows.push_back({std::string("ERROR: ") + PQerrorMessage(c)});
    }
    PQclear(r);
    PQfinish(c);
    return rows;
}

std::string runAdmin(const std::string& sql) {
    const TestServer& s = TestServer::get();
    PGconn* c = connectTo(s, "postgres");
    std::string error;
    if (PQstatus(c) != CONNECTION_OK) {
        error = PQerrorMessage(c);
    } else {
        PGresult* r = PQexec(c, sql.c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            error = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    return error;
}

}  // namespace

const TestServer& TestServer::get() {
    static const TestServer server = [] {
        TestServer s;
        const char* override = std::getenv("RX_TEST_PG_ENV");
        const std::string file = override ? override : RX_TEST_PG_ENV_FILE;
        auto env = readEnvFile(file);
        if (env.empty()) {
            s.reason = file + " is missing: run the tests through ctest, which starts the cluster";
        } else if (env.count("RX_PG_UNAVAILABLE")) {
            s.reason = env["RX_PG_UNAVAILABLE"];
        } else {
            s.host = env["PGHOST"];
            s.port = env["PGPORT"];
            s.user = env["PGUSER"];
            PGconn* c = connectTo(s, "postgres");
            s.available = PQstatus(c) == CONNECTION_OK;
            if (!s.available) s.reason = PQerrorMessage(c);
            PQfinish(c);
        }
        return s;
    }();
    return server;
}

ServerDatabase::ServerDatabase() {
    static std::atomic<int> counter{0};
    name_ = "rx_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    if (!TestServer::get().available) {
        error_ = "no server: " + TestServer::get().reason;
        return;
    }
    error_ = runAdmin("CREATE DATABASE " + name_);
}

ServerDatabase::~ServerDatabase() {
    if (TestServer::get().available) runAdmin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
}

std::string ServerDatabase::dataSourceKeys(const std::string& files) const {
    const TestServer& s = TestServer::get();
    std::string out = "PGHost = " + s.host + "\nPGPort = " + s.port + "\nPGDatabase = " + name_ +
                      "\nPGUser = " + s.user + "\n";
    if (!files.empty()) out += "PGFiles = " + files + "\n";
    return out;
}

std::vector<std::vector<std::string>> ServerDatabase::query(const std::string& sql) const {
    return rowsOf(connectTo(TestServer::get(), name_), sql);
}

std::vector<std::vector<std::string>> PrivateCluster::query(const std::string& sql) const {
    return rowsOf(connectTo(host_, port_, user_, "postgres"), sql);
}

bool ServerDatabase::dropConnections() const {
    // Waits for each session to be gone (for up to a minute), so the next
    // statement meets a closed connection however slow the machine is.
    return runAdmin(
               "SELECT pg_terminate_backend(pid, 60000) FROM pg_stat_activity WHERE "
               "datname = '" +
               name_ + "' AND pid <> pg_backend_pid()")
        .empty();
}

PrivateCluster::PrivateCluster(Tls tls) {
    char pattern[] = "/tmp/rx_test_pg.XXXXXX";
    if (!mkdtemp(pattern)) {
        unavailable_ = "no temporary folder";
        return;
    }
    state_ = pattern;
    if (run("start", tls == Tls::On ? "RX_PG_TLS=1 " : "") != 0) {
        unavailable_ = "scripts/pg-cluster.sh start failed";
        return;
    }
    auto env = readEnvFile(state_ + "/pg.env");
    if (env.count("RX_PG_UNAVAILABLE")) unavailable_ = env["RX_PG_UNAVAILABLE"];
    host_ = env["PGHOST"];
    port_ = env["PGPORT"];
    user_ = env["PGUSER"];
    tcpPort_ = env["RX_PG_TCP_PORT"];
    ca_ = env["RX_PG_CA"];
    otherCa_ = env["RX_PG_OTHER_CA"];
}

PrivateCluster::~PrivateCluster() {
    if (state_.empty()) return;
    run("stop");
    std::error_code ec;
    std::filesystem::remove_all(state_, ec);
}

std::string PrivateCluster::dataSourceKeys() const {
    return "PGHost = " + host_ + "\nPGPort = " + port_ +
           "\nPGDatabase = postgres\nPGUser = " + user_ + "\nPGConnectTimeout = 2\n";
}

int PrivateCluster::run(const char* action, const char* environment) const {
    const std::string command = std::string(environment) + "'" + RX_PG_CLUSTER_SCRIPT + "' " +
                                action + " '" + state_ + "' >&2";
    return std::system(command.c_str());
}

}  // namespace rx::test
