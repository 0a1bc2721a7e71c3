#pragma once
// Key-down handlers receive Windows virtual-key codes; this is the one place
// where Qt's key events are turned into them.

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace rx::ui {

namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Delete = 46;
}  // namespace vk

// The virtual-key code of a Qt key event, 0 when it has none.
int virtualKey(const QKeyEvent& event);

// A key-down handler; returning true consumes the key so that the control never
// sees it, false lets the control handle it as usual.
using KeyDownHandler = std::function<bool(int virtualKey)>;

// Delivers every key press of `control` to `handler` before the control sees it.
// The filter is owned by the control.
void onKeyDown(QWidget* control, KeyDownHandler handler);

}  // namespace rx::ui
