#include "tools/rxdb/rxdb.h"

#include <fstream>
#include <sstream>

#include "db/schema.h"
#include "tools/rxdb/client.h"
#include "tools/rxdb/private_files.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

// How rxdb holds a file while it writes it.
enum class Sharing {
    Shared,     // the prescription database: WAL, so that windows and processes share it
    Exclusive,  // a drug catalogue: rollback journal, so that it opens read-only
                // even from a folder nobody may write to
};

// One connection to one file through the driver manager; throws Refused.
odbc::Connection openFile(const fs::path& file, const std::string& driver, Sharing sharing,
                          bool created = false) {
    Keys keys;
    if (sharing == Sharing::Exclusive) keys.emplace_back("Exclusive", "1");
    // The driver takes an empty file only from the one who just made it.
    if (created) keys.emplace_back("NewDatabase", "1");
    return opened(fileText(file, driver, keys), "cannot open " + file.string() + ": ");
}

Status createWith(const fs::path& file, const std::vector<std::string>& schema,
                  const std::string& driver, Sharing sharing) {
    if (std::string refused = createPrivateFile(file); !refused.empty()) return {false, refused};
    try {
        odbc::Connection c = openFile(file, driver, sharing, true);
        for (const std::string& sql : schema) execute(c, sql);
    } catch (...) {
        Status s = failure();
        removeDatabase(file);
        return s;
    }
    return {true, "created " + file.string()};
}

// The rows into an open catalogue in one transaction; the failing one named.
Status insertDrugRows(odbc::Connection& c, std::string_view table,
                      const std::vector<DrugRow>& rows) {
    odbc::Transaction t(c);
    const std::string prefix = "INSERT INTO [" + std::string(table) + "] (" +
                               db::schema::columnList(db::schema::kHerbalDrugs, ",") + ") values (";
    for (size_t i = 0; i < rows.size(); ++i) {
        const DrugRow& r = rows[i];
        try {
            execute(c, prefix + sqlQuoted(r.code) + "," + sqlQuoted(r.name) + "," +
                           sqlQuoted(r.packing) + ")");
        } catch (const odbc::Error& e) {
            const std::string where =
                r.line > 0 ? "line " + std::to_string(r.line) : "row " + std::to_string(i + 1);
            return {false, where + ": " + describe(e) + "; nothing was imported"};
        }
    }
    t.commit();
    return {true, "imported " + std::to_string(rows.size()) + " rows into " + std::string(table)};
}

}  // namespace

std::string sqlQuoted(std::string_view value) {
    return quotedWith(value, '\'');
}

std::vector<std::string> prescriptionSchema() {
    return {db::schema::createStatement(db::schema::kVisits),
            db::schema::createStatement(db::schema::kIndex)};
}

std::vector<std::string> drugSchema() {
    return {db::schema::createStatement(db::schema::kHerbalDrugs),
            db::schema::createStatement(db::schema::kWesternDrugs)};
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
    try {
        // Exclusive also turns a catalogue an older rxdb left in WAL mode back into
        // one that opens read-only anywhere.
        odbc::Connection c = openFile(file, driver, Sharing::Exclusive);
        return insertDrugRows(c, table, rows);
    } catch (const Refused& r) {
        return {false, r.message};
    } catch (...) {
        return failure("; nothing was imported");
    }
}

Status settleDrugDatabase(const fs::path& file, const std::string& driver) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {false, file.string() + ": no such database file"};
    try {
        // The driver's exclusive connection checkpoints and switches the journal.
        openFile(file, driver, Sharing::Exclusive);
    } catch (...) {
        return failure();
    }
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
