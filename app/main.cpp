// Program entry: program directory, the start routine, the login window, the event loop.

#include "app/program_directory.h"
#include "app/startup.h"
#include "db/odbc_registration.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rx::installQtChineseTexts(app);
    rx::enterProgramDirectory();
    rx::db::ensureOdbcRegistration(rx::programDirectory());
    rx::startRoutine();
    rx::endWhenLastWindowIsDestroyed(app);
    rx::openLoginWindow();
    return app.exec();
}
