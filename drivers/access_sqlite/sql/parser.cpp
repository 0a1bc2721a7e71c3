#include "drivers/access_sqlite/sql/parser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "drivers/access_sqlite/sql/lexer.h"

namespace rx::access {
namespace {

bool equalsWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isReserved(std::string_view w) {
    static const char* const words[] = {
        "SELECT", "FROM",   "WHERE",  "AND",      "OR",     "NOT",     "BETWEEN", "LIKE",
        "IN",     "IS",     "NULL",   "ORDER",    "BY",     "ASC",     "DESC",    "INSERT",
        "INTO",   "VALUES", "UPDATE", "SET",      "DELETE", "CREATE",  "DROP",    "TABLE",
        "TRUE",   "FALSE",  "AS",     "DISTINCT", "TOP",    "PRIMARY", "KEY",     "CONSTRAINT"};
    for (const char* r : words)
        if (equalsWord(w, r)) return true;
    return false;
}

struct SyntaxError {
    std::string message;
};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    SqlStatement statement() {
        SqlStatement s = dispatch();
        if (peekSymbol(";")) ++pos_;
        if (peek().kind != TokenKind::End) fail("unexpected text after the end of the statement");
        return s;
    }

private:
    SqlStatement dispatch() {
        if (acceptWord("SELECT")) return select();
        if (acceptWord("INSERT")) return insert();
        if (acceptWord("UPDATE")) return update();
        if (acceptWord("DELETE")) return remove();
        if (acceptWord("CREATE")) return create();
        if (acceptWord("DROP")) return drop();
        fail("expected SELECT, INSERT, UPDATE, DELETE, CREATE or DROP");
    }

    // ---- token helpers
    const Token& peek(size_t ahead = 0) const { return t_[std::min(pos_ + ahead, t_.size() - 1)]; }
    bool peekWord(std::string_view w, size_t ahead = 0) const {
        return peek(ahead).kind == TokenKind::Word && equalsWord(peek(ahead).text, w);
    }
    bool peekSymbol(std::string_view s) const {
        return peek().kind == TokenKind::Symbol && peek().text == s;
    }
    bool acceptWord(std::string_view w) {
        if (!peekWord(w)) return false;
        ++pos_;
        return true;
    }
    bool acceptSymbol(std::string_view s) {
        if (!peekSymbol(s)) return false;
        ++pos_;
        return true;
    }
    // SQLite takes at most 2000 columns in a result, a table or an ORDER BY;
    // longer lists of any kind are refused here rather than there.
    static constexpr size_t kMaxListItems = 2000;
    bool moreItems(size_t sofar) {
        if (!peekSymbol(",")) return false;
        if (sofar >= kMaxListItems)
            fail("more than " + std::to_string(kMaxListItems) + " items in a list");
        ++pos_;
        return true;
    }
    void expectWord(std::string_view w) {
        if (!acceptWord(w)) fail("expected " + std::string(w));
    }
    void expectSymbol(std::string_view s) {
        if (!acceptSymbol(s)) fail("expected '" + std::string(s) + "'");
    }
    [[noreturn]] void fail(const std::string& what) const {
        const Token& tok = peek();
        std::string near =
            tok.kind == TokenKind::End ? "the end of the statement" : "'" + tok.text + "'";
        throw SyntaxError{"Syntax error: " + what + ", near " + near};
    }

    std::string name() {
        const Token& tok = peek();
        if (tok.kind == TokenKind::QuotedName ||
            (tok.kind == TokenKind::Word && !isReserved(tok.text))) {
            ++pos_;
            return tok.text;
        }
        fail("expected a name");
    }

    // A column, optionally written table.column; the table part is checked later.
    std::string columnRef() {
        std::string first = name();
        if (!acceptSymbol(".")) return first;
        return name();
    }

    // ---- SELECT
    SelectStmt select() {
        SelectStmt s;
        s.distinct = acceptWord("DISTINCT");
        if (acceptWord("TOP")) s.top = integerToken();
        do s.items.push_back(selectItem());
        while (moreItems(s.items.size()));
        expectWord("FROM");
        s.table = name();
        if (acceptWord("WHERE")) s.where = expression();
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do s.order.push_back(orderItem());
            while (moreItems(s.order.size()));
        }
        return s;
    }

