#include <QLabel>
#include <algorithm>

#include "db/drug_recordset.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "tests/forms_entry/entry_fixture.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::EntryWindow;
using rx::test::EntryWindowTest;
using rx::test::typeText;
using rx::ui::MessageLook;
using rx::ui::ShownMessage;

const ShownMessage kLookupFailed{u"不能打开数据表，请与管理员联系！"_s, u"错误信息"_s,
                                 MessageLook::None};

QStringList columnOf(const rx::ui::ReportListView* list, int column = 0) {
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row) texts.append(list->cellText(row, column));
    return texts;
}

QStringList sortedPlainly(QStringList texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

class DrugLookupTest : public EntryWindowTest {
protected:
    // The names the drug database itself gives for a statement, in its order.
    QStringList databaseNames(const QString& sql) {
        rx::db::DrugConnection connection;
        rx::db::DrugRecordset records;
        EXPECT_TRUE(connection.ConnectAccessFile(dir_.path() + u"/data/xs.mdb"_s, QString()));
        records.BindTo(connection);
        QStringList names;
        EXPECT_TRUE(rx::db::readAll(records, sql, [&](rx::db::DrugRecordset& r) {
            names.append(r.ReadText(u"存货名称"_s));
        }));
        return names;
    }

    // Changes the drug database before the window opens, through the driver.
    void changeDrugDatabase(const QString& sql) {
        rx::db::OdbcConnection connection;
        ASSERT_TRUE(connection.Open(u"ODBC;DSN="_s + rx::db::accessDsnName() + u";DBQ="_s +
                                    dir_.path() + u"/data/xs.mdb"_s));
        ASSERT_TRUE(connection.Execute(sql)) << sql.toStdString();
    }

    // The result list shows what the database found, sorted by the list's rule.
    void expectResultsOf(const QString& code) {
        const QStringList shown = columnOf(window_->查询列表框);
        EXPECT_EQ(sortedPlainly(shown), sortedPlainly(databaseNames(rx::db::HerbalLookup(code))))
            << code.toStdString();
        const rx::ui::ListCollation order;
        EXPECT_TRUE(
            std::is_sorted(shown.begin(), shown.end(),
                           [&](const QString& a, const QString& b) { return order.less(a, b); }));
    }

    void key(QWidget* target, Qt::Key k) { QTest::keyClick(target, k); }
    // On the round indicator: the rest of the 100 px wide button is not its face.
    void clickRadio(QRadioButton* radio) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(7, 8));
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
};

TEST_F(DrugLookupTest, EveryKeystrokeLooksUpAndAnEmptyCodeKeepsTheList) {
    EntryWindow& w = open();
    w.编辑框_选择药品->setFocus();
    const QStringList codes{u"D"_s, u"DG"_s, u"DGW"_s};
    for (const QString& code : codes) {
        typeText(w.编辑框_选择药品, code.right(1));
        expectResultsOf(code);
        EXPECT_EQ(focus(), w.编辑框_选择药品);
    }
    EXPECT_EQ(columnOf(w.查询列表框), QStringList{u"当归尾"_s});
    key(w.编辑框_选择药品, Qt::Key_Backspace);
    expectResultsOf(u"DG"_s);
    key(w.编辑框_选择药品, Qt::Key_Backspace);
    expectResultsOf(u"D"_s);
    key(w.编辑框_选择药品, Qt::Key_Backspace);
    expectResultsOf(u"D"_s);  // nothing looked up for the empty box
    EXPECT_GT(w.查询列表框->rowCount(), 10);
    EXPECT_TRUE(shown().empty());
}

