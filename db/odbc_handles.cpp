#include "db/odbc_handles.h"

#include <QDebug>

#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {

OdbcError fromOdbc(const odbc::Error& error) {
    return {QString::fromLatin1(error.sqlState.data(), qsizetype(error.sqlState.size())),
            rx::text::fromGb18030(error.message.data(), qsizetype(error.message.size()))};
}

std::optional<OdbcError> failureOf(SQLRETURN rc, const OdbcHandle& handle) {
    if (auto failure = odbc::check(rc, handle)) return fromOdbc(*failure);
    return std::nullopt;
}

OdbcHandle newStatement(SQLHDBC connection, OdbcError* error) {
    odbc::Error failure;
    OdbcHandle statement = odbc::allocate(SQL_HANDLE_STMT, connection, &failure);
    if (!statement && error) *error = fromOdbc(failure);
    return statement;
}

OdbcHandle driverConnect(OdbcHandle& environment, const QByteArray& connectText, bool readOnly,
                         OdbcError* error) {
    odbc::Error failure;
    if (!environment) environment = odbc::newEnvironment(&failure);
    OdbcHandle connection;
    if (environment)
        connection =
            odbc::driverConnect(environment, connectText.toStdString(), readOnly, &failure);
    if (!connection && error) *error = fromOdbc(failure);
    return connection;
}

void logFailure(const QString& what, const std::optional<OdbcError>& error) {
    const QString why = error ? describe(*error) : u"a row could not be read"_s;
    qWarning().noquote() << what + u" failed: "_s + why;
}

QString describe(const OdbcError& error) {
    if (error.isMisuse()) return u"not sent to the driver: "_s + error.message;
    return u"SQLSTATE "_s + error.sqlState + u": "_s + error.message;
}

}  // namespace rx::db
