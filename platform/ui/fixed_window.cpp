#include "platform/ui/fixed_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <iterator>

#include "platform/ui/modal_activation.h"

namespace rx::ui {
namespace {

Qt::WindowFlags flagsFor(TitleButtons buttons, bool owned) {
    // A window with an owner is its dialog: the window manager then keeps it
    // over the owner (X11 marks only dialogs as transient for their owner).
    Qt::WindowFlags flags = (owned ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (buttons != TitleButtons::Close) flags |= Qt::WindowMinimizeButtonHint;
    if (buttons == TitleButtons::CloseMinimizeMaximize) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

}  // namespace

FixedWindow::FixedWindow(QSize outerSize, TitleButtons buttons, QWidget* owner)
    : QWidget(owner, flagsFor(buttons, owner != nullptr)) {
    setFixedSize(FrameMetrics::clientSize(outerSize));
    // Qt shows the program's name in place of an empty title; a blank keeps the
    // title bar empty until a window sets a title of its own.
    setWindowTitle(QStringLiteral(" "));
    WindowLifetime::instance().windowCreated();
    keepModalWindowsInFront();
}

FixedWindow::~FixedWindow() {
    WindowLifetime::instance().windowDestroyed();
}

void FixedWindow::deliverCreated() {
    if (created_) return;
    created_ = true;
    OnCreated();
}

void FixedWindow::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        centreOnScreen();
        settleOnScreen(0);
    }
    QWidget::showEvent(event);
    takeKeyboard(this);
    deliverCreated();
}

bool FixedWindow::event(QEvent* event) {
    // The first move after the window manager has framed the window is the
    // moment to place the real frame.
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::Move && centred_ && !settled_) settleOnScreen(-1);
    return result;
}

// The window manager's frame is known only some events after the window was
// shown, and for a moment Qt's idea of it can lag behind; the window is put
// right whenever a move or one of a few checks in its first second finds it
// elsewhere, until one finds it centred by the real frame.
void FixedWindow::settleOnScreen(int check) {
    static constexpr int kCheckMs[] = {100, 250, 500, 1000, 2000};
    if (settled_ || !isVisible()) return;
    // A window the user has maximised or minimised already is where it is wanted.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        settled_ = true;
        return;
    }
    bool frameKnown = false;
    const QPoint want = centredClientPosition(&frameKnown);
    if (frameKnown && geometry().topLeft() == want)
        settled_ = true;
    else if (frameKnown)
        setGeometry(QRect(want, size()));
    if (check >= 0 && check < int(std::size(kCheckMs)))
        QTimer::singleShot(kCheckMs[check], this, [this, check] { settleOnScreen(check + 1); });
}

void FixedWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

QPoint FixedWindow::centredClientPosition(bool* frameKnown) const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(), size());
    const QMargins known = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frameKnown) *frameKnown = !known.isNull();
    const QMargins frame =
        known.isNull() ? QMargins(FrameMetrics::side, FrameMetrics::side + FrameMetrics::caption,
                                  FrameMetrics::side, FrameMetrics::side)
                       : known;
    const QSize outer = size().grownBy(frame);
    return {area.left() + (area.width() - outer.width()) / 2 + frame.left(),
            area.top() + (area.height() - outer.height()) / 2 + frame.top()};
}

void FixedWindow::centreOnScreen() {
    // move() places the frame by the margins Qt has cached, none before the
    // window is shown: the client position with the estimated frame goes there.
    bool frameKnown = false;
    const QPoint client = centredClientPosition(&frameKnown);
    if (frameKnown)
        setGeometry(QRect(client, size()));
    else
        move(client);
}

void FixedWindow::runModal() {
    QPointer<FixedWindow> self(this);
    QEventLoop loop;
    connect(this, &FixedWindow::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Modal over the window that opened it only: a query window open beside
    // EntryWindow stays usable while a print or index window is open.
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    show();
    if (self && isVisible()) loop.exec(QEventLoop::DialogExec);
    if (self) hide();
}

void takeKeyboard(QWidget* window) {
    // Qt asks for it once the window is mapped when it is not yet.
    if (window && window->isVisible() && !window->isActiveWindow()) window->activateWindow();
}

int FixedWindow::liveWindows() {
    return WindowLifetime::instance().count();
}

WindowLifetime& WindowLifetime::instance() {
    static WindowLifetime lifetime;
    return lifetime;
}

void WindowLifetime::windowCreated() {
    ++count_;
}

void WindowLifetime::windowDestroyed() {
    if (--count_ == 0) emit lastWindowDestroyed();
}

}  // namespace rx::ui
