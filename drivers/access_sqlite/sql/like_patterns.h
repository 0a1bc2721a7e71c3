#pragma once
// Access LIKE patterns with brackets ([_], [abc], [!a-c]) in the terms of the
// two stores. Both read the same pieces, so a pattern finds the same rows on
// the file and on a server.

#include <optional>
#include <string>
#include <string_view>

namespace rx::access {

// An Access LIKE pattern with brackets, in SQLite's terms. Brackets hold one
// character taken literally ([_], [%], [[]) or a class ([abc], [a-c],
// [!a-c]). Without classes the pattern stays a LIKE with an escape character;
// with them it becomes a GLOB over lower-cased text, which is as blind to the
// case of ASCII letters as LIKE is. A '[' that is never closed is an ordinary
// character, so that a search for one keeps finding it.
struct SqlitePattern {
    bool glob = false;
    std::string text;
};

// The pattern for the file, or nullopt when it has no brackets and stays as written.
std::optional<SqlitePattern> likePattern(std::string_view access);

// The same classes on a server: an anchored regular expression over the
// lower-cased text, where the file has its GLOB; nullopt without classes.
std::optional<std::string> serverRegex(std::string_view access);

}  // namespace rx::access
