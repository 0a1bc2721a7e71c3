// The patient index in both builds side by side: the host-linked window takes
// the patient from the host frame with 快捷, and its Enter keys differ.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "forms/patient_index/patient_index_layout.h"
#include "forms/patient_index/patient_index_window.h"
#include "platform/host/host_import.h"
#include "platform/text/gb18030.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"
#include "tests/support/typing.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::PatientIndexWindow;
using rx::host::FakeHost;

std::string gb(const char* utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}

// A host frame with the patient's four fields.
void addFrame(FakeHost& host) {
    rx::host::Window w = host.addFrame(rx::host::kFrameClass, rx::host::frameTitle());
    for (int step : rx::host::kPathSteps) w = host.addControl(w, step);
    host.addControl(w, rx::host::kNameControl, gb("张小花"));
    const char* pieces[] = {"头痛", "三天", "，低热"};
    for (int i = 0; i < 3; ++i) host.addControl(w, rx::host::kComplaintControls[i], gb(pieces[i]));
}

class HostLinkedIndex : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.createPrescriptionDatabase()); }
    std::unique_ptr<PatientIndexWindow> open(rx::test::TestProgram& program) {
        auto w = std::make_unique<PatientIndexWindow>(program.context(), nullptr);
        w->show();
        QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return w;
    }
    // 首拼 of every row of 检索, as stored.
    QStringList storedInitials() {
        rx::db::OdbcConnection connection;
        EXPECT_TRUE(connection.Open(rx::db::prescriptionConnectionText(dir_.path())));
        QStringList initials;
        const int handle = connection.Query(u"select 首拼 from 检索"_s);
        for (connection.MoveFirst(handle); !connection.AtEnd(handle); connection.MoveNext(handle))
            initials.append(rx::db::valueText(connection.ReadColumn(handle, 1)));
        connection.CloseResult(handle);
        return initials;
    }
    rx::test::TempProgramDir dir_;
};

TEST_F(HostLinkedIndex, QuickButtonOnlyInTheHostLinkedBuildAndFromTheFrame) {
    rx::test::TestProgram standalone(dir_.path());
    EXPECT_EQ(open(standalone)->findChild<QPushButton*>(u"按钮_快捷"_s), nullptr);

    struct Case {
        const char* what;
        bool frameOpen;
        QString name, initials, complaint;
    };
    const Case cases[] = {
        {"frame open", true, u"张小花"_s, u"ZXH"_s, u"头痛三天，低热"_s},
        {"no frame", false, u" "_s, u" "_s, u"   "_s},
    };
    for (const Case& c : cases) {
        FakeHost host;
        if (c.frameOpen) addFrame(host);
        rx::test::TestProgram program(dir_.path(), rx::Build::HostLinked);
        program.context().withHost(host);
        auto w = open(program);
        ASSERT_NE(w->按钮_快捷, nullptr);
        EXPECT_EQ(rx::test::layoutFaults(&*w, rx::patient_index_layout::kLayout, true), "");
        w->编辑框_姓名->setFocus();
        QTest::mouseClick(w->按钮_快捷, Qt::LeftButton);
        EXPECT_EQ(w->编辑框_姓名->text(), c.name) << c.what;
        EXPECT_EQ(w->编辑框2->text(), c.initials) << c.what;
        EXPECT_EQ(w->编辑框_主诉->toPlainText(), c.complaint) << c.what;
        EXPECT_TRUE(program.shown().empty()) << c.what;
    }
}

// The host's patient is the one already typed: setting the same name still
// rebuilds the initials, so the hand-typed ones are not stored.
TEST_F(HostLinkedIndex, QuickButtonWithTheTypedNameStillRebuildsTheInitials) {
    FakeHost host;
    rx::host::Window w = host.addFrame(rx::host::kFrameClass, rx::host::frameTitle());
    for (int step : rx::host::kPathSteps) w = host.addControl(w, step);
    host.addControl(w, rx::host::kNameControl, gb("李建国"));
    rx::test::TestProgram program(dir_.path(), rx::Build::HostLinked);
    program.context().withHost(host);
    auto index = open(program);
    index->编辑框_姓名->setFocus();
    rx::test::typeText(index->编辑框_姓名, u"李建国"_s);
    index->编辑框2->setFocus();
    index->编辑框2->selectAll();
    rx::test::typeText(index->编辑框2, u"XYZ"_s);
    QTest::mouseClick(index->按钮_快捷, Qt::LeftButton);
    EXPECT_EQ(index->编辑框2->text(), u"LJG"_s);
    QTest::mouseClick(index->按钮1, Qt::LeftButton);
    ASSERT_EQ(program.shown().size(), 1u);
    EXPECT_EQ(program.shown()[0].text, u"添加资料成功"_s);
    EXPECT_EQ(storedInitials(), QStringList{u"LJG"_s});
}

TEST_F(HostLinkedIndex, EnterInTheNameSavesAtOnceAndTheComplaintTakesNewLines) {
    FakeHost host;
    addFrame(host);
    rx::test::TestProgram program(dir_.path(), rx::Build::HostLinked);
    program.context().withHost(host);
    auto w = open(program);
    QTest::mouseClick(w->按钮_快捷, Qt::LeftButton);
    w->编辑框_姓名->setFocus();
    QTest::keyClick(w->编辑框_姓名, Qt::Key_Return);
    ASSERT_EQ(program.shown().size(), 1u);
    EXPECT_EQ(program.shown()[0].text, u"添加资料成功"_s);
    EXPECT_TRUE(w->编辑框_姓名->text().isEmpty());
    EXPECT_TRUE(w->编辑框2->text().isEmpty());
    EXPECT_EQ(w->编辑框_主诉->toPlainText(), u"头痛三天，低热"_s);
    EXPECT_EQ(QApplication::focusWidget(), w->编辑框_姓名);

    w->编辑框_主诉->setFocus();
    w->编辑框_主诉->moveCursor(QTextCursor::End);
    QTest::keyClick(w->编辑框_主诉, Qt::Key_Return);
    EXPECT_EQ(w->编辑框_主诉->toPlainText(), u"头痛三天，低热\n"_s);
    EXPECT_EQ(program.shown().size(), 1u);  // no add from the complaint
}

}  // namespace
