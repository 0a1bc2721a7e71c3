// rxdb backup for a data source that keeps its visits on a server: the
// pg_dump command it prints, run as printed, dumps those visits.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/backup.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string output(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

TEST(RxdbBackupServer, ThePrintedPgDumpCommandDumpsTheServersVisits) {
    RX_REQUIRE_SERVER();
    test::ServerDatabase server;
    ASSERT_TRUE(server.ok()) << server.error();
    test::TempProgramDir dir;
    dir.setDataSourceKeys(server.dataSourceKeys());
    const std::string dsn = test::TempProgramDir::dataSourceName().toStdString();
    ASSERT_TRUE(createPrescriptionTables(dsn, "sj.accdb"));
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    {
        test::OdbcConnection c;
        ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
        ASSERT_TRUE(c.execute("INSERT INTO 检索 (姓名) values ('张三')").ok());
    }
    const fs::path dest = dir.path().toStdString() + "/backups";
    fs::create_directory(dest);
    Status s = backupDataFolder(dir.dataDir().toStdString(), dest, "20261208-221503", dsn);
    ASSERT_TRUE(s) << s.message;
    const std::string lead = "back it up with:\n  ";
    const size_t at = s.message.find(lead);
    ASSERT_NE(at, std::string::npos) << s.message;
    const std::string command = s.message.substr(
        at + lead.size(), s.message.find('\n', at + lead.size()) - at - lead.size());
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const fs::path dump = dest / "sj-20261208-221503.pgdump";
    EXPECT_THAT(output("pg_restore --data-only --table=检索 --file=- '" + dump.string() + "'"),
                HasSubstr("张三"));
    EXPECT_TRUE(fs::exists(dest / "xs-20261208-221503.mdb"));  // the catalogue stays local
}

}  // namespace
}  // namespace rx::rxdb
