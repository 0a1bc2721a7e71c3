#include "platform/ui/fixed_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace rx::ui {
namespace {

Qt::WindowFlags flagsFor(TitleButtons buttons) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (buttons != TitleButtons::Close) flags |= Qt::WindowMinimizeButtonHint;
    if (buttons == TitleButtons::CloseMinimizeMaximize) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

void quitApplication(int code) { QCoreApplication::exit(code); }

EndProgramAction& endAction() {
    static EndProgramAction action = &quitApplication;
    return action;
}

}  // namespace

FixedWindow::FixedWindow(QSize outerSize, TitleButtons buttons, QWidget* owner)
    : QWidget(owner, flagsFor(buttons)) {
    setFixedSize(FrameMetrics::clientSize(outerSize));
    // Qt shows the program's name in place of an empty title; a blank keeps the
    // title bar empty until a window sets a title of its own.
    setWindowTitle(QStringLiteral(" "));
    WindowLifetime::instance().windowCreated();
}

FixedWindow::~FixedWindow() { WindowLifetime::instance().windowDestroyed(); }

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

void FixedWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void FixedWindow::centreOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize outer(width() + 2 * FrameMetrics::side,
                      height() + 2 * FrameMetrics::side + FrameMetrics::caption);
    move(area.left() + (area.width() - outer.width()) / 2,
         area.top() + (area.height() - outer.height()) / 2);
}

void FixedWindow::runModal() {
    QPointer<FixedWindow> self(this);
    QEventLoop loop;
    connect(this, &FixedWindow::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    setWindowModality(Qt::ApplicationModal);
    show();
    if (self && isVisible()) loop.exec(QEventLoop::DialogExec);
    if (self) hide();
}

int FixedWindow::liveWindows() { return WindowLifetime::instance().count(); }

WindowLifetime& WindowLifetime::instance() {
    static WindowLifetime lifetime;
    return lifetime;
}

void WindowLifetime::windowCreated() { ++count_; }

void WindowLifetime::windowDestroyed() {
    if (--count_ == 0) emit lastWindowDestroyed();
}

void endProgram(int code) { endAction()(code); }

EndProgramAction setEndProgramAction(EndProgramAction action) {
    EndProgramAction previous = endAction();
    endAction() = action ? action : &quitApplication;
    return previous;
}

}  // namespace rx::ui
