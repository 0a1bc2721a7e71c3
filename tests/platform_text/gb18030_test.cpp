#include "platform/text/gb18030.h"

#include <gtest/gtest.h>

#include "platform/text/qt_text.h"

namespace {

using rx::text::fromGb18030;
using rx::text::gb18030ToUtf8;
using rx::text::toGb18030;
using rx::text::utf8ToGb18030;

TEST(Gb18030, GbkCharactersKeepTheirGbkBytes) {
    // 当归 in GBK is B5 B1 B9 E9; GB18030 must agree byte for byte.
    EXPECT_EQ(toGb18030(QStringLiteral("当归")), QByteArray("\xB5\xB1\xB9\xE9"));
    EXPECT_EQ(fromGb18030(QByteArray("\xB5\xB1\xB9\xE9")), QStringLiteral("当归"));
    // The full-width comma stays one two-byte character (A3 AC), never an ASCII comma.
    EXPECT_EQ(toGb18030(QStringLiteral("，")), QByteArray("\xA3\xAC"));
}

TEST(Gb18030, CharactersOutsideGbkSurviveTheRoundTrip) {
    // 𠀀 (U+20000, four bytes in GB18030) and 䶵 (U+4DB5) are not in GBK.
    const QString rare = QStringLiteral("王𠀀䶵€😀");
    const QByteArray bytes = toGb18030(rare);
    EXPECT_FALSE(bytes.contains('?'));
    EXPECT_EQ(fromGb18030(bytes), rare);
}

TEST(Gb18030, AsciiPassesUnchanged) {
    EXPECT_EQ(toGb18030(QStringLiteral("select * from t where a like '%x_%'")),
              QByteArray("select * from t where a like '%x_%'"));
    EXPECT_TRUE(toGb18030(QString()).isEmpty());
    EXPECT_TRUE(fromGb18030(QByteArray()).isEmpty());
}

TEST(Gb18030, InvalidBytesBecomeReplacementCharactersWithoutLosingTheRest) {
    // A lone lead byte in the middle and a truncated one at the end.
    const auto mid = gb18030ToUtf8(
        "A\x81\x20"
        "B");
    EXPECT_FALSE(mid.exact);
    EXPECT_EQ(QString::fromUtf8(mid.bytes.c_str()), QStringLiteral("A\uFFFD B"));
    const auto tail = gb18030ToUtf8("\xB5\xB1\xB9");
    EXPECT_FALSE(tail.exact);
    EXPECT_EQ(QString::fromUtf8(tail.bytes.c_str()), QStringLiteral("当\uFFFD"));
}

TEST(Gb18030, InvalidUtf8IsReplacedNotTruncated) {
    const auto out = utf8ToGb18030(
        "a\xFF"
        "b");
    EXPECT_FALSE(out.exact);
    EXPECT_EQ(gb18030ToUtf8(out.bytes).bytes,
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_TRUE(utf8ToGb18030("\xE5\xBD\x93").exact);  // 当
}

}  // namespace
