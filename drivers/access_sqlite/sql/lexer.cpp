#include "drivers/access_sqlite/sql/lexer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace rx::access {
namespace {

bool isNameStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isNamePart(unsigned char c) {
    return isNameStart(c) || std::isdigit(c) || c == '$';
}

class Lexer {
public:
    explicit Lexer(std::string_view sql) : s_(sql) {}

    LexResult run() {
        LexResult r;
        while (skipSpace(), pos_ < s_.size()) {
            if (!next(r)) {
                r.ok = false;
                return r;
            }
        }
        r.tokens.push_back({TokenKind::End, {}, pos_});
        return r;
    }

private:
    void skipSpace() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }

    bool fail(LexResult& r, const std::string& what) {
        r.error = what + " at character " + std::to_string(pos_ + 1);
        return false;
    }

    bool next(LexResult& r) {
        unsigned char c = static_cast<unsigned char>(s_[pos_]);
        size_t start = pos_;
        if (isNameStart(c)) {
            while (pos_ < s_.size() && isNamePart(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            r.tokens.push_back(
                {TokenKind::Word, std::string(s_.substr(start, pos_ - start)), start});
            return true;
        }
        if (std::isdigit(c) || (c == '.' && pos_ + 1 < s_.size() &&
                                std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
            return number(r);
        }
        switch (c) {
            case '\'':
                return quoted(r, '\'', TokenKind::String, "unterminated text literal");
            case '"':
                return quoted(r, '"', TokenKind::String, "unterminated text literal");
            case '[':
                return bracketed(r);
            case '`':
                return quoted(r, '`', TokenKind::QuotedName, "unterminated name");
            case '#':
                return date(r);
            default:
                return symbol(r);
        }
    }

    bool number(LexResult& r) {
        size_t start = pos_;
        while (pos_ < s_.size() &&
               (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.'))
            ++pos_;
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            size_t save = pos_++;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                    ++pos_;
            } else {
                pos_ = save;
            }
        }
        std::string text(s_.substr(start, pos_ - start));
        if (std::count(text.begin(), text.end(), '.') > 1) return fail(r, "malformed number");
        r.tokens.push_back({TokenKind::Number, std::move(text), start});
        return true;
    }

    bool quoted(LexResult& r, char q, TokenKind kind, const char* error) {
        size_t start = pos_++;
        std::string body;
        while (pos_ < s_.size()) {
            char c = s_[pos_++];
            if (c != q) {
                body.push_back(c);
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == q) {  // doubled quote stands for itself
                body.push_back(q);
                ++pos_;
                continue;
            }
            r.tokens.push_back({kind, std::move(body), start});
            return true;
        }
        pos_ = start;
        return fail(r, error);
    }

    bool bracketed(LexResult& r) {
        size_t start = pos_;
        size_t close = s_.find(']', pos_ + 1);
        if (close == std::string_view::npos) return fail(r, "unterminated [name]");
        std::string body(s_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = close + 1;
        if (body.empty()) return fail(r, "empty [name]");
        r.tokens.push_back({TokenKind::QuotedName, std::move(body), start});
        return true;
    }

    bool date(LexResult& r) {
        size_t start = pos_;
        size_t close = s_.find('#', pos_ + 1);
        if (close == std::string_view::npos) return fail(r, "unterminated #date#");
        r.tokens.push_back(
            {TokenKind::Date, std::string(s_.substr(pos_ + 1, close - pos_ - 1)), start});
        pos_ = close + 1;
        return true;
    }

    bool symbol(LexResult& r) {
        static const char* const twoChar[] = {"<>", "<=", ">=", "!="};
        size_t start = pos_;
        for (const char* t : twoChar) {
            if (s_.substr(pos_, 2) == t) {
                pos_ += 2;
                r.tokens.push_back({TokenKind::Symbol, t, start});
                return true;
            }
        }
        char c = s_[pos_];
        if (!std::strchr("(),*=<>+-/.;&", c))
            return fail(r, std::string("unexpected character '") + c + "'");
        ++pos_;
        r.tokens.push_back({TokenKind::Symbol, std::string(1, c), start});
        return true;
    }

    std::string_view s_;
    size_t pos_ = 0;
};

}  // namespace

LexResult tokenize(std::string_view sql) {
    return Lexer(sql).run();
}

}  // namespace rx::access
