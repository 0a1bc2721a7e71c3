#pragma once
// The connection texts and file paths of the two database files. The program
// directory has no trailing separator; every fixed piece starts with one, so
// folder and piece join with exactly one separator.

#include <QChar>
#include <QString>

namespace rx::db {

// The separator of this platform ("/" here), as the fixed path pieces use it.
QChar nativeSeparatorChar();

// "<dir><sep>data<sep>sj.accdb" and "<dir><sep>data<sep>xs.mdb".
QString prescriptionDatabasePath(const QString& programDir,
                                 QChar separator = nativeSeparatorChar());
QString drugDatabasePath(const QString& programDir, QChar separator = nativeSeparatorChar());

// The full text handed to OdbcConnection::Open, "ODBC;" prefix included.
QString prescriptionConnectionText(const QString& programDir,
                                   QChar separator = nativeSeparatorChar());

// The drug database text as the record-set connection describes it.
QString drugConnectionText(const QString& filePath);

// What the ODBC driver receives for the drug file: the same DSN, the file,
// read-only, and the password only when there is one.
QString drugOdbcConnectText(const QString& filePath, const QString& password);

// The DSN every connection text names.
QString accessDsnName();

}  // namespace rx::db
