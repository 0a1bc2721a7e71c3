#pragma once
// One main for every benchmark (bench_main.cpp): the application object the
// benchmark's windows or fonts need, a scratch folder, Google Benchmark's
// runs, and the benchmark's own set-up and teardown around them. A benchmark
// defines the hooks it needs; the others do nothing.

#include <string>

namespace rx::bench {

// Before the runs; false ends the program with status 1. dir is an empty
// folder of the run's own, removed at the end.
bool prepare(const std::string& dir);
// After the runs, while the application object still lives (windows go here).
void finish();

}  // namespace rx::bench
