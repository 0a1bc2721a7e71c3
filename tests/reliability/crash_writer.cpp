// The writer of the crash tests: saves visits one by one through the program's
// own database layer and appends "number microseconds" to the log after each
// save the driver acknowledged, "number -1" after each it reported failed,
// syncing the log every time.
//   crash_writer PROGRAM_DIR LOG FIRST_NUMBER [SAVES]
// Without SAVES it saves until it is killed, and a failed save makes it stop
// and wait to be killed, so that the file stays as the failure left it. With
// SAVES it goes on after failures and waits to be killed after the last one.
// RX_IO_FAULTS=P: each save runs with libfiu's random I/O faults of
// probability P (under `fiu-run -x`); the log is written without them.

#include <fcntl.h>
#include <fiu-control.h>
#include <fiu.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "db/statements.h"

namespace {

constexpr const char* kFaultPoints[] = {
    "posix/io/rw/read",      "posix/io/rw/pread",   "posix/io/rw/write",      "posix/io/rw/pwrite",
    "posix/io/rw/ftruncate", "posix/io/sync/fsync", "posix/io/sync/fdatasync"};

void ioFaults(float probability) {
    for (const char* point : kFaultPoints) {
        if (probability > 0)
            fiu_enable_random(point, 1, nullptr, 0, probability);
        else
            fiu_disable(point);
    }
}

bool logLine(int log, long long number, long long micros) {
    const std::string line = std::to_string(number) + ' ' + std::to_string(micros) + '\n';
    return ::write(log, line.data(), line.size()) == ssize_t(line.size()) && ::fsync(log) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4 && argc != 5) return 2;
    const long long saves = argc == 5 ? std::atoll(argv[4]) : -1;
    const float faults = std::strtof(qgetenv("RX_IO_FAULTS").constData(), nullptr);
    fiu_init(0);
    rx::db::OdbcConnection db;
    if (!db.Open(rx::db::prescriptionConnectionText(QString::fromLocal8Bit(argv[1])))) return 3;
    const int log = ::open(argv[2], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (log < 0) return 4;
    rx::db::Visit visit{QStringLiteral("张三"),        QStringLiteral("男"),
                        QStringLiteral("35"),          QStringLiteral("岁"),
                        QStringLiteral("禾川镇"),      QStringLiteral("感冒"),
                        QStringLiteral("2024年5月3日")};
    visit.herbalPrescription = QStringLiteral("当归10g,甘草6g,");
    const long long first = std::atoll(argv[3]);
    for (long long n = first; saves < 0 || n < first + saves; ++n) {
        visit.prescriptionNumber = QString::number(n);
        QElapsedTimer timer;
        timer.start();
        ioFaults(faults);
        const bool saved = db.Execute(rx::db::VisitInsert(visit));
        ioFaults(0);
        if (!logLine(log, n, saved ? timer.nsecsElapsed() / 1000 : -1)) return 6;
        if (!saved && saves < 0) break;
    }
    for (;;) ::pause();
}
