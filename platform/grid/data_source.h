#pragma once
// The hidden components behind a print grid: the generic data provider gives
// the initial empty table, the data source holds the table the grid shows and
// prints, loads templates into it and takes cell writes.

#include <QObject>

#include "platform/grid/grid_table.h"

namespace rx::grid {

class GenericProvider {
public:
    static constexpr int kRows = 10;
    static constexpr int kColumns = 10;
    GridTable initialTable() const { return GridTable(kRows, kColumns); }
};

class DataSource final : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    // Starts again from the provider's empty table.
    void drawOn(const GenericProvider& provider);

    // Reads a template whole. A missing, unreadable or malformed file leaves the
    // table exactly as it was; the caller is not told, as the forms do not ask.
    bool loadTemplate(const QString& path);

    // 1-based; a write outside the table is ignored.
    void setCellText(int row, int column, const QString& text);
    QString cellText(int row, int column) const { return table_.text(row, column); }

    const GridTable& table() const { return table_; }
    void setTable(GridTable table);

signals:
    void changed();

private:
    GridTable table_;
};

}  // namespace rx::grid
