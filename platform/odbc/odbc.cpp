#include "platform/odbc/odbc.h"

#include <algorithm>

namespace rx::odbc {
namespace {

SQLCHAR* sqlText(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

}  // namespace

std::string logLine(std::string_view sqlState, SQLINTEGER native, std::string_view message) {
    std::string line = "SQLSTATE ";
    line.append(sqlState);
    line += ", native error " + std::to_string(native) + ": ";
    line.append(message);
    return line;
}

std::string Error::logLine() const {
    return odbc::logLine(sqlState, native, message);
}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void Handle::reset() noexcept {
    if (!handle_) return;
    if (type_ == SQL_HANDLE_DBC) SQLDisconnect(handle_);  // harmless when never connected
    SQLFreeHandle(type_, handle_);
    handle_ = nullptr;
}

Error diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    if (!handle) return {"HY000", "no handle to read diagnostics from"};
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::string text(512, '\0');
    const auto read = [&] {
        return SQLGetDiagRec(type, handle, 1, state, &native, sqlText(text),
                             static_cast<SQLSMALLINT>(text.size()), &length);
    };
    SQLRETURN rc = read();
    // The first call tells the whole length when the message did not fit.
    if (rc == SQL_SUCCESS_WITH_INFO && static_cast<std::size_t>(length) >= text.size()) {
        text.resize(static_cast<std::size_t>(length) + 1);
        rc = read();
    }
    if (!succeeded(rc)) return {"HY000", "the driver gave no diagnostics"};
    text.resize(
        std::min(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1));
    return {std::string(reinterpret_cast<const char*>(state), 5), std::move(text), native};
}

std::optional<Error> check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (succeeded(rc)) return std::nullopt;
    if (rc == SQL_INVALID_HANDLE) return Error{"HY000", "invalid handle"};
    return diagnostics(type, handle);
}

void require(SQLRETURN rc, const Handle& handle) {
    if (auto failure = check(rc, handle)) throw std::move(*failure);
}

Handle allocate(SQLSMALLINT type, SQLHANDLE parent, Error* error) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle);
    if (succeeded(rc) && handle) return {type, handle};
    if (error) {
        const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
        *error = parent ? diagnostics(parentType, parent)
                        : Error{"HY001", "the driver manager could not allocate a handle"};
    }
    return {};
}

Handle newEnvironment(Error* error) {
    Handle env = allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE, error);
    if (!env) return {};
    if (auto failure =
            check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, attributeValue(SQL_OV_ODBC3), 0),
                  env)) {
        if (error) *error = *failure;
        return {};
    }
    return env;
}

Handle driverConnect(const Handle& environment, std::string connectText, bool readOnly,
                     Error* error) {
    Error failure;
    Handle handle = allocate(SQL_HANDLE_DBC, environment.get(), &failure);
    if (handle) {
        try {
            if (readOnly)
                require(SQLSetConnectAttr(handle.get(), SQL_ATTR_ACCESS_MODE,
                                          attributeValue(SQL_MODE_READ_ONLY), 0),
                        handle);
            require(SQLDriverConnect(handle.get(), nullptr, sqlText(connectText),
                                     static_cast<SQLSMALLINT>(connectText.size()), nullptr, 0,
                                     nullptr, SQL_DRIVER_NOPROMPT),
                    handle);
            return handle;
        } catch (Error& e) {
            failure = std::move(e);
        }
        // Never connected, so the handle is freed without a disconnect.
        SQLFreeHandle(SQL_HANDLE_DBC, handle.release());
    }
    if (error) *error = std::move(failure);
    return {};
}

std::string connectionValue(std::string_view value) {
    static constexpr std::string_view special = ";{}=[]()?*!@,";
    const bool plain = !value.empty() && value.find_first_of(special) == std::string_view::npos &&
                       value.front() != ' ' && value.back() != ' ';
    if (plain) return std::string(value);
    std::string braced = "{";
    for (const char c : value) {
        braced += c;
        if (c == '}') braced += '}';
    }
    return braced + '}';
}

