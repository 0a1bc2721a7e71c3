#pragma once
// The drug database connection (查询数据库连接) and its record set (查询记录集).
// The drug file is opened read-only through the same ODBC driver as the
// prescription database. The record set reads forward from the driver;
// MoveFirst goes back by running the statement again.

#include <QString>
#include <array>
#include <memory>

#include "db/odbc_connection.h"

namespace rx::db {

class DrugConnection {
public:
    DrugConnection();  // not copyable: it owns its connection
    ~DrugConnection();

    // Opens the Access file read-only; fails when the file is missing or
    // cannot be opened. With an empty password nothing is added for it.
    bool ConnectAccessFile(const QString& path, const QString& password);
    void Close();
    bool IsOpen() const;

    // The drug connection text of the last ConnectAccessFile.
    const QString& connectionText() const { return connectionText_; }
    const std::optional<OdbcError>& lastError() const { return lastError_; }

private:
    friend class DrugRecordset;
    std::unique_ptr<odbc::Connection> connection_;
    QString connectionText_;
    std::optional<OdbcError> lastError_;
};

class DrugRecordset {
public:
    DrugRecordset();  // not copyable: it owns its result
    ~DrugRecordset();

    // The connection must outlive the record set (both are members of one window).
    bool BindTo(DrugConnection& connection);
    // Closes a still-open result first; false (and IsOpen false) when the
    // statement cannot be opened or the connection is not open.
    bool Open(const QString& sql);
    bool IsOpen() const;
    void MoveFirst();
    void MoveNext();
    bool AtEnd() const;
    // True when the rows stopped on a read error instead of after the last one.
    bool ReadFailed() const;
    // The current row's column of that name as text; NULL, an unknown name or
    // no current row give "".
    QString ReadText(const QString& column) const;
    // For callers that resolve a name once per Open: the 0-based position, -1
    // when unknown, and the text at that position.
    int ColumnIndex(const QString& column) const;
    QString ReadText(int index) const;
    // The text at that position into `into`, which keeps its storage when it
    // already holds that text (rows of a lookup often share a 规格).
    void ReadText(int index, QString& into) const;
    void Close();

    const std::optional<OdbcError>& lastError() const { return lastError_; }

private:
    int resolve(const QString& column) const;

    DrugConnection* connection_ = nullptr;
    std::unique_ptr<ResultCursor> cursor_;
    std::optional<OdbcError> lastError_;
    // The last few names asked for and their positions: the lookups read the
    // same two names on every row, so no row pays for a search by name.
    struct Resolved {
        QString name;
        int index = -1;
    };
    mutable std::array<Resolved, 4> resolved_;
    mutable std::size_t nextResolved_ = 0;
};

}  // namespace rx::db
