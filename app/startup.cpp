#include "app/startup.h"

#include "app/login_window.h"
#include "app/program_directory.h"
#include "platform/ui/fixed_window.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace rx {

void enterProgramDirectory() {
    setProgramDirectory(executableFolder());
    QDir::setCurrent(programDirectory());
}

void startRoutine() {}

QMetaObject::Connection endWhenLastWindowIsDestroyed(QCoreApplication& app) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    return QObject::connect(&ui::WindowLifetime::instance(), &ui::WindowLifetime::lastWindowDestroyed,
                     &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

QTranslator* installQtChineseTexts(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

LoginWindow* openLoginWindow() {
    auto* login = new LoginWindow;
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return login;
}

}  // namespace rx
