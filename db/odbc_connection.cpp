#include "db/odbc_connection.h"

#include "db/result_cursor.h"
#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {
std::optional<QString> odbcConnectPart(const QString& connectionText) {
    static const QString prefix = u"ODBC;"_s;
    if (!connectionText.startsWith(prefix, Qt::CaseInsensitive)) return std::nullopt;
    return connectionText.mid(prefix.size());
}

OdbcConnection::OdbcConnection() = default;

OdbcConnection::~OdbcConnection() {
    Close();
}

OdbcError OdbcConnection::notRunnable(const QString& sql) const {
    if (sql.isEmpty()) return OdbcError::misuse(u"empty statement"_s);
    // Why the connection is not there is what the log needs to show.
    if (openError_) return *openError_;
    return OdbcError::misuse(u"not connected"_s);
}

void OdbcConnection::fail(OdbcError error) {
    lastError_ = std::move(error);
}

bool OdbcConnection::Open(const QString& connectionText, bool readOnly, bool /*prompt*/) {
    Close();
    const std::optional<QString> connectPart = odbcConnectPart(connectionText);
    if (!connectPart) {
        openError_ = OdbcError::misuse(u"the connection text does not start with ODBC;"_s);
        fail(*openError_);
        return false;
    }
    OdbcError error;
    connection_ = driverConnect(environment_, rx::text::toGb18030(*connectPart), readOnly, &error);
    if (!connection_) {
        openError_ = error;
        fail(std::move(error));
        return false;
    }
    openError_.reset();
    open_ = true;
    lastError_.reset();
    return true;
}

bool OdbcConnection::IsOpen() const {
    return open_;
}

bool OdbcConnection::Execute(const QString& sql) {
    if (sql.isEmpty() || !open_) {
        fail(notRunnable(sql));
        return false;
    }
    OdbcError error;
    OdbcHandle statement = newStatement(connection_.get(), &error);
    if (!statement) {
        fail(std::move(error));
        return false;
    }
    QByteArray bytes = rx::text::toGb18030(sql);
    const SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(bytes.data()),
                                       SQLINTEGER(bytes.size()));
    // An UPDATE or DELETE that touches no row ran all the same.
    if (rc == SQL_NO_DATA) {
        lastError_.reset();
        return true;
    }
    if (auto failure = failureOf(rc, statement)) {
        fail(*failure);
        return false;
    }
    lastError_.reset();
    return true;
}

int OdbcConnection::Query(const QString& sql) {
    if (sql.isEmpty() || !open_) {
        fail(notRunnable(sql));
        return 0;
    }
    OdbcError error;
    std::unique_ptr<ResultCursor> cursor =
        ResultCursor::open(connection_.get(), rx::text::toGb18030(sql), &error);
    if (!cursor) {
        fail(std::move(error));
        return 0;
    }
    const int handle = nextHandle_++;
    results_.emplace(handle, std::move(cursor));
    lastError_.reset();
    return handle;
}

ResultCursor* OdbcConnection::result(int handle) const {
    const auto found = results_.find(handle);
    return found == results_.end() ? nullptr : found->second.get();
}

bool OdbcConnection::AtEnd(int handle) const {
    const ResultCursor* cursor = result(handle);
    return !cursor || cursor->atEnd();
}

bool OdbcConnection::ReadFailed(int handle) const {
    const ResultCursor* cursor = result(handle);
    return cursor && cursor->failed();
}

void OdbcConnection::MoveFirst(int handle) {
    if (ResultCursor* cursor = result(handle)) cursor->moveFirst();
}

void OdbcConnection::MoveNext(int handle) {
    if (ResultCursor* cursor = result(handle)) cursor->moveNext();
}

Value OdbcConnection::ReadColumn(int handle, int position) const {
    const ResultCursor* cursor = result(handle);
    return cursor ? cursor->value(position - 1) : Value{};
}

int OdbcConnection::ColumnCount(int handle) const {
    const ResultCursor* cursor = result(handle);
    return cursor ? cursor->columnCount() : 0;
}

void OdbcConnection::CloseResult(int handle) {
    results_.erase(handle);
}

void OdbcConnection::CloseResult() {
    results_.clear();
}

void OdbcConnection::Close() {
    // Statements go before the connection they belong to.
    results_.clear();
    connection_.reset();
    open_ = false;
}

}  // namespace rx::db
