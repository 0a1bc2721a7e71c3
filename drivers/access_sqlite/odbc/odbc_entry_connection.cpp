// Exported functions for environments, connections, diagnostics and driver
// information. Each one checks its arguments and hands over to handles.h.

#include <algorithm>
#include <cstring>

#include "drivers/access_sqlite/odbc/data_conversion.h"
#include "drivers/access_sqlite/odbc/entry_support.h"
#include "drivers/access_sqlite/odbc/info.h"
#include "platform/text/gb18030.h"

using namespace rx::access;

namespace rx::access {

namespace {

std::string narrowIn(const char* text, size_t n, ErrorKind invalid) {
    rx::text::Converted utf8 = rx::text::gb18030ToUtf8(std::string_view(text, n));
    if (!utf8.exact) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const auto bad = static_cast<unsigned char>(text[utf8.firstInvalid]);
        const bool cut = utf8.firstInvalid + 4 > n && bad >= 0x81 && bad <= 0xFE;
        raise(invalid, std::string("Invalid character value: ") +
                           (cut ? "incomplete GB18030 sequence starting with byte 0x" : "byte 0x") +
                           kHex[bad >> 4] + kHex[bad & 0xF] + " at byte offset " +
                           std::to_string(utf8.firstInvalid) + " is not GB18030 text");
    }
    return std::move(utf8.bytes);
}

std::string wideIn(const SQLWCHAR* text, size_t n, ErrorKind invalid) {
    std::string out;
    out.reserve(n * 3);
    for (size_t i = 0; i < n; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool pair =
                c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (!pair)
                raise(invalid, "Invalid character value: unpaired UTF-16 surrogate at unit " +
                                   std::to_string(i));
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string inText(Encoding encoding, const void* text, SQLINTEGER length, ErrorKind invalid) {
    if (!text) return {};
    if (encoding == Encoding::Narrow) {
        const auto* narrow = static_cast<const char*>(text);
        return narrowIn(narrow, length == SQL_NTS ? std::strlen(narrow) : size_t(length), invalid);
    }
    const auto* wide = static_cast<const SQLWCHAR*>(text);
    size_t n = 0;
    if (length == SQL_NTS)
        while (wide[n]) ++n;
    else
        n = size_t(length);
    return wideIn(wide, n, invalid);
}

SQLRETURN outText(Encoding encoding, Units units, const std::string& utf8, SQLPOINTER buffer,
                  SQLINTEGER bufferLength, SQLINTEGER* length, Diagnostics& diag) {
    // The text in the caller's encoding, and the size of one unit of it.
    std::string encoded;
    size_t unit = 1;
    if (encoding == Encoding::Wide) {
        appendUtf16(utf8, encoded);
        unit = sizeof(SQLWCHAR);
    } else {
        encoded = rx::text::utf8ToGb18030(utf8).bytes;
    }
    const size_t perLength = units == Units::Characters ? unit : 1;
    if (length) *length = static_cast<SQLINTEGER>(encoded.size() / perLength);
    if (!buffer || bufferLength <= 0)
        return encoded.empty() || !buffer ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    const size_t room = size_t(bufferLength) * perLength;  // in bytes
    if (room < unit) return encoded.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    size_t n = std::min(encoded.size(), (room / unit - 1) * unit);
    // A UTF-16 piece never ends on the first half of a surrogate pair.
    if (encoding == Encoding::Wide && n < encoded.size() && n >= 2) {
        const auto high = static_cast<unsigned char>(encoded[n - 1]);
        if (high >= 0xD8 && high <= 0xDB) n -= 2;
    }
    std::memcpy(buffer, encoded.data(), n);
    std::memset(static_cast<char*>(buffer) + n, 0, unit);
    if (n < encoded.size()) {
        diag.add(ErrorKind::DataTruncated, "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN outText(Encoding encoding, Units units, const std::string& utf8, SQLPOINTER buffer,
                  SQLSMALLINT bufferLength, SQLSMALLINT* length, Diagnostics& diag) {
    SQLINTEGER full = 0;
    SQLRETURN rc = outText(encoding, units, utf8, buffer, bufferLength, &full, diag);
    if (length) *length = static_cast<SQLSMALLINT>(std::min<SQLINTEGER>(full, 32767));
    return rc;
}

}  // namespace rx::access

namespace {

Diagnostics* diagnosticsOf(SQLSMALLINT type, SQLHANDLE h) {
    if (!h) return nullptr;
    switch (type) {
        case SQL_HANDLE_ENV:
            return &static_cast<Environment*>(h)->diag;
        case SQL_HANDLE_DBC:
            return &static_cast<Connection*>(h)->diag;
        case SQL_HANDLE_STMT:
            return &static_cast<Statement*>(h)->diag;
        default:
            return nullptr;
    }
}

SQLRETURN connectDsn(Encoding e, SQLHDBC dbc, const void* dsn, SQLSMALLINT dsnLength) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.connectDsn(inText(e, dsn, dsnLength, ErrorKind::ConnectFailed));
        return SQL_SUCCESS;
    });
}

// There is no dialog to prompt with: every completion mode connects with what it is given.
SQLRETURN driverConnect(Encoding e, SQLHDBC dbc, const void* in, SQLSMALLINT inLength, void* out,
                        SQLSMALLINT outMax, SQLSMALLINT* outLength) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.connect(inText(e, in, inLength, ErrorKind::ConnectFailed));
        return outText(e, Units::Characters, c.completedText, out, outMax, outLength, c.diag);
    });
}

