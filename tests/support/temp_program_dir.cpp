#include "tests/support/temp_program_dir.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

#include "platform/odbc/odbc.h"
#include "tools/rxdb/rxdb.h"

namespace rx::test {
namespace {

std::filesystem::path fsPath(const QString& p) {
    return std::filesystem::path(p.toStdString());
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

std::vector<rxdb::DrugRow> toRows(const std::vector<Drug>& drugs) {
    std::vector<rxdb::DrugRow> rows;
    for (const Drug& d : drugs) rows.push_back({d.code, d.name, d.packing, 0});
    return rows;
}

QByteArray odbcinstIni() {
    return "[" + TempProgramDir::driverName().toUtf8() +
           "]\nDescription = Access dialect on SQLite\nDriver = " +
           TempProgramDir::driverPath().toUtf8() + "\nFileUsage = 1\n";
}

QByteArray odbcIni(const QString& defaultDatabase, const std::string& extra = {}) {
    return "[" + TempProgramDir::dataSourceName().toUtf8() +
           "]\nDriver = " + TempProgramDir::driverName().toUtf8() +
           "\nDBQ = " + defaultDatabase.toUtf8() + "\n" + QByteArray::fromStdString(extra);
}

// unixODBC settles the folder of its configuration on its first call and keeps
// it for the life of the process, so every test of one process shares a folder
// that outlives them all; a test's own folder could be gone by the next test.
QString sharedOdbcFolder() {
    static QTemporaryDir folder;
    static const bool written =
        folder.isValid() &&
        writeFile(folder.path() + QStringLiteral("/odbcinst.ini"), odbcinstIni()) &&
        writeFile(folder.path() + QStringLiteral("/odbc.ini"),
                  odbcIni(folder.path() + QStringLiteral("/data/sj.accdb")));
    return written ? QDir::cleanPath(folder.path()) : QString();
}

bool report(const rxdb::Status& s, std::string* error) {
    if (!s && error) *error = s.message;
    return s.ok;
}

}  // namespace

TempProgramDir::TempProgramDir(bool useOdbcConfigNow) {
    if (!dir_.isValid()) return;
    QDir(dir_.path()).mkpath(QStringLiteral("data"));
    writeIniFiles();
    if (useOdbcConfigNow) useOdbcConfig();
}

TempProgramDir::~TempProgramDir() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->value)
            qputenv(it->name, *it->value);
        else
            qunsetenv(it->name);
    }
}

bool TempProgramDir::isValid() const {
    return dir_.isValid();
}
QString TempProgramDir::path() const {
    return QDir::cleanPath(dir_.path());
}
QString TempProgramDir::dataDir() const {
    return path() + QStringLiteral("/data");
}
QString TempProgramDir::prescriptionDatabasePath() const {
    return dataDir() + QStringLiteral("/sj.accdb");
}
QString TempProgramDir::drugDatabasePath() const {
    return dataDir() + QStringLiteral("/xs.mdb");
}

QString TempProgramDir::driverPath() {
    return QString::fromUtf8(RX_ACCESS_DRIVER_PATH);
}
QString TempProgramDir::driverName() {
    return QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)");
}
QString TempProgramDir::dataSourceName() {
    return QStringLiteral("MS ACCESS DATABASE");
}

void TempProgramDir::writeIniFiles() {
    writeFile(path() + QStringLiteral("/odbcinst.ini"), odbcinstIni());
    writeFile(path() + QStringLiteral("/odbc.ini"),
              odbcIni(prescriptionDatabasePath(), dataSourceKeys_));
}

void TempProgramDir::setDataSourceKeys(const std::string& lines) {
    dataSourceKeys_ = lines;
    writeIniFiles();
    if (usesOdbcConfig_) useOdbcConfig();
}

void TempProgramDir::useOdbcConfig() {
    auto set = [this](const char* name, const std::optional<QByteArray>& value) {
        bool known = false;
        for (const SavedVariable& s : saved_) known |= std::string_view(s.name) == name;
        if (!known)
            saved_.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                    : std::nullopt});
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    };
    // The shared data source names this folder's prescription file, as the
    // folder's own odbc.ini does.
    const QString folder = sharedOdbcFolder();
    writeFile(folder + QStringLiteral("/odbc.ini"),
              odbcIni(prescriptionDatabasePath(), dataSourceKeys_));
    usesOdbcConfig_ = true;
    set("ODBCSYSINI", folder.toUtf8());
    set("ODBCINI", (folder + QStringLiteral("/odbc.ini")).toUtf8());
    set("ODBCINSTINI", std::nullopt);
}

bool TempProgramDir::createPrescriptionDatabase(std::string* error) {
    return report(rxdb::createPrescriptionDatabase(fsPath(prescriptionDatabasePath()),
                                                   driverPath().toStdString()),
                  error);
}

bool TempProgramDir::createDrugDatabase(const std::vector<Drug>& herbal,
                                        const std::vector<Drug>& western, std::string* error) {
    std::string driver = driverPath().toStdString();
    std::filesystem::path file = fsPath(drugDatabasePath());
    if (!report(rxdb::createDrugDatabase(file, driver), error)) return false;
    if (!herbal.empty() &&
        !report(rxdb::importDrugRows(file, "仓库", toRows(herbal), driver), error))
        return false;
    if (!western.empty() &&
        !report(rxdb::importDrugRows(file, "西药", toRows(western), driver), error))
        return false;
    return true;
}

std::string TempProgramDir::prescriptionConnectionText(const QString& programDir) {
    return odbc::ConnectionText("DSN=MS ACCESS DATABASE")
               .add("DBQ", programDir.toStdString() + "/data/sj.accdb")
               .str() +
           ";driver={microsoft access driver (*.mdb, *.accdb)};;driverid=25;fil=ms access;"
           "maxbuffersize=2048;pagetimeout=5;pwd=";
}

}  // namespace rx::test
