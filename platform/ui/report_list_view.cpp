#include "platform/ui/report_list_view.h"

#include <QAbstractTableModel>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <utility>

namespace rx::ui {

ListCollation::ListCollation() : collator_(QLocale()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool ListCollation::less(const QString& a, const QString& b) const {
    return collator_.compare(a, b) < 0;
}

namespace {

// Case-folded code points of many texts in one buffer: what QString::compare
// without regard to case compares, worked out once per text instead of once
// per comparison. A low surrogate folds with its high one, as there.
class FoldedTexts {
public:
    FoldedTexts(std::size_t count, const std::function<const QString&(std::size_t)>& textAt) {
        starts_.reserve(count + 1);
        prefixes_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            starts_.push_back(units_.size());
            char32_t last = 0;
            for (const QChar ch : textAt(i)) {
                const char32_t unit = ch.unicode();
                char32_t point = unit;
                if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last))
                    point = QChar::surrogateToUcs4(char16_t(last), char16_t(unit));
                last = unit;
                units_.push_back(QChar::toCaseFolded(point));
            }
            prefixes_.push_back(prefixOf(i));
        }
        starts_.push_back(units_.size());
    }

    // The first kPrefix folded units, one more than each so that an end sorts
    // first, packed so that one integer comparison orders most pairs.
    std::uint64_t prefix(std::size_t i) const { return prefixes_[i]; }

    // -1, 0 or 1 as QString::compare(a, b, Qt::CaseInsensitive) orders them.
    int compare(std::size_t a, std::size_t b) const {
        if (prefixes_[a] != prefixes_[b]) return prefixes_[a] < prefixes_[b] ? -1 : 1;
        const std::size_t m = length(a), n = length(b);
        const char32_t* p = units_.data() + starts_[a];
        const char32_t* q = units_.data() + starts_[b];
        for (std::size_t i = kPrefix, common = std::min(m, n); i < common; ++i)
            if (p[i] != q[i]) return p[i] < q[i] ? -1 : 1;
        return m == n ? 0 : m < n ? -1 : 1;
    }

private:
    static constexpr std::size_t kPrefix = 3;  // 21 bits a code point
    std::size_t length(std::size_t i) const { return starts_[i + 1] - starts_[i]; }
    std::uint64_t prefixOf(std::size_t i) const {
        std::uint64_t packed = 0;
        const std::size_t n = units_.size() - starts_[i];
        for (std::size_t k = 0; k < kPrefix; ++k)
            packed = (packed << 21) | (k < n ? std::uint64_t(units_[starts_[i] + k]) + 1 : 0);
        return packed;
    }

    std::vector<char32_t> units_;
    std::vector<std::size_t> starts_;
    std::vector<std::uint64_t> prefixes_;
};

}  // namespace

std::vector<int> ListCollation::stableOrder(const std::vector<QString>& texts) const {
    return stableOrder(texts.size(),
                       [&texts](std::size_t i) -> const QString& { return texts[i]; });
}

std::vector<int> ListCollation::stableOrder(
    std::size_t count, const std::function<const QString&(std::size_t)>& textAt) const {
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    if (collator_.locale().language() == QLocale::C) {
        // The C collation's sort keys ignore the case setting; compare() does not.
        const FoldedTexts folded(count, textAt);
        // Ties go by arrival, which makes the plain sort a stable one.
        std::sort(order.begin(), order.end(), [&folded](int a, int b) {
            const int c = folded.compare(std::size_t(a), std::size_t(b));
            return c != 0 ? c < 0 : a < b;
        });
        return order;
    }
    // One sort key per text, so that the sort compares keys, not texts.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i) keys.push_back(collator_.sortKey(textAt(i)));
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
        const int c = keys[std::size_t(a)].compare(keys[std::size_t(b)]);
        return c != 0 ? c < 0 : a < b;
    });
    return order;
}

