#pragma once
// What the windows of one running program share: the program directory, the
// build, the clock, the message boxes and the way the program ends. The entry
// point makes one and hands it down, Login -> Entry -> the windows it opens;
// a test makes its own, so that nothing is process-wide and one test process
// can run both builds side by side.

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

#include "platform/host/host_access.h"
#include "platform/ui/message_box.h"

namespace rx {

// The standalone program, or the one that runs beside the hospital system's
// doctor-workstation frame. The few places that differ ask the context.
enum class Build { Standalone, HostLinked };

class ProgramContext {
public:
    using Clock = std::function<QDateTime()>;
    using EndAction = std::function<void(int code)>;

    // The system clock, real message boxes, and an end that leaves the event loop.
    ProgramContext(const QString& directory, Build build);

    const QString& directory() const { return directory_; }
    // The directory followed by a fixed piece given with "/" separators.
    QString path(const QString& piece) const;

    Build build() const { return build_; }
    bool hostLinked() const { return build_ == Build::HostLinked; }

    QDateTime now() const { return clock_(); }
    QDate today() const { return now().date(); }

    // Shows a box and returns when the user has answered it.
    void showMessage(const QString& text, const QString& title = ui::defaultMessageTitle(),
                     ui::MessageLook look = ui::MessageLook::None) const;

    // Ends the program at once (the exit button, a fatal start-up failure).
    void endProgram(int code) const { endAction_(code); }

    // The hospital system's doctor-workstation frame, read by the host-linked
    // build: the X11 desktop's, opened on first use.
    host::HostAccess& host() const;

    // For tests: another clock, message service, end or host. The service and
    // the host must outlive the context.
    ProgramContext& withClock(Clock clock);
    ProgramContext& withMessages(ui::MessageBoxService& service);
    ProgramContext& withEndAction(EndAction action);
    ProgramContext& withHost(host::HostAccess& host);

private:
    QString directory_;
    Build build_;
    Clock clock_;
    ui::MessageBoxService* messages_;
    EndAction endAction_;
    host::HostAccess* host_ = nullptr;
    mutable std::shared_ptr<host::HostAccess> ownHost_;
};

}  // namespace rx
