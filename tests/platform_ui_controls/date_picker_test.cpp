#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "platform/ui/basic_controls.h"
#include "tests/support/typing.h"

namespace {

using namespace Qt::StringLiterals;
using rx::ui::DatePicker;

std::string iso(QDate d) {
    return d.toString(Qt::ISODate).toStdString();
}

// A window with the picker and a box beside it, as every form has.
struct PickerWindow {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    DatePicker* picker = new DatePicker(&window);

    PickerWindow() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(picker);
        picker->setDisplayFormat(u"yyyy'年'M'月'd'日'"_s);
        picker->setCalendarPopup(true);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST(DatePicker, TypesLikeTheWindowsPicker) {
    using S = QDateTimeEdit::Section;
    struct Case {
        const char* name;
        QDate start;
        S field;  // the field clicked before typing
        QString typed;
        QDate expected;
    };
    const Case cases[] = {
        {"a digit starts the day anew", {2026, 3, 1}, S::DaySection, u"5"_s, {2026, 3, 5}},
        {"a month digit is taken", {2026, 1, 15}, S::MonthSection, u"3"_s, {2026, 3, 15}},
        {"two digits fill a month", {2026, 1, 15}, S::MonthSection, u"11"_s, {2026, 11, 15}},
        {"13 is no month: 3 starts anew", {2026, 1, 15}, S::MonthSection, u"13"_s, {2026, 3, 15}},
        {"a full month moves on to the day",
         {2026, 1, 15},
         S::MonthSection,
         u"430"_s,
         {2026, 4, 30}},
        {"a full year moves on", {2026, 1, 15}, S::YearSection, u"2027420"_s, {2027, 4, 20}},
        {"units move on", {2026, 1, 15}, S::YearSection, u"2025年11月30日"_s, {2025, 11, 30}},
        {"a unit typed into an empty field skips it",
         {2026, 1, 15},
         S::YearSection,
         u"年5"_s,
         {2026, 5, 15}},
        {"a slash moves on", {2026, 1, 15}, S::MonthSection, u"1/3"_s, {2026, 1, 3}},
        {"the day is cut to a shorter month",
         {2026, 1, 31},
         S::MonthSection,
         u"2"_s,
         {2026, 2, 28}},
        {"full-width digits count", {2026, 1, 15}, S::MonthSection, u"１２"_s, {2026, 12, 15}},
        {"letters are refused", {2026, 1, 15}, S::DaySection, u"x"_s, {2026, 1, 15}},
        {"a leading zero waits for its digit", {2026, 1, 15}, S::DaySection, u"07"_s, {2026, 1, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PickerWindow w;
        const QTime time(9, 30, 15);
        w.picker->setDateTime(QDateTime(c.start, time));
        w.picker->setFocus(Qt::MouseFocusReason);
        w.picker->setCurrentSection(c.field);
        rx::test::typeText(w.picker, c.typed);
        EXPECT_EQ(iso(w.picker->date()), iso(c.expected));
        EXPECT_EQ(w.picker->time(), time);
        EXPECT_EQ(QApplication::focusWidget(), w.picker);  // no separator leaves the picker
    }
}

TEST(DatePicker, ClickingAFieldAgainStartsItAnew) {
    PickerWindow w;
    w.picker->setDate({2026, 1, 15});
    w.picker->setFocus(Qt::MouseFocusReason);
    w.picker->setCurrentSection(QDateTimeEdit::DaySection);
    rx::test::typeText(w.picker, u"1"_s);
    QTest::mouseClick(w.picker, Qt::LeftButton, {}, QPoint(4, w.picker->height() / 2));
    w.picker->setCurrentSection(QDateTimeEdit::DaySection);
    rx::test::typeText(w.picker, u"2"_s);
    EXPECT_EQ(w.picker->date(), QDate(2026, 1, 2));
    QTest::keyClick(w.picker, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.before);  // Tab still leaves
}

TEST(DatePicker, TheWheelChangesOnlyAFocusedPicker) {
    PickerWindow w;
    w.picker->setDate({2026, 1, 15});
    w.before->setFocus();
    const QPointF at(w.picker->width() / 2.0, w.picker->height() / 2.0);
    const auto turn = [&] {
        QWheelEvent wheel(at, w.picker->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.picker, &wheel);
    };
    turn();
    EXPECT_EQ(w.picker->date(), QDate(2026, 1, 15));
    EXPECT_EQ(QApplication::focusWidget(), w.before);
    w.picker->setFocus();
    turn();
    EXPECT_NE(w.picker->date(), QDate(2026, 1, 15));
}

TEST(DatePicker, TheCalendarIsChineseOnAnEnglishMachine) {
    const QLocale machine;
    QLocale::setDefault(QLocale::c());  // as under LANG=C.UTF-8 or no LANG at all
    PickerWindow w;
    w.picker->setDate({2026, 3, 10});
    QCalendarWidget* calendar = w.picker->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    const auto* month = calendar->findChild<QToolButton*>(u"qt_calendar_monthbutton"_s);
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), u"三月"_s);
    EXPECT_EQ(calendar->locale().dayName(1, QLocale::ShortFormat), u"周一"_s);
    QLocale::setDefault(machine);
}

}  // namespace
