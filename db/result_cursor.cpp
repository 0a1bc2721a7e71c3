#include "db/result_cursor.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <cstring>

#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {

struct ResultCursor::Cell {
    bool loaded = false;
    bool null = true;
    qint64 integer = 0;
    double floating = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    // The last timestamp made into a date-time, and that date-time: a local
    // date-time costs the C library a look at the time zone file each time,
    // and rows read in date order mostly repeat the timestamp before them.
    mutable SQL_TIMESTAMP_STRUCT madeFrom{};
    mutable QDateTime made;
    std::vector<char> buffer =
        std::vector<char>(256);  // text or bytes, grown when a value needs it
    std::size_t length = 0;
};

namespace {

ColumnKind kindOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_BIGINT:
            return ColumnKind::Integer;
        case SQL_DOUBLE:
        case SQL_FLOAT:
        case SQL_REAL:
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            return ColumnKind::Floating;
        case SQL_BIT:
            return ColumnKind::Boolean;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_DATETIME:
        case SQL_TIMESTAMP:
            return ColumnKind::DateTime;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ColumnKind::Bytes;
        default:
            return ColumnKind::Text;
    }
}

QDateTime dateTimeOf(const SQL_TIMESTAMP_STRUCT& ts) {
    return {QDate(ts.year, ts.month, ts.day),
            QTime(ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000))};
}

bool sameTimestamp(const SQL_TIMESTAMP_STRUCT& a, const SQL_TIMESTAMP_STRUCT& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.fraction == b.fraction;
}

// Reads a variable-length value in as many parts as it takes; the buffer keeps
// its size for the next row. Returns false when the driver reports an error.
bool readVariable(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType,
                  std::vector<char>& buffer, std::size_t& length, bool& null) {
    const std::size_t terminator = cType == SQL_C_WCHAR ? 2 : cType == SQL_C_CHAR ? 1 : 0;
    length = 0;
    null = false;
    for (;;) {
        SQLLEN indicator = 0;
        const std::size_t room = buffer.size() - length;
        const SQLRETURN rc =
            SQLGetData(statement, column, cType, buffer.data() + length, SQLLEN(room), &indicator);
        if (rc == SQL_NO_DATA) return true;
        if (!succeeded(rc)) return false;
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return true;
        }
        // Wide text comes in whole code units.
        const std::size_t usable = terminator == 2 ? (room / 2 - 1) * 2 : room - terminator;
        if (indicator != SQL_NO_TOTAL && std::size_t(indicator) <= usable) {
            length += std::size_t(indicator);
            return true;
        }
        // A piece that does not fit fills the room less the terminator: a NUL
        // inside the text is part of it, never the end of the piece.
        const std::size_t written = usable;
        length += written;
        const std::size_t rest =
            indicator == SQL_NO_TOTAL ? buffer.size() : std::size_t(indicator) - written;
        buffer.resize(std::max(buffer.size() * 2, length + rest + terminator));
    }
}

// Text arrives as UTF-16, which goes into a QString as it is: no GB18030 on
// the way in, and nothing lost, whatever the characters.
QString wideText(const std::vector<char>& buffer, std::size_t length) {
    return QString(reinterpret_cast<const QChar*>(buffer.data()), qsizetype(length / 2));
}

}  // namespace

ResultCursor::ResultCursor(OdbcHandle statement, QByteArray sql)
    : statement_(std::move(statement)), sql_(std::move(sql)) {}

ResultCursor::~ResultCursor() = default;

std::unique_ptr<ResultCursor> ResultCursor::open(SQLHDBC connection, const QByteArray& sql,
                                                 OdbcError* error) {
    OdbcHandle statement = newStatement(connection, error);
    if (!statement) return nullptr;
    std::unique_ptr<ResultCursor> cursor(new ResultCursor(std::move(statement), sql));
    SQLUINTEGER extensions = 0;
    if (succeeded(SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions,
                             nullptr)))
        cursor->anyOrder_ = (extensions & SQL_GD_ANY_ORDER) != 0;
    if (!cursor->execute(error)) return nullptr;
    if (!cursor->describe()) {
        if (error) *error = OdbcError::misuse(u"the statement gives no result to read"_s);
        return nullptr;
    }
    cursor->fetch();
    return cursor;
}

bool ResultCursor::execute(OdbcError* error) {
    const SQLRETURN rc = SQLExecDirect(statement_.get(), reinterpret_cast<SQLCHAR*>(sql_.data()),
                                       SQLINTEGER(sql_.size()));
    if (auto failure = failureOf(rc, statement_)) {
        if (error) *error = *failure;
        return false;
    }
    row_ = -1;
    return true;
}

bool ResultCursor::describe() {
    SQLSMALLINT count = 0;
    if (!succeeded(SQLNumResultCols(statement_.get(), &count)) || count <= 0) return false;
    columns_.resize(std::size_t(count));
    cells_ = std::make_unique<Cell[]>(std::size_t(count));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        std::vector<SQLCHAR> name(256);
        SQLSMALLINT nameLength = 0, sqlType = SQL_VARCHAR, digits = 0, nullable = 0;
        SQLULEN size = 0;
        const auto describeColumn = [&] {
            return SQLDescribeCol(statement_.get(), SQLUSMALLINT(i + 1), name.data(),
                                  SQLSMALLINT(name.size()), &nameLength, &sqlType, &size, &digits,
                                  &nullable);
        };
        SQLRETURN rc = describeColumn();
        if (rc == SQL_SUCCESS_WITH_INFO && std::size_t(nameLength) >= name.size()) {
            name.resize(std::size_t(nameLength) + 1);  // a long name is read whole
            rc = describeColumn();
        }
        if (failureOf(rc, statement_)) return false;
        const qsizetype shown =
            qBound(qsizetype(0), qsizetype(nameLength), qsizetype(name.size()) - 1);
        columns_[std::size_t(i)] = {
            rx::text::fromGb18030(reinterpret_cast<const char*>(name.data()), shown),
            kindOf(sqlType)};
    }
    return true;
}

