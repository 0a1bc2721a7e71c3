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
template <class PerRow>
void readAll(OdbcConnection& connection, const QString& sql, PerRow&& perRow) {
    const int handle = connection.Query(sql);
    connection.MoveFirst(handle);
    while (!connection.AtEnd(handle)) {
        perRow(handle);
        connection.MoveNext(handle);
    }
    connection.CloseResult(handle);
}

// perRow(DrugRecordset&) or perRow() reads the current row. False when the
// record set could not be opened; the caller reports that itself.
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
    records.Close();
    return true;
}

}  // namespace rx::db
