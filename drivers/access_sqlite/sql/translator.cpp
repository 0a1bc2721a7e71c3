#include "drivers/access_sqlite/sql/translator.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sql/value_conversion.h"

namespace rx::access {

const ColumnInfo* TableInfo::findColumn(std::string_view column) const {
    for (const ColumnInfo& c : columns)
        if (sameName(c.name, column)) return &c;
    return nullptr;
}

namespace {

std::string quoteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

bool isReservedTableName(std::string_view name) {
    return sameName(name.substr(0, 7), "sqlite_");
}

size_t utf8CharLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

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

// The same classes on a server: an anchored regular expression over the
// lower-cased text, where the file has its GLOB.
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

// The server's column types for the Access types; the Access type itself
// goes beside it as the column's comment, so that it reads back unchanged.
std::string serverType(const ColumnType& t) {
    switch (t.type) {
        case AccessType::Counter:
            return "integer GENERATED BY DEFAULT AS IDENTITY";
        case AccessType::Byte:
        case AccessType::Short:
        case AccessType::YesNo:
            return "smallint";
        case AccessType::Long:
            return "integer";
        case AccessType::Single:
            return "real";
        case AccessType::Double:
            return "double precision";
        case AccessType::Currency:
            return "numeric(19,4)";
        case AccessType::DateTime:
            return "timestamp(0)";
        case AccessType::Text:
            return "varchar(" + std::to_string(t.size) + ")";
        case AccessType::LongText:
            return "text";
    }
    return "text";
}

class Translator {
public:
    Translator(const Catalog& catalog, Dialect dialect) : catalog_(catalog), dialect_(dialect) {}

    Translation operator()(const SelectStmt& s);
    Translation operator()(const InsertStmt& s);
    Translation operator()(const UpdateStmt& s);
    Translation operator()(const DeleteStmt& s);
    Translation operator()(const CreateTableStmt& s);
    Translation operator()(const DropTableStmt& s);

private:
    const TableInfo& table(const std::string& name) {
        const TableInfo* t = isReservedTableName(name) ? nullptr : catalog_.findTable(name);
        if (!t) raise(ErrorKind::UnknownTable, "The table '" + name + "' does not exist");
        table_ = t;
        return *t;
    }

    const ColumnInfo& column(const std::string& name) const {
        const ColumnInfo* c = table_->findColumn(name);
        if (!c)
            raise(ErrorKind::UnknownColumn,
                  "Unknown column '" + name + "' in table " + table_->name);
        return *c;
    }

    void bind(BoundValue v) {
        out_.params.push_back(std::move(v));
        if (pg())
            out_.sql += '$' + std::to_string(out_.params.size());
        else
            out_.sql += '?';
    }

    bool pg() const { return dialect_ == Dialect::Postgres; }

    // The file compares text without regard to the case of ASCII letters
    // (COLLATE NOCASE) and every other character as it is; on a server both
    // sides are lower-cased by the "C" rules, which touch ASCII letters only,
    // whatever the server's own locale.
    bool folds(const ColumnInfo* peer) const { return pg() && peer && isTextType(peer->type.type); }
    void side(const Expr& e, const ColumnInfo* peer, bool fold) {
        if (!fold) return operand(e, peer);
        out_.sql += "lower((";
        operand(e, peer);
        out_.sql += ")::text COLLATE \"C\")";
    }

    // SQLite parses with a fixed stack of about a hundred entries: each open
    // parenthesis, each prefix operator and each binary operator waiting for its
    // right side holds one or two. The output is measured as it is written, and
    // a statement deeper than SQLite takes is refused as a syntax error first;
    // what is left of the hundred covers the statement around the expression.
    static constexpr int kMaxParserStack = 80;

    class Pending {
    public:
        Pending(Translator& t, int entries) : t_(t), entries_(entries) {
            if ((t_.stack_ += entries_) > kMaxParserStack)
                raise(ErrorKind::Syntax, "Syntax error: expression nested too deeply");
        }
        ~Pending() { t_.stack_ -= entries_; }
        Pending(const Pending&) = delete;
        Pending& operator=(const Pending&) = delete;

    private:
        Translator& t_;
        int entries_;
    };

