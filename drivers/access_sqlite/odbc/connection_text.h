#pragma once
// The connection text of SQLDriverConnect: "KEY=value;KEY={value;with;semicolons};;".

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rx::access {

struct ConnectionText {
    std::vector<std::pair<std::string, std::string>> entries;  // in order, keys as written
    // The value of a key, compared without regard to ASCII case.
    std::optional<std::string> get(std::string_view key) const;
};

// Empty entries (";;") and entries without "=" are skipped, as Access does.
ConnectionText parseConnectionText(std::string_view text);

// The value in braces, each '}' doubled: what parseConnectionText reads back.
std::string braced(std::string_view value);

// True for "1", "yes", "true", "on" (any case).
bool isTrueValue(std::string_view value);

}  // namespace rx::access
