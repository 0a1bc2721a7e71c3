#include "tools/rxdb/backup.h"

#include <odbcinst.h>
#include <sqlite3.h>

#include <map>
#include <memory>

#include "db/schema.h"
#include "platform/access_values/server_settings.h"
#include "tools/rxdb/private_files.h"

#ifndef RX_DATA_DIR
#define RX_DATA_DIR "/var/lib/rx-workstation"
#endif

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

using TableCounts = std::map<std::string, long long>;

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

constexpr int kBusyWaitMs = 10000;

// Opens an existing file; workstations may hold it, so waits stay bounded.
Db openFile(const fs::path& file, bool write, std::string& error) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &raw,
                             write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(raw, kBusyWaitMs);
    if (rc != SQLITE_OK)
        error = file.string() + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    return rc == SQLITE_OK ? std::move(db) : nullptr;
}

// Runs sql and returns the first column of its rows; error says why it failed.
std::vector<std::string> column(sqlite3* db, const std::string& sql, std::string& error) {
    std::vector<std::string> out;
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    while (rc == SQLITE_OK && (rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(raw, 0);
        out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
    return out;
}

std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

TableCounts countRows(sqlite3* db, std::string& error) {
    TableCounts counts;
    auto tables = column(
        db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%'", error);
    for (size_t i = 0; error.empty() && i < tables.size(); ++i) {
        auto n = column(db, "SELECT count(*) FROM " + quotedName(tables[i]), error);
        if (error.empty()) counts[tables[i]] = std::stoll(n.at(0));
    }
    return counts;
}

std::string describe(const TableCounts& counts) {
    std::string out;
    for (const auto& [table, n] : counts)
        out += (out.empty() ? "" : ", ") + table + " " + std::to_string(n) + " rows";
    return out.empty() ? "no tables" : out;
}

// integrity_check and the tables' rows; error says what is wrong with the file.
TableCounts checkedCounts(sqlite3* db, std::string& error) {
    auto verdict = column(db, "PRAGMA integrity_check", error);
    if (error.empty() && (verdict.empty() || verdict[0] != "ok"))
        error =
            "integrity check failed: " + (verdict.empty() ? std::string("no answer") : verdict[0]);
    return error.empty() ? countRows(db, error) : TableCounts{};
}

// Copies every page of from into to in one step, so that the copy is one
// moment of the source even while others write it.
std::string copyPages(sqlite3* from, sqlite3* to) {
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) return sqlite3_errmsg(to);
    int rc = sqlite3_backup_step(b, -1);
    int finished = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) return sqlite3_errstr(rc);
    return finished == SQLITE_OK ? std::string() : sqlite3_errmsg(to);
}

std::string execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? std::string()
                                                                         : sqlite3_errmsg(db);
}

// What the source holds in one read transaction, copied within that same transaction.
std::string copyChecked(sqlite3* src, sqlite3* dst, TableCounts& counts) {
    std::string error = execute(src, "BEGIN");
    if (error.empty()) counts = countRows(src, error);
    if (error.empty()) error = copyPages(src, dst);
    execute(src, "COMMIT");
    if (error.empty()) error = execute(dst, "PRAGMA journal_mode=DELETE");
    TableCounts copied;
    if (error.empty()) copied = checkedCounts(dst, error);
    if (error.empty() && copied != counts)
        error = "the copy holds " + describe(copied) + ", the original " + describe(counts);
    return error;
}

std::string profileValue(const std::string& section, const char* key, const char* file) {
    char buf[1024] = {};
    SQLGetPrivateProfileString(section.c_str(), key, "", buf, sizeof buf, file);
    return buf;
}

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

fs::path defaultDataDir() {
    return RX_DATA_DIR;
}

std::string backupStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return buf;
}

std::string restoredName(const fs::path& backup) {
    const std::string name = backup.filename().string();
    for (const fs::path& target :
         {fs::path(names::kPrescriptionFile), fs::path(names::kDrugFile)}) {
        const bool extOk = backup.extension() == target.extension();
        if (name == target.string() || (extOk && name.rfind(target.stem().string() + "-", 0) == 0))
            return target.string();
    }
    return {};
}

