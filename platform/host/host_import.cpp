#include "platform/host/host_import.h"

#include <cstring>

#include "platform/text/gb18030.h"

namespace rx::host {
namespace {

std::string gb(const char* utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}

// The longest prefix made of whole GB18030 characters: a cut through a two- or
// four-byte character would leave bytes that are no character at all.
std::size_t wholeCharacters(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        if (c >= 0x81 && c <= 0xFE) {
            const bool four = i + 1 < bytes.size() && bytes[i + 1] >= '0' && bytes[i + 1] <= '9';
            length = four ? 4 : 2;
        }
        if (i + length > bytes.size()) break;
        i += length;
    }
    return i;
}

}  // namespace

std::string frameTitle() {
    return gb("澄川医院管理系统 - 门诊医生工作站：医生工作站【版本号：7.0.0.43】");
}

Window findHostControl(HostAccess& host, int last) {
    Window window = host.FindWindowExA(0, 0, kFrameClass, frameTitle());
    for (int step : kPathSteps) window = window ? host.GetDlgItem(window, step) : 0;
    return window ? host.GetDlgItem(window, last) : 0;
}

std::string readHostText(HostAccess& host, Window control) {
    const auto length = std::size_t(
        std::max<std::intptr_t>(0, host.SendMessageA(control, WM_GETTEXTLENGTH, 0, nullptr)));
    const std::size_t n = length + 1;
    if (n <= kTextCap) {
        // With no window nothing is written: the one space stays.
        std::string buffer(n, ' ');
        host.SendMessageA(control, WM_GETTEXT, n, buffer.data());
        buffer.resize(::strnlen(buffer.data(), n));
        return buffer;
    }
    std::string buffer(kTextCap, ' ');
    host.SendMessageA(control, WM_GETTEXT, kTextCap + 1, buffer.data());
    buffer.resize(wholeCharacters(buffer.substr(0, ::strnlen(buffer.data(), kTextCap))));
    return buffer + gb("...后面略掉") + std::to_string(length - kTextCap) + gb("个字符...");
}

HostPatient readHostPatient(HostAccess& host) {
    HostPatient patient{readHostText(host, findHostControl(host, kNameControl)), {}};
    for (int piece : kComplaintControls)
        patient.complaint += readHostText(host, findHostControl(host, piece));
    return patient;
}

}  // namespace rx::host
