#pragma once
// A window that a modal window keeps from input hands the keyboard on to that
// modal window, as on Windows. Qt's X11 layer activates any window it receives
// a click in, a blocked one too: the window manager then gives the keyboard to
// a window that ignores it, and whatever the doctor types next is lost.

class QWindow;

namespace rx::ui {

// The visible modal window that keeps `window` from input (the innermost one
// when several do), or nullptr.
QWindow* modalBlocking(const QWindow* window);

// From now on a click in a blocked window raises and activates its modal
// window instead of the clicked one. Once per program; without X11 nothing to do.
void keepModalWindowsInFront();

}  // namespace rx::ui
