#pragma once
// One entry per fuzzed input kind, shared by the libFuzzer targets and the
// corpus replay test, so that CI replays exactly what the fuzzers ran. Each
// returns an empty text when the input was handled as it must be, otherwise
// what went wrong.

#include <string>
#include <string_view>

namespace rx::fuzz {

// A statement as the program sends it (GB18030): tokenized, parsed and
// translated against the program's tables; whatever the translation gives
// SQLite must prepare.
std::string feedStatement(std::string_view gb18030);

// SQLDriverConnect's text: parsed, and a text rebuilt from its entries parses
// back to the same entries.
std::string feedConnectionText(std::string_view text);

// Both directions of the GB18030 conversion: an exact conversion round-trips
// byte for byte, a refused one names a byte inside the input.
std::string feedGb18030(std::string_view bytes);

}  // namespace rx::fuzz
