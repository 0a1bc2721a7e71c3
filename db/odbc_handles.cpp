#include "db/odbc_handles.h"

#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

SQLHANDLE OdbcHandle::release() {
    return std::exchange(handle_, nullptr);
}

void OdbcHandle::reset() {
    if (!handle_) return;
    if (type_ == SQL_HANDLE_DBC) SQLDisconnect(handle_);  // harmless when never connected
    SQLFreeHandle(type_, handle_);
    handle_ = nullptr;
}

OdbcHandle allocateHandle(SQLSMALLINT type, SQLHANDLE parent) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    if (!succeeded(SQLAllocHandle(type, parent, &handle))) return {};
    return {type, handle};
}

OdbcError diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRec(type, handle, 1, state, &native, text, SQLSMALLINT(sizeof text), &length);
    if (!succeeded(rc)) return {u"HY000"_s, {}};
    const qsizetype shown = qMin<qsizetype>(length, qsizetype(sizeof text) - 1);
    return {QString::fromLatin1(reinterpret_cast<const char*>(state), 5),
            rx::text::fromGb18030(reinterpret_cast<const char*>(text), shown)};
}

std::optional<OdbcError> check(SQLRETURN rc, const OdbcHandle& handle) {
    if (succeeded(rc)) return std::nullopt;
    if (rc == SQL_INVALID_HANDLE || !handle) return OdbcError{u"HY000"_s, u"invalid handle"_s};
    return diagnosticsOf(handle.type(), handle.get());
}

OdbcHandle newEnvironment() {
    OdbcHandle env = allocateHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (env)
        SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      0);
    return env;
}

OdbcHandle driverConnect(const OdbcHandle& environment, const QByteArray& connectText,
                         bool readOnly, OdbcError* error) {
    OdbcHandle connection =
        environment ? allocateHandle(SQL_HANDLE_DBC, environment.get()) : OdbcHandle{};
    if (!connection) {
        if (error) *error = {u"HY001"_s, u"no connection handle"_s};
        return {};
    }
    if (readOnly)
        SQLSetConnectAttr(connection.get(), SQL_ATTR_ACCESS_MODE,
                          reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    QByteArray text = connectText;
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(connection.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                         SQLSMALLINT(text.size()), completed, SQLSMALLINT(sizeof completed),
                         &completedLength, SQL_DRIVER_NOPROMPT);
    if (auto failure = check(rc, connection)) {
        if (error) *error = *failure;
        // Never connected, so the handle is freed without a disconnect.
        SQLFreeHandle(SQL_HANDLE_DBC, connection.get());
        connection.release();
        return {};
    }
    return connection;
}

}  // namespace rx::db
