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

std::unique_ptr<odbc::Connection> connectDriver(const QByteArray& connectText,
                                                odbc::Connection::Access access, OdbcError* error) {
    try {
        auto connection = std::make_unique<odbc::Connection>();
        connection->connect(std::string_view(connectText.constData(), connectText.size()), access);
        return connection;
    } catch (const odbc::Error& e) {
        if (error) *error = fromOdbc(e);
        return nullptr;
    }
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
    connection_ = connectDriver(
        rx::text::toGb18030(*connectPart),
        readOnly ? odbc::Connection::Access::ReadOnly : odbc::Connection::Access::ReadWrite,
        &error);
    if (!connection_) {
        openError_ = error;
        fail(std::move(error));
        return false;
    }
    openError_.reset();
    lastError_.reset();
    return true;
}

bool OdbcConnection::IsOpen() const {
    return bool(connection_);
}

bool OdbcConnection::Execute(const QString& sql) {
    if (sql.isEmpty() || !connection_) {
        fail(notRunnable(sql));
        return false;
    }
    try {
        connection_->execute(rx::text::toGb18030(sql).toStdString());
    } catch (const odbc::Error& e) {
        fail(fromOdbc(e));
        return false;
    }
    lastError_.reset();
    return true;
}

int OdbcConnection::Query(const QString& sql) {
    if (sql.isEmpty() || !connection_) {
        fail(notRunnable(sql));
        return 0;
    }
    OdbcError error;
    std::unique_ptr<ResultCursor> cursor =
        ResultCursor::open(*connection_, rx::text::toGb18030(sql), &error);
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
}

}  // namespace rx::db
