#include "platform/ui/fixed_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWindow>

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
    }
    QWidget::showEvent(event);
    deliverCreated();
}

bool FixedWindow::event(QEvent* event) {
    // The window manager's frame is known only some events after the window
    // was shown; the first event that finds it centres the real frame. Qt keeps
    // the margins once read, so the check costs nothing while no frame comes.
    const bool result = QWidget::event(event);
    if (!frameCentred_ && centred_ && isVisible() && windowHandle() &&
        !windowHandle()->frameMargins().isNull()) {
        frameCentred_ = true;
        centreOnScreen();
    }
    return result;
}

void FixedWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void FixedWindow::centreOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QMargins known = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QMargins frame =
        known.isNull() ? QMargins(FrameMetrics::side, FrameMetrics::side + FrameMetrics::caption,
                                  FrameMetrics::side, FrameMetrics::side)
                       : known;
    const QSize outer = size().grownBy(frame);
    const QPoint frameTopLeft(area.left() + (area.width() - outer.width()) / 2,
                              area.top() + (area.height() - outer.height()) / 2);
    // Before the frame exists Qt places the client area, so the estimated frame
    // is added; afterwards move() places the frame itself.
    if (known.isNull())
        move(frameTopLeft + QPoint(frame.left(), frame.top()));
    else
        move(frameTopLeft);
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
