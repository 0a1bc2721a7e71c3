#pragma once
// The first window: user name, masked password and the login button over the
// background picture. A successful login hands over to EntryWindow.

#include <QPixmap>

#include "platform/program/program_context.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/fixed_window.h"

class QPushButton;

namespace rx {

// The one login code; both fields must equal it byte for byte.
inline constexpr char kLoginCode[] = "794";

enum class LoginVerdict { MissingInput, Accepted, Refused };

// The credential check, without any window.
LoginVerdict checkLogin(const QString& user, const QString& password);

class LoginWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit LoginWindow(const ProgramContext& context, QWidget* parent = nullptr);

    ui::TransparentLabel* 透明标签1;
    ui::TransparentLabel* 透明标签2;
    ui::EditBox* 编辑框1;
    ui::PasswordEdit* 编辑框2;
    QPushButton* 按钮1;

protected:
    void OnCreated() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool OnUserKeyDown(int key);
    bool OnPasswordKeyDown(int key);
    void OnLoginClicked();

    const ProgramContext& context_;
    QPixmap background_;
};

}  // namespace rx
