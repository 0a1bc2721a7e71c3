#include "platform/program/program_directory.h"

#include <QCoreApplication>
#include <QDir>

namespace rx {

QString nativeSeparator() {
    return QString(QDir::separator());
}

QString withoutTrailingSeparator(const QString& folder) {
    QString result = folder;
    while (result.size() > 1 && (result.endsWith(u'/') || result.endsWith(QDir::separator())))
        result.chop(1);
    return result;
}

QString executableFolder() {
    return withoutTrailingSeparator(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

QString joinPath(const QString& folder, const QString& piece) {
    QString native = piece;
    native.replace(u'/', QDir::separator());
    return folder + native;
}

}  // namespace rx
