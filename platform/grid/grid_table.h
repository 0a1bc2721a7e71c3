#pragma once
// The table behind a print grid: cell texts, their looks, column widths and
// row heights in millimetres, merged ranges and the page they print on.
// Rows and columns are numbered from 1, as the forms address them.

#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace rx::grid {

enum class HAlign : std::uint8_t { Left, Center, Right };
enum class VAlign : std::uint8_t { Top, Middle, Bottom };

// Border sides of a cell, combined as bits.
enum Side : std::uint8_t { SideLeft = 1, SideTop = 2, SideRight = 4, SideBottom = 8, SideAll = 15 };

struct CellFont {
    QString family = QStringLiteral("SimSun");
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const CellFont&, const CellFont&) = default;
};

struct CellStyle {
    CellFont font;
    HAlign halign = HAlign::Left;
    VAlign valign = VAlign::Middle;
    std::uint8_t borders = 0;
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

struct Cell {
    QString text;
    CellStyle style;
    friend bool operator==(const Cell&, const Cell&) = default;
};

// Inclusive 1-based rectangle of cells drawn as one; its top-left cell gives
// the text and the looks.
struct CellRange {
    int top = 1, left = 1, bottom = 1, right = 1;
    bool contains(int row, int column) const {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool intersects(const CellRange& o) const {
        return top <= o.bottom && o.top <= bottom && left <= o.right && o.left <= right;
    }
    friend bool operator==(const CellRange&, const CellRange&) = default;
};

struct PageSetup {
    QString paper = QStringLiteral("A4");  // a named size, or "custom"
    QSizeF sizeMm{210.0, 297.0};           // portrait width × height
    bool landscape = false;
    QMarginsF marginsMm{10.0, 10.0, 10.0, 10.0};
    double lineWidthMm = 0.2;
    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

class GridTable {
public:
    static constexpr int kMaxRows = 2000;
    static constexpr int kMaxColumns = 500;
    static constexpr double kDefaultColumnMm = 20.0;
    static constexpr double kDefaultRowMm = 6.0;

    // An empty table of rows × columns (clamped to the limits, at least 0).
    GridTable(int rows = 0, int columns = 0);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    bool contains(int row, int column) const {
        return row >= 1 && row <= rows_ && column >= 1 && column <= columns_;
    }

    // Cell access; out-of-table reads give an empty cell, writes are ignored.
    const Cell& cell(int row, int column) const;
    Cell* mutableCell(int row, int column);
    QString text(int row, int column) const { return cell(row, column).text; }
    bool setText(int row, int column, const QString& text);

    double columnWidthMm(int column) const;
    double rowHeightMm(int row) const;
    void setColumnWidthMm(int column, double mm);
    void setRowHeightMm(int row, double mm);
    double totalWidthMm() const;
    double totalHeightMm() const;
    // Distance from the table's left (top) edge to the start of a column (row).
    double columnOffsetMm(int column) const;
    double rowOffsetMm(int row) const;

    // Adds a merged range; refuses one outside the table or overlapping another.
    bool addMerge(const CellRange& range);
    const std::vector<CellRange>& merges() const { return merges_; }
    // The merged range a cell belongs to, if any.
    std::optional<CellRange> mergeAt(int row, int column) const;

    const PageSetup& page() const { return page_; }
    void setPage(const PageSetup& page) { page_ = page; }

    friend bool operator==(const GridTable&, const GridTable&) = default;

private:
    int index(int row, int column) const { return (row - 1) * columns_ + (column - 1); }

    int rows_ = 0;
    int columns_ = 0;
    std::vector<Cell> cells_;
    std::vector<double> columnWidths_;
    std::vector<double> rowHeights_;
    std::vector<CellRange> merges_;
    // For each cell, the index in merges_ of the range it lies in, or -1; made
    // with the first merge, so that adding and finding one is not a search.
    std::vector<int> mergeOwners_;
    PageSetup page_;
};

}  // namespace rx::grid
