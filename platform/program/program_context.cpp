#include "platform/program/program_context.h"

#include <QCoreApplication>

#include "platform/program/program_directory.h"

namespace rx {

ProgramContext::ProgramContext(const QString& directory, Build build)
    : directory_(withoutTrailingSeparator(directory)),
      build_(build),
      clock_([] { return QDateTime::currentDateTime(); }),
      messages_(&ui::realMessageBoxes()),
      endAction_([](int code) { QCoreApplication::exit(code); }) {}

QString ProgramContext::path(const QString& piece) const {
    return joinPath(directory_, piece);
}

void ProgramContext::showMessage(const QString& text, const QString& title,
                                 ui::MessageLook look) const {
    messages_->show(ui::ShownMessage{text, title, look});
}

host::HostAccess& ProgramContext::host() const {
    if (host_) return *host_;
    if (!ownHost_) {
        // Without a display there is no frame to read: every lookup finds nothing.
        ownHost_ = host::openX11Host();
        if (!ownHost_) ownHost_ = std::make_shared<host::FakeHost>();
    }
    return *ownHost_;
}

ProgramContext& ProgramContext::withHost(host::HostAccess& host) {
    host_ = &host;
    return *this;
}

ProgramContext& ProgramContext::withClock(Clock clock) {
    clock_ = std::move(clock);
    return *this;
}

ProgramContext& ProgramContext::withMessages(ui::MessageBoxService& service) {
    messages_ = &service;
    return *this;
}

ProgramContext& ProgramContext::withEndAction(EndAction action) {
    endAction_ = std::move(action);
    return *this;
}

}  // namespace rx
