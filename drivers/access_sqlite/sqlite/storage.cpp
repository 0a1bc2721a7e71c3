#include "drivers/access_sqlite/sqlite/storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <thread>

#include "drivers/access_sqlite/common/errors.h"

namespace rx::access {
namespace {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Only a file whose header says WAL needs the -shm and -wal files beside it.
// The header is read through SQLite's own file layer: closing a descriptor of
// our own would drop every POSIX lock this process holds on the file, those
// of SQLite's other connections to it included.
bool isWalFile(const std::string& path) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs) return false;
    std::string full(static_cast<size_t>(vfs->mxPathname) + 1, '\0');
    if (vfs->xFullPathname(vfs, path.c_str(), vfs->mxPathname + 1, full.data()) != SQLITE_OK)
        return false;
    auto storage = std::make_unique<char[]>(static_cast<size_t>(vfs->szOsFile));
    auto* file = reinterpret_cast<sqlite3_file*>(storage.get());
    int flags = 0;
    if (vfs->xOpen(vfs, full.c_str(), file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &flags) !=
        SQLITE_OK)
        return false;
    unsigned char header[20] = {};
    const bool read = file->pMethods->xRead(file, header, sizeof header, 0) == SQLITE_OK;
    file->pMethods->xClose(file);
    return read && header[18] == 2 && header[19] == 2;
}

