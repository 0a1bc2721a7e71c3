#include "platform/grid/grid_painter.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "platform/ui/song_face.h"

namespace rx::grid {
namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;

// A Latin face for letters and digits on paper: the Song face's own digits come
// out of a PostScript print queue without their text ("2026" as "2 2"), and
// DejaVu Serif is a TrueType face every Debian desktop has. Chinese comes from
// the Song face, a TrueType face too: Qt's PDF writer makes no usable text
// layer from CFF-outlined faces (Noto CJK), whose shared glyphs also read back
// as Kangxi radicals (⽇ for 日).
const QString kPrintLatinFace = QStringLiteral("DejaVu Serif");

QStringList printFamilies(const QString& family) {
    if (ui::isSongFamily(family)) return {kPrintLatinFace, ui::kSongFace};
    return {family, kPrintLatinFace, ui::kSongFace};
}

// No glyph of a cell's face is narrower than this share of its size, and no
// line lower; so no more characters than visibleCharacters can show in a box.
// Laying out, measuring or drawing more (a 4 096-character caption at 200
// points took seconds a cell) only feeds the clip.
constexpr double kNarrowestGlyphEm = 0.15;
constexpr double kLowestLineEm = 0.8;

qsizetype visibleCharacters(QSizeF box, int pixelSize) {
    const double em = std::max(1, pixelSize);
    const double perLine = std::floor(box.width() / (kNarrowestGlyphEm * em)) + 1;
    const double lines = std::floor(box.height() / (kLowestLineEm * em)) + 1;
    return static_cast<qsizetype>(std::min(perLine * lines, 1e9));
}

// A merged range draws a side when any of its cells along that side has it,
// so that a box drawn around a range survives merging inside it.
std::uint8_t rangeSides(const GridTable& t, const CellRange& m) {
    std::uint8_t bits = 0;
    for (int r = m.top; r <= m.bottom; ++r) {
        bits |= t.cell(r, m.left).style.borders & SideLeft;
        bits |= t.cell(r, m.right).style.borders & SideRight;
    }
    for (int c = m.left; c <= m.right; ++c) {
        bits |= t.cell(m.top, c).style.borders & SideTop;
        bits |= t.cell(m.bottom, c).style.borders & SideBottom;
    }
    return bits;
}

int alignmentFlags(const CellStyle& s) {
    const int h = s.halign == HAlign::Left     ? Qt::AlignLeft
                  : s.halign == HAlign::Center ? Qt::AlignHCenter
                                               : Qt::AlignRight;
    const int v = s.valign == VAlign::Top      ? Qt::AlignTop
                  : s.valign == VAlign::Middle ? Qt::AlignVCenter
                                               : Qt::AlignBottom;
    return h | v;
}

bool fitsAt(const QFont& font, const QString& text, QSizeF inner, int flags, QPaintDevice* device) {
    const QFontMetricsF fm(font, device);
    const QRectF box(QPointF(0, 0), inner);
    return fm.boundingRect(box, flags, text).height() <= inner.height() + 0.5 &&
           fm.boundingRect(box, flags, text).width() <= inner.width() + 0.5;
}

void drawSides(QPainter& p, const QRectF& r, std::uint8_t sides) {
    if (sides & SideTop) p.drawLine(r.topLeft(), r.topRight());
    if (sides & SideBottom) p.drawLine(r.bottomLeft(), r.bottomRight());
    if (sides & SideLeft) p.drawLine(r.topLeft(), r.bottomLeft());
    if (sides & SideRight) p.drawLine(r.topRight(), r.bottomRight());
}

void drawCell(QPainter& p, const GridTable& t, const CellRange& area, QRectF rect, double pxPerMm) {
    const Cell& anchor = t.cell(area.top, area.left);
    const std::uint8_t sides = area.top == area.bottom && area.left == area.right
                                   ? anchor.style.borders
                                   : rangeSides(t, area);
    if (!anchor.text.isEmpty()) {
        const double pad = kCellPaddingMm * pxPerMm;
        const QRectF inner = rect.adjusted(pad, pad / 3, -pad, -pad / 3);
        if (inner.width() > 0 && inner.height() > 0) {
            const TextFit fit =
                fitText(anchor.text, anchor.style, inner.size(), pxPerMm, p.device());
            p.save();
            p.setClipRect(rect, Qt::IntersectClip);
            p.setFont(fit.font);
            p.drawText(
                inner, fit.flags,
                fit.fits ? anchor.text
                         : anchor.text.left(visibleCharacters(inner.size(), fit.font.pixelSize())));
            p.restore();
        }
    }
    if (sides) drawSides(p, rect, sides);
}

}  // namespace

