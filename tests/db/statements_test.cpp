#include "db/statements.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

struct StatementCase {
    const char* name;
    std::function<QString()> build;
    QString text;
};

void PrintTo(const StatementCase& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class Statement : public testing::TestWithParam<StatementCase> {};

TEST_P(Statement, IsTheExactText) {
    EXPECT_EQ(GetParam().build(), GetParam().text);
}

const QDate march1(2024, 3, 1);
const QDate may3(2024, 5, 3);

INSTANTIATE_TEST_SUITE_P(
    Searches, Statement,
    testing::Values(
        StatementCase{
            "IndexSearchExample", [] { return IndexSearch(march1, may3, u"张"_s); },
            u"select * from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 like'%张%' "
            u"order by 时间 desc"_s},
        StatementCase{
            "VisitSearchExample", [] { return VisitSearch(march1, may3, u"张"_s); },
            u"select * from 基本资料 where 登记时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 "
            u"like'%张%' order by 登记时间 desc"_s},
        StatementCase{
            "SameStartAndEndDay", [] { return IndexSearch(may3, may3, u"张"_s); },
            u"select * from 检索 where 时间 BETWEEN #2024-5-3# and #2024-5-3#and 姓名 like'%张%' "
            u"order by 时间 desc"_s},
        StatementCase{
            "JanuaryHasOneDigitMonth",
            [] { return VisitSearch(QDate(2025, 1, 7), QDate(2025, 1, 31), u"李"_s); },
            u"select * from 基本资料 where 登记时间 BETWEEN #2025-1-7# and #2025-1-31#and 姓名 "
            u"like'%李%' order by 登记时间 desc"_s},
        StatementCase{
            "EmptyNameMatchesEveryName", [] { return IndexSearch(march1, may3, QString()); },
            u"select * from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 like'%%' "
            u"order by 时间 desc"_s},
        StatementCase{"QuoteInNameIsDoubled", [] { return IndexSearch(march1, may3, u"O'Neil"_s); },
                      u"select * from 检索 where 时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 "
                      u"like'%O''Neil%' order by 时间 desc"_s},
        StatementCase{
            "WildcardsStayWildcards", [] { return VisitSearch(march1, may3, u"张_%"_s); },
            u"select * from 基本资料 where 登记时间 BETWEEN #2024-3-1# and #2024-5-3#and 姓名 "
            u"like'%张_%%' order by 登记时间 desc"_s}),
    [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Lookups, Statement,
    testing::Values(StatementCase{"Herbal", [] { return HerbalLookup(u"dg"_s); },
                                  u"select * from 仓库 where 存货编码 like '%dg%'"_s},
                    StatementCase{"Western", [] { return WesternLookup(u"AMX"_s); },
                                  u"select * from 西药 where 存货编码 like '%AMX%'"_s},
                    StatementCase{"EmptyCodeMatchesAll", [] { return HerbalLookup(QString()); },
                                  u"select * from 仓库 where 存货编码 like '%%'"_s},
                    StatementCase{"QuotedCode", [] { return WesternLookup(u"a'b''"_s); },
                                  u"select * from 西药 where 存货编码 like '%a''b''''%'"_s}),
    [](const auto& test) { return std::string(test.param.name); });

Visit visit() {
    return {u"张三"_s,
            u"男"_s,
            u"35"_s,
            u"岁"_s,
            u"北京路1号"_s,
            u"感冒"_s,
            u"2016年11月4日"_s,
            u"20161104012047"_s,
            u"一日三次"_s,
            u"水煎服"_s,
            u"g"_s,
            u"发热两天"_s,
            u"当归10g,甘草6g,"_s,
            u"饭后"_s,
            u""_s,
            u"新"_s};
}

INSTANTIATE_TEST_SUITE_P(
    Inserts, Statement,
    testing::Values(
        StatementCase{
            "VisitInsertInColumnOrder", [] { return VisitInsert(visit()); },
            u"INSERT INTO 基本资料 "
            u"(姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,用量单位,"
            u"现病史,中药处方,备注,备注2,记录) values "
            u"('张三','男','35','岁','北京路1号','感冒','2016年11月4日',"
            u"'20161104012047','一日三次','水煎服','g','发热两天','当归10g,甘草6g,','饭后','','新')"_s},
        StatementCase{
            "VisitInsertAllEmpty", [] { return VisitInsert({}); },
            u"INSERT INTO 基本资料 "
            u"(姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,用量单位,"
            u"现病史,中药处方,备注,备注2,记录) values ('','','','','','','','','','','','','','','','')"_s},
        StatementCase{
            "VisitInsertQuoteInAnyField",
            [] {
                auto v = visit();
                v.name = u"O'Neil"_s;
                v.newRecord = u"'"_s;
                return VisitInsert(v);
            },
            u"INSERT INTO 基本资料 "
            u"(姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,用量单位,"
            u"现病史,中药处方,备注,备注2,记录) values "
            u"('O''Neil','男','35','岁','北京路1号','感冒','2016年11月4日',"
            u"'20161104012047','一日三次','水煎服','g','发热两天','当归10g,甘草6g,','饭后','','''')"_s},
        StatementCase{
            "IndexInsert",
            [] { return IndexInsert(u"张三"_s, u"2016年11月4日"_s, u"头痛"_s, u"ZS"_s); },
            u"INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('张三','2016年11月4日','头痛','ZS')"_s},
        StatementCase{
            "IndexInsertQuotes",
            [] { return IndexInsert(u"O'Neil"_s, u"2016年11月4日"_s, u"it's'"_s, u"O"_s); },
            u"INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('O''Neil','2016年11月4日','it''s''','O')"_s}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace rx::db
