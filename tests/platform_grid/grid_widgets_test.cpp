// The painter, the grid view and the print preview, headless.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>

#include "platform/grid/data_source.h"
#include "platform/grid/grd_format.h"
#include "platform/grid/grid_painter.h"
#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"

namespace {

using namespace rx::grid;

const QString kSlip = QStringLiteral(RX_TEMPLATE_DIR "/处方笺.grd");

int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

QImage paint(const GridTable& t, double pxPerMm) {
    QImage image(static_cast<int>(t.totalWidthMm() * pxPerMm) + 2,
                 static_cast<int>(t.totalHeightMm() * pxPerMm) + 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paintTable(p, t, pxPerMm);
    return image;
}

TEST(GridPainter, DrawsTextInsideItsCellAndBordersOnTheirSides) {
    GridTable t(2, 2);
    t.setText(1, 1, QStringLiteral("当归10g"));
    t.mutableCell(2, 2)->style.borders = SideBottom;
    const double pxPerMm = 8;
    const QImage image = paint(t, pxPerMm);
    const QRect first = cellRect(t, 1, 1, pxPerMm).toRect().adjusted(1, 1, -1, -1);
    EXPECT_GT(darkPixels(image, first), 20);
    EXPECT_EQ(darkPixels(image, cellRect(t, 1, 2, pxPerMm).toRect().adjusted(1, 1, -1, -1)), 0);
    const QRectF last = cellRect(t, 2, 2, pxPerMm);
    const int bottom = static_cast<int>(last.bottom());
    EXPECT_GT(darkPixels(image, QRect(static_cast<int>(last.left()) + 2, bottom - 1,
                                      static_cast<int>(last.width()) - 4, 3)),
              50);
    EXPECT_EQ(
        darkPixels(image, QRect(static_cast<int>(last.left()) + 2, static_cast<int>(last.top()),
                                static_cast<int>(last.width()) - 4, 3)),
        0);
}

TEST(GridPainter, MergedRangeIsOneCellWithTheAnchorsText) {
    GridTable t(1, 3);
    ASSERT_TRUE(t.addMerge({1, 1, 1, 3}));
    t.setText(1, 1, QStringLiteral("处方笺处方笺处方笺"));
    t.mutableCell(1, 1)->style.halign = HAlign::Right;
    t.setText(1, 2, QStringLiteral("hidden"));
    EXPECT_EQ(cellRect(t, 1, 2, 4), cellRect(t, 1, 1, 4));
    EXPECT_DOUBLE_EQ(cellRect(t, 1, 1, 4).width(), 3 * GridTable::kDefaultColumnMm * 4);
    const QImage image = paint(t, 4);
    // Right-aligned across the range: ink in the third column, none in the first.
    EXPECT_GT(darkPixels(image, cellRect(t, 1, 1, 4).toRect().adjusted(160, 1, -2, -1)), 20);
    EXPECT_EQ(darkPixels(image, QRect(2, 1, 20, 20)), 0);
}

TEST(GridPainter, LongTextWrapsThenShrinksThenReportsOverflow) {
    QImage device(10, 10, QImage::Format_RGB32);
    const CellStyle style;
    const double pxPerMm = 8;
    const QSizeF oneLine(40 * pxPerMm, 5 * pxPerMm), twoLines(40 * pxPerMm, 12 * pxPerMm);
    const QString shortText = QStringLiteral("甘草6g");
    const QString longText = QStringLiteral("城关镇东大街幸福小区十二号楼三单元");
    EXPECT_TRUE(fitText(shortText, style, oneLine, pxPerMm, &device).flags & Qt::TextSingleLine);
    const TextFit wrapped = fitText(longText, style, twoLines, pxPerMm, &device);
    EXPECT_TRUE(wrapped.fits && !wrapped.shrunk && (wrapped.flags & Qt::TextWordWrap));
    const TextFit shrunk = fitText(longText, style, oneLine, pxPerMm, &device);
    EXPECT_TRUE(shrunk.fits && shrunk.shrunk);
    EXPECT_LT(shrunk.font.pixelSize(), fontFor(style.font, pxPerMm).pixelSize());
    const TextFit overflow =
        fitText(longText + longText + longText, style, oneLine, pxPerMm, &device);
    EXPECT_FALSE(overflow.fits);
}

TEST(GridPainter, RendersTheSlipToAOnePagePdf) {
    QTemporaryDir dir;
    DataSource source;
    ASSERT_TRUE(source.loadTemplate(kSlip));
    source.setCellText(7, 3, QStringLiteral("当归10g"));
    const QString pdf = dir.filePath(QStringLiteral("slip.pdf"));
    ASSERT_TRUE(renderPdf(source.table(), pdf, 300));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    EXPECT_FALSE(renderPdf(source.table(), dir.filePath(QStringLiteral("no/such/dir/x.pdf"))));
}

// Every character other than white space, sorted: what a search of the page finds.
QString inkCharacters(const QString& text) {
    QString ink;
    for (const QChar c : text)
        if (!c.isSpace()) ink.append(c);
    std::sort(ink.begin(), ink.end());
    return ink;
}

TEST(GridPainter, ThePdfTextLayerGivesBackEveryCellText) {
    const QString texts[] = {QStringLiteral("日月方"),        QStringLiteral("D01"),
                             QStringLiteral("2026年3月10日"), QStringLiteral("当归10g"),
                             QStringLiteral("张三丰"),        QStringLiteral("O'Neil 35岁")};
    for (const QString& name : {QStringLiteral("处方笺.grd"), QStringLiteral("A4.grd")}) {
        SCOPED_TRACE(name.toStdString());
        QTemporaryDir dir;
        DataSource source;
        ASSERT_TRUE(source.loadTemplate(QStringLiteral(RX_TEMPLATE_DIR "/") + name));
        // Into empty cells that are drawn: a cell inside a merged range shows only its anchor.
        const GridTable& t = source.table();
        int k = 0;
        for (int r = 1; r <= t.rows(); ++r)
            for (int c = 1; c <= t.columns() && k < 6; ++c) {
                const auto merge = t.mergeAt(r, c);
                if (t.cell(r, c).text.isEmpty() &&
                    (!merge || (merge->top == r && merge->left == c)))
                    source.setCellText(r, c, texts[k++]);
            }
        ASSERT_EQ(k, 6);
        QString written;
        for (int r = 1; r <= source.table().rows(); ++r)
            for (int c = 1; c <= source.table().columns(); ++c)
                written += source.table().cell(r, c).text;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        ASSERT_TRUE(renderPdf(source.table(), pdf, 300));
        QProcess extract;
        extract.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        ASSERT_TRUE(extract.waitForFinished(60000));
        const QString layer = QString::fromUtf8(extract.readAllStandardOutput());
        EXPECT_EQ(inkCharacters(layer).toStdString(), inkCharacters(written).toStdString());
    }
}

// The largest templates the format takes: a 4 096-character caption at 200
// points over a range of the slip, 100 000 merged ranges, 100 000 cells with
// text and borders, tall and wide. Each loads and prints its one page; the
// caption overflows its cell and stays inside it.
TEST(GridPainter, TheLargestTemplatesLoadAndPrintAPage) {
    QFile slip(kSlip);
    ASSERT_TRUE(slip.open(QIODevice::ReadOnly));
    const QString caption(4096, QChar(u'药'));
    QByteArray merges = "rxgrid 1\nsize 2000 50\n";
    for (int r = 1; r <= 2000; ++r)
        for (int c = 1; c <= 50; ++c)
            merges += QStringLiteral("merge %1,%2\n").arg(r).arg(c).toUtf8();
    const QByteArray filled = "\ncell all text=\"处方笺 12\" border=all\n";
    const std::pair<const char*, QByteArray> templates[] = {
        {"caption", slip.readAll() + "cell 7,1:23,2 text=\"" + caption.toUtf8() + "\" size=200\n"},
        {"merges", merges},
        {"tall", "rxgrid 1\nsize 2000 50" + filled},
        {"wide", "rxgrid 1\nsize 200 500" + filled}};
    QTemporaryDir dir;
    for (const auto& [name, bytes] : templates) {
        GrdError error;
        const std::optional<GridTable> t = parseGrd(bytes, &error);
        ASSERT_TRUE(t) << name << ": " << error.message.toStdString();
        EXPECT_TRUE(
            renderPdf(*t, dir.filePath(QString::fromUtf8(name) + QStringLiteral(".pdf")), 300))
            << name;
    }
    GridTable many = *parseGrd(merges);
    EXPECT_EQ(many.merges().size(), 100000u);
    EXPECT_EQ(many.mergeAt(2000, 50), (CellRange{2000, 50, 2000, 50}));
    EXPECT_FALSE(many.addMerge({1999, 49, 2000, 50}));

    const GridTable withCaption = *parseGrd(templates[0].second);
    const double pxPerMm = 4;
    const QRectF cell = cellRect(withCaption, 7, 1, pxPerMm);
    QImage device(10, 10, QImage::Format_RGB32);
    EXPECT_FALSE(
        fitText(caption, withCaption.cell(7, 1).style, cell.size(), pxPerMm, &device).fits);
    const QImage image = paint(withCaption, pxPerMm);
    EXPECT_GT(darkPixels(image, cell.toRect().adjusted(2, 2, -2, -2)), 20);
    EXPECT_EQ(
        darkPixels(image, cellRect(withCaption, 7, 3, pxPerMm).toRect().adjusted(2, 2, -2, -2)), 0);

    GrdError error;
    EXPECT_FALSE(parseGrd("rxgrid 1\nsize 2000 500\n", &error));
    EXPECT_TRUE(error.message.contains(u"1000000 cells, at most 100000"))
        << error.message.toStdString();
}

TEST(GridView, ScrollsWhenTheTableIsLargerThanTheWidget) {
    DataSource source;
    GenericProvider provider;
    source.drawOn(provider);
    GridView view;
    view.resize(512, 280);
    view.setDataSource(&source);
    view.show();
    // 10 × 10 cells of 20 × 6 mm: wider than the widget, not taller.
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    ASSERT_TRUE(source.loadTemplate(kSlip));  // 132 × 188.5 mm: taller, not wider
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.contentSize().height() - view.viewport()->height(),
              view.verticalScrollBar()->maximum());
    const QImage top = view.viewport()->grab().toImage();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_NE(view.viewport()->grab().toImage(), top);
}

// The print dialog sets the printer's default paper; what prints is still the template's page.
TEST(PrintPreview, PrintsOnTheTemplatesPaperWhateverTheDialogChose) {
    QWidget owner;
    DataSource source;
    ASSERT_TRUE(source.loadTemplate(kSlip));
    PrintPreview preview(source, &owner);
    preview.open();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("slip.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    emit preview.dialog()->paintRequested(&printer);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {printer.outputFileName()});
    ASSERT_TRUE(info.waitForFinished(60000));
    EXPECT_THAT(info.readAllStandardOutput().toStdString(), testing::HasSubstr("pts (A5)"));
    preview.dialog()->close();
}

TEST(PrintPreview, OpensMaximisedWithoutBlockingAndASecondOpenReusesIt) {
    QWidget owner;
    owner.show();
    DataSource source;
    ASSERT_TRUE(source.loadTemplate(kSlip));
    PrintPreview preview(source, &owner);
    EXPECT_FALSE(preview.isOpen());
    preview.open();
    ASSERT_TRUE(preview.isOpen());
    QPrintPreviewDialog* first = preview.dialog();
    EXPECT_TRUE(first->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->printer()->pageLayout().orientation(), QPageLayout::Portrait);
    preview.open();
    EXPECT_EQ(preview.dialog(), first);
    EXPECT_EQ(owner.findChildren<QPrintPreviewDialog*>().size(), 1);
    // Once closed, the next open shows a fresh preview of the current table.
    first->close();
    EXPECT_FALSE(preview.isOpen());
    preview.open();
    EXPECT_TRUE(preview.isOpen());
    EXPECT_EQ(owner.findChildren<QPrintPreviewDialog*>().size(), 1);
}

}  // namespace
