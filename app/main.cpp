// Program entry: program directory, the start routine, the login window, the event loop.

#include "app/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rx::enterProgramDirectory();
    rx::startRoutine();
    rx::endWhenLastWindowIsDestroyed(app);
    rx::openLoginWindow();
    return app.exec();
}