    // A literal takes the type of the column it is compared with.
    void operand(const Expr& e, const ColumnInfo* peer) {
        if (e.kind == Expr::Kind::Literal) {
            bind(peer ? valueForColumn(e.literal, *peer) : naturalValue(e.literal));
            return;
        }
        // Date-times are stored as ISO text under a declared type that SQLite
        // gives numeric affinity, so a plain comparison tries to read both sides
        // as numbers on every row, and fails. A unary plus drops the affinity;
        // the texts compare exactly as before, at half the cost of a scan.
        // A server's timestamps are real ones and need nothing of the kind.
        if (!pg() && peer && peer->type.type == AccessType::DateTime &&
            e.kind == Expr::Kind::Column && column(e.name).type.type == AccessType::DateTime)
            out_.sql += '+';
        inner(e);
    }

    // NOT binds more loosely than every operator but AND and OR, so a NOT inside
    // anything else keeps parentheses; every other node delimits itself.
    void inner(const Expr& e) {
        if (e.kind != Expr::Kind::Not) return expression(e);
        Pending open(*this, 1);
        out_.sql += '(';
        expression(e);
        out_.sql += ')';
    }

    const ColumnInfo* columnOf(const Expr& e) const {
        return e.kind == Expr::Kind::Column ? &column(e.name) : nullptr;
    }

    void where(const ExprPtr& e) {
        if (!e) return;
        out_.sql += " WHERE ";
        expression(*e);
    }

    void expression(const Expr& e);
    void comparison(const Expr& e);
    void operands(const Expr& e);
    int firstColumn(const Expr& e) const;
    void like(const Expr& e);
    void serverLike(const Expr& e, bool literal, BoundValue value);
    void orderBy(const SelectStmt& s);
    void list(const Expr& e);
    void selectList(const SelectStmt& s);
    void assignValue(const Expr& e, const ColumnInfo& c);

