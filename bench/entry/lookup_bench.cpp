// The drug lookup as the doctor meets it: one query per keystroke on a large
// 仓库 and a full rebuild of the sorted result list, through the real driver.
#include <benchmark/benchmark.h>

#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "bench/support/bench_main.h"
#include "forms/entry/entry_window.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"

namespace {

constexpr int kDrugs = 100000;

// Codes of two to six letters in which D is common, so that the one-letter
// code "D" matches about a third of the table, as a frequent initial does.
std::string randomCode(std::mt19937& random) {
    std::uniform_int_distribution<int> length(2, 6), letter(0, 25), roll(0, 99);
    std::string code;
    for (int i = length(random); i > 0; --i)
        code += roll(random) < 9 ? 'D' : char('A' + letter(random));
    return code;
}

std::string randomName(std::mt19937& random, int serial) {
    static const char* const parts[] = {"当", "归", "甘", "草", "黄", "芪", "白", "术", "茯",
                                        "苓", "川", "芎", "地", "骨", "皮", "山", "药", "丹"};
    std::uniform_int_distribution<int> pick(0, std::size(parts) - 1), length(2, 4);
    std::string name;
    for (int i = length(random); i > 0; --i) name += parts[pick(random)];
    return name + std::to_string(serial % 97);
}

std::vector<rx::test::Drug> manyDrugs() {
    std::mt19937 random(20240503);
    std::vector<rx::test::Drug> drugs;
    drugs.reserve(kDrugs);
    for (int i = 0; i < kDrugs; ++i) {
        std::string code = randomCode(random);
        drugs.push_back({std::move(code), randomName(random, i), "片 1kg/袋"});
    }
    return drugs;
}

struct Fixture {
    rx::test::TempProgramDir dir;
    rx::test::TestProgram program{dir.path()};
    std::unique_ptr<rx::EntryWindow> window;

    Fixture() {
        std::string error;
        if (!dir.createPrescriptionDatabase(&error) ||
            !dir.createDrugDatabase(manyDrugs(), {}, &error)) {
            std::fprintf(stderr, "no database: %s\n", error.c_str());
            std::exit(1);
        }
        window = std::make_unique<rx::EntryWindow>(program.context());
        window->show();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_HerbalLookup(benchmark::State& state, const char* code) {
    rx::EntryWindow& w = *fixture().window;
    const QString text = QString::fromLatin1(code);
    for (auto _ : state) {
        state.PauseTiming();
        w.编辑框_选择药品->clear();  // an empty code looks nothing up
        state.ResumeTiming();
        w.编辑框_选择药品->setText(text);  // the text-changed handler runs the lookup
    }
    if (!fixture().program.shown().empty()) state.SkipWithError("the lookup failed");
    state.counters["rows"] = w.查询列表框->rowCount();
}
BENCHMARK_CAPTURE(BM_HerbalLookup, one_letter, "D")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HerbalLookup, three_letters, "DGA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HerbalLookup, no_match, "QQQQQQ")->Unit(benchmark::kMillisecond);

}  // namespace

// The window goes while the application object still lives.
void rx::bench::finish() {
    fixture().window.reset();
}
