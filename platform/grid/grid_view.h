#pragma once
// The visible print grid: shows the table of a data source as laid out by its
// template, at the screen's own millimetre size, with scroll bars when the
// table is larger than the widget.

#include <QAbstractScrollArea>
#include <QPointer>

#include "platform/grid/data_source.h"

namespace rx::grid {

class GridView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    // The data source to show; the view does not own it.
    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }

    double pixelsPerMm() const;
    // Size of the whole table in viewport pixels, with the view's margin.
    QSize contentSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollBars();

    QPointer<DataSource> source_;
};

}  // namespace rx::grid
