#include "bench/support/bench_server.h"

#include <libpq-fe.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace rx::bench {
namespace {

constexpr const char* kDatabase = "rx_bench";

int runScript(const std::string& action, const std::string& state) {
    const std::string command =
        std::string("'") + RX_PG_CLUSTER_SCRIPT + "' " + action + " '" + state + "' >&2";
    return std::system(command.c_str());
}

}  // namespace

BenchServer::BenchServer() {
    char pattern[] = "/tmp/rx_bench_pg.XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "no temporary folder";
        return;
    }
    state_ = pattern;
    if (runScript("start", state_) != 0) {
        error_ = "scripts/pg-cluster.sh start failed";
        return;
    }
    std::ifstream env(state_ + "/pg.env");
    for (std::string line; std::getline(env, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "RX_PG_UNAVAILABLE") error_ = value;
        if (key == "PGHOST") host_ = value;
        if (key == "PGPORT") port_ = value;
        if (key == "PGUSER") user_ = value;
    }
    if (!ok()) return;
    const char* keys[] = {"host", "port", "user", "dbname", nullptr};
    const char* values[] = {host_.c_str(), port_.c_str(), user_.c_str(), "postgres", nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 0);
    PGresult* r = PQexec(c, (std::string("CREATE DATABASE ") + kDatabase).c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) error_ = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
}

BenchServer::~BenchServer() {
    if (state_.empty()) return;
    runScript("stop", state_);
    std::error_code ec;
    std::filesystem::remove_all(state_, ec);
}

std::string BenchServer::dataSourceKeys(const std::string& files) const {
    return "PGHost = " + host_ + "\nPGPort = " + port_ + "\nPGDatabase = " + kDatabase +
           "\nPGUser = " + user_ + "\nPGFiles = " + files + "\n";
}

void BenchServer::registerDataSource(const std::string& dir, const std::string& dsn,
                                     const std::string& driver, const std::string& files) const {
    std::ofstream(dir + "/odbcinst.ini") << "";
    std::ofstream(dir + "/odbc.ini") << "[" << dsn << "]\nDriver = " << driver << "\n"
                                     << dataSourceKeys(files);
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
}

}  // namespace rx::bench
