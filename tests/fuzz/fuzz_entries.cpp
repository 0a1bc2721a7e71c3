#include "tests/fuzz/fuzz_entries.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "drivers/access_sqlite/odbc/connection_text.h"
#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sql/parser.h"
#include "drivers/access_sqlite/sqlite/storage.h"
#include "drivers/access_sqlite/sql/translator.h"
#include "platform/text/gb18030.h"

namespace rx::fuzz {
namespace {

using namespace rx::access;

// The program's tables, as rxdb creates them.
constexpr const char* kSchema[] = {
    "CREATE TABLE 基本资料 (编号 COUNTER PRIMARY KEY, 姓名 LONGTEXT, 性别 LONGTEXT, 年龄 DOUBLE, "
    "年龄单位 LONGTEXT, 住址 LONGTEXT, 诊断 LONGTEXT, 登记时间 DATETIME, 处方号 LONGTEXT, 频率 "
    "LONGTEXT, 用法 LONGTEXT, 用量单位 LONGTEXT, 现病史 LONGTEXT, 中药处方 LONGTEXT, 备注 "
    "LONGTEXT, 备注2 LONGTEXT, 记录 LONGTEXT)",
    "CREATE TABLE 检索 (编号 COUNTER PRIMARY KEY, 姓名 LONGTEXT, 时间 DATETIME, 主诉 LONGTEXT, "
    "首拼 "
    "LONGTEXT)",
    "CREATE TABLE 仓库 (编号 COUNTER PRIMARY KEY, 存货编码 TEXT(50) NOT NULL, 存货名称 TEXT(255) "
    "NOT NULL, 规格 TEXT(255))",
    "CREATE TABLE 西药 (编号 COUNTER PRIMARY KEY, 存货编码 TEXT(50) NOT NULL, 存货名称 TEXT(255) "
    "NOT NULL, 规格 TEXT(255), 数量 LONG, 有效 YESNO)",
};

class NoTables : public Catalog {
public:
    const TableInfo* findTable(std::string_view) const override { return nullptr; }
};

// One database file per process, made through the driver's own translation,
// so that the catalog the fuzzed statements meet is the one a connection sees.
class ProgramDatabase {
public:
    ProgramDatabase() {
        char name[] = "/tmp/rx_fuzz_XXXXXX";
        int fd = ::mkstemp(name);
        if (fd < 0) std::abort();
        ::close(fd);
        path_ = name;
        std::remove(path_.c_str());
        sqlite3* raw = nullptr;
        if (sqlite3_open(path_.c_str(), &raw) != SQLITE_OK) std::abort();
        for (const char* ddl : kSchema) {
            ParseResult p = parse(ddl);
            if (!p.statement) std::abort();
            Translation t = translate(*p.statement, NoTables());
            if (sqlite3_exec(raw, t.sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
                std::abort();
        }
        sqlite3_close(raw);
        db_ = std::make_unique<Database>(path_, OpenOptions{});
    }
    ~ProgramDatabase() {
        db_.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
    }
    Database& db() { return *db_; }

private:
    std::string path_;
    std::unique_ptr<Database> db_;
};

bool validUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::string feedStatement(std::string_view gb18030) {
    static ProgramDatabase program;
    rx::text::Converted utf8 = rx::text::gb18030ToUtf8(gb18030);
    if (!utf8.exact) return {};  // refused at the ODBC boundary
    ParseResult parsed = parse(utf8.bytes);
    if (!parsed.statement) return parsed.error.empty() ? "refused without a message" : "";
    Translation t;
    try {
        t = translate(*parsed.statement, program.db());
    } catch (const DriverError&) {
        return {};  // refused before SQLite: what must happen to anything it cannot take
    }
    try {
        SqliteStatement s = program.db().prepare(t.sql);
        if (sqlite3_bind_parameter_count(s.get()) != static_cast<int>(t.params.size()))
            return "parameter count differs: " + t.sql;
    } catch (const DriverError& e) {
        return "SQLite refused the translation (" + e.message + "): " + t.sql.substr(0, 400);
    }
    return {};
}

std::string feedConnectionText(std::string_view text) {
    ConnectionText parsed = parseConnectionText(text);
    std::string rebuilt;
    for (const auto& [key, value] : parsed.entries) {
        if (key.empty() || key.find_first_of("=;") != std::string::npos)
            return "key '" + key + "' holds a separator";
        if (key.front() == ' ' || key.back() == ' ') return "key '" + key + "' is not trimmed";
        isTrueValue(value);
        if (value.find('}') == std::string::npos)
            rebuilt += key + "={" + value + "};";
        else if (value.find(';') == std::string::npos && !value.starts_with('{'))
            rebuilt += key + "=" + value + ";";
        else
            return {};  // no way to write this value again; nothing to compare
    }
    if (parseConnectionText(rebuilt).entries != parsed.entries)
        return "rebuilt text parses differently: " + rebuilt;
    return {};
}

std::string feedGb18030(std::string_view bytes) {
    using namespace rx::text;
    Converted utf8 = gb18030ToUtf8(bytes);
    if (!validUtf8(utf8.bytes)) return "GB18030 conversion made invalid UTF-8";
    if (utf8.exact != (utf8.firstInvalid == std::string_view::npos))
        return "exactness and the offset disagree";
    if (!utf8.exact && utf8.firstInvalid >= bytes.size()) return "offset beyond the input";
    // Bytes may come back in another form: iconv reads both FE51 and 95329031 as
    // U+20087 (the 2000 and 2005 tables) but writes FE51. What must hold is that
    // the same characters come back.
    if (utf8.exact && gb18030ToUtf8(utf8ToGb18030(utf8.bytes).bytes).bytes != utf8.bytes)
        return "exact GB18030 text does not keep its characters";
    Converted gb = utf8ToGb18030(bytes);
    if (gb.exact != (gb.firstInvalid == std::string_view::npos))
        return "exactness and the offset disagree (UTF-8)";
    if (gb.exact && !validUtf8(bytes)) return "invalid UTF-8 taken as exact";
    if (gb.exact && gb18030ToUtf8(gb.bytes).bytes != bytes)
        return "exact UTF-8 text does not round-trip";
    return {};
}

}  // namespace rx::fuzz
