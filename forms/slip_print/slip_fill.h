#pragma once
// How a visit goes onto the slip, apart from the window so that it can be
// checked without one.

#include <QDate>

#include "db/visit.h"
#include "platform/grid/data_source.h"

namespace rx::slip {

// Writes the seven fields, all 51 drug cells (empty past the last drug line)
// and the date, in that order. Writes outside the loaded table are ignored.
void fillSlip(grid::DataSource& source, const db::Visit& visit, const QDate& today);

}  // namespace rx::slip
