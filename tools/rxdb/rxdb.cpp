#include "tools/rxdb/rxdb.h"

#include <sql.h>
#include <sqlext.h>

#include <fstream>
#include <sstream>

#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"
#include "tools/rxdb/private_files.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

std::string describe(const odbc::Error& e) {
    return e.sqlState + " " + rx::text::gb18030ToUtf8(e.message).bytes;
}

// How rxdb holds a file while it writes it.
enum class Sharing {
    Shared,     // the prescription database: WAL, so that windows and processes share it
    Exclusive,  // a drug catalogue: rollback journal, so that it opens read-only
                // even from a folder nobody may write to
};

// One connection to one file through the driver manager.
class Session {
public:
    Session(const fs::path& file, const std::string& driver, Sharing sharing,
            bool created = false) {
        odbc::Error failure;
        env_ = odbc::newEnvironment(&failure);
        std::string text = "DRIVER={" + driver + "};DBQ=" + file.string() + ";";
        if (sharing == Sharing::Exclusive) text += "Exclusive=1;";
        // The driver takes an empty file only from the one who just made it.
        if (created) text += "NewDatabase=1;";
        if (env_)
            dbc_ = odbc::driverConnect(env_, rx::text::utf8ToGb18030(text).bytes, false, &failure);
        if (!dbc_) error_ = "cannot open " + file.string() + ": " + describe(failure);
    }
    const std::string& error() const { return error_; }

    bool execute(const std::string& utf8Sql, std::string& error) {
        odbc::Error failure;
        odbc::Handle stmt = odbc::allocate(SQL_HANDLE_STMT, dbc_.get(), &failure);
        std::string gb = rx::text::utf8ToGb18030(utf8Sql).bytes;
        if (stmt) {
            auto result =
                odbc::check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(gb.data()),
                                          static_cast<SQLINTEGER>(gb.size())),
                            stmt);
            if (!result) return true;
            failure = *result;
        }
        error = describe(failure);
        return false;
    }

    bool setAutocommit(bool on) {
        return !odbc::check(
            SQLSetConnectAttr(
                dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
            dbc_);
    }
    bool end(bool commit, std::string& error) {
        auto failure = odbc::check(
            SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK), dbc_);
        if (!failure) return true;
        error = describe(*failure);
        return false;
    }

private:
    // The connection goes before its environment.
    odbc::Handle env_;
    odbc::Handle dbc_;
    std::string error_;
};

void removeDatabase(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(fs::path(file.string() + suffix), ec);
}

Status createWith(const fs::path& file, const std::vector<std::string>& schema,
                  const std::string& driver, Sharing sharing) {
    if (std::string refused = createPrivateFile(file); !refused.empty()) return {false, refused};
    std::string error;
    {
        Session s(file, driver, sharing, true);
        if (!s.error().empty()) error = s.error();
        for (size_t i = 0; error.empty() && i < schema.size(); ++i) s.execute(schema[i], error);
    }
    if (!error.empty()) {
        removeDatabase(file);
        return {false, error};
    }
    return {true, "created " + file.string()};
}

}  // namespace

std::string sqlQuoted(std::string_view value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\'') out.push_back('\'');
        out.push_back(c);
    }
    return out + "'";
}

std::vector<std::string> prescriptionSchema() {
    return {
        "CREATE TABLE 基本资料 (编号 COUNTER PRIMARY KEY, 姓名 LONGTEXT, 性别 LONGTEXT, 年龄 "
        "DOUBLE, "
        "年龄单位 LONGTEXT, 住址 LONGTEXT, 诊断 LONGTEXT, 登记时间 DATETIME, 处方号 LONGTEXT, 频率 "
        "LONGTEXT, "
        "用法 LONGTEXT, 用量单位 LONGTEXT, 现病史 LONGTEXT, 中药处方 LONGTEXT, 备注 LONGTEXT, "
        "备注2 LONGTEXT, "
        "记录 LONGTEXT)",
        "CREATE TABLE 检索 (编号 COUNTER PRIMARY KEY, 姓名 LONGTEXT, 时间 DATETIME, 主诉 LONGTEXT, "
        "首拼 LONGTEXT)",
    };
}

std::vector<std::string> drugSchema() {
    std::vector<std::string> out;
    for (const char* table : {"仓库", "西药"})
        out.push_back(
            std::string("CREATE TABLE ") + table +
            " (编号 COUNTER PRIMARY KEY, 存货编码 TEXT(50) NOT NULL, 存货名称 TEXT(255) NOT NULL, "
            "规格 TEXT(255))");
    return out;
}

Status createPrescriptionDatabase(const fs::path& file, const std::string& driver) {
    return createWith(file, prescriptionSchema(), driver, Sharing::Shared);
}

Status createDrugDatabase(const fs::path& file, const std::string& driver) {
    return createWith(file, drugSchema(), driver, Sharing::Exclusive);
}

Status importDrugRows(const fs::path& file, std::string_view table,
                      const std::vector<DrugRow>& rows, const std::string& driver) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {false, file.string() + ": no such database file"};
    // Exclusive also turns a catalogue an older rxdb left in WAL mode back into
    // one that opens read-only anywhere.
    Session s(file, driver, Sharing::Exclusive);
    if (!s.error().empty()) return {false, s.error()};
    if (!s.setAutocommit(false)) return {false, "cannot start a transaction"};
    std::string error;
    std::string prefix =
        "INSERT INTO [" + std::string(table) + "] (存货编码,存货名称,规格) values (";
    for (size_t i = 0; i < rows.size(); ++i) {
        const DrugRow& r = rows[i];
        std::string sql =
            prefix + sqlQuoted(r.code) + "," + sqlQuoted(r.name) + "," + sqlQuoted(r.packing) + ")";
        if (!s.execute(sql, error)) {
            std::string where =
                r.line > 0 ? "line " + std::to_string(r.line) : "row " + std::to_string(i + 1);
            std::string ignored;
            s.end(false, ignored);
            return {false, where + ": " + error + "; nothing was imported"};
        }
    }
    if (!s.end(true, error)) return {false, error + "; nothing was imported"};
    return {true, "imported " + std::to_string(rows.size()) + " rows into " + std::string(table)};
}

Status settleDrugDatabase(const fs::path& file, const std::string& driver) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {false, file.string() + ": no such database file"};
    // The driver's exclusive connection checkpoints and switches the journal.
    Session s(file, driver, Sharing::Exclusive);
    if (!s.error().empty()) return {false, s.error()};
    return {true, file.string() + " opens read-only anywhere now"};
}

Status importDrugs(const fs::path& file, std::string_view table, const fs::path& csv,
                   const std::string& driver) {
    std::ifstream in(csv, std::ios::binary);
    if (!in) return {false, csv.string() + ": cannot be read"};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    CsvResult parsed = parseDrugCsv(bytes.str());
    if (!parsed.ok()) return {false, csv.string() + ", " + parsed.error + "; nothing was imported"};
    return importDrugRows(file, table, parsed.rows, driver);
}

}  // namespace rx::rxdb