    const Catalog& catalog_;
    const Dialect dialect_;
    const TableInfo* table_ = nullptr;
    Translation out_;
    int stack_ = 0;
};

void Translator::expression(const Expr& e) {
    switch (e.kind) {
        case Expr::Kind::Column:
            out_.sql += quoteName(column(e.name).name);
            return;
        case Expr::Kind::Literal:
            bind(naturalValue(e.literal));
            return;
        case Expr::Kind::Not: {
            Pending prefix(*this, 1);
            out_.sql += "NOT ";
            expression(*e.args[0]);
            return;
        }
        case Expr::Kind::Negate: {
            Pending prefix(*this, 1);
            // "--" would start a comment.
            out_.sql += e.args[0]->kind == Expr::Kind::Negate ? "- " : "-";
            inner(*e.args[0]);
            return;
        }
        case Expr::Kind::And:
        case Expr::Kind::Or:
        case Expr::Kind::Arith: {
            Pending open(*this, 1);
            out_.sql += '(';
            operands(e);
            out_.sql += ')';
            return;
        }
        case Expr::Kind::Compare:
        case Expr::Kind::Between:
            comparison(e);
            return;
        case Expr::Kind::Like:
            like(e);
            return;
        case Expr::Kind::In:
            list(e);
            return;
        case Expr::Kind::IsNull: {
            Pending open(*this, 1);
            out_.sql += '(';
            inner(*e.args[0]);
            out_.sql += e.negated ? " IS NOT NULL)" : " IS NULL)";
            return;
        }
    }
}

// The left spine of a chain of one operator goes out without parentheses of its
// own: SQL reads "a OR b OR c" left to right exactly as the tree says, while
// nested parentheses exhaust SQLite's parser stack at about a hundred terms.
// Where a test first reads the row: the smallest position of a column it
// names, -1 for one that names none.
int Translator::firstColumn(const Expr& e) const {
    int first = e.kind == Expr::Kind::Column
                    ? static_cast<int>(&column(e.name) - table_->columns.data())
                    : -1;
    for (const ExprPtr& a : e.args) {
        const int inner = firstColumn(*a);
        if (inner >= 0 && (first < 0 || inner < first)) first = inner;
    }
    return first;
}

void Translator::operands(const Expr& e) {
    const Expr* leftTerm = e.args[0].get();
    const Expr* rightTerm = e.args[1].get();
    // Of two tests joined by AND, the one on the earlier column goes first:
    // SQLite tests in the order written and decodes a row only as far as a test
    // asks, so a row turned down early is never decoded further (a name filter
    // over a year of visits, 登记时间 BETWEEN .. AND 姓名 LIKE .., scans in
    // three quarters of the time). Either order gives the same rows; chains are
    // left as written, so the statement's nesting stays what was measured.
    if (e.kind == Expr::Kind::And && !pg() && leftTerm->kind != Expr::Kind::And &&
        rightTerm->kind != Expr::Kind::And) {
        const int l = firstColumn(*leftTerm), r = firstColumn(*rightTerm);
        if (l >= 0 && r >= 0 && r < l) std::swap(leftTerm, rightTerm);
    }
    const Expr& left = *leftTerm;
    const bool logical = e.kind != Expr::Kind::Arith;
    if (left.kind == e.kind && left.name == e.name)
        operands(left);
    else if (logical)
        expression(left);
    else
        inner(left);
    out_.sql += ' ' + (e.name == "&" ? std::string("||") : e.name) + ' ';
    Pending right(*this, 2);
    if (logical)
        expression(*rightTerm);
    else
        inner(*rightTerm);
}

void Translator::comparison(const Expr& e) {
    const ColumnInfo* peer = columnOf(*e.args[0]);
    if (!peer && e.kind == Expr::Kind::Compare) peer = columnOf(*e.args[1]);
    const bool fold = folds(peer);
    Pending open(*this, 1);
    out_.sql += '(';
    side(*e.args[0], peer, fold);
    Pending right(*this, 2);
    if (e.kind == Expr::Kind::Compare) {
        out_.sql += ' ' + e.name + ' ';
        side(*e.args[1], peer, fold);
    } else {
        out_.sql += e.negated ? " NOT BETWEEN " : " BETWEEN ";
        side(*e.args[1], peer, fold);
        out_.sql += " AND ";
        Pending upper(*this, 2);
        side(*e.args[2], peer, fold);
    }
    out_.sql += ')';
}

void Translator::like(const Expr& e) {
    Pending open(*this, 1);
    out_.sql += '(';
    const Expr& pattern = *e.args[1];
    std::optional<SqlitePattern> bracketed;
    BoundValue value;
    const bool literal =
        pattern.kind == Expr::Kind::Literal && pattern.literal.kind != Literal::Kind::Null;
    if (literal) {
        ColumnInfo asText{"", {AccessType::LongText, 0}};
        value = valueForColumn(pattern.literal, asText);
        if (value.kind == BoundValue::Kind::Text && !pg()) bracketed = likePattern(value.text);
    }
    if (pg()) {
        serverLike(e, literal, std::move(value));
        out_.sql += ')';
        return;
    }
    const bool glob = bracketed && bracketed->glob;
    if (glob) out_.sql += "lower(";
    inner(*e.args[0]);
    if (glob) out_.sql += ')';
    out_.sql += e.negated ? " NOT " : " ";
    out_.sql += glob ? "GLOB " : "LIKE ";
    Pending right(*this, 2);
    if (bracketed) {
        bind(BoundValue::ofText(std::move(bracketed->text)));
        if (!glob) out_.sql += " ESCAPE '\\'";
    } else if (literal) {
        bind(std::move(value));
    } else {
        inner(pattern);
    }
    out_.sql += ')';
}

// LIKE on a server: the same ASCII-only folding as comparisons, and no escape
// character unless brackets asked for one, as on the file.
void Translator::serverLike(const Expr& e, bool literal, BoundValue value) {
    const Expr& pattern = *e.args[1];
    std::optional<std::string> regex;
    std::optional<SqlitePattern> escaped;
    if (literal && value.kind == BoundValue::Kind::Text) {
        regex = serverRegex(value.text);
        if (!regex) escaped = likePattern(value.text);
    }
    out_.sql += "lower((";
    inner(*e.args[0]);
    out_.sql += ")::text COLLATE \"C\")";
    Pending right(*this, 2);
    if (regex) {
        out_.sql += e.negated ? " !~ " : " ~ ";
        bind(BoundValue::ofText(std::move(*regex)));
        return;
    }
    out_.sql += e.negated ? " NOT LIKE lower((" : " LIKE lower((";
    if (escaped)
        bind(BoundValue::ofText(std::move(escaped->text)));
    else if (literal)
        bind(std::move(value));
    else
        inner(pattern);
    out_.sql += escaped ? ")::text COLLATE \"C\") ESCAPE '\\'" : ")::text COLLATE \"C\") ESCAPE ''";
}

void Translator::list(const Expr& e) {
    const ColumnInfo* peer = columnOf(*e.args[0]);
    const bool fold = folds(peer);
    Pending open(*this, 1);
    out_.sql += '(';
    if (fold)
        side(*e.args[0], peer, true);
    else
        inner(*e.args[0]);
    out_.sql += e.negated ? " NOT IN (" : " IN (";
    Pending items(*this, 5);
    for (size_t i = 1; i < e.args.size(); ++i) {
        if (i > 1) out_.sql += ", ";
        side(*e.args[i], peer, fold);
    }
    out_.sql += "))";
}

void Translator::selectList(const SelectStmt& s) {
    bool first = true;
    auto add = [&](const std::string& expr, ResultColumn rc) {
        out_.sql += first ? " " : ", ";
        out_.sql += expr;
        first = false;
        out_.columns.push_back(std::move(rc));
    };
    for (const SelectItem& item : s.items) {
        if (item.kind == SelectItem::Kind::AllColumns) {
            for (const ColumnInfo& c : table_->columns)
                add(quoteName(c.name), {c.name, c.type, !c.notNull && !c.primaryKey});
        } else if (item.kind == SelectItem::Kind::CountAll) {
            add("count(*)",
                {item.alias.empty() ? "Expr1000" : item.alias, {AccessType::Long, 0}, false});
        } else {
            const ColumnInfo& c = column(item.column);
            add(quoteName(c.name),
                {item.alias.empty() ? c.name : item.alias, c.type, !c.notNull && !c.primaryKey});
        }
    }
}

Translation Translator::operator()(const SelectStmt& s) {
    table(s.table);
    out_.isQuery = true;
    out_.sql = s.distinct ? "SELECT DISTINCT" : "SELECT";
    selectList(s);
    out_.sql += " FROM " + quoteName(table_->name);
    where(s.where);
    orderBy(s);
    if (out_.columns.size() > 2000)
        raise(ErrorKind::Syntax, "Syntax error: more than 2000 columns in the result");
    if (s.top) out_.sql += " LIMIT " + std::to_string(*s.top);
    return std::move(out_);
}

// A server sorts text the way the file does: ASCII letters folded, then by
// code point. DISTINCT lets a server sort only by what it selects, so the
// distinct rows are sorted outside.
void Translator::orderBy(const SelectStmt& s) {
    const bool outside = pg() && s.distinct && !s.order.empty();
    if (outside) out_.sql = "SELECT * FROM (" + out_.sql + ") AS rx_distinct";
    for (size_t i = 0; i < s.order.size(); ++i) {
        out_.sql += i == 0 ? " ORDER BY " : ", ";
        const ColumnInfo& c = column(s.order[i].column);
        if (pg() && isTextType(c.type.type))
            out_.sql += "lower(" + quoteName(c.name) + "::text COLLATE \"C\")";
        else
            out_.sql += quoteName(c.name);
        // The file sorts empty values first going up and last going down.
        if (pg())
            out_.sql += s.order[i].descending ? " DESC NULLS LAST" : " NULLS FIRST";
        else if (s.order[i].descending)
            out_.sql += " DESC";
    }
}

void Translator::assignValue(const Expr& e, const ColumnInfo& c) {
    const Expr* value = &e;
    Literal negated;
    if (e.kind == Expr::Kind::Negate && e.args[0]->kind == Expr::Kind::Literal) {
        negated = e.args[0]->literal;  // a signed number literal
        negated.integer = -negated.integer;
        negated.real = -negated.real;
        if (negated.kind == Literal::Kind::Integer || negated.kind == Literal::Kind::Real) {
            BoundValue v = valueForColumn(negated, c);
            bind(std::move(v));
            return;
        }
    }
    if (value->kind != Expr::Kind::Literal) {
        inner(*value);
        return;
    }
    BoundValue v = valueForColumn(value->literal, c);
    if (c.type.type == AccessType::Text && v.kind == BoundValue::Kind::Text &&
        utf8Length(v.text) > static_cast<size_t>(c.type.size))
        raise(ErrorKind::StringTooLong, "The value is too long for column " + c.name +
                                            " (at most " + std::to_string(c.type.size) +
                                            " characters)");
    bind(std::move(v));
}

Translation Translator::operator()(const InsertStmt& s) {
    table(s.table);
    std::vector<const ColumnInfo*> targets;
    if (s.columns.empty()) {
        for (const ColumnInfo& c : table_->columns) targets.push_back(&c);
    } else {
        for (const std::string& name : s.columns) targets.push_back(&column(name));
    }
    if (targets.size() != s.values.size())
        raise(ErrorKind::ValueCount, "The number of values does not match the number of columns");
    out_.sql = "INSERT INTO " + quoteName(table_->name) + " (";
    for (size_t i = 0; i < targets.size(); ++i)
        out_.sql += (i ? ", " : "") + quoteName(targets[i]->name);
    out_.sql += ") VALUES (";
    for (size_t i = 0; i < targets.size(); ++i) {
        if (i) out_.sql += ", ";
        assignValue(*s.values[i], *targets[i]);
        const Expr& v = *s.values[i];
        if (targets[i]->type.type == AccessType::Counter &&
            !(v.kind == Expr::Kind::Literal && v.literal.kind == Literal::Kind::Null)) {
            out_.counterTable = table_->name;
            out_.counterColumn = targets[i]->name;
        }
    }
    out_.sql += ')';
    return std::move(out_);
}

Translation Translator::operator()(const UpdateStmt& s) {
    table(s.table);
    out_.sql = "UPDATE " + quoteName(table_->name) + " SET ";
    for (size_t i = 0; i < s.assignments.size(); ++i) {
        const ColumnInfo& c = column(s.assignments[i].first);
        out_.sql += (i ? ", " : "") + quoteName(c.name) + " = ";
        assignValue(*s.assignments[i].second, c);
    }
    where(s.where);
    return std::move(out_);
}

Translation Translator::operator()(const DeleteStmt& s) {
    table(s.table);
    out_.sql = "DELETE FROM " + quoteName(table_->name);
    where(s.where);
    return std::move(out_);
}

std::string columnDefinition(const ColumnDef& c, bool primaryKey, Dialect dialect) {
    std::string out = quoteName(c.name) + ' ';
    if (dialect == Dialect::Postgres) {
        out += serverType(c.type);
        if (primaryKey || c.type.type == AccessType::Counter) return out + " PRIMARY KEY";
        return c.notNull ? out + " NOT NULL" : out;
    }
    if (c.type.type == AccessType::Counter) return out + "INTEGER PRIMARY KEY AUTOINCREMENT";
    out += declaredType(c.type);
    if (primaryKey) out += " PRIMARY KEY";
    if (c.notNull && !primaryKey) out += " NOT NULL";
    // Access compares and sorts text without regard to the case of ASCII letters.
    if (isTextType(c.type.type)) out += " COLLATE NOCASE";
    return out;
}

Translation Translator::operator()(const CreateTableStmt& s) {
    if (isReservedTableName(s.table))
        raise(ErrorKind::Syntax, "Reserved table name '" + s.table + "'");
    if (catalog_.findTable(s.table))
        raise(ErrorKind::TableExists, "Table '" + s.table + "' already exists");
    bool hasCounter = false;
    for (const ColumnDef& c : s.columns) hasCounter |= c.type.type == AccessType::Counter;
    out_.sql = "CREATE TABLE " + quoteName(s.table) + " (";
    for (size_t i = 0; i < s.columns.size(); ++i) {
        const ColumnDef& c = s.columns[i];
        for (size_t j = 0; j < i; ++j)
            if (sameName(s.columns[j].name, c.name))
                raise(ErrorKind::Syntax, "Column '" + c.name + "' twice");
        bool pk =
            c.primaryKey && !hasCounter;  // a COUNTER is the row key; another key becomes unique
        out_.sql += (i ? ", " : "") + columnDefinition(c, pk, dialect_);
        if (c.primaryKey && hasCounter && c.type.type != AccessType::Counter)
            out_.sql += " UNIQUE NOT NULL";
    }
    if (!s.primaryKey.empty() && !hasCounter) {
        out_.sql += ", PRIMARY KEY (";
        for (size_t i = 0; i < s.primaryKey.size(); ++i)
            out_.sql += (i ? ", " : "") + quoteName(s.primaryKey[i]);
        out_.sql += ')';
    }
    out_.sql += ')';
    if (pg()) {
        for (const ColumnDef& c : s.columns)
            out_.sql +=
                "; COMMENT ON COLUMN " + quoteName(s.table) + '.' + quoteName(c.name) + " IS '" +
                (c.type.type == AccessType::Counter ? "COUNTER" : declaredType(c.type)) + "'";
    }
    out_.changesSchema = true;
    return std::move(out_);
}

Translation Translator::operator()(const DropTableStmt& s) {
    table(s.table);
    out_.sql = "DROP TABLE " + quoteName(table_->name);
    out_.changesSchema = true;
    return std::move(out_);
}

}  // namespace

Translation translate(const SqlStatement& statement, const Catalog& catalog, Dialect dialect) {
    Translator t(catalog, dialect);
    return std::visit(t, statement);
}

}  // namespace rx::access
