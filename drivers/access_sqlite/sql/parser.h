#pragma once
// Recursive-descent parser for the Access dialect: one statement per text.

#include <string>
#include <string_view>

#include "drivers/access_sqlite/sql/ast.h"

namespace rx::access {

struct ParseResult {
    std::optional<SqlStatement> statement;
    std::string error;  // set when statement is empty
};

// sql is UTF-8.
ParseResult parse(std::string_view sql);

}  // namespace rx::access
