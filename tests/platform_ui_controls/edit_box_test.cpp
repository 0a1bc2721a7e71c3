// The program's edit boxes: one text-changed event per setting of the text,
// whether it changes the text or not, as typing gives one per keystroke.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "platform/ui/basic_controls.h"
#include "platform/ui/whole_number_edit.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::ui::EditBox;

TEST(EditBox, DeliversOneTextChangedEventPerSetting) {
    struct Case {
        const char* what;
        std::function<EditBox*()> make;
        QString before;
        std::function<void(EditBox&)> set;
        QString after;
    };
    const auto plain = [] { return new EditBox; };
    const auto number = [] { return new rx::ui::WholeNumberEdit; };
    const auto password = [] { return new rx::ui::PasswordEdit; };
    const Case cases[] = {
        {"the same text again", plain, u"张三"_s, [](EditBox& e) { e.setText(u"张三"_s); },
         u"张三"_s},
        {"another text", plain, u"张三"_s, [](EditBox& e) { e.setText(u"李四"_s); }, u"李四"_s},
        {"an empty box emptied", plain, QString(), [](EditBox& e) { e.clear(); }, QString()},
        {"an empty text into an empty box", plain, QString(),
         [](EditBox& e) { e.setText(QString()); }, QString()},
        {"a full box emptied", plain, u"XX"_s, [](EditBox& e) { e.clear(); }, QString()},
        {"one key typed", plain, u"X"_s, [](EditBox& e) { QTest::keyClick(&e, 'y'); }, u"Xy"_s},
        {"a whole number set again", number, u"12"_s, [](EditBox& e) { e.setText(u"12"_s); },
         u"12"_s},
        {"a password set again", password, u"794"_s, [](EditBox& e) { e.setText(u"794"_s); },
         u"794"_s},
    };
    for (const Case& c : cases) {
        std::unique_ptr<EditBox> box(c.make());
        box->setText(c.before);
        box->setCursorPosition(int(c.before.size()));
        QSignalSpy changed(box.get(), &QLineEdit::textChanged);
        c.set(*box);
        EXPECT_EQ(box->text(), c.after) << c.what;
        ASSERT_EQ(changed.count(), 1) << c.what;
        EXPECT_EQ(changed.at(0).at(0).toString(), c.after) << c.what;
    }
}

TEST(EditBox, KeepsATextOfAnyLength) {
    EditBox box;
    const QString text(100000, u'字');
    box.setText(text);
    EXPECT_EQ(box.text(), text);
}

}  // namespace
