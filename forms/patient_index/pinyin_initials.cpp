#include "forms/patient_index/pinyin_initials.h"

#include "forms/patient_index/pinyin_table.h"
#include "platform/text/qt_text.h"

namespace rx::patient_index {
namespace {

bool isKept(unsigned char b) {
    return b >= 0x20 && b <= 0x7E && b != '"' && b != '\'' && b != '|';
}

bool inRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// Length of the well-formed GB18030 multi-byte character at `at`, or 0.
std::size_t multiByteLength(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
    const std::size_t left = s.size() - at;
    if (left < 2 || !inRange(byte(0), 0x81, 0xFE)) return 0;
    if (inRange(byte(1), 0x40, 0x7E) || inRange(byte(1), 0x80, 0xFE)) return 2;
    if (left >= 4 && inRange(byte(1), 0x30, 0x39) && inRange(byte(2), 0x81, 0xFE) &&
        inRange(byte(3), 0x30, 0x39))
        return 4;
    return 0;
}

// Both bytes in 0xA1-0xFE: the shape of every GB2312 code. These are walked byte
// by byte; any other multi-byte character is skipped whole.
bool isGb2312Shaped(std::string_view s, std::size_t at, std::size_t length) {
    return length == 2 && inRange(static_cast<unsigned char>(s[at]), 0xA1, 0xFE) &&
           inRange(static_cast<unsigned char>(s[at + 1]), 0xA1, 0xFE);
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace

std::string pinyinInitials(std::string_view gb) {
    std::string initials;
    bool skipNext = false;
    // Where the next character of the text starts, so that a skipped character is
    // recognised from its first byte, not from a byte in its middle.
    std::size_t characterStart = 0;
    for (std::size_t k = 0; k < gb.size();) {
        if (k == characterStart) {
            const std::size_t length = multiByteLength(gb, k);
            if (length != 0 && !isGb2312Shaped(gb, k, length)) {
                skipNext = false;
                k += length;
                characterStart = k;
                continue;
            }
            characterStart = k + (length != 0 ? length : 1);
        }
        const auto byte = static_cast<unsigned char>(gb[k]);
        if (isKept(byte)) {
            initials += upper(char(byte));
        } else if (skipNext) {
            skipNext = false;
        } else {
            if (k + 1 < gb.size()) {
                const char letter =
                    gb2312InitialLetter(byte, static_cast<unsigned char>(gb[k + 1]));
                if (letter != '\0') initials += upper(letter);
            }
            skipNext = true;
        }
        ++k;
    }
    return initials;
}

QString pinyinInitials(const QString& name) {
    const QByteArray gb = text::toGb18030(name);
    const std::string initials =
        pinyinInitials(std::string_view(gb.constData(), std::size_t(gb.size())));
    return text::fromGb18030(initials.data(), qsizetype(initials.size()));
}

}  // namespace rx::patient_index
