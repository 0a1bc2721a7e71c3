// rxdb: the administrator's tool for the program's database files.
//   rxdb create-prescriptions FILE
//   rxdb create-drugs FILE
//   rxdb import-drugs FILE TABLE CSV
//   rxdb settle-drugs FILE
// --driver NAME|PATH picks the ODBC driver when it is not registered.

#include <iostream>
#include <string>
#include <vector>

#include "tools/rxdb/rxdb.h"

namespace {

int usage() {
    std::cerr << "usage: rxdb [--driver NAME|PATH] create-prescriptions FILE\n"
                 "       rxdb [--driver NAME|PATH] create-drugs FILE\n"
                 "       rxdb [--driver NAME|PATH] import-drugs FILE TABLE CSV\n"
                 "       rxdb [--driver NAME|PATH] settle-drugs FILE\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string driver = rx::rxdb::kDriverName;
    if (args.size() >= 2 && args[0] == "--driver") {
        driver = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return usage();
    rx::rxdb::Status status;
    if (args[0] == "create-prescriptions" && args.size() == 2) {
        status = rx::rxdb::createPrescriptionDatabase(args[1], driver);
    } else if (args[0] == "create-drugs" && args.size() == 2) {
        status = rx::rxdb::createDrugDatabase(args[1], driver);
    } else if (args[0] == "import-drugs" && args.size() == 4) {
        status = rx::rxdb::importDrugs(args[1], args[2], args[3], driver);
    } else if (args[0] == "settle-drugs" && args.size() == 2) {
        status = rx::rxdb::settleDrugDatabase(args[1], driver);
    } else {
        return usage();
    }
    (status ? std::cout : std::cerr) << "rxdb: " << status.message << '\n';
    return status ? 0 : 1;
}
