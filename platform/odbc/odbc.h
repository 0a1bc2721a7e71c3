#pragma once
// The one ODBC client layer of the program, rxdb, the tests and the benchmarks,
// shaped like nanodbc and free of Qt.
//
//   using namespace rx::odbc;
//   Connection db(ConnectionText().add("DSN", "MS ACCESS DATABASE").add("DBQ", path).str());
//   {
//       Transaction t(db);               // autocommit off until t ends
//       db.execute("INSERT INTO ...");
//       t.commit();                      // without it, t's end rolls back
//   }
//   Result rows = db.query("SELECT 编码, 名称 FROM 仓库");
//   while (rows.next()) {
//       std::optional<std::string> name = rows.text(1);   // columns by 0-based position
//       std::optional<std::int64_t> code = rows.integer(0);
//   }
//
// Every ODBC call goes through check(); a failure throws Error, which carries
// the SQLSTATE, the driver's native code and its message (logLine() shows all
// three). Nothing is swallowed: a text read in pieces either arrives whole or
// throws, never as the part read so far. Destructors never throw.
//
// Texts are bytes in the driver's encoding (GB18030 for ours), both ways; the
// caller converts. The ConnectionText builder works on characters that are
// ASCII-transparent (UTF-8): brace first, convert after.

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rx::odbc {

// ---- errors and the checker ------------------------------------------------

class Error : public std::exception {
public:
    Error() = default;
    Error(std::string state, std::string text, SQLINTEGER nativeCode = 0)
        : sqlState(std::move(state)), message(std::move(text)), native(nativeCode) {}
    const char* what() const noexcept override { return message.c_str(); }
    // "SQLSTATE 42S02, native error 1: no such table" for a log.
    std::string logLine() const;

    std::string sqlState;  // five characters, e.g. "42S02"
    std::string message;   // as the driver gave it
    SQLINTEGER native = 0;
};

// The one format of a database failure in a log, shared with callers that
// keep the three parts in other string types.
std::string logLine(std::string_view sqlState, SQLINTEGER native, std::string_view message);

inline bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// An owned ODBC handle; a connection is disconnected before it is freed.
class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    Handle(Handle&& other) noexcept
        : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() noexcept;
    SQLHANDLE release() { return std::exchange(handle_, nullptr); }

private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = nullptr;
};

// The first diagnostic record of the handle, its message read whole however
// long; HY000 with a note when there is none.
Error diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// The checker: nothing when the call succeeded, else the handle's diagnostics.
std::optional<Error> check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle);
inline std::optional<Error> check(SQLRETURN rc, const Handle& handle) {
    return check(rc, handle.type(), handle.get());
}
// The same, throwing the Error.
void require(SQLRETURN rc, const Handle& handle);

// Integer attribute values travel in a pointer argument.
inline SQLPOINTER attributeValue(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value));
}

// Handle building blocks (kept for code written before the classes below).
Handle allocate(SQLSMALLINT type, SQLHANDLE parent, Error* error = nullptr);
Handle newEnvironment(Error* error = nullptr);
Handle driverConnect(const Handle& environment, std::string connectText, bool readOnly,
                     Error* error);

// ---- connection texts --------------------------------------------------------

// The value as it may stand after "KEY=": unchanged when plain, else in braces
// with each '}' doubled (a ';', '{', '}', '=', one of []()?*!@,, a leading or
// trailing space, or an empty value).
std::string connectionValue(std::string_view value);

// "KEY=value;KEY=value" with every value through connectionValue.
class ConnectionText {
public:
    ConnectionText() = default;
    explicit ConnectionText(std::string start) : text_(std::move(start)) {}
    ConnectionText& add(std::string_view key, std::string_view value);
    const std::string& str() const { return text_; }

private:
    std::string text_;
};

// ---- environment, connection, statement, result -----------------------------

class Environment {
public:
    Environment();  // an ODBC 3 environment; throws Error
    SQLHENV native() const { return handle_.get(); }

private:
    Handle handle_;
};

