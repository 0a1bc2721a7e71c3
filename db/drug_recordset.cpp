#include "db/drug_recordset.h"

#include "db/connection_texts.h"
#include "db/result_cursor.h"
#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {

DrugConnection::DrugConnection() = default;

DrugConnection::~DrugConnection() {
    Close();
}

bool DrugConnection::ConnectAccessFile(const QString& path, const QString& password) {
    Close();
    connectionText_ = drugConnectionText(path);
    OdbcError error;
    connection_ = connectDriver(rx::text::toGb18030(drugOdbcConnectText(path, password)),
                                odbc::Connection::Access::ReadOnly, &error);
    if (!connection_) {
        lastError_ = std::move(error);
        return false;
    }
    lastError_.reset();
    return true;
}

void DrugConnection::Close() {
    connection_.reset();
}

bool DrugConnection::IsOpen() const {
    return bool(connection_);
}

DrugRecordset::DrugRecordset() = default;

DrugRecordset::~DrugRecordset() = default;

bool DrugRecordset::BindTo(DrugConnection& connection) {
    Close();
    connection_ = &connection;
    return connection.IsOpen();
}

bool DrugRecordset::Open(const QString& sql) {
    Close();
    if (!connection_ || !connection_->IsOpen() || sql.isEmpty()) {
        lastError_ = OdbcError::misuse(u"the record set has no open connection"_s);
        return false;
    }
    OdbcError error;
    cursor_ = ResultCursor::open(*connection_->connection_, rx::text::toGb18030(sql), &error);
    if (!cursor_) {
        lastError_ = std::move(error);
        return false;
    }
    lastError_.reset();
    return true;
}

bool DrugRecordset::IsOpen() const {
    return bool(cursor_);
}

void DrugRecordset::MoveFirst() {
    if (cursor_) cursor_->moveFirst();
}

void DrugRecordset::MoveNext() {
    if (cursor_) cursor_->moveNext();
}

bool DrugRecordset::AtEnd() const {
    return !cursor_ || cursor_->atEnd();
}

bool DrugRecordset::ReadFailed() const {
    return cursor_ && cursor_->failed();
}

int DrugRecordset::ColumnIndex(const QString& column) const {
    return cursor_ ? cursor_->indexOf(column) : -1;
}

int DrugRecordset::resolve(const QString& column) const {
    for (const Resolved& r : resolved_)
        if (r.index >= 0 && r.name == column) return r.index;
    const int index = ColumnIndex(column);
    if (index >= 0) {
        resolved_[nextResolved_] = {column, index};
        nextResolved_ = (nextResolved_ + 1) % resolved_.size();
    }
    return index;
}

QString DrugRecordset::ReadText(const QString& column) const {
    return ReadText(resolve(column));
}

QString DrugRecordset::ReadText(int index) const {
    return cursor_ ? cursor_->text(index) : QString();
}

void DrugRecordset::ReadText(int index, QString& into) const {
    if (cursor_)
        cursor_->readText(index, into);
    else
        into = QString();
}

void DrugRecordset::Close() {
    cursor_.reset();
    resolved_ = {};
    nextResolved_ = 0;
}

}  // namespace rx::db
