// The pinyin initials of a name, over its GB18030 bytes and as a QString.
#include "forms/patient_index/pinyin_initials.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text/gb18030.h"
#include "platform/text/qt_text.h"

namespace rx::patient_index {
namespace {

std::string gb(std::string_view utf8) {
    return text::utf8ToGb18030(utf8).bytes;
}

struct InitialsCase {
    const char* name;
    std::string bytes;  // GB18030
    std::string initials;
};

void PrintTo(const InitialsCase& c, std::ostream* out) {
    *out << c.name;
}

class PinyinInitials : public testing::TestWithParam<InitialsCase> {};

TEST_P(PinyinInitials, OfTheNameBytes) {
    const InitialsCase& c = GetParam();
    EXPECT_EQ(pinyinInitials(std::string_view(c.bytes)), c.initials);

    // Names a window can hold (well-formed text) give the same through QString.
    const QString name = text::fromGb18030(c.bytes.data(), qsizetype(c.bytes.size()));
    if (text::toGb18030(name).toStdString() == c.bytes) {
        EXPECT_EQ(pinyinInitials(name).toStdString(), c.initials);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, PinyinInitials,
    testing::Values(InitialsCase{"Empty", "", ""}, InitialsCase{"TwoCharacters", gb("张三"), "ZS"},
                    InitialsCase{"ThreeCharacters", gb("欧阳修"), "OYX"},
                    InitialsCase{"WhileTyping", gb("欧阳"), "OY"},
                    InitialsCase{"DigitKept", gb("李2"), "L2"},
                    InitialsCase{"LatinUpperCased", "Mary Wang", "MARY WANG"},
                    InitialsCase{"PunctuationKept", "a-1 (B)", "A-1 (B)"},
                    InitialsCase{"SpaceKept", gb("张 三"), "Z S"},
                    InitialsCase{"SingleQuoteDropped", "O'Neil", "ONEIL"},
                    // The quote reads b as its second byte, yet b is kept and still appended.
                    InitialsCase{"DoubleQuoteKeepsNextLetter", "a\"b", "AB"},
                    InitialsCase{"BarBetweenLetters", "a|b", "AB"},
                    InitialsCase{"ControlBetweenLetters", "a\tb", "AB"},
                    // A bar or a control character pairs with the lead byte of the next
                    // character, whose second byte then stands alone and gives nothing.
                    InitialsCase{"BarSwallowsNextCharacter", gb("张|三"), "Z"},
                    InitialsCase{"NewlineSwallowsNextCharacter", gb("张\n三"), "Z"},
                    // After a"b the flag is still on: the lead byte of 张 is dropped, and its
                    // second byte pairs with the lead byte of 三 as 0xC5C8, 湃 pai.
                    InitialsCase{"QuoteShiftsTheBytesAfterIt", gb("a\"b张三"), "ABP"},
                    InitialsCase{"ShiftedByteBeforeAscii", gb("a\"b张@"), "AB@"},
                    InitialsCase{"FullWidthLetters", gb("ＡＢ"), ""},
                    InitialsCase{"RadicalHasNoEntry", gb("氵a"), "A"},
                    InitialsCase{"FourByteCharacterAlone", gb("𠮷"), ""},
                    InitialsCase{"GbkCharacterAlone", gb("喆"), ""},
                    // Skipped whole: read byte by byte they would give A45B and A@B.
                    InitialsCase{"FourByteCharacterBetweenLetters", gb("a𠮷b"), "AB"},
                    InitialsCase{"GbkCharacterBetweenLetters", gb("a丂b"), "AB"},
                    InitialsCase{"GbkCharacterAfterQuote", gb("a\"b丂c"), "ABC"},
                    InitialsCase{"FourByteCharacterBeforeName", gb("𠮷张三"), "ZS"},
                    InitialsCase{"EndsInLoneLeadByte", gb("张") + "\xD5", "Z"},
                    InitialsCase{"LeadByteBeforeSpace", "\xB0 a", " A"},
                    InitialsCase{"StrayHighBytes",
                                 "\x80"
                                 "a\xFF"
                                 "b",
                                 "AB"}),
    [](const testing::TestParamInfo<InitialsCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace rx::patient_index
