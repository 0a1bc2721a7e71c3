#include "drivers/access_sqlite/sql/like_patterns.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace rx::access {
namespace {

size_t utf8CharLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

struct Piece {
    enum class Kind { Char, Any, One, Class } kind;
    std::string text;  // the character, or the class body
    bool negated = false;
};

std::vector<Piece> patternPieces(std::string_view access, bool& classes) {
    std::vector<Piece> pieces;
    classes = false;
    for (size_t i = 0; i < access.size();) {
        const char c = access[i];
        const size_t close = c == '[' ? access.find(']', i + 1) : std::string_view::npos;
        if (close != std::string_view::npos) {
            std::string_view body = access.substr(i + 1, close - i - 1);
            i = close + 1;
            const bool negated = body.size() > 1 && body.front() == '!';
            if (negated) body.remove_prefix(1);
            if (body.empty()) continue;  // Access: [] matches nothing at all
            if (!negated && utf8CharLength(static_cast<unsigned char>(body[0])) == body.size()) {
                pieces.push_back({Piece::Kind::Char, std::string(body)});
            } else {
                pieces.push_back({Piece::Kind::Class, std::string(body), negated});
                classes = true;
            }
            continue;
        }
        const size_t n = std::min(utf8CharLength(static_cast<unsigned char>(c)), access.size() - i);
        const auto kind = c == '%'   ? Piece::Kind::Any
                          : c == '_' ? Piece::Kind::One
                                     : Piece::Kind::Char;
        pieces.push_back({kind, std::string(access.substr(i, n))});
        i += n;
    }
    return pieces;
}

// A class body lower-cased; a leading ^ would negate the class, anywhere else it is itself.
std::string classBody(const std::string& text) {
    std::string body;
    for (char ch : text) body += lowerAscii(ch);
    if (body.front() == '^') body = body.substr(1) + '^';
    return body;
}

}  // namespace

std::optional<SqlitePattern> likePattern(std::string_view access) {
    if (access.find('[') == std::string_view::npos) return std::nullopt;
    bool classes = false;
    const std::vector<Piece> pieces = patternPieces(access, classes);
    SqlitePattern out;
    out.glob = classes;
    for (const Piece& p : pieces) {
        switch (p.kind) {
            case Piece::Kind::Any:
                out.text += classes ? '*' : '%';
                break;
            case Piece::Kind::One:
                out.text += classes ? '?' : '_';
                break;
            case Piece::Kind::Char:
                if (!classes) {
                    if (p.text == "%" || p.text == "_" || p.text == "\\") out.text += '\\';
                    out.text += p.text;
                } else if (p.text == "*" || p.text == "?" || p.text == "[") {
                    out.text += '[' + p.text + ']';
                } else {
                    for (char ch : p.text) out.text += lowerAscii(ch);
                }
                break;
            case Piece::Kind::Class:
                out.text += (p.negated ? "[^" : "[") + classBody(p.text) + ']';
                break;
        }
    }
    return out;
}

std::optional<std::string> serverRegex(std::string_view access) {
    if (access.find('[') == std::string_view::npos) return std::nullopt;
    bool classes = false;
    const std::vector<Piece> pieces = patternPieces(access, classes);
    if (!classes) return std::nullopt;
    std::string out = "^";
    for (const Piece& p : pieces) {
        switch (p.kind) {
            case Piece::Kind::Any:
                out += ".*";
                break;
            case Piece::Kind::One:
                out += '.';
                break;
            case Piece::Kind::Char:
                if (p.text.size() == 1 && std::strchr("\\^$.|?*+()[]{}", p.text[0])) out += '\\';
                for (char ch : p.text) out += lowerAscii(ch);
                break;
            case Piece::Kind::Class: {
                out += p.negated ? "[^" : "[";
                for (char ch : classBody(p.text)) {
                    if (ch == '\\' || ch == '[') out += '\\';
                    out += ch;
                }
                out += ']';
                break;
            }
        }
    }
    return out + '$';
}

}  // namespace rx::access
