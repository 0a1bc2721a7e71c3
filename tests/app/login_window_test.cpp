#include "forms/login/login_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <memory>

#include "app/startup.h"
#include "forms/entry/entry_window.h"
#include "forms/login/login_layout.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/message_box.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"
#include "tests/support/text_fit.h"
#include "tests/support/typing.h"

namespace {

using rx::LoginWindow;
using rx::ui::MessageLook;
using rx::ui::ShownMessage;

const QString kMissing = QStringLiteral("姓名或密码不能为空！");
const QString kRefused = QStringLiteral("登陆失败！");
const QString kTitle = QStringLiteral("信息：");

class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A real program directory, so that the entry window opened by a
        // successful login finds its databases.
        ASSERT_TRUE(dir_.createPrescriptionDatabase());
        ASSERT_TRUE(dir_.createDrugDatabase({{"DG", "当归", "片 1kg/袋"}}));
        window_ = new LoginWindow(program_.context());
        window_->show();
        QApplication::setActiveWindow(window_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_) || window_->isVisible());
        window_->编辑框1->setFocus();
    }
    void TearDown() override {
        delete window_.data();
        // Guarded: deleting one window may take windows it owns with it.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<rx::ui::FixedWindow*>(w)) windows.push_back(w);
        for (const QPointer<QWidget>& w : windows) delete w.data();
    }

    void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        rx::test::typeText(edit, text);
    }

    void attempt(const QString& user, const QString& password) {
        typeInto(window_->编辑框1, user);
        typeInto(window_->编辑框2, password);
        QTest::mouseClick(window_->按钮1, Qt::LeftButton);
    }

    rx::test::TempProgramDir dir_;
    rx::test::TestProgram program_{dir_.path()};
    QPointer<LoginWindow> window_;
};

TEST_F(LoginWindowTest, CreatedWindowHasTitleAndFixedClientArea) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("门诊处方登陆"));
    EXPECT_EQ(rx::test::layoutFaults(window_.data(), rx::login_layout::kLayout, false), "");
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
    EXPECT_FALSE(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window_->透明标签1->autoFillBackground());
    EXPECT_FALSE(window_->windowIcon().isNull());
}

// Every failed attempt shows one box, puts the focus back in the user field and
// keeps both texts; empty fields are reported before the code is compared.
TEST_F(LoginWindowTest, FailedAttemptsShowTheirMessageAndKeepTheTexts) {
    struct Case {
        const char* name;
        QString user, password;
        const QString& message;
    };
    const Case cases[] = {
        {"both empty", {}, {}, kMissing},
        {"password empty", QStringLiteral("794"), {}, kMissing},
        {"user empty", {}, QStringLiteral("794"), kMissing},
        {"trailing space", QStringLiteral("794 "), QStringLiteral("794"), kRefused},
        {"full-width digits", QStringLiteral("７９４"), QStringLiteral("794"), kRefused},
        {"wrong password", QStringLiteral("794"), QStringLiteral("795"), kRefused},
        {"leading zero", QStringLiteral("0794"), QStringLiteral("794"), kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_->编辑框1->clear();
        window_->编辑框2->clear();
        program_.clearShown();
        attempt(c.user, c.password);
        ASSERT_EQ(program_.shown().size(), 1u);
        EXPECT_EQ(program_.shown()[0], (ShownMessage{c.message, kTitle, MessageLook::None}));
        EXPECT_EQ(QApplication::focusWidget(), window_->编辑框1);
        EXPECT_EQ(window_->编辑框1->text(), c.user);
        EXPECT_EQ(window_->编辑框2->text(), c.password);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window_);
    }
}

TEST_F(LoginWindowTest, EnterInUserFieldOnlyMovesTheFocus) {
    typeInto(window_->编辑框2, QStringLiteral("794"));
    typeInto(window_->编辑框1, QStringLiteral("794"));
    QTest::keyClick(window_->编辑框1, Qt::Key_Return);
    EXPECT_TRUE(program_.shown().empty());
    EXPECT_EQ(QApplication::focusWidget(), window_->编辑框2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window_);
}

