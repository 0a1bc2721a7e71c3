#pragma once
// RAII over ODBC handles and the one checker every ODBC call goes through,
// without Qt, for the program's database layer, rxdb and the driver tests.
// A failed call becomes an Error carrying the driver's SQLSTATE and message.

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>
#include <utility>

namespace rx::odbc {

struct Error {
    std::string sqlState;  // five characters, e.g. "42S02"
    std::string message;   // as the driver gave it (GB18030 for ours)
};

inline bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    Handle(Handle&& other) noexcept
        : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Frees the handle; a connection is disconnected first.
    void reset();
    SQLHANDLE release() { return std::exchange(handle_, nullptr); }

private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = nullptr;
};

// The first diagnostic record of the handle, its message read whole however
// long it is; HY000 with a note when the handle has none.
Error diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// Nothing when the call succeeded, else the handle's diagnostics.
std::optional<Error> check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle);
inline std::optional<Error> check(SQLRETURN rc, const Handle& handle) {
    return check(rc, handle.type(), handle.get());
}

// A handle of the type under parent (SQL_NULL_HANDLE for an environment), or
// nothing and the parent's diagnostics.
Handle allocate(SQLSMALLINT type, SQLHANDLE parent, Error* error = nullptr);

// A fresh ODBC 3 environment.
Handle newEnvironment(Error* error = nullptr);

// Connects a new connection handle of the environment with the connection text
// (already in the driver's encoding), never prompting; nothing and the error
// when the driver refuses. readOnly asks for SQL_MODE_READ_ONLY first.
Handle driverConnect(const Handle& environment, std::string connectText, bool readOnly,
                     Error* error);

}  // namespace rx::odbc
