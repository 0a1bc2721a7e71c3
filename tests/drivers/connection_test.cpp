// Connecting: the program's connection text, DSN connects, missing files,
// read-only connections and folders with Chinese names.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <algorithm>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

class Connecting : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    TempProgramDir dir;
};

TEST_F(Connecting, ProgramTextConnectsAndReturnsTheCompletedText) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    OdbcConnection c;
    std::string completed;
    OdbcOutcome o = c.driverConnect(dir.prescriptionConnectionText(), &completed);
    ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
    EXPECT_NE(completed.find("DBQ=" + dir.prescriptionDatabasePath().toStdString()),
              std::string::npos)
        << completed;
    EXPECT_NE(completed.find("driverid=25"), std::string::npos) << completed;
    EXPECT_TRUE(
        c.execute("INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('甲','2024年1月7日','','J')")
            .ok());
}

TEST_F(Connecting, DsnAloneFindsTheFileThroughOdbcIni) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    OdbcConnection c;
    ASSERT_TRUE(c.connectDsn("MS ACCESS DATABASE").ok());
    EXPECT_TRUE(c.query("select * from 检索").empty());
}

TEST_F(Connecting, MissingFileFailsClearlyAndCreatesNothing) {
    OdbcConnection c;
    OdbcOutcome o = c.driverConnect(dir.prescriptionConnectionText());
    EXPECT_FALSE(o.ok());
    EXPECT_EQ(o.state, "08001");
    EXPECT_NE(o.message.find("sj.accdb"), std::string::npos) << o.message;
    EXPECT_TRUE(QDir(dir.dataDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Connecting, FileThatIsNoDatabaseIsRefused) {
    QFile f(dir.prescriptionDatabasePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is a text file, not a database, and it is long enough to have a header");
    f.close();
    OdbcConnection c;
    OdbcOutcome o = c.driverConnect(dir.prescriptionConnectionText());
    EXPECT_FALSE(o.ok());
    EXPECT_EQ(o.state, "08001");
}

TEST_F(Connecting, ReadOnlyConnectionReadsButRefusesEveryWrite) {
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    OdbcConnection c;
    ASSERT_TRUE(c.driverConnect("DRIVER={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=" +
                                dir.drugDatabasePath().toStdString() + ";ReadOnly=1")
                    .ok());
    EXPECT_EQ(c.query("select 存货名称 from 仓库").size(), 1u);
    for (const char* sql :
         {"INSERT INTO 仓库 (存货编码,存货名称,规格) values ('GC','甘草','1kg')",
          "UPDATE 仓库 SET 规格 = '2kg'", "DELETE FROM 仓库", "DROP TABLE 仓库"}) {
        OdbcOutcome o = c.execute(sql);
        EXPECT_FALSE(o.ok()) << sql;
        EXPECT_EQ(o.state, "HY000") << sql;
    }
    EXPECT_EQ(c.query("select * from 仓库 where 规格 = '1kg'").size(), 1u);
}

// Exclusive=1 is how a file is written for read-only users elsewhere: rollback
// journal, and refused while someone else has the file open; ordinary
// connections keep WAL so that windows and processes share the file.
TEST_F(Connecting, ExclusiveConnectionLeavesARollbackJournalAndWaitsForNobody) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    const std::string file = dir.prescriptionDatabasePath().toStdString();
    const std::string exclusive = dir.prescriptionConnectionText() + ";Exclusive=1";
    {
        OdbcConnection shared;
        ASSERT_TRUE(shared.driverConnect(dir.prescriptionConnectionText()).ok());
        EXPECT_EQ(journalMark(file), JournalMark::Wal);
        OdbcConnection refused;
        OdbcOutcome o = refused.driverConnect(exclusive);
        EXPECT_EQ(o.state, "08001") << o.message;
        EXPECT_TRUE(shared.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    }
    {
        OdbcConnection alone;
        OdbcOutcome o = alone.driverConnect(exclusive);
        ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
        EXPECT_TRUE(alone.execute("INSERT INTO 检索 (姓名) values ('乙')").ok());
    }
    EXPECT_EQ(journalMark(file), JournalMark::Rollback);
    OdbcConnection reader;
    ASSERT_TRUE(reader.driverConnect(dir.prescriptionConnectionText() + ";ReadOnly=1").ok());
    EXPECT_EQ(reader.query("select 姓名 from 检索 order by 编号"), (Rows{{"甲"}, {"乙"}}));
    EXPECT_EQ(journalMark(file), JournalMark::Rollback);  // reading changes nothing
    OdbcConnection writer;
    ASSERT_TRUE(writer.driverConnect(dir.prescriptionConnectionText()).ok());
    EXPECT_EQ(journalMark(file), JournalMark::Wal);
}

// SQLite cannot make the -wal and -shm files of this WAL file (their names are
// taken by folders), the want an unwritable data folder causes: every
// connection still reads it and none writes. The folder name
// carries the characters that mean something in SQLite's file URIs.
TEST_F(Connecting, ReadOnlyConnectionReadsAWalFileWhoseJournalsCannotBeMade) {
    QString folder = dir.path() + QStringLiteral("/门诊 #1 100%?");
    ASSERT_TRUE(QDir().mkpath(folder));
    const std::string file = (folder + QStringLiteral("/sj.accdb")).toStdString();
    ASSERT_TRUE(
        rx::rxdb::createPrescriptionDatabase(file, TempProgramDir::driverPath().toStdString()));
    const std::string text =
        "DRIVER={" + TempProgramDir::driverName().toStdString() + "};DBQ=" + file;
    {
        OdbcConnection writer;
        ASSERT_TRUE(writer.driverConnect(text).ok());
        ASSERT_TRUE(writer.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
    }
    ASSERT_EQ(journalMark(file), JournalMark::Wal);
    for (const char* suffix : {"-wal", "-shm"})
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(file + suffix)));
    OdbcConnection reader;
    OdbcOutcome o = reader.driverConnect(text + ";ReadOnly=1");
    ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
    EXPECT_EQ(reader.query("select 姓名 from 检索"), (Rows{{"甲"}}));
    EXPECT_FALSE(reader.execute("DELETE FROM 检索").ok());
    // The ordinary connection reads it the same way and refuses to write.
    OdbcConnection writer;
    o = writer.driverConnect(text);
    ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
    EXPECT_EQ(writer.query("select 姓名 from 检索"), (Rows{{"甲"}}));
    EXPECT_EQ(writer.execute("INSERT INTO 检索 (姓名) values ('乙')").state, "HY000");
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether a child process may give up root for the user nobody (a container
// may forbid it).
bool canBecomeNobody() {
    const pid_t child = fork();
    if (child == 0) std::_Exit(setuid(65534) == 0 ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A data folder the reader may not write to, holding a WAL file whose writer
// crashed: committed rows sit in the -wal, and no -shm can be made. Reading the
// main file alone would show an older state as if it were the whole file, so
// the connection must either read every row or refuse. Runs as an ordinary
// user (root ignores folder permissions), in a child process.
TEST_F(Connecting, ReadOnlyConnectionNeverHidesRowsPendingInTheJournal) {
    if (geteuid() == 0 && !canBecomeNobody())
        GTEST_SKIP() << "this machine lets no process drop to an ordinary user";
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    const std::string file = dir.prescriptionDatabasePath().toStdString();
    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    const std::string copied = (locked + QStringLiteral("/sj.accdb")).toStdString();
    {
        OdbcConnection writer;  // held open, so its row is still only in the -wal file
        ASSERT_TRUE(writer.driverConnect(dir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(writer.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
        for (const char* suffix : {"", "-wal"})
            ASSERT_TRUE(QFile::copy(QString::fromStdString(file + suffix),
                                    QString::fromStdString(copied + suffix)));
    }
    ASSERT_EQ(journalMark(copied), JournalMark::Wal);
    for (const QString& f :
         {QString::fromStdString(copied), QString::fromStdString(copied + "-wal")})
        QFile::setPermissions(
            f, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const auto readAndExec = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                             QFileDevice::ReadOther | QFileDevice::ExeOther;
    for (const QString& d : {dir.path(), locked}) QFile::setPermissions(d, readAndExec);
    const std::string text =
        "DRIVER={" + TempProgramDir::driverPath().toStdString() + "};DBQ=" + copied + ";ReadOnly=1";
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0) std::_Exit(3);  // nobody
            OdbcConnection reader;
            if (!reader.driverConnect(text).ok()) std::_Exit(0);  // refused: fine
            std::_Exit(reader.query("select 姓名 from 检索") == Rows{{"甲"}} ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    for (const QString& d : {dir.path(), locked})
        QFile::setPermissions(d, readAndExec | QFileDevice::WriteOwner);
}

// A data folder the user may not write to (an installed program's folder, a
// share mounted read-only): the program's ordinary connection reads the file,
// so its lists fill, and every save fails as a write to a read-only database,
// leaving the file as it was. Runs as an ordinary user in a child process.
TEST_F(Connecting, OrdinaryConnectionInAReadOnlyFolderReadsAndRefusesWrites) {
    if (geteuid() == 0 && !canBecomeNobody())
        GTEST_SKIP() << "this machine lets no process drop to an ordinary user";
    const struct {
        const char* name;
        bool exclusive;  // written with a rollback journal rather than WAL
        QFileDevice::Permissions file;
    } cases[] = {
        {"WAL file anyone may write", false, QFileDevice::Permissions(0x6666)},
        {"WAL file nobody may write", false, QFileDevice::Permissions(0x4444)},
        {"rollback-journal file anyone may write", true, QFileDevice::Permissions(0x6666)},
    };
    const auto readAndExec = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                             QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readAndExec | QFileDevice::WriteOwner));
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.path() + QStringLiteral("/只读%1").arg(++n);
        ASSERT_TRUE(QDir().mkpath(folder));
        const std::string file = (folder + QStringLiteral("/sj.accdb")).toStdString();
        ASSERT_TRUE(
            rx::rxdb::createPrescriptionDatabase(file, TempProgramDir::driverPath().toStdString()));
        const std::string text =
            "DRIVER={" + TempProgramDir::driverPath().toStdString() + "};DBQ=" + file;
        {
            OdbcConnection writer;
            ASSERT_TRUE(writer.driverConnect(text + (c.exclusive ? ";Exclusive=1" : "")).ok());
            ASSERT_TRUE(writer.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
        }
        ASSERT_EQ(journalMark(file), c.exclusive ? JournalMark::Rollback : JournalMark::Wal);
        ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(file), c.file));
        ASSERT_TRUE(QFile::setPermissions(folder, readAndExec));
        const QByteArray before = fileBytes(QString::fromStdString(file));
        EXPECT_EXIT(
            {
                if (geteuid() == 0 && setuid(65534) != 0) std::_Exit(3);  // nobody
                OdbcConnection user;
                if (!user.driverConnect(text).ok()) std::_Exit(4);
                if (user.query("select 姓名 from 检索") != Rows{{"甲"}}) std::_Exit(5);
                for (const char* sql : {"INSERT INTO 检索 (姓名) values ('乙')",
                                        "UPDATE 检索 SET 姓名 = '乙'", "DELETE FROM 检索"}) {
                    OdbcOutcome o = user.execute(sql);
                    if (o.ok() || o.state != "HY000" ||
                        o.message.find("read-only") == std::string::npos)
                        std::_Exit(6);
                }
                std::_Exit(user.query("select 姓名 from 检索") == Rows{{"甲"}} ? 0 : 7);
            },
            testing::ExitedWithCode(0), "");
        EXPECT_EQ(fileBytes(QString::fromStdString(file)), before);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("sj.accdb")});
        QFile::setPermissions(folder, readAndExec | QFileDevice::WriteOwner);
    }
}

TEST_F(Connecting, AccessModeAttributeAlsoMakesTheConnectionReadOnly) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    OdbcConnection c;
    SQLSetConnectAttr(c.dbc(), SQL_ATTR_ACCESS_MODE,
                      reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
    EXPECT_FALSE(c.execute("INSERT INTO 检索 (姓名) values ('甲')").ok());
}

// A file that is no sound database fails the connect, whichever part is
// damaged, and is left exactly as it was: nothing is written into it.
TEST_F(Connecting, EmptyOrDamagedFilesFailTheConnectAndStayAsTheyWere) {
    const QString file = dir.prescriptionDatabasePath();
    const struct {
        const char* name;
        qint64 at;  // where the damage starts; -1 for an empty file; -2 for the middle page
        QByteArray bytes;
    } cases[] = {
        {"empty", -1, {}},
        {"header's page size", 16, QByteArray("\x00\x07", 2)},
        {"schema page", 100, QByteArray(3996, '\x5A')},
        {"a page in the middle", -2, QByteArray(4096, '\x5A')},
    };
    for (const auto& c : cases) {
        QFile::remove(file);
        ASSERT_TRUE(dir.createPrescriptionDatabase()) << c.name;
        {
            OdbcConnection filler;
            ASSERT_TRUE(filler.driverConnect(dir.prescriptionConnectionText()).ok());
            for (int i = 0; i < 200; ++i)
                ASSERT_TRUE(filler
                                .execute("INSERT INTO 检索 (姓名,主诉) values ('甲','" +
                                         std::string(300, 'x') + "')")
                                .ok());
        }
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << c.name;
        if (c.at == -1) f.resize(0);
        ASSERT_TRUE(f.seek(c.at == -2 ? f.size() / 4096 / 2 * 4096 : std::max<qint64>(c.at, 0)));
        f.write(c.bytes);
        f.close();
        const QByteArray before = fileBytes(file);
        OdbcConnection conn;
        OdbcOutcome o = conn.driverConnect(dir.prescriptionConnectionText());
        EXPECT_EQ(o.state, "08001") << c.name << ": " << o.message;
        if (o.ok()) conn.execute("INSERT INTO 检索 (姓名) values ('乙')");
        EXPECT_EQ(fileBytes(file), before) << c.name;
        EXPECT_FALSE(QFile::exists(file + QStringLiteral("-wal"))) << c.name;
    }
}

// A lock another process holds past the busy timeout is a timeout while
// connecting too, not a failure to reach the file.
TEST_F(Connecting, LockHeldByAnotherUserWhileConnectingGivesHyt00) {
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(dir.drugDatabasePath().toUtf8().constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    OdbcConnection c;
    OdbcOutcome o = c.driverConnect("DRIVER={" + TempProgramDir::driverName().toStdString() +
                                    "};DBQ=" + dir.drugDatabasePath().toStdString());
    EXPECT_EQ(o.state, "HYT00") << o.message;
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
}

TEST(ConnectingInChineseFolder, PathTravelsAsGb18030AndOpensTheUtf8File) {
    TempProgramDir dir;
    QString folder = dir.path() + QStringLiteral("/门诊");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/data")));
    OdbcConnection missing;
    EXPECT_EQ(missing.driverConnect(TempProgramDir::prescriptionConnectionText(folder)).state,
              "08001");
    rx::rxdb::Status made = rx::rxdb::createPrescriptionDatabase(
        (folder + QStringLiteral("/data/sj.accdb")).toStdString(),
        TempProgramDir::driverPath().toStdString());
    ASSERT_TRUE(made) << made.message;
    OdbcConnection c;
    OdbcOutcome o = c.driverConnect(TempProgramDir::prescriptionConnectionText(folder));
    ASSERT_TRUE(o.ok()) << o.state << " " << o.message;
    EXPECT_TRUE(
        c.execute("INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('乙','2025年1月7日','','Y')")
            .ok());
    EXPECT_EQ(c.query("select 姓名 from 检索").size(), 1u);
}

}  // namespace
}  // namespace rx::test
