#pragma once
// Backing up and restoring the program's two database files while
// workstations keep working: SQLite's online backup copies one consistent
// moment of each file, the log's acknowledged pages included, which a plain
// file copy of sj.accdb does not promise.
//
//   rxdb backup /srv/backup            -> /srv/backup/sj-20261208-221503.accdb, xs-...mdb
//   rxdb restore /srv/backup/sj-20261208-221503.accdb
//
// A copy is checked before anyone relies on it: integrity_check, and the rows
// of every table counted in the copy and in the same moment of the original.

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {

// The installed program's data folder, where backup reads and restore writes
// when no folder is named.
std::filesystem::path defaultDataDir();

// "20261208-221503" for that moment in local time: backups sort by name.
std::string backupStamp(std::time_t when);

// The database file a backup restores to, from the backup's name
// (sj-<stamp>.accdb -> sj.accdb, xs-<stamp>.mdb -> xs.mdb); empty when the
// name is not one of ours.
std::string restoredName(const std::filesystem::path& backup);

// Copies one database file to dest; the copy is a single file in
// rollback-journal mode, private to the clinic (0660 or 0600).
Status backupDatabase(const std::filesystem::path& file, const std::filesystem::path& dest);

// Both files of dataDir into the existing folder destDir, named by stamp.
// With a dsn, a file whose rows the data source keeps on a server is not
// copied: the message says the pg_dump command that backs that server up.
Status backupDataFolder(const std::filesystem::path& dataDir, const std::filesystem::path& destDir,
                        const std::string& stamp, const std::string& dsn = {});

// Puts a backup back as dataDir's sj.accdb or xs.mdb. A backup that fails
// its checks is refused; an existing file is replaced only with force, and
// then in place, so that running workstations see the restored rows.
Status restoreDatabase(const std::filesystem::path& backup, const std::filesystem::path& dataDir,
                       bool force);

// The shell command that dumps the server of these libpq keywords to file;
// the password never goes on a command line (~/.pgpass or PGPASSFILE holds it).
std::string pgDumpCommand(const std::vector<std::pair<std::string, std::string>>& keywords,
                          const std::filesystem::path& file);

}  // namespace rx::rxdb
