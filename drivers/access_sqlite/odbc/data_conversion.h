#pragma once
// One stored cell into the C type the application asked for.

#include "drivers/access_sqlite/odbc/handles.h"

namespace rx::access {

struct Target {
    SQLSMALLINT type;
    SQLPOINTER buffer;
    SQLLEN bufferLength;
    SQLLEN* indicator;
};

// piece carries the text of a value read in pieces over several calls; it
// must be reset when the row or the column changes. Throws DriverError for
// conversions that cannot be made.
SQLRETURN convertCell(const CellView& cell, const ResultColumn& column, const Target& target,
                      PieceState& piece, int columnNumber, Diagnostics& diag);

// The C type SQL_C_DEFAULT stands for with this column.
SQLSMALLINT defaultCType(const ColumnType& t);

// UTF-8 to UTF-16 code units (SQLWCHAR) as bytes.
void appendUtf16(std::string_view utf8, std::string& out);

}  // namespace rx::access
