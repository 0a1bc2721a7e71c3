#pragma once
// The base of every window: a fixed single frame with a title bar, sized from
// the outer size of the layout tables, centred on the screen when shown, and a
// created event delivered once after all controls exist.

#include <QSize>
#include <QWidget>

namespace rx::ui {

// The frame the layout tables were measured with: a fixed single frame of 3 px
// on each side and a 23 px caption.
struct FrameMetrics {
    static constexpr int side = 3;
    static constexpr int caption = 23;
    static constexpr QSize clientSize(QSize outer) {
        return {outer.width() - 2 * side, outer.height() - 2 * side - caption};
    }
};

enum class TitleButtons {
    Close,                 // system menu with Close only
    CloseMinimize,         // Close and Minimize
    CloseMinimizeMaximize  // Close, Minimize and Maximize
};

class FixedWindow : public QWidget {
    Q_OBJECT
public:
    FixedWindow(QSize outerSize, TitleButtons buttons, QWidget* owner = nullptr);
    ~FixedWindow() override;

    // Runs OnCreated once; showing the window does this too when nobody did before.
    void deliverCreated();
    bool created() const { return created_; }

    // Shows the window modal over its owner (the whole program when it has none)
    // and returns once it is closed or destroyed. The caller keeps ownership.
    void runModal();

    // Places the window's frame in the middle of its screen.
    void centreOnScreen();

    // Number of FixedWindow objects alive in the process.
    static int liveWindows();

signals:
    void closed();

protected:
    virtual void OnCreated() {}
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Where the client area goes for the frame to sit centred, and whether the
    // window manager's real frame was used for it.
    QPoint centredClientPosition(bool* frameKnown = nullptr) const;
    void settleOnScreen(int check);

    bool created_ = false;
    bool centred_ = false;
    bool settled_ = false;
};

// Asks for the keyboard for a window that is shown. A window manager hands it
// to a new window by itself; on a display without one nobody else would.
void takeKeyboard(QWidget* window);

// The program ends when its last window is destroyed, not when it is merely
// hidden. Emits lastWindowDestroyed() then; the program entry connects it to quit.
class WindowLifetime final : public QObject {
    Q_OBJECT
public:
    static WindowLifetime& instance();
    void windowCreated();
    void windowDestroyed();
    int count() const { return count_; }

signals:
    void lastWindowDestroyed();

private:
    int count_ = 0;
};

}  // namespace rx::ui
