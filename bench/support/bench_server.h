#pragma once
// A private PostgreSQL cluster for one benchmark run, started with
// scripts/pg-cluster.sh in a folder of its own and stopped again at the end,
// with one empty database on it. The file and the server are then measured
// side by side in the same run.
//
//   rx::bench::BenchServer server;
//   if (server.ok()) write odbc.ini with server.dataSourceKeys("xs.mdb");

#include <string>

namespace rx::bench {

class BenchServer {
public:
    BenchServer();
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // The odbc.ini lines that put the listed files' rows on this server.
    std::string dataSourceKeys(const std::string& files) const;
    // Points unixODBC at odbc.ini and odbcinst.ini in dir, whose data source
    // dsn reaches this server through the driver library for the listed files.
    void registerDataSource(const std::string& dir, const std::string& dsn,
                            const std::string& driver, const std::string& files) const;

private:
    std::string state_;
    std::string host_, port_, user_;
    std::string error_;
};

}  // namespace rx::bench
