#include <cstring>

#include "platform/host/host_access.h"

namespace rx::host {

Window FakeHost::addFrame(const std::string& className, const std::string& title) {
    windows_[next_] = Node{0, 0, className, title};
    return next_++;
}

Window FakeHost::addControl(Window parent, int identifier, const std::string& text) {
    windows_[next_] = Node{parent, identifier, {}, text};
    return next_++;
}

void FakeHost::setText(Window window, const std::string& text) {
    windows_.at(window).text = text;
}

Window FakeHost::FindWindowExA(Window parent, Window childAfter, const std::string& className,
                               const std::string& title) {
    for (auto it = windows_.upper_bound(childAfter); it != windows_.end(); ++it)
        if (it->second.parent == parent && it->second.className == className &&
            it->second.text == title)
            return it->first;
    return 0;
}

Window FakeHost::GetDlgItem(Window dialog, int identifier) {
    if (!dialog) return 0;
    for (const auto& [handle, node] : windows_)
        if (node.parent == dialog && node.identifier == identifier) return handle;
    return 0;
}

std::intptr_t FakeHost::SendMessageA(Window window, unsigned message, std::uintptr_t wParam,
                                     char* lParam) {
    const auto found = windows_.find(window);
    if (found == windows_.end()) return 0;
    const std::string& text = found->second.text;
    if (message == WM_GETTEXTLENGTH) return std::intptr_t(text.size());
    if (message != WM_GETTEXT || wParam == 0 || !lParam) return 0;
    const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
    std::memcpy(lParam, text.data(), n);
    lParam[n] = '\0';
    return std::intptr_t(n);
}

}  // namespace rx::host
