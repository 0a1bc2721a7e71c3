#pragma once
// QString <-> GB18030 bytes: the only conversion the program's own code uses.

#include <QByteArray>
#include <QString>

namespace rx::text {

QByteArray toGb18030(const QString& text);
QString fromGb18030(const QByteArray& bytes);
QString fromGb18030(const char* bytes, qsizetype length);

}  // namespace rx::text
