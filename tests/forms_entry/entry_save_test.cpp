#include <QRegularExpression>
#include <QTimer>

#include "forms/patient_index/patient_index_layout.h"
#include "forms/query/query_layout.h"
#include "tests/forms_entry/entry_fixture.h"
#include "tests/platform_ui/layout_check.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::EntryWindow;
using rx::test::clientSize;
using rx::test::EntryWindowTest;
using rx::test::typeText;
using rx::ui::MessageLook;
using rx::ui::ShownMessage;

ShownMessage friendly(const QString& text) {
    return {text, u"友情提示"_s, MessageLook::Question};
}
ShownMessage info(const QString& text) {
    return {text, u"提示信息"_s, MessageLook::Information};
}

TEST(HerbalPrescriptionText, RunsThreeCellsTogetherWithACommaPerRow) {
    EXPECT_EQ(rx::db::herbalPrescriptionText({{u"当归"_s, u"10"_s, u"g"_s, u"口服"_s},
                                              {u"甘草"_s, u"6"_s, u"g"_s, u"外用"_s}}),
              u"当归10g,甘草6g,"_s);
    EXPECT_EQ(rx::db::herbalPrescriptionText({{QString(), QString(), QString(), u"口服"_s}}),
              u","_s);
    EXPECT_EQ(rx::db::herbalPrescriptionText({}), QString());
}

TEST_F(EntryWindowTest, FullSaveWritesEverySixteenValuesInOrder) {
    EntryWindow& w = open();
    fillRequired();
    w.编辑框_住址->clear();
    typeInto(w.编辑框_住址, u"北京路1号"_s);
    typeInto(w.组合框_新纪录, u"是"_s);
    typeInto(w.组合框_备注, u"禾川3号"_s);
    typeInto(w.编辑框_备注2, u"复诊"_s);
    choose(w.组合框_用法, 1);
    choose(w.组合框_剂量单位, 1);
    w.日期框1->setDate(QDate(2016, 1, 5));
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    addDrug(u"甘草"_s, u"6"_s, u"包"_s);
    click(w.按钮_保存);

    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料成功"_s)});
    const QString number = w.编辑框_处方号->text();
    ASSERT_TRUE(QRegularExpression(u"^\\d{14}$"_s).match(number).hasMatch())
        << number.toStdString();
    const QDateTime stamp = QDateTime::fromString(number, u"yyyyMMddHHmmss"_s);
    ASSERT_TRUE(stamp.isValid());
    EXPECT_LE(qAbs(stamp.secsTo(QDateTime::currentDateTime())), 5);
    EXPECT_EQ(w.编辑框_中药处方->toPlainText(), u"当归10g,甘草6包,"_s);

    const std::vector<rx::test::Row> rows = savedRows();
    ASSERT_EQ(rows.size(), 1u);
    const rx::test::Row expected{u"张三"_s,
                                 u"男"_s,
                                 u"35"_s,
                                 u"岁"_s,
                                 u"北京路1号"_s,
                                 u"感冒"_s,
                                 u"2016年1月5日"_s,
                                 number,
                                 u"每天三次"_s,
                                 u"外用"_s,
                                 u"包"_s,
                                 u"咳嗽三天"_s,
                                 u"当归10g,甘草6包,"_s,
                                 u"禾川3号"_s,
                                 u"复诊"_s,
                                 u"是"_s};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(rows[0][i], expected[i]) << "value " << i + 1;
    // Nothing is reset after a save.
    EXPECT_EQ(w.编辑框_姓名->text(), u"张三"_s);
    EXPECT_EQ(w.超级列表框1->rowCount(), 2);
}