TEST_F(DrugLookupTest, NoMatchEmptiesTheListAndPercentListsTheWholeTable) {
    EntryWindow& w = open();
    typeInto(w.编辑框_选择药品, u"D"_s);
    ASSERT_GT(w.查询列表框->rowCount(), 0);
    typeText(w.编辑框_选择药品, u"QXZ"_s);
    EXPECT_EQ(w.查询列表框->rowCount(), 0);
    EXPECT_TRUE(shown().empty());

    w.编辑框_选择药品->clear();
    typeInto(w.编辑框_选择药品, u"%"_s);
    const QStringList all = databaseNames(u"select * from 仓库"_s);
    EXPECT_EQ(w.查询列表框->rowCount(), all.size());
    EXPECT_EQ(sortedPlainly(columnOf(w.查询列表框)), sortedPlainly(all));
    // The database hands the rows over in another order than the list shows.
    EXPECT_NE(columnOf(w.查询列表框), all);
    expectResultsOf(u"%"_s);
}

TEST_F(DrugLookupTest, KeyboardChainFromCodeToDrugListAndBack) {
    EntryWindow& w = open();
    typeInto(w.编辑框_选择药品, u"DGW"_s);
    key(w.编辑框_选择药品, Qt::Key_Down);
    ASSERT_EQ(focus(), w.查询列表框);
    key(w.查询列表框, Qt::Key_Down);
    EXPECT_EQ(w.查询列表框->selectedRow(), 0);
    key(w.查询列表框, Qt::Key_Return);
    EXPECT_EQ(w.编辑框_药品名称->text(), u"当归尾"_s);
    ASSERT_EQ(focus(), w.编辑框_用量);
    typeText(w.编辑框_用量, u"12"_s);
    key(w.编辑框_用量, Qt::Key_Return);
    ASSERT_EQ(focus(), w.按钮1);
    key(w.按钮1, Qt::Key_Return);

    ASSERT_EQ(w.超级列表框1->rowCount(), 1);
    EXPECT_EQ(columnOf(w.超级列表框1, 0), QStringList{u"当归尾"_s});
    EXPECT_EQ(w.超级列表框1->cellText(0, 1), u"12"_s);
    EXPECT_EQ(w.超级列表框1->cellText(0, 2), u"g"_s);
    EXPECT_EQ(w.超级列表框1->cellText(0, 3), u"口服"_s);
    EXPECT_TRUE(w.编辑框_选择药品->text().isEmpty());
    EXPECT_TRUE(w.编辑框_用量->text().isEmpty());
    EXPECT_EQ(w.编辑框_药品名称->text(), u"当归尾"_s);
    EXPECT_EQ(focus(), w.编辑框_选择药品);
    EXPECT_EQ(columnOf(w.查询列表框), QStringList{u"当归尾"_s});  // emptying looked nothing up
}

TEST_F(DrugLookupTest, EnterWithoutSelectedResultEmptiesTheDrugName) {
    EntryWindow& w = open();
    typeInto(w.编辑框_药品名称, u"旧药"_s);
    typeInto(w.编辑框_用量, u"1"_s);
    typeInto(w.编辑框_选择药品, u"DG"_s);
    key(w.编辑框_选择药品, Qt::Key_Down);
    key(w.查询列表框, Qt::Key_Return);
    EXPECT_TRUE(w.编辑框_药品名称->text().isEmpty());
    EXPECT_EQ(focus(), w.编辑框_用量);
    typeText(w.编辑框_用量, u"2"_s);  // a programmatic focus selects nothing, so this adds on
    EXPECT_EQ(w.编辑框_用量->text(), u"12"_s);
}

