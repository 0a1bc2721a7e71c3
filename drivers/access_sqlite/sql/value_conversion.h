#pragma once
// How a literal of the statement becomes the stored value of a column.

#include <string_view>

#include "drivers/access_sqlite/sql/ast.h"
#include "drivers/access_sqlite/sql/translator.h"

namespace rx::access {

// The literal as it stands, for places where no column gives it a type.
BoundValue naturalValue(const Literal& lit);

// The literal converted into the column's type; throws DriverError 22018 when
// it does not convert and 22003 when a number does not fit.
BoundValue valueForColumn(const Literal& lit, const ColumnInfo& column);

// Number of characters in UTF-8 text (what TEXT(n) limits).
size_t utf8Length(std::string_view s);

}  // namespace rx::access
