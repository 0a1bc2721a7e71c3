#pragma once
// The program's message boxes: text, title, one OK button and one of four looks,
// application-modal and without an owner window. Windows show them through
// their program context; tests give the context a recorder, so that nothing
// ever blocks on a box.

#include <QString>
#include <vector>

namespace rx::ui {

enum class MessageLook { None, Stop, Question, Information };

inline const QString& defaultMessageTitle() {
    static const QString title = QStringLiteral("信息：");
    return title;
}

struct ShownMessage {
    QString text;
    QString title;
    MessageLook look = MessageLook::None;
    bool operator==(const ShownMessage&) const = default;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const ShownMessage& message) = 0;
};

// The real boxes: each show() returns when the user has answered the box.
MessageBoxService& realMessageBoxes();

// Records every box instead of showing it.
class MessageRecorder final : public MessageBoxService {
public:
    void show(const ShownMessage& message) override { shown_.push_back(message); }
    const std::vector<ShownMessage>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

private:
    std::vector<ShownMessage> shown_;
};

}  // namespace rx::ui