    std::int64_t integerToken() {
        if (peek().kind != TokenKind::Number ||
            peek().text.find_first_of(".eE") != std::string::npos)
            fail("expected a whole number");
        return std::strtoll(t_[pos_++].text.c_str(), nullptr, 10);
    }

    SelectItem selectItem() {
        SelectItem item;
        if (acceptSymbol("*")) {
            item.kind = SelectItem::Kind::AllColumns;
            return item;
        }
        if (peekWord("COUNT") && peek(1).kind == TokenKind::Symbol && peek(1).text == "(") {
            pos_ += 2;
            expectSymbol("*");
            expectSymbol(")");
            item.kind = SelectItem::Kind::CountAll;
        } else {
            std::string first = name();
            if (acceptSymbol(".")) {
                if (acceptSymbol("*")) {
                    item.kind = SelectItem::Kind::AllColumns;
                    return item;
                }
                first = name();
            }
            item.column = first;
        }
        if (acceptWord("AS")) item.alias = name();
        return item;
    }

    OrderItem orderItem() {
        OrderItem o;
        o.column = columnRef();
        if (acceptWord("DESC"))
            o.descending = true;
        else
            acceptWord("ASC");
        return o;
    }

    // ---- INSERT / UPDATE / DELETE
    InsertStmt insert() {
        InsertStmt s;
        expectWord("INTO");
        s.table = name();
        if (acceptSymbol("(")) {
            do s.columns.push_back(columnRef());
            while (moreItems(s.columns.size()));
            expectSymbol(")");
        }
        expectWord("VALUES");
        expectSymbol("(");
        do s.values.push_back(expression());
        while (moreItems(s.values.size()));
        expectSymbol(")");
        return s;
    }

    UpdateStmt update() {
        UpdateStmt s;
        s.table = name();
        expectWord("SET");
        do {
            std::string column = columnRef();
            expectSymbol("=");
            s.assignments.emplace_back(std::move(column), expression());
        } while (moreItems(s.assignments.size()));
        if (acceptWord("WHERE")) s.where = expression();
        return s;
    }

    DeleteStmt remove() {
        DeleteStmt s;
        acceptSymbol("*");  // Access writes DELETE * FROM t
        expectWord("FROM");
        s.table = name();
        if (acceptWord("WHERE")) s.where = expression();
        return s;
    }

    // ---- CREATE / DROP
    CreateTableStmt create() {
        CreateTableStmt s;
        expectWord("TABLE");
        s.table = name();
        expectSymbol("(");
        do {
            if (peekWord("PRIMARY") || peekWord("CONSTRAINT"))
                tablePrimaryKey(s);
            else
                s.columns.push_back(columnDef());
        } while (moreItems(s.columns.size() + s.primaryKey.size()));
        expectSymbol(")");
        if (s.columns.empty()) fail("a table needs at least one column");
        checkKeys(s);
        return s;
    }

    // A table has one key and one AutoNumber; a second of either would reach
    // the store and be refused there, as a failure that is not the user's syntax.
    void checkKeys(const CreateTableStmt& s) {
        int keys = s.primaryKey.empty() ? 0 : 1, counters = 0;
        for (const ColumnDef& c : s.columns) {
            keys += c.primaryKey;
            counters += c.type.type == AccessType::Counter;
        }
        if (keys > 1) fail("a table has only one primary key");
        if (counters > 1) fail("a table has only one AutoNumber column");
    }

    void tablePrimaryKey(CreateTableStmt& s) {
        if (!s.primaryKey.empty()) fail("a table has only one primary key");
        if (acceptWord("CONSTRAINT")) name();
        expectWord("PRIMARY");
        expectWord("KEY");
        expectSymbol("(");
        do s.primaryKey.push_back(name());
        while (moreItems(s.primaryKey.size()));
        expectSymbol(")");
    }

