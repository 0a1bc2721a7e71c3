#include "forms/login/login_window.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "forms/entry/entry_window.h"
#include "forms/login/login_layout.h"
#include "platform/ui/key_codes.h"
#include "platform/ui/layout_builder.h"

namespace rx {
namespace {

struct Texts {
    QString title = QStringLiteral("门诊处方登陆");
    QString missing = QStringLiteral("姓名或密码不能为空！");
    QString refused = QStringLiteral("登陆失败！");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

}  // namespace

LoginVerdict checkLogin(const QString& user, const QString& password) {
    if (user.isEmpty() || password.isEmpty()) return LoginVerdict::MissingInput;
    const QString code = QString::fromLatin1(kLoginCode);
    return user == code && password == code ? LoginVerdict::Accepted : LoginVerdict::Refused;
}

LoginWindow::LoginWindow(const ProgramContext& context, QWidget* parent)
    : FixedWindow(ui::outerSize(login_layout::kLayout), ui::TitleButtons::CloseMinimize, parent),
      context_(context),
      background_(QStringLiteral(":/rx/login_background.jpg")) {
    setWindowIcon(QIcon(QStringLiteral(":/rx/icon.png")));

    const ui::BuiltControls built(this, login_layout::kLayout, context_.hostLinked());
    透明标签1 = built.get<ui::TransparentLabel>("透明标签1");
    透明标签2 = built.get<ui::TransparentLabel>("透明标签2");
    编辑框1 = built.get<ui::EditBox>("编辑框1");
    编辑框2 = built.get<ui::PasswordEdit>("编辑框2");
    按钮1 = built.get<QPushButton>("按钮1");
    setTabOrder(编辑框1, 编辑框2);
    setTabOrder(编辑框2, 按钮1);

    ui::onKeyDown(编辑框1, [this](int key) { return OnUserKeyDown(key); });
    ui::onKeyDown(编辑框2, [this](int key) { return OnPasswordKeyDown(key); });
    connect(按钮1, &QPushButton::clicked, this, [this] { OnLoginClicked(); });
}

void LoginWindow::OnCreated() {
    setWindowTitle(texts().title);
}

void LoginWindow::paintEvent(QPaintEvent* event) {
    // The picture is larger than the client area; scaled, it covers all of it.
    QPainter painter(this);
    painter.drawPixmap(rect(), background_);
    FixedWindow::paintEvent(event);
}

bool LoginWindow::OnUserKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    编辑框2->setFocus(Qt::OtherFocusReason);
    return true;
}

bool LoginWindow::OnPasswordKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    OnLoginClicked();
    return true;
}

void LoginWindow::OnLoginClicked() {
    switch (checkLogin(编辑框1->text(), 编辑框2->text())) {
        case LoginVerdict::MissingInput:
            context_.showMessage(texts().missing);
            break;
        case LoginVerdict::Refused:
            context_.showMessage(texts().refused);
            break;
        case LoginVerdict::Accepted: {
            // EntryWindow exists before this window goes, so the program keeps running.
            auto* entry = new EntryWindow(context_);
            entry->setAttribute(Qt::WA_DeleteOnClose);
            entry->show();
            deleteLater();
            return;
        }
    }
    编辑框1->setFocus(Qt::OtherFocusReason);
}

}  // namespace rx
