// rxdb: the administrator's tool for the program's database files.
//   rxdb create-prescriptions FILE
//   rxdb create-drugs FILE
//   rxdb import-drugs FILE TABLE CSV
//   rxdb settle-drugs FILE
//   rxdb --dsn NAME create-prescriptions [FILE] [--rooms-role ROLE]
//                                                 the tables on the server NAME names; with
//                                                 a role, the GRANTs for it on stdout
//   rxdb --dsn NAME create-drugs [FILE]
//   rxdb --dsn NAME copy FILE                     every row of FILE to that server
//   rxdb --dsn NAME copy-back FILE                every row from the server into FILE
//   rxdb [--dsn NAME] backup DEST [DATA_DIR]       online copies of both files, dated
//   rxdb restore [--force] FILE [DATA_DIR]        a checked backup back into the data folder
//   rxdb import-access [--replace] [--codepage CP] ACCESS_FILE FILE   an old Access file's tables
//   rxdb --dsn NAME import-access [--replace] [--codepage CP] ACCESS_FILE
// --driver NAME|PATH picks the ODBC driver when it is not registered.

#include <cctype>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/rxdb/backup.h"
#include "tools/rxdb/import_access.h"
#include "tools/rxdb/private_files.h"
#include "tools/rxdb/rxdb.h"

namespace {

int usage(std::ostream& out = std::cerr) {
    out << "usage: rxdb [--driver NAME|PATH] create-prescriptions FILE\n"
           "       rxdb [--driver NAME|PATH] create-drugs FILE\n"
           "       rxdb [--driver NAME|PATH] import-drugs FILE TABLE CSV\n"
           "       rxdb [--driver NAME|PATH] settle-drugs FILE\n"
           "       rxdb --dsn DSN create-prescriptions [FILE] [--rooms-role ROLE]\n"
           "       rxdb --dsn DSN create-drugs [FILE]\n"
           "       rxdb [--driver NAME|PATH] --dsn DSN copy FILE\n"
           "       rxdb [--driver NAME|PATH] --dsn DSN copy-back FILE\n"
           "       rxdb [--driver NAME|PATH] [--dsn DSN] import-access [--replace]\n"
           "            [--codepage CP] ACCESS_FILE [FILE]\n"
           "       rxdb [--dsn DSN] backup DEST [DATA_DIR]\n"
           "       rxdb restore [--force] FILE [DATA_DIR]\n"
           "DATA_DIR is "
        << rx::rxdb::defaultDataDir().string()
        << " unless named.\n"
           "Every file rxdb writes is 0660, or 0600 when the umask keeps the group out.\n"
           "See rxdb(1).\n";
    return 2;
}

// What comes before the command: which driver, which data source, and the
// rooms' role create-prescriptions prints GRANTs for (taken off the end).
struct Options {
    std::string driver = rx::rxdb::kDriverName;
    std::string dsn;
    std::string roomsRole;
};

// Takes "--name VALUE" off the front of args into value.
bool takeLeading(std::vector<std::string>& args, const char* name, std::string& value) {
    if (args.size() < 2 || args[0] != name) return false;
    value = args[1];
    args.erase(args.begin(), args.begin() + 2);
    return true;
}

// Nothing when the words are wrong; the exit code when they are refused.
std::optional<int> takeOptions(std::vector<std::string>& args, Options& o) {
    takeLeading(args, "--driver", o.driver);
    takeLeading(args, "--dsn", o.dsn);
    if (args.size() < 3 || args[args.size() - 2] != "--rooms-role") return 0;
    o.roomsRole = args.back();
    args.resize(args.size() - 2);
    if (o.dsn.empty() || args.empty() || args[0] != "create-prescriptions") return std::nullopt;
    for (char c : o.roomsRole)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            std::cerr << "rxdb: a role name of letters, digits and _ only\n";
            return 2;
        }
    return 0;
}

// backup and restore, with or without a data source; nullopt when args are neither.
std::optional<rx::rxdb::Status> backupCommand(std::vector<std::string> args,
                                              const std::string& dsn) {
    namespace r = rx::rxdb;
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "backup")
        return r::backupDataFolder(
            args.size() == 3 ? std::filesystem::path(args[2]) : r::defaultDataDir(), args[1],
            r::backupStamp(std::time(nullptr)), dsn);
    if (args.empty() || args[0] != "restore" || !dsn.empty()) return std::nullopt;
    const bool force = args.size() > 1 && args[1] == "--force";
    if (force) args.erase(args.begin() + 1);
    if (args.size() < 2 || args.size() > 3) return std::nullopt;
    return r::restoreDatabase(
        args[1], args.size() == 3 ? std::filesystem::path(args[2]) : r::defaultDataDir(), force);
}

// The commands on the server a data source names.
std::optional<rx::rxdb::Status> serverCommand(const std::vector<std::string>& args,
                                              const Options& o) {
    namespace r = rx::rxdb;
    const bool file = args.size() == 2;
    if (args[0] == "create-prescriptions" && args.size() <= 2)
        return r::createPrescriptionTables(o.dsn, file ? args[1] : rx::names::kPrescriptionFile);
    if (args[0] == "create-drugs" && args.size() <= 2)
        return r::createDrugTables(o.dsn, file ? args[1] : rx::names::kDrugFile);
    if (args[0] == "copy" && file) return r::copyToServer(args[1], o.dsn, o.driver);
    if (args[0] == "copy-back" && file) return r::copyFromServer(o.dsn, args[1], o.driver);
    return std::nullopt;
}

// The commands on a database file.
std::optional<rx::rxdb::Status> fileCommand(const std::vector<std::string>& args,
                                            const std::string& driver) {
    namespace r = rx::rxdb;
    if (args[0] == "create-prescriptions" && args.size() == 2)
        return r::createPrescriptionDatabase(args[1], driver);
    if (args[0] == "create-drugs" && args.size() == 2)
        return r::createDrugDatabase(args[1], driver);
    if (args[0] == "import-drugs" && args.size() == 4)
        return r::importDrugs(args[1], args[2], args[3], driver);
    if (args[0] == "settle-drugs" && args.size() == 2)
        return r::settleDrugDatabase(args[1], driver);
    return std::nullopt;
}

std::optional<rx::rxdb::Status> runCommand(const std::vector<std::string>& args, const Options& o) {
    if (auto done = backupCommand(args, o.dsn)) return done;
    if (args[0] == "import-access") return rx::rxdb::runImportAccess(args, o.dsn, o.driver);
    return o.dsn.empty() ? fileCommand(args, o.driver) : serverCommand(args, o);
}

}  // namespace

int main(int argc, char** argv) {
    rx::rxdb::keepFilesPrivate();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return usage(std::cout), 0;
    Options o;
    const std::optional<int> refused = takeOptions(args, o);
    if (!refused || args.empty()) return usage();
    if (*refused != 0) return *refused;
    const std::optional<rx::rxdb::Status> status = runCommand(args, o);
    if (!status) return usage();
    // With a rooms' role stdout holds only SQL, ready for psql.
    (*status && o.roomsRole.empty() ? std::cout : std::cerr) << "rxdb: " << status->message << '\n';
    if (*status && !o.roomsRole.empty()) std::cout << rx::rxdb::roomsGrants(o.roomsRole);
    return *status ? 0 : 1;
}
