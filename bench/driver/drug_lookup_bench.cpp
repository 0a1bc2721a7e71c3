// The drug lookup on a 100 000-row 仓库: through unixODBC and the Access
// driver on the file and on a PostgreSQL server holding the same rows (a
// private cluster on a Unix socket, started for the run), and with the same
// query straight through the SQLite C API on the same file. Both read every matching row's 存货名称
// and 规格. The codes are cycled so that the driver parses, translates and prepares every time, as
// it does when the program sends a new text on each keystroke.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/support/bench_main.h"
#include "bench/support/bench_server.h"
#include "platform/names/names.h"
#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"
#include "tools/rxdb/rxdb.h"

namespace {

using rx::bench::BenchServer;

const char* const kCodes[] = {"DGS", "HQA", "BZX", "CSM", "FLJ", "GCT", "JYH", "SDL"};
constexpr int kRows = 100000;

std::string gFile;
constexpr const char* kServerDsn = "RX BENCH SERVER";
std::string gServerError;  // why there is no server to measure

std::vector<rx::rxdb::DrugRow> makeCatalogue() {
    static const char* const names[] = {"当归", "甘草", "党参",   "黄芪", "白术",
                                        "茯苓", "川芎", "熟地黄", "白芍", "陈皮"};
    static const char* const packings[] = {"1kg", "500g", "10g*10袋", "250g", "袋"};
    std::mt19937 rng(20240503);
    std::uniform_int_distribution<int> letter(0, 25), length(2, 6), pick(0, 9);
    std::vector<rx::rxdb::DrugRow> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        std::string code;
        for (int n = length(rng); n > 0; --n) code.push_back(static_cast<char>('A' + letter(rng)));
        rows.push_back({code + std::to_string(i % 100),
                        std::string(names[pick(rng)]) + std::to_string(i), packings[pick(rng) % 5],
                        0});
    }
    return rows;
}

bool prepareFile(const std::string& dir) {
    gFile = dir + "/" + rx::names::kDrugFile;
    auto s = rx::rxdb::createDrugDatabase(gFile, RX_ACCESS_DRIVER_PATH);
    if (s) s = rx::rxdb::importDrugRows(gFile, "仓库", makeCatalogue(), RX_ACCESS_DRIVER_PATH);
    if (!s) std::cerr << s.message << '\n';
    return s.ok;
}

// The same catalogue on the server, put there as a clinic would: rxdb's
// tables and copy, through the driver.
void prepareServer(const std::string& dir, const BenchServer& server) {
    if (!server.ok()) {
        gServerError = server.error();
        return;
    }
    server.registerDataSource(dir, kServerDsn, RX_ACCESS_DRIVER_PATH, rx::names::kDrugFile);
    auto s = rx::rxdb::createDrugTables(kServerDsn, gFile);
    if (s) s = rx::rxdb::copyToServer(gFile, kServerDsn, RX_ACCESS_DRIVER_PATH);
    if (!s) gServerError = s.message;
}

std::string lookup(int i) {
    return std::string("select * from 仓库 where 存货编码 like '%") + kCodes[i % 8] + "%'";
}

void BM_DriverLookup(benchmark::State& state, bool onServer) {
    if (onServer && !gServerError.empty()) {
        state.SkipWithError(("no server: " + gServerError).c_str());
        return;
    }
    // The program's drug connection names a data source; that source's
    // configuration, not the text, puts the rows on the server.
    rx::odbc::ConnectionText text;
    if (onServer)
        text.add("DSN", kServerDsn);
    else
        text.add("DRIVER", RX_ACCESS_DRIVER_PATH);
    text.add("DBQ", gFile).add("ReadOnly", "1");
    std::optional<rx::odbc::Connection> db;
    try {
        db.emplace(text.str());
    } catch (const rx::odbc::Error& e) {
        state.SkipWithError(("cannot connect: " + e.logLine()).c_str());
        return;
    }
    rx::odbc::Statement stmt(*db);
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i) texts.push_back(rx::text::utf8ToGb18030(lookup(i)).bytes);
    // Buffers that keep their storage from row to row, as the lookup loop needs.
    std::string name, packing;
    name.reserve(256);
    packing.reserve(256);
    long rows = 0;
    int i = 0;
    for (auto _ : state) {
        rx::odbc::Result result = stmt.executeDirect(texts[static_cast<size_t>(i++ % 8)]);
        while (result.next()) {
            result.read(2, SQL_C_CHAR, name);
            result.read(3, SQL_C_CHAR, packing);
            benchmark::DoNotOptimize(name.data()[0] + packing.data()[0]);
            ++rows;
        }
        stmt.closeCursor();
    }
    state.counters["rows_per_query"] =
        static_cast<double>(rows) / static_cast<double>(state.iterations());
}

void BM_DirectSqliteLookup(benchmark::State& state) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(gFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i) texts.push_back(lookup(i));
    long rows = 0;
    int i = 0;
    for (auto _ : state) {
        const std::string& sql = texts[static_cast<size_t>(i++ % 8)];
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* name = sqlite3_column_text(stmt, 2);
            const unsigned char* packing = sqlite3_column_text(stmt, 3);
            benchmark::DoNotOptimize(name[0] + (packing ? packing[0] : 0));
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    state.counters["rows_per_query"] =
        static_cast<double>(rows) / static_cast<double>(state.iterations());
    sqlite3_close(db);
}

BENCHMARK_CAPTURE(BM_DriverLookup, file, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DriverLookup, server, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectSqliteLookup)->Unit(benchmark::kMillisecond);

}  // namespace

bool rx::bench::prepare(const std::string& dir) {
    if (!prepareFile(dir)) return false;
    static BenchServer server;
    prepareServer(dir, server);
    return true;
}
