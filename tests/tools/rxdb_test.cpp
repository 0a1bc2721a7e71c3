// rxdb: catalogue CSV reading, database creation and all-or-nothing imports
// through the driver.

#include "tools/rxdb/rxdb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>

#include "platform/text/gb18030.h"
#include "tests/drivers/odbc_client.h"
#include "tests/support/temp_program_dir.h"

namespace rx::rxdb {
namespace {

using ::testing::HasSubstr;

struct CsvCase {
    const char* name;
    const char* csv;
    size_t rows;
    const char* error;  // substring of the error, nullptr when it must succeed
};

// Test listings name the case instead of dumping its bytes.
void PrintTo(const CsvCase& c, std::ostream* out) {
    *out << c.name;
}

class DrugCsv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(DrugCsv, ReadsOrNamesTheBadLine) {
    const CsvCase& c = GetParam();
    CsvResult r = parseDrugCsv(c.csv);
    if (c.error) {
        EXPECT_THAT(r.error, HasSubstr(c.error));
        EXPECT_TRUE(r.rows.empty());
    } else {
        EXPECT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.rows.size(), c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DrugCsv,
    ::testing::Values(
        CsvCase{"Plain", "存货编码,存货名称,规格\nDG,当归,1kg\nGC,甘草,1kg\n", 2, nullptr},
        CsvCase{"BomCrlfAndNoFinalNewline",
                "\xEF\xBB\xBF存货编码,存货名称,规格\r\nDG,当归,1kg\r\nGC,甘草,1kg", 2, nullptr},
        CsvCase{"QuotedCommaQuoteAndNewline",
                "存货编码,存货名称,规格\nDG,\"当归\",\"1kg,\"\"特级\"\"\n袋装\"\n", 1, nullptr},
        CsvCase{"HeaderInAnotherOrderWithExtraColumn",
                "规格,存货编码,备注,存货名称\n1kg,DG,,当归\n", 1, nullptr},
        CsvCase{"BlankLinesSkipped", "存货编码,存货名称,规格\n\nDG,当归,1kg\n\n", 1, nullptr},
        CsvCase{"MissingField", "存货编码,存货名称,规格\nDG,当归,1kg\nGC,甘草\n", 0,
                "line 3: expected 3 fields, found 2"},
        CsvCase{"EmptyCode", "存货编码,存货名称,规格\nDG,当归,1kg\n,甘草,1kg\n", 0,
                "line 3: 存货编码 is empty"},
        CsvCase{"UnclosedQuote", "存货编码,存货名称,规格\nDG,\"当归,1kg\n", 0,
                "line 2: a quoted field is not closed"},
        CsvCase{"LineCountsQuotedNewlines", "存货编码,存货名称,规格\nDG,\"当\n归\",1kg\nGC,甘草\n",
                0, "line 4:"},
        CsvCase{"NoHeaderColumn", "编码,名称,规格\nDG,当归,1kg\n", 0,
                "line 1: the header has no column 存货编码"},
        CsvCase{"Empty", "", 0, "the file is empty"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(DrugCsvEncoding, Gb18030FileReadsTheSameAsUtf8) {
    std::string utf8 = "存货编码,存货名称,规格\nAMXLJN,阿莫西林胶囊,0.25g*24粒\n";
    CsvResult r = parseDrugCsv(rx::text::utf8ToGb18030(utf8).bytes);
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].name, "阿莫西林胶囊");
    EXPECT_EQ(r.rows[0].packing, "0.25g*24粒");
}

class RxdbFiles : public ::testing::Test {
protected:
    std::string drugFile() const { return dir.drugDatabasePath().toStdString(); }
    std::string driver() const { return test::TempProgramDir::driverPath().toStdString(); }
    std::string writeCsv(const std::string& content) {
        QString path = dir.path() + QStringLiteral("/drugs.csv");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content.data(), static_cast<qint64>(content.size()));
        return path.toStdString();
    }
    test::Rows rows(const std::string& table) {
        test::OdbcConnection c;
        EXPECT_TRUE(
            c.driverConnect("DRIVER={" + std::string(kDriverName) + "};DBQ=" + drugFile()).ok());
        return c.query("select 存货编码,存货名称,规格 from " + table + " order by 编号");
    }
    test::TempProgramDir dir;
};

TEST_F(RxdbFiles, CreatedPrescriptionTablesHaveTheColumnsInTheProgramsOrder) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    test::OdbcConnection c;
    ASSERT_TRUE(c.driverConnect(dir.prescriptionConnectionText()).ok());
    test::OdbcStatement s(c);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLColumns(s.get(), nullptr, 0, nullptr, 0,
                                         reinterpret_cast<SQLCHAR*>(test::toGb("基本资料").data()),
                                         SQL_NTS, nullptr, 0)));
    std::vector<std::string> names;
    while (SQL_SUCCEEDED(SQLFetch(s.get()))) names.push_back(*s.text(4) + ":" + *s.text(6));
    EXPECT_THAT(names, ::testing::ElementsAre(
                           "编号:COUNTER", "姓名:LONGCHAR", "性别:LONGCHAR", "年龄:DOUBLE",
                           "年龄单位:LONGCHAR", "住址:LONGCHAR", "诊断:LONGCHAR",
                           "登记时间:DATETIME", "处方号:LONGCHAR", "频率:LONGCHAR", "用法:LONGCHAR",
                           "用量单位:LONGCHAR", "现病史:LONGCHAR", "中药处方:LONGCHAR",
                           "备注:LONGCHAR", "备注2:LONGCHAR", "记录:LONGCHAR"));
    EXPECT_EQ(c.query("select * from 检索").size(), 0u);
}

