#include "drivers/access_sqlite/odbc/data_conversion.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/text/gb18030.h"

namespace rx::access {
namespace {

std::string cellAsText(const CellView& cell, const ResultColumn& column) {
    switch (cell.kind) {
        case CellView::Kind::Integer:
            return std::to_string(cell.integer);
        case CellView::Kind::Real:
            return formatNumber(cell.real);
        case CellView::Kind::Text:
            return std::string(cell.text);
        case CellView::Kind::Null:
            break;
    }
    (void)column;
    return {};
}

double cellAsNumber(const CellView& cell) {
    switch (cell.kind) {
        case CellView::Kind::Integer:
            return static_cast<double>(cell.integer);
        case CellView::Kind::Real:
            return cell.real;
        default: {
            auto n = parseNumberText(cell.text);
            if (!n)
                raise(ErrorKind::Conversion,
                      "Invalid character value for a number: '" + std::string(cell.text) + "'");
            return *n;
        }
    }
}

DateTime cellAsDate(const CellView& cell) {
    if (cell.kind == CellView::Kind::Text) {
        auto d = parseDateText(cell.text);
        if (!d)
            raise(ErrorKind::Conversion,
                  "Invalid date-time value: '" + std::string(cell.text) + "'");
        return *d;
    }
    const DateTime d = fromSerial(cellAsNumber(cell));
    if (!isValid(d))
        raise(ErrorKind::Conversion,
              "Invalid date-time value: a number outside the years 100 to 9999");
    return d;
}

// A buffer with no room beside the terminator gets the length and 01004 once,
// as a probe for the length does; the same again would leave a client that
// loops on 01004 looping for ever, so it is refused instead.
void checkProgress(size_t n, size_t remaining, const Target& t, PieceState& piece) {
    if (n > 0 || remaining == 0 || !t.buffer || t.bufferLength == 0) {
        piece.stalled = false;
        return;
    }
    if (piece.stalled)
        raise(ErrorKind::InvalidLength, "Buffer of " + std::to_string(t.bufferLength) +
                                            " bytes has no room for data beside the terminator");
    piece.stalled = true;
}

// A piece that does not fit fills the buffer less the terminator, even where
// that cuts a GB18030 character or a surrogate pair in two: clients join the
// pieces as bytes and size the next buffer from the indicator, so a piece that
// stops short leaves them a buffer too small for the rest, or a hole in it.
SQLRETURN putText(const std::string& whole, const Target& t, PieceState& piece, Diagnostics& diag) {
    const size_t terminator = t.type == SQL_C_BINARY ? 0 : t.type == SQL_C_WCHAR ? 2 : 1;
    const size_t remaining = whole.size() - piece.offset;
    if (t.indicator) *t.indicator = static_cast<SQLLEN>(remaining);
    size_t room = t.buffer && t.bufferLength > 0 ? static_cast<size_t>(t.bufferLength) : 0;
    if (t.type == SQL_C_WCHAR) room -= room % 2;  // whole UTF-16 units only
    const size_t capacity = room >= terminator ? room - terminator : 0;
    const size_t n = std::min(remaining, capacity);
    checkProgress(n, remaining, t, piece);
    if (room > 0) {
        std::memcpy(t.buffer, whole.data() + piece.offset, n);
        // A wide terminator needs two bytes: none at all rather than half of one.
        if (terminator > 0 && room >= terminator)
            std::memset(static_cast<char*>(t.buffer) + n, 0, terminator);
    }
    piece.offset += n;
    if (n < remaining) {
        diag.add(ErrorKind::DataTruncated, "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    piece.finished = true;
    return SQL_SUCCESS;
}

template <typename T>
SQLRETURN putInteger(double v, const Target& t) {
    double whole = std::trunc(v);
    if (whole < static_cast<double>(std::numeric_limits<T>::min()) ||
        whole > static_cast<double>(std::numeric_limits<T>::max()))
        raise(ErrorKind::NumericRange, "Numeric value out of range");
    T out = static_cast<T>(whole);
    if (t.buffer) std::memcpy(t.buffer, &out, sizeof out);
    if (t.indicator) *t.indicator = sizeof out;
    return SQL_SUCCESS;
}

template <typename T>
SQLRETURN putStruct(const T& v, const Target& t) {
    if (t.buffer) std::memcpy(t.buffer, &v, sizeof v);
    if (t.indicator) *t.indicator = sizeof v;
    return SQL_SUCCESS;
}

SQLRETURN putBigint(const CellView& cell, const Target& t) {
    if (cell.kind == CellView::Kind::Integer) {
        SQLBIGINT v = cell.integer;
        return putStruct(v, t);
    }
    return putInteger<SQLBIGINT>(cellAsNumber(cell), t);
}

SQLRETURN putDate(const CellView& cell, const Target& t) {
    DateTime d = cellAsDate(cell);
    if (t.type == SQL_C_TYPE_DATE || t.type == SQL_C_DATE) {
        SQL_DATE_STRUCT s{static_cast<SQLSMALLINT>(d.year), static_cast<SQLUSMALLINT>(d.month),
                          static_cast<SQLUSMALLINT>(d.day)};
        return putStruct(s, t);
    }
    if (t.type == SQL_C_TYPE_TIME || t.type == SQL_C_TIME) {
        SQL_TIME_STRUCT s{static_cast<SQLUSMALLINT>(d.hour), static_cast<SQLUSMALLINT>(d.minute),
                          static_cast<SQLUSMALLINT>(d.second)};
        return putStruct(s, t);
    }
    SQL_TIMESTAMP_STRUCT s{static_cast<SQLSMALLINT>(d.year),
                           static_cast<SQLUSMALLINT>(d.month),
                           static_cast<SQLUSMALLINT>(d.day),
                           static_cast<SQLUSMALLINT>(d.hour),
                           static_cast<SQLUSMALLINT>(d.minute),
                           static_cast<SQLUSMALLINT>(d.second),
                           0};
    return putStruct(s, t);
}

SQLRETURN putFixed(const CellView& cell, const Target& t) {
    switch (t.type) {
        case SQL_C_SLONG:
        case SQL_C_LONG:
            return putInteger<SQLINTEGER>(cellAsNumber(cell), t);
        case SQL_C_ULONG:
            return putInteger<SQLUINTEGER>(cellAsNumber(cell), t);
        case SQL_C_SSHORT:
        case SQL_C_SHORT:
            return putInteger<SQLSMALLINT>(cellAsNumber(cell), t);
        case SQL_C_USHORT:
            return putInteger<SQLUSMALLINT>(cellAsNumber(cell), t);
        case SQL_C_STINYINT:
        case SQL_C_TINYINT:
            return putInteger<SQLSCHAR>(cellAsNumber(cell), t);
        case SQL_C_UTINYINT:
            return putInteger<SQLCHAR>(cellAsNumber(cell), t);
        case SQL_C_SBIGINT:
            return putBigint(cell, t);
        case SQL_C_UBIGINT:
            return putInteger<SQLUBIGINT>(cellAsNumber(cell), t);
        case SQL_C_DOUBLE:
            return putStruct(static_cast<SQLDOUBLE>(cellAsNumber(cell)), t);
        case SQL_C_FLOAT:
            return putStruct(static_cast<SQLREAL>(cellAsNumber(cell)), t);
        case SQL_C_BIT:
            return putStruct(static_cast<SQLCHAR>(cellAsNumber(cell) != 0 ? 1 : 0), t);
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP:
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE:
        case SQL_C_TYPE_TIME:
        case SQL_C_TIME:
            return putDate(cell, t);
        default:
            raise(ErrorKind::RestrictedType,
                  "Conversion to C type " + std::to_string(t.type) + " not supported");
    }
}

}  // namespace

namespace {

// One UTF-16 code unit at a time from UTF-8, the same decoding for counting and
// for writing, so that the length told and the units written always agree.
template <typename Sink>
void decodeUtf8(std::string_view utf8, Sink&& put) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t size = utf8.size();
    for (size_t i = 0; i < size;) {
        unsigned c = p[i];
        if (c < 0x80) {
            put(static_cast<char16_t>(c));
            ++i;
            continue;
        }
        size_t len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        unsigned cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; k < len && i + k < size; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (cp >> 10)));
            put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
}

// Writes the UTF-16 of utf8 into room code units; the number of units, or
// nothing when they do not all fit.
std::optional<size_t> writeUtf16(std::string_view utf8, char16_t* out, size_t room) {
    size_t n = 0;
    bool fits = true;
    decodeUtf8(utf8, [&](char16_t u) {
        if (n < room)
            out[n] = u;
        else
            fits = false;
        ++n;
    });
    if (!fits) return std::nullopt;
    return n;
}

}  // namespace

void appendUtf16(std::string_view utf8, std::string& out) {
    decodeUtf8(utf8, [&out](char16_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    });
}

SQLSMALLINT defaultCType(const ColumnType& t) {
    switch (t.type) {
        case AccessType::Counter:
        case AccessType::Long:
            return SQL_C_SLONG;
        case AccessType::Short:
            return SQL_C_SSHORT;
        case AccessType::Byte:
            return SQL_C_UTINYINT;
        case AccessType::Single:
            return SQL_C_FLOAT;
        case AccessType::Double:
            return SQL_C_DOUBLE;
        case AccessType::DateTime:
            return SQL_C_TYPE_TIMESTAMP;
        case AccessType::YesNo:
            return SQL_C_BIT;
        default:
            return SQL_C_CHAR;
    }
}

namespace {

// The piece of a value read whole in one call; its buffer stays for the next value.
void finishPiece(PieceState& piece, int columnNumber, SQLSMALLINT type) {
    piece.column = columnNumber;
    piece.targetType = type;
    piece.converted.clear();
    piece.offset = 0;
    piece.finished = true;
    piece.stalled = false;
}

// Text that fits the caller's buffer goes there straight from the stored
// UTF-8, without a copy in between: the common case of every row of a query.
bool putWholeText(std::string_view utf8, const Target& t) {
    if (!t.buffer || t.bufferLength <= 0) return false;
    const auto room = static_cast<size_t>(t.bufferLength);
    if (t.type == SQL_C_WCHAR) {
        if (room < 2 || reinterpret_cast<uintptr_t>(t.buffer) % alignof(char16_t) != 0)
            return false;
        auto* out = static_cast<char16_t*>(t.buffer);
        std::optional<size_t> units = writeUtf16(utf8, out, room / 2 - 1);
        if (!units) return false;
        out[*units] = 0;
        if (t.indicator) *t.indicator = static_cast<SQLLEN>(*units * 2);
        return true;
    }
    if (t.type != SQL_C_CHAR || utf8.size() >= room || !rx::text::isAscii(utf8)) return false;
    std::memcpy(t.buffer, utf8.data(), utf8.size());
    static_cast<char*>(t.buffer)[utf8.size()] = 0;
    if (t.indicator) *t.indicator = static_cast<SQLLEN>(utf8.size());
    return true;
}

}  // namespace

SQLRETURN convertCell(const CellView& cell, const ResultColumn& column, const Target& target,
                      PieceState& piece, int columnNumber, Diagnostics& diag) {
    Target t = target;
    if (t.type == SQL_C_DEFAULT) t.type = defaultCType(column.type);
    bool sameValue = piece.column == columnNumber && piece.targetType == t.type;
    if (sameValue && piece.finished) return SQL_NO_DATA;
    if (cell.kind == CellView::Kind::Null) {
        if (!t.indicator) raise(ErrorKind::General, "Indicator variable required but not supplied");
        *t.indicator = SQL_NULL_DATA;
        finishPiece(piece, columnNumber, t.type);
        return SQL_SUCCESS;
    }
    if (t.type != SQL_C_CHAR && t.type != SQL_C_WCHAR && t.type != SQL_C_BINARY) {
        SQLRETURN rc = putFixed(cell, t);
        finishPiece(piece, columnNumber, t.type);
        return rc;
    }
    if (!sameValue) {
        if (cell.kind == CellView::Kind::Text && putWholeText(cell.text, t)) {
            finishPiece(piece, columnNumber, t.type);
            return SQL_SUCCESS;
        }
        piece.column = columnNumber;
        piece.targetType = t.type;
        piece.offset = 0;
        piece.finished = false;
        piece.stalled = false;
        piece.converted.clear();
        std::string owned;
        std::string_view utf8;
        if (cell.kind == CellView::Kind::Text)
            utf8 = cell.text;
        else
            utf8 = owned = cellAsText(cell, column);
        if (t.type == SQL_C_WCHAR)
            appendUtf16(utf8, piece.converted);
        else if (t.type == SQL_C_BINARY || rx::text::isAscii(utf8))
            piece.converted.assign(utf8);
        else
            piece.converted = rx::text::utf8ToGb18030(utf8).bytes;
    }
    return putText(piece.converted, t, piece, diag);
}

}  // namespace rx::access