ConnectionText& ConnectionText::add(std::string_view key, std::string_view value) {
    if (!text_.empty() && text_.back() != ';') text_ += ';';
    text_.append(key);
    text_ += '=';
    text_ += connectionValue(value);
    return *this;
}

Environment::Environment() {
    Error failure;
    handle_ = newEnvironment(&failure);
    if (!handle_) throw failure;
}

Connection::Connection() : environment_(std::make_unique<Environment>()) {
    Error failure;
    handle_ = allocate(SQL_HANDLE_DBC, environment_->native(), &failure);
    if (!handle_) throw failure;
}

Connection::Connection(std::string_view connectText, Access access) : Connection() {
    connect(connectText, access);
}

void Connection::connect(std::string_view connectText, Access access, std::string* completed) {
    disconnect();
    if (access == Access::ReadOnly) setAttribute(SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY);
    std::string text(connectText);
    std::string out(completed ? 4096 : 0, '\0');
    SQLSMALLINT outLength = 0;
    require(
        SQLDriverConnect(native(), nullptr, sqlText(text), static_cast<SQLSMALLINT>(text.size()),
                         completed ? sqlText(out) : nullptr, static_cast<SQLSMALLINT>(out.size()),
                         &outLength, SQL_DRIVER_NOPROMPT),
        handle_);
    connected_ = true;
    if (completed)
        *completed = out.substr(
            0, std::min<std::size_t>(static_cast<std::size_t>(outLength), out.size() - 1));
}

void Connection::connectDsn(std::string_view dsn) {
    disconnect();
    std::string name(dsn);
    require(SQLConnect(native(), sqlText(name), static_cast<SQLSMALLINT>(name.size()), nullptr, 0,
                       nullptr, 0),
            handle_);
    connected_ = true;
}

void Connection::disconnect() noexcept {
    if (connected_ && handle_) SQLDisconnect(handle_.get());
    connected_ = false;
}

void Connection::execute(std::string_view sql) {
    Statement(*this).executeDirect(sql);
}

Result Connection::query(std::string_view sql) {
    return Statement(*this).executeDirect(sql);
}

void Connection::setAttribute(SQLINTEGER attribute, SQLULEN value) {
    require(SQLSetConnectAttr(native(), attribute, attributeValue(value), 0), handle_);
}

void Connection::setAutocommit(bool on) {
    setAttribute(SQL_ATTR_AUTOCOMMIT, on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
}

void Connection::commit() {
    require(SQLEndTran(SQL_HANDLE_DBC, native(), SQL_COMMIT), handle_);
}

void Connection::rollback() {
    require(SQLEndTran(SQL_HANDLE_DBC, native(), SQL_ROLLBACK), handle_);
}

SQLUINTEGER Connection::infoNumber(SQLUSMALLINT info) const {
    SQLUINTEGER value = 0;
    require(SQLGetInfo(native(), info, &value, sizeof value, nullptr), handle_);
    return value;
}

std::string Connection::infoText(SQLUSMALLINT info) const {
    std::string value(512, '\0');
    SQLSMALLINT length = 0;
    require(
        SQLGetInfo(native(), info, value.data(), static_cast<SQLSMALLINT>(value.size()), &length),
        handle_);
    value.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                       value.size() - 1));
    return value;
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.setAutocommit(false);
}

Transaction::~Transaction() {
    // A failure here has nowhere to go: the connection's next call reports it.
    if (!done_) SQLEndTran(SQL_HANDLE_DBC, connection_.native(), SQL_ROLLBACK);
    SQLSetConnectAttr(connection_.native(), SQL_ATTR_AUTOCOMMIT, attributeValue(SQL_AUTOCOMMIT_ON),
                      0);
}

void Transaction::commit() {
    connection_.commit();
    done_ = true;
}

}  // namespace rx::odbc
