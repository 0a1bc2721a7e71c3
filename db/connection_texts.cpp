#include "db/connection_texts.h"

#include <QDir>

#include "platform/names/names.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

QString dataFile(const QString& programDir, QChar separator, const QString& file) {
    return programDir + separator + u"data"_s + separator + file;
}

// A value with a ';' or a leading '{' would end or confuse its attribute, so
// it goes in braces.
QString attributeValue(const QString& value) {
    if (!value.contains(u';') && !value.startsWith(u'{')) return value;
    return QChar(u'{') + value + QChar(u'}');
}

}  // namespace

QChar nativeSeparatorChar() {
    return QDir::separator();
}

QString accessDsnName() {
    return QString::fromUtf8(names::kDataSourceName);
}

QString prescriptionDatabasePath(const QString& programDir, QChar separator) {
    return dataFile(programDir, separator, QString::fromUtf8(names::kPrescriptionFile));
}

QString drugDatabasePath(const QString& programDir, QChar separator) {
    return dataFile(programDir, separator, QString::fromUtf8(names::kDrugFile));
}

QString prescriptionConnectionText(const QString& programDir, QChar separator) {
    return u"ODBC;DSN="_s + accessDsnName() + u";DBQ="_s +
           prescriptionDatabasePath(programDir, separator) + u";driver={"_s +
           QString::fromUtf8(names::kDriverNameLower) +
           u"};;driverid=25;fil=ms access;maxbuffersize=2048;pagetimeout=5;pwd="_s;
}

QString drugConnectionText(const QString& filePath) {
    return u"Provider=Microsoft.Jet.OLEDB.4.0; Data Source="_s + filePath;
}

QString drugOdbcConnectText(const QString& filePath, const QString& password) {
    QString text =
        u"DSN="_s + accessDsnName() + u";DBQ="_s + attributeValue(filePath) + u";ReadOnly=1"_s;
    if (!password.isEmpty()) text += u";PWD="_s + attributeValue(password);
    return text;
}

}  // namespace rx::db
