// rxdb's private file modes, and backup and restore of live database files:
// copies taken while others save, checked by SQLite itself, refused when damaged.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tools/rxdb/backup.h"
#include "tools/rxdb/private_files.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

mode_t modeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// SQLite's own verdict on a file, not rxdb's.
std::string integrity(const fs::path& file) {
    sqlite3* db = nullptr;
    std::string verdict = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        verdict = s && sqlite3_step(s) == SQLITE_ROW
                      ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
                      : sqlite3_errmsg(db);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return verdict;
}

std::set<std::string> names(const fs::path& file) {
    test::OdbcConnection c;
    EXPECT_TRUE(c.driverConnect("DRIVER=" + test::TempProgramDir::driverPath().toStdString() +
                                ";DBQ=" + file.string())
                    .ok());
    std::set<std::string> out;
    for (const auto& row : c.query("select 姓名 from 检索")) out.insert(row.at(0).value_or(""));
    return out;
}

class RestoreUmask {
public:
    explicit RestoreUmask(mode_t mask) : old_(::umask(mask)) {}
    ~RestoreUmask() { ::umask(old_); }

private:
    mode_t old_;
};

struct ModeCase {
    mode_t umask;
    mode_t expected;
};

class RxdbFileModes : public ::testing::TestWithParam<ModeCase> {};

// The database, the log and index files SQLite adds while a connection is
// open, and a backup: all private to owner and group, whatever the umask.
TEST_P(RxdbFileModes, EveryFileRxdbMakesKeepsOtherAccountsOut) {
    const ModeCase c = GetParam();
    test::TempProgramDir dir;
    RestoreUmask mask(c.umask);
    const fs::path sj = dir.prescriptionDatabasePath().toStdString();
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    test::OdbcConnection open;
    ASSERT_TRUE(open.driverConnect(dir.prescriptionConnectionText()).ok());
    ASSERT_TRUE(open.execute("INSERT INTO 检索 (姓名) values ('张三')").ok());
    const fs::path backups = dir.path().toStdString() + "/backups";
    fs::create_directory(backups);
    ASSERT_TRUE(backupDataFolder(dir.dataDir().toStdString(), backups, "20260101-000000"));
    for (const fs::path& f :
         {sj, fs::path(sj.string() + "-wal"), fs::path(sj.string() + "-shm"),
          fs::path(dir.drugDatabasePath().toStdString()), backups / "sj-20260101-000000.accdb",
          backups / "xs-20260101-000000.mdb"})
        EXPECT_EQ(modeOf(f), c.expected) << f << " under umask 0" << std::oct << c.umask;
}

INSTANTIATE_TEST_SUITE_P(Umasks, RxdbFileModes,
                         ::testing::Values(ModeCase{0, 0660}, ModeCase{0022, 0660},
                                           ModeCase{0027, 0660}, ModeCase{0077, 0600}),
                         [](const auto& test) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Umask%04o", test.param.umask);
                             return std::string(name);
                         });

class RxdbBackup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.createPrescriptionDatabase());
        ASSERT_TRUE(
            dir.createDrugDatabase({{"DG", "当归", "1kg"}}, {{"AMXL", "阿莫西林", "0.25g"}}));
        fs::create_directory(backups);
    }
    fs::path sj() const { return dir.prescriptionDatabasePath().toStdString(); }
    fs::path data() const { return dir.dataDir().toStdString(); }

    test::TempProgramDir dir;
    const fs::path backups = dir.path().toStdString() + "/backups";
};

// Three writers keep saving through the driver; the backup holds every save
// acknowledged before it began, and passes SQLite's own integrity check.
TEST_F(RxdbBackup, CopyTakenWhileThreeWritersSaveHoldsEveryAcknowledgedSave) {
    constexpr int kWriters = 3;
    std::atomic<int> acknowledged[kWriters] = {};
    std::atomic<bool> stop = false;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            test::OdbcConnection c;
            if (!c.driverConnect(dir.prescriptionConnectionText()).ok()) return;
            for (int i = 0; !stop; ++i)
                if (c.execute("INSERT INTO 检索 (姓名,主诉) values ('w" + std::to_string(w) + "-" +
                              std::to_string(i) + "','头痛')")
                        .ok())
                    acknowledged[w] = i + 1;
                else
                    --i;
        });
    auto everyoneSaved = [&](int n) {
        for (auto& a : acknowledged)
            if (a < n) return false;
        return true;
    };
    for (int spins = 0; !everyoneSaved(20) && spins < 6000; ++spins)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int before[kWriters];
    for (int w = 0; w < kWriters; ++w) before[w] = acknowledged[w];
    const fs::path copy = backups / "sj-live.accdb";
    Status s = backupDatabase(sj(), copy);
    const int target = acknowledged[0] + 20;
    for (int spins = 0; acknowledged[0] < target && spins < 6000; ++spins)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop = true;
    for (auto& t : writers) t.join();
    ASSERT_TRUE(s) << s.message;
    EXPECT_THAT(s.message, HasSubstr("integrity ok"));
    EXPECT_EQ(integrity(copy), "ok");
    const std::set<std::string> saved = names(copy);
    for (int w = 0; w < kWriters; ++w) {
        ASSERT_GE(before[w], 20) << "writer " << w << " never got going";
        for (int i = 0; i < before[w]; ++i)
            ASSERT_TRUE(saved.count("w" + std::to_string(w) + "-" + std::to_string(i)))
                << "save w" << w << "-" << i << " acknowledged before the backup is missing";
    }
    // The writers went on while and after the copy was taken: it was live.
    EXPECT_GT(names(sj()).size(), saved.size());
}

