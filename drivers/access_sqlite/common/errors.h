#pragma once
// Every failure inside the driver is one of these kinds; the one table in
// errors.cpp gives each its SQLSTATE, so no SQLSTATE is spelled anywhere else.

#include <string>

namespace rx::access {

enum class ErrorKind {
    General,                  // HY000
    Storage,                  // HY000, with SQLite's own words
    ReadOnly,                 // HY000
    Busy,                     // HYT00
    Syntax,                   // 42000
    UnknownTable,             // 42S02
    TableExists,              // 42S01
    UnknownColumn,            // 42S22
    Conversion,               // 22018
    NumericRange,             // 22003
    StringTooLong,            // 22001
    InvalidCharacter,         // 22021: a NUL, which a server's text cannot hold
    Constraint,               // 23000
    ValueCount,               // 21S01
    DataTruncated,            // 01004 (a warning)
    OptionValueChanged,       // 01S02 (a warning)
    ConnectFailed,            // 08001
    LinkFailure,              // 08S01: a server's connection broke during a statement
    NotConnected,             // 08003
    AlreadyConnected,         // 08002
    InvalidCursorState,       // 24000
    FunctionSequence,         // HY010
    InvalidColumnNumber,      // 07009
    RestrictedType,           // 07006
    InvalidAttribute,         // HY092
    InvalidAttributeValue,    // HY024
    InvalidLength,            // HY090
    InvalidInfoType,          // HY096
    InvalidFetchOrientation,  // HY106
    NotImplemented,           // HYC00
    NullPointer,              // HY009
    OutOfMemory,              // HY001
    DriverDoesNotSupport,     // IM001
    InvalidTransaction,       // HY012
};

const char* sqlState(ErrorKind kind);
bool isWarning(ErrorKind kind);

// Thrown inside the implementation; the exported functions catch it and turn
// it into a diagnostic record. It never leaves the driver.
struct DriverError {
    ErrorKind kind;
    std::string message;  // UTF-8
    // SQLite's primary result code where it said no: ODBC has no SQLSTATE of
    // its own for a full disk or a damaged file, so the native error tells
    // them apart from other general errors.
    int native = 0;
};

[[noreturn]] void raise(ErrorKind kind, std::string message, int native = 0);

}  // namespace rx::access
