#include "platform/grid/grid_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

#include "platform/grid/data_source.h"
#include "platform/grid/grid_painter.h"

namespace rx::grid {
namespace {
constexpr int kMargin = 4;  // white space around the table, in pixels
}

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void GridView::setDataSource(DataSource* source) {
    if (source_) disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &DataSource::changed, this, [this] {
            updateScrollBars();
            viewport()->update();
        });
    }
    updateScrollBars();
    viewport()->update();
}

double GridView::pixelsPerMm() const {
    return logicalDpiX() / 25.4;
}

QSize GridView::contentSize() const {
    if (!source_) return {};
    const GridTable& t = source_->table();
    return {static_cast<int>(std::ceil(t.totalWidthMm() * pixelsPerMm())) + 2 * kMargin,
            static_cast<int>(std::ceil(t.totalHeightMm() * pixelsPerMm())) + 2 * kMargin};
}

void GridView::updateScrollBars() {
    const QSize content = contentSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void GridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void GridView::paintEvent(QPaintEvent* event) {
    if (!source_) return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPointF origin(kMargin - horizontalScrollBar()->value(),
                         kMargin - verticalScrollBar()->value());
    paintTable(painter, source_->table(), pixelsPerMm(), origin, QRectF(event->rect()));
}

}  // namespace rx::grid
