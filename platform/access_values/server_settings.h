#pragma once
// Where a data source keeps its rows when its administrator put them on a
// PostgreSQL server: the PG* keys of the DSN's section in odbc.ini, or of the
// driver's section in odbcinst.ini. The program's connection text never
// chooses; without these keys every database stays the local file.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rx::access {

struct ServerSettings {
    // libpq connection keywords and values (host, port, dbname, user, password, service).
    std::vector<std::pair<std::string, std::string>> keywords;
    // The server and database as catalog functions and tools show them; no password.
    std::string location;
    // PGStatementTimeout: seconds any statement may take; 0 for the driver's default.
    int statementTimeoutS = 0;
};

// Reads one key of one ini section ("odbc.ini" or "odbcinst.ini"); empty when unset.
using ProfileReader =
    std::function<std::string(const std::string& section, const char* key, const char* file)>;

// The server for the database file dbq (its DBQ, from the text or the DSN),
// or nullopt when the configuration names none for that file. A connection
// without a data source always opens its file. PGFiles lists
// the files whose rows live on the server, by name (any folder) or by full
// path; without it only the prescription database sj.accdb does, and the
// drug catalogue stays local. Paths hold no spaces, commas or semicolons.
std::optional<ServerSettings> serverSettings(const std::string& dsn, const std::string& driver,
                                             const std::string& dbq, const ProfileReader& read);

}  // namespace rx::access
