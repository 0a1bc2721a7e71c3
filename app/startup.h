#pragma once
// The steps of program start, each callable on its own so that tests can run
// them in the same order as the program entry.

#include <QMetaObject>

#include "platform/program/program_context.h"

class QCoreApplication;
class QTranslator;

namespace rx {

class LoginWindow;

// Makes the program directory the current directory.
void enterProgramDirectory(const ProgramContext& context);

// The program's own start routine; there is nothing to prepare.
void startRoutine();

// The window lifetime rule: the event loop ends when the last window is
// destroyed, not when it is merely hidden.
QMetaObject::Connection endWhenLastWindowIsDestroyed(QCoreApplication& app);

// Qt's own texts (message box buttons, print and preview dialogs, the calendar)
// in Chinese like the rest of the program, whatever the machine's locale.
// Returns the installed translator, owned by `app`, or nullptr when Qt's
// translations are missing (the dialogs then stay in English).
QTranslator* installQtChineseTexts(QCoreApplication& app);

// Creates and shows the start window; it is destroyed when closed.
LoginWindow* openLoginWindow(const ProgramContext& context);

// The whole program of one build: the steps above in order, then the event loop.
int runProgram(int argc, char** argv, Build build);

}  // namespace rx
