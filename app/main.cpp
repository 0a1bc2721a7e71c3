// Program entry: the program context, the start steps, the login window, the event loop.

#include <QApplication>

#include "app/startup.h"
#include "db/odbc_registration.h"
#include "platform/program/program_context.h"
#include "platform/program/program_directory.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rx::installQtChineseTexts(app);
    const rx::ProgramContext context(rx::executableFolder(), rx::Build::Standalone);
    rx::enterProgramDirectory(context);
    rx::db::ensureOdbcRegistration(context.directory());
    rx::startRoutine();
    rx::endWhenLastWindowIsDestroyed(app);
    rx::openLoginWindow(context);
    return app.exec();
}
