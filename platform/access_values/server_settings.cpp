#include "platform/access_values/server_settings.h"

#include <cstdlib>

#include "platform/access_values/access_types.h"
#include "platform/names/names.h"

namespace rx::access {
namespace {

struct Key {
    const char* ini;
    const char* libpq;
};

constexpr Key kKeys[] = {{"PGService", "service"},
                         {"PGHost", "host"},
                         {"PGPort", "port"},
                         {"PGDatabase", "dbname"},
                         {"PGUser", "user"},
                         {"PGPassword", "password"},
                         {"PGSSLMode", "sslmode"},
                         {"PGConnectTimeout", "connect_timeout"},
                         {"PGSSLRootCert", "sslrootcert"},
                         {"PGKeepalivesIdle", "keepalives_idle"},
                         {"PGKeepalivesInterval", "keepalives_interval"},
                         {"PGKeepalivesCount", "keepalives_count"},
                         {"PGTCPUserTimeout", "tcp_user_timeout"}};

// Only these name the server in catalog names and tools; the rest is tuning.
bool namesServer(std::string_view kw) {
    return kw == "service" || kw == "host" || kw == "port" || kw == "dbname" || kw == "user";
}

std::string baseName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// An entry with a folder in it names one file; a bare name, any file of that name.
bool listed(const std::string& files, const std::string& dbq) {
    size_t start = 0;
    while (start <= files.size()) {
        size_t end = files.find_first_of(",; \t", start);
        if (end == std::string::npos) end = files.size();
        const std::string entry = files.substr(start, end - start);
        if (!entry.empty() &&
            (entry.find_first_of("/\\") != std::string::npos ? entry == dbq
                                                             : sameName(entry, baseName(dbq))))
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::optional<ServerSettings> serverSettings(const std::string& dsn, const std::string& driver,
                                             const std::string& dbq, const ProfileReader& read) {
    // Only data sources are configured: a text that names the driver and a
    // file (rxdb, a copy's other side) always means that file.
    if (dsn.empty()) return std::nullopt;
    // The DSN's own section speaks first; the driver's section serves every DSN of the driver.
    std::string driverSection = read(dsn, "Driver", "odbc.ini");
    if (driverSection.empty()) driverSection = driver;
    auto value = [&](const char* key) {
        std::string v = read(dsn, key, "odbc.ini");
        if (v.empty() && !driverSection.empty()) v = read(driverSection, key, "odbcinst.ini");
        return v;
    };
    ServerSettings s;
    bool named = false;
    for (const Key& k : kKeys) {
        std::string v = value(k.ini);
        if (v.empty()) continue;
        const std::string_view kw = k.libpq;
        named |= kw == "service" || kw == "host" || kw == "dbname";
        s.keywords.emplace_back(k.libpq, std::move(v));
    }
    if (!named) return std::nullopt;
    if (const std::string t = value("PGStatementTimeout"); !t.empty())
        s.statementTimeoutS = std::atoi(t.c_str());
    std::string files = value("PGFiles");
    if (files.empty()) files = names::kPrescriptionFile;
    if (!dbq.empty() && !listed(files, dbq)) return std::nullopt;
    for (const auto& [k, v] : s.keywords) {
        if (!namesServer(k)) continue;
        s.location += (s.location.empty() ? "" : " ") + k + "=" + v;
    }
    s.location = "PostgreSQL " + s.location;
    return s;
}

}  // namespace rx::access
