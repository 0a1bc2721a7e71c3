#pragma once
// The parsed form of one Access SQL statement.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/access_values/access_types.h"

namespace rx::access {

struct Literal {
    enum class Kind { Null, Text, Integer, Real, Date, Boolean } kind = Kind::Null;
    std::string text;          // Text body
    std::int64_t integer = 0;  // Integer, Boolean (0/1)
    double real = 0;
    DateTime date;
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    enum class Kind {
        Column,
        Literal,
        Not,
        Negate,
        And,
        Or,
        Compare,
        Arith,
        Between,
        Like,
        In,
        IsNull
    };
    Kind kind = Kind::Literal;
    std::string name;  // Column: the column name; Compare/Arith: the operator
    Literal literal;
    bool negated = false;  // NOT BETWEEN / NOT LIKE / NOT IN / IS NOT NULL
    std::vector<ExprPtr> args;
    int height = 1;  // nodes on the longest path down, this one included
};

struct SelectItem {
    enum class Kind { AllColumns, Column, CountAll } kind = Kind::Column;
    std::string column;
    std::string alias;
};

struct OrderItem {
    std::string column;
    bool descending = false;
};

struct SelectStmt {
    bool distinct = false;
    std::optional<std::int64_t> top;
    std::vector<SelectItem> items;
    std::string table;
    ExprPtr where;
    std::vector<OrderItem> order;
};

struct InsertStmt {
    std::string table;
    std::vector<std::string> columns;  // empty: every column in table order
    std::vector<ExprPtr> values;
};

struct UpdateStmt {
    std::string table;
    std::vector<std::pair<std::string, ExprPtr>> assignments;
    ExprPtr where;
};

struct DeleteStmt {
    std::string table;
    ExprPtr where;
};

struct ColumnDef {
    std::string name;
    ColumnType type;
    bool notNull = false;
    bool primaryKey = false;
};

struct CreateTableStmt {
    std::string table;
    std::vector<ColumnDef> columns;
    std::vector<std::string> primaryKey;  // a table-level PRIMARY KEY (...)
};

struct DropTableStmt {
    std::string table;
};

using SqlStatement =
    std::variant<SelectStmt, InsertStmt, UpdateStmt, DeleteStmt, CreateTableStmt, DropTableStmt>;

}  // namespace rx::access
