// The drug record set against the real driver through unixODBC.
#include "db/drug_recordset.h"

#include <gtest/gtest.h>

#include <QFile>

#include "db/connection_texts.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "tests/support/temp_program_dir.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

class DrugRecordsetTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::string error;
        ASSERT_TRUE(dir.createDrugDatabase(
            {{"DG", "当归", "1kg"}, {"GC", "甘草", ""}, {"DGW", "当归丸", "9g*10丸"}},
            {{"AMXLJN", "阿莫西林胶囊", "0.25g*24粒"}}, &error))
            << error;
        ASSERT_TRUE(connection.ConnectAccessFile(drugDatabasePath(dir.path()), QString()));
        ASSERT_TRUE(records.BindTo(connection));
    }

    // 存货名称|规格 of every row of the lookup, through the standard read loop.
    QStringList lookup(const QString& sql) {
        QStringList out;
        const bool opened = readAll(records, sql, [&](DrugRecordset& r) {
            out << r.ReadText(u"存货名称"_s) + u'|' + r.ReadText(u"规格"_s);
        });
        if (!opened) out << u"<not opened>"_s;
        return out;
    }

    test::TempProgramDir dir;
    DrugConnection connection;
    DrugRecordset records;
};

TEST_F(DrugRecordsetTest, LookupsReadNameAndSpecificationByColumnName) {
    EXPECT_EQ(connection.connectionText(),
              u"Provider=Microsoft.Jet.OLEDB.4.0; Data Source="_s + dir.path() + u"/data/xs.mdb"_s);
    EXPECT_EQ(lookup(HerbalLookup(u"DG"_s)), (QStringList{u"当归|1kg"_s, u"当归丸|9g*10丸"_s}));
    EXPECT_EQ(lookup(HerbalLookup(u"dg"_s)), (QStringList{u"当归|1kg"_s, u"当归丸|9g*10丸"_s}));
    EXPECT_EQ(lookup(HerbalLookup(u"GC"_s)), QStringList{u"甘草|"_s});
    EXPECT_EQ(lookup(WesternLookup(u"AMX"_s)), QStringList{u"阿莫西林胶囊|0.25g*24粒"_s});
    EXPECT_EQ(lookup(HerbalLookup(u"D_W"_s)), QStringList{u"当归丸|9g*10丸"_s});
    EXPECT_EQ(lookup(HerbalLookup(QString())).size(), 3);
    EXPECT_TRUE(lookup(HerbalLookup(u"ZZZ"_s)).isEmpty());
    EXPECT_TRUE(lookup(HerbalLookup(u"D'G"_s)).isEmpty());
    EXPECT_FALSE(records.IsOpen());
}

TEST_F(DrugRecordsetTest, ReadsByNameOrPositionAndMovesBackToTheFirstRow) {
    ASSERT_TRUE(records.Open(HerbalLookup(u"DG"_s) + u" order by 存货编码"_s));
    ASSERT_TRUE(records.IsOpen());
    records.MoveFirst();
    EXPECT_EQ(records.ReadText(u"存货编码"_s), u"DG"_s);
    EXPECT_EQ(records.ReadText(u"没有这列"_s), QString());
    const int name = records.ColumnIndex(u"存货名称"_s);
    ASSERT_GE(name, 0);
    EXPECT_EQ(records.ReadText(name), u"当归"_s);
    records.MoveNext();
    EXPECT_EQ(records.ReadText(u"存货名称"_s), u"当归丸"_s);
    records.MoveNext();
    EXPECT_TRUE(records.AtEnd());
    EXPECT_EQ(records.ReadText(u"存货名称"_s), QString());
    records.MoveFirst();
    EXPECT_FALSE(records.AtEnd());
    EXPECT_EQ(records.ReadText(u"存货名称"_s), u"当归"_s);

    // Opening again closes the open result first and names its own columns.
    ASSERT_TRUE(records.Open(u"select 规格, 存货名称 from 西药"_s));
    EXPECT_EQ(records.ReadText(u"存货名称"_s), u"阿莫西林胶囊"_s);
    records.Close();
    EXPECT_FALSE(records.IsOpen());
    EXPECT_TRUE(records.AtEnd());
}

