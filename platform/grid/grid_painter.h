#pragma once
// The one painter of the print grid: the view, the print preview, the printer
// and the PDF tool all draw through it, so what the doctor sees is what prints.
// It works in device pixels at a given number of pixels per millimetre.

#include <QFont>
#include <QPageLayout>
#include <QRectF>

#include "platform/grid/grid_table.h"

class QPainter;
class QPaintDevice;

namespace rx::grid {

inline constexpr double kCellPaddingMm = 0.8;
// A text that does not fit is first wrapped, then drawn smaller down to this
// share of its size, and only then clipped to its cell.
inline constexpr double kMinShrink = 0.6;

struct TextFit {
    QFont font;
    int flags = 0;        // Qt::Alignment and text flags for QPainter::drawText
    bool shrunk = false;  // drawn smaller than its template size
    bool fits = true;     // false: even the smallest size overflows the cell
};

// The font of a cell at pxPerMm device pixels per millimetre.
QFont fontFor(const CellFont& font, double pxPerMm);

// How a text is laid out in a cell of the given inner size (device pixels).
TextFit fitText(const QString& text, const CellStyle& style, QSizeF inner, double pxPerMm,
                QPaintDevice* device);

// The rectangle of a cell, or of the merged range it belongs to, in device
// pixels relative to the table's top-left corner.
QRectF cellRect(const GridTable& table, int row, int column, double pxPerMm);

// Draws the table with its top-left corner at `origin`. When `exposed` is not
// empty only the cells meeting it are drawn.
void paintTable(QPainter& painter, const GridTable& table, double pxPerMm, QPointF origin = {},
                const QRectF& exposed = {});

// The page of a template for a printer or PDF writer.
QPageLayout pageLayoutFor(const PageSetup& page);

// What a page shows of a table drawn at its top-left corner, in device pixels:
// the `exposed` rectangle for paintTable, so that rows and columns beyond the
// page are not drawn only to be cut away.
QRectF pageArea(const QPageLayout& layout, int dpi);

// Renders the table as a one-page PDF at `dpi`; false when the file cannot be written.
bool renderPdf(const GridTable& table, const QString& path, int dpi = 600);

}  // namespace rx::grid
