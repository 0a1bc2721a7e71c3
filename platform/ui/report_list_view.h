#pragma once
// A list view in report style: a clickable column header, grid lines, one
// whole-row selection that shows only while the list has the focus, text cells
// addressed by row and column, and an optional sorted mode that keeps the rows
// in ascending order of the first column.

#include <QCollator>
#include <QStringList>
#include <QTreeView>
#include <functional>
#include <initializer_list>
#include <vector>

namespace rx::ui {

class ReportListModel;

enum class ColumnAlign { Left, Centre, Right };

class ReportListView final : public QTreeView {
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);
    ~ReportListView() override;

    void addColumn(const QString& title, int width, ColumnAlign align = ColumnAlign::Left);
    int columnCount() const;
    QString columnTitle(int column) const;
    ColumnAlign columnAlign(int column) const;

    // In sorted mode every inserted row goes where the first-column texts stay in
    // ascending order (locale-aware, case-insensitive); equal texts keep the order
    // in which they were inserted. Switching it on sorts the present rows.
    void setSorted(bool sorted);
    bool isSorted() const;

    // Inserts a row before `position` (clamped to 0..rowCount()) and returns
    // where it went. Cells beyond those given are empty; cells beyond the
    // columns are not shown but travel with the row (cellText reads them).
    int insertRow(int position, const QStringList& cells);
    // The same for cells written in place, without building a list first.
    int insertRow(int position, std::initializer_list<QString> cells);
    int rowCount() const;
    QString cellText(int row, int column) const;  // "" outside the rows or columns
    void setCellText(int row, int column, const QString& text);
    bool deleteRow(int row);
    void deleteAllRows();

    // The first selected row, -1 when none; setting -1 clears the selection.
    int selectedRow() const;
    void setSelectedRow(int row);

    // Text colour of the cells, shown the same whether selected or not while the
    // list lacks the focus.
    void setTextColour(const QColor& colour);

    // Defers view updates (and in sorted mode the sorting) while many rows are
    // inserted; the rows settle into their places once the last guard ends.
    // Positions returned by insertRow meanwhile are provisional.
    class BulkUpdate {
    public:
        explicit BulkUpdate(ReportListView& view);
        ~BulkUpdate();
        BulkUpdate(const BulkUpdate&) = delete;
        BulkUpdate& operator=(const BulkUpdate&) = delete;

    private:
        ReportListView& view_;
    };

signals:
    void rowClicked(int row);
    // Every left click, once the button is released and the press has changed
    // the selection: the row under the pointer, -1 off the rows (where the
    // press has cleared the selection).
    void leftClicked(int row);
    void rightClicked(int row);  // row under the pointer, -1 off the rows
    void rowActivated(int row);  // double-click, or Enter on the current row

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    ReportListModel* model_;
};

// The order of the sorted mode: a < b by the collator in use.
class ListCollation {
public:
    ListCollation();
    bool less(const QString& a, const QString& b) const;
    // Stable order of `texts`: the indices that put them in ascending order.
    std::vector<int> stableOrder(const std::vector<QString>& texts) const;
    // The same for count texts that textAt(i) gives, without a copy of them.
    std::vector<int> stableOrder(std::size_t count,
                                 const std::function<const QString&(std::size_t)>& textAt) const;

private:
    QCollator collator_;
};

}  // namespace rx::ui
