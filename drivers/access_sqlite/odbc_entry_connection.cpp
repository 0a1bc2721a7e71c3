// Exported functions for environments, connections, diagnostics and driver
// information. Each one checks its arguments and hands over to handles.h.

#include <cstring>

#include "drivers/access_sqlite/entry_support.h"
#include "drivers/access_sqlite/info.h"
#include "platform/text/gb18030.h"

using namespace rx::access;

namespace rx::access {

std::string inText(const SQLCHAR* text, SQLINTEGER length, ErrorKind invalid) {
    if (!text) return {};
    size_t n = length == SQL_NTS ? std::strlen(reinterpret_cast<const char*>(text))
                                 : static_cast<size_t>(length);
    rx::text::Converted utf8 =
        rx::text::gb18030ToUtf8(std::string_view(reinterpret_cast<const char*>(text), n));
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

SQLRETURN outText(const std::string& utf8, SQLPOINTER buffer, SQLINTEGER bufferLength,
                  SQLINTEGER* length, Diagnostics& diag) {
    std::string gb = rx::text::utf8ToGb18030(utf8).bytes;
    if (length) *length = static_cast<SQLINTEGER>(gb.size());
    if (!buffer || bufferLength <= 0)
        return gb.empty() || !buffer ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    size_t n = std::min(gb.size(), static_cast<size_t>(bufferLength - 1));
    std::memcpy(buffer, gb.data(), n);
    static_cast<char*>(buffer)[n] = 0;
    if (n < gb.size()) {
        diag.add(ErrorKind::DataTruncated, "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN outText(const std::string& utf8, SQLCHAR* buffer, SQLSMALLINT bufferLength,
                  SQLSMALLINT* length, Diagnostics& diag) {
    SQLINTEGER full = 0;
    SQLRETURN rc = outText(utf8, buffer, bufferLength, &full, diag);
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
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.connectDsn(inText(dsn, dsnLength, ErrorKind::ConnectFailed));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                   SQLUSMALLINT) {
    // There is no dialog to prompt with: every completion mode connects with what it is given.
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        c.connect(inText(in, inLength, ErrorKind::ConnectFailed));
        return outText(c.completedText, out, outMax, outLength, c.diag);
    });
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
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        InfoValue v = infoValue(c, infoType);
        if (v.kind == InfoValue::Kind::Text)
            return outText(v.text, static_cast<SQLCHAR*>(value), bufferLength, length, c.diag);
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
    Diagnostics* d = diagnosticsOf(type, handle);
    if (!d) return SQL_INVALID_HANDLE;
    if (record < 1) return SQL_ERROR;
    if (static_cast<size_t>(record) > d->records.size()) return SQL_NO_DATA;
    const DiagRecord& r = d->records[static_cast<size_t>(record - 1)];
    if (state) std::memcpy(state, r.sqlState.c_str(), 6);
    if (native) *native = r.nativeError;
    Diagnostics scratch;  // truncating a message must not add a record to the list being read
    return outText(r.message, message, bufferLength, length, scratch);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
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
            return outText("", static_cast<SQLCHAR*>(info), bufferLength, length, scratch);
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
    return outText(textValue, static_cast<SQLCHAR*>(info), bufferLength, length, scratch);
}

}  // extern "C"
