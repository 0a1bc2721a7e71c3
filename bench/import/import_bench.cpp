// import-access's write side: 100 000 visits held in memory written through
// the same path as an import (schema check, one transaction, every value read
// back and compared), into a new file and onto a server; and the whole import
// of the Access fixtures, reader process included.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "bench/support/bench_server.h"
#include "platform/names/names.h"
#include "tools/rxdb/import_access.h"

namespace {

namespace fs = std::filesystem;
using rx::rxdb::access::Column;
using rx::rxdb::access::Kind;

constexpr int kVisits = 100000;
const char* const kServerDsn = "RX IMPORT BENCH";
std::string gDir;
std::string gServerError;

rx::rxdb::access::Database visits() {
    rx::rxdb::access::Table t;
    t.name = "基本资料";
    t.columns.push_back({"编号", Kind::Integer, 0, true});
    for (const char* name : {"姓名", "性别"}) t.columns.push_back({name, Kind::Text, 50, false});
    t.columns.push_back({"年龄", Kind::Double, 0, false});
    for (const char* name : {"年龄单位", "住址", "诊断"})
        t.columns.push_back({name, Kind::Text, 255, false});
    t.columns.push_back({"登记时间", Kind::DateTime, 0, false});
    for (const char* name : {"处方号", "频率", "用法", "用量单位"})
        t.columns.push_back({name, Kind::Text, 50, false});
    for (const char* name : {"现病史", "中药处方"})
        t.columns.push_back({name, Kind::Memo, 0, false});
    for (const char* name : {"备注", "备注2", "记录"})
        t.columns.push_back({name, Kind::Text, 255, false});
    for (int i = 1; i <= kVisits; ++i) {
        const std::string n = std::to_string(i);
        char date[32];
        std::snprintf(date, sizeof date, "20%02d-%02d-%02d 09:%02d:00", 10 + i % 15, 1 + i % 12,
                      1 + i % 28, i % 60);
        t.rows.push_back({n, "张伟" + n, "男", std::to_string(i % 90) + ".5", "岁",
                          "北京市朝阳区建国路" + n + "号", "感冒（风寒束表证）", std::string(date),
                          "2024030109" + n, "每天二次", "口服", "g",
                          "恶寒发热两天，头痛，鼻塞流清涕。",
                          "麻黄6g,桂枝9g,苦杏仁9g,炙甘草3g,生姜9g,大枣9g,", "禾川1号",
                          i % 3 ? rx::rxdb::access::Cell() : "𠮷 O'Brien", "是"});
    }
    t.rowsInFile = kVisits;
    rx::rxdb::access::Database db;
    db.tables.push_back(std::move(t));
    return db;
}

const rx::rxdb::access::Database& memoryVisits() {
    static const rx::rxdb::access::Database db = visits();
    return db;
}

rx::rxdb::ImportOptions options() {
    rx::rxdb::ImportOptions o;
    o.driver = RX_ACCESS_DRIVER_PATH;
    o.replace = true;
    return o;
}

void removeFile(const std::string& file) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) fs::remove(file + suffix);
}

void BM_WriteVisits(benchmark::State& state, bool onServer) {
    if (onServer && !gServerError.empty()) {
        state.SkipWithError(("no server: " + gServerError).c_str());
        return;
    }
    const rx::rxdb::access::Database& db = memoryVisits();
    const std::string file = gDir + "/" + rx::names::kPrescriptionFile;
    for (auto _ : state) {
        if (!onServer) removeFile(file);
        rx::rxdb::Status s = rx::rxdb::writeTables(
            db,
            onServer ? rx::rxdb::ImportTarget{"", kServerDsn} : rx::rxdb::ImportTarget{file, ""},
            options());
        if (!s) state.SkipWithError(s.message.c_str());
    }
    state.counters["visits"] = kVisits;
}

void BM_ImportFixtures(benchmark::State& state) {
    const std::string sj = gDir + "/f_" + rx::names::kPrescriptionFile,
                      xs = gDir + "/f_" + rx::names::kDrugFile;
    for (auto _ : state) {
        removeFile(sj);
        removeFile(xs);
        for (auto [from, to] :
             {std::pair{rx::names::kPrescriptionFile, sj}, std::pair{rx::names::kDrugFile, xs}}) {
            rx::rxdb::Status s = rx::rxdb::importAccess(
                std::string(RX_ACCESS_FIXTURES) + "/" + from, {to, ""}, options());
            if (!s) state.SkipWithError(s.message.c_str());
        }
    }
}

BENCHMARK_CAPTURE(BM_WriteVisits, file, false)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_WriteVisits, server, true)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_ImportFixtures)->Unit(benchmark::kMillisecond)->UseRealTime();

// The server's data source, as a clinic's odbc.ini would name it.
void prepareServer(const rx::bench::BenchServer& server) {
    if (!server.ok()) {
        gServerError = server.error();
        return;
    }
    std::ofstream(gDir + "/odbcinst.ini") << "";
    std::ofstream(gDir + "/odbc.ini")
        << "[" << kServerDsn << "]\nDriver = " << RX_ACCESS_DRIVER_PATH << "\n"
        << server.dataSourceKeys(rx::names::kPrescriptionFile);
    setenv("ODBCSYSINI", gDir.c_str(), 1);
    setenv("ODBCINI", (gDir + "/odbc.ini").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/rx_import_bench.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    gDir = pattern;
    rx::bench::BenchServer server;
    prepareServer(server);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(gDir);
    return 0;
}
