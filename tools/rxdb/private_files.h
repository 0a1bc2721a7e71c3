#pragma once
// Patient data must never be readable by accounts outside the clinic's group,
// whatever umask the administrator's shell happens to have. Every file rxdb
// writes is created here, 0660 (the clinic's group shares it) or 0600 when
// the umask already keeps the group out; SQLite gives a database's -wal,
// -shm and -journal files the mode of the database file itself.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace rx::rxdb {

// The mode a new data file gets under the given umask: 0600 when the umask
// denies the group both read and write, 0660 otherwise. Never world-readable.
mode_t privateFileMode(mode_t umask);

// The process's umask, read without changing it for longer than the call.
mode_t currentUmask();

// Creates file (never overwriting one that exists) with privateFileMode of the
// current umask, empty. Empty error on success.
std::string createPrivateFile(const std::filesystem::path& file);

// Gives an existing file the mode privateFileMode(currentUmask()) names.
bool makePrivate(const std::filesystem::path& file);

// Sets a umask for the rest of the process so that files made by code that
// does not come through here (a library's own temporary files) are private too.
void keepFilesPrivate();

}  // namespace rx::rxdb