TEST_F(DrugLookupTest, PickSelectsTheUnitEqualToThePackingOnly) {
    changeDrugDatabase(
        u"INSERT INTO 仓库 (存货编码,存货名称,规格) values ('BAOYAO','包装药','包')"_s);
    EntryWindow& w = open();
    typeInto(w.编辑框_选择药品, u"BAOYAO"_s);
    key(w.编辑框_选择药品, Qt::Key_Down);
    key(w.查询列表框, Qt::Key_Down);
    key(w.查询列表框, Qt::Key_Return);
    EXPECT_EQ(w.编辑框_药品名称->text(), u"包装药"_s);
    EXPECT_EQ(w.组合框_剂量单位->currentText(), u"包"_s);

    // A 规格 that no unit equals leaves the unit as chosen.
    w.编辑框_选择药品->clear();
    typeInto(w.编辑框_选择药品, u"DGW"_s);
    key(w.编辑框_选择药品, Qt::Key_Down);
    key(w.查询列表框, Qt::Key_Down);
    key(w.查询列表框, Qt::Key_Return);
    EXPECT_EQ(w.编辑框_药品名称->text(), u"当归尾"_s);
    EXPECT_EQ(w.组合框_剂量单位->currentText(), u"包"_s);
}

TEST_F(DrugLookupTest, InsertClicksAddRowsAndRightClickDeletesTheClickedRow) {
    EntryWindow& w = open();
    typeInto(w.编辑框_药品名称, u"甘草"_s);
    typeInto(w.编辑框_用量, u"6"_s);
    click(w.按钮1);
    click(w.按钮1);
    EXPECT_EQ(columnOf(w.超级列表框1), (QStringList{u"甘草"_s, u"甘草"_s}));
    EXPECT_EQ(w.编辑框_用量->text(), u"6"_s);  // a click clears nothing

    w.超级列表框1->setCellText(1, 0, u"黄芪"_s);
    w.超级列表框1->insertRow(2, {u"白术"_s, u"9"_s, u"g"_s, u"口服"_s});
    auto* viewport = w.超级列表框1->viewport();
    const QPoint second = w.超级列表框1->visualRect(w.超级列表框1->model()->index(1, 0)).center();
    QTest::mouseClick(viewport, Qt::RightButton, {}, second);
    EXPECT_EQ(columnOf(w.超级列表框1), (QStringList{u"甘草"_s, u"白术"_s}));
    // Without a selected row a right-click off the rows deletes nothing.
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(10, viewport->height() - 5));
    EXPECT_EQ(w.超级列表框1->rowCount(), 2);
    EXPECT_TRUE(shown().empty());
}

