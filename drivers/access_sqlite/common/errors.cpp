#include "drivers/access_sqlite/common/errors.h"

namespace rx::access {
namespace {

struct Entry {
    ErrorKind kind;
    const char* state;
};

constexpr Entry kStates[] = {
    {ErrorKind::General, "HY000"},
    {ErrorKind::Storage, "HY000"},
    {ErrorKind::ReadOnly, "HY000"},
    {ErrorKind::Busy, "HYT00"},
    {ErrorKind::Syntax, "42000"},
    {ErrorKind::UnknownTable, "42S02"},
    {ErrorKind::TableExists, "42S01"},
    {ErrorKind::UnknownColumn, "42S22"},
    {ErrorKind::Conversion, "22018"},
    {ErrorKind::NumericRange, "22003"},
    {ErrorKind::StringTooLong, "22001"},
    {ErrorKind::InvalidCharacter, "22021"},
    {ErrorKind::Constraint, "23000"},
    {ErrorKind::ValueCount, "21S01"},
    {ErrorKind::DataTruncated, "01004"},
    {ErrorKind::OptionValueChanged, "01S02"},
    {ErrorKind::ConnectFailed, "08001"},
    {ErrorKind::LinkFailure, "08S01"},
    {ErrorKind::NotConnected, "08003"},
    {ErrorKind::AlreadyConnected, "08002"},
    {ErrorKind::InvalidCursorState, "24000"},
    {ErrorKind::FunctionSequence, "HY010"},
    {ErrorKind::InvalidColumnNumber, "07009"},
    {ErrorKind::RestrictedType, "07006"},
    {ErrorKind::InvalidAttribute, "HY092"},
    {ErrorKind::InvalidAttributeValue, "HY024"},
    {ErrorKind::InvalidLength, "HY090"},
    {ErrorKind::InvalidInfoType, "HY096"},
    {ErrorKind::InvalidFetchOrientation, "HY106"},
    {ErrorKind::NotImplemented, "HYC00"},
    {ErrorKind::NullPointer, "HY009"},
    {ErrorKind::OutOfMemory, "HY001"},
    {ErrorKind::DriverDoesNotSupport, "IM001"},
    {ErrorKind::InvalidTransaction, "HY012"},
};

}  // namespace

const char* sqlState(ErrorKind kind) {
    for (const Entry& e : kStates)
        if (e.kind == kind) return e.state;
    return "HY000";
}

bool isWarning(ErrorKind kind) {
    return sqlState(kind)[0] == '0' && sqlState(kind)[1] == '1';
}

void raise(ErrorKind kind, std::string message, int native) {
    throw DriverError{kind, std::move(message), native};
}

}  // namespace rx::access