// Each check fires in turn while the fields before it are filled.
TEST_F(EntryWindowTest, ChecksFireInOrderAndStillRenewNumberAndEmptyHerbalText) {
    EntryWindow& w = open();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    w.组合框_年龄单位->setCurrentIndex(-1);
    w.组合框_频率->setCurrentIndex(-1);
    w.组合框_用法->setCurrentIndex(-1);
    struct Step {
        QString message;
        std::function<void()> fill;
    };
    const Step steps[] = {
        {u"请输入姓名"_s, [&] { typeInto(w.编辑框_姓名, u"王五"_s); }},
        {u"请选择性别"_s, [&] { typeInto(w.组合框_性别, u"女"_s); }},
        {u"请输入年龄"_s, [&] { typeInto(w.编辑框_年龄, u"7"_s); }},
        {u"请选择年月天"_s, [&] { choose(w.组合框_年龄单位, 2); }},
        {u"请输入疾病名称"_s, [&] { typeInto(w.编辑框_诊断, u"发热"_s); }},
        {u"请选择频率"_s, [&] { choose(w.组合框_频率, 0); }},
        {u"请选择用法"_s, [&] { choose(w.组合框_用法, 0); }},
        {u"请输入现病史"_s, [&] { typeInto(w.编辑框_现病史, u"两天"_s); }},
    };
    for (const Step& step : steps) {
        program_.clearShown();
        w.编辑框_中药处方->setPlainText(u"手写的处方"_s);
        w.编辑框_处方号->setText(u"旧号"_s);
        w.编辑框_姓名->setFocus();
        click(w.按钮_保存);
        EXPECT_EQ(shown(), std::vector<ShownMessage>{friendly(step.message)});
        EXPECT_TRUE(w.编辑框_中药处方->toPlainText().isEmpty()) << step.message.toStdString();
        EXPECT_EQ(w.编辑框_处方号->text().size(), 14) << step.message.toStdString();
        step.fill();
    }
    EXPECT_TRUE(savedRows().empty());
    program_.clearShown();
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料成功"_s)});
    ASSERT_EQ(savedRows().size(), 1u);
    EXPECT_EQ(savedRows()[0][3], u"天"_s);
}

TEST_F(EntryWindowTest, EmptyDrugListAsksForOtherAndWritesNothing) {
    EntryWindow& w = open();
    fillRequired();
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{friendly(u"请输入其他"_s)});
    EXPECT_TRUE(w.编辑框_中药处方->toPlainText().isEmpty());
    EXPECT_EQ(w.编辑框_处方号->text().size(), 14);
    EXPECT_TRUE(savedRows().empty());
}

TEST_F(EntryWindowTest, BlanksAndEmptyDrugCellsPassAndAreStoredAsTyped) {
    EntryWindow& w = open();
    fillRequired();
    w.编辑框_诊断->clear();
    typeInto(w.编辑框_诊断, u"  "_s);
    addDrug(QString(), QString(), QString());
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料成功"_s)});
    ASSERT_EQ(savedRows().size(), 1u);
    EXPECT_EQ(savedRows()[0][5], u"  "_s);
    EXPECT_EQ(savedRows()[0][12], u","_s);
    // Left alone, the address keeps its first text, and it is saved.
    EXPECT_EQ(savedRows()[0][4], u"请输入地址"_s);
}

TEST_F(EntryWindowTest, NameWithSingleQuoteIsSavedAndReadBack) {
    EntryWindow& w = open();
    fillRequired();
    w.编辑框_姓名->clear();
    typeInto(w.编辑框_姓名, u"O'Neil"_s);
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料成功"_s)});
    ASSERT_EQ(savedRows().size(), 1u);
    EXPECT_EQ(savedRows()[0][0], u"O'Neil"_s);
}

// Nothing the doctor pastes is cut short on the way to the database, whatever
// its length or characters.
TEST_F(EntryWindowTest, LongTextsAndRareCharactersAreStoredWhole) {
    EntryWindow& w = open();
    fillRequired();
    const QString address = QString(40000, u'路') + u"𠀀"_s;
    w.编辑框_住址->setText(address);
    w.组合框_备注->setEditText(QString(33000, u'x'));
    w.编辑框_姓名->clear();
    typeInto(w.编辑框_姓名, u"王𠀀䶵"_s);
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料成功"_s)});
    const std::vector<rx::test::Row> rows = savedRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], u"王𠀀䶵"_s);
    EXPECT_EQ(rows[0][4], address);
    EXPECT_EQ(rows[0][13].size(), 33000);
}

