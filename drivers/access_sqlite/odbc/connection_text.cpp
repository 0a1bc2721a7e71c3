#include "drivers/access_sqlite/odbc/connection_text.h"

#include "drivers/access_sqlite/sql/catalog.h"

namespace rx::access {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> ConnectionText::get(std::string_view key) const {
    for (const auto& [k, v] : entries)
        if (sameName(k, key)) return v;
    return std::nullopt;
}

ConnectionText parseConnectionText(std::string_view text) {
    ConnectionText out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eq = text.find('=', pos);
        size_t semi = text.find(';', pos);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            if (semi == std::string_view::npos) break;
            pos = semi + 1;  // an empty entry or a bare word
            continue;
        }
        std::string key(trim(text.substr(pos, eq - pos)));
        size_t valueStart = eq + 1;
        std::string value;
        if (valueStart < text.size() && text[valueStart] == '{') {
            // Inside braces "}}" stands for one '}', as ODBC has it.
            size_t close = valueStart + 1;
            for (; close < text.size(); ++close) {
                if (text[close] != '}') {
                    value += text[close];
                } else if (close + 1 < text.size() && text[close + 1] == '}') {
                    value += '}';
                    ++close;
                } else {
                    break;
                }
            }
            semi = text.find(';', close);
        } else {
            semi = text.find(';', valueStart);
            value.assign(text.substr(
                valueStart, (semi == std::string_view::npos ? text.size() : semi) - valueStart));
        }
        if (!key.empty()) out.entries.emplace_back(std::move(key), std::move(value));
        if (semi == std::string_view::npos) break;
        pos = semi + 1;
    }
    return out;
}

std::string braced(std::string_view value) {
    std::string out = "{";
    for (const char c : value) out += c == '}' ? std::string("}}") : std::string(1, c);
    return out + '}';
}

bool isTrueValue(std::string_view value) {
    value = trim(value);
    return value == "1" || sameName(value, "yes") || sameName(value, "true") ||
           sameName(value, "on");
}

}  // namespace rx::access
