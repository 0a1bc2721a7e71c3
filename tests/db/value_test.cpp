#include "db/value.h"

#include <gtest/gtest.h>

#include "platform/text/qt_text.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

TEST(ValueText, ShowsEachTypeAsTheWindowsDo) {
    EXPECT_EQ(valueText(Value{}), QString());
    EXPECT_EQ(valueText(Value{qint64(35)}), u"35"_s);
    EXPECT_EQ(valueText(Value{qint64(-7)}), u"-7"_s);
    EXPECT_EQ(valueText(Value{35.0}), u"35"_s);
    EXPECT_EQ(valueText(Value{2.5}), u"2.5"_s);
    EXPECT_EQ(valueText(Value{0.1}), u"0.1"_s);
    EXPECT_EQ(valueText(Value{u"张三"_s}), u"张三"_s);
    EXPECT_EQ(valueText(Value{QDateTime(QDate(2016, 11, 4), QTime(9, 5))}),
              u"2016年11月4日9时5分"_s);
    EXPECT_EQ(valueText(Value{true}), u"True"_s);
    EXPECT_EQ(valueText(Value{rx::text::toGb18030(u"当归"_s)}), u"当归"_s);
}

}  // namespace
}  // namespace rx::db
