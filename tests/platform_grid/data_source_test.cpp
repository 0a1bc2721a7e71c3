// The data source: provider's empty table, template loads that fail without
// touching the table, and 1-based writes that ignore cells outside it.
#include "platform/grid/data_source.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <vector>

#include "platform/grid/grd_format.h"

namespace {

using namespace rx::grid;

const QString kSlip = QStringLiteral(RX_TEMPLATE_DIR "/处方笺.grd");

class DataSourceTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        source.drawOn(provider);
    }
    QString write(const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QTemporaryDir dir;
    GenericProvider provider;
    DataSource source;
};

TEST_F(DataSourceTest, StartsAsTheProvidersEmptyTenByTen) {
    EXPECT_EQ(source.table(), GridTable(10, 10));
    EXPECT_EQ(source.table().rows(), 10);
    EXPECT_EQ(source.table().columns(), 10);
}

TEST_F(DataSourceTest, FailedLoadsLeaveTheTableAsItWas) {
    const QString unreadable = write("locked.grd", "rxgrid 1\nsize 30 30\n");
    QFile::setPermissions(unreadable, QFileDevice::Permissions());
    // Root reads it all the same; then it stands for a good file and is left out.
    const bool locked = !QFile(unreadable).open(QIODevice::ReadOnly);
    std::vector<QString> paths = {
        dir.filePath(QStringLiteral("missing.grd")),
        write("malformed.grd", "rxgrid 1\nsize 30 30\ncell 31,1 text=x\n"),
        write("binary.grd", QByteArray("\x00\xFF\xFE rxgrid", 10)),
        write("empty.grd", ""),
        dir.path(),  // a folder, not a file
    };
    if (locked) paths.push_back(unreadable);
    source.setCellText(2, 3, QStringLiteral("kept"));
    const GridTable before = source.table();
    for (const QString& path : paths) {
        EXPECT_FALSE(source.loadTemplate(path)) << qPrintable(path);
        EXPECT_EQ(source.table(), before) << qPrintable(path);
    }
    // Also after a good load: a bad one does not fall back to the empty table.
    ASSERT_TRUE(source.loadTemplate(kSlip));
    const GridTable loaded = source.table();
    for (const QString& path : paths) EXPECT_FALSE(source.loadTemplate(path));
    EXPECT_EQ(source.table(), loaded);
}

TEST_F(DataSourceTest, WritesAreOneBasedAndIgnoredOutsideTheTable) {
    QSignalSpy changed(&source, &DataSource::changed);
    source.setCellText(1, 1, QStringLiteral("top left"));
    source.setCellText(10, 10, QStringLiteral("bottom right"));
    EXPECT_EQ(changed.count(), 2);
    const GridTable inside = source.table();
    for (auto [r, c] : {std::pair{0, 1}, {1, 0}, {11, 1}, {1, 11}, {-1, -1}, {4, 15}, {23, 15}})
        source.setCellText(r, c, QStringLiteral("lost"));
    EXPECT_EQ(source.table(), inside);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(source.cellText(1, 1), QStringLiteral("top left"));
    EXPECT_EQ(source.cellText(10, 10), QStringLiteral("bottom right"));
    EXPECT_EQ(source.cellText(11, 1), QString());
}

TEST_F(DataSourceTest, LoadingATemplateReplacesEverythingAndTwiceGivesTheSameGrid) {
    source.setCellText(3, 3, QStringLiteral("earlier print"));
    ASSERT_TRUE(source.loadTemplate(kSlip));
    const GridTable first = source.table();
    EXPECT_EQ(first.rows(), 27);
    EXPECT_TRUE(first.text(3, 3).isEmpty());
    source.setCellText(7, 3, QStringLiteral("当归10g"));
    ASSERT_TRUE(source.loadTemplate(kSlip));
    EXPECT_EQ(source.table(), first);
}

}  // namespace
