#include "tools/rxdb/client.h"

#include "platform/text/gb18030.h"

namespace rx::rxdb {

namespace fs = std::filesystem;

namespace {

std::string gb(const std::string& utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}

}  // namespace

std::string fileText(const fs::path& file, const std::string& driver, const Keys& more) {
    odbc::ConnectionText text;
    text.add("DRIVER", driver).add("DBQ", file.string());
    for (const auto& [key, value] : more) text.add(key, value);
    return text.str();
}

std::string dsnText(const std::string& dsn, const fs::path& file) {
    return odbc::ConnectionText().add("DSN", dsn).add("DBQ", file.string()).str();
}

Status failure(const std::string& suffix) {
    try {
        throw;
    } catch (const Refused& r) {
        return {false, r.message + suffix};
    } catch (const odbc::Error& e) {
        return {false, describe(e) + suffix};
    }
}

odbc::Connection connect(const std::string& utf8Text) {
    return odbc::Connection(gb(utf8Text));
}

odbc::Connection opened(const std::string& utf8Text, const std::string& lead) {
    try {
        return connect(utf8Text);
    } catch (const odbc::Error& e) {
        throw Refused{lead + describe(e)};
    }
}

void execute(odbc::Connection& c, const std::string& utf8Sql) {
    c.execute(gb(utf8Sql));
}

odbc::Result query(odbc::Connection& c, const std::string& utf8Sql) {
    return c.query(gb(utf8Sql));
}

std::optional<std::string> textAt(odbc::Result& r, short position) {
    std::optional<std::string> text = r.text(position);
    if (text) *text = rx::text::gb18030ToUtf8(*text).bytes;
    return text;
}

std::string describe(const odbc::Error& e) {
    return e.sqlState + " " + rx::text::gb18030ToUtf8(e.message).bytes;
}

bool onServer(const odbc::Connection& c) {
    return c.infoText(SQL_SERVER_NAME) == "PostgreSQL";
}

std::vector<std::string> tableNames(odbc::Connection& c) {
    odbc::Statement s(c);
    static SQLCHAR type[] = "TABLE";
    odbc::Result r =
        s.result(SQLTables(s.native(), nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS));
    std::vector<std::string> names;
    while (r.next())
        if (std::optional<std::string> name = textAt(r, 2)) names.push_back(*name);
    return names;
}

std::string columnList(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "[" : ",[") + name + "]";
    return out;
}

std::string quotedWith(std::string_view value, char quote) {
    std::string out(1, quote);
    for (char c : value) {
        if (c == quote) out.push_back(quote);
        out.push_back(c);
    }
    return out + quote;
}

void removeDatabase(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(fs::path(file.string() + suffix), ec);
}

}  // namespace rx::rxdb
