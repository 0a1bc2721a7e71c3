#include "drivers/access_sqlite/server/pg_rows.h"

#include <cstdlib>

namespace rx::access {
namespace {

// Type OIDs of pg_type that come back as numbers rather than text.
constexpr Oid kBool = 16, kInt2 = 21, kInt4 = 23, kInt8 = 20, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

}  // namespace

PgRows::PgRows(PgResult whole) : current_(std::move(whole)) {
    takeKinds();
}

PgRows::PgRows(const PgBackend& backend, PgResult firstRow)
    : backend_(&backend), current_(std::move(firstRow)), row_(0), live_(true), firstUnread_(true) {
    takeKinds();
}

PgRows::~PgRows() {
    if (live_) backend_->endStream(*this);
}

void PgRows::takeKinds() {
    for (int c = 0, n = PQnfields(current_.get()); c < n; ++c) {
        const Oid t = PQftype(current_.get(), c);
        kinds_.push_back(t == kBool || t == kInt2 || t == kInt4 || t == kInt8
                             ? CellView::Kind::Integer
                         : t == kFloat4 || t == kFloat8 || t == kNumeric ? CellView::Kind::Real
                                                                         : CellView::Kind::Text);
    }
}

bool PgRows::next() {
    if (!backend_) return ++row_ < PQntuples(current_.get());
    if (firstUnread_) {
        firstUnread_ = false;
        return true;
    }
    if (!buffered_.empty()) {
        current_ = std::move(buffered_.front());
        buffered_.pop_front();
        return true;
    }
    if (error_) {
        const DriverError e = *error_;
        error_.reset();
        throw e;
    }
    if (!live_) return false;
    PgResult r = backend_->streamRow(*this);
    if (!r.get()) return false;
    current_ = std::move(r);
    return true;
}

void PgRows::bufferRest() {
    try {
        while (live_) {
            PgResult r = backend_->streamRow(*this);
            if (!r.get()) break;
            buffered_.push_back(std::move(r));
        }
    } catch (const DriverError& e) {
        error_ = e;
        live_ = false;
    }
}

CellView PgRows::cell(int column) const {
    CellView v;
    const PGresult* r = current_.get();
    if (PQgetisnull(r, row_, column)) return v;
    const char* text = PQgetvalue(r, row_, column);
    v.kind = kinds_[static_cast<size_t>(column)];
    if (v.kind == CellView::Kind::Integer)
        v.integer = text[0] == 't' ? 1 : text[0] == 'f' ? 0 : std::strtoll(text, nullptr, 10);
    else if (v.kind == CellView::Kind::Real)
        // A SINGLE is read back as the float it is, as the file keeps it.
        v.real = PQftype(r, column) == kFloat4 ? static_cast<float>(std::strtod(text, nullptr))
                                               : std::strtod(text, nullptr);
    else
        v.text = std::string_view(text, static_cast<size_t>(PQgetlength(r, row_, column)));
    return v;
}

}  // namespace rx::access
