// The database half of the drug lookup: HerbalLookup on a 100 000-row 仓库
// through unixODBC and the driver, reading 存货名称 and 规格 of every row.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "db/connection_texts.h"
#include "db/drug_recordset.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "tests/support/temp_program_dir.h"

namespace {

constexpr int kDrugs = 100000;

// Codes of two to six letters with a frequent D, so that "D" matches about a
// third of the table.
std::vector<rx::test::Drug> manyDrugs() {
    std::mt19937 random(20240503);
    std::uniform_int_distribution<int> length(2, 6), letter(0, 25), roll(0, 99);
    std::vector<rx::test::Drug> drugs;
    drugs.reserve(kDrugs);
    for (int i = 0; i < kDrugs; ++i) {
        std::string code;
        for (int n = length(random); n > 0; --n)
            code += roll(random) < 9 ? 'D' : char('A' + letter(random));
        drugs.push_back({std::move(code), "当归甘草" + std::to_string(i % 97), "片 1kg/袋"});
    }
    return drugs;
}

struct Fixture {
    rx::test::TempProgramDir dir;
    rx::db::DrugConnection connection;
    rx::db::DrugRecordset records;

    Fixture() {
        std::string error;
        if (!dir.createDrugDatabase(manyDrugs(), {}, &error) ||
            !connection.ConnectAccessFile(rx::db::drugDatabasePath(dir.path()), QString()) ||
            !records.BindTo(connection)) {
            std::fprintf(stderr, "no drug database: %s\n", error.c_str());
            std::exit(1);
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_HerbalLookupRead(benchmark::State& state, const char* code) {
    rx::db::DrugRecordset& records = fixture().records;
    const QString sql = rx::db::HerbalLookup(QString::fromLatin1(code));
    const QString name = QStringLiteral("存货名称"), packing = QStringLiteral("规格");
    qint64 rows = 0;
    for (auto _ : state) {
        rows = 0;
        rx::db::readAll(records, sql, [&](rx::db::DrugRecordset& r) {
            QString n = r.ReadText(name), s = r.ReadText(packing);
            benchmark::DoNotOptimize(n);
            benchmark::DoNotOptimize(s);
            ++rows;
        });
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK_CAPTURE(BM_HerbalLookupRead, one_letter, "D")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HerbalLookupRead, three_letters, "DGA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HerbalLookupRead, no_match, "QQQQQQ")->Unit(benchmark::kMillisecond);

}  // namespace
