#include "bench/support/bench_main.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#ifdef RX_BENCH_GUI
#include <QApplication>
#endif

namespace rx::bench {

__attribute__((weak)) bool prepare(const std::string&) {
    return true;
}

__attribute__((weak)) void finish() {}

}  // namespace rx::bench

int main(int argc, char** argv) {
#ifdef RX_BENCH_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    char pattern[] = "/tmp/rx_bench.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    int status = 1;
    if (rx::bench::prepare(dir)) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        rx::bench::finish();
        status = 0;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