namespace {

Qt::Alignment qtAlignment(ColumnAlign align) {
    switch (align) {
        case ColumnAlign::Centre:
            return Qt::AlignCenter;
        case ColumnAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlign::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

// A row's cells: the first one (the sorted mode's key) as it came, the rest
// packed into one text behind a table of where each ends. A long result list
// then holds two allocations a row instead of one a cell, which is what
// emptying the list of a year's visits spends its time freeing.
class RowCells {
public:
    template <class Cells>
    explicit RowCells(const Cells& cells) {
        pack(std::begin(cells), std::end(cells));
    }
    RowCells() = default;

    const QString& first() const { return first_; }
    QString cell(int column) const {
        if (column == 0) return first_;
        const int packed = column - 1;
        if (column < 0 || packed >= packedCount()) return {};
        const qsizetype from = packed == 0 ? 0 : end(packed - 1);
        return QString(rest_.constData() + header() + from, end(packed) - from);
    }
    void set(int column, const QString& text) {
        QStringList cells;
        const int count = std::max(column + 1, packedCount() + 1);
        for (int c = 0; c < count; ++c) cells.append(c == column ? text : cell(c));
        pack(cells.cbegin(), cells.cend());
    }

private:
    // The count and each end offset take two UTF-16 units: 32 bits, more than
    // a QString can hold.
    static qsizetype number(const QChar* at) {
        return qsizetype(at[0].unicode()) | (qsizetype(at[1].unicode()) << 16);
    }
    static void appendNumber(QString& to, qsizetype n) {
        to.append(QChar(char16_t(n & 0xFFFF)));
        to.append(QChar(char16_t((n >> 16) & 0xFFFF)));
    }
    int packedCount() const { return rest_.isEmpty() ? 0 : int(number(rest_.constData())); }
    qsizetype header() const { return 2 + 2 * qsizetype(packedCount()); }
    qsizetype end(int packed) const { return number(rest_.constData() + 2 + 2 * packed); }

    template <class It>
    void pack(It begin, It end) {
        first_ = begin == end ? QString() : *begin;
        rest_.clear();
        if (begin == end || std::next(begin) == end) return;
        const auto count = std::distance(std::next(begin), end);
        qsizetype length = 0;
        for (It it = std::next(begin); it != end; ++it) length += it->size();
        rest_.reserve(2 + 2 * count + length);
        appendNumber(rest_, count);
        qsizetype at = 0;
        for (It it = std::next(begin); it != end; ++it) appendNumber(rest_, at += it->size());
        for (It it = std::next(begin); it != end; ++it) rest_.append(*it);
    }

    QString first_;
    QString rest_;
};

}  // namespace rx::ui

// Only two QStrings inside, which move by their bytes: inserting in the middle
// moves rows with memmove.
Q_DECLARE_TYPEINFO(rx::ui::RowCells, Q_RELOCATABLE_TYPE);

namespace rx::ui {

// Rows in a QList: it keeps room at both ends, so that inserting at the top,
// the common case of result lists, costs no more than appending.
class ReportListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Column {
        QString title;
        ColumnAlign align;
    };

    std::vector<Column> columns;
    QList<RowCells> rows;
    ListCollation collation;
    bool sorted = false;
    int bulkDepth = 0;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return cell(index.row(), index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(qtAlignment(columns[index.column()].align));
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(columns.size()))
            return {};
        if (role == Qt::DisplayRole) return columns[section].title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(qtAlignment(columns[section].align));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QString cell(int row, int column) const {
        if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0) return {};
        return rows[row].cell(column);
    }

    // Where a row with first cell `first` goes in sorted mode: after every row
    // that does not sort after it.
    int sortedPosition(const QString& first) const {
        auto it = std::upper_bound(rows.begin(), rows.end(), first,
                                   [this](const QString& text, const RowCells& row) {
                                       return collation.less(text, row.first());
                                   });
        return static_cast<int>(it - rows.begin());
    }

    void sortRows() {
        const std::vector<int> order = collation.stableOrder(
            std::size_t(rows.size()), [this](std::size_t i) -> const QString& {
                return std::as_const(rows)[qsizetype(i)].first();
            });
        QList<RowCells> sortedRows;
        sortedRows.reserve(rows.size());
        for (int i : order) sortedRows.append(std::move(rows[i]));
        rows.swap(sortedRows);
    }

    template <class Cells>
    int insert(int position, const Cells& cells) {
        const int count = static_cast<int>(rows.size());
        if (bulkDepth > 0) {
            position = sorted ? count : std::clamp(position, 0, count);
            rows.insert(position, RowCells(cells));
            return position;
        }
        RowCells row(cells);
        position = sorted ? sortedPosition(row.first()) : std::clamp(position, 0, count);
        beginInsertRows({}, position, position);
        rows.insert(position, std::move(row));
        endInsertRows();
        return position;
    }

    void addColumn(const QString& title, ColumnAlign align) {
        const int column = static_cast<int>(columns.size());
        beginInsertColumns({}, column, column);
        columns.push_back({title, align});
        endInsertColumns();
    }

    void remove(int row) {
        if (bulkDepth == 0) beginRemoveRows({}, row, row);
        rows.remove(row);
        if (bulkDepth == 0) endRemoveRows();
    }

    void beginBulk() {
        if (bulkDepth++ == 0) beginResetModel();
    }
    void endBulk() {
        if (--bulkDepth > 0) return;
        if (sorted) sortRows();
        endResetModel();
    }
};

ReportListView::ReportListView(QWidget* parent)
    : QTreeView(parent), model_(new ReportListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);  // keeps layout cost flat for long lists
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setMouseTracking(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionsClickable(true);  // titles react to a click, which does nothing
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setHighlightSections(false);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit rowClicked(index.row()); });
    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit rowActivated(index.row()); });
}

