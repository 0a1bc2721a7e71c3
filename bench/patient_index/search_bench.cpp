// The patient index search as the doctor meets it: 查询 on a 检索 of 100 000
// rows with an empty name filter over a range that holds them all, through the
// real driver, the list emptied and filled again at each click.
#include <benchmark/benchmark.h>

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "bench/support/bench_main.h"
#include "db/date_forms.h"
#include "forms/patient_index/patient_index_window.h"
#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"
#include "platform/ui/report_list_view.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"

namespace {

constexpr int kRows = 100000;
const QDate kFirstDay(2019, 1, 1);
constexpr int kDays = 6 * 365;

std::string pick(std::mt19937& random, std::initializer_list<const char*> parts, int count) {
    std::uniform_int_distribution<std::size_t> index(0, parts.size() - 1);
    std::string text;
    for (int i = 0; i < count; ++i) text += parts.begin()[index(random)];
    return text;
}

// One INSERT per row with the date as the window writes it, in a single transaction so that the
// load takes seconds, not one synchronous commit per row.
bool loadRows(const std::string& connectText, std::string& error) {
    try {
        rx::odbc::Connection db(connectText);
        // One transaction for all rows: the fixture, not what is measured.
        rx::odbc::Transaction transaction(db);
        rx::odbc::Statement insert(db);
        std::mt19937 random(20240503);
        std::uniform_int_distribution<int> day(0, kDays - 1), length(1, 2);
        for (int i = 0; i < kRows; ++i) {
            const QDate date = kFirstDay.addDays(day(random));
            const std::string sql =
                "INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('" +
                pick(random, {"张", "王", "李", "赵", "陈", "杨", "黄", "吴", "刘", "欧阳"}, 1) +
                pick(random, {"伟", "芳", "娜", "敏", "静", "磊", "洋", "勇", "军", "杰"},
                     length(random)) +
                "','" + rx::db::dateToText(date).toStdString() + "','" +
                pick(random, {"咳嗽", "发热", "头痛", "腹泻", "乏力", "三天", "一周", "加重"}, 4) +
                "','ZS')";
            insert.executeDirect(rx::text::utf8ToGb18030(sql).bytes);
        }
        transaction.commit();
        return true;
    } catch (const rx::odbc::Error& e) {
        error = e.sqlState + " " + rx::text::gb18030ToUtf8(e.message).bytes;
        return false;
    }
}

struct Fixture {
    rx::test::TempProgramDir dir;
    rx::test::TestProgram program{dir.path()};
    std::unique_ptr<rx::PatientIndexWindow> window;

    Fixture() {
        std::string error;
        if (!dir.createPrescriptionDatabase(&error) ||
            !loadRows(dir.prescriptionConnectionText(), error)) {
            std::fprintf(stderr, "no database: %s\n", error.c_str());
            std::exit(1);
        }
        window = std::make_unique<rx::PatientIndexWindow>(program.context(), nullptr);
        window->show();
        window->日期框2->setDate(kFirstDay);
        window->日期框3->setDate(kFirstDay.addDays(kDays));
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_SearchAllRows(benchmark::State& state) {
    rx::PatientIndexWindow& w = *fixture().window;
    w.编辑框_检索姓名->clear();
    for (auto _ : state) w.按钮2->click();
    if (w.超级列表框1->rowCount() != kRows) state.SkipWithError("the list is not the whole table");
    state.counters["rows"] = w.超级列表框1->rowCount();
}
BENCHMARK(BM_SearchAllRows)->Unit(benchmark::kMillisecond);

}  // namespace

// The window goes while the application object still lives.
void rx::bench::finish() {
    fixture().window.reset();
}
