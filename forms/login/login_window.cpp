#include "forms/login/login_window.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "forms/entry/entry_window.h"
#include "platform/ui/key_codes.h"

namespace rx {
namespace {

struct Texts {
    QString title = QStringLiteral("门诊处方登陆");
    QString user = QStringLiteral("用户名");
    QString password = QStringLiteral("密  码");
    QString login = QStringLiteral("登陆");
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
    : FixedWindow(QSize(600, 522), ui::TitleButtons::CloseMinimize, parent),
      context_(context),
      background_(QStringLiteral(":/rx/login_background.jpg")) {
    setWindowIcon(QIcon(QStringLiteral(":/rx/icon.png")));

    透明标签1 =
        ui::named(new ui::TransparentLabel(texts().user, this), QStringLiteral("透明标签1"));
    ui::place(透明标签1, 200, 154, 40, 24);
    透明标签2 =
        ui::named(new ui::TransparentLabel(texts().password, this), QStringLiteral("透明标签2"));
    ui::place(透明标签2, 200, 213, 40, 24);
    编辑框1 = ui::named(new ui::EditBox(this), QStringLiteral("编辑框1"));
    ui::place(编辑框1, 260, 150, 110, 30);
    编辑框2 = ui::named(new ui::PasswordEdit(this), QStringLiteral("编辑框2"));
    ui::place(编辑框2, 260, 206, 110, 30);
    按钮1 = ui::named(new QPushButton(texts().login, this), QStringLiteral("按钮1"));
    ui::place(按钮1, 263, 256, 64, 32);
    for (QWidget* label : {static_cast<QWidget*>(透明标签1), static_cast<QWidget*>(透明标签2)})
        label->setFocusPolicy(Qt::NoFocus);
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
