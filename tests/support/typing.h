#pragma once
// Typing for GUI tests: QTest::keyClicks only knows ASCII, while doctors type
// Chinese, full-width digits and rare characters. Every character goes through
// a real key press with its text, as an input method would deliver it.

#include <QString>
#include <QTest>
#include <QWidget>

namespace rx::test {

inline void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        // A surrogate pair is one character and arrives in one event.
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.mid(i, length);
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, piece, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, piece, Qt::NoModifier);
        i += length - 1;
    }
}

}  // namespace rx::test
