#pragma once
// SQLGetInfo answers and the SQLGetFunctions list.

#include "drivers/access_sqlite/odbc/handles.h"

namespace rx::access {

struct InfoValue {
    enum class Kind { Text, UShort, UInt } kind = Kind::UInt;
    std::string text;  // UTF-8
    SQLUINTEGER number = 0;
};

// Throws DriverError HY096 for an info type the driver does not know.
InfoValue infoValue(const Connection& conn, SQLUSMALLINT infoType);

bool supportsFunction(SQLUSMALLINT function);

}  // namespace rx::access
