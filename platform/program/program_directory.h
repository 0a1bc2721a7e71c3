#pragma once
// The program directory: the folder of the executable, without a trailing
// separator. Every file path is this folder followed by a fixed piece that
// starts with the native separator.

#include <QString>

namespace rx {

// The native separator that starts every fixed path piece ("/" here).
QString nativeSeparator();

// Folder of the running executable, without a trailing separator.
QString executableFolder();

// Joins a folder and a fixed piece given with "/" separators,
// e.g. joinPath(folder, u"/data/sj.accdb").
QString joinPath(const QString& folder, const QString& piece);

// Removes trailing separators but keeps a root folder as it is.
QString withoutTrailingSeparator(const QString& folder);

}  // namespace rx
