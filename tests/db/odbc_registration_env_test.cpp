// Start-up registration against the real driver manager. unixODBC remembers
// where its configuration lives from its first call on, so every scenario runs
// in a fresh process of its own and touches ODBC only after the check.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "db/odbc_registration.h"
#include "db/statements.h"
#include "tests/support/temp_program_dir.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

// No ODBC variable: only the machine's own files (/etc, the account's
// ~/.odbc.ini) are left, and on a build machine they do not know the DSN.
void clearOdbcEnvironment() {
    for (const char* name : {"ODBCSYSINI", "ODBCINI", "ODBCINSTINI"}) qunsetenv(name);
}

bool machineRegistersTheDsn() {
    return dsnResolves(accessDsnName(), currentOdbcConfigFiles());
}

// Exits 0 when the program's connection opens and stores a row.
[[noreturn]] void connectAndExit(const test::TempProgramDir& dir) {
    OdbcConnection db;
    const bool ok = db.Open(prescriptionConnectionText(dir.path())) &&
                    db.Execute(IndexInsert(u"张三"_s, u"2024年5月3日"_s, QString(), QString()));
    if (!ok && db.lastError())
        fprintf(stderr, "%s %s\n", qPrintable(db.lastError()->sqlState),
                qPrintable(db.lastError()->message));
    std::exit(ok ? 0 : 1);
}

class OdbcRegistrationEnvironment : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(OdbcRegistrationEnvironment, WithoutAnyConfigurationTheProgramFolderIsUsed) {
    EXPECT_EXIT(
        {
            test::TempProgramDir dir(false);
            clearOdbcEnvironment();
            const bool registered = machineRegistersTheDsn();
            const bool pointed = ensureOdbcRegistration(dir.path());
            if (pointed == registered) std::exit(2);
            if (pointed && qEnvironmentVariable("ODBCSYSINI") != dir.path()) std::exit(3);
            if (!dir.createPrescriptionDatabase()) std::exit(4);
            connectAndExit(dir);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(OdbcRegistrationEnvironment, AUserRegistrationIsKept) {
    EXPECT_EXIT(
        {
            test::TempProgramDir dir(false);
            QTemporaryDir home;
            clearOdbcEnvironment();
            // The user's own DSN names the driver library directly.
            const QString userIni = home.filePath(u"user.ini"_s);
            qputenv("ODBCINI", QFile::encodeName(userIni));
            QFile ini(userIni);
            if (!ini.open(QIODevice::WriteOnly)) std::exit(5);
            ini.write("[MS ACCESS DATABASE]\nDriver = " +
                      QFile::encodeName(test::TempProgramDir::driverPath()) + "\n");
            ini.close();
            if (ensureOdbcRegistration(dir.path())) std::exit(2);
            if (qEnvironmentVariableIsSet("ODBCSYSINI")) std::exit(3);
            // The program folder's files would not be found: they are gone.
            QFile::remove(dir.path() + u"/odbc.ini"_s);
            QFile::remove(dir.path() + u"/odbcinst.ini"_s);
            if (!dir.createPrescriptionDatabase()) std::exit(4);
            connectAndExit(dir);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace rx::db
