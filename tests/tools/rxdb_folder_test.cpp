// Every rxdb command on local files in a folder whose name a connection text
// could mistake for its own punctuation.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_program_dir.h"
#include "tests/tools/rxdb_command.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

TEST(RxdbAwkwardFolder, EveryCommandReachesTheFileItWasGiven) {
    test::TempProgramDir program;
    const fs::path top = program.path().toStdString() + "/top";
    const fs::path dir = top / test::kAwkwardFolder;
    fs::create_directories(dir / "backups");
    std::ofstream(dir / "drugs.csv") << "存货编码,存货名称,规格\nDG,当归,1kg\n";
    const std::string d = test::TempProgramDir::driverPath().toStdString();
    const std::string sjAccess = RX_ACCESS_FIXTURES "/sj.accdb";
    test::runSteps(
        top, dir,
        {
            {{"--driver", d, "create-prescriptions", "@/sj.accdb"},
             "created",
             "@/sj.accdb",
             "基本资料",
             0},
            {{"--driver", d, "create-drugs", "@/xs.mdb"}, "created", "@/xs.mdb", "西药", 0},
            {{"--driver", d, "import-drugs", "@/xs.mdb", "仓库", "@/drugs.csv"},
             "imported 1 rows",
             "@/xs.mdb",
             "仓库",
             1},
            {{"--driver", d, "settle-drugs", "@/xs.mdb"}, "read-only", "@/xs.mdb", "仓库", 1},
            {{"--driver", d, "import-access", "--replace", sjAccess, "@/sj.accdb"},
             "imported into",
             "@/sj.accdb",
             "基本资料",
             22},
            {{"backup", "@/backups", "@/"}, "integrity ok", "@/backups/sj-*", "检索", 11},
            {{"restore", "--force", "@/backups/xs-*", "@/"}, "restored", "@/xs.mdb", "仓库", 1},
        });
}

}  // namespace
}  // namespace rx::rxdb
