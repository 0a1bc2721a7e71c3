#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "platform/ui/fixed_window.h"
#include "platform/ui/key_codes.h"
#include "platform/ui/message_box.h"

namespace {

using namespace rx::ui;

class CountingWindow final : public FixedWindow {
public:
    CountingWindow() : FixedWindow(QSize(555, 401), TitleButtons::Close) {}
    int createdCalls = 0;

protected:
    void OnCreated() override { ++createdCalls; }
};

TEST(FixedWindow, ClientAreaComesFromTheOuterSizeAndFrameMetrics) {
    EXPECT_EQ(FrameMetrics::clientSize(QSize(868, 692)), QSize(862, 663));
    CountingWindow w;
    EXPECT_EQ(w.size(), QSize(549, 372));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());  // not resizable
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());  // blank, never the program name
}

TEST(FixedWindow, CreatedIsDeliveredOnceAndTheWindowIsCentred) {
    CountingWindow w;
    w.deliverCreated();
    w.show();
    w.hide();
    w.show();
    EXPECT_EQ(w.createdCalls, 1);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint outerCentre = w.frameGeometry().center();
    EXPECT_LE(std::abs(outerCentre.x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(outerCentre.y() - screen.center().y()), 2);
}

TEST(KeyTranslation, QtKeysBecomeVirtualKeyCodes) {
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int expected;
    };
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, 13}, {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Down, Qt::NoModifier, 40},   {Qt::Key_Up, Qt::NoModifier, 38},
        {Qt::Key_A, Qt::ShiftModifier, 'A'},  {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_Tab, Qt::NoModifier, 9},     {Qt::Key_F1, Qt::NoModifier, 0x70},
        {Qt::Key_Delete, Qt::NoModifier, 46}, {Qt::Key_Backspace, Qt::NoModifier, 8},
    };
    for (const Case& c : cases) {
        QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers);
        EXPECT_EQ(virtualKey(event), c.expected) << "Qt key " << c.qtKey;
    }
}

TEST(KeyTranslation, UnconsumedKeysStillReachTheControl) {
    QLineEdit edit;
    std::vector<int> seen;
    onKeyDown(&edit, [&](int key) {
        seen.push_back(key);
        return key == vk::Down;  // consume Down only
    });
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(seen, (std::vector<int>{'A', 'B', vk::Down, vk::Return}));
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
}

}  // namespace
