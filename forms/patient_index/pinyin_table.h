#pragma once
// Mandarin readings of the GB2312 Chinese characters, for the pinyin initials of
// a patient's name. The data is generated (pinyin_table.cpp); see
// scripts/generate-pinyin-table.mjs.

#include <array>
#include <string_view>

namespace rx::patient_index {

// One toneless reading split after its initial consonant: {"zh", "ang"}, {"", "an"}.
struct PinyinReading {
    std::string_view initial;  // zh ch sh b p m f d t n l g k h j q x r z c s y w, or empty
    std::string_view final;    // the rest as written: "u" in qu, "ü" in lü
};

inline constexpr int kMaxReadings = 3;

struct CodeReadings {
    std::array<PinyinReading, kMaxReadings> readings{};
    int count = 0;  // 0: outside the area, unassigned, or a radical component
};

// The Chinese-character area of GB2312: 72 rows of 94 codes.
constexpr bool isGb2312HanziCode(unsigned char lead, unsigned char trail) {
    return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// The readings of one code, first reading first.
CodeReadings gb2312Readings(unsigned char lead, unsigned char trail);

// The letter a code contributes to the initials, in lower case: the first letter
// of its first reading (of the final when there is no initial consonant), or
// '\0' when the code has no entry.
inline char gb2312InitialLetter(unsigned char lead, unsigned char trail) {
    const CodeReadings found = gb2312Readings(lead, trail);
    if (found.count == 0) return '\0';
    const PinyinReading& first = found.readings[0];
    return first.initial.empty() ? first.final.front() : first.initial.front();
}

// How many codes have more than one reading, as counted by the generator.
extern const int kMultiReadingCodeCount;

}  // namespace rx::patient_index