TEST_F(EntryWindowTest, TwoSavesInOneSecondGiveTwoRowsWithOneNumber) {
    EntryWindow& w = open();
    fillRequired();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    // A clock standing still puts both saves into one second on any machine.
    program_.fixClock(QDateTime(QDate(2024, 5, 3), QTime(9, 30, 15)));
    click(w.按钮_保存);
    const QString first = w.编辑框_处方号->text();
    click(w.按钮_保存);
    const QString second = w.编辑框_处方号->text();
    const std::vector<rx::test::Row> rows = savedRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(rows[0][7], first);
    EXPECT_EQ(rows[1][7], first);
}

TEST_F(EntryWindowTest, NewVisitEmptiesTheFormAndAsksForTheListsAgain) {
    EntryWindow& w = open();
    fillRequired();
    typeInto(w.编辑框_药品名称, u"当归"_s);
    typeInto(w.编辑框_选择药品, u"dg"_s);
    typeInto(w.编辑框_用量, u"10"_s);
    typeInto(w.组合框_备注, u"禾川1号"_s);
    typeInto(w.组合框_新纪录, u"否"_s);
    choose(w.组合框_剂量单位, 1);
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    click(w.按钮_保存);
    program_.clearShown();

    click(w.按钮_接诊);
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{
             w.编辑框_姓名, w.编辑框_年龄, w.编辑框_住址, w.编辑框_诊断, w.编辑框_处方号,
             w.编辑框_选择药品, w.编辑框_用量, w.编辑框_备注2})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    for (QComboBox* c :
         {w.组合框_性别, w.组合框_年龄单位, w.组合框_频率, w.组合框_用法, w.组合框_备注})
        EXPECT_TRUE(c->currentText().isEmpty()) << c->objectName().toStdString();
    EXPECT_TRUE(w.编辑框_现病史->toPlainText().isEmpty());
    EXPECT_TRUE(w.编辑框_中药处方->toPlainText().isEmpty());
    // Left as they were.
    EXPECT_EQ(w.编辑框_药品名称->text(), u"当归"_s);
    EXPECT_EQ(w.组合框_剂量单位->currentText(), u"包"_s);
    EXPECT_EQ(w.组合框_新纪录->currentText(), u"否"_s);
    EXPECT_TRUE(shown().empty());

    fillRequired();
    addDrug(u"甘草"_s, u"6"_s, u"g"_s);
    click(w.按钮_保存);
    choose(w.组合框_年龄单位, 0);
    click(w.按钮_保存);
    choose(w.组合框_频率, 2);
    click(w.按钮_保存);
    const std::vector<ShownMessage> expected{friendly(u"请选择年月天"_s), friendly(u"请选择频率"_s),
                                             friendly(u"请选择用法"_s)};
    EXPECT_EQ(shown(), expected);
}

TEST_F(EntryWindowTest, MissingPrescriptionDatabaseShowsOnlyAsFailedSave) {
    removeDataFile(u"sj.accdb"_s);
    EntryWindow& w = open();
    EXPECT_TRUE(shown().empty());
    fillRequired();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    rx::test::LogCapture log;
    click(w.按钮_保存);
    EXPECT_EQ(shown(), std::vector<ShownMessage>{info(u"添加资料失败"_s)});
    EXPECT_EQ(w.编辑框_姓名->text(), u"张三"_s);
    EXPECT_EQ(endedWith(), -1);
    // The administrator's log says why: the connection's own failure.
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(u"基本资料"_s)) << log.lines()[0].toStdString();
    EXPECT_TRUE(log.lines()[0].contains(u"SQLSTATE "_s)) << log.lines()[0].toStdString();
}

