// Saves under contention: several writer processes insert visits into one
// file, one autocommitted INSERT each, while reader processes run the program's
// visit search in a loop. Reports failed saves (with their SQLSTATEs), the
// insert latency (median, p99, max) and whether every row arrived once.
//   driver_contention_bench [--writers 3] [--readers 2] [--inserts 20000] [--dir DIR]
// The same executable runs the writer and reader processes.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/names/names.h"
#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"
#include "tools/rxdb/rxdb.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kSearch =
    "select * from 基本资料 where 登记时间 BETWEEN #2024-1-1# and #2024-12-31#and 姓名 "
    "like'%张%' order by 登记时间 desc";

// The SQLSTATE of a failure, for the report.
std::string stateOf(const rx::odbc::Error& e) {
    return e.sqlState.empty() ? "?????" : e.sqlState;
}

std::optional<rx::odbc::Connection> connect(const std::string& text) {
    try {
        return rx::odbc::Connection(rx::text::utf8ToGb18030(text).bytes);
    } catch (const rx::odbc::Error& e) {
        std::cerr << "connect: " << stateOf(e) << '\n';
        return std::nullopt;
    }
}

// The state of a failed statement, empty on success; a query's rows are read.
std::string run(rx::odbc::Connection& db, const std::string& utf8, long* rows = nullptr) {
    try {
        rx::odbc::Result result = db.query(rx::text::utf8ToGb18030(utf8).bytes);
        if (rows) {
            std::string cell;
            cell.reserve(4096);
            while (result.next()) {
                ++*rows;
                for (short c = 0; c < result.columns(); ++c) result.read(c, SQL_C_CHAR, cell);
            }
        }
        return "";
    } catch (const rx::odbc::Error& e) {
        return stateOf(e);
    }
}

std::string visitInsert(const std::string& name, int i) {
    return "INSERT INTO 基本资料 (姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,"
           "用量单位,现病史,中药处方,备注,备注2,记录) values ('" +
           name + std::to_string(i) + "','男','" + std::to_string(20 + i % 60) +
           "','岁','城关镇','感冒','2024年" + std::to_string(1 + i % 12) + "月" +
           std::to_string(1 + i % 28) + "日','" + std::to_string(i) +
           "','日二次','水煎服','剂','咳嗽三天','桂枝 10g 白芍 10g 甘草 6g','','','')";
}

// Writes one line per insert: microseconds taken, then the SQLSTATE if it failed.
int writer(const std::string& text, const std::string& name, int count, const std::string& out) {
    std::optional<rx::odbc::Connection> o = connect(text);
    if (!o) return 3;
    std::vector<std::pair<long, std::string>> results;
    results.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string sql = visitInsert(name, i);
        auto start = Clock::now();
        std::string state = run(*o, sql);
        long us =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        results.emplace_back(us, state);
    }
    std::ofstream f(out);
    for (const auto& [us, state] : results) f << us << ' ' << state << '\n';
    return 0;
}

int reader(const std::string& text, const std::string& stop, const std::string& out) {
    std::optional<rx::odbc::Connection> o = connect(text);
    if (!o) return 3;
    long queries = 0, failures = 0, rows = 0;
    while (!std::filesystem::exists(stop)) {
        ++queries;
        if (!run(*o, kSearch, &rows).empty()) ++failures;
    }
    std::ofstream(out) << queries << ' ' << failures << ' ' << rows << '\n';
    return 0;
}