TEST_F(RxdbFiles, CreateNeverOverwritesAnExistingFile) {
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    Status again = createDrugDatabase(drugFile(), driver());
    EXPECT_FALSE(again);
    EXPECT_THAT(again.message, HasSubstr("already exists"));
    EXPECT_EQ(rows("仓库").size(), 1u);
}

TEST_F(RxdbFiles, ImportLoadsEveryRowWithQuotesAndCommas) {
    ASSERT_TRUE(dir.createDrugDatabase());
    Status s = importDrugs(drugFile(), "西药",
                           writeCsv("存货编码,存货名称,规格\nAMXLJN,阿莫西林胶囊,\"0.25g*24粒\"\n"
                                    "OK,O'Kane片,\"10mg,盒\"\n"),
                           driver());
    ASSERT_TRUE(s) << s.message;
    test::Rows r = rows("西药");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1][1], "O'Kane片");
    EXPECT_EQ(r[1][2], "10mg,盒");
}

TEST_F(RxdbFiles, BadRowInTheMiddleLoadsNothingAndNamesItsLine) {
    ASSERT_TRUE(dir.createDrugDatabase());
    std::string tooLong(60, 'X');  // 存货编码 holds at most 50 characters
    Status s = importDrugs(
        drugFile(), "仓库",
        writeCsv("存货编码,存货名称,规格\nDG,当归,1kg\n" + tooLong + ",甘草,1kg\nDS,党参,1kg\n"),
        driver());
    EXPECT_FALSE(s);
    EXPECT_THAT(s.message, HasSubstr("line 3"));
    EXPECT_THAT(s.message, HasSubstr("22001"));
    EXPECT_TRUE(rows("仓库").empty());
    Status unknown = importDrugs(drugFile(), "库存",
                                 writeCsv("存货编码,存货名称,规格\nDG,当归,1kg\n"), driver());
    EXPECT_THAT(unknown.message, HasSubstr("42S02"));
}

// The catalogue is opened read-only by every user, often from an installed
// folder nobody may write to, where SQLite cannot open a WAL file: rxdb must
// leave it with a rollback journal. The prescription file is shared and stays WAL.
TEST_F(RxdbFiles, DrugCatalogueIsLeftInRollbackModeAndOpensReadOnly) {
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}},
                                       {{"AMXLJN", "阿莫西林胶囊", "0.25g*24粒"}}));
    EXPECT_EQ(test::journalMark(drugFile()), test::JournalMark::Rollback);
    ASSERT_TRUE(importDrugs(drugFile(), "仓库", writeCsv("存货编码,存货名称,规格\nGC,甘草,1kg\n"),
                            driver()));
    EXPECT_EQ(test::journalMark(drugFile()), test::JournalMark::Rollback);
    EXPECT_FALSE(QFile::exists(dir.drugDatabasePath() + QStringLiteral("-wal")));
    test::OdbcConnection c;
    ASSERT_TRUE(c.driverConnect("DRIVER={" + std::string(kDriverName) + "};DBQ=" + drugFile() +
                                ";ReadOnly=1")
                    .ok());
    EXPECT_EQ(c.query("select 存货名称 from 仓库 order by 编号"), (test::Rows{{"当归"}, {"甘草"}}));
    EXPECT_EQ(c.query("select 存货名称 from 西药").size(), 1u);
}

TEST_F(RxdbFiles, ImportTurnsACatalogueLeftInWalModeBack) {
    ASSERT_TRUE(dir.createDrugDatabase());
    {
        test::OdbcConnection shared;  // an ordinary read-write connection switches the file to WAL
        ASSERT_TRUE(
            shared.driverConnect("DRIVER={" + std::string(kDriverName) + "};DBQ=" + drugFile())
                .ok());
    }
    ASSERT_EQ(test::journalMark(drugFile()), test::JournalMark::Wal);
    ASSERT_TRUE(importDrugs(drugFile(), "西药",
                            writeCsv("存货编码,存货名称,规格\nAMXLJN,阿莫西林胶囊,盒\n"),
                            driver()));
    EXPECT_EQ(test::journalMark(drugFile()), test::JournalMark::Rollback);
    EXPECT_EQ(rows("西药").size(), 1u);
}

TEST_F(RxdbFiles, SettlingACatalogueLeftInWalModeKeepsRowsStillInItsJournal) {
    ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}}));
    {
        // An administrator's own edit through an ordinary connection: WAL mode, and
        // the new row may still sit in the -wal file when the build looks at it.
        test::OdbcConnection shared;
        ASSERT_TRUE(
            shared.driverConnect("DRIVER={" + std::string(kDriverName) + "};DBQ=" + drugFile())
                .ok());
        ASSERT_TRUE(
            shared.execute("INSERT INTO 仓库 (存货编码,存货名称,规格) values ('ZDY','自定义','袋')")
                .ok());
    }
    ASSERT_EQ(test::journalMark(drugFile()), test::JournalMark::Wal);
    ASSERT_TRUE(settleDrugDatabase(drugFile(), driver()));
    EXPECT_EQ(test::journalMark(drugFile()), test::JournalMark::Rollback);
    EXPECT_EQ(rows("仓库").size(), 2u);
    EXPECT_FALSE(settleDrugDatabase(dir.dataDir().toStdString() + "/none.mdb", driver()));
}

TEST_F(RxdbFiles, PrescriptionDatabaseStaysInWalModeForSharing) {
    ASSERT_TRUE(dir.createPrescriptionDatabase());
    EXPECT_EQ(test::journalMark(dir.prescriptionDatabasePath().toStdString()),
              test::JournalMark::Wal);
}

}  // namespace
}  // namespace rx::rxdb
