// Program entry: program directory, the (empty) start routine, the login window.

#include "app/login_window.h"
#include "app/program_directory.h"
#include "platform/ui/fixed_window.h"

#include <QApplication>
#include <QDir>

namespace {

// The program's own start routine; there is nothing to prepare.
void startRoutine() {}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rx::setProgramDirectory(rx::executableFolder());
    QDir::setCurrent(rx::programDirectory());

    startRoutine();

    // Windows are destroyed, not hidden, when the program is done with them.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&rx::ui::WindowLifetime::instance(), &rx::ui::WindowLifetime::lastWindowDestroyed,
                     &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);

    auto* login = new rx::LoginWindow;
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return app.exec();
}
