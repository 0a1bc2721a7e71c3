#include "platform/grid/grd_format.h"

#include <QFile>
#include <QStringDecoder>
#include <cmath>
#include <utility>

namespace rx::grid {
namespace {

struct PaperSize {
    const char16_t* name;
    double width, height;  // portrait, mm
};
constexpr PaperSize kPapers[] = {{u"A3", 297, 420}, {u"A4", 210, 297}, {u"A5", 148, 210},
                                 {u"A6", 105, 148}, {u"B5", 176, 250}, {u"Letter", 215.9, 279.4}};

struct Fault {
    QString message;
};

// Splits one line into words; a word in double quotes may hold spaces and the
// escapes \" \\ \n. A # outside quotes starts a comment.
std::vector<QString> tokenize(QStringView line) {
    std::vector<QString> words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted) {
            if (ch == u'"') {
                quoted = false;
            } else if (ch == u'\\') {
                if (++i >= line.size()) throw Fault{QStringLiteral("backslash at end of line")};
                const QChar e = line[i];
                if (e == u'n')
                    word += u'\n';
                else if (e == u'"' || e == u'\\')
                    word += e;
                else
                    throw Fault{QStringLiteral("unknown escape \\") + e};
            } else {
                word += ch;
            }
            continue;
        }
        if (ch == u' ' || ch == u'\t' || ch == u'\r') {
            if (inWord) words.push_back(std::exchange(word, QString()));
            inWord = false;
        } else if (ch == u'#' && !inWord) {
            break;
        } else {
            if (ch == u'"')
                quoted = true;
            else
                word += ch;
            inWord = true;
        }
    }
    if (quoted) throw Fault{QStringLiteral("unclosed quote")};
    if (inWord) words.push_back(word);
    return words;
}

double number(const QString& word, double low, double high) {
    bool ok = false;
    const double v = word.toDouble(&ok);
    if (!ok || !(v >= low && v <= high)) throw Fault{QStringLiteral("bad number ") + word};
    return v;
}

int integer(QStringView word, int low, int high) {
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < low || v > high) throw Fault{QStringLiteral("bad number ") + word.toString()};
    return v;
}

// "3" or "2-7": an inclusive span of row or column numbers.
std::pair<int, int> span(const QString& word, int count) {
    const qsizetype dash = word.indexOf(u'-', 1);
    const int first =
        integer(dash < 0 ? QStringView(word) : QStringView(word).left(dash), 1, count);
    const int last = dash < 0 ? first : integer(QStringView(word).mid(dash + 1), first, count);
    return {first, last};
}

bool yesNo(const QString& word) {
    if (word == u"yes") return true;
    if (word == u"no") return false;
    throw Fault{QStringLiteral("expected yes or no: ") + word};
}

std::uint8_t sides(const QString& word) {
    if (word == u"none") return 0;
    if (word == u"all") return SideAll;
    std::uint8_t bits = 0;
    for (QChar ch : word) {
        switch (ch.unicode()) {
            case u'L':
                bits |= SideLeft;
                break;
            case u'T':
                bits |= SideTop;
                break;
            case u'R':
                bits |= SideRight;
                break;
            case u'B':
                bits |= SideBottom;
                break;
            default:
                throw Fault{QStringLiteral("bad border ") + word};
        }
    }
    if (bits == 0) throw Fault{QStringLiteral("empty border")};
    return bits;
}

HAlign halign(const QString& w) {
    if (w == u"left") return HAlign::Left;
    if (w == u"center") return HAlign::Center;
    if (w == u"right") return HAlign::Right;
    throw Fault{QStringLiteral("bad align ") + w};
}

VAlign valign(const QString& w) {
    if (w == u"top") return VAlign::Top;
    if (w == u"middle") return VAlign::Middle;
    if (w == u"bottom") return VAlign::Bottom;
    throw Fault{QStringLiteral("bad valign ") + w};
}

// What a cell, default or style statement sets; unset parts stay as they are.
struct Looks {
    std::optional<QString> text, family;
    std::optional<double> size;
    std::optional<bool> bold, italic;
    std::optional<HAlign> h;
    std::optional<VAlign> v;
    std::optional<std::uint8_t> border;

    void applyTo(Cell& cell) const {
        if (text) cell.text = *text;
        if (family) cell.style.font.family = *family;
        if (size) cell.style.font.pointSize = *size;
        if (bold) cell.style.font.bold = *bold;
        if (italic) cell.style.font.italic = *italic;
        if (h) cell.style.halign = *h;
        if (v) cell.style.valign = *v;
        if (border) cell.style.borders = *border;
    }
};