void ResultCursor::fetch() {
    // An error part way is not the end of the rows: the caller must not take
    // what was read so far for the whole result.
    const SQLRETURN rc = SQLFetch(statement_.get());
    atEnd_ = !succeeded(rc);
    if (atEnd_ && rc != SQL_NO_DATA) failed_ = true;
    ++row_;
    readUpTo_ = -1;
    for (int i = 0; i < columnCount(); ++i) cells_[std::size_t(i)].loaded = false;
}

void ResultCursor::moveFirst() {
    if (row_ == 0) return;
    failed_ = false;  // a fresh pass over the rows
    if (failureOf(SQLFreeStmt(statement_.get(), SQL_CLOSE), statement_) || !execute(nullptr)) {
        atEnd_ = true;
        failed_ = true;
        return;
    }
    fetch();
}

void ResultCursor::moveNext() {
    if (!atEnd_) fetch();
}

int ResultCursor::indexOf(const QString& name) const {
    for (int i = 0; i < columnCount(); ++i)
        if (columns_[std::size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void ResultCursor::readFailed(Cell& c) const {
    // A value the driver could not hand over is not a NULL: the result is
    // incomplete, and the read loop reports it so.
    c.null = true;
    failed_ = true;
}

void ResultCursor::readCell(int index) const {
    Cell& c = cells_[std::size_t(index)];
    const SQLHSTMT s = statement_.get();
    const auto column = SQLUSMALLINT(index + 1);
    SQLLEN indicator = SQL_NULL_DATA;
    SQLRETURN rc = SQL_ERROR;
    switch (columns_[std::size_t(index)].kind) {
        case ColumnKind::Integer:
            rc = SQLGetData(s, column, SQL_C_SBIGINT, &c.integer, 0, &indicator);
            break;
        case ColumnKind::Floating:
            rc = SQLGetData(s, column, SQL_C_DOUBLE, &c.floating, 0, &indicator);
            break;
        case ColumnKind::Boolean:
            rc = SQLGetData(s, column, SQL_C_BIT, &c.bit, 0, &indicator);
            break;
        case ColumnKind::DateTime:
            rc = SQLGetData(s, column, SQL_C_TYPE_TIMESTAMP, &c.timestamp, sizeof c.timestamp,
                            &indicator);
            break;
        case ColumnKind::Text:
        case ColumnKind::Bytes: {
            const SQLSMALLINT cType =
                columns_[std::size_t(index)].kind == ColumnKind::Text ? SQL_C_WCHAR : SQL_C_BINARY;
            c.loaded = true;
            if (!readVariable(s, column, cType, c.buffer, c.length, c.null)) readFailed(c);
            return;
        }
    }
    c.loaded = true;
    c.null = indicator == SQL_NULL_DATA;
    if (!succeeded(rc)) readFailed(c);
}

const ResultCursor::Cell* ResultCursor::cell(int index) const {
    if (atEnd_ || index < 0 || index >= columnCount()) return nullptr;
    const Cell& c = cells_[std::size_t(index)];
    if (c.loaded) return &c;
    // Without any-order reads the driver only moves forward through a row, so
    // the columns in between are read (and kept) on the way.
    for (int i = anyOrder_ ? index : readUpTo_ + 1; i <= index; ++i)
        if (!cells_[std::size_t(i)].loaded) readCell(i);
    readUpTo_ = std::max(readUpTo_, index);
    return &c;
}

Value ResultCursor::value(int index) const {
    const Cell* c = cell(index);
    if (!c || c->null) return {};
    switch (columns_[std::size_t(index)].kind) {
        case ColumnKind::Integer:
            return c->integer;
        case ColumnKind::Floating:
            return c->floating;
        case ColumnKind::Boolean:
            return c->bit != 0;
        case ColumnKind::DateTime:
            if (c->made.isNull() || !sameTimestamp(c->madeFrom, c->timestamp)) {
                c->made = dateTimeOf(c->timestamp);
                c->madeFrom = c->timestamp;
            }
            return c->made;
        case ColumnKind::Bytes:
            return QByteArray(c->buffer.data(), qsizetype(c->length));
        case ColumnKind::Text:
            break;
    }
    return wideText(c->buffer, c->length);
}

QString ResultCursor::text(int index) const {
    if (index >= 0 && index < columnCount() &&
        columns_[std::size_t(index)].kind == ColumnKind::Text) {
        const Cell* c = cell(index);
        return c && !c->null ? wideText(c->buffer, c->length) : QString();
    }
    return valueText(value(index));
}

}  // namespace rx::db

namespace rx::db {

void ResultCursor::readText(int index, QString& into) const {
    if (index < 0 || index >= columnCount() ||
        columns_[std::size_t(index)].kind != ColumnKind::Text) {
        into = text(index);
        return;
    }
    const Cell* c = cell(index);
    if (!c || c->null) {
        if (!into.isEmpty()) into = QString();
        return;
    }
    const QStringView read(reinterpret_cast<const QChar*>(c->buffer.data()),
                           qsizetype(c->length / 2));
    if (into.size() != read.size() || QStringView(into) != read) into = read.toString();
}

}  // namespace rx::db
