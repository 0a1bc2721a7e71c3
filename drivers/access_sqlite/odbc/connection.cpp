#include <odbcinst.h>

#include <cstring>

#include "drivers/access_sqlite/odbc/connection_text.h"
#include "drivers/access_sqlite/odbc/handles.h"
#include "drivers/access_sqlite/server/pg_backend.h"
#include "platform/access_values/server_settings.h"

namespace rx::access {
namespace {

constexpr const char* kPrefix = "[rx][Access SQLite Driver]";

std::string profileValueIn(const std::string& section, const char* key, const char* file) {
    char buf[4096] = {};
    SQLGetPrivateProfileString(section.c_str(), key, "", buf, sizeof buf, file);
    return buf;
}

std::string profileValue(const std::string& dsn, const char* key) {
    return profileValueIn(dsn, key, "odbc.ini");
}

std::optional<ServerSettings> serverFor(const ConnectionText& text, const std::string& dsn,
                                        const std::string& dbq) {
    return serverSettings(dsn, text.get("DRIVER").value_or(""), dbq, &profileValueIn);
}

bool readOnlyRequested(const ConnectionText& text, const std::string& dsn) {
    if (auto v = text.get("ReadOnly")) return isTrueValue(*v);
    if (auto v = text.get("Mode")) return sameName(*v, "Read");
    return !dsn.empty() && isTrueValue(profileValue(dsn, "ReadOnly"));
}

bool exclusiveRequested(const ConnectionText& text, const std::string& dsn) {
    if (auto v = text.get("Exclusive")) return isTrueValue(*v);
    return !dsn.empty() && isTrueValue(profileValue(dsn, "Exclusive"));
}

std::string completed(const ConnectionText& text, const std::string& dbq) {
    std::string out;
    bool wroteDbq = false;
    for (const auto& [k, v] : text.entries) {
        const std::string& value = sameName(k, "DBQ") ? dbq : v;
        if (sameName(k, "DBQ")) wroteDbq = true;
        bool brace = value.find_first_of(";{}") != std::string::npos || sameName(k, "DRIVER");
        out += k + "=" + (brace ? braced(value) : value) + ";";
    }
    if (!wroteDbq)
        out += "DBQ=" + (dbq.find_first_of(";{}") != std::string::npos ? braced(dbq) : dbq) + ";";
    return out;
}

}  // namespace

void Diagnostics::add(ErrorKind kind, const std::string& message) {
    records.push_back({sqlState(kind), kPrefix + message, 0});
}

void Connection::connect(const std::string& connectionText) {
    if (db) raise(ErrorKind::AlreadyConnected, "Connection already open");
    ConnectionText text = parseConnectionText(connectionText);
    std::string dsn = text.get("DSN").value_or("");
    std::string dbq = text.get("DBQ").value_or("");
    if (dbq.empty() && !dsn.empty()) dbq = profileValue(dsn, "DBQ");
    OpenOptions options;
    options.readOnly = readOnlyMode || readOnlyRequested(text, dsn);
    // The administrator's configuration, not the program, puts a database on a server.
    if (std::optional<ServerSettings> server = serverFor(text, dsn, dbq)) {
        PgOptions pg;
        pg.readOnly = options.readOnly;
        pg.lockTimeoutMs = options.busyTimeoutMs;
        if (loginTimeout > 0) pg.connectTimeoutS = static_cast<int>(loginTimeout);
        db = std::make_unique<PgBackend>(std::move(*server), pg);
        dataSource = dsn;
        completedText = completed(text, dbq);
        return;
    }
    if (dbq.empty()) raise(ErrorKind::ConnectFailed, "No database file named: give DBQ=<file>");
    options.exclusive = exclusiveRequested(text, dsn);
    options.newDatabase = isTrueValue(text.get("NewDatabase").value_or(""));
    db = std::make_unique<Database>(dbq, options);
    dataSource = dsn;
    completedText = completed(text, dbq);
}

void Connection::connectDsn(const std::string& dsn) {
    std::string dbq = profileValue(dsn, "DBQ");
    if (dbq.empty() && serverSettings(dsn, "", "", &profileValueIn)) return connect("DSN=" + dsn);
    if (dbq.empty())
        raise(ErrorKind::ConnectFailed, "Data source '" + dsn + "' names no database file (DBQ)");
    connect("DSN=" + dsn + ";DBQ=" + braced(dbq));
}

void Connection::disconnect() {
    for (Statement* s : statements) s->release();
    db.reset();
}

Backend& Connection::database() {
    if (!db) raise(ErrorKind::NotConnected, "Connection not open");
    return *db;
}

void Connection::beginIfManual(bool writes) {
    if (!autocommit && db && !db->inTransaction()) db->begin(writes);
}

void Connection::endTransaction(bool commit) {
    Backend& d = database();
    if (!d.inTransaction()) return;  // nothing open
    d.endTransaction(commit);
}

void Connection::setAttribute(SQLINTEGER attr, SQLPOINTER value) {
    auto number = static_cast<SQLULEN>(reinterpret_cast<uintptr_t>(value));
    switch (attr) {
        case SQL_ATTR_AUTOCOMMIT: {
            bool on = number == SQL_AUTOCOMMIT_ON;
            // Turning autocommit back on commits what is open, as ODBC requires.
            if (on && !autocommit && db && db->inTransaction()) db->endTransaction(true);
            autocommit = on;
            return;
        }
        case SQL_ATTR_ACCESS_MODE:
            readOnlyMode = number == SQL_MODE_READ_ONLY;
            return;
        case SQL_ATTR_LOGIN_TIMEOUT:
            loginTimeout = static_cast<SQLUINTEGER>(number);
            return;
        case SQL_ATTR_CONNECTION_TIMEOUT:
        case SQL_ATTR_QUIET_MODE:
        case SQL_ATTR_PACKET_SIZE:
        case SQL_ATTR_ODBC_CURSORS:
        case SQL_ATTR_TRACE:
        case SQL_ATTR_TRACEFILE:
        case SQL_ATTR_CURRENT_CATALOG:
            return;
        case SQL_ATTR_TXN_ISOLATION:
            if (number != SQL_TXN_SERIALIZABLE)
                raise(ErrorKind::OptionValueChanged, "Isolation is serializable");
            return;
        default:
            raise(ErrorKind::InvalidAttribute,
                  "Connection attribute " + std::to_string(attr) + " not supported");
    }
}

void Connection::getAttribute(SQLINTEGER attr, SQLPOINTER value, SQLINTEGER bufferLength,
                              SQLINTEGER* length) {
    SQLUINTEGER v = 0;
    switch (attr) {
        case SQL_ATTR_AUTOCOMMIT:
            v = autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
            break;
        case SQL_ATTR_ACCESS_MODE:
            v = (db ? db->readOnly() : readOnlyMode) ? SQL_MODE_READ_ONLY : SQL_MODE_READ_WRITE;
            break;
        case SQL_ATTR_LOGIN_TIMEOUT:
            v = loginTimeout;
            break;
        case SQL_ATTR_CONNECTION_TIMEOUT:
            v = 0;
            break;
        case SQL_ATTR_TXN_ISOLATION:
            // A server's sessions stay at its read committed, so that saves from
            // several rooms wait for each other instead of failing to serialize.
            v = db && db->dialect() == Dialect::Postgres ? SQL_TXN_READ_COMMITTED
                                                         : SQL_TXN_SERIALIZABLE;
            break;
        case SQL_ATTR_CONNECTION_DEAD:
            v = db && db->alive() ? SQL_CD_FALSE : SQL_CD_TRUE;
            break;
        case SQL_ATTR_CURRENT_CATALOG: {
            std::string path = db ? db->location() : std::string();
            if (length) *length = static_cast<SQLINTEGER>(path.size());
            if (value && bufferLength > 0) {
                size_t n = std::min(path.size(), static_cast<size_t>(bufferLength - 1));
                std::memcpy(value, path.data(), n);
                static_cast<char*>(value)[n] = 0;
            }
            return;
        }
        default:
            raise(ErrorKind::InvalidAttribute,
                  "Connection attribute " + std::to_string(attr) + " not supported");
    }
    if (value) *static_cast<SQLUINTEGER*>(value) = v;
    if (length) *length = sizeof(SQLUINTEGER);
}

}  // namespace rx::access
