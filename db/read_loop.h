#pragma once
// The one read loop every query of the windows goes through: run, first row,
// read each row, next, and close the result when the end is reached.

#include <QString>
#include <type_traits>
#include <utility>

#include "db/drug_recordset.h"
#include "db/odbc_connection.h"

namespace rx::db {

// perRow(int handle) reads the current row. A failed query simply reads no row.
// False when the query failed, or stopped on a read error part way: the rows
// handed to perRow are then not the whole result, and the caller drops them.
template <class PerRow>
bool readAll(OdbcConnection& connection, const QString& sql, PerRow&& perRow) {
    const int handle = connection.Query(sql);
    connection.MoveFirst(handle);
    while (!connection.AtEnd(handle)) {
        perRow(handle);
        connection.MoveNext(handle);
    }
    const bool whole = handle != 0 && !connection.ReadFailed(handle);
    connection.CloseResult(handle);
    return whole;
}

// perRow(DrugRecordset&) or perRow() reads the current row. False when the
// record set could not be opened, or stopped on a read error part way (the
// rows handed out are then incomplete); the caller reports that itself.
template <class PerRow>
bool readAll(DrugRecordset& records, const QString& sql, PerRow&& perRow) {
    records.Open(sql);
    if (!records.IsOpen()) return false;
    records.MoveFirst();
    while (!records.AtEnd()) {
        if constexpr (std::is_invocable_v<PerRow&, DrugRecordset&>)
            perRow(records);
        else
            perRow();
        records.MoveNext();
    }
    const bool whole = !records.ReadFailed();
    records.Close();
    return whole;
}

}  // namespace rx::db
