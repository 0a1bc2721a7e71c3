// grid_pdf: renders a grid template to a one-page PDF through the grid's own
// painter, optionally filled with cell texts first, so that an administrator
// can check a template against the pre-printed paper without the program.
//
//   grid_pdf TEMPLATE.grd OUT.pdf [CELLS.txt]
//   grid_pdf --boxes TEMPLATE.grd
//
// CELLS.txt holds one cell a line: row, column and the text, separated by
// blanks; the text is the rest of the line. Lines starting with # are skipped.
// --boxes prints where each cell lies on the printed page instead: row, column,
// left, top, right and bottom in points from the page's top-left corner, one
// cell (or merged range, under its first cell) a line.
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

#include "platform/grid/data_source.h"
#include "platform/grid/grd_format.h"
#include "platform/grid/grid_painter.h"

namespace {

bool fillCells(rx::grid::DataSource& source, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)\\s+(\\d+)(?:\\s(.*))?$"));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString text = in.readLine();
        if (text.trimmed().isEmpty() || text.trimmed().startsWith(u'#')) continue;
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch()) {
            std::fprintf(stderr, "grid_pdf: skipped line: %s\n", qPrintable(text));
            continue;
        }
        source.setCellText(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3));
    }
    return true;
}

void printBoxes(const rx::grid::GridTable& table) {
    constexpr double kPointsPerMm = 72 / 25.4;
    const QMarginsF margins = rx::grid::pageLayoutFor(table.page()).margins(QPageLayout::Point);
    for (int r = 1; r <= table.rows(); ++r)
        for (int c = 1; c <= table.columns(); ++c) {
            const auto merge = table.mergeAt(r, c);
            if (merge && (merge->top != r || merge->left != c)) continue;
            const QRectF box = rx::grid::cellRect(table, r, c, kPointsPerMm)
                                   .translated(margins.left(), margins.top());
            std::printf("%d %d %.2f %.2f %.2f %.2f\n", r, c, box.left(), box.top(), box.right(),
                        box.bottom());
        }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool boxes = args.size() == 3 && args[1] == u"--boxes";
    if (boxes) args.removeAt(1);
    if (!boxes && (args.size() < 3 || args.size() > 4)) {
        std::fprintf(stderr,
                     "usage: grid_pdf TEMPLATE.grd OUT.pdf [CELLS.txt]\n"
                     "       grid_pdf --boxes TEMPLATE.grd\n");
        return 2;
    }
    rx::grid::GrdError error;
    std::optional<rx::grid::GridTable> table = rx::grid::loadGrdFile(args[1], &error);
    if (!table) {
        std::fprintf(stderr, "grid_pdf: %s: line %d: %s\n", qPrintable(args[1]), error.line,
                     qPrintable(error.message));
        return 1;
    }
    if (boxes) {
        printBoxes(*table);
        return 0;
    }
    rx::grid::DataSource source;
    source.setTable(std::move(*table));
    if (args.size() == 4 && !fillCells(source, args[3])) {
        std::fprintf(stderr, "grid_pdf: cannot read %s\n", qPrintable(args[3]));
        return 1;
    }
    if (!rx::grid::renderPdf(source.table(), args[2])) {
        std::fprintf(stderr, "grid_pdf: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
