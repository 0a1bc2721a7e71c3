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

// A machine where nothing registers the DSN: the system folder is an empty one
// of the test's own and there is no user file, so neither the machine's /etc
// nor the account's ~/.odbc.ini is read.
void pointAtEmptyMachine(const QString& emptyFolder) {
    qputenv("ODBCSYSINI", QFile::encodeName(emptyFolder));
    qputenv("ODBCINI", QFile::encodeName(emptyFolder + u"/odbc.ini"_s));
    qunsetenv("ODBCINSTINI");
}

// 0 when the program's connection opens and stores a row.
int connectAndStore(const test::TempProgramDir& dir) {
    OdbcConnection db;
    const bool ok = db.Open(prescriptionConnectionText(dir.path())) &&
                    db.Execute(IndexInsert(u"张三"_s, u"2024年5月3日"_s, QString(), QString()));
    if (!ok && db.lastError())
        fprintf(stderr, "%s %s\n", qPrintable(db.lastError()->sqlState),
                qPrintable(db.lastError()->message));
    return ok ? 0 : 1;
}

// Each scenario returns the child's exit code once its folders are removed:
// exiting from inside it would skip their destructors and leave them behind.
int withoutAnyConfiguration() {
    test::TempProgramDir dir(false);
    QTemporaryDir machine;
    pointAtEmptyMachine(machine.path());
    if (!ensureOdbcRegistration(dir.path())) return 2;
    if (qEnvironmentVariable("ODBCSYSINI") != dir.path()) return 3;
    if (!dir.createPrescriptionDatabase()) return 4;
    return connectAndStore(dir);
}

int withAUserRegistration() {
    test::TempProgramDir dir(false);
    QTemporaryDir machine;
    pointAtEmptyMachine(machine.path());
    // The user's own DSN names the driver library directly.
    const QString userIni = machine.filePath(u"user.ini"_s);
    qputenv("ODBCINI", QFile::encodeName(userIni));
    QFile ini(userIni);
    if (!ini.open(QIODevice::WriteOnly)) return 5;
    ini.write("[MS ACCESS DATABASE]\nDriver = " +
              QFile::encodeName(test::TempProgramDir::driverPath()) + "\n");
    ini.close();
    if (ensureOdbcRegistration(dir.path())) return 2;
    if (qEnvironmentVariable("ODBCSYSINI") != machine.path()) return 3;
    // The program folder's files would not be found: they are gone.
    QFile::remove(dir.path() + u"/odbc.ini"_s);
    QFile::remove(dir.path() + u"/odbcinst.ini"_s);
    if (!dir.createPrescriptionDatabase()) return 4;
    return connectAndStore(dir);
}

class OdbcRegistrationEnvironment : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(OdbcRegistrationEnvironment, WithoutAnyConfigurationTheProgramFolderIsUsed) {
    EXPECT_EXIT(std::exit(withoutAnyConfiguration()), testing::ExitedWithCode(0), "");
}

TEST_F(OdbcRegistrationEnvironment, AUserRegistrationIsKept) {
    EXPECT_EXIT(std::exit(withAUserRegistration()), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace rx::db