TEST_F(RxdbBackup, RestoreChecksTheBackupAndNeverOverwritesUnasked) {
    {
        test::OdbcConnection c;
        ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('张三')").ok());
    }
    ASSERT_TRUE(backupDataFolder(data(), backups, "20261208-221503"));
    const fs::path sjCopy = backups / "sj-20261208-221503.accdb";
    const fs::path empty = dir.path().toStdString() + "/fresh";
    fs::create_directory(empty);

    Status restored = restoreDatabase(sjCopy, empty, false);
    ASSERT_TRUE(restored) << restored.message;
    EXPECT_THAT(restored.message, HasSubstr("检索 1 rows"));
    ASSERT_TRUE(restoreDatabase(backups / "xs-20261208-221503.mdb", empty, false));
    EXPECT_EQ(names(empty / "sj.accdb"), std::set<std::string>{"张三"});
    EXPECT_EQ(modeOf(empty / "sj.accdb"), privateFileMode(currentUmask()));

    Status again = restoreDatabase(sjCopy, data(), false);
    EXPECT_FALSE(again);
    EXPECT_THAT(again.message, HasSubstr("only with --force"));
    {
        test::OdbcConnection c;  // a workstation still has the file open
        ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('李四')").ok());
        ASSERT_TRUE(restoreDatabase(sjCopy, data(), true));
        EXPECT_EQ(c.query("select 姓名 from 检索").size(), 1u);
    }
    EXPECT_EQ(names(sj()), std::set<std::string>{"张三"});
}

// Damaged or foreign backups are refused and leave no file behind.
TEST_F(RxdbBackup, DamagedOrForeignBackupIsRefused) {
    ASSERT_TRUE(backupDataFolder(data(), backups, "20261208-221503"));
    const fs::path good = backups / "sj-20261208-221503.accdb";
    const fs::path damaged = backups / "sj-damaged.accdb";
    fs::copy_file(good, damaged);
    {
        std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);  // the second page, a table's root: its header and cells
        const std::string junk(600, '\x5a');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    const fs::path truncated = backups / "sj-truncated.accdb";
    fs::copy_file(good, truncated);
    fs::resize_file(truncated, 100);
    const fs::path foreign = backups / "notes.accdb";
    fs::copy_file(good, foreign);
    const fs::path empty = dir.path().toStdString() + "/fresh";
    fs::create_directory(empty);
    for (const fs::path& bad : {damaged, truncated, foreign}) {
        Status s = restoreDatabase(bad, empty, true);
        EXPECT_FALSE(s) << bad;
        EXPECT_THAT(s.message, Not(HasSubstr("restored"))) << bad;
    }
    EXPECT_TRUE(fs::is_empty(empty));
}

TEST(RxdbBackupNames, StampsAndRestoredNames) {
    EXPECT_EQ(backupStamp(0).size(), 15u);
    EXPECT_EQ(restoredName("/b/sj-20261208-221503.accdb"), "sj.accdb");
    EXPECT_EQ(restoredName("xs-20261208-221503.mdb"), "xs.mdb");
    EXPECT_EQ(restoredName("sj.accdb"), "sj.accdb");
    EXPECT_EQ(restoredName("sj-20261208.mdb"), "");
    EXPECT_EQ(restoredName("notes.accdb"), "");
}

// A data source that keeps the visits on a server: no copy of the stale local
// file, but the exact pg_dump command, without the password.
TEST(RxdbServerBackup, PrintsThePgDumpCommandForTheServer) {
    test::TempProgramDir dir;
    dir.setDataSourceKeys(
        "PGHost = db.clinic\nPGPort = 5433\nPGDatabase = rx\nPGUser = o'neil\nPGPassword = "
        "s3cret\n");
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    ASSERT_TRUE(dir.createDrugDatabase());
    const fs::path dest = dir.path().toStdString() + "/b";
    fs::create_directory(dest);
    Status s = backupDataFolder(dir.dataDir().toStdString(), dest, "20261208-221503",
                                test::TempProgramDir::dataSourceName().toStdString());
    ASSERT_TRUE(s) << s.message;
    EXPECT_THAT(s.message,
                HasSubstr("pg_dump --format=custom --file='" + dest.string() +
                          "/sj-20261208-221503.pgdump' --dbname='host='\\''db.clinic'\\'' "
                          "port='\\''5433'\\'' dbname='\\''rx'\\'' user='\\''o\\'\\''neil'\\'''"));
    EXPECT_THAT(s.message, Not(HasSubstr("s3cret")));
    EXPECT_FALSE(fs::exists(dest / "sj-20261208-221503.accdb"));
    EXPECT_TRUE(fs::exists(dest / "xs-20261208-221503.mdb"));  // the catalogue stays local
}

}  // namespace
}  // namespace rx::rxdb
