// The canonical writer of the .grd format: one line per column and row, one
// per cell that differs from a fresh cell, then the merges.
#include <QLocale>

#include "platform/grid/grd_format.h"

namespace rx::grid {
namespace {

QString num(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar ch : text) {
        if (ch == u'"' || ch == u'\\') out += u'\\';
        if (ch == u'\n')
            out += QStringLiteral("\\n");
        else
            out += ch;
    }
    return out + u'"';
}

QString sidesText(std::uint8_t bits) {
    if (bits == 0) return QStringLiteral("none");
    QString s;
    if (bits & SideLeft) s += u'L';
    if (bits & SideTop) s += u'T';
    if (bits & SideRight) s += u'R';
    if (bits & SideBottom) s += u'B';
    return s;
}

QString yes(bool b) {
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

QString cellLine(int row, int column, const Cell& cell) {
    static const char16_t* const hNames[] = {u"left", u"center", u"right"};
    static const char16_t* const vNames[] = {u"top", u"middle", u"bottom"};
    const Cell fresh;
    const CellStyle& s = cell.style;
    QString line = QStringLiteral("cell %1,%2").arg(row).arg(column);
    if (cell.text != fresh.text) line += QStringLiteral(" text=") + quoted(cell.text);
    if (s.font.family != fresh.style.font.family)
        line += QStringLiteral(" font=") + quoted(s.font.family);
    if (s.font.pointSize != fresh.style.font.pointSize)
        line += QStringLiteral(" size=") + num(s.font.pointSize);
    if (s.font.bold != fresh.style.font.bold) line += QStringLiteral(" bold=") + yes(s.font.bold);
    if (s.font.italic != fresh.style.font.italic)
        line += QStringLiteral(" italic=") + yes(s.font.italic);
    if (s.halign != fresh.style.halign)
        line += QStringLiteral(" align=") + QString::fromUtf16(hNames[static_cast<int>(s.halign)]);
    if (s.valign != fresh.style.valign)
        line += QStringLiteral(" valign=") + QString::fromUtf16(vNames[static_cast<int>(s.valign)]);
    if (s.borders != fresh.style.borders) line += QStringLiteral(" border=") + sidesText(s.borders);
    return line;
}

QString pageLine(const PageSetup& p) {
    const bool custom = p.paper == u"custom" || p.paper.contains(u'x');
    const QString paper = custom ? num(p.sizeMm.width()) + u'x' + num(p.sizeMm.height()) : p.paper;
    const QMarginsF& m = p.marginsMm;
    return QStringLiteral("page %1 %2 margins %3 %4 %5 %6 line %7")
        .arg(paper, p.landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"),
             num(m.left()), num(m.top()), num(m.right()), num(m.bottom()), num(p.lineWidthMm));
}

}  // namespace

QByteArray writeGrd(const GridTable& table) {
    QStringList lines;
    lines << QStringLiteral("rxgrid %1").arg(kGrdVersion) << pageLine(table.page())
          << QStringLiteral("size %1 %2").arg(table.rows()).arg(table.columns());
    for (int c = 1; c <= table.columns(); ++c)
        lines << QStringLiteral("columns %1 %2").arg(c).arg(num(table.columnWidthMm(c)));
    for (int r = 1; r <= table.rows(); ++r)
        lines << QStringLiteral("rows %1 %2").arg(r).arg(num(table.rowHeightMm(r)));
    const Cell fresh;
    for (int r = 1; r <= table.rows(); ++r)
        for (int c = 1; c <= table.columns(); ++c)
            if (!(table.cell(r, c) == fresh)) lines << cellLine(r, c, table.cell(r, c));
    for (const CellRange& m : table.merges())
        lines << QStringLiteral("merge %1,%2:%3,%4")
                     .arg(m.top)
                     .arg(m.left)
                     .arg(m.bottom)
                     .arg(m.right);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

}  // namespace rx::grid
