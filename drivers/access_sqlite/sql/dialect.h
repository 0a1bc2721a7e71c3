#pragma once
// What differs between the SQL written for the local file and for a clinic's
// server. The translator asks this object and never branches on the store, so
// everything one store does differently is in one place, and the server's
// text-folding rule is spelled once for the translator and the server store
// alike.

#include <optional>
#include <string>
#include <string_view>

#include "drivers/access_sqlite/sql/ast.h"

namespace rx::access {

// The SQL a translation is written in.
enum class Dialect { Sqlite, Postgres };

// How a LIKE is written: the operator, whether both sides are folded, and the
// pattern to bind in place of the literal (nullopt: the literal as it is).
struct LikePlan {
    std::string_view op;         // " LIKE ", " GLOB ", " ~ "
    std::string_view negatedOp;  // " NOT LIKE ", ...
    bool foldSubject = false;
    bool foldPattern = false;
    std::optional<std::string> pattern;
    std::string_view escape;  // written after the pattern
};

class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    virtual Dialect kind() const = 0;

    // Identifiers in double quotes, with doubled quotes inside; both stores read them so.
    static std::string quote(std::string_view name);

    // The placeholder of the n-th bound value (from 1).
    virtual std::string placeholder(size_t n) const = 0;

    // Text compared without regard to the case of ASCII letters, and every
    // other character as it is. True when a comparison has to say so itself;
    // false when the column's collation does it.
    virtual bool foldsComparisons() const = 0;
    // sql folded: ASCII letters lower-cased, nothing else touched. atomic: sql
    // is a name or a placeholder; otherwise it is parenthesised as needed.
    virtual std::string fold(std::string_view sql, bool atomic) const = 0;

    // Written before a date-time column compared with a date-time column.
    virtual std::string_view dateColumnPrefix() const = 0;
    // Whether the tests of an AND may go out in the order of their columns.
    virtual bool ordersTestsByColumn() const = 0;

    // LIKE with the given pattern text (nullopt: not a literal text).
    virtual LikePlan like(const std::optional<std::string>& literal) const = 0;

    // ORDER BY: whether a DISTINCT query is sorted in an outer query, and the
    // words after a key so that empty values sort as the file sorts them.
    virtual bool sortsDistinctOutside() const = 0;
    virtual std::string_view orderSuffix(bool descending) const = 0;

    // CREATE TABLE: one column's definition, and what follows the statement.
    virtual std::string columnDefinition(const ColumnDef& c, bool primaryKey) const = 0;
    virtual std::string afterCreate(const CreateTableStmt& s) const = 0;
};

const SqlDialect& sqlDialect(Dialect d);

}  // namespace rx::access
