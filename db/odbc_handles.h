#pragma once
// The database layer's face of the shared ODBC layer (platform/odbc): the
// same handles and checker, with errors in QString.

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/odbc/odbc.h"

namespace rx::db {

struct OdbcError {
    // The driver's SQLSTATE, e.g. "42S02"; empty for the program's own misuse
    // (a statement on a closed connection, say), which never reached a driver.
    QString sqlState;
    QString message;

    static OdbcError misuse(const QString& what) { return {QString(), what}; }
    bool isMisuse() const { return sqlState.isEmpty(); }
};

using OdbcHandle = odbc::Handle;
using odbc::succeeded;

OdbcError fromOdbc(const odbc::Error& error);

// Nothing when the call succeeded, else its diagnostics.
std::optional<OdbcError> failureOf(SQLRETURN rc, const OdbcHandle& handle);

// A statement handle on the connection, or nothing and the connection's diagnostics.
OdbcHandle newStatement(SQLHDBC connection, OdbcError* error);

// Connects with the connect text (already in GB18030), never prompting; an
// empty handle and the error when the driver refuses. The environment is made
// on first use.
OdbcHandle driverConnect(OdbcHandle& environment, const QByteArray& connectText, bool readOnly,
                         OdbcError* error);

// "SQLSTATE 42S02: …" for the administrator's log.
QString describe(const OdbcError& error);

// Writes why `what` failed to the program's log (standard error, which a
// desktop session or the system journal keeps), so that an administrator can
// tell why a user saw a failure box. No error: the result broke off part way.
void logFailure(const QString& what, const std::optional<OdbcError>& error);

}  // namespace rx::db
