// The writer of the crash test: saves visits one by one through the program's
// own database layer and, after each save the driver acknowledged, appends
// "number microseconds" to the log and syncs it, until it is killed.
//   crash_writer PROGRAM_DIR LOG FIRST_NUMBER

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "db/statements.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) return 2;
    rx::db::OdbcConnection db;
    if (!db.Open(rx::db::prescriptionConnectionText(QString::fromLocal8Bit(argv[1])))) return 3;
    const int log = ::open(argv[2], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (log < 0) return 4;
    rx::db::Visit visit{QStringLiteral("张三"),        QStringLiteral("男"),
                        QStringLiteral("35"),          QStringLiteral("岁"),
                        QStringLiteral("禾川镇"),      QStringLiteral("感冒"),
                        QStringLiteral("2024年5月3日")};
    visit.herbalPrescription = QStringLiteral("当归10g,甘草6g,");
    for (long long n = std::atoll(argv[3]);; ++n) {
        visit.prescriptionNumber = QString::number(n);
        QElapsedTimer timer;
        timer.start();
        if (!db.Execute(rx::db::VisitInsert(visit))) {
            std::fprintf(stderr, "save %lld failed\n", n);
            return 5;
        }
        const std::string line =
            std::to_string(n) + ' ' + std::to_string(timer.nsecsElapsed() / 1000) + '\n';
        if (::write(log, line.data(), line.size()) != ssize_t(line.size()) || ::fsync(log) != 0)
            return 6;
    }
}
