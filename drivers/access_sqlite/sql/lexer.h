#pragma once
// Tokens of the Access SQL dialect. The input is UTF-8; any byte from 0x80 up
// is a letter, so Chinese names need neither quotes nor brackets.

#include <string>
#include <string_view>
#include <vector>

namespace rx::access {

enum class TokenKind { Word, QuotedName, String, Number, Date, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // word, name, string body with '' undone, number, date body, symbol
    size_t offset = 0;
};

struct LexResult {
    std::vector<Token> tokens;  // always ends with an End token when ok
    bool ok = true;
    std::string error;
};

LexResult tokenize(std::string_view sql);

}  // namespace rx::access
