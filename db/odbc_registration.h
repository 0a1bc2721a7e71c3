#pragma once
// Making sure the DSN of every connection text resolves. A system that has
// registered the driver (odbcinst.ini / odbc.ini in /etc or the user's
// ~/.odbc.ini) keeps its registration; otherwise unixODBC is pointed at the
// registration files that lie in the program directory.
//
// The driver manager remembers where its configuration lives from its first
// call on, so this must run before anything in the process touches ODBC; the
// check therefore reads the files itself instead of asking unixODBC.

#include <QString>

namespace rx::db {

// Where unixODBC would look for DSNs, as the environment says now.
struct OdbcConfigFiles {
    QString userIni;    // $ODBCINI, else .odbc.ini in the home folder of the account
    QString systemIni;  // $ODBCSYSINI/odbc.ini, else /etc/odbc.ini
};
OdbcConfigFiles currentOdbcConfigFiles();

// True when the ini file has the section (names compared without case) and
// the section names a Driver.
bool iniDefinesDsn(const QString& iniFile, const QString& dsn);

bool dsnResolves(const QString& dsn, const OdbcConfigFiles& files);

// Sets ODBCSYSINI to programDir (which holds odbcinst.ini and odbc.ini) when
// "MS ACCESS DATABASE" does not resolve already. Returns true when it did.
bool ensureOdbcRegistration(const QString& programDir);

}  // namespace rx::db
