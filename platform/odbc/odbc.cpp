#include "platform/odbc/odbc.h"

#include <vector>

namespace rx::odbc {

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void Handle::reset() {
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
    std::vector<SQLCHAR> text(512);
    SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, text.data(),
                                 SQLSMALLINT(text.size()), &length);
    // The first call tells the whole length when the message did not fit.
    if (rc == SQL_SUCCESS_WITH_INFO && std::size_t(length) >= text.size()) {
        text.resize(std::size_t(length) + 1);
        rc = SQLGetDiagRec(type, handle, 1, state, &native, text.data(), SQLSMALLINT(text.size()),
                           &length);
    }
    if (!succeeded(rc)) return {"HY000", "the driver gave no diagnostics"};
    const std::size_t shown = std::min(std::size_t(length < 0 ? 0 : length), text.size() - 1);
    return {std::string(reinterpret_cast<const char*>(state), 5),
            std::string(reinterpret_cast<const char*>(text.data()), shown)};
}

std::optional<Error> check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (succeeded(rc)) return std::nullopt;
    if (rc == SQL_INVALID_HANDLE) return Error{"HY000", "invalid handle"};
    return diagnostics(type, handle);
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
    if (auto failure = check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION,
                                           reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                             env)) {
        if (error) *error = *failure;
        return {};
    }
    return env;
}

Handle driverConnect(const Handle& environment, std::string connectText, bool readOnly,
                     Error* error) {
    Handle connection = allocate(SQL_HANDLE_DBC, environment.get(), error);
    if (!connection) return {};
    std::optional<Error> failure;
    if (readOnly)
        failure = check(SQLSetConnectAttr(connection.get(), SQL_ATTR_ACCESS_MODE,
                                          reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0),
                        connection);
    if (!failure)
        failure =
            check(SQLDriverConnect(
                      connection.get(), nullptr, reinterpret_cast<SQLCHAR*>(connectText.data()),
                      SQLSMALLINT(connectText.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
                  connection);
    if (failure) {
        if (error) *error = *failure;
        // Never connected, so the handle is freed without a disconnect.
        SQLFreeHandle(SQL_HANDLE_DBC, connection.release());
        return {};
    }
    return connection;
}

}  // namespace rx::odbc
