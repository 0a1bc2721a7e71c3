// The date forms that reach a date-time column: Access's day numbers from old
// files (rxdb's importer), the texts users type, and #...# literals. All end
// in the one stored form that sorts as time does.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/access_values/access_types.h"

namespace rx::access {
namespace {

std::optional<std::string> stored(std::optional<DateTime> d) {
    if (!d || !isValid(*d)) return std::nullopt;
    return toStoredText(*d);
}

TEST(AccessDates, DayNumbersOfOldFilesBecomeStoredText) {
    const struct {
        double serial;
        const char* expected;  // nullptr: no date
    } cases[] = {
        {0.0, "1899-12-30 00:00:00"},
        {1.0, "1899-12-31 00:00:00"},
        {42678.0, "2016-11-04 00:00:00"},
        {42678.378472222, "2016-11-04 09:05:00"},
        {2.0 + 0.5, "1900-01-01 12:00:00"},
        {-1.0, "1899-12-29 00:00:00"},
        {1e9, nullptr},
        {-1e9, nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> got = stored(fromSerial(c.serial));
        if (c.expected)
            EXPECT_EQ(got, std::optional<std::string>(c.expected)) << c.serial;
        else
            EXPECT_EQ(got, std::nullopt) << c.serial;
    }
}

TEST(AccessDates, TextsAndLiteralsReadAsAccessReadsThem) {
    const struct {
        const char* text;
        bool literal;          // inside #...#
        const char* expected;  // nullptr: refused
    } cases[] = {
        {"2016年11月4日", false, "2016-11-04 00:00:00"},
        {"2016年11月4日9时5分3秒", false, "2016-11-04 09:05:03"},
        {" 2016-11-4 9:05:00 ", false, "2016-11-04 09:05:00"},
        {"2016/11/4", false, "2016-11-04 00:00:00"},
        {"11/4/2016", true, "2016-11-04 00:00:00"},
        {"2016-02-30", false, nullptr},
        {"2016-11-4 25:00", false, nullptr},
        {"今天", false, nullptr},
        {"", false, nullptr},
    };
    for (const auto& c : cases) {
        const auto got = stored(c.literal ? parseDateLiteral(c.text) : parseDateText(c.text));
        if (c.expected)
            EXPECT_EQ(got, std::optional<std::string>(c.expected)) << c.text;
        else
            EXPECT_EQ(got, std::nullopt) << c.text;
    }
    // The stored form reads back to the same moment.
    const auto back = fromStoredText("2016-11-04 09:05:03");
    ASSERT_TRUE(back);
    EXPECT_EQ(toStoredText(*back), "2016-11-04 09:05:03");
}

}  // namespace
}  // namespace rx::access
