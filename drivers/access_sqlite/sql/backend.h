#pragma once
// What a connection stores into: the local SQLite file or a clinic's
// PostgreSQL server. Statements and connections speak only to this seam; the
// translator is told which dialect to write and the backend runs the result.

#include <memory>
#include <string>
#include <vector>

#include "drivers/access_sqlite/sql/catalog.h"
#include "drivers/access_sqlite/sql/translator.h"

namespace rx::access {

// One cell of the current row as it is stored.
struct CellView {
    enum class Kind { Null, Integer, Real, Text } kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string_view text;
};

class Cursor {
public:
    virtual ~Cursor() = default;
    virtual bool next() = 0;                      // moves to the next row; false after the last
    virtual CellView cell(int column) const = 0;  // 0-based
};

// A translated statement made ready to run, again and again with new values.
class Execution {
public:
    virtual ~Execution() = default;
    // Runs a query; a failing query fails here, not at its first fetch.
    virtual std::unique_ptr<Cursor> open(const std::vector<BoundValue>& params) = 0;
    // Runs anything else; the number of rows it changed.
    virtual long long run(const std::vector<BoundValue>& params) = 0;
    // Lets go of a result that was not read to its end.
    virtual void reset() = 0;
};

class Backend : public Catalog {
public:
    virtual Dialect dialect() const = 0;
    virtual bool readOnly() const = 0;
    // Why a connection that asked to write was opened read-only; empty otherwise.
    virtual const std::string& readOnlyReason() const = 0;
    // The file, or the server and database, for catalog names and tools.
    virtual const std::string& location() const = 0;
    // Set once the store was found damaged; from then on nothing is written.
    virtual bool damaged() const { return false; }
    // False once the connection to a server is known to be broken.
    virtual bool alive() const { return true; }

    // Drops cached table layouts when someone changed the schema.
    virtual void checkSchema() = 0;
    virtual void forgetSchema() = 0;
    // Changes whenever cached layouts were dropped; prepared statements compare it.
    virtual unsigned generation() const = 0;
    virtual std::vector<std::string> tableNames() const = 0;

    virtual std::unique_ptr<Execution> compile(const Translation& t) = 0;
    // The bound on the statements that follow, in seconds; 0 for the store's own.
    virtual void setQueryTimeout(int seconds) { (void)seconds; }

    virtual bool inTransaction() const = 0;
    // An explicit transaction; one that starts with a write takes its locks at once.
    virtual void begin(bool writes) = 0;
    virtual void endTransaction(bool commit) = 0;
};

}  // namespace rx::access
