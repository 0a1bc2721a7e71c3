#include "db/odbc_error.h"

#include <QDebug>

#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {

OdbcError fromOdbc(const odbc::Error& error) {
    return {QString::fromLatin1(error.sqlState.data(), qsizetype(error.sqlState.size())),
            rx::text::fromGb18030(error.message.data(), qsizetype(error.message.size())),
            int(error.native)};
}

QString describe(const OdbcError& error) {
    if (error.isMisuse()) return u"not sent to the driver: "_s + error.message;
    return QString::fromStdString(
        odbc::logLine(error.sqlState.toStdString(), error.native, error.message.toStdString()));
}

void logFailure(const QString& what, const std::optional<OdbcError>& error) {
    const QString why = error ? describe(*error) : u"a row could not be read"_s;
    qWarning().noquote() << what + u" failed: "_s + why;
}

}  // namespace rx::db
