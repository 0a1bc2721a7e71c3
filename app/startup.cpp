#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "forms/login/login_window.h"
#include "platform/program/program_context.h"
#include "platform/ui/fixed_window.h"

namespace rx {

void enterProgramDirectory(const ProgramContext& context) {
    QDir::setCurrent(context.directory());
}

void startRoutine() {}

QMetaObject::Connection endWhenLastWindowIsDestroyed(QCoreApplication& app) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    return QObject::connect(
        &ui::WindowLifetime::instance(), &ui::WindowLifetime::lastWindowDestroyed, &app,
        [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

QTranslator* installQtChineseTexts(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

LoginWindow* openLoginWindow(const ProgramContext& context) {
    auto* login = new LoginWindow(context);
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return login;
}

}  // namespace rx