class Result;

class Connection {
public:
    enum class Access { ReadWrite, ReadOnly };
    Connection();  // allocated, not yet connected; throws Error
    explicit Connection(std::string_view connectText, Access access = Access::ReadWrite);
    Connection(Connection&&) noexcept = default;
    Connection& operator=(Connection&&) noexcept = default;

    // Never prompts; `completed` receives the driver's completed text.
    void connect(std::string_view connectText, Access access = Access::ReadWrite,
                 std::string* completed = nullptr);
    void connectDsn(std::string_view dsn);
    bool connected() const { return connected_; }
    void disconnect() noexcept;

    // Runs a statement without a result; one that touches no row ran all the same.
    void execute(std::string_view sql);
    Result query(std::string_view sql);

    void setAttribute(SQLINTEGER attribute, SQLULEN value);
    void setAutocommit(bool on);
    void commit();
    void rollback();
    SQLUINTEGER infoNumber(SQLUSMALLINT info) const;
    std::string infoText(SQLUSMALLINT info) const;

    SQLHDBC native() const { return handle_.get(); }
    const Handle& handle() const { return handle_; }

private:
    std::unique_ptr<Environment> environment_;  // outlives handle_
    Handle handle_;
    bool connected_ = false;
};

// Autocommit off for its lifetime; rolls back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

class Statement {
public:
    explicit Statement(const Connection& connection);  // throws Error
    // Closes any open cursor, then runs the text.
    Result executeDirect(std::string_view sql);
    void prepare(std::string_view sql);
    Result execute();  // the prepared text, again and again
    // The result of a call made on native() (a catalog function), after check.
    Result result(SQLRETURN rc);
    void setAttribute(SQLINTEGER attribute, SQLULEN value);
    void closeCursor() noexcept;
    SQLHSTMT native() const { return handle_->get(); }
    const Handle& handle() const { return *handle_; }

private:
    std::shared_ptr<Handle> handle_;
    std::string prepared_;  // the driver may point into it until the next prepare
};

struct Column {
    std::string name;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 0;
};

// The rows of one run of a statement, read forward; shares the statement.
class Result {
public:
    Result() = default;
    // Fetches the next row: false after the last one; throws Error on a failure.
    bool next();
    short columns() const { return static_cast<short>(columns_.size()); }
    const Column& column(short position) const;
    // SQL_NO_DATA as 0; -1 when the driver cannot tell.
    SQLLEN affectedRows() const;

    // Typed reads of the current row by 0-based position: nullopt for NULL,
    // Error when the driver cannot hand the value over.
    std::optional<std::int64_t> integer(short position);
    std::optional<double> real(short position);
    std::optional<bool> boolean(short position);
    std::optional<SQL_TIMESTAMP_STRUCT> timestamp(short position);
    std::optional<std::string> text(short position);  // SQL_C_CHAR bytes
    std::optional<std::string> binary(short position);
    std::optional<std::u16string> wideText(short position);
    // The checked piecewise read behind the three above, into a buffer that
    // keeps its storage from row to row: false for NULL.
    bool read(short position, SQLSMALLINT cType, std::string& into);

    SQLHSTMT native() const { return statement_ ? statement_->get() : nullptr; }

private:
    friend class Statement;
    Result(std::shared_ptr<Handle> statement, bool hasRows);
    template <class T>
    std::optional<T> fixed(short position, SQLSMALLINT cType);

    std::shared_ptr<Handle> statement_;
    std::vector<Column> columns_;
    bool hasRows_ = false;
};

// Reads one column of the current row whole, in as many SQLGetData calls as it
// takes (column 1-based; SQL_C_CHAR, SQL_C_WCHAR or SQL_C_BINARY), into `into`
// without terminator. False for NULL. Throws Error when any piece fails.
bool readWhole(const Handle& statement, SQLUSMALLINT column, SQLSMALLINT cType, std::string& into);

}  // namespace rx::odbc
