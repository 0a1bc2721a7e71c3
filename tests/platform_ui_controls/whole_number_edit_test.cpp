#include "platform/ui/whole_number_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::ui::WholeNumberEdit;
using rx::ui::wholeNumberText;

struct RewriteCase {
    const char* name;
    QString in;
    QString out;
};

void PrintTo(const RewriteCase& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class WholeNumberRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(WholeNumberRewrite, GivesPlainDecimalOrEmpty) {
    EXPECT_EQ(wholeNumberText(GetParam().in), GetParam().out) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumberRewrite,
    ::testing::Values(
        RewriteCase{"kept", u"12"_s, u"12"_s}, RewriteCase{"zero_empty", u"0"_s, QString()},
        RewriteCase{"zeros_empty", u"000"_s, QString()},
        RewriteCase{"leading_zeros_dropped", u"007"_s, u"7"_s},
        RewriteCase{"empty_stays_empty", QString(), QString()},
        RewriteCase{"lone_minus_empty", u"-"_s, QString()},
        RewriteCase{"minus_zero_empty", u"-0"_s, QString()},
        RewriteCase{"negative_kept", u"-45"_s, u"-45"_s},
        RewriteCase{"plus_sign_dropped", u"+45"_s, u"45"_s},
        RewriteCase{"tail_dropped", u"12abc"_s, u"12"_s},
        RewriteCase{"second_minus_ends_number", u"12-3"_s, u"12"_s},
        RewriteCase{"letters_first_is_zero", u"abc12"_s, QString()},
        RewriteCase{"full_stop_ends_number", u"3.7"_s, u"3"_s},
        RewriteCase{"blank_first_is_zero", u" 5"_s, QString()},
        RewriteCase{"max_kept", u"2147483647"_s, u"2147483647"_s},
        RewriteCase{"above_max_clamped", u"2147483648"_s, u"2147483647"_s},
        RewriteCase{"far_above_max_clamped", u"99999999999999999999999"_s, u"2147483647"_s},
        RewriteCase{"min_kept", u"-2147483648"_s, u"-2147483648"_s},
        RewriteCase{"below_min_clamped", u"-2147483649"_s, u"-2147483648"_s},
        RewriteCase{"far_below_min_clamped", u"-99999999999999999999"_s, u"-2147483648"_s},
        RewriteCase{"full_width_digits_are_not_digits", u"１２"_s, QString()}),
    [](const auto& test) { return std::string(test.param.name); });

// Records the box's text at the moment its focus-out reaches an observer.
class FocusOutSpy final : public QObject {
public:
    QStringList seen;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut)
            seen.append(static_cast<QLineEdit*>(watched)->text());
        return false;
    }
};

class WholeNumberEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        edit_ = new WholeNumberEdit;
        other_ = new QLineEdit;
        layout->addWidget(edit_);
        layout->addWidget(other_);
        window_.show();
        QApplication::setActiveWindow(&window_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        edit_->setFocus();
    }

    void leave() {
        other_->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    QWidget window_;
    WholeNumberEdit* edit_ = nullptr;
    QLineEdit* other_ = nullptr;
};

TEST_F(WholeNumberEditTest, TypingKeepsOnlyDigitsAndMinus) {
    QTest::keyClicks(edit_, u"a1.b2 x-3"_s);
    EXPECT_EQ(edit_->text(), u"12-3"_s);
    QTest::keyClick(edit_, Qt::Key_Backspace);  // editing keys still work
    EXPECT_EQ(edit_->text(), u"12-"_s);
    QTest::keyClick(edit_, Qt::Key_Home);
    QTest::keyClick(edit_, '9');
    EXPECT_EQ(edit_->text(), u"912-"_s);
}

TEST_F(WholeNumberEditTest, LeavingRewritesBeforeTheFocusOutIsSeen) {
    FocusOutSpy spy;
    edit_->installEventFilter(&spy);
    QTest::keyClicks(edit_, u"0"_s);
    leave();
    EXPECT_EQ(edit_->text(), QString());
    ASSERT_EQ(spy.seen.size(), 1);
    EXPECT_EQ(spy.seen.front(), QString());

    edit_->setFocus();
    QTest::keyClicks(edit_, u"99999999999"_s);
    leave();
    EXPECT_EQ(spy.seen.back(), u"2147483647"_s);
}

TEST_F(WholeNumberEditTest, TextInFinalFormIsNotRewritten) {
    QTest::keyClicks(edit_, u"12"_s);
    int changes = 0;
    QObject::connect(edit_, &QLineEdit::textChanged, [&] { ++changes; });
    leave();
    EXPECT_EQ(edit_->text(), u"12"_s);
    EXPECT_EQ(changes, 0);
}

TEST_F(WholeNumberEditTest, PasteGoesThroughTheRewrite) {
    QGuiApplication::clipboard()->setText(u"12abc"_s);
    QTest::keyClick(edit_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit_->text(), u"12"_s);

    edit_->clear();
    QTest::keyClicks(edit_, u"5"_s);
    edit_->pasteText(u"x9"_s);  // "5x9" spells 5
    EXPECT_EQ(edit_->text(), u"5"_s);
}

}  // namespace
