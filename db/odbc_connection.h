#pragma once
// The program's ODBC connection (each window's 外部数据库1): opened once with a
// connection text, it runs statements and hands out numbered read-only
// results. Every failure is swallowed into the return value; the last one is
// kept for whoever wants to know why.

#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "db/odbc_error.h"
#include "db/value.h"

namespace rx::db {

class ResultCursor;

class OdbcConnection {
public:
    OdbcConnection();  // not copyable: it owns its connection
    ~OdbcConnection();

    // The text must start with "ODBC;" (any case); the rest goes to the
    // driver, which is never allowed to prompt. `prompt` is accepted for the
    // callers' sake and ignored: no dialog is ever shown.
    bool Open(const QString& connectionText, bool readOnly = false, bool prompt = false);
    bool IsOpen() const;

    // False when the text is empty, the connection is not open or the
    // database reports an error.
    bool Execute(const QString& sql);

    // A handle above 0 for an open result positioned on its first row; 0 when
    // the text is empty or no result can be opened.
    int Query(const QString& sql);
    // True after the last row, and for 0 or any handle that is not open.
    bool AtEnd(int handle) const;
    // True when the result stopped on a read error instead of its last row.
    bool ReadFailed(int handle) const;
    void MoveFirst(int handle);
    void MoveNext(int handle);
    // The current row's value at the 1-based position; NULL when there is none.
    Value ReadColumn(int handle, int position) const;
    int ColumnCount(int handle) const;
    void CloseResult(int handle);
    void CloseResult();
    void Close();

    // The error of the last call that failed, if any since the last success.
    const std::optional<OdbcError>& lastError() const { return lastError_; }

private:
    ResultCursor* result(int handle) const;
    void fail(OdbcError error);
    OdbcError notRunnable(const QString& sql) const;

    std::unique_ptr<odbc::Connection> connection_;  // while open
    int nextHandle_ = 1;
    std::map<int, std::unique_ptr<ResultCursor>> results_;
    std::optional<OdbcError> lastError_;
    std::optional<OdbcError> openError_;  // why the last Open failed
};

// A connection to the driver with the text (already in GB18030), never
// prompting; nothing and the error when the driver refuses.
std::unique_ptr<odbc::Connection> connectDriver(const QByteArray& connectText,
                                                odbc::Connection::Access access, OdbcError* error);

// Removes a leading "ODBC;" (without regard to case); nothing when it is not there.
std::optional<QString> odbcConnectPart(const QString& connectionText);

}  // namespace rx::db