    ColumnDef columnDef() {
        ColumnDef c;
        c.name = name();
        if (peek().kind != TokenKind::Word) fail("expected a column type");
        auto type = typeFromKeyword(peek().text);
        if (!type) fail("unknown column type");
        ++pos_;
        c.type.type = *type;
        c.type.size = *type == AccessType::Text ? 255 : 0;
        if (acceptSymbol("(")) {
            std::int64_t n = integerToken();
            if (*type != AccessType::Text || n < 1 || n > 255) fail("a text size from 1 to 255");
            c.type.size = static_cast<int>(n);
            expectSymbol(")");
        }
        columnConstraints(c);
        return c;
    }

    void columnConstraints(ColumnDef& c) {
        for (;;) {
            if (acceptWord("NOT")) {
                expectWord("NULL");
                c.notNull = true;
            } else if (acceptWord("NULL")) {
            } else if (acceptWord("PRIMARY")) {
                expectWord("KEY");
                c.primaryKey = true;
            } else if (acceptWord("CONSTRAINT")) {
                name();
            } else {
                return;
            }
        }
    }

    DropTableStmt drop() {
        expectWord("TABLE");
        return DropTableStmt{name()};
    }

    // ---- expressions
    // Every later pass over the tree (translation, destruction) recurses too, so
    // the tree's size and depth are bounded here, where a refusal is a clean 42000.
    static constexpr int kMaxDepth = 200;
    static constexpr int kMaxNodes = 5000;
    // SQLite refuses an expression tree taller than 1000 nodes, which a long
    // chain of AND, OR or + is; this leaves room for what SQLite adds.
    static constexpr int kMaxHeight = 900;

    class Nesting {
    public:
        explicit Nesting(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxDepth) p_.fail("expression nested too deeply");
        }
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };

    ExprPtr node(Expr::Kind kind, std::string op = {}) {
        if (++nodes_ > kMaxNodes) fail("expression too complex");
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->name = std::move(op);
        return e;
    }

    // Called once a node has all its operands.
    ExprPtr sealed(ExprPtr e) {
        for (const ExprPtr& a : e->args) e->height = std::max(e->height, a->height + 1);
        if (e->height > kMaxHeight) fail("expression too complex");
        return e;
    }

    ExprPtr binary(Expr::Kind kind, std::string op, ExprPtr l, ExprPtr r) {
        auto e = node(kind, std::move(op));
        e->args.push_back(std::move(l));
        e->args.push_back(std::move(r));
        return sealed(std::move(e));
    }

    ExprPtr expression() {
        Nesting nesting(*this);
        ExprPtr left = andExpr();
        while (acceptWord("OR")) left = binary(Expr::Kind::Or, "OR", std::move(left), andExpr());
        return left;
    }

    ExprPtr andExpr() {
        ExprPtr left = notExpr();
        while (acceptWord("AND")) left = binary(Expr::Kind::And, "AND", std::move(left), notExpr());
        return left;
    }

    ExprPtr notExpr() {
        if (!acceptWord("NOT")) return predicate();
        Nesting nesting(*this);
        auto e = node(Expr::Kind::Not);
        e->args.push_back(notExpr());
        return sealed(std::move(e));
    }

    ExprPtr predicate();
    ExprPtr additive();
    ExprPtr term();
    ExprPtr unary();
    ExprPtr primary();
    ExprPtr literal();

    std::vector<Token> t_;
    size_t pos_ = 0;
    int depth_ = 0;
    int nodes_ = 0;
};

