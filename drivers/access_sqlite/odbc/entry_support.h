#pragma once
// What every exported SQL... function does around the real work: check the
// handle, clear its diagnostics, turn exceptions into diagnostic records, and
// convert text between the caller's GB18030 and the driver's UTF-8.

#include <new>
#include <string>

#include "drivers/access_sqlite/odbc/handles.h"

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

// How a caller's text travels: GB18030 through the ANSI entry points, UTF-16
// (SQLWCHAR) through the W ones.
enum class Encoding { Narrow, Wide };
// What a buffer length counts: bytes, or characters (UTF-16 units when wide).
// ODBC counts characters for the arguments typed as text and bytes for the
// generic buffers of SQLGetInfo, SQLColAttribute and SQLGetDiagField.
enum class Units { Bytes, Characters };

// Caller text (length in characters, or SQL_NTS) as UTF-8. What is not valid
// GB18030 or UTF-16 is refused with the given kind, never replaced: what is
// stored must be what was sent.
std::string inText(Encoding encoding, const void* text, SQLINTEGER length,
                   ErrorKind invalid = ErrorKind::Conversion);

// UTF-8 into the caller's buffer, cut at a whole character with 01004 when it
// does not fit; *length gets the whole text's length in the buffer's units.
SQLRETURN outText(Encoding encoding, Units units, const std::string& utf8, SQLPOINTER buffer,
                  SQLINTEGER bufferLength, SQLINTEGER* length, Diagnostics& diag);
SQLRETURN outText(Encoding encoding, Units units, const std::string& utf8, SQLPOINTER buffer,
                  SQLSMALLINT bufferLength, SQLSMALLINT* length, Diagnostics& diag);

}  // namespace rx::access
