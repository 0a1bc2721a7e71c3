// libFuzzer entry: any bytes go to the template parser; a template it accepts
// must survive writing and reading back unchanged.
#include <cstdlib>

#include "platform/grid/grd_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<rx::grid::GridTable> table = rx::grid::parseGrd(bytes);
    if (table && !(rx::grid::parseGrd(rx::grid::writeGrd(*table)) == table)) std::abort();
    return 0;
}