void setLook(Looks& looks, const QString& key, const QString& value) {
    if (key == u"text") {
        if (value.size() > kMaxCellTextLength) throw Fault{QStringLiteral("text too long")};
        looks.text = value;
    } else if (key == u"font") {
        if (value.isEmpty() || value.size() > 100) throw Fault{QStringLiteral("bad font")};
        looks.family = value;
    } else if (key == u"size")
        looks.size = number(value, 1.0, 200.0);
    else if (key == u"bold")
        looks.bold = yesNo(value);
    else if (key == u"italic")
        looks.italic = yesNo(value);
    else if (key == u"align")
        looks.h = halign(value);
    else if (key == u"valign")
        looks.v = valign(value);
    else if (key == u"border")
        looks.border = sides(value);
    else
        throw Fault{QStringLiteral("unknown attribute ") + key};
}

Looks looksFrom(const std::vector<QString>& words, std::size_t first) {
    Looks looks;
    for (std::size_t i = first; i < words.size(); ++i) {
        const qsizetype eq = words[i].indexOf(u'=');
        if (eq <= 0) throw Fault{QStringLiteral("expected key=value: ") + words[i]};
        setLook(looks, words[i].left(eq), words[i].mid(eq + 1));
    }
    return looks;
}

class Parser {
public:
    GridTable run(const QString& text, int* lineNo);

private:
    void statement(const std::vector<QString>& w);
    void page(const std::vector<QString>& w);
    void size(const std::vector<QString>& w);
    void extents(const std::vector<QString>& w, bool columns);
    void cells(const std::vector<QString>& w);
    void merge(const std::vector<QString>& w);
    void box(const std::vector<QString>& w);
    CellRange range(const QString& word) const;
    void needSize() const {
        if (!sized_) throw Fault{QStringLiteral("size must come first")};
    }

    GridTable table_;
    PageSetup page_;
    bool versioned_ = false, sized_ = false, paged_ = false;
};

GridTable Parser::run(const QString& text, int* lineNo) {
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        *lineNo = static_cast<int>(i + 1);
        const std::vector<QString> words = tokenize(lines[i]);
        if (!words.empty()) statement(words);
    }
    *lineNo = 0;
    if (!versioned_ || !sized_) throw Fault{QStringLiteral("no version or size line")};
    table_.setPage(page_);
    return std::move(table_);
}

void Parser::statement(const std::vector<QString>& w) {
    const QString& verb = w[0];
    if (!versioned_) {
        if (verb != u"rxgrid" || w.size() != 2 || integer(w[1], 1, 1000) != kGrdVersion)
            throw Fault{QStringLiteral("the first line must be: rxgrid 1")};
        versioned_ = true;
    } else if (verb == u"page")
        page(w);
    else if (verb == u"size")
        size(w);
    else if (verb == u"columns")
        extents(w, true);
    else if (verb == u"rows")
        extents(w, false);
    else if (verb == u"cell")
        cells(w);
    else if (verb == u"merge")
        merge(w);
    else if (verb == u"box")
        box(w);
    else
        throw Fault{QStringLiteral("unknown statement ") + verb};
}

void Parser::page(const std::vector<QString>& w) {
    if (paged_ || w.size() < 3) throw Fault{QStringLiteral("page: paper and orientation")};
    paged_ = true;
    page_.paper = w[1];
    bool known = false;
    for (const PaperSize& p : kPapers) {
        if (w[1] == QStringView(p.name)) {
            page_.sizeMm = {p.width, p.height};
            known = true;
        }
    }
    if (!known) {
        const QStringList wh = w[1].split(u'x');
        if (wh.size() != 2) throw Fault{QStringLiteral("unknown paper ") + w[1]};
        page_.sizeMm = {number(wh[0], 10, 3000), number(wh[1], 10, 3000)};
    }
    if (w[2] != u"portrait" && w[2] != u"landscape") throw Fault{QStringLiteral("orientation")};
    page_.landscape = w[2] == u"landscape";
    for (std::size_t i = 3; i < w.size();) {
        if (w[i] == u"margins" && i + 4 < w.size()) {
            page_.marginsMm = {number(w[i + 1], 0, 200), number(w[i + 2], 0, 200),
                               number(w[i + 3], 0, 200), number(w[i + 4], 0, 200)};
            i += 5;
        } else if (w[i] == u"line" && i + 1 < w.size()) {
            page_.lineWidthMm = number(w[i + 1], 0.05, 5);
            i += 2;
        } else {
            throw Fault{QStringLiteral("page: unexpected ") + w[i]};
        }
    }
}