TEST_F(EntryWindowTest, MissingDrugDatabaseStopsAndEndsTheProgram) {
    removeDataFile(u"xs.mdb"_s);
    open();
    const std::vector<ShownMessage> expected{
        {u"无法连接数据库，请与系统管理员联系！"_s, u"提示信息"_s, MessageLook::Stop}};
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(endedWith(), 0);
}

TEST_F(EntryWindowTest, ExitEndsAtOnceWithoutQuestion) {
    EntryWindow& w = open();
    typeInto(w.编辑框_姓名, u"张三"_s);
    click(w.按钮_退出);
    EXPECT_EQ(endedWith(), 0);
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(savedRows().empty());
}

TEST_F(EntryWindowTest, QueryButtonOpensOneModelessWindowAndRaisesItAgain) {
    EntryWindow& w = open();
    click(w.按钮_处方查询);
    std::vector<QWidget*> queries;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == u"QueryWindow"_s && top->isVisible()) queries.push_back(top);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0]->size(), clientSize(rx::query_layout::kLayout));
    EXPECT_FALSE(queries[0]->isModal());
    EXPECT_EQ(queries[0]->parentWidget(), nullptr);
    QApplication::setActiveWindow(&w);
    click(w.按钮_处方查询);
    int visible = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == u"QueryWindow"_s && top->isVisible()) ++visible;
    EXPECT_EQ(visible, 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(queries[0]));
}

TEST_F(EntryWindowTest, PatientIndexButtonOpensAModalWindow) {
    EntryWindow& w = open();
    QSize size;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == u"PatientIndexWindow"_s && top->isVisible()) {
                size = top->size();
                modal = top->isModal();
                top->close();
            }
    });
    click(w.按钮2);
    EXPECT_EQ(size, clientSize(rx::patient_index_layout::kLayout));
    EXPECT_TRUE(modal);
}

}  // namespace

// Whatever a doctor types or pastes into the free-text fields is stored as it
// stands, or the save fails with its own message: never shortened, never
// changed, never a crash. A NUL is refused, since a clinic's server cannot keep one.
TEST_F(EntryWindowTest, HostileTextsInEveryFreeTextFieldAreStoredExactly) {
    QString longText;
    while (longText.size() < 100000) longText += u"路𠮷a'%_"_s;
    const struct {
        const char* name;
        QString text;
        bool refused = false;
    } cases[] = {
        {"quotes, wildcards and brackets", u"O'Neil '' %_[!a-c]* \"x\" --;"_s},
        {"control characters", u"a\tb"_s + QChar(1) + u"c"_s + QChar(0x7f) + u"d"_s},
        {"a pasted NUL", u"a"_s + QChar(0) + u"b"_s, true},
        {"characters outside GBK", u"𠮷😀䶵€\uFFFD"_s},
        {"100 000 characters", longText},
    };
    std::size_t saved = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EntryWindow& w = open();
        fillRequired();
        // Each field gets its own variant, so that a value landing in the wrong
        // column shows.
        const auto variant = [&](int field) { return QString::number(field) + c.text; };
        w.编辑框_姓名->setText(variant(0));
        w.编辑框_住址->setText(variant(4));
        w.编辑框_诊断->setText(variant(5));
        w.编辑框_现病史->setPlainText(variant(11));
        w.组合框_备注->setEditText(variant(13));
        w.编辑框_备注2->setText(variant(14));
        addDrug(u"当归"_s, u"10"_s, u"g"_s);
        click(w.按钮_保存);
        ASSERT_FALSE(shown().empty());
        if (c.refused) {
            EXPECT_EQ(shown().back(), info(u"添加资料失败"_s));
            EXPECT_EQ(savedRows().size(), saved);
            continue;
        }
        EXPECT_EQ(shown().back(), info(u"添加资料成功"_s));
        const std::vector<rx::test::Row> rows = savedRows();
        ASSERT_EQ(rows.size(), ++saved);
        for (int field : {0, 4, 5, 11, 13, 14})
            EXPECT_EQ(rows.back()[field], variant(field)) << "column " << field;
    }
}
