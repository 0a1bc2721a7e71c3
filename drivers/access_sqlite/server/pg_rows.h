#pragma once
// A query's rows from the server: either a whole result read at once, or a
// result read one row at a time as the server sends it (libpq's single-row
// mode), which keeps the connection until its last row is read.

#include <deque>
#include <optional>
#include <vector>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/server/pg_backend.h"

namespace rx::access {

class PgRows final : public Cursor {
public:
    explicit PgRows(PgResult whole);
    // The first row of a result that is still coming through backend.
    PgRows(const PgBackend& backend, PgResult firstRow);
    ~PgRows() override;
    PgRows(const PgRows&) = delete;
    PgRows& operator=(const PgRows&) = delete;

    bool next() override;
    CellView cell(int column) const override;

    // Another statement needs the connection: what is left comes into memory now.
    void bufferRest();
    void ended() { live_ = false; }  // the backend read the end of the result

private:
    void takeKinds();

    const PgBackend* backend_ = nullptr;  // set while rows are still coming
    PgResult current_;
    int row_ = -1;
    bool live_ = false;
    bool firstUnread_ = false;
    std::deque<PgResult> buffered_;
    std::optional<DriverError> error_;  // met while buffering, reported in its turn
    std::vector<CellView::Kind> kinds_;
};

}  // namespace rx::access
