// The query window's search as the doctor meets it: 查询 on a 基本资料 of
// 100 000 visits that all lie in the range, through the real driver: the
// statement, the read of fourteen columns a row and the fill of the list.
// Once with an empty name filter (every row listed), once with a name that
// 50 of them carry; and the same statement and reads without the list, to
// tell the database's share from the list's. Each on the local file and on a
// PostgreSQL server holding the same visits (a private cluster on a Unix
// socket, started for the run), side by side.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "bench/support/bench_main.h"
#include "bench/support/bench_server.h"
#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "forms/query/query_columns.h"
#include "forms/query/query_window.h"
#include "platform/odbc/odbc.h"
#include "platform/text/qt_text.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"
#include "tools/rxdb/rxdb.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// RX_QUERY_BENCH_ROWS=1000000 for the million-visit run; peak_rss_MB then
// tells each store's memory when one store is run per process
// (--benchmark_filter=all_rows_file, then all_rows_server).
const int kRows = [] {
    const int n = qEnvironmentVariableIntValue("RX_QUERY_BENCH_ROWS");
    return n > 0 ? n : 100000;
}();
constexpr int kNamed = 50;  // rows whose name holds kFoundName
const QString kFoundName = QStringLiteral("欧阳雪");
const QDate kFirstDay(2019, 1, 1);
constexpr int kDays = 6 * 365;

QString pick(std::mt19937& random, const QStringList& parts, int count) {
    std::uniform_int_distribution<qsizetype> index(0, parts.size() - 1);
    QString text;
    for (int i = 0; i < count; ++i) text += parts[index(random)];
    return text;
}

// A visit as the entry window saves it, with a prescription of about ten drugs.
rx::db::Visit visit(std::mt19937& random, int serial) {
    static const QStringList family = {u"张"_s, u"王"_s, u"李"_s, u"赵"_s, u"陈"_s,
                                       u"杨"_s, u"黄"_s, u"吴"_s, u"刘"_s, u"欧阳"_s};
    static const QStringList given = {u"伟"_s, u"芳"_s, u"娜"_s, u"敏"_s, u"静"_s,
                                      u"磊"_s, u"洋"_s, u"勇"_s, u"军"_s, u"杰"_s};
    static const QStringList drugs = {u"炙甘草10g,"_s, u"当归6g,"_s,  u"黄芪15g,"_s,
                                      u"白术9g,"_s,    u"茯苓12g,"_s, u"川芎6g,"_s,
                                      u"熟地黄12g,"_s, u"党参15g,"_s, u"陈皮6g,"_s};
    static const QStringList illness = {u"咳嗽"_s, u"发热"_s, u"头痛"_s, u"乏力"_s,
                                        u"三天"_s, u"一周"_s, u"加重"_s, u"夜间"_s};
    std::uniform_int_distribution<int> day(0, kDays - 1), length(1, 2), age(1, 90);
    rx::db::Visit v;
    v.name = serial < kNamed ? kFoundName + QString::number(serial)
                             : pick(random, family, 1) + pick(random, given, length(random));
    v.sex = serial % 2 ? u"男"_s : u"女"_s;
    v.age = QString::number(age(random));
    v.ageUnit = u"岁"_s;
    v.address = u"禾川镇东街"_s + QString::number(serial % 300) + u"号"_s;
    v.diagnosis = u"脾胃虚弱"_s;
    v.registered = rx::db::dateToText(kFirstDay.addDays(day(random)));
    v.prescriptionNumber = u"2024030509"_s + QString::number(1000 + serial % 9000);
    v.frequency = u"每天三次"_s;
    v.usage = u"口服"_s;
    v.doseUnit = u"g"_s;
    v.presentIllness = pick(random, illness, 6);
    v.herbalPrescription = pick(random, drugs, 10);
    v.remark = u"禾川1号"_s;
    v.remark2 = u"复诊"_s;
    v.newRecord = u"是"_s;
    return v;
}

// The rows go in as the entry window's statement writes them, in a single
// transaction so that the load takes seconds, not one synchronous commit a row.
bool loadRows(const std::string& connectText, std::string& error) {
    int i = 0;
    try {
        rx::odbc::Connection db(connectText);
        rx::odbc::Transaction transaction(db);
        rx::odbc::Statement insert(db);
        std::mt19937 random(20240503);
        for (; i < kRows; ++i) {
            const QByteArray sql = rx::text::toGb18030(rx::db::VisitInsert(visit(random, i)));
            insert.executeDirect(std::string_view(sql.constData(), std::size_t(sql.size())));
        }
        transaction.commit();
        return true;
    } catch (const rx::odbc::Error& e) {
        error = (i < kRows ? "row " + std::to_string(i) + " was refused: "
                           : std::string("cannot connect or commit: ")) +
                e.logLine();
        return false;
    }
}

