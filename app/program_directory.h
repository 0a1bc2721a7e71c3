#pragma once
// The program directory: the folder of the executable, without a trailing
// separator. Every file path is this folder followed by a fixed piece that
// starts with the native separator.

#include <QString>

namespace rx {

// The native separator that starts every fixed path piece ("/" here).
QString nativeSeparator();

// The program directory determined at start (or set by a test).
QString programDirectory();
void setProgramDirectory(const QString& folder);

// Folder of the running executable, without a trailing separator.
QString executableFolder();

// Joins the program directory and a fixed piece given with "/" separators,
// e.g. programPath(u"/data/sj.accdb").
QString programPath(const QString& piece);

// Removes trailing separators but keeps a root folder as it is.
QString withoutTrailingSeparator(const QString& folder);

}  // namespace rx
