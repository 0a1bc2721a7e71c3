// A writer saving visits is killed with SIGKILL at random moments after its
// first save of each round, again and again: every save it was told had
// succeeded is in the file afterwards, none twice, and SQLite finds the file
// sound.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "tests/support/temp_program_dir.h"

namespace {

// Numbers the writer logged as saved.
std::vector<long long> acknowledged(const std::string& log) {
    std::vector<long long> numbers;
    std::ifstream in(log);
    long long n = 0, micros = 0;
    while (in >> n >> micros) numbers.push_back(n);
    return numbers;
}

pid_t startWriter(const QString& programDir, const std::string& log, long long first) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string dir = programDir.toStdString(), from = std::to_string(first);
        ::execl(RX_CRASH_WRITER, RX_CRASH_WRITER, dir.c_str(), log.c_str(), from.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Waits until the writer has logged a save numbered from `first` on, so that
// every kill lands on a writer that got work done however slow the machine is.
// False when the writer ended by itself first.
bool waitForFirstSave(pid_t writer, const std::string& log, long long first) {
    for (;;) {
        for (long long n : acknowledged(log))
            if (n >= first) return true;
        int status = 0;
        if (::waitpid(writer, &status, WNOHANG) != 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST(CrashSafety, EveryAcknowledgedSaveSurvivesSigkill) {
    rx::test::TempProgramDir dir;
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    // RX_CRASH_KEEP: a folder where the long run's benchmark script reads the log.
    const QString keep = qEnvironmentVariable("RX_CRASH_KEEP");
    const std::string log =
        ((keep.isEmpty() ? dir.path() : keep) + QStringLiteral("/acknowledged.log")).toStdString();
    const int kills = qEnvironmentVariableIntValue("RX_CRASH_KILLS") > 0
                          ? qEnvironmentVariableIntValue("RX_CRASH_KILLS")
                          : 30;
    std::mt19937 random(20241208);
    std::uniform_int_distribution<int> pause(5, 120);
    long long next = 1;
    for (int round = 0; round < kills; ++round) {
        const pid_t writer = startWriter(dir.path(), log, next);
        ASSERT_GT(writer, 0);
        ASSERT_TRUE(waitForFirstSave(writer, log, next))
            << "the writer ended before its first save of round " << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;
        // Numbers of a killed round that never reached the log may or may not be
        // in the file; the next round starts past them so none is reused.
        next += 100000;
    }
    const std::vector<long long> saved = acknowledged(log);
    ASSERT_GE(saved.size(), std::size_t(kills)) << "a round went by without a save";

    sqlite3* file = nullptr;
    ASSERT_EQ(sqlite3_open_v2(dir.prescriptionDatabasePath().toUtf8().constData(), &file,
                              SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    std::multiset<long long> stored;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(file, "select 处方号 from 基本资料", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) stored.insert(sqlite3_column_int64(select, 0));
    sqlite3_finalize(select);
    std::string integrity;
    sqlite3_prepare_v2(file, "PRAGMA integrity_check", -1, &select, nullptr);
    if (sqlite3_step(select) == SQLITE_ROW)
        integrity = reinterpret_cast<const char*>(sqlite3_column_text(select, 0));
    sqlite3_finalize(select);
    sqlite3_close(file);

    EXPECT_EQ(integrity, "ok");
    std::size_t lost = 0;
    for (long long n : saved) lost += stored.count(n) == 0;
    EXPECT_EQ(lost, 0u) << "of " << saved.size() << " acknowledged saves";
    for (long long n : stored) EXPECT_EQ(stored.count(n), 1u) << "number " << n << " saved twice";
}

}  // namespace