enum class Store { File, Server };

// Both program directories are made, and the server's data source written,
// before either is read: unixODBC keeps the odbc.ini it has read. The server
// takes only its own directory's sj.accdb.
struct Stores {
    rx::test::TempProgramDir fileDir;
    rx::test::TempProgramDir serverDir;
    rx::bench::BenchServer server;
    Stores() {
        if (server.ok())
            serverDir.setDataSourceKeys(
                server.dataSourceKeys(serverDir.prescriptionDatabasePath().toStdString()));
    }
};

Stores& stores() {
    static Stores s;
    return s;
}

std::vector<QPointer<rx::QueryWindow>> gWindows;  // closed before the application ends

struct Fixture {
    rx::test::TempProgramDir& dir;
    rx::test::TestProgram program{dir.path()};
    QPointer<rx::QueryWindow> window;
    std::string error;  // why this store cannot be measured

    explicit Fixture(Store store)
        : dir(store == Store::File ? stores().fileDir : stores().serverDir) {
        if (store == Store::Server && !stores().server.ok()) {
            error = "no server: " + stores().server.error();
            return;
        }
        bool made = false;
        if (store == Store::File) {
            made = dir.createPrescriptionDatabase(&error);
        } else {
            auto s = rx::rxdb::createPrescriptionTables(
                rx::test::TempProgramDir::dataSourceName().toStdString(),
                dir.prescriptionDatabasePath().toStdString());
            made = s.ok;
            error = s.message;
        }
        if (!made || !loadRows(dir.prescriptionConnectionText(), error)) {
            std::fprintf(stderr, "no database: %s\n", error.c_str());
            std::exit(1);
        }
        error.clear();
        window = new rx::QueryWindow(program.context());
        gWindows.push_back(window);
        window->show();
        window->日期框1->setDate(kFirstDay);
        window->日期框2->setDate(kFirstDay.addDays(kDays));
    }
};

// Each store is filled only when first measured, so that a run of one store
// alone shows that store's memory.
Fixture& fixture(Store store) {
    if (store == Store::File) {
        static Fixture file(Store::File);
        return file;
    }
    static Fixture server(Store::Server);
    return server;
}

double peakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Query(benchmark::State& state, const QString& filter, int expected, Store store) {
    Fixture& f = fixture(store);
    if (!f.error.empty()) return state.SkipWithError(f.error.c_str());
    rx::QueryWindow& w = *f.window;
    w.编辑框1->setText(filter);
    for (auto _ : state) w.按钮_查询->click();
    if (w.超级列表框1->rowCount() != expected)
        state.SkipWithError("the list is not what was saved");
    state.counters["rows"] = w.超级列表框1->rowCount();
    state.counters["peak_rss_MB"] = peakRssMegabytes();
}
BENCHMARK_CAPTURE(BM_Query, all_rows_file, QString(), kRows, Store::File)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Query, all_rows_server, QString(), kRows, Store::Server)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Query, name_finds_50_file, kFoundName, kNamed, Store::File)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Query, name_finds_50_server, kFoundName, kNamed, Store::Server)
    ->Unit(benchmark::kMillisecond);

void BM_ReadWithoutList(benchmark::State& state, Store store) {
    Fixture& f = fixture(store);
    if (!f.error.empty()) return state.SkipWithError(f.error.c_str());
    rx::db::OdbcConnection connection;
    connection.Open(rx::db::prescriptionConnectionText(f.dir.path()));
    const QString sql = rx::db::VisitSearch(kFirstDay, kFirstDay.addDays(kDays), QString());
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        rx::db::readAll(connection, sql, [&](int handle) {
            for (std::size_t c = 0; c < rx::query::kListColumns.size(); ++c)
                benchmark::DoNotOptimize(rx::query::cellText(
                    int(c), connection.ReadColumn(handle, rx::query::kListColumns[c].position)));
            ++rows;
        });
    }
    if (rows != kRows) state.SkipWithError("not every row was read");
    state.counters["rows"] = rows;
}
BENCHMARK_CAPTURE(BM_ReadWithoutList, file, Store::File)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWithoutList, server, Store::Server)->Unit(benchmark::kMillisecond);

}  // namespace

// The windows go while the application object still lives.
void rx::bench::finish() {
    for (const auto& w : gWindows) delete w.data();
}