TEST_F(DrugLookupTest, ActivatedRowGetsTheFormDrugInsertedBeforeIt) {
    EntryWindow& w = open();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    addDrug(u"甘草"_s, u"6"_s, u"g"_s);
    typeInto(w.编辑框_药品名称, u"黄芪"_s);
    typeInto(w.编辑框_用量, u"15"_s);
    choose(w.组合框_用法, 1);
    const QPoint second = w.超级列表框1->visualRect(w.超级列表框1->model()->index(1, 0)).center();
    QTest::mouseClick(w.超级列表框1->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(w.超级列表框1->viewport(), Qt::LeftButton, {}, second);
    ASSERT_EQ(w.超级列表框1->rowCount(), 3);
    EXPECT_EQ(columnOf(w.超级列表框1), (QStringList{u"当归"_s, u"黄芪"_s, u"甘草"_s}));
    EXPECT_EQ(w.超级列表框1->cellText(1, 1), u"15"_s);
    EXPECT_EQ(w.超级列表框1->cellText(1, 2), u"g"_s);
    EXPECT_EQ(w.超级列表框1->cellText(1, 3), u"外用"_s);
}

TEST_F(DrugLookupTest, OpensInHerbalModeAndRadioButtonsOnlySwitchThePair) {
    EntryWindow& w = open();
    EXPECT_TRUE(w.单选框1->isChecked());
    EXPECT_FALSE(w.单选框2->isChecked());
    EXPECT_TRUE(w.编辑框_选择药品->isVisible() && w.标签_选择药品->isVisible());
    EXPECT_FALSE(w.编辑框_西药->isVisible() || w.标签_西药->isVisible());
    typeInto(w.编辑框_选择药品, u"DG"_s);
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    const QStringList results = columnOf(w.查询列表框);

    clickRadio(w.单选框2);
    EXPECT_TRUE(w.单选框2->isChecked());
    EXPECT_FALSE(w.单选框1->isChecked());
    EXPECT_TRUE(w.编辑框_西药->isVisible() && w.标签_西药->isVisible());
    EXPECT_FALSE(w.编辑框_选择药品->isVisible() || w.标签_选择药品->isVisible());
    clickRadio(w.单选框1);
    EXPECT_TRUE(w.编辑框_选择药品->isVisible());
    EXPECT_EQ(w.编辑框_选择药品->text(), u"DG"_s);
    EXPECT_EQ(columnOf(w.查询列表框), results);
    EXPECT_EQ(w.超级列表框1->rowCount(), 1);
}

TEST_F(DrugLookupTest, WesternModeSearchesWesternDrugsAndKeepsItsCode) {
    EntryWindow& w = open();
    typeInto(w.编辑框_选择药品, u"DG"_s);
    clickRadio(w.单选框2);
    typeInto(w.编辑框_西药, u"AMXL"_s);
    const QStringList western = databaseNames(rx::db::WesternLookup(u"AMXL"_s));
    ASSERT_FALSE(western.isEmpty());
    EXPECT_EQ(sortedPlainly(columnOf(w.查询列表框)), sortedPlainly(western));
    key(w.编辑框_西药, Qt::Key_Down);
    EXPECT_EQ(focus(), w.编辑框_西药);  // Down moves on only from the herbal box

    typeInto(w.编辑框_用量, u"2"_s);
    click(w.按钮_清除);
    EXPECT_TRUE(w.编辑框_选择药品->text().isEmpty());
    EXPECT_TRUE(w.编辑框_用量->text().isEmpty());
    EXPECT_EQ(w.编辑框_西药->text(), u"AMXL"_s);
    EXPECT_EQ(focus(), w.编辑框_西药);               // the hidden herbal box cannot take it
    EXPECT_FALSE(w.编辑框_西药->hasSelectedText());  // the next key must not replace the code

    typeInto(w.编辑框_选择药品, u"DG"_s);  // typed while hidden, as a program would set it
    w.按钮1->setFocus();
    key(w.按钮1, Qt::Key_Return);
    EXPECT_TRUE(w.编辑框_选择药品->text().isEmpty());
    EXPECT_EQ(w.编辑框_西药->text(), u"AMXL"_s);
    EXPECT_EQ(w.超级列表框1->rowCount(), 1);
}

// Both builds side by side in one process, on the same files: the host-linked
// EntryWindow has no 按钮3, only "g" for the dose unit, and no western lookup.
TEST_F(DrugLookupTest, BothBuildsSideBySide) {
    EntryWindow& standalone = open();
    rx::test::TestProgram hostProgram(dir_.path(), rx::Build::HostLinked);
    EntryWindow hostLinked(hostProgram.context());
    hostLinked.show();

    struct Build {
        EntryWindow* window;
        bool hasThirdButton;
        QStringList units;
        bool looksUpWestern;
    };
    for (const Build& b : {Build{&standalone, true, {u"g"_s, u"包"_s}, true},
                           Build{&hostLinked, false, {u"g"_s}, false}}) {
        EntryWindow& w = *b.window;
        EXPECT_EQ(w.findChild<QPushButton*>(u"按钮3"_s) != nullptr, b.hasThirdButton);
        QStringList units;
        for (int i = 0; i < w.组合框_剂量单位->count(); ++i)
            units << w.组合框_剂量单位->itemText(i);
        EXPECT_EQ(units, b.units);
        EXPECT_EQ(w.组合框_剂量单位->currentText(), u"g"_s);
        clickRadio(w.单选框2);
        typeInto(w.编辑框_西药, u"AMXL"_s);
        EXPECT_EQ(w.查询列表框->rowCount() > 0, b.looksUpWestern);
        typeInto(w.编辑框_选择药品, u"DGW"_s);  // the herbal lookup runs in both
        EXPECT_EQ(w.查询列表框->rowCount(), 1);
    }
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(hostProgram.shown().empty());
}

// A code set again, the same as it was, still looks up: the other box's lookup
// in between filled the shared result list with its own drugs.
TEST_F(DrugLookupTest, SettingEitherCodeAgainLooksUpAgain) {
    EntryWindow& w = open();
    w.编辑框_选择药品->setText(u"DG"_s);
    const QStringList herbal = columnOf(w.查询列表框);
    w.编辑框_西药->setText(u"AMXL"_s);
    const QStringList western = columnOf(w.查询列表框);
    ASSERT_FALSE(herbal.isEmpty() || western.isEmpty() || herbal == western);
    const std::pair<rx::ui::EditBox*, QStringList> boxes[] = {
        {w.编辑框_选择药品, herbal}, {w.编辑框_西药, western}, {w.编辑框_选择药品, herbal}};
    for (const auto& [box, results] : boxes) {
        box->setText(box->text());
        EXPECT_EQ(columnOf(w.查询列表框), results) << box->objectName().toStdString();
    }
    EXPECT_TRUE(shown().empty());
}

TEST_F(DrugLookupTest, FailedLookupReportsEachTimeAndKeepsFailingInBothModes) {
    changeDrugDatabase(u"DROP TABLE 西药"_s);
    EntryWindow& w = open();
    typeInto(w.编辑框_选择药品, u"DGW"_s);
    ASSERT_EQ(w.查询列表框->rowCount(), 1);
    clickRadio(w.单选框2);
    typeInto(w.编辑框_西药, u"A"_s);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{kLookupFailed});
    EXPECT_EQ(w.查询列表框->rowCount(), 1);  // the list keeps what it showed
    EXPECT_FALSE(w.查询数据库连接.IsOpen());
    typeText(w.编辑框_西药, u"M"_s);
    clickRadio(w.单选框1);
    typeInto(w.编辑框_选择药品, u"D"_s);
    EXPECT_EQ(shown(), (std::vector<ShownMessage>{kLookupFailed, kLookupFailed, kLookupFailed}));
    EXPECT_EQ(columnOf(w.查询列表框), QStringList{u"当归尾"_s});
}

