// Every rxdb command on files in a folder whose name a connection text could
// mistake for its own punctuation: each must reach exactly the file it was
// given, and nothing may appear beside the folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_program_dir.h"
#include "tests/tools/rxdb_command.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Rows of a table read by SQLite itself, so that the check does not share
// the connection text's rules with what it checks; -1 when it cannot be read.
long long rowsIn(const fs::path& file, const std::string& table) {
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
std::string expanded(const fs::path& folder, const std::string& word) {
    if (word.rfind("@/", 0) != 0) return word;
    const fs::path path = folder / word.substr(2);
    if (word.back() != '*') return path.string();
    const std::string prefix = path.filename().string();
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path.parent_path(), ec))
        if (e.path().filename().string().rfind(prefix.substr(0, prefix.size() - 1), 0) == 0)
            return e.path().string();
    return path.string();
}

struct Step {
    std::vector<std::string> args;
    const char* said;  // part of what rxdb prints
    const char* file;  // then holds rows of table
    const char* table;
    long long rows;
};

TEST(RxdbAwkwardFolder, EveryCommandReachesTheFileItWasGiven) {
    test::TempProgramDir program;
    const fs::path top = program.path().toStdString() + "/top";
    const fs::path dir = top / test::kAwkwardFolder;
    fs::create_directories(dir / "backups");
    std::ofstream(dir / "drugs.csv") << "存货编码,存货名称,规格\nDG,当归,1kg\n";
    const std::string sjAccess = RX_ACCESS_FIXTURES "/sj.accdb";
    const Step steps[] = {
        {{"create-prescriptions", "@/sj.accdb"}, "created", "@/sj.accdb", "基本资料", 0},
        {{"create-drugs", "@/xs.mdb"}, "created", "@/xs.mdb", "西药", 0},
        {{"import-drugs", "@/xs.mdb", "仓库", "@/drugs.csv"},
         "imported 1 rows",
         "@/xs.mdb",
         "仓库",
         1},
        {{"settle-drugs", "@/xs.mdb"}, "read-only", "@/xs.mdb", "仓库", 1},
        {{"import-access", "--replace", sjAccess, "@/sj.accdb"},
         "imported into",
         "@/sj.accdb",
         "基本资料",
         22},
        {{"backup", "@/backups", "@/"}, "integrity ok", "@/backups/sj-*", "检索", 11},
        {{"restore", "--force", "@/backups/xs-*", "@/"}, "restored", "@/xs.mdb", "仓库", 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args[0]);
        std::vector<std::string> args = {"--driver",
                                         test::TempProgramDir::driverPath().toStdString()};
        for (const std::string& word : step.args) args.push_back(expanded(dir, word));
        test::CommandRun run = test::runRxdb(args);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_THAT(run.output, HasSubstr(step.said));
        EXPECT_EQ(rowsIn(expanded(dir, step.file), step.table), step.rows);
    }
    // A cut connection text would have made or written a file named after the
    // folder's first part, beside it.
    for (const std::string& f : test::filesUnder(top))
        EXPECT_EQ(f.rfind(test::kAwkwardFolder, 0), 0u) << f;
}

}  // namespace
}  // namespace rx::rxdb
