#include "platform/ui/message_box.h"

#include <QMessageBox>

namespace rx::ui {
namespace {

QMessageBox::Icon iconFor(MessageLook look) {
    switch (look) {
        case MessageLook::Stop: return QMessageBox::Critical;
        case MessageLook::Question: return QMessageBox::Question;
        case MessageLook::Information: return QMessageBox::Information;
        case MessageLook::None: break;
    }
    return QMessageBox::NoIcon;
}

class QtMessageBoxes final : public MessageBoxService {
public:
    void show(const ShownMessage& message) override {
        // No owner: the box stands on its own and blocks every window of the program.
        QMessageBox box(iconFor(message.look), message.title, message.text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
};

QtMessageBoxes& realBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

MessageBoxService*& current() {
    static MessageBoxService* service = nullptr;
    return service;
}

}  // namespace

void showMessage(const QString& text, const QString& title, MessageLook look) {
    MessageBoxService* service = current() ? current() : &realBoxes();
    service->show(ShownMessage{text, title, look});
}

void installMessageBoxService(MessageBoxService* service) { current() = service; }

MessageRecorder::MessageRecorder() : previous_(current()) { current() = this; }

MessageRecorder::~MessageRecorder() { current() = previous_; }

void MessageRecorder::show(const ShownMessage& message) { shown_.push_back(message); }

}  // namespace rx::ui
