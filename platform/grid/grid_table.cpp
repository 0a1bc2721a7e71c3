#include "platform/grid/grid_table.h"

#include <algorithm>
#include <numeric>

namespace rx::grid {

GridTable::GridTable(int rows, int columns)
    : rows_(std::clamp(rows, 0, kMaxRows)),
      columns_(std::clamp(columns, 0, kMaxColumns)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_)),
      columnWidths_(static_cast<std::size_t>(columns_), kDefaultColumnMm),
      rowHeights_(static_cast<std::size_t>(rows_), kDefaultRowMm) {}

const Cell& GridTable::cell(int row, int column) const {
    static const Cell none;
    return contains(row, column) ? cells_[static_cast<std::size_t>(index(row, column))] : none;
}

Cell* GridTable::mutableCell(int row, int column) {
    return contains(row, column) ? &cells_[static_cast<std::size_t>(index(row, column))] : nullptr;
}

bool GridTable::setText(int row, int column, const QString& text) {
    Cell* target = mutableCell(row, column);
    if (!target) return false;
    target->text = text;
    return true;
}

double GridTable::columnWidthMm(int column) const {
    return column >= 1 && column <= columns_ ? columnWidths_[static_cast<std::size_t>(column - 1)]
                                             : 0.0;
}

double GridTable::rowHeightMm(int row) const {
    return row >= 1 && row <= rows_ ? rowHeights_[static_cast<std::size_t>(row - 1)] : 0.0;
}

void GridTable::setColumnWidthMm(int column, double mm) {
    if (column >= 1 && column <= columns_) columnWidths_[static_cast<std::size_t>(column - 1)] = mm;
}

void GridTable::setRowHeightMm(int row, double mm) {
    if (row >= 1 && row <= rows_) rowHeights_[static_cast<std::size_t>(row - 1)] = mm;
}

double GridTable::totalWidthMm() const {
    return std::accumulate(columnWidths_.begin(), columnWidths_.end(), 0.0);
}

double GridTable::totalHeightMm() const {
    return std::accumulate(rowHeights_.begin(), rowHeights_.end(), 0.0);
}

double GridTable::columnOffsetMm(int column) const {
    const int n = std::clamp(column - 1, 0, columns_);
    return std::accumulate(columnWidths_.begin(), columnWidths_.begin() + n, 0.0);
}

double GridTable::rowOffsetMm(int row) const {
    const int n = std::clamp(row - 1, 0, rows_);
    return std::accumulate(rowHeights_.begin(), rowHeights_.begin() + n, 0.0);
}

bool GridTable::addMerge(const CellRange& range) {
    if (range.top > range.bottom || range.left > range.right) return false;
    if (!contains(range.top, range.left) || !contains(range.bottom, range.right)) return false;
    if (mergeOwners_.empty()) mergeOwners_.assign(cells_.size(), -1);
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            if (mergeOwners_[static_cast<std::size_t>(index(r, c))] >= 0) return false;
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            mergeOwners_[static_cast<std::size_t>(index(r, c))] = static_cast<int>(merges_.size());
    merges_.push_back(range);
    return true;
}

std::optional<CellRange> GridTable::mergeAt(int row, int column) const {
    if (mergeOwners_.empty() || !contains(row, column)) return std::nullopt;
    const int owner = mergeOwners_[static_cast<std::size_t>(index(row, column))];
    if (owner < 0) return std::nullopt;
    return merges_[static_cast<std::size_t>(owner)];
}

}  // namespace rx::grid