// A whole visit without the mouse, from New visit to the saved row.
TEST_F(DrugLookupTest, FullVisitByKeyboardSavesTheDrugsAsHerbalText) {
    EntryWindow& w = open();
    click(w.按钮_接诊);
    fillRequired();
    choose(w.组合框_年龄单位, 0);
    choose(w.组合框_频率, 2);
    choose(w.组合框_用法, 0);
    struct Drug {
        QString code;
        QString dose;
    };
    const Drug drugs[] = {{u"DGW"_s, u"10"_s}, {u"GC"_s, u"6"_s}, {u"DG"_s, u"9"_s}};
    w.编辑框_选择药品->setFocus(Qt::TabFocusReason);
    QStringList picked;
    for (const Drug& d : drugs) {
        typeText(focus(), d.code);
        key(focus(), Qt::Key_Down);
        key(focus(), Qt::Key_Down);  // the first result
        picked.append(w.查询列表框->cellText(0, 0));
        key(focus(), Qt::Key_Return);
        typeText(focus(), d.dose);
        key(focus(), Qt::Key_Return);
        key(focus(), Qt::Key_Return);
        ASSERT_EQ(focus(), w.编辑框_选择药品);
    }
    ASSERT_EQ(w.超级列表框1->rowCount(), 3);
    click(w.按钮_保存);
    EXPECT_EQ(
        shown(),
        (std::vector<ShownMessage>{{u"添加资料成功"_s, u"提示信息"_s, MessageLook::Information}}));
    const QString expected = picked[0] + u"10g,"_s + picked[1] + u"6g,"_s + picked[2] + u"9g,"_s;
    const std::vector<rx::test::Row> rows = savedRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][12], expected);
    EXPECT_EQ(w.编辑框_中药处方->toPlainText(), expected);
}

}  // namespace
