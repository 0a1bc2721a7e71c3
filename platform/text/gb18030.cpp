#include "platform/text/gb18030.h"

#include <cerrno>
#include <utility>

#include "platform/text/iconv.h"

namespace rx::text {
namespace {

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGbReplacement = "\x84\x31\xA4\x37";  // U+FFFD in GB18030

// Converts, stepping over each invalid sequence one byte at a time and putting
// the replacement in its place.
Converted convert(const Iconv& cd, std::string_view in, std::string_view replacement) {
    Converted out;
    if (in.empty()) return out;
    if (isAscii(in)) {
        out.bytes.assign(in);
        return out;
    }
    if (!cd.valid()) {
        out.exact = false;
        out.firstInvalid = 0;
        return out;
    }
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // a clean start whatever came before
    out.bytes.reserve(in.size() * 2);
    char buffer[4096];
    auto* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft);
        out.bytes.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ (invalid) or EINVAL (truncated at the end): replace one byte, go on.
        if (out.exact) out.firstInvalid = static_cast<size_t>(src - in.data());
        out.exact = false;
        out.bytes.append(replacement);
        ++src;
        --srcLeft;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

Iconv::Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

Iconv::~Iconv() {
    if (valid()) iconv_close(cd_);
}

bool Iconv::valid() const {
    return cd_ != reinterpret_cast<iconv_t>(-1);
}

iconv_t Iconv::release() {
    return std::exchange(cd_, reinterpret_cast<iconv_t>(-1));
}

bool isAscii(std::string_view bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

// One descriptor per direction and thread keeps this thread-safe without
// locks; opening one per call cost more than the conversion itself when a
// lookup reads many rows.
Converted gb18030ToUtf8(std::string_view gb) {
    thread_local const Iconv cd("UTF-8", "GB18030");
    return convert(cd, gb, kUtf8Replacement);
}

Converted utf8ToGb18030(std::string_view utf8) {
    thread_local const Iconv cd("GB18030", "UTF-8");
    return convert(cd, utf8, kGbReplacement);
}

}  // namespace rx::text
