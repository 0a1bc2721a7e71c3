#pragma once
// Where a test's data source keeps its rows: the local file, or a fresh
// database on the pg_cluster fixture's server, with the prescription tables
// made and nothing in them. Tests that take a Store parameter run on both.

#include <memory>
#include <string>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {

enum class Store { File, Server };

inline std::string storeName(Store s) {
    return s == Store::File ? "File" : "Server";
}

class StoreFixture {
public:
    explicit StoreFixture(Store store) : store_(store) {}
    // Empty when ready, else why not. Call RX_REQUIRE_SERVER() first for a server.
    std::string setUp() {
        if (store_ == Store::File) {
            std::string error;
            return dir.createPrescriptionDatabase(&error) ? std::string() : error;
        }
        server = std::make_unique<ServerDatabase>();
        if (!server->ok()) return server->error();
        dir.setDataSourceKeys(server->dataSourceKeys());
        rxdb::Status s =
            rxdb::createPrescriptionTables(TempProgramDir::dataSourceName().toStdString(),
                                           dir.prescriptionDatabasePath().toStdString());
        return s ? std::string() : s.message;
    }
    std::string text() const { return dir.prescriptionConnectionText(); }
    Store store() const { return store_; }

    TempProgramDir dir;
    std::unique_ptr<ServerDatabase> server;

private:
    Store store_;
};

}  // namespace rx::test
