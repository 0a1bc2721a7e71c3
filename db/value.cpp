#include "db/value.h"

#include "db/date_forms.h"
#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

struct TextOf {
    QString operator()(std::monostate) const { return {}; }
    QString operator()(qint64 n) const { return QString::number(n); }
    // Fifteen significant digits: enough for any age or amount, and 2.5 stays 2.5
    // instead of 2.50000000000000.
    QString operator()(double d) const { return QString::number(d, 'g', 15); }
    QString operator()(const QString& s) const { return s; }
    QString operator()(const QDateTime& t) const { return dateToText(t); }
    QString operator()(bool b) const { return b ? u"True"_s : u"False"_s; }
    QString operator()(const QByteArray& bytes) const { return rx::text::fromGb18030(bytes); }
};

}  // namespace

QString valueText(const Value& value) {
    return std::visit(TextOf{}, value);
}

}  // namespace rx::db
