#pragma once
// Running the built rxdb as an administrator does, on files in a folder whose
// name holds every character a connection text treats specially, and
// checking that each command reached exactly the file it was given.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace rx::test {

// ';' ends a value in a connection text, braces quote one, and the space and
// the Chinese characters are what a clinic's folder names hold anyway.
inline const char* const kAwkwardFolder = "c;d {x} 仓库";

struct CommandRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// rxdb with these arguments, each passed as one word whatever it holds.
inline CommandRun runRxdb(const std::vector<std::string>& args) {
    std::string line = "'" RX_RXDB_EXE "'";
    for (const std::string& a : args) {
        line += " '";
        for (char c : a) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += "'";
    }
    CommandRun run;
    if (FILE* p = ::popen((line + " 2>&1").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) run.output.append(buf, n);
        const int status = ::pclose(p);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Rows of a table read by SQLite itself, so that the check does not share
// the connection text's rules with what it checks; -1 when it cannot be read.
inline long long rowsIn(const std::filesystem::path& file, const std::string& table) {
    sqlite3* db = nullptr;
    long long n = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        const std::string sql = "SELECT count(*) FROM \"" + table + "\"";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return n;
}

// "@/" stands for the folder; a trailing '*' picks the first name that
// starts with what comes before it (a backup's name holds the time).
inline std::string expanded(const std::filesystem::path& folder, const std::string& word) {
    if (word.rfind("@/", 0) != 0) return word;
    const std::filesystem::path path = folder / word.substr(2);
    if (word.back() != '*') return path.string();
    const std::string prefix = path.filename().string();
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path.parent_path(), ec))
        if (e.path().filename().string().rfind(prefix.substr(0, prefix.size() - 1), 0) == 0)
            return e.path().string();
    return path.string();
}

struct RxdbStep {
    std::vector<std::string> args;
    const char* said;  // part of what rxdb prints
    const char* file;  // then holds rows of table; "" for the server
    const char* table;
    long long rows;
};

// Runs the steps in order in folder (an awkward one inside top), each
// command checked by its words and the rows it left; serverRows counts a
// table on the server. Nothing may appear in top outside folder.
inline void runSteps(const std::filesystem::path& top, const std::filesystem::path& folder,
                     const std::vector<RxdbStep>& steps,
                     const std::function<long long(const std::string&)>& serverRows = {}) {
    for (const RxdbStep& step : steps) {
        std::vector<std::string> args;
        std::string line = "rxdb";
        for (const std::string& word : step.args) {
            args.push_back(expanded(folder, word));
            line += " " + word;
        }
        SCOPED_TRACE(line);
        CommandRun run = runRxdb(args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_THAT(run.output, ::testing::HasSubstr(step.said));
        EXPECT_EQ(
            *step.file ? rowsIn(expanded(folder, step.file), step.table) : serverRows(step.table),
            step.rows);
    }
    // A cut connection text would have made or written a file named after the
    // folder's first part, beside it.
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(top, ec))
        EXPECT_EQ(e.path(), folder) << "rxdb wrote beside the folder";
}

}  // namespace rx::test
