// Rows of the file's statements and rows built in memory, read one cell at a time.

#include <sqlite3.h>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sqlite/storage.h"

namespace rx::access {

void bindParameters(const Database& db, sqlite3_stmt* stmt, const std::vector<BoundValue>& params) {
    sqlite3_reset(stmt);
    for (size_t i = 0; i < params.size(); ++i) {
        const BoundValue& v = params[i];
        int index = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        switch (v.kind) {
            case BoundValue::Kind::Null:
                rc = sqlite3_bind_null(stmt, index);
                break;
            case BoundValue::Kind::Integer:
                rc = sqlite3_bind_int64(stmt, index, v.integer);
                break;
            case BoundValue::Kind::Real:
                rc = sqlite3_bind_double(stmt, index, v.real);
                break;
            case BoundValue::Kind::Text:
                rc = sqlite3_bind_text64(stmt, index, v.text.data(), v.text.size(), SQLITE_STATIC,
                                         SQLITE_UTF8);
                break;
        }
        if (rc != SQLITE_OK) db.fail(rc);
    }
}

SqliteCursor::SqliteCursor(const Database& db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        pending_ = true;
    else if (rc == SQLITE_DONE)
        done_ = true;
    else
        db_.fail(rc);
}

bool SqliteCursor::next() {
    if (pending_) {
        pending_ = false;
        return true;
    }
    if (done_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    done_ = true;
    if (rc != SQLITE_DONE) db_.fail(rc);
    return false;
}

CellView SqliteCursor::cell(int column) const {
    CellView v;
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            v.kind = CellView::Kind::Integer;
            v.integer = sqlite3_column_int64(stmt_, column);
            break;
        case SQLITE_FLOAT:
            v.kind = CellView::Kind::Real;
            v.real = sqlite3_column_double(stmt_, column);
            break;
        case SQLITE_NULL:
            break;
        default: {
            v.kind = CellView::Kind::Text;
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
            v.text = std::string_view(p ? p : "",
                                      static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
        }
    }
    return v;
}

CellView MemoryCursor::cell(int column) const {
    CellView v;
    const BoundValue& b = rows_[static_cast<size_t>(row_)][static_cast<size_t>(column)];
    switch (b.kind) {
        case BoundValue::Kind::Null:
            break;
        case BoundValue::Kind::Integer:
            v.kind = CellView::Kind::Integer;
            v.integer = b.integer;
            break;
        case BoundValue::Kind::Real:
            v.kind = CellView::Kind::Real;
            v.real = b.real;
            break;
        case BoundValue::Kind::Text:
            v.kind = CellView::Kind::Text;
            v.text = b.text;
            break;
    }
    return v;
}

}  // namespace rx::access
