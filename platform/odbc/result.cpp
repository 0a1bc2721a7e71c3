// Statements and their results: the one piecewise read lives here.
#include <algorithm>
#include <cstring>

#include "platform/odbc/odbc.h"

namespace rx::odbc {
namespace {

SQLCHAR* sqlText(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

SQLUSMALLINT columnNumber(short position) {
    return static_cast<SQLUSMALLINT>(position + 1);
}

Column describeColumn(const Handle& statement, SQLUSMALLINT number) {
    std::string name(256, '\0');
    SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
    Column c;
    const auto describe = [&] {
        return SQLDescribeCol(statement.get(), number, sqlText(name),
                              static_cast<SQLSMALLINT>(name.size()), &nameLength, &c.sqlType,
                              &c.size, &digits, &nullable);
    };
    SQLRETURN rc = describe();
    if (rc == SQL_SUCCESS_WITH_INFO && static_cast<std::size_t>(nameLength) >= name.size()) {
        name.resize(static_cast<std::size_t>(nameLength) + 1);  // a long name is read whole
        rc = describe();
    }
    require(rc, statement);
    name.resize(std::min(static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLength, 0)),
                         name.size() - 1));
    c.name = std::move(name);
    return c;
}

}  // namespace

bool readWhole(const Handle& statement, SQLUSMALLINT column, SQLSMALLINT cType,
               std::string& into) {
    const std::size_t terminator = cType == SQL_C_WCHAR ? 2 : cType == SQL_C_CHAR ? 1 : 0;
    std::size_t length = 0;
    into.resize(std::max<std::size_t>(into.capacity(), 256));
    for (;;) {
        SQLLEN indicator = 0;
        const std::size_t room = into.size() - length;
        const SQLRETURN rc = SQLGetData(statement.get(), column, cType, into.data() + length,
                                        static_cast<SQLLEN>(room), &indicator);
        if (rc == SQL_NO_DATA) break;  // the last piece came with the one before
        // A failure at any piece is the failure of the value: what came so far
        // is never handed on as if it were the whole.
        if (auto failure = check(rc, statement)) {
            into.clear();
            throw std::move(*failure);
        }
        if (indicator == SQL_NULL_DATA) {
            into.clear();
            return false;
        }
        // Wide text comes in whole code units.
        const std::size_t usable = terminator == 2 ? (room / 2 - 1) * 2 : room - terminator;
        if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= usable) {
            length += static_cast<std::size_t>(indicator);
            break;
        }
        // A piece that does not fit fills the room less the terminator: a NUL
        // inside the text is part of it, never the end of the piece.
        length += usable;
        const std::size_t rest = indicator == SQL_NO_TOTAL
                                     ? into.size()
                                     : static_cast<std::size_t>(indicator) - usable;
        into.resize(std::max(into.size() * 2, length + rest + terminator));
    }
    into.resize(length);
    return true;
}

Statement::Statement(const Connection& connection) {
    Error failure;
    Handle handle = allocate(SQL_HANDLE_STMT, connection.native(), &failure);
    if (!handle) throw failure;
    handle_ = std::make_shared<Handle>(std::move(handle));
}

void Statement::closeCursor() noexcept {
    SQLFreeStmt(native(), SQL_CLOSE);  // harmless when none is open
}

Result Statement::executeDirect(std::string_view sql) {
    closeCursor();
    std::string text(sql);
    return result(SQLExecDirect(native(), sqlText(text), static_cast<SQLINTEGER>(text.size())));
}

void Statement::prepare(std::string_view sql) {
    closeCursor();
    prepared_ = std::string(sql);
    require(SQLPrepare(native(), sqlText(prepared_), static_cast<SQLINTEGER>(prepared_.size())),
            *handle_);
}

Result Statement::execute() {
    closeCursor();
    return result(SQLExecute(native()));
}

Result Statement::result(SQLRETURN rc) {
    // An UPDATE or DELETE that touches no row ran all the same.
    if (rc != SQL_NO_DATA) require(rc, *handle_);
    return Result(handle_, rc != SQL_NO_DATA);
}

void Statement::setAttribute(SQLINTEGER attribute, SQLULEN value) {
    require(SQLSetStmtAttr(native(), attribute, attributeValue(value), 0), *handle_);
}

Result::Result(std::shared_ptr<Handle> statement, bool hasRows)
    : statement_(std::move(statement)) {
    SQLSMALLINT count = 0;
    if (hasRows) require(SQLNumResultCols(statement_->get(), &count), *statement_);
    for (SQLSMALLINT i = 1; i <= count; ++i)
        columns_.push_back(describeColumn(*statement_, static_cast<SQLUSMALLINT>(i)));
    hasRows_ = count > 0;
}

bool Result::next() {
    if (!hasRows_) return false;
    const SQLRETURN rc = SQLFetch(statement_->get());
    if (rc == SQL_NO_DATA) {
        hasRows_ = false;
        return false;
    }
    require(rc, *statement_);
    return true;
}

const Column& Result::column(short position) const {
    if (position < 0 || position >= columns())
        throw Error("07009", "no column at position " + std::to_string(position));
    return columns_[static_cast<std::size_t>(position)];
}

SQLLEN Result::affectedRows() const {
    SQLLEN count = -1;
    if (statement_) require(SQLRowCount(statement_->get(), &count), *statement_);
    return count;
}

template <class T>
std::optional<T> Result::fixed(short position, SQLSMALLINT cType) {
    T value{};
    SQLLEN indicator = 0;
    require(SQLGetData(native(), columnNumber(position), cType, &value, sizeof value, &indicator),
            *statement_);
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    return value;
}

std::optional<std::int64_t> Result::integer(short position) {
    return fixed<std::int64_t>(position, SQL_C_SBIGINT);
}

std::optional<double> Result::real(short position) {
    return fixed<double>(position, SQL_C_DOUBLE);
}

std::optional<bool> Result::boolean(short position) {
    const auto bit = fixed<unsigned char>(position, SQL_C_BIT);
    if (!bit) return std::nullopt;
    return *bit != 0;
}

std::optional<SQL_TIMESTAMP_STRUCT> Result::timestamp(short position) {
    return fixed<SQL_TIMESTAMP_STRUCT>(position, SQL_C_TYPE_TIMESTAMP);
}

bool Result::read(short position, SQLSMALLINT cType, std::string& into) {
    if (!statement_) throw Error("24000", "no result to read");
    return readWhole(*statement_, columnNumber(position), cType, into);
}

std::optional<std::string> Result::text(short position) {
    std::string value;
    if (!read(position, SQL_C_CHAR, value)) return std::nullopt;
    return value;
}

std::optional<std::string> Result::binary(short position) {
    std::string value;
    if (!read(position, SQL_C_BINARY, value)) return std::nullopt;
    return value;
}

std::optional<std::u16string> Result::wideText(short position) {
    std::string bytes;
    if (!read(position, SQL_C_WCHAR, bytes)) return std::nullopt;
    std::u16string value(bytes.size() / 2, u'\0');
    std::memcpy(value.data(), bytes.data(), value.size() * 2);
    return value;
}

}  // namespace rx::odbc
