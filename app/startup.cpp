#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "db/odbc_registration.h"
#include "forms/login/login_window.h"
#include "platform/program/program_directory.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/song_face.h"

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

int runProgram(int argc, char** argv, Build build) {
    QApplication app(argc, argv);
    ui::useDefaultGuiFont();
    installQtChineseTexts(app);
    const ProgramContext context(executableFolder(), build);
    enterProgramDirectory(context);
    db::ensureOdbcRegistration(context.directory());
    startRoutine();
    endWhenLastWindowIsDestroyed(app);
    openLoginWindow(context);
    return app.exec();
}

}  // namespace rx
