// Filling report lists: result windows insert every row at the top, and the
// drug lookup rebuilds its sorted list on every keystroke.
#include <benchmark/benchmark.h>

#include "platform/ui/report_list_view.h"

namespace {

QString drugName(int i) {
    // Names that do not arrive in order, as a database returns them.
    return QStringLiteral("药%1").arg((i * 7919) % 100000, 6, 10, QLatin1Char('0'));
}

void BM_InsertAtTop(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        rx::ui::ReportListView list;
        for (int c = 0; c < 4; ++c) list.addColumn(QStringLiteral("列"), 100);
        list.resize(456, 456);
        list.show();  // a shown list, as in the result windows
        for (int i = 0; i < rows; ++i)
            list.insertRow(
                0, {drugName(i), QString::number(i), QStringLiteral("g"), QStringLiteral("口服")});
        benchmark::DoNotOptimize(list.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_InsertAtTop)->Arg(100000)->Unit(benchmark::kMillisecond);

// The shown list is rebuilt in place, as the lookup does: delete all, refill.
void BM_SortedRebuild(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    rx::ui::ReportListView list;
    list.addColumn(QStringLiteral("选择药品"), 100);
    list.setSorted(true);
    list.resize(188, 456);
    list.show();
    for (auto _ : state) {
        list.deleteAllRows();
        rx::ui::ReportListView::BulkUpdate bulk(list);
        for (int i = 0; i < rows; ++i) list.insertRow(0, {drugName(i)});
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_SortedRebuild)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Single sorted inserts without the bulk guard, for comparison.
void BM_SortedSingleInserts(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        rx::ui::ReportListView list;
        list.addColumn(QStringLiteral("选择药品"), 100);
        list.setSorted(true);
        for (int i = 0; i < rows; ++i) list.insertRow(0, {drugName(i)});
        benchmark::DoNotOptimize(list.rowCount());
    }
}
BENCHMARK(BM_SortedSingleInserts)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
