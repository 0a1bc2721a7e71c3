// Loading and printing one page of the largest templates the format accepts,
// each of which must take well under 2 s: the shipped slip with a
// 4 096-character caption at 200 points over a range, 100 000 merged ranges,
// and 100 000 cells with text and borders in a tall and a wide table.
//   bench_grid_templates [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/grid/grd_format.h"
#include "platform/grid/grid_painter.h"

namespace {

using namespace rx::grid;

QByteArray caption() {
    QFile slip(QStringLiteral(RX_TEMPLATE_DIR "/处方笺.grd"));
    if (!slip.open(QIODevice::ReadOnly)) return {};
    // Distinct characters, so that no glyph is measured only once.
    QString text;
    for (int i = 0; i < 4096; ++i) text += QChar(0x4E00 + (i * 7) % 20000);
    return slip.readAll() + "cell 7,1:23,2 text=\"" + text.toUtf8() + "\" size=200\n";
}

QByteArray merges() {
    QByteArray bytes = "rxgrid 1\nsize 2000 50\n";
    for (int r = 1; r <= 2000; ++r)
        for (int c = 1; c <= 50; ++c)
            bytes += QStringLiteral("merge %1,%2\n").arg(r).arg(c).toUtf8();
    return bytes;
}

QByteArray filled(int rows, int columns) {
    return QStringLiteral("rxgrid 1\nsize %1 %2\ncell all text=\"处方笺 12\" border=all\n")
        .arg(rows)
        .arg(columns)
        .toUtf8();
}

void loadAndPrint(benchmark::State& state, const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    for (auto _ : state) {
        const std::optional<GridTable> table = parseGrd(bytes);
        if (!table || !renderPdf(*table, pdf)) state.SkipWithError("refused or not written");
    }
}

void BM_Caption4096At200pt(benchmark::State& state) {
    loadAndPrint(state, caption());
}
void BM_Merges100000(benchmark::State& state) {
    loadAndPrint(state, merges());
}
void BM_Table2000x50(benchmark::State& state) {
    loadAndPrint(state, filled(2000, 50));
}
void BM_Table200x500(benchmark::State& state) {
    loadAndPrint(state, filled(200, 500));
}

BENCHMARK(BM_Caption4096At200pt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merges100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Table2000x50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Table200x500)->Unit(benchmark::kMillisecond);

}  // namespace
