#pragma once
// The steps of program start, each callable on its own so that tests can run
// them in the same order as the program entry.

#include <QMetaObject>

class QCoreApplication;

namespace rx {

class LoginWindow;

// Determines the program directory and makes it the current directory.
void enterProgramDirectory();

// The program's own start routine; there is nothing to prepare.
void startRoutine();

// The window lifetime rule: the event loop ends when the last window is
// destroyed, not when it is merely hidden.
QMetaObject::Connection endWhenLastWindowIsDestroyed(QCoreApplication& app);

// Creates and shows the start window; it is destroyed when closed.
LoginWindow* openLoginWindow();

}  // namespace rx
