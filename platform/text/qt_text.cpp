#include "platform/text/qt_text.h"

#include "platform/text/gb18030.h"

namespace rx::text {

QByteArray toGb18030(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const Converted gb = utf8ToGb18030(std::string_view(utf8.constData(), size_t(utf8.size())));
    return QByteArray(gb.bytes.data(), qsizetype(gb.bytes.size()));
}

QString fromGb18030(const char* bytes, qsizetype length) {
    if (length <= 0) return {};
    const Converted utf8 = gb18030ToUtf8(std::string_view(bytes, size_t(length)));
    return QString::fromUtf8(utf8.bytes.data(), qsizetype(utf8.bytes.size()));
}

QString fromGb18030(const QByteArray& bytes) {
    return fromGb18030(bytes.constData(), bytes.size());
}

}  // namespace rx::text