Status backupDatabase(const fs::path& file, const fs::path& dest) {
    std::string error;
    Db src = openFile(file, false, error);
    if (!src) return {false, error};
    if (error = createPrivateFile(dest); !error.empty()) return {false, error};
    Db dst = openFile(dest, true, error);
    TableCounts counts;
    if (dst) error = copyChecked(src.get(), dst.get(), counts);
    dst.reset();
    if (!error.empty()) {
        std::error_code ec;
        fs::remove(dest, ec);
        return {false, dest.string() + ": " + error};
    }
    return {true, dest.string() + ": integrity ok, " + describe(counts)};
}

std::string pgDumpCommand(const std::vector<std::pair<std::string, std::string>>& keywords,
                          const fs::path& file) {
    std::string conninfo;
    for (const auto& [k, v] : keywords) {
        if (k == "password") continue;
        std::string value;
        for (char c : v)
            value += (c == '\'' || c == '\\') ? std::string("\\") + c : std::string(1, c);
        conninfo += (conninfo.empty() ? "" : " ") + k + "='" + value + "'";
    }
    return "pg_dump --format=custom --file=" + shellQuoted(file.string()) +
           " --dbname=" + shellQuoted(conninfo);
}

Status backupDataFolder(const fs::path& dataDir, const fs::path& destDir, const std::string& stamp,
                        const std::string& dsn) {
    std::error_code ec;
    if (!fs::is_directory(destDir, ec)) return {false, destDir.string() + ": no such folder"};
    Status all{true, {}};
    for (const char* name : {names::kPrescriptionFile, names::kDrugFile}) {
        const fs::path file = dataDir / name;
        const fs::path stem = fs::path(name).stem();
        auto server = access::serverSettings(dsn, {}, file.string(), profileValue);
        Status one;
        if (server)
            one = {true, name + std::string(" is kept on the server; back it up with:\n  ") +
                             pgDumpCommand(server->keywords,
                                           destDir / (stem.string() + "-" + stamp + ".pgdump"))};
        else
            one = backupDatabase(file, destDir / (stem.string() + "-" + stamp +
                                                  fs::path(name).extension().string()));
        all.ok = all.ok && one.ok;
        all.message += (all.message.empty() ? "" : "\n") + one.message;
    }
    return all;
}

}  // namespace rx::rxdb

namespace rx::rxdb {

// The backup's own checks first; then the target is made or, with force,
// overwritten page by page under SQLite's locks, never swapped underneath a
// workstation that has it open.
Status restoreDatabase(const fs::path& backup, const fs::path& dataDir, bool force) {
    const std::string name = restoredName(backup);
    if (name.empty())
        return {false, backup.string() + ": its name is not that of a backup of " +
                           names::kPrescriptionFile + " or " + names::kDrugFile};
    std::string error;
    Db src = openFile(backup, false, error);
    TableCounts counts;
    if (src) counts = checkedCounts(src.get(), error);
    if (error.empty() && !counts.count(std::string(name == names::kPrescriptionFile
                                                       ? db::schema::kVisits.name
                                                       : db::schema::kHerbalDrugs.name)))
        error = "it holds none of the tables of " + name;
    if (!error.empty()) return {false, backup.string() + ": refused, " + error};
    const fs::path target = dataDir / name;
    std::error_code ec;
    const bool existed = fs::exists(target, ec);
    if (existed && !force)
        return {false, target.string() + " exists; it is replaced only with --force"};
    if (!existed && !(error = createPrivateFile(target)).empty()) return {false, error};
    Db dst = openFile(target, true, error);
    TableCounts restored;
    if (dst) error = copyPages(src.get(), dst.get());
    if (error.empty()) restored = checkedCounts(dst.get(), error);
    if (error.empty() && restored != counts)
        error = "it holds " + describe(restored) + " after the copy";
    dst.reset();
    if (!error.empty()) {
        if (!existed) fs::remove(target, ec);
        return {false, target.string() + ": " + error};
    }
    return {true, "restored " + target.string() + ": integrity ok, " + describe(restored)};
}

}  // namespace rx::rxdb