ReportListView::~ReportListView() = default;

void ReportListView::addColumn(const QString& title, int width, ColumnAlign align) {
    model_->addColumn(title, align);
    header()->resizeSection(columnCount() - 1, width);
}

int ReportListView::columnCount() const {
    return static_cast<int>(model_->columns.size());
}

QString ReportListView::columnTitle(int column) const {
    return column >= 0 && column < columnCount() ? model_->columns[column].title : QString();
}

ColumnAlign ReportListView::columnAlign(int column) const {
    return column >= 0 && column < columnCount() ? model_->columns[column].align
                                                 : ColumnAlign::Left;
}

void ReportListView::setSorted(bool sorted) {
    if (model_->sorted == sorted) return;
    BulkUpdate bulk(*this);
    model_->sorted = sorted;
}

bool ReportListView::isSorted() const {
    return model_->sorted;
}

int ReportListView::insertRow(int position, const QStringList& cells) {
    return model_->insert(position, cells);
}

int ReportListView::insertRow(int position, std::initializer_list<QString> cells) {
    return model_->insert(position, cells);
}

int ReportListView::rowCount() const {
    return static_cast<int>(model_->rows.size());
}

QString ReportListView::cellText(int row, int column) const {
    return model_->cell(row, column);
}

void ReportListView::setCellText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    model_->rows[row].set(column, text);
    if (model_->bulkDepth == 0) {
        const QModelIndex index = model_->index(row, column);
        emit model_->dataChanged(index, index, {Qt::DisplayRole});
    }
}

bool ReportListView::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    const bool wasSelected = selectionModel()->isRowSelected(row, {});
    model_->remove(row);
    // The item view would move the selection to a neighbour; a deleted selected
    // row leaves the list without a selection.
    if (wasSelected) setSelectedRow(-1);
    return true;
}

void ReportListView::deleteAllRows() {
    if (model_->rows.empty()) return;
    BulkUpdate bulk(*this);
    model_->rows.clear();
}

int ReportListView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    int first = rows.front().row();
    for (const QModelIndex& index : rows) first = std::min(first, index.row());
    return first;
}

void ReportListView::setSelectedRow(int row) {
    if (row < 0 || row >= rowCount()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void ReportListView::setTextColour(const QColor& colour) {
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, colour);
    // Without the focus a selected row looks like any other.
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Base));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, colour);
    setPalette(p);
}

void ReportListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    // Grid lines: below every row and at the right edge of every column.
    painter->save();
    painter->setPen(QColor(0xD0, 0xD0, 0xD0));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    for (int column = 0; column < columnCount(); ++column) {
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}

void ReportListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        // A left press off the rows leaves no row selected, as list views do.
        if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid())
            setSelectedRow(-1);
        return;
    }
    // A right-click on a row makes it the selected one; elsewhere the selection stays.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) setSelectedRow(index.row());
    setFocus(Qt::MouseFocusReason);
    event->accept();
    emit rightClicked(index.isValid() ? index.row() : -1);
}

void ReportListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit leftClicked(index.isValid() ? index.row() : -1);
}

void ReportListView::focusInEvent(QFocusEvent* event) {
    const bool hadSelection = selectedRow() >= 0;
    QTreeView::focusInEvent(event);
    // Arriving without a selection, the first Down selects the first row rather
    // than the second.
    if (!hadSelection) selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

ReportListView::BulkUpdate::BulkUpdate(ReportListView& view) : view_(view) {
    view_.model_->beginBulk();
}

ReportListView::BulkUpdate::~BulkUpdate() {
    view_.model_->endBulk();
}

}  // namespace rx::ui