ExprPtr Parser::predicate() {
    ExprPtr left = additive();
    static const char* const compares[] = {"=", "<>", "!=", "<", "<=", ">", ">="};
    for (const char* op : compares) {
        if (acceptSymbol(op))
            return binary(Expr::Kind::Compare, op == std::string("!=") ? "<>" : op, std::move(left),
                          additive());
    }
    if (acceptWord("IS")) {
        auto e = node(Expr::Kind::IsNull);
        e->negated = acceptWord("NOT");
        expectWord("NULL");
        e->args.push_back(std::move(left));
        return sealed(std::move(e));
    }
    bool negated =
        peekWord("NOT") && (peekWord("BETWEEN", 1) || peekWord("LIKE", 1) || peekWord("IN", 1));
    if (negated) ++pos_;
    if (acceptWord("BETWEEN")) {
        auto e = node(Expr::Kind::Between);
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(additive());
        expectWord("AND");
        e->args.push_back(additive());
        return sealed(std::move(e));
    }
    if (acceptWord("LIKE")) {
        auto e = binary(Expr::Kind::Like, "LIKE", std::move(left), additive());
        e->negated = negated;
        return e;
    }
    if (acceptWord("IN")) {
        auto e = node(Expr::Kind::In);
        e->negated = negated;
        e->args.push_back(std::move(left));
        expectSymbol("(");
        do e->args.push_back(additive());
        while (moreItems(e->args.size()));
        expectSymbol(")");
        return sealed(std::move(e));
    }
    return left;
}

ExprPtr Parser::additive() {
    ExprPtr left = term();
    for (;;) {
        std::string op = peek().kind == TokenKind::Symbol ? peek().text : std::string();
        if (op != "+" && op != "-" && op != "&") return left;
        ++pos_;
        left = binary(Expr::Kind::Arith, op, std::move(left), term());
    }
}

ExprPtr Parser::term() {
    ExprPtr left = unary();
    for (;;) {
        std::string op = peek().kind == TokenKind::Symbol ? peek().text : std::string();
        if (op != "*" && op != "/") return left;
        ++pos_;
        left = binary(Expr::Kind::Arith, op, std::move(left), unary());
    }
}

ExprPtr Parser::unary() {
    if (acceptSymbol("-")) {
        Nesting nesting(*this);
        auto e = node(Expr::Kind::Negate);
        e->args.push_back(unary());
        return sealed(std::move(e));
    }
    acceptSymbol("+");
    return primary();
}

ExprPtr Parser::primary() {
    if (acceptSymbol("(")) {
        ExprPtr e = expression();
        expectSymbol(")");
        return e;
    }
    const Token& tok = peek();
    if (tok.kind == TokenKind::String || tok.kind == TokenKind::Number ||
        tok.kind == TokenKind::Date || peekWord("NULL") || peekWord("TRUE") || peekWord("FALSE"))
        return literal();
    auto e = node(Expr::Kind::Column);
    e->name = columnRef();
    return e;
}

ExprPtr Parser::literal() {
    auto e = node(Expr::Kind::Literal);
    Literal& lit = e->literal;
    const Token& tok = t_[pos_];
    if (tok.kind == TokenKind::String) {
        lit.kind = Literal::Kind::Text;
        lit.text = tok.text;
    } else if (tok.kind == TokenKind::Number) {
        bool whole = tok.text.find_first_of(".eE") == std::string::npos && tok.text.size() < 18;
        lit.kind = whole ? Literal::Kind::Integer : Literal::Kind::Real;
        lit.integer = whole ? std::strtoll(tok.text.c_str(), nullptr, 10) : 0;
        lit.real = std::strtod(tok.text.c_str(), nullptr);
    } else if (tok.kind == TokenKind::Date) {
        auto d = parseDateLiteral(tok.text);
        if (!d) fail("malformed date literal");
        lit.kind = Literal::Kind::Date;
        lit.date = *d;
    } else if (peekWord("NULL")) {
        lit.kind = Literal::Kind::Null;
    } else {
        lit.kind = Literal::Kind::Boolean;
        lit.integer = peekWord("TRUE") ? 1 : 0;
    }
    ++pos_;
    return e;
}

}  // namespace

ParseResult parse(std::string_view sql) {
    ParseResult r;
    LexResult lex = tokenize(sql);
    if (!lex.ok) {
        r.error = "Syntax error: " + lex.error;
        return r;
    }
    try {
        r.statement = Parser(std::move(lex.tokens)).statement();
    } catch (const SyntaxError& e) {
        r.error = e.message;
    }
    return r;
}

}  // namespace rx::access
