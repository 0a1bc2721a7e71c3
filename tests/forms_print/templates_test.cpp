// The two shipped templates: they load, hold every cell the print windows
// write, show each written cell (not hidden inside another's merge), fit
// their paper, and print their own captions without shrinking or clipping.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <vector>

#include "forms/print/cell_maps.h"
#include "platform/grid/grd_format.h"
#include "platform/grid/grid_painter.h"

namespace {

using namespace rx::grid;
using rx::print::CellAddress;

GridTable load(const char* name) {
    GrdError error;
    const QString path = QStringLiteral(RX_TEMPLATE_DIR "/") + QString::fromUtf8(name);
    std::optional<GridTable> t = loadGrdFile(path, &error);
    EXPECT_TRUE(t) << name << ": line " << error.line << ": " << qPrintable(error.message);
    return t.value_or(GridTable());
}

std::vector<CellAddress> slipCells() {
    std::vector<CellAddress> cells;
    for (rx::print::SlipField f : rx::print::kSlipFieldOrder)
        cells.push_back(rx::print::slipFieldCell(f));
    for (int k = 0; k < rx::print::kSlipDrugCount; ++k)
        cells.push_back(*rx::print::slipDrugCell(k));
    cells.push_back(rx::print::kSlipDateCell);
    return cells;
}

std::vector<CellAddress> a4Cells() {
    std::vector<CellAddress> cells;
    for (const rx::print::FieldCell& f : rx::print::kA4QueryMap.fields) cells.push_back(f.at);
    for (int k = 0; k < rx::print::kA4ItemCount; ++k) cells.push_back(*rx::print::a4ItemCell(k));
    return cells;
}

struct Shipped {
    const char* file;
    int minRows, minColumns;
    bool landscape;
    std::vector<CellAddress> (*written)();
};

void PrintTo(const Shipped& c, std::ostream* out) {
    *out << c.file;
}  // names, not bytes, in listings

class ShippedTemplate : public testing::TestWithParam<Shipped> {};

TEST_P(ShippedTemplate, HoldsAndShowsEveryWrittenCell) {
    const GridTable t = load(GetParam().file);
    EXPECT_GE(t.rows(), GetParam().minRows);
    EXPECT_GE(t.columns(), GetParam().minColumns);
    for (const CellAddress& at : GetParam().written()) {
        ASSERT_TRUE(t.contains(at.row, at.column)) << at.row << "," << at.column;
        EXPECT_TRUE(t.text(at.row, at.column).isEmpty()) << "written cell has a caption";
        const std::optional<CellRange> m = t.mergeAt(at.row, at.column);
        if (m) {
            EXPECT_TRUE(m->top == at.row && m->left == at.column) << at.row << "," << at.column;
        }
    }
}

TEST_P(ShippedTemplate, FitsItsPaper) {
    const GridTable t = load(GetParam().file);
    EXPECT_EQ(t.page().landscape, GetParam().landscape);
    const QRectF printable = pageLayoutFor(t.page()).paintRect(QPageLayout::Millimeter);
    EXPECT_LE(t.totalWidthMm(), printable.width() + 0.01);
    EXPECT_LE(t.totalHeightMm(), printable.height() + 0.01);
}

TEST_P(ShippedTemplate, CaptionsFitTheirCellsAtPrintSize) {
    const GridTable t = load(GetParam().file);
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(600 / 0.0254);
    device.setDotsPerMeterY(600 / 0.0254);
    const double pxPerMm = 600 / 25.4;
    int captions = 0;
    for (int r = 1; r <= t.rows(); ++r) {
        for (int c = 1; c <= t.columns(); ++c) {
            const Cell& cell = t.cell(r, c);
            if (cell.text.isEmpty()) continue;
            ++captions;
            const double pad = kCellPaddingMm * pxPerMm;
            const QSizeF inner = cellRect(t, r, c, pxPerMm).size() - QSizeF(2 * pad, 2 * pad / 3);
            const TextFit fit = fitText(cell.text, cell.style, inner, pxPerMm, &device);
            EXPECT_TRUE(fit.fits && !fit.shrunk) << r << "," << c << " " << qPrintable(cell.text);
        }
    }
    EXPECT_GT(captions, 5);
}

TEST_P(ShippedTemplate, WritesBackUnchanged) {
    const GridTable t = load(GetParam().file);
    EXPECT_EQ(parseGrd(writeGrd(t)), t);
}

INSTANTIATE_TEST_SUITE_P(Templates, ShippedTemplate,
                         testing::Values(Shipped{"处方笺.grd", 23, 16, false, &slipCells},
                                         Shipped{"A4.grd", 8, 23, true, &a4Cells}),
                         [](const testing::TestParamInfo<Shipped>& test) {
                             return test.index == 0 ? std::string("Slip") : std::string("A4");
                         });

// Every drug cell of the visit sheet shows a usual drug on one line at full
// size, and the visit date, with or without a time of day, at full size.
TEST(A4Template, DrugsAndTheDateFitWithoutShrinking) {
    const GridTable t = load("A4.grd");
    QImage device(10, 10, QImage::Format_RGB32);
    const double pxPerMm = 600 / 25.4;
    device.setDotsPerMeterX(600 / 0.0254);
    device.setDotsPerMeterY(600 / 0.0254);
    const auto fit = [&](const CellAddress& at, const QString& text) {
        const QSizeF inner = cellRect(t, at.row, at.column, pxPerMm).size() -
                             QSizeF(2 * kCellPaddingMm * pxPerMm, 0.5 * pxPerMm);
        return fitText(text, t.cell(at.row, at.column).style, inner, pxPerMm, &device);
    };
    for (int k = 0; k < rx::print::kA4ItemCount; ++k) {
        const TextFit f = fit(*rx::print::a4ItemCell(k), QStringLiteral("炙甘草10g"));
        EXPECT_TRUE(f.fits && !f.shrunk && (f.flags & Qt::TextSingleLine)) << k;
    }
    const CellAddress date = rx::print::kA4QueryMap.fields[3].at;
    ASSERT_EQ(rx::print::kA4QueryMap.fields[3].field, rx::print::VisitField::Registered);
    for (const char* text : {"2024年12月31日", "2016年11月4日9时5分7秒"}) {
        const TextFit f = fit(date, QString::fromUtf8(text));
        EXPECT_TRUE(f.fits && !f.shrunk) << text;
    }
}

TEST(SlipTemplate, DrugTextsOfUsualLengthFitWithoutShrinking) {
    const GridTable t = load("处方笺.grd");
    QImage device(10, 10, QImage::Format_RGB32);
    const double pxPerMm = 600 / 25.4;
    device.setDotsPerMeterX(600 / 0.0254);
    device.setDotsPerMeterY(600 / 0.0254);
    for (int k : {0, 1, 2, 50}) {
        const CellAddress at = *rx::print::slipDrugCell(k);
        const QSizeF inner = cellRect(t, at.row, at.column, pxPerMm).size() -
                             QSizeF(2 * kCellPaddingMm * pxPerMm, 0.5 * pxPerMm);
        const TextFit fit = fitText(QStringLiteral("熟地黄（酒蒸）120g"),
                                    t.cell(at.row, at.column).style, inner, pxPerMm, &device);
        EXPECT_TRUE(fit.fits && !fit.shrunk) << k;
        EXPECT_TRUE(fit.flags & Qt::TextSingleLine) << k;
    }
}

}  // namespace
