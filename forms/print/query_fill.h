#pragma once
// How the visit shown in the query window goes onto paper, apart from any
// window: the drug items cut from the herbal prescription text, and the fill
// of a loaded template through one of the query print maps.

#include <QString>
#include <QStringList>

#include "db/visit.h"
#include "forms/print/cell_maps.h"
#include "platform/grid/data_source.h"

namespace rx::print {

// What the query window hands its print window at the click of 打   印: the
// visit as its detail boxes show it, and the items of its hidden list.
struct QueryPrint {
    db::Visit visit;
    QStringList items;
};

// The herbal prescription text cut at every ASCII ",": the text before each
// comma is an item, empty ones included; the rest after the last comma is one
// more only when it is not empty. A full-width "，" never cuts.
QStringList herbalItems(const QString& text);

const QString& visitFieldText(const db::Visit& visit, VisitField field);

// Writes the map's fields in their order, then every one of its item cells,
// empty past the last item; items beyond the cells are not printed. Writes
// outside the loaded table are ignored.
void fillQueryPrint(grid::DataSource& source, const QueryPrint& print, const QueryPrintMap& map);

}  // namespace rx::print