void Parser::size(const std::vector<QString>& w) {
    if (sized_ || w.size() != 3) throw Fault{QStringLiteral("size: rows columns, once")};
    const int rows = integer(w[1], 1, GridTable::kMaxRows);
    const int columns = integer(w[2], 1, GridTable::kMaxColumns);
    if (static_cast<qint64>(rows) * columns > kMaxGrdCells)
        throw Fault{QStringLiteral("size: %1 × %2 is %3 cells, at most %4 are allowed")
                        .arg(rows)
                        .arg(columns)
                        .arg(static_cast<qint64>(rows) * columns)
                        .arg(kMaxGrdCells)};
    table_ = GridTable(rows, columns);
    sized_ = true;
}

void Parser::extents(const std::vector<QString>& w, bool columns) {
    needSize();
    if (w.size() != 3) throw Fault{QStringLiteral("expected: columns|rows <n or a-b> <mm>")};
    const auto [first, last] = span(w[1], columns ? table_.columns() : table_.rows());
    const double mm = number(w[2], 0.5, 2000);
    for (int i = first; i <= last; ++i) {
        if (columns)
            table_.setColumnWidthMm(i, mm);
        else
            table_.setRowHeightMm(i, mm);
    }
}

CellRange Parser::range(const QString& word) const {
    const QStringList corners = word.split(u':');
    if (corners.size() > 2) throw Fault{QStringLiteral("bad range ") + word};
    int rc[4] = {};
    for (qsizetype k = 0; k < corners.size(); ++k) {
        const QStringList parts = corners[k].split(u',');
        if (parts.size() != 2) throw Fault{QStringLiteral("bad cell ") + corners[k]};
        rc[2 * k] = integer(parts[0], 1, table_.rows());
        rc[2 * k + 1] = integer(parts[1], 1, table_.columns());
    }
    if (corners.size() == 1) rc[2] = rc[0], rc[3] = rc[1];
    if (rc[2] < rc[0] || rc[3] < rc[1]) throw Fault{QStringLiteral("range backwards ") + word};
    return {rc[0], rc[1], rc[2], rc[3]};
}

void Parser::cells(const std::vector<QString>& w) {
    needSize();
    if (w.size() < 3) throw Fault{QStringLiteral("cell: range and attributes")};
    const CellRange r =
        w[1] == u"all" ? CellRange{1, 1, table_.rows(), table_.columns()} : range(w[1]);
    const Looks looks = looksFrom(w, 2);
    for (int row = r.top; row <= r.bottom; ++row)
        for (int col = r.left; col <= r.right; ++col) looks.applyTo(*table_.mutableCell(row, col));
}

void Parser::merge(const std::vector<QString>& w) {
    needSize();
    if (w.size() != 2) throw Fault{QStringLiteral("merge: one range")};
    if (!table_.addMerge(range(w[1]))) throw Fault{QStringLiteral("merge overlaps ") + w[1]};
}

void Parser::box(const std::vector<QString>& w) {
    needSize();
    if (w.size() != 2) throw Fault{QStringLiteral("box: one range")};
    const CellRange r = range(w[1]);
    for (int row = r.top; row <= r.bottom; ++row) {
        table_.mutableCell(row, r.left)->style.borders |= SideLeft;
        table_.mutableCell(row, r.right)->style.borders |= SideRight;
    }
    for (int col = r.left; col <= r.right; ++col) {
        table_.mutableCell(r.top, col)->style.borders |= SideTop;
        table_.mutableCell(r.bottom, col)->style.borders |= SideBottom;
    }
}

}  // namespace

std::optional<GridTable> parseGrd(const QByteArray& bytes, GrdError* error) {
    int line = 0;
    try {
        if (bytes.size() > kMaxGrdBytes) throw Fault{QStringLiteral("file too large")};
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        if (utf8.hasError() || text.contains(QChar(0)))
            throw Fault{QStringLiteral("not UTF-8 text")};
        Parser parser;
        return parser.run(text, &line);
    } catch (const Fault& fault) {
        if (error) *error = {line, fault.message};
    } catch (const std::bad_alloc&) {
        if (error) *error = {line, QStringLiteral("out of memory")};
    }
    return std::nullopt;
}

std::optional<GridTable> loadGrdFile(const QString& path, GrdError* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = {0, file.errorString()};
        return std::nullopt;
    }
    if (file.size() > kMaxGrdBytes) {
        if (error) *error = {0, QStringLiteral("file too large")};
        return std::nullopt;
    }
    return parseGrd(file.read(kMaxGrdBytes + 1), error);
}

}  // namespace rx::grid
