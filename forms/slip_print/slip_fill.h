#pragma once
// What a slip prints and how it goes into the grid, apart from the window so
// that it can be checked without one.

#include "platform/grid/data_source.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace rx::slip {

struct SlipContents {
    // In the order of kSlipFieldOrder.
    std::array<QString, 7> fields;
    // One entry per drug list row: its first three cells (name, dose, unit).
    std::vector<QStringList> drugRows;
    QDate today;
};

// A drug's slip text: name, dose and unit run together (当归10g).
QString slipDrugText(const QStringList& row);

// Writes the seven fields, all 51 drug cells (empty past the list's end) and
// the date, in that order. Writes outside the loaded table are ignored.
void fillSlip(grid::DataSource& source, const SlipContents& contents);

}  // namespace rx::slip
