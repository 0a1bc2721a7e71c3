#include "platform/ui/report_list_view.h"

#include <QAbstractTableModel>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <numeric>

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
    explicit FoldedTexts(const std::vector<QString>& texts) {
        starts_.reserve(texts.size() + 1);
        std::size_t total = 0;
        for (const QString& text : texts) total += std::size_t(text.size());
        units_.reserve(total);
        for (const QString& text : texts) {
            starts_.push_back(units_.size());
            char32_t last = 0;
            for (const QChar ch : text) {
                const char32_t unit = ch.unicode();
                char32_t point = unit;
                if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last))
                    point = QChar::surrogateToUcs4(char16_t(last), char16_t(unit));
                last = unit;
                units_.push_back(QChar::toCaseFolded(point));
            }
        }
        starts_.push_back(units_.size());
    }

    // -1, 0 or 1 as QString::compare(a, b, Qt::CaseInsensitive) orders them.
    int compare(int a, int b) const {
        const char32_t* p = units_.data() + starts_[std::size_t(a)];
        const char32_t* q = units_.data() + starts_[std::size_t(b)];
        const std::size_t m = starts_[std::size_t(a) + 1] - starts_[std::size_t(a)];
        const std::size_t n = starts_[std::size_t(b) + 1] - starts_[std::size_t(b)];
        const std::size_t common = std::min(m, n);
        for (std::size_t i = 0; i < common; ++i)
            if (p[i] != q[i]) return p[i] < q[i] ? -1 : 1;
        return m == n ? 0 : m < n ? -1 : 1;
    }

private:
    std::vector<char32_t> units_;
    std::vector<std::size_t> starts_;
};

}  // namespace

std::vector<int> ListCollation::stableOrder(const std::vector<QString>& texts) const {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    if (collator_.locale().language() == QLocale::C) {
        // The C collation's sort keys ignore the case setting; compare() does not.
        const FoldedTexts folded(texts);
        // Ties go by arrival, which makes the plain sort a stable one.
        std::sort(order.begin(), order.end(), [&folded](int a, int b) {
            const int c = folded.compare(a, b);
            return c != 0 ? c < 0 : a < b;
        });
        return order;
    }
    // One sort key per text, so that the sort compares keys, not texts.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QString& text : texts) keys.push_back(collator_.sortKey(text));
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
        const int c = keys[std::size_t(a)].compare(keys[std::size_t(b)]);
        return c != 0 ? c < 0 : a < b;
    });
    return order;
}

namespace {

Qt::Alignment qtAlignment(ColumnAlign align) {
    switch (align) {
        case ColumnAlign::Centre: return Qt::AlignCenter;
        case ColumnAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlign::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

// Rows in a deque: inserting at the top, the common case of result lists, costs
// no more than appending.
class ReportListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Column {
        QString title;
        ColumnAlign align;
    };

    std::vector<Column> columns;
    std::deque<QStringList> rows;
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
        const QStringList& cells = rows[row];
        return column < cells.size() ? cells[column] : QString();
    }

    // Where a row with first cell `first` goes in sorted mode: after every row
    // that does not sort after it.
    int sortedPosition(const QString& first) const {
        auto it = std::upper_bound(rows.begin(), rows.end(), first,
                                   [this](const QString& text, const QStringList& row) {
                                       return collation.less(text, row.value(0));
                                   });
        return static_cast<int>(it - rows.begin());
    }

    void sortRows() {
        std::vector<QString> firsts;
        firsts.reserve(rows.size());
        for (const QStringList& row : rows) firsts.push_back(row.value(0));
        const std::vector<int> order = collation.stableOrder(firsts);
        std::deque<QStringList> sortedRows;
        for (int i : order) sortedRows.push_back(std::move(rows[i]));
        rows = std::move(sortedRows);
    }

    int insert(int position, const QStringList& cells) {
        const int count = static_cast<int>(rows.size());
        if (bulkDepth > 0) {
            position = sorted ? count : std::clamp(position, 0, count);
            rows.insert(rows.begin() + position, cells);
            return position;
        }
        position = sorted ? sortedPosition(cells.value(0)) : std::clamp(position, 0, count);
        beginInsertRows({}, position, position);
        rows.insert(rows.begin() + position, cells);
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
        rows.erase(rows.begin() + row);
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

int ReportListView::columnCount() const { return static_cast<int>(model_->columns.size()); }

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

bool ReportListView::isSorted() const { return model_->sorted; }

int ReportListView::insertRow(int position, const QStringList& cells) {
    return model_->insert(position, cells);
}

int ReportListView::rowCount() const { return static_cast<int>(model_->rows.size()); }

QString ReportListView::cellText(int row, int column) const { return model_->cell(row, column); }

void ReportListView::setCellText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    QStringList& cells = model_->rows[row];
    while (cells.size() <= column) cells.append(QString());
    cells[column] = text;
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
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
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
        return;
    }
    // A right-click on a row makes it the selected one; elsewhere the selection stays.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) setSelectedRow(index.row());
    setFocus(Qt::MouseFocusReason);
    event->accept();
    emit rightClicked(index.isValid() ? index.row() : -1);
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

ReportListView::BulkUpdate::~BulkUpdate() { view_.model_->endBulk(); }

}  // namespace rx::ui
