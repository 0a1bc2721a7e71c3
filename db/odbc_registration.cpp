#include "db/odbc_registration.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

#include "db/connection_texts.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

// unixODBC's system configuration folder on Debian when ODBCSYSINI is unset.
constexpr auto defaultSystemFolder = u"/etc";

bool sectionHeaderNames(QStringView line, const QString& section) {
    if (!line.startsWith(u'[')) return false;
    const qsizetype close = line.indexOf(u']');
    return close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
}

bool namesDriver(QStringView line) {
    const qsizetype eq = line.indexOf(u'=');
    return eq > 0 && line.left(eq).trimmed().compare(u"Driver", Qt::CaseInsensitive) == 0 &&
           !line.mid(eq + 1).trimmed().isEmpty();
}

// unixODBC takes the home folder from the password database, not from $HOME.
QString userHome() {
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
#endif
    return QDir::homePath();
}

}  // namespace

OdbcConfigFiles currentOdbcConfigFiles() {
    OdbcConfigFiles files;
    const QString userIni = qEnvironmentVariable("ODBCINI");
    files.userIni = userIni.isEmpty() ? userHome() + u"/.odbc.ini"_s : userIni;
    const QString systemFolder = qEnvironmentVariable("ODBCSYSINI");
    files.systemIni =
        (systemFolder.isEmpty() ? QString::fromUtf16(defaultSystemFolder) : systemFolder) +
        u"/odbc.ini"_s;
    return files;
}

bool iniDefinesDsn(const QString& iniFile, const QString& dsn) {
    QFile file(iniFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inSection = sectionHeaderNames(line, dsn);
        } else if (inSection && namesDriver(line)) {
            return true;
        }
    }
    return false;
}

bool dsnResolves(const QString& dsn, const OdbcConfigFiles& files) {
    return iniDefinesDsn(files.userIni, dsn) || iniDefinesDsn(files.systemIni, dsn);
}

bool ensureOdbcRegistration(const QString& programDir) {
    if (dsnResolves(accessDsnName(), currentOdbcConfigFiles())) return false;
    qputenv("ODBCSYSINI", QFile::encodeName(QDir::fromNativeSeparators(programDir)));
    return true;
}

}  // namespace rx::db
