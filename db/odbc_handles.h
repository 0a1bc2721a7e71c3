#pragma once
// RAII over ODBC handles and the one checker every ODBC call goes through:
// a failed call becomes an OdbcError carrying the SQLSTATE of the driver.

#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

namespace rx::db {

struct OdbcError {
    QString sqlState;  // five characters, e.g. "42S02"; "HY000" when none was given
    QString message;
};

class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    OdbcHandle(OdbcHandle&& other) noexcept
        : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle() { reset(); }

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset();
    SQLHANDLE release();

private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = nullptr;
};

// Allocates a handle of the type under parent (SQL_NULL_HANDLE for an
// environment); an empty handle when that fails.
OdbcHandle allocateHandle(SQLSMALLINT type, SQLHANDLE parent);

inline bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The first diagnostic record of the handle.
OdbcError diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle);

// Nothing when the call succeeded, else its diagnostics.
std::optional<OdbcError> check(SQLRETURN rc, const OdbcHandle& handle);

// A fresh ODBC 3 environment.
OdbcHandle newEnvironment();

// Connects a new connection handle of the environment with the connect text
// (already in GB18030), never prompting; an empty handle and the error when
// the driver refuses.
OdbcHandle driverConnect(const OdbcHandle& environment, const QByteArray& connectText,
                         bool readOnly, OdbcError* error);

}  // namespace rx::db
