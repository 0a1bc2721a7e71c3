#pragma once
// The one place where text changes encoding. Widgets hold QString, SQLite holds
// UTF-8, and everything that crosses the ODBC boundary is GB18030: byte-identical
// to GBK for every GBK character, and able to carry every other character too.

#include <cstddef>
#include <string>
#include <string_view>

namespace rx::text {

struct Converted {
    std::string bytes;
    bool exact = true;  // false when invalid input was replaced by U+FFFD (or "?" in GB18030)
    // Byte offset in the input of the first sequence that was replaced, so that
    // a caller refusing inexact text can say where it went wrong; npos if exact.
    std::size_t firstInvalid = std::string_view::npos;
};

// GB18030 bytes to UTF-8. Invalid or truncated sequences become U+FFFD.
Converted gb18030ToUtf8(std::string_view gb);

// UTF-8 bytes to GB18030. Every valid code point has a GB18030 form; invalid
// UTF-8 bytes become the GB18030 form of U+FFFD.
Converted utf8ToGb18030(std::string_view utf8);

// True when the text is plain ASCII, where both encodings agree byte for byte.
bool isAscii(std::string_view bytes);

}  // namespace rx::text