SQLRETURN getInfo(Encoding e, SQLHDBC dbc, SQLUSMALLINT infoType, SQLPOINTER value,
                  SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        InfoValue v = infoValue(c, infoType);
        if (v.kind == InfoValue::Kind::Text)
            return outText(e, Units::Bytes, v.text, value, bufferLength, length, c.diag);
        if (v.kind == InfoValue::Kind::UShort) {
            if (value) *static_cast<SQLUSMALLINT*>(value) = static_cast<SQLUSMALLINT>(v.number);
            if (length) *length = sizeof(SQLUSMALLINT);
        } else {
            if (value) *static_cast<SQLUINTEGER*>(value) = v.number;
            if (length) *length = sizeof(SQLUINTEGER);
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN getDiagRec(Encoding e, SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                     void* state, SQLINTEGER* native, void* message, SQLSMALLINT bufferLength,
                     SQLSMALLINT* length) {
    Diagnostics* d = diagnosticsOf(type, handle);
    if (!d) return SQL_INVALID_HANDLE;
    if (record < 1) return SQL_ERROR;
    if (static_cast<size_t>(record) > d->records.size()) return SQL_NO_DATA;
    const DiagRecord& r = d->records[static_cast<size_t>(record - 1)];
    Diagnostics scratch;  // truncating a text must not add a record to the list being read
    if (state) outText(e, Units::Characters, r.sqlState, state, SQLSMALLINT(6), nullptr, scratch);
    if (native) *native = r.nativeError;
    return outText(e, Units::Characters, r.message, message, bufferLength, length, scratch);
}

SQLRETURN getDiagField(Encoding e, SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                       SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT bufferLength,
                       SQLSMALLINT* length) {
    Diagnostics* d = diagnosticsOf(type, handle);
    if (!d) return SQL_INVALID_HANDLE;
    Diagnostics scratch;
    switch (field) {
        case SQL_DIAG_NUMBER:
            if (info) *static_cast<SQLINTEGER*>(info) = static_cast<SQLINTEGER>(d->records.size());
            return SQL_SUCCESS;
        case SQL_DIAG_RETURNCODE:
            if (info) *static_cast<SQLRETURN*>(info) = d->returnCode;
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_COUNT:
        case SQL_DIAG_CURSOR_ROW_COUNT:
            if (type != SQL_HANDLE_STMT) return SQL_ERROR;
            if (info) *static_cast<SQLLEN*>(info) = static_cast<Statement*>(handle)->rowCount;
            return SQL_SUCCESS;
        case SQL_DIAG_DYNAMIC_FUNCTION:
            return outText(e, Units::Bytes, "", info, bufferLength, length, scratch);
        default:
            break;
    }
    if (record < 1) return SQL_ERROR;
    if (static_cast<size_t>(record) > d->records.size()) return SQL_NO_DATA;
    const DiagRecord& r = d->records[static_cast<size_t>(record - 1)];
    std::string textValue;
    switch (field) {
        case SQL_DIAG_SQLSTATE:
            textValue = r.sqlState;
            break;
        case SQL_DIAG_MESSAGE_TEXT:
            textValue = r.message;
            break;
        case SQL_DIAG_CLASS_ORIGIN:
        case SQL_DIAG_SUBCLASS_ORIGIN:
            textValue = r.sqlState.compare(0, 2, "IM") == 0 ? "ODBC 3.0" : "ISO 9075";
            break;
        case SQL_DIAG_CONNECTION_NAME:
        case SQL_DIAG_SERVER_NAME:
            textValue = "";
            break;
        case SQL_DIAG_NATIVE:
            if (info) *static_cast<SQLINTEGER*>(info) = r.nativeError;
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_NUMBER:
        case SQL_DIAG_COLUMN_NUMBER:
            if (info) *static_cast<SQLLEN*>(info) = SQL_NO_COLUMN_NUMBER;
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
    }
    return outText(e, Units::Bytes, textValue, info, bufferLength, length, scratch);
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (!output) return SQL_ERROR;
    *output = SQL_NULL_HANDLE;
    try {
        switch (type) {
            case SQL_HANDLE_ENV:
                *output = new Environment();
                return SQL_SUCCESS;
            case SQL_HANDLE_DBC:
                if (!input) return SQL_INVALID_HANDLE;
                *output = new Connection(static_cast<Environment*>(input));
                return SQL_SUCCESS;
            case SQL_HANDLE_STMT:
                return guarded<Connection>(input, [&](Connection& c) -> SQLRETURN {
                    c.database();  // a statement needs an open connection
                    *output = new Statement(&c);
                    return SQL_SUCCESS;
                });
            default: {
                Diagnostics* d = diagnosticsOf(SQL_HANDLE_DBC, input);
                if (d) d->add(ErrorKind::NotImplemented, "Descriptor handles are not supported");
                return SQL_ERROR;
            }
        }
    } catch (const std::bad_alloc&) {
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (!handle) return SQL_INVALID_HANDLE;
    switch (type) {
        case SQL_HANDLE_ENV:
            delete static_cast<Environment*>(handle);
            return SQL_SUCCESS;
        case SQL_HANDLE_DBC:
            delete static_cast<Connection*>(handle);
            return SQL_SUCCESS;
        case SQL_HANDLE_STMT:
            delete static_cast<Statement*>(handle);
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER) {
    return guarded<Environment>(env, [&](Environment& e) -> SQLRETURN {
        auto v = static_cast<SQLINTEGER>(reinterpret_cast<intptr_t>(value));
        if (attr == SQL_ATTR_ODBC_VERSION)
            e.odbcVersion = v;
        else if (attr != SQL_ATTR_CONNECTION_POOLING && attr != SQL_ATTR_CP_MATCH &&
                 attr != SQL_ATTR_OUTPUT_NTS)
            raise(ErrorKind::InvalidAttribute, "Environment attribute not supported");
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV env, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER* length) {
    return guarded<Environment>(env, [&](Environment& e) -> SQLRETURN {
        SQLINTEGER v = 0;
        if (attr == SQL_ATTR_ODBC_VERSION)
            v = e.odbcVersion;
        else if (attr == SQL_ATTR_OUTPUT_NTS)
            v = SQL_TRUE;
        else if (attr == SQL_ATTR_CONNECTION_POOLING)
            v = SQL_CP_OFF;
        else
            raise(ErrorKind::InvalidAttribute, "Environment attribute not supported");
        if (value) *static_cast<SQLINTEGER*>(value) = v;
        if (length) *length = sizeof v;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR*,
                             SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return connectDsn(Encoding::Narrow, dbc, dsn, dsnLength);
}

SQLRETURN SQL_API SQLConnectW(SQLHDBC dbc, SQLWCHAR* dsn, SQLSMALLINT dsnLength, SQLWCHAR*,
                              SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return connectDsn(Encoding::Wide, dbc, dsn, dsnLength);
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                   SQLUSMALLINT) {
    return driverConnect(Encoding::Narrow, dbc, in, inLength, out, outMax, outLength);
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC dbc, SQLHWND, SQLWCHAR* in, SQLSMALLINT inLength,
                                    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                    SQLUSMALLINT) {
    return driverConnect(Encoding::Wide, dbc, in, inLength, out, outMax, outLength);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.disconnect();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.setAttribute(attr, value);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value,
                                    SQLINTEGER bufferLength, SQLINTEGER* length) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.getAttribute(attr, value, bufferLength, length);
        return SQL_SUCCESS;
    });
}

// The driver's connection attributes are all numbers, the same for W callers.
SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value,
                                     SQLINTEGER length) {
    return SQLSetConnectAttr(dbc, attr, value, length);
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value,
                                     SQLINTEGER bufferLength, SQLINTEGER* length) {
    return SQLGetConnectAttr(dbc, attr, value, bufferLength, length);
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    if (type != SQL_HANDLE_DBC) return type == SQL_HANDLE_ENV ? SQL_SUCCESS : SQL_ERROR;
    return guarded<Connection>(handle, [&](Connection& c) -> SQLRETURN {
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            raise(ErrorKind::InvalidTransaction, "Invalid transaction operation code");
        c.endTransaction(completion == SQL_COMMIT);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT infoType, SQLPOINTER value,
                             SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return getInfo(Encoding::Narrow, dbc, infoType, value, bufferLength, length);
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC dbc, SQLUSMALLINT infoType, SQLPOINTER value,
                              SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return getInfo(Encoding::Wide, dbc, infoType, value, bufferLength, length);
}

SQLRETURN SQL_API SQLGetFunctions(SQLHDBC dbc, SQLUSMALLINT function, SQLUSMALLINT* supported) {
    return guarded<Connection>(dbc, [&](Connection&) -> SQLRETURN {
        if (!supported) raise(ErrorKind::NullPointer, "Invalid use of null pointer");
        if (function == SQL_API_ODBC3_ALL_FUNCTIONS) {
            std::memset(supported, 0, sizeof(SQLUSMALLINT) * SQL_API_ODBC3_ALL_FUNCTIONS_SIZE);
            for (SQLUSMALLINT f = 1; f < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++f)
                if (supportsFunction(f))
                    supported[f >> 4] |= static_cast<SQLUSMALLINT>(1 << (f & 0xF));
        } else if (function == SQL_API_ALL_FUNCTIONS) {
            for (SQLUSMALLINT f = 0; f < 100; ++f)
                supported[f] = supportsFunction(f) ? SQL_TRUE : SQL_FALSE;
        } else {
            *supported = supportsFunction(function) ? SQL_TRUE : SQL_FALSE;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return getDiagRec(Encoding::Narrow, type, handle, record, state, native, message, bufferLength,
                      length);
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                 SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return getDiagRec(Encoding::Wide, type, handle, record, state, native, message, bufferLength,
                      length);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                  SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* length) {
    return getDiagField(Encoding::Narrow, type, handle, record, field, info, bufferLength, length);
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                   SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* length) {
    return getDiagField(Encoding::Wide, type, handle, record, field, info, bufferLength, length);
}

}  // extern "C"