// Committed pages a writer left in the -wal file (after a crash, say) would be
// skipped by an immutable open, which reads only the main file.
bool hasPendingJournal(const std::string& path) {
    struct stat st {};
    return ::stat((path + "-wal").c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// SQLite's URI form of a file name: only '%', '?' and '#' mean something there.
std::string fileUri(const std::string& path) {
    std::string out = path.starts_with('/') ? "file://" : "file:";
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

bool folderWritable(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool couldNotShare(int rc) {
    return (rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_READONLY;
}

bool isBusy(int rc) {
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

// PRAGMA quick_check reads every page: about 50 to 100 ms for a file of
// 100 000 visits (23 MB) when it is in the page cache, growing with the file.
// Larger files are checked as SQLite meets them.
constexpr long long kQuickCheckBytes = 64LL << 20;
// About 16 MB of log with the default pages; a clinic's day stays far below.
constexpr int kWalRestartPages = 4000;
constexpr std::chrono::milliseconds kWalRestartWait{1000};
// Tries at cutting the log after a failed commit; the first waits out readers
// within the busy timeout, the others are for I/O errors of their own.
constexpr int kDropAttempts = 5;

long long fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// SQLite's own busy handler sleeps in steps that grow to 100 ms. Other writers
// commit every few milliseconds and take the lock again at once, so a writer
// that sleeps that long keeps missing the moments the lock is free and can
// wait out the whole timeout while they go on. Sleeps of a few milliseconds
// at most give it hundreds of chances instead of dozens without busy-polling
// the processor away from the writer that holds the lock; a little uneven, so
// that waiting processes do not wake in step.
std::chrono::microseconds nextWait(int attempt) {
    thread_local std::minstd_rand rng(
        static_cast<unsigned>(::getpid()) ^
        static_cast<unsigned>(std::hash<std::thread::id>{}(std::this_thread::get_id())));
    const long step = 1000L * std::min(attempt + 1, 5);
    return std::chrono::microseconds(step / 2 + static_cast<long>(rng() % step));
}

int waitBriefly(void* database, int attempt) {
    return static_cast<const Database*>(database)->waitForLock(attempt) ? 1 : 0;
}

int onWalCommit(void* database, sqlite3*, const char*, int pages) {
    static_cast<Database*>(database)->afterWalCommit(pages);
    return SQLITE_OK;  // the commit itself has succeeded either way
}

}  // namespace

Database::Database(const std::string& utf8Path, const OpenOptions& options)
    : readOnly_(options.readOnly), path_(utf8Path) {
    if (utf8Path.empty()) raise(ErrorKind::ConnectFailed, "No database file given (DBQ is empty)");
    if (!isRegularFile(utf8Path))
        raise(ErrorKind::ConnectFailed, "Could not find file '" + utf8Path + "'");
    // SQLite takes an empty file for a new database and would write one into
    // it; only rxdb, making a file, asks for that. Anything else that is no
    // database SQLite itself refuses as it reads the schema. The file is never
    // opened here beside SQLite: closing a second descriptor of a file would
    // drop the locks SQLite holds on it for this process's other connections.
    if (!options.newDatabase && fileSize(utf8Path) == 0)
        raise(ErrorKind::ConnectFailed, "Could not open file '" + utf8Path + "': the file is empty",
              SQLITE_NOTADB);
    if (!readOnly_ && !folderWritable(utf8Path))
        becomeReadOnly("the folder that holds the file cannot be written");
    int rc = open(utf8Path, readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                  options.busyTimeoutMs);
    if (rc != SQLITE_OK && !readOnly_ && couldNotShare(rc)) {
        becomeReadOnly("its journal files cannot be made");
        rc = open(utf8Path, SQLITE_OPEN_READONLY, options.busyTimeoutMs);
    }
    if (rc == SQLITE_OK && !readOnly_ && sqlite3_db_readonly(db_, "main") == 1)
        becomeReadOnly("the file cannot be written");
    if (rc != SQLITE_OK && readOnly_ && couldNotShare(rc) && isWalFile(utf8Path) &&
        !hasPendingJournal(utf8Path))
        openImmutable(options);
    else if (rc != SQLITE_OK)
        failOpen(rc);
    try {
        checkIntact(utf8Path);
        setUp(options);
    } catch (const DriverError& e) {
        close();
        // Another user's lock outlasting the busy timeout is a timeout, not a bad file.
        raise(e.kind == ErrorKind::Busy ? ErrorKind::Busy : ErrorKind::ConnectFailed,
              "'" + utf8Path + "' is not a usable database: " + e.message, e.native);
    }
}

// Only a connection that may write needs every page sound before it starts: a
// reader meets a damaged page as a failed read, part way through its result.
void Database::checkIntact(const std::string& path) {
    if (readOnly_ || fileSize(path) > kQuickCheckBytes) return;
    std::string verdict = pragmaText("PRAGMA quick_check(1)");
    if (verdict != "ok")
        raise(ErrorKind::ConnectFailed, "the file is damaged (" + verdict + ")", SQLITE_CORRUPT);
}

// A file the user may read but not write, or in a folder where SQLite cannot
// make its journal files beside it, is read as it stands: the windows still
// fill, and every save is refused as a write to a read-only database rather
// than the connection failing as a whole.
void Database::becomeReadOnly(std::string why) {
    readOnly_ = true;
    readOnlyReason_ = std::move(why);
}

// Opens and reads the schema, which proves the file is a database before
// anyone relies on it; SQLite's result code of whichever step failed.
int Database::open(const std::string& name, int flags, int busyTimeoutMs) {
    close();
    int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (!db_) return rc;
    sqlite3_extended_result_codes(db_, 1);
    busyTimeout_ = std::chrono::milliseconds(busyTimeoutMs);
    sqlite3_busy_handler(db_, &waitBriefly, this);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    return rc;
}

// A WAL file in a folder the user may not write to (an installed program's
// data folder) cannot get its -shm file, so a plain read-only open fails.
// Read-only users of such a folder cannot be sharing it with a writer, so the
// file may be read as it stands.
void Database::openImmutable(const OpenOptions& options) {
    int rc = open(fileUri(path_) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                  options.busyTimeoutMs);
    if (rc != SQLITE_OK) failOpen(rc);
}

void Database::failOpen(int rc) {
    std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    if ((rc & 0xff) == SQLITE_NOTADB) why = "not a database file";
    close();
    if (isBusy(rc))
        raise(ErrorKind::Busy,
              "The database file '" + path_ + "' is locked by another user: " + why, rc & 0xff);
    raise(ErrorKind::ConnectFailed, "Could not open file '" + path_ + "': " + why, rc & 0xff);
}

void Database::close() {
    schemaVersion_ = SqliteStatement();
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

std::string Database::pragmaText(const char* sql) const {
    SqliteStatement s = prepare(sql);
    int rc = sqlite3_step(s.get());
    if (rc == SQLITE_ROW) return reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
    if (rc != SQLITE_DONE) fail(rc);
    return {};
}

void Database::setUp(const OpenOptions& options) {
    if (!readOnly_ && options.exclusive) {
        // SQLite keeps WAL, or answers busy at once without waiting, while another
        // connection has the file open: no timeout ran out, the file is taken.
        std::string mode;
        try {
            mode = pragmaText("PRAGMA journal_mode=DELETE");
        } catch (const DriverError& e) {
            if (e.kind != ErrorKind::Busy) throw;
        }
        if (!sameName(mode, "delete"))
            raise(ErrorKind::ConnectFailed,
                  "The file is in use by another user and cannot be opened exclusively");
        execute("PRAGMA locking_mode=EXCLUSIVE");
    } else if (!readOnly_) {
        walMode_ = sameName(pragmaText("PRAGMA journal_mode=WAL"), "wal");
        sqlite3_wal_hook(db_, &onWalCommit, this);
    }
    if (!readOnly_) execute("PRAGMA synchronous=FULL");
    schemaVersion_ = prepare("PRAGMA schema_version");
}

Database::~Database() {
    close();
}

void Database::fail(int rc) const {
    failWith(rc, sqlite3_errmsg(db_));
}

void Database::failCommit(int rc) const {
    std::string message = sqlite3_errmsg(db_);  // before the clean-up says something else
    dropFailedCommit(rc);
    failWith(rc, std::move(message));
}

void Database::failWith(int rc, std::string message) const {
    const int primary = rc & 0xff;
    switch (primary) {
        case SQLITE_CONSTRAINT:
            raise(ErrorKind::Constraint, "Constraint violated: " + message, primary);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            raise(ErrorKind::Busy, "The database file is locked by another user: " + message,
                  primary);
        case SQLITE_INTERRUPT:
            raise(ErrorKind::Busy, "The statement ran past its query timeout", primary);
        case SQLITE_READONLY:
            raise(ErrorKind::ReadOnly, "Cannot update. Database or object is read-only: " + message,
                  primary);
        case SQLITE_MISMATCH:
            raise(ErrorKind::Conversion, "Data type mismatch: " + message, primary);
        case SQLITE_TOOBIG:
            raise(ErrorKind::StringTooLong, message, primary);
        case SQLITE_NOMEM:
            raise(ErrorKind::OutOfMemory, message, primary);
        case SQLITE_FULL:
            raise(ErrorKind::Storage, "The disk or the database file is full: " + message, primary);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            damaged_ = true;
            raise(ErrorKind::Storage, "The database file is damaged: " + message, primary);
        default:
            raise(ErrorKind::Storage, message, primary);
    }
}

SqliteStatement Database::prepare(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) fail(rc);
    return SqliteStatement(stmt);
}

void Database::execute(const char* sql) const {
    SqliteStatement s = prepare(sql);
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(rc);
}

// A copy of the main file alone (a clinic's backup, the file of a killed
// workstation) must hold every acknowledged save, so each commit copies its
// frames from the log into the main file before the save is answered. The
// checkpoint is a passive one: it never blocks readers or other writers; a
// reader still on an older snapshot, or another connection's checkpoint,
// only delays it, within the busy timeout. A log that has restarted since the
// commit was copied whole before it restarted.
void Database::afterWalCommit(int frames) {
    if (frames >= kWalRestartPages) restartLog();
    for (int attempt = 0;; ++attempt) {
        int log = -1, copied = -1;
        const int rc =
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, &log, &copied);
        if (rc == SQLITE_OK && (copied >= frames || log < frames)) return;
        if (!waitForLock(attempt)) return;  // stays in the log; the next commit copies it
    }
}

// Readers that search back to back may leave no moment without one on an
// older snapshot, so the log would never start over and grows without end
// (half a gigabyte for a 9 MB file under three writers and two searching
// readers). Past kWalRestartPages a commit therefore waits, briefly, for them,
// and the log starts over from nothing.
void Database::restartLog() {
    const auto saved = busyTimeout_;
    busyTimeout_ = std::min(busyTimeout_, kWalRestartWait);
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    busyTimeout_ = saved;
}

// A commit whose log write or sync failed may have left its frames, commit
// mark and all, in the -wal file. SQLite does not count them, but its
// recovery after a crash reads the file and would bring the "failed" save
// back. So the log is copied into the main file and cut to nothing before
// the failure is reported: failed means absent.
void Database::dropFailedCommit(int rc) const {
    const int primary = rc & 0xff;
    if (!walMode_ || (primary != SQLITE_IOERR && primary != SQLITE_FULL)) return;
    for (int attempt = 0; attempt < kDropAttempts; ++attempt) {
        const int cut =
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        if (cut == SQLITE_OK) return;
        if (isBusy(cut)) break;  // readers outlasted the busy timeout already
        std::this_thread::sleep_for(nextWait(attempt));
    }
    // Nothing more can be done through this file now; writing on would risk
    // a save that was reported failed coming back.
    damaged_ = true;
}

bool Database::waitForLock(int attempt) const {
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) busySince_ = now;
    // The application's query timeout can only shorten the wait.
    const std::chrono::milliseconds limit =
        queryTimeout_.count() > 0 ? std::min<std::chrono::milliseconds>(queryTimeout_, busyTimeout_)
                                  : busyTimeout_;
    if (now - busySince_ >= limit) return false;
    std::this_thread::sleep_for(nextWait(attempt));
    return true;
}

void Database::setQueryTimeout(int seconds) {
    queryTimeout_ = std::chrono::seconds(seconds);
    if (seconds <= 0) {
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        return;
    }
    queryDeadline_ = std::chrono::steady_clock::now() + queryTimeout_;
    sqlite3_progress_handler(
        db_, 10000,
        [](void* self) {
            return std::chrono::steady_clock::now() > static_cast<Database*>(self)->queryDeadline_
                       ? 1
                       : 0;
        },
        this);
}

// SQLite waits through the busy handler only when a statement takes its locks
// from nothing. A write on a connection that is already reading (a result not
// yet read to its end, an explicit transaction that began with a read) is
// refused at once while another writer holds the lock; it has changed nothing
// then and can run again. A changed snapshot (SQLITE_BUSY_SNAPSHOT) cannot be
// waited out and is returned as it is.
int Database::stepWrite(sqlite3_stmt* stmt) const {
    int rc;
    for (int attempt = 0; (rc = sqlite3_step(stmt)) == SQLITE_BUSY &&
                          sqlite3_txn_state(db_, "main") == SQLITE_TXN_READ && waitForLock(attempt);
         ++attempt)
        sqlite3_reset(stmt);
    return rc;
}

void Database::checkSchema() {
    sqlite3_stmt* s = schemaVersion_.get();
    int version = -1;
    if (sqlite3_step(s) == SQLITE_ROW) version = sqlite3_column_int(s, 0);
    sqlite3_reset(s);
    if (version != knownVersion_) {
        forgetSchema();
        knownVersion_ = version;
    }
}

const TableInfo* Database::findTable(std::string_view table) const {
    std::string key = lowerAscii(table);
    auto it = tables_.find(key);
    if (it != tables_.end()) return it->second.get();
    SqliteStatement s =
        prepare("SELECT name FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE");
    sqlite3_bind_text(s.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    const int found = sqlite3_step(s.get());
    if (found == SQLITE_DONE) return nullptr;
    if (found != SQLITE_ROW) fail(found);  // busy or damaged: not "no such table"
    auto info = std::make_unique<TableInfo>();
    info->name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
    SqliteStatement cols = prepare("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1)");
    sqlite3_bind_text(cols.get(), 1, info->name.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(cols.get()) == SQLITE_ROW) {
        ColumnInfo c;
        c.name = reinterpret_cast<const char*>(sqlite3_column_text(cols.get(), 0));
        const unsigned char* decl = sqlite3_column_text(cols.get(), 1);
        c.primaryKey = sqlite3_column_int(cols.get(), 3) != 0;
        c.type = *typeFromDeclared(decl ? reinterpret_cast<const char*>(decl) : "", c.primaryKey);
        c.notNull = sqlite3_column_int(cols.get(), 2) != 0;
        info->columns.push_back(std::move(c));
    }
    return (tables_[key] = std::move(info)).get();
}

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    SqliteStatement s = prepare(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE "
        "'\\' "
        "ORDER BY name");
    while (sqlite3_step(s.get()) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
    return names;
}

void bindParameters(const Database& db, sqlite3_stmt* stmt, const std::vector<BoundValue>& params) {
    sqlite3_reset(stmt);
    for (size_t i = 0; i < params.size(); ++i) {
        const BoundValue& v = params[i];
        int index = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        switch (v.kind) {
            case BoundValue::Kind::Null:
                rc = sqlite3_bind_null(stmt, index);
                break;
            case BoundValue::Kind::Integer:
                rc = sqlite3_bind_int64(stmt, index, v.integer);
                break;
            case BoundValue::Kind::Real:
                rc = sqlite3_bind_double(stmt, index, v.real);
                break;
            case BoundValue::Kind::Text:
                rc = sqlite3_bind_text64(stmt, index, v.text.data(), v.text.size(), SQLITE_STATIC,
                                         SQLITE_UTF8);
                break;
        }
        if (rc != SQLITE_OK) db.fail(rc);
    }
}

SqliteCursor::SqliteCursor(const Database& db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        pending_ = true;
    else if (rc == SQLITE_DONE)
        done_ = true;
    else
        db_.fail(rc);
}

bool SqliteCursor::next() {
    if (pending_) {
        pending_ = false;
        return true;
    }
    if (done_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    done_ = true;
    if (rc != SQLITE_DONE) db_.fail(rc);
    return false;
}

CellView SqliteCursor::cell(int column) const {
    CellView v;
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            v.kind = CellView::Kind::Integer;
            v.integer = sqlite3_column_int64(stmt_, column);
            break;
        case SQLITE_FLOAT:
            v.kind = CellView::Kind::Real;
            v.real = sqlite3_column_double(stmt_, column);
            break;
        case SQLITE_NULL:
            break;
        default: {
            v.kind = CellView::Kind::Text;
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
            v.text = std::string_view(p ? p : "",
                                      static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
        }
    }
    return v;
}

CellView MemoryCursor::cell(int column) const {
    CellView v;
    const BoundValue& b = rows_[static_cast<size_t>(row_)][static_cast<size_t>(column)];
    switch (b.kind) {
        case BoundValue::Kind::Null:
            break;
        case BoundValue::Kind::Integer:
            v.kind = CellView::Kind::Integer;
            v.integer = b.integer;
            break;
        case BoundValue::Kind::Real:
            v.kind = CellView::Kind::Real;
            v.real = b.real;
            break;
        case BoundValue::Kind::Text:
            v.kind = CellView::Kind::Text;
            v.text = b.text;
            break;
    }
    return v;
}

}  // namespace rx::access
