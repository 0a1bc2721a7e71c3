#pragma once
// A fresh program directory for one test, with the ODBC registration files
// pointing at the driver built in this tree, so that no test depends on the
// machine's own ODBC configuration or on another test's files.
//
//   rx::test::TempProgramDir dir;                       // <tmp>/data, odbcinst.ini, odbc.ini;
//                                                       // ODBCSYSINI/ODBCINI point at the same
//                                                       files
//   ASSERT_TRUE(dir.createPrescriptionDatabase());      // <tmp>/data/sj.accdb, empty tables
//   ASSERT_TRUE(dir.createDrugDatabase({{"DG", "当归", "1kg"}},            // 仓库
//                                      {{"AMXLJN", "阿莫西林胶囊", "0.25g*24粒"}}));  // 西药
//   std::string text = dir.prescriptionConnectionText();  // DSN=MS ACCESS
//   DATABASE;DBQ=<tmp>/data/sj.accdb;driver=...
//   // ... connect through unixODBC (libodbc) with SQLDriverConnect(text) ...
//
// The destructor removes the folder and puts the environment variables back.
// All texts are UTF-8; the ODBC boundary itself wants GB18030 (platform/text).

#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

namespace rx::test {

struct Drug {
    std::string code;     // 存货编码
    std::string name;     // 存货名称
    std::string packing;  // 规格
};

class TempProgramDir {
public:
    // useOdbcConfig: point unixODBC at this folder's ini files right away.
    explicit TempProgramDir(bool useOdbcConfig = true);
    ~TempProgramDir();
    TempProgramDir(const TempProgramDir&) = delete;
    TempProgramDir& operator=(const TempProgramDir&) = delete;

    bool isValid() const;
    QString path() const;                      // the program directory, no trailing separator
    QString dataDir() const;                   // path() + "/data"
    QString prescriptionDatabasePath() const;  // path() + "/data/sj.accdb"
    QString drugDatabasePath() const;          // path() + "/data/xs.mdb"

    // Make the database files through rxdb_lib and the driver. On failure the
    // reason goes to *error when given.
    bool createPrescriptionDatabase(std::string* error = nullptr);
    bool createDrugDatabase(const std::vector<Drug>& herbal = {},
                            const std::vector<Drug>& western = {}, std::string* error = nullptr);

    // ODBCSYSINI and ODBCINI point at registration files equal to this folder's
    // (so no DSN of the machine is seen), ODBCINSTINI unset. The files live in
    // one folder per process, since unixODBC reads the folder only once.
    // Undone by the destructor.
    void useOdbcConfig();
    // Extra lines for the data source's odbc.ini section (the PG* keys that put
    // its rows on a server); written at once into both registration files.
    // unixODBC keeps what it has read for a while, so call this before the
    // process's first connection through the data source: CTest runs every
    // test in a process of its own.
    void setDataSourceKeys(const std::string& lines);

    // The prescription connection text without its leading "ODBC;", as
    // SQLDriverConnect receives it, for a program in programDir.
    static std::string prescriptionConnectionText(const QString& programDir);
    std::string prescriptionConnectionText() const { return prescriptionConnectionText(path()); }

    static QString driverPath();      // the built driver library, absolute
    static QString driverName();      // "Microsoft Access Driver (*.mdb, *.accdb)"
    static QString dataSourceName();  // "MS ACCESS DATABASE"

private:
    void writeIniFiles();

    QTemporaryDir dir_;
    std::string dataSourceKeys_;
    bool usesOdbcConfig_ = false;
    struct SavedVariable {
        const char* name;
        std::optional<QByteArray> value;
    };
    std::vector<SavedVariable> saved_;
};

}  // namespace rx::test