QFont fontFor(const CellFont& f, double pxPerMm) {
    QFont font(f.family);
    font.setFamilies(printFamilies(f.family));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(f.pointSize * kMmPerPoint * pxPerMm))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

TextFit fitText(const QString& text, const CellStyle& style, QSizeF inner, double pxPerMm,
                QPaintDevice* device) {
    TextFit fit;
    const int align = alignmentFlags(style);
    const int oneLine = align | Qt::TextSingleLine;
    const int wrapped = align | Qt::TextWordWrap;
    CellFont f = style.font;
    const double smallest = f.pointSize * kMinShrink;
    for (; f.pointSize >= smallest - 1e-9;
         f.pointSize -= std::max(0.5, style.font.pointSize / 20)) {
        fit.font = fontFor(f, pxPerMm);
        fit.shrunk = f.pointSize < style.font.pointSize;
        if (text.size() > visibleCharacters(inner, fit.font.pixelSize())) continue;
        if (!text.contains(u'\n') && fitsAt(fit.font, text, inner, oneLine, device)) {
            fit.flags = oneLine;
            return fit;
        }
        if (fitsAt(fit.font, text, inner, wrapped, device)) {
            fit.flags = wrapped;
            return fit;
        }
    }
    fit.flags = wrapped;
    fit.fits = false;
    return fit;
}

QRectF cellRect(const GridTable& t, int row, int column, double pxPerMm) {
    const CellRange area = t.mergeAt(row, column).value_or(CellRange{row, column, row, column});
    const double x = t.columnOffsetMm(area.left), y = t.rowOffsetMm(area.top);
    const double w = t.columnOffsetMm(area.right + 1) - x, h = t.rowOffsetMm(area.bottom + 1) - y;
    return {x * pxPerMm, y * pxPerMm, w * pxPerMm, h * pxPerMm};
}

void paintTable(QPainter& p, const GridTable& t, double pxPerMm, QPointF origin,
                const QRectF& exposed) {
    std::vector<double> xs(1, 0.0), ys(1, 0.0);  // edges in device pixels, index 0 = first edge
    for (int c = 1; c <= t.columns(); ++c) xs.push_back(xs.back() + t.columnWidthMm(c) * pxPerMm);
    for (int r = 1; r <= t.rows(); ++r) ys.push_back(ys.back() + t.rowHeightMm(r) * pxPerMm);
    p.save();
    p.translate(origin);
    const QRectF visible = exposed.isEmpty() ? QRectF() : exposed.translated(-origin);
    QPen pen(Qt::black, std::max(1.0, t.page().lineWidthMm * pxPerMm));
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    for (int r = 1; r <= t.rows(); ++r) {
        if (!visible.isEmpty() && ys[r - 1] > visible.bottom() + 2) break;
        for (int c = 1; c <= t.columns(); ++c) {
            const CellRange area = t.mergeAt(r, c).value_or(CellRange{r, c, r, c});
            if (area.top != r || area.left != c) continue;  // drawn with its range
            const QRectF rect(QPointF(xs[c - 1], ys[r - 1]),
                              QPointF(xs[area.right], ys[area.bottom]));
            if (!visible.isEmpty() && !visible.intersects(rect.adjusted(-2, -2, 2, 2))) continue;
            drawCell(p, t, area, rect, pxPerMm);
        }
    }
    p.restore();
}

QPageLayout pageLayoutFor(const PageSetup& page) {
    const QPageSize size(page.sizeMm, QPageSize::Millimeter);
    return QPageLayout(size, page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       page.marginsMm, QPageLayout::Millimeter);
}

QRectF pageArea(const QPageLayout& layout, int dpi) {
    return QRectF(QPointF(0, 0), layout.paintRectPixels(dpi).size());
}

bool renderPdf(const GridTable& table, const QString& path, int dpi) {
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    writer.setPageLayout(pageLayoutFor(table.page()));
    writer.setCreator(QStringLiteral("rx_workstation"));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    paintTable(painter, table, dpi / 25.4, {}, pageArea(writer.pageLayout(), dpi));
    return painter.end();
}

}  // namespace rx::grid
