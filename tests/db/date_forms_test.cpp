#include "db/date_forms.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

// Cases by their names, not their bytes, in test names.
constexpr auto caseName = [](const auto& testCase) { return std::string(testCase.param.name); };

struct TextCase {
    const char* name;
    QDateTime value;
    QString text;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class DateToText : public testing::TestWithParam<TextCase> {};

TEST_P(DateToText, WritesTheStoredValue) {
    EXPECT_EQ(dateToText(GetParam().value), GetParam().text);
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return {QDate(y, mo, d), QTime(h, mi, s)};
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateToText,
    testing::Values(
        TextCase{"Midnight", at(2016, 11, 4), u"2016年11月4日"_s},
        TextCase{"HourOnly", at(2016, 11, 4, 10), u"2016年11月4日10时"_s},
        TextCase{"MinutesWithoutSeconds", at(2016, 11, 4, 9, 5), u"2016年11月4日9时5分"_s},
        TextCase{"Seconds", at(2016, 11, 4, 9, 5, 7), u"2016年11月4日9时5分7秒"_s},
        TextCase{"SecondsAtMidnightHour", at(2016, 11, 4, 0, 0, 7), u"2016年11月4日0时0分7秒"_s},
        TextCase{"MinutesAtMidnightHour", at(2016, 11, 4, 0, 30), u"2016年11月4日0时30分"_s},
        TextCase{"JanuaryFirstNoLeadingZeros", at(2025, 1, 7), u"2025年1月7日"_s},
        TextCase{"LastDayOfYear", at(2024, 12, 31, 23, 59, 59), u"2024年12月31日23时59分59秒"_s},
        TextCase{"EarlyYearWrittenInFull", at(101, 2, 3), u"101年2月3日"_s},
        TextCase{"InvalidGivesEmpty", QDateTime(), QString()}),
    caseName);

TEST(DateToText, DateAloneHasNoTimeOfDay) {
    EXPECT_EQ(dateToText(QDate(2016, 11, 4)), u"2016年11月4日"_s);
    EXPECT_EQ(dateToText(QDate()), QString());
}

TEST(DateBound, HasNoLeadingZeros) {
    EXPECT_EQ(dateBound(QDate(2024, 5, 3)), u"#2024-5-3#"_s);
    EXPECT_EQ(dateBound(QDate(2025, 1, 7)), u"#2025-1-7#"_s);
    EXPECT_EQ(dateBound(QDate(2024, 12, 31)), u"#2024-12-31#"_s);
}

TEST(PrescriptionNumber, IsFourteenDigitsWithTwoDigitParts) {
    EXPECT_EQ(prescriptionNumber(at(2016, 11, 4, 1, 20, 47)), u"20161104012047"_s);
    EXPECT_EQ(prescriptionNumber(at(2025, 1, 7)), u"20250107000000"_s);
    EXPECT_EQ(prescriptionNumber(at(2024, 12, 31, 23, 59, 59)), u"20241231235959"_s);
}

TEST(SlipDate, KeepsLeadingZeros) {
    EXPECT_EQ(slipDateText(QDate(2024, 3, 5)), u"2024年03月05日"_s);
    EXPECT_EQ(slipDateText(QDate(2016, 11, 4)), u"2016年11月04日"_s);
    EXPECT_EQ(slipDateText(QDate(2024, 12, 31)), u"2024年12月31日"_s);
}

struct RangeCase {
    const char* name;
    QDateTime start;
    QDateTime end;
    bool rejected;
};

void PrintTo(const RangeCase& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class EndBeforeStart : public testing::TestWithParam<RangeCase> {};

TEST_P(EndBeforeStart, ComparesClampedPointsInTime) {
    EXPECT_EQ(endBeforeStart(GetParam().start, GetParam().end), GetParam().rejected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, EndBeforeStart,
    testing::Values(
        RangeCase{"SameMoment", at(2024, 5, 3, 9), at(2024, 5, 3, 9), false},
        RangeCase{"EndDayEarlier", at(2024, 5, 3), at(2024, 5, 2), true},
        RangeCase{"SameDayEarlierTime", at(2024, 5, 3, 10), at(2024, 5, 3, 9, 59, 59), true},
        RangeCase{"SameDayLaterTime", at(2024, 5, 3, 9), at(2024, 5, 3, 10), false},
        RangeCase{"BothBelowTheFloorAreEqual", at(50, 6, 1), at(20, 1, 1), false},
        RangeCase{"BelowTheFloorBeforeRealDate", at(99, 1, 1), at(100, 1, 1, 0, 0, 1), false},
        RangeCase{"RealEndBeforeClampedStart", at(100, 1, 2), at(10, 1, 1), true},
        RangeCase{"BothBeyondTheCeilingAreEqual", at(20000, 1, 1), at(10000, 6, 1), false},
        RangeCase{"LastDayStillOrdersByTime", at(9999, 12, 31, 12), at(9999, 12, 31, 11), true}),
    caseName);

}  // namespace
}  // namespace rx::db
