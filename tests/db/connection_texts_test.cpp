#include "db/connection_texts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

TEST(ConnectionTexts, WindowsFolderGivesTheWindowsTextByteForByte) {
    EXPECT_EQ(
        prescriptionConnectionText(u"C:\\门诊"_s, u'\\'),
        u"ODBC;DSN=MS ACCESS DATABASE;DBQ=C:\\门诊\\data\\sj.accdb;driver={microsoft access driver "
        u"(*.mdb, *.accdb)};;driverid=25;fil=ms access;maxbuffersize=2048;pagetimeout=5;pwd="_s);
    EXPECT_EQ(drugConnectionText(drugDatabasePath(u"C:\\门诊"_s, u'\\')),
              u"Provider=Microsoft.Jet.OLEDB.4.0; Data Source=C:\\门诊\\data\\xs.mdb"_s);
}

TEST(ConnectionTexts, LinuxFolderUsesTheNativeSeparator) {
    EXPECT_EQ(
        prescriptionConnectionText(u"/opt/门诊"_s),
        u"ODBC;DSN=MS ACCESS DATABASE;DBQ=/opt/门诊/data/sj.accdb;driver={microsoft access driver "
        u"(*.mdb, *.accdb)};;driverid=25;fil=ms access;maxbuffersize=2048;pagetimeout=5;pwd="_s);
    EXPECT_EQ(prescriptionDatabasePath(u"/opt/门诊"_s), u"/opt/门诊/data/sj.accdb"_s);
    // A folder whose name would end the file's attribute early goes in braces.
    EXPECT_TRUE(
        prescriptionConnectionText(u"/opt/c;d {诊}"_s)
            .startsWith(u"ODBC;DSN=MS ACCESS DATABASE;DBQ={/opt/c;d {诊}}/data/sj.accdb};"_s));
    EXPECT_EQ(drugDatabasePath(u"/opt/门诊"_s), u"/opt/门诊/data/xs.mdb"_s);
}

TEST(ConnectionTexts, DrugFileReachesTheDriverReadOnlyWithItsPasswordOnlyWhenGiven) {
    EXPECT_EQ(drugOdbcConnectText(u"/opt/门诊/data/xs.mdb"_s, {}),
              u"DSN=MS ACCESS DATABASE;DBQ=/opt/门诊/data/xs.mdb;ReadOnly=1"_s);
    EXPECT_EQ(drugOdbcConnectText(u"/a/xs.mdb"_s, u"k"_s),
              u"DSN=MS ACCESS DATABASE;DBQ=/a/xs.mdb;ReadOnly=1;PWD=k"_s);
    // A semicolon in a folder name must not end the attribute early.
    EXPECT_EQ(drugOdbcConnectText(u"/a;b/xs.mdb"_s, {}),
              u"DSN=MS ACCESS DATABASE;DBQ={/a;b/xs.mdb};ReadOnly=1"_s);
}

}  // namespace
}  // namespace rx::db
