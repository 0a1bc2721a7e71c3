#pragma once
// Our grid template format (.grd): a UTF-8 text file, one statement a line,
// that a clinic's administrator edits by hand to fit the pre-printed paper.
// docs/grid-format.md describes it for them.

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/grid/grid_table.h"

namespace rx::grid {

inline constexpr int kGrdVersion = 1;
// Larger files are refused without being read: a template is a few kilobytes.
inline constexpr qint64 kMaxGrdBytes = 4 * 1024 * 1024;
inline constexpr int kMaxGrdCells = 100000;
inline constexpr int kMaxCellTextLength = 4096;

struct GrdError {
    int line = 0;  // 1-based line of the offending statement, 0 for the whole file
    QString message;
};

// Parses a whole template. Any fault refuses the whole file: a half-read
// template would print fields in the wrong places.
std::optional<GridTable> parseGrd(const QByteArray& bytes, GrdError* error = nullptr);

// Reads and parses a file; nothing for a missing, unreadable, oversized or
// malformed one.
std::optional<GridTable> loadGrdFile(const QString& path, GrdError* error = nullptr);

// Writes a table in the canonical form that parseGrd reads back unchanged.
QByteArray writeGrd(const GridTable& table);

}  // namespace rx::grid