pid_t spawn(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        std::_Exit(127);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void readOptions(const std::vector<std::string>& a, int& writers, int& readers, int& inserts,
                 std::string& dir) {
    for (size_t i = 1; i + 1 < a.size(); i += 2) {
        if (a[i] == "--writers")
            writers = std::stoi(a[i + 1]);
        else if (a[i] == "--readers")
            readers = std::stoi(a[i + 1]);
        else if (a[i] == "--inserts")
            inserts = std::stoi(a[i + 1]);
        else if (a[i] == "--dir")
            dir = a[i + 1];
    }
}

// Starts the readers and writers, waits for the writers, then stops the
// readers; `seconds` is how long the writers took. Returns how many failed.
int runProcesses(const std::string& self, const std::string& text, const std::string& dir,
                 int writers, int readers, int inserts, const char* const names[6],
                 double& seconds) {
    const std::string stop = dir + "/stop";
    std::filesystem::remove(stop);
    auto start = Clock::now();
    std::vector<pid_t> readerPids, writerPids;
    for (int r = 0; r < readers; ++r)
        readerPids.push_back(
            spawn({self, "reader", text, stop, dir + "/reader" + std::to_string(r)}));
    for (int w = 0; w < writers; ++w)
        writerPids.push_back(spawn({self, "writer", text, names[w % 6] + std::to_string(w) + "-",
                                    std::to_string(inserts), dir + "/writer" + std::to_string(w)}));
    int bad = 0;
    for (pid_t p : writerPids) bad += waitFor(p) != 0;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::ofstream(stop) << "stop\n";
    for (pid_t p : readerPids) bad += waitFor(p) != 0;
    return bad;
}

// The writers' lines: each insert's microseconds, and the failures by SQLSTATE.
void readWriterLines(const std::string& dir, int writers, std::vector<long>& latencies,
                     std::map<std::string, int>& failures) {
    for (int w = 0; w < writers; ++w) {
        std::ifstream f(dir + "/writer" + std::to_string(w));
        std::string line;
        while (std::getline(f, line)) {
            latencies.push_back(std::stol(line));
            std::string state = line.substr(line.find(' ') + 1);
            if (!state.empty()) ++failures[state];
        }
    }
}

// Every name once: a lost or doubled save shows here.
long lostOrDoubledRows(const std::string& text, const std::string& dir, int writers, int inserts,
                       const char* const names[6]) {
    std::optional<rx::odbc::Connection> check = connect(text);
    long lostOrDoubled = 0;
    if (check) {
        for (int w = 0; w < writers; ++w) {
            long rows = 0;
            std::string prefix = names[w % 6] + std::to_string(w) + "-";
            run(*check, "select 姓名 from 基本资料 where 姓名 like '" + prefix + "%'", &rows);
            int failed = 0;
            std::ifstream f(dir + "/writer" + std::to_string(w));
            std::string line;
            while (std::getline(f, line)) failed += line.back() != ' ';
            lostOrDoubled += std::labs(rows - (inserts - failed));
        }
    }
    return lostOrDoubled;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv, argv + argc);
    if (a.size() == 6 && a[1] == "writer") return writer(a[2], a[3], std::stoi(a[4]), a[5]);
    if (a.size() == 5 && a[1] == "reader") return reader(a[2], a[3], a[4]);

    int writers = 3, readers = 2, inserts = 20000;
    std::string dir;
    readOptions(a, writers, readers, inserts, dir);
    if (dir.empty()) {
        char pattern[] = "/tmp/rx_contention_XXXXXX";
        if (!mkdtemp(pattern)) return 2;
        dir = pattern;
    }
    const std::string file = dir + "/" + rx::names::kPrescriptionFile;
    std::filesystem::remove(file);
    if (auto s = rx::rxdb::createPrescriptionDatabase(file, RX_ACCESS_DRIVER_PATH); !s) {
        std::cerr << s.message << '\n';
        return 2;
    }
    const std::string text =
        rx::odbc::ConnectionText().add("DRIVER", RX_ACCESS_DRIVER_PATH).add("DBQ", file).str();

    const char* const names[] = {"张三", "李四", "王五", "赵六", "张七", "孙八"};
    double seconds = 0;
    const int bad = runProcesses(a[0], text, dir, writers, readers, inserts, names, seconds);

    std::vector<long> latencies;
    std::map<std::string, int> failures;
    readWriterLines(dir, writers, latencies, failures);
    long queries = 0, queryFailures = 0;
    for (int r = 0; r < readers; ++r) {
        long q = 0, f = 0, rows = 0;
        std::ifstream(dir + "/reader" + std::to_string(r)) >> q >> f >> rows;
        queries += q;
        queryFailures += f;
    }
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double p) {
        return latencies.empty() ? 0.0
                                 : latencies[std::min(latencies.size() - 1,
                                                      static_cast<size_t>(p * latencies.size()))] /
                                       1000.0;
    };

    const long lostOrDoubled = lostOrDoubledRows(text, dir, writers, inserts, names);
    int failedTotal = 0;
    for (const auto& [state, n] : failures) failedTotal += n;
    std::printf("writers %d x %d inserts, readers %d, %.1f s, %ld searches (%ld failed)\n", writers,
                inserts, readers, seconds, queries, queryFailures);
    std::printf("failed inserts: %d", failedTotal);
    for (const auto& [state, n] : failures) std::printf(" %s=%d", state.c_str(), n);
    std::printf("\ninsert latency ms: median %.2f  p99 %.2f  p99.9 %.2f  max %.2f\n", at(0.5),
                at(0.99), at(0.999), latencies.empty() ? 0.0 : latencies.back() / 1000.0);
    std::printf("rows lost or doubled: %ld\n", lostOrDoubled);
    return bad == 0 && lostOrDoubled == 0 ? 0 : 1;
}
