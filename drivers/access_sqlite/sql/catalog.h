#pragma once
// What the translator needs to know about the tables of one database file.

#include <string>
#include <string_view>
#include <vector>

#include "platform/access_values/access_types.h"

namespace rx::access {

struct ColumnInfo {
    std::string name;
    ColumnType type;
    bool notNull = false;
    bool primaryKey = false;
};

struct TableInfo {
    std::string name;
    std::vector<ColumnInfo> columns;
    // Access names are case-insensitive for ASCII letters.
    const ColumnInfo* findColumn(std::string_view column) const;
};

class Catalog {
public:
    virtual ~Catalog() = default;
    virtual const TableInfo* findTable(std::string_view table) const = 0;
};

}  // namespace rx::access
