#pragma once
// A database failure as the windows and the log see it: the client layer's
// error (platform/odbc) with its texts in QString.

#include <QString>
#include <optional>

#include "platform/odbc/odbc.h"

namespace rx::db {

struct OdbcError {
    // The driver's SQLSTATE, e.g. "42S02"; empty for the program's own misuse
    // (a statement on a closed connection, say), which never reached a driver.
    QString sqlState;
    QString message;
    int native = 0;  // the driver's own error code

    static OdbcError misuse(const QString& what) { return {QString(), what}; }
    bool isMisuse() const { return sqlState.isEmpty(); }
};

// The message arrives in the driver's encoding, GB18030.
OdbcError fromOdbc(const odbc::Error& error);

// "SQLSTATE 42S02, native error 1: …" for the administrator's log.
QString describe(const OdbcError& error);

// Writes why `what` failed to the program's log (standard error, which a
// desktop session or the system journal keeps), so that an administrator can
// tell why a user saw a failure box. No error: the result broke off part way.
void logFailure(const QString& what, const std::optional<OdbcError>& error);

}  // namespace rx::db