TEST_F(LoginWindowTest, EnterInPasswordFieldActsAsTheButton) {
    typeInto(window_->编辑框1, QStringLiteral("794"));
    typeInto(window_->编辑框2, QStringLiteral("793"));
    QTest::keyClick(window_->编辑框2, Qt::Key_Enter, Qt::KeypadModifier);  // keypad Enter too
    ASSERT_EQ(program_.shown().size(), 1u);
    EXPECT_EQ(program_.shown()[0].text, kRefused);
    EXPECT_EQ(QApplication::focusWidget(), window_->编辑框1);
}

TEST_F(LoginWindowTest, PasswordShowsOnlyAsterisksButYieldsTheTypedText) {
    typeInto(window_->编辑框2, QStringLiteral("7a9中"));
    EXPECT_EQ(window_->编辑框2->displayText(), QStringLiteral("****"));
    EXPECT_EQ(window_->编辑框2->text(), QStringLiteral("7a9中"));
}

TEST_F(LoginWindowTest, SuccessLeavesExactlyTheEntryWindow) {
    typeInto(window_->编辑框1, QStringLiteral("794"));
    typeInto(window_->编辑框2, QStringLiteral("794"));
    QTest::keyClick(window_->编辑框2, Qt::Key_Return);
    // The login window goes only after the current event has been handled.
    EXPECT_TRUE(window_);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window_);

    QList<rx::ui::FixedWindow*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* fixed = qobject_cast<rx::ui::FixedWindow*>(w)) windows.push_back(fixed);
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(qobject_cast<rx::EntryWindow*>(windows[0]));
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(rx::ui::FixedWindow::liveWindows(), 1);
    EXPECT_TRUE(program_.shown().empty())
        << program_.shown()[0].text.toStdString();  // databases opened
    EXPECT_EQ(program_.endedWith(), -1);            // and the program keeps running
}

// The real event loop, wired as the program entry wires it.
TEST(ProgramLifetime, ClosingTheLoginWindowEndsTheEventLoop) {
    const auto wiring = rx::endWhenLastWindowIsDestroyed(*QCoreApplication::instance());
    rx::test::TestProgram program(QDir::tempPath());
    QPointer<LoginWindow> login = rx::openLoginWindow(program.context());
    QTimer::singleShot(0, login, [&] { login->close(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // guard, never expected
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(login);
    EXPECT_EQ(rx::ui::FixedWindow::liveWindows(), 0);
    QObject::disconnect(wiring);
}

TEST(ProgramLifetime, HidingTheLastWindowDoesNotEndTheProgram) {
    int ended = 0;
    auto connection =
        QObject::connect(&rx::ui::WindowLifetime::instance(),
                         &rx::ui::WindowLifetime::lastWindowDestroyed, [&] { ++ended; });
    {
        rx::test::TestProgram program(QDir::tempPath());
        LoginWindow login(program.context());
        login.show();
        login.hide();
        EXPECT_EQ(ended, 0);
    }
    EXPECT_EQ(ended, 1);
    QObject::disconnect(connection);
}

// Qt's own dialogs speak Chinese whatever the locale: the message box's button,
// the preview's tools, the calendar's months.
TEST(StartUp, QtsOwnTextsAreChinese) {
    std::unique_ptr<QTranslator> translator(rx::installQtChineseTexts(*qApp));
    ASSERT_NE(translator, nullptr) << "qtbase_zh_CN.qm not found (package qt6-translations-l10n)";
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), QStringLiteral("登陆失败！"),
                    QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(QCoreApplication::translate("QPrintPreviewDialog", "Print"), QStringLiteral("打印"));
}

TEST(LoginCheck, ComparesBothTextsWithTheCode) {
    using rx::LoginVerdict;
    EXPECT_EQ(rx::checkLogin(QStringLiteral("794"), QStringLiteral("794")), LoginVerdict::Accepted);
    EXPECT_EQ(rx::checkLogin(QStringLiteral("794"), QString()), LoginVerdict::MissingInput);
    EXPECT_EQ(rx::checkLogin(QStringLiteral(" 794"), QStringLiteral("794")), LoginVerdict::Refused);
}

TEST_F(LoginWindowTest, NoTextIsCutOff) {
    EXPECT_EQ(rx::test::cutOffTexts(window_), "");
}

}  // namespace
