// The generated reading table: the readings names depend on, the codes without
// an entry, and figures over the whole table.
#include "forms/patient_index/pinyin_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/text/gb18030.h"

namespace rx::patient_index {
namespace {

std::string gb(std::string_view utf8) {
    return text::utf8ToGb18030(utf8).bytes;
}

CodeReadings readingsOf(std::string_view utf8) {
    const std::string code = gb(utf8);
    EXPECT_EQ(code.size(), 2u) << utf8;
    return code.size() == 2 ? gb2312Readings(code[0], code[1]) : CodeReadings{};
}

struct NameCharacter {
    const char* character;  // UTF-8
    const char* firstReading;
    char letter;
    bool several;  // whether the table has further readings, which the letter ignores
};

void PrintTo(const NameCharacter& c, std::ostream* out) {
    *out << c.firstReading;
}

class FirstReading : public testing::TestWithParam<NameCharacter> {};

TEST_P(FirstReading, GivesTheLetter) {
    const NameCharacter& c = GetParam();
    const CodeReadings found = readingsOf(c.character);
    ASSERT_GE(found.count, 1);
    const PinyinReading& first = found.readings[0];
    EXPECT_EQ(std::string(first.initial) + std::string(first.final), c.firstReading);
    EXPECT_EQ(found.count > 1, c.several);
    const std::string code = gb(c.character);
    EXPECT_EQ(gb2312InitialLetter(code[0], code[1]), c.letter);
}

INSTANTIATE_TEST_SUITE_P(
    FamilyNames, FirstReading,
    testing::Values(NameCharacter{"张", "zhang", 'z', false},
                    NameCharacter{"王", "wang", 'w', false}, NameCharacter{"李", "li", 'l', false},
                    NameCharacter{"赵", "zhao", 'z', false},
                    NameCharacter{"陈", "chen", 'c', false},
                    NameCharacter{"杨", "yang", 'y', false},
                    NameCharacter{"黄", "huang", 'h', false}, NameCharacter{"吴", "wu", 'w', false},
                    NameCharacter{"刘", "liu", 'l', false}, NameCharacter{"安", "an", 'a', false},
                    NameCharacter{"欧", "ou", 'o', false}, NameCharacter{"额", "e", 'e', false},
                    NameCharacter{"爱", "ai", 'a', false}, NameCharacter{"儿", "er", 'e', false},
                    NameCharacter{"吕", "lü", 'l', false}));

// The first reading listed wins, even where a family name is read otherwise.
INSTANTIATE_TEST_SUITE_P(
    SeveralReadings, FirstReading,
    testing::Values(NameCharacter{"长", "chang", 'c', true},
                    NameCharacter{"重", "zhong", 'z', true}, NameCharacter{"行", "xing", 'x', true},
                    NameCharacter{"乐", "le", 'l', true}, NameCharacter{"单", "dan", 'd', true},
                    NameCharacter{"曾", "ceng", 'c', true}, NameCharacter{"解", "jie", 'j', true},
                    NameCharacter{"区", "qu", 'q', true}, NameCharacter{"仇", "chou", 'c', true},
                    NameCharacter{"朴", "pu", 'p', true}, NameCharacter{"查", "cha", 'c', true},
                    NameCharacter{"翟", "zhai", 'z', true}, NameCharacter{"沈", "shen", 's', true},
                    NameCharacter{"种", "zhong", 'z', true}, NameCharacter{"盖", "gai", 'g', true},
                    NameCharacter{"尉", "wei", 'w', true}, NameCharacter{"宿", "su", 's', true},
                    NameCharacter{"秘", "mi", 'm', true}, NameCharacter{"员", "yuan", 'y', true},
                    NameCharacter{"句", "ju", 'j', true}));

TEST(PinyinTable, EntriesLettersAndReadingsOverTheWholeArea) {
    std::set<std::string> expectedNoEntry = {"\xD7\xFA", "\xD7\xFB", "\xD7\xFC", "\xD7\xFD",
                                             "\xD7\xFE"};
    const std::string radicals =
        gb("丌丨丿丶匚刂冂亻勹亠冫冖讠卩阝廴艹扌彡犭夂饣忄丬氵宀辶彐纟巛攴攵灬礻肀钅衤呒");
    for (std::size_t i = 0; i + 1 < radicals.size(); i += 2)
        expectedNoEntry.insert(radicals.substr(i, 2));
    ASSERT_EQ(expectedNoEntry.size(), 43u);

    const std::set<std::string_view> initials = {"",  "zh", "ch", "sh", "b", "p", "m", "f",
                                                 "d", "t",  "n",  "l",  "g", "k", "h", "j",
                                                 "q", "x",  "r",  "z",  "c", "s", "y", "w"};
    std::set<std::string> noEntry;
    std::set<char> letters;
    int several = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const CodeReadings found = gb2312Readings(lead, trail);
            if (found.count == 0) noEntry.insert({char(lead), char(trail)});
            if (found.count > 1) ++several;
            for (int r = 0; r < found.count; ++r) {
                const PinyinReading& reading = found.readings[std::size_t(r)];
                EXPECT_TRUE(initials.count(reading.initial)) << lead << ' ' << trail;
                EXPECT_FALSE(reading.initial.empty() && reading.final.empty())
                    << lead << ' ' << trail;
            }
            if (const char letter = gb2312InitialLetter(lead, trail)) letters.insert(letter);
        }
    }
    EXPECT_EQ(noEntry, expectedNoEntry);
    EXPECT_EQ(std::string(letters.begin(), letters.end()), "abcdefghjklmnopqrstwxyz");
    EXPECT_EQ(several, kMultiReadingCodeCount);

    // Just outside the area on every side.
    for (const auto& [lead, trail] :
         {std::pair{0xAF, 0xFE}, {0xF8, 0xA1}, {0xB0, 0xA0}, {0xB0, 0xFF}})
        EXPECT_EQ(gb2312Readings(lead, trail).count, 0) << lead << ' ' << trail;
}

}  // namespace
}  // namespace rx::patient_index
