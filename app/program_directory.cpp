#include "app/program_directory.h"

#include <QCoreApplication>
#include <QDir>

namespace rx {
namespace {
QString& stored() {
    static QString folder;
    return folder;
}
}  // namespace

QString nativeSeparator() { return QString(QDir::separator()); }

QString withoutTrailingSeparator(const QString& folder) {
    QString result = folder;
    while (result.size() > 1 && (result.endsWith(u'/') || result.endsWith(QDir::separator())))
        result.chop(1);
    return result;
}

QString executableFolder() {
    return withoutTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

QString programDirectory() { return stored(); }

void setProgramDirectory(const QString& folder) { stored() = withoutTrailingSeparator(folder); }

QString programPath(const QString& piece) {
    QString native = piece;
    native.replace(u'/', QDir::separator());
    return programDirectory() + native;
}

}  // namespace rx
