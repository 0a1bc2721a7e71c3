#pragma once
// One open result: a statement handle executed on a connection, positioned on
// a row. Rows are fetched forward; each column of the current row is read from
// the driver once, on first use, into a buffer that lives as long as the
// cursor, so reading a row costs no allocation beyond the value returned.

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "db/odbc_error.h"
#include "db/value.h"
#include "platform/odbc/odbc.h"

namespace rx::db {

enum class ColumnKind { Integer, Floating, Text, DateTime, Boolean, Bytes };

struct ColumnInfo {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

class ResultCursor {
public:
    // Executes the statement and positions on its first row; nullptr (and
    // the error) when the statement cannot be run.
    static std::unique_ptr<ResultCursor> open(const odbc::Connection& connection,
                                              const QByteArray& sql, OdbcError* error);

    ResultCursor(const ResultCursor&) = delete;
    ResultCursor& operator=(const ResultCursor&) = delete;
    ~ResultCursor();

    bool atEnd() const { return atEnd_; }
    // True when reading stopped on an error rather than after the last row.
    bool failed() const { return failed_; }
    // Back to the first row: free when still there, otherwise the statement
    // runs again (the driver's cursors only go forward).
    void moveFirst();
    void moveNext();

    int columnCount() const { return int(columns_.size()); }
    const ColumnInfo& column(int index) const { return columns_[std::size_t(index)]; }
    // 0-based index of the column with that name (without regard to case), -1 when none.
    int indexOf(const QString& name) const;

    // The current row's value; NULL when at the end or the index is out of range.
    Value value(int index) const;
    // The current row's value as text, NULL as "".
    QString text(int index) const;
    // The same into `into`, which is left as it is (its storage still shared)
    // when it already holds that text: repeated texts cost no allocation.
    void readText(int index, QString& into) const;

private:
    struct Cell;
    ResultCursor(odbc::Statement statement, QByteArray sql);
    bool execute(OdbcError* error);
    void describe();
    void fetch();
    const Cell* cell(int index) const;
    void readCell(int index) const;
    bool readInto(Cell& cell, int index) const;  // false for NULL
    void readFailed(Cell& cell) const;

    odbc::Statement statement_;
    odbc::Result result_;
    QByteArray sql_;
    std::vector<ColumnInfo> columns_;
    std::unique_ptr<Cell[]> cells_;
    bool anyOrder_ = false;
    bool atEnd_ = true;
    mutable bool failed_ = false;
    qint64 row_ = -1;
    mutable int readUpTo_ = -1;  // highest column read from the current row
};

}  // namespace rx::db