TEST_F(DrugRecordsetTest, ReadingIntoATextKeepsItWhenTheRowRepeatsIt) {
    ASSERT_TRUE(records.Open(u"select * from 仓库 order by 编号"_s));
    const int name = records.ColumnIndex(u"存货名称"_s);
    const int packing = records.ColumnIndex(u"规格"_s);
    QString text = QString::fromUtf8("当归");  // a text with storage of its own
    const QString before = text;
    records.ReadText(name, text);  // the same text: nothing new is made
    EXPECT_TRUE(text.isSharedWith(before));
    records.ReadText(packing, text);
    EXPECT_EQ(text, u"1kg"_s);
    records.MoveNext();
    records.ReadText(packing, text);  // 甘草 has no 规格
    EXPECT_EQ(text, QString());
    records.ReadText(-1, text);
    EXPECT_EQ(text, QString());
    records.MoveNext();
    for (int i : {name, packing}) {
        records.ReadText(i, text);
        EXPECT_EQ(text, records.ReadText(i));
    }
    EXPECT_EQ(text, u"9g*10丸"_s);
}

TEST_F(DrugRecordsetTest, FailedOpenLeavesTheRecordSetClosed) {
    ASSERT_TRUE(records.Open(HerbalLookup(u"DG"_s)));
    EXPECT_FALSE(records.Open(u"select * from 没有这张表"_s));
    EXPECT_FALSE(records.IsOpen());
    EXPECT_TRUE(records.AtEnd());
    EXPECT_EQ(records.ReadText(u"存货名称"_s), QString());
    EXPECT_EQ(lookup(u"select * from"_s), QStringList{u"<not opened>"_s});
}

TEST_F(DrugRecordsetTest, TheDrugFileIsNeverWritten) {
    EXPECT_FALSE(records.Open(u"DELETE FROM 仓库"_s));
    EXPECT_EQ(lookup(HerbalLookup(QString())).size(), 3);
}

TEST_F(DrugRecordsetTest, AClosedConnectionOpensNothing) {
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_FALSE(records.Open(HerbalLookup(u"DG"_s)));
    EXPECT_FALSE(records.IsOpen());
    EXPECT_FALSE(records.BindTo(connection));
}

TEST(DrugConnection, MissingDrugFileFailsAndIsNotCreated) {
    test::TempProgramDir dir;
    DrugConnection connection;
    DrugRecordset records;
    EXPECT_FALSE(connection.ConnectAccessFile(drugDatabasePath(dir.path()), QString()));
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_FALSE(records.BindTo(connection));
    EXPECT_FALSE(records.Open(HerbalLookup(u"DG"_s)));
    EXPECT_FALSE(QFile::exists(drugDatabasePath(dir.path())));
}

TEST(DrugRecordsetUnbound, OpensNothing) {
    DrugRecordset records;
    EXPECT_FALSE(records.Open(u"select * from 仓库"_s));
    EXPECT_FALSE(records.IsOpen());
    EXPECT_TRUE(records.AtEnd());
    records.MoveFirst();
    records.MoveNext();
    EXPECT_EQ(records.ReadText(u"存货名称"_s), QString());
}

}  // namespace
}  // namespace rx::db

namespace rx::db {
namespace {

// Fault injection: a catalogue whose later pages are damaged. The rows read
// before the damage must not pass for the whole result.
TEST(DrugRecordsetFaults, ReadErrorPartWayIsAFailureNotTheEnd) {
    test::TempProgramDir dir;
    std::vector<test::Drug> drugs;
    for (int i = 0; i < 4000; ++i)
        drugs.push_back({"D" + std::to_string(i), "药品" + std::to_string(i), "片 1kg/袋"});
    ASSERT_TRUE(dir.createDrugDatabase(drugs));
    {
        QFile file(dir.drugDatabasePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 pageSize = 4096, pages = file.size() / pageSize;
        ASSERT_GT(pages, 20);
        file.seek((pages - 4) * pageSize);  // a leaf page near the end of the table
        file.write(QByteArray(int(pageSize), '\xA5'));
    }
    DrugConnection connection;
    DrugRecordset records;
    ASSERT_TRUE(connection.ConnectAccessFile(drugDatabasePath(dir.path()), QString()));
    ASSERT_TRUE(records.BindTo(connection));
    int rows = 0;
    EXPECT_FALSE(readAll(records, HerbalLookup(u"D"_s), [&] { ++rows; }));
    EXPECT_GT(rows, 0);  // the damage lies part way, after rows were handed out
    EXPECT_LT(rows, 4000);
}

}  // namespace
}  // namespace rx::db
