#pragma once
// Turns a parsed Access statement into one SQLite statement with bound
// parameters. Literal values are converted to the type of the column they
// meet, as Access does; whatever does not convert is refused here, before
// anything reaches the file.

#include <cstdint>
#include <string>
#include <vector>

#include "drivers/access_sqlite/sql/catalog.h"
#include "drivers/access_sqlite/sql/ast.h"

namespace rx::access {

struct BoundValue {
    enum class Kind { Null, Integer, Real, Text } kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;

    static BoundValue ofInteger(std::int64_t v) { return {Kind::Integer, v, 0, {}}; }
    static BoundValue ofReal(double v) { return {Kind::Real, 0, v, {}}; }
    static BoundValue ofText(std::string v) { return {Kind::Text, 0, 0, std::move(v)}; }
};

// The SQL a translation is written in.
enum class Dialect { Sqlite, Postgres };

struct ResultColumn {
    std::string name;
    ColumnType type;
    bool nullable = true;
};

struct Translation {
    std::string sql;
    std::vector<BoundValue> params;
    std::vector<ResultColumn> columns;  // empty unless a query
    bool isQuery = false;
    bool changesSchema = false;
    // An INSERT that gives a COUNTER its value (a copied row keeps its number):
    // a server's own counter has to be moved past it before it hands out the next.
    std::string counterTable;
    std::string counterColumn;
};

// Throws DriverError (42S02, 42S22, 22018, 22001, 21S01, 42S01, 42000).
Translation translate(const SqlStatement& statement, const Catalog& catalog,
                      Dialect dialect = Dialect::Sqlite);

}  // namespace rx::access
