#pragma once
// The program's message boxes: text, title, one OK button and one of four looks,
// application-modal and without an owner window. Tests install a recorder so
// that nothing ever blocks on a box.

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

// Shows a box and returns when the user has answered it.
void showMessage(const QString& text, const QString& title = defaultMessageTitle(),
                 MessageLook look = MessageLook::None);

// Replaces the service for as long as the returned object lives; nullptr restores
// the real boxes.
void installMessageBoxService(MessageBoxService* service);

// Records every box instead of showing it. Installs itself while it lives.
class MessageRecorder final : public MessageBoxService {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void show(const ShownMessage& message) override;
    const std::vector<ShownMessage>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

private:
    MessageBoxService* previous_;
    std::vector<ShownMessage> shown_;
};

}  // namespace rx::ui
