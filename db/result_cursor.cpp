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
    std::string buffer;  // text or bytes; keeps its storage from row to row
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

// Moves a value read into the cell's own field; false for NULL.
template <class T, class Field>
bool keep(const std::optional<T>& value, Field& field) {
    if (!value) return false;
    field = Field(*value);
    return true;
}

bool sameTimestamp(const SQL_TIMESTAMP_STRUCT& a, const SQL_TIMESTAMP_STRUCT& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.fraction == b.fraction;
}

// Text arrives as UTF-16, which goes into a QString as it is: no GB18030 on
// the way in, and nothing lost, whatever the characters.
QString wideText(const std::string& buffer) {
    return QString(reinterpret_cast<const QChar*>(buffer.data()), qsizetype(buffer.size() / 2));
}

}  // namespace

ResultCursor::ResultCursor(odbc::Statement statement, QByteArray sql)
    : statement_(std::move(statement)), sql_(std::move(sql)) {}

ResultCursor::~ResultCursor() = default;

std::unique_ptr<ResultCursor> ResultCursor::open(const odbc::Connection& connection,
                                                 const QByteArray& sql, OdbcError* error) {
    try {
        std::unique_ptr<ResultCursor> cursor(new ResultCursor(odbc::Statement(connection), sql));
        cursor->anyOrder_ = (connection.infoNumber(SQL_GETDATA_EXTENSIONS) & SQL_GD_ANY_ORDER) != 0;
        if (!cursor->execute(error)) return nullptr;
        cursor->describe();
        if (cursor->columns_.empty()) {
            if (error) *error = OdbcError::misuse(u"the statement gives no result to read"_s);
            return nullptr;
        }
        cursor->fetch();
        return cursor;
    } catch (const odbc::Error& e) {
        if (error) *error = fromOdbc(e);
        return nullptr;
    }
}

bool ResultCursor::execute(OdbcError* error) {
    try {
        result_ = statement_.executeDirect(std::string_view(sql_.constData(), sql_.size()));
    } catch (const odbc::Error& e) {
        if (error) *error = fromOdbc(e);
        return false;
    }
    row_ = -1;
    return true;
}

void ResultCursor::describe() {
    const short count = result_.columns();
    columns_.resize(std::size_t(count));
    cells_ = std::make_unique<Cell[]>(std::size_t(count));
    for (short i = 0; i < count; ++i) {
        const odbc::Column& c = result_.column(i);
        columns_[std::size_t(i)] = {rx::text::fromGb18030(c.name.data(), qsizetype(c.name.size())),
                                    kindOf(c.sqlType)};
    }
}

void ResultCursor::fetch() {
    // An error part way is not the end of the rows: the caller must not take
    // what was read so far for the whole result.
    try {
        atEnd_ = !result_.next();
    } catch (const odbc::Error&) {
        atEnd_ = true;
        failed_ = true;
    }
    ++row_;
    readUpTo_ = -1;
    for (int i = 0; i < columnCount(); ++i) cells_[std::size_t(i)].loaded = false;
}

void ResultCursor::moveFirst() {
    if (row_ == 0) return;
    failed_ = false;  // a fresh pass over the rows
    if (!execute(nullptr)) {
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

bool ResultCursor::readInto(Cell& c, int index) const {
    const auto position = short(index);
    switch (columns_[std::size_t(index)].kind) {
        case ColumnKind::Integer:
            return keep(result_.integer(position), c.integer);
        case ColumnKind::Floating:
            return keep(result_.real(position), c.floating);
        case ColumnKind::Boolean:
            return keep(result_.boolean(position), c.bit);
        case ColumnKind::DateTime:
            return keep(result_.timestamp(position), c.timestamp);
        case ColumnKind::Text:
            return result_.read(position, SQL_C_WCHAR, c.buffer);
        case ColumnKind::Bytes:
            break;
    }
    return result_.read(position, SQL_C_BINARY, c.buffer);
}

void ResultCursor::readCell(int index) const {
    Cell& c = cells_[std::size_t(index)];
    c.loaded = true;
    try {
        c.null = !readInto(c, index);
    } catch (const odbc::Error&) {
        readFailed(c);
    }
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
            return QByteArray(c->buffer.data(), qsizetype(c->buffer.size()));
        case ColumnKind::Text:
            break;
    }
    return wideText(c->buffer);
}

QString ResultCursor::text(int index) const {
    if (index >= 0 && index < columnCount() &&
        columns_[std::size_t(index)].kind == ColumnKind::Text) {
        const Cell* c = cell(index);
        return c && !c->null ? wideText(c->buffer) : QString();
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
                           qsizetype(c->buffer.size() / 2));
    if (into.size() != read.size() || QStringView(into) != read) into = read.toString();
}

}  // namespace rx::db
