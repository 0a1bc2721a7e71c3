// grid_pdf: renders a grid template to a one-page PDF through the grid's own
// painter, optionally filled with cell texts first, so that an administrator
// can check a template against the pre-printed paper without the program.
//
//   grid_pdf TEMPLATE.grd OUT.pdf [CELLS.txt]
//
// CELLS.txt holds one cell a line: row, column and the text, separated by
// blanks; the text is the rest of the line. Lines starting with # are skipped.
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3 || args.size() > 4) {
        std::fprintf(stderr, "usage: grid_pdf TEMPLATE.grd OUT.pdf [CELLS.txt]\n");
        return 2;
    }
    rx::grid::GrdError error;
    std::optional<rx::grid::GridTable> table = rx::grid::loadGrdFile(args[1], &error);
    if (!table) {
        std::fprintf(stderr, "grid_pdf: %s: line %d: %s\n", qPrintable(args[1]), error.line,
                     qPrintable(error.message));
        return 1;
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
