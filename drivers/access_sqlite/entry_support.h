#pragma once
// What every exported SQL... function does around the real work: check the
// handle, clear its diagnostics, turn exceptions into diagnostic records, and
// convert text between the caller's GB18030 and the driver's UTF-8.

#include <new>
#include <string>

#include "drivers/access_sqlite/handles.h"

namespace rx::access {

template <typename Handle, typename Work>
SQLRETURN guarded(SQLHANDLE raw, Work&& work) {
    auto* h = static_cast<Handle*>(raw);
    if (!h) return SQL_INVALID_HANDLE;
    h->diag.clear();
    SQLRETURN rc;
    try {
        rc = work(*h);
        if (rc == SQL_SUCCESS && !h->diag.records.empty()) rc = SQL_SUCCESS_WITH_INFO;
    } catch (const DriverError& e) {
        rc = h->diag.fail(e);
    } catch (const std::bad_alloc&) {
        h->diag.add(ErrorKind::OutOfMemory, "Memory allocation error");
        rc = SQL_ERROR;
    } catch (...) {
        h->diag.add(ErrorKind::General, "Unexpected internal error");
        rc = SQL_ERROR;
    }
    h->diag.returnCode = rc;
    return rc;
}

// Caller text (GB18030, length or SQL_NTS) as UTF-8. Bytes that are no
// GB18030 are refused with the given kind, never replaced: what is stored must
// be what was sent.
std::string inText(const SQLCHAR* text, SQLINTEGER length,
                   ErrorKind invalid = ErrorKind::Conversion);

// UTF-8 into the caller's buffer as GB18030; 01004 when it had to be cut.
SQLRETURN outText(const std::string& utf8, SQLPOINTER buffer, SQLINTEGER bufferLength,
                  SQLINTEGER* length, Diagnostics& diag);
SQLRETURN outText(const std::string& utf8, SQLCHAR* buffer, SQLSMALLINT bufferLength,
                  SQLSMALLINT* length, Diagnostics& diag);

}  // namespace rx::access
