#include "drivers/access_sqlite/sql/translator.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sql/dialect.h"
#include "drivers/access_sqlite/sql/value_conversion.h"

namespace rx::access {

const ColumnInfo* TableInfo::findColumn(std::string_view column) const {
    for (const ColumnInfo& c : columns)
        if (sameName(c.name, column)) return &c;
    return nullptr;
}

namespace {

std::string quoteName(std::string_view name) {
    return SqlDialect::quote(name);
}

bool isReservedTableName(std::string_view name) {
    return sameName(name.substr(0, 7), "sqlite_");
}

class Translator {
public:
    Translator(const Catalog& catalog, const SqlDialect& dialect)
        : catalog_(catalog), d_(dialect) {}

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
        out_.sql += d_.placeholder(out_.params.size());
    }

    // Writes what write() writes, folded as the dialect folds text.
    template <class Write>
    void folded(bool fold, Write write) {
        const size_t mark = out_.sql.size();
        write();
        if (!fold) return;
        const std::string written = out_.sql.substr(mark);
        out_.sql.resize(mark);
        out_.sql += d_.fold(written, false);
    }

    bool folds(const ColumnInfo* peer) const {
        return d_.foldsComparisons() && peer && isTextType(peer->type.type);
    }
    void side(const Expr& e, const ColumnInfo* peer, bool fold) {
        folded(fold, [&] { operand(e, peer); });
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
        if (peer && peer->type.type == AccessType::DateTime && e.kind == Expr::Kind::Column &&
            column(e.name).type.type == AccessType::DateTime)
            out_.sql += d_.dateColumnPrefix();
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
    void orderBy(const SelectStmt& s);
    void list(const Expr& e);
    void selectList(const SelectStmt& s);
    void assignValue(const Expr& e, const ColumnInfo& c);

    const Catalog& catalog_;
    const SqlDialect& d_;
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
    // Of two tests joined by AND, the one on the earlier column goes first
    // where the store gains by it (a name filter over a year of visits,
    // 登记时间 BETWEEN .. AND 姓名 LIKE .., scans in three quarters of the time
    // on the file). Either order gives the same rows; chains are left as
    // written, so the statement's nesting stays what was measured.
    if (e.kind == Expr::Kind::And && d_.ordersTestsByColumn() &&
        leftTerm->kind != Expr::Kind::And && rightTerm->kind != Expr::Kind::And) {
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
    BoundValue value;
    const bool literal =
        pattern.kind == Expr::Kind::Literal && pattern.literal.kind != Literal::Kind::Null;
    if (literal) value = valueForColumn(pattern.literal, ColumnInfo{"", {AccessType::LongText, 0}});
    LikePlan plan = d_.like(literal && value.kind == BoundValue::Kind::Text
                                ? std::optional<std::string>(value.text)
                                : std::nullopt);
    folded(plan.foldSubject, [&] { inner(*e.args[0]); });
    out_.sql += e.negated ? plan.negatedOp : plan.op;
    Pending right(*this, 2);
    folded(plan.foldPattern, [&] {
        if (plan.pattern)
            bind(BoundValue::ofText(std::move(*plan.pattern)));
        else if (literal)
            bind(std::move(value));
        else
            inner(pattern);
    });
    out_.sql += plan.escape;
    out_.sql += ')';
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

// Text sorts the way it compares: ASCII letters folded, then by code point.
void Translator::orderBy(const SelectStmt& s) {
    const bool outside = d_.sortsDistinctOutside() && s.distinct && !s.order.empty();
    if (outside) out_.sql = "SELECT * FROM (" + out_.sql + ") AS rx_distinct";
    for (size_t i = 0; i < s.order.size(); ++i) {
        out_.sql += i == 0 ? " ORDER BY " : ", ";
        const ColumnInfo& c = column(s.order[i].column);
        const bool fold = d_.foldsComparisons() && isTextType(c.type.type);
        out_.sql += fold ? d_.fold(quoteName(c.name), true) : quoteName(c.name);
        out_.sql += d_.orderSuffix(s.order[i].descending);
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
        out_.sql += (i ? ", " : "") + d_.columnDefinition(c, pk);
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
    out_.sql += d_.afterCreate(s);
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
    Translator t(catalog, sqlDialect(dialect));
    return std::visit(t, statement);
}

}  // namespace rx::access
